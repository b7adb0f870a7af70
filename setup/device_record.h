// Graphics device records: what detection finds about one rendering device
// and what init/dev_mode.dat carries to the engine.
//
// A DeviceRecord describes a device: its kind, its driver strings, a bit
// vector of capabilities, its texture units and memory, its display modes
// and the nine fudge factors of chipset tuning (chipset_tuning.h). The
// DeviceSelector (device_selector.h) makes the records; GraphicsOptions
// (graphics_options.h) offers them and saves the chosen one. All of this is
// platform-free.
#ifndef TESSERA_SETUP_DEVICE_RECORD_H_
#define TESSERA_SETUP_DEVICE_RECORD_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "setup/platform.h"

// Values of DeviceRecord::fType.
enum DeviceType : uint32_t {
  kDeviceTypeUnknown = 0,
  kDeviceTypeGlide = 1,
  kDeviceTypeDirect3D = 2,
  kDeviceTypeOther = 3,        // made by no stage; ranked last by the default choice
  kDeviceTypeDX8Direct3D = 4,  // made by no stage
};

// Values of DeviceRecord::fClass: the kind of Direct3D device, 0 for Glide.
enum DeviceClass : int32_t {
  kDeviceClassNone = 0,
  kDeviceClassNull = 1,
  kDeviceClassRamp = 2,
  kDeviceClassRgb = 3,
  kDeviceClassHal = 4,
  kDeviceClassMmx = 5,
  kDeviceClassTnLHal = 6,
  kDeviceClassReference = 7,
  kDeviceClass3dfxBeforeV5 = 8,  // HAL or T&L HAL of a 3dfx board before the Voodoo5
  kDeviceClass3dfxV5 = 9,        // HAL or T&L HAL of a Voodoo5 or later
};

// Capability bits with a meaning inside the setup program; the others are
// only passed on to the engine.
enum CapabilityBit : uint32_t {
  kCapNoWindowed = 1,          // the device cannot render in a window
  kCapCompressedTextures = 6,  // allowed (detected record) / chosen (selection)
  kCapAntiAliasing = 14,       // supported (detected record) / chosen (selection)
};

struct DisplayMode {
  static constexpr uint32_t kMarked = 0x1;  // fFlags: marked for removal

  uint32_t fFlags = 0;
  uint32_t fWidth = 0;   // pixels
  uint32_t fHeight = 0;  // pixels
  uint32_t fDepth = 0;   // bits per pixel; 0 means windowed

  bool operator==(const DisplayMode& other) const {
    return fFlags == other.fFlags && fWidth == other.fWidth && fHeight == other.fHeight &&
           fDepth == other.fDepth;
  }
};

// The mode order: depth first, then height, then width, all ascending. It
// refines the engine's order (a before b when a's depth is smaller, or the
// depths are equal and both a's height and width are smaller), which is not a
// strict weak order and so cannot drive a library sort by itself.
bool ModeComesBefore(const DisplayMode& a, const DisplayMode& b);
// Sorts `modes` by the mode order; equal modes keep their order.
void SortModes(std::vector<DisplayMode>& modes);

// A growable vector of 32-bit words; bit n is bit n % 32 of word n / 32.
class CapabilityBits {
 public:
  // Setting a bit past the end grows the vector with zero words.
  void Set(uint32_t bit);
  // Clearing a bit past the end changes nothing.
  void Clear(uint32_t bit);
  void Assign(uint32_t bit, bool on);
  // A bit past the end reads as 0.
  bool Test(uint32_t bit) const;

  const std::vector<uint32_t>& Words() const { return fWords; }
  std::vector<uint32_t>& Words() { return fWords; }
  bool operator==(const CapabilityBits& other) const { return fWords == other.fWords; }

 private:
  std::vector<uint32_t> fWords;
};

// One rendering device. A value type: copies carry their own strings, bits
// and modes.
struct DeviceRecord {
  static constexpr uint32_t kVersion = 7;
  static constexpr uint32_t kMarked = 0x1;   // fFlags: marked for removal
  static constexpr uint32_t kInvalid = 0x2;  // fFlags: read back with a wrong version
  // The engine holds the mode count in 16 bits; AddMode refuses more.
  static constexpr size_t kMaxModes = 0xFFFF;
  static constexpr int kFudgeCount = 9;

  uint32_t fVersion = kVersion;
  uint32_t fFlags = 0;
  uint32_t fType = kDeviceTypeUnknown;  // DeviceType
  int32_t fClass = kDeviceClassNone;    // DeviceClass
  std::string fDriverDescription;
  std::string fDriverName;
  std::string fDriverVersion;
  std::string fDeviceDescription;
  CapabilityBits fCaps;
  uint32_t fTextureUnits = 0;
  uint32_t fMemory = 0;  // texture memory in bytes
  std::vector<DisplayMode> fModes;
  float fFudge[kFudgeCount] = {0, 0, 0, 0, 0, 0, 0, 0, 0};

  // Appends a mode; false (and nothing added) when kMaxModes are there.
  bool AddMode(uint32_t width, uint32_t height, uint32_t depth);
};

// "%d.%02d.%02d.%04d" of the four 16-bit parts, most significant first.
std::string FormatDriverVersion(uint32_t high, uint32_t low);

// The DeviceClass of a Direct3D 7 device identifier; 0 for an unknown one.
int32_t DeviceClassOf(const Guid& deviceGuid);
#endif  // TESSERA_SETUP_DEVICE_RECORD_H_
