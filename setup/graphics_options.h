// The graphics choice behind the Basic page of the setup dialog, and the
// saved device file init/dev_mode.dat that the engine reads at start.
//
// GraphicsOptions holds which kind of device is in use (Glide or Direct3D),
// which device of that kind, which display mode, and the player's choices of
// windowed rendering, full-scene anti-aliasing, compressed textures and
// texture quality. The choices live in the selected record, a copy of the
// selected device's record: windowed is a depth of 0 in its selected mode,
// anti-aliasing its capability bit 14, compressed textures its bit 6. In the
// records of the per-type list the same bits say what the device supports.
//
//   GraphicsOptions options(platform, log, gameDirectory);
//   options.Detect();
//   if (!options.LoadSavedChoice() && !options.ChooseDefault()) ...nothing usable...
//   ...the dialog edits the choice...
//   options.SaveChoice();  // on OK
//
// init/dev_mode.dat, all integers little-endian: the record (version u32 7,
// flags u32, type u32, four strings each as a u32 length and its bytes,
// capability word count u32 and the words, texture units u32, memory u32,
// mode count u32 and 4 u32 per mode, nine 32-bit float fudge factors), then
// the chosen mode (4 u32: flags, width, height, depth, depth 0 = windowed)
// and the texture quality (u16). The class is not stored.
#ifndef TESSERA_SETUP_GRAPHICS_OPTIONS_H_
#define TESSERA_SETUP_GRAPHICS_OPTIONS_H_

#include <cstdint>
#include <string>
#include <vector>

#include "kit/stream/stream.h"
#include "setup/debug_log.h"
#include "setup/device_selector.h"
#include "setup/platform.h"

// The path of the saved device file under `gameDirectory` ("" for the
// current directory): init/dev_mode.dat.
std::string DevModePath(const std::string& gameDirectory);

// Limits of the device file reader. A file beyond them is rejected before
// anything is allocated for it.
struct DevModeLimits {
  static constexpr uint32_t kMaxStringLength = 1024;   // bytes of one string
  static constexpr uint32_t kMaxCapabilityWords = 64;  // 2048 bits
  static constexpr uint32_t kMaxModes = DeviceRecord::kMaxModes;
};

// Writes `record` (its class left out), then `mode` and `textureQuality`,
// in the layout of init/dev_mode.dat. The stream reports no failure; the
// caller checks the file.
void WriteDeviceChoice(mkStream& stream, const DeviceRecord& record, const DisplayMode& mode,
                       uint16_t textureQuality);

enum class DevModeReadResult {
  kOk,
  kWrongVersion,  // the record's version is not 7; nothing after it was read
  kTruncated,     // the stream ended inside the file
  kTooLarge,      // a length or count beyond DevModeLimits
};

// Reads what WriteDeviceChoice writes. On kOk all three outputs are set (the
// record's class is 0); on kWrongVersion only `record`'s version and flags
// (with DeviceRecord::kInvalid); otherwise the outputs are unspecified.
DevModeReadResult ReadDeviceChoice(mkStream& stream, DeviceRecord* record, DisplayMode* mode,
                                   uint16_t* textureQuality);

class GraphicsOptions {
 public:
  static constexpr uint16_t kTextureLow = 0;
  static constexpr uint16_t kTextureMedium = 25;
  static constexpr uint16_t kTextureHigh = 100;

  // The platform and the log belong to the caller and outlive the options.
  // The device file is DevModePath(gameDirectory).
  GraphicsOptions(SystemApi& system, DebugInfoLog& log, std::string gameDirectory = "");

  // Switches the detection log on, detects, removes what is unusable and
  // puts every record's modes in the mode order. The list may end empty.
  void Detect();
  // Whether any detected record has DeviceType `type`.
  bool HasType(uint32_t type) const;

  // Fills the per-type list with copies of the detected records of `type`
  // and makes it current; selected device 0. Callers then call SelectDevice
  // and SelectMode.
  void SelectApi(uint32_t type);
  // False, changing nothing, when `index` is outside the per-type list.
  // Otherwise selects the device and its mode 0; the selected record becomes
  // a fresh copy of the device's record, so earlier choices are gone.
  bool SelectDevice(int32_t index);
  // False, changing nothing, when `index` is outside the selected device's
  // modes.
  bool SelectMode(int32_t index);

  // Each changes the selected record only; without a selected device they
  // do nothing.
  void SetAntiAliasing(bool on);
  void SetCompressedTextures(bool on);
  // On: the selected mode's depth in the selected record becomes 0. Off: it
  // becomes the depth of the same mode in the per-type list. Either way every
  // other mode of the selected record gets its real depth back, so that only
  // the selected mode can be windowed.
  void SetWindowed(bool on);

  // Queries; all false without a selected device.
  bool AntiAliasingSupported() const;
  bool AntiAliasingOn() const;
  bool WindowedAllowed() const;
  bool WindowedOn() const;
  bool CompressedTexturesSupported() const;
  bool CompressedTexturesOn() const;

  // "%s [%s]" of driver and device description for each device of the
  // per-type list.
  std::vector<std::string> DeviceLabels() const;
  // "%ux%u %u bit" for each mode of the selected device in the per-type list.
  std::vector<std::string> ModeLabels() const;

  // The default choice: the device and mode of DeviceSelector::PickDefault,
  // anti-aliasing off, texture quality 100 on a machine with at least 127 MB
  // of memory (25 below). False when nothing suitable was detected.
  bool ChooseDefault();
  // Restores the choice of init/dev_mode.dat. False when the file is
  // missing, unreadable, of another version, or names a type, device or mode
  // that this machine does not have; the texture quality read stays then,
  // and the caller makes the default choice.
  bool LoadSavedChoice();
  // Writes the selected record (without its modes), the chosen mode and the
  // texture quality to init/dev_mode.dat, replacing it in one step
  // (file_replace.h). False, with the old file untouched, when nothing is
  // selected or the file cannot be written completely; `problem` (may be
  // null) then names the file and the system's reason.
  bool SaveChoice(std::string* problem = nullptr) const;
  // The bytes that SaveChoice writes; false when nothing is selected.
  bool ChoiceBytes(std::string* bytes) const;

  uint32_t CurrentType() const { return fCurrentType; }
  int32_t SelectedDevice() const { return fSelectedDevice; }
  int32_t SelectedMode() const { return fSelectedMode; }
  const DeviceRecord& SelectedRecord() const { return fSelectedRecord; }
  const std::vector<DeviceRecord>& TypeList() const { return fTypeList; }
  DeviceSelector& Selector() { return fSelector; }
  const std::string& DevModeFile() const { return fDevModePath; }

  uint16_t fTextureQuality = 0;  // kTextureLow, kTextureMedium or kTextureHigh

 private:
  bool HasSelection() const;
  // The first device of the per-type list with the same four strings; -1.
  int32_t FindDevice(const DeviceRecord& record) const;
  // The first mode of the selected device with the wanted size and depth (or
  // any depth when the wanted depth is 0, which is then restored as windowed
  // in the selected record); -1.
  int32_t FindMode(const DisplayMode& wanted);

  SystemApi& fSystem;
  DebugInfoLog& fLog;
  std::string fDevModePath;
  DeviceSelector fSelector;
  uint32_t fCurrentType = kDeviceTypeUnknown;
  std::vector<DeviceRecord> fTypeList;
  int32_t fSelectedDevice = -1;
  int32_t fSelectedMode = -1;
  DeviceRecord fSelectedRecord;
};

#endif  // TESSERA_SETUP_GRAPHICS_OPTIONS_H_
