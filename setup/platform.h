// What hardware detection asks of the machine: the Glide 3 library, the
// DirectDraw/Direct3D 7 drivers, and two facts about the system (physical
// memory and the logged-in user's name).
//
// The detection stages (device_selector.h) are written once against these narrow
// interfaces. Two implementations exist: the Windows one, which loads
// glide3x.dll and takes DDRAW.DLL at run time (OpenSystemPlatform), and a
// simulated one that answers from a hardware profile file
// (platform_profile.h), used off Windows and by the tests.
//
// The records here carry exactly the fields that detection reads, with the
// values and flag bits that the Windows libraries report.
#ifndef TESSERA_SETUP_PLATFORM_H_
#define TESSERA_SETUP_PLATFORM_H_

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// A 128-bit interface identifier in its usual layout.
struct Guid {
  uint32_t fData1 = 0;
  uint16_t fData2 = 0;
  uint16_t fData3 = 0;
  uint8_t fData4[8] = {0, 0, 0, 0, 0, 0, 0, 0};

  // Parses "8767DF22-BACC-11D1-8969-00A0C90629A8" (hexadecimal digits in
  // either case, braces optional). False, and `guid` unchanged, on any other
  // text.
  static bool Parse(const std::string& text, Guid* guid);
  bool operator==(const Guid& other) const;
  bool operator!=(const Guid& other) const { return !(*this == other); }
};

// The Glide 3 calls of the Glide stage. Only valid while the library is
// loaded; a platform without the library (or with an entry point missing)
// offers no GlideApi at all.
class GlideApi {
 public:
  // Items of grGet and grGetString.
  static constexpr uint32_t kNumBoards = 0x0F;
  static constexpr uint32_t kNumTmu = 0x13;
  static constexpr uint32_t kExtension = 0xA0;
  static constexpr uint32_t kRenderer = 0xA2;
  static constexpr uint32_t kVendor = 0xA3;
  static constexpr uint32_t kVersion = 0xA4;
  // Screen resolution codes.
  static constexpr uint32_t kResolution640x480 = 7;
  static constexpr uint32_t kResolution800x600 = 8;
  static constexpr uint32_t kResolution1024x768 = 12;

  virtual ~GlideApi() = default;

  // grGet of a 4-byte item (kNumBoards, kNumTmu); 0 when Glide gives nothing.
  virtual int32_t Get(uint32_t item) = 0;
  // grGetString; empty when Glide gives no string.
  virtual std::string GetString(uint32_t item) = 0;
  virtual void GlideInit() = 0;
  virtual void GlideShutdown() = 0;
  virtual void SstSelect(int32_t board) = 0;
  virtual uint32_t TexMinAddress(int32_t tmu) = 0;
  virtual uint32_t TexMaxAddress(int32_t tmu) = 0;
  // grGetProcAddress: true when Glide offers the function `name`. The only
  // function detection asks for is "grSstWinOpenExt", which OpenWindowExt
  // then calls.
  virtual bool GetProcAddress(const char* name) = 0;
  // grSstWinOpen on `window` (a test window of SystemApi) at a resolution
  // code with the remaining arguments as given; returns the Glide context, 0
  // when the window did not open.
  virtual uint32_t OpenWindow(uintptr_t window, uint32_t resolution, uint32_t refresh,
                              uint32_t colorFormat, uint32_t origin, int32_t colorBuffers,
                              int32_t auxBuffers) = 0;
  // grSstWinOpenExt, with a pixel format; 0 when the window did not open or
  // GetProcAddress("grSstWinOpenExt") was not answered first.
  virtual uint32_t OpenWindowExt(uintptr_t window, uint32_t resolution, uint32_t refresh,
                                 uint32_t colorFormat, uint32_t origin, uint32_t pixelFormat,
                                 int32_t colorBuffers, int32_t auxBuffers) = 0;
  // grSstWinClose of a context that an open call returned.
  virtual void CloseWindow(uint32_t context) = 0;
};

// One DirectDraw driver as the enumeration lists it.
struct DirectDrawDriver {
  bool fPrimary = false;  // the primary display driver (its identifier is null)
  Guid fGuid;             // the driver's identifier when not primary
  std::string fDescription;
  std::string fName;
};

// The DirectDraw device identifier of a driver (DDDEVICEIDENTIFIER2).
struct DeviceIdentifier {
  std::string fDriver;        // driver file name
  std::string fDescription;   // description of the board
  uint32_t fVersionHigh = 0;  // most significant two 16-bit version parts
  uint32_t fVersionLow = 0;   // least significant two parts
  uint32_t fVendorId = 0;
  uint32_t fDeviceId = 0;
};

// What detection reads from a driver's hardware capabilities (DDCAPS).
struct DirectDrawCaps {
  static constexpr uint32_t kCanRenderWindowed = 0x80000;  // in fCaps2
  uint32_t fCaps2 = 0;
  uint32_t fTotalVideoMemory = 0;
};

// A display mode as DirectDraw enumerates it.
struct DirectDrawMode {
  uint32_t fWidth = 0;
  uint32_t fHeight = 0;
  uint32_t fBitsPerPixel = 0;
};

// A Direct3D 7 device: its name, its identifier and the parts of its device
// description (D3DDEVICEDESC7) that detection reads.
struct Direct3DDevice {
  // Device caps.
  static constexpr uint32_t kHwRasterization = 0x80000;
  // Texture caps of the triangle caps.
  static constexpr uint32_t kPerspective = 0x1;
  // Texture filter caps of the triangle caps.
  static constexpr uint32_t kMipLinear = 0x8;
  // Raster caps of the triangle caps.
  static constexpr uint32_t kDither = 0x1;
  static constexpr uint32_t kFogTable = 0x100;
  static constexpr uint32_t kAntiAliasSortIndependent = 0x800;
  static constexpr uint32_t kFogRange = 0x10000;
  static constexpr uint32_t kWBuffer = 0x40000;
  // Render depth mask bits.
  static constexpr uint32_t kDepth32 = 0x100;
  static constexpr uint32_t kDepth24 = 0x200;
  static constexpr uint32_t kDepth16 = 0x400;

  std::string fName;
  Guid fGuid;
  uint32_t fDevCaps = 0;
  uint32_t fTextureCaps = 0;
  uint32_t fTextureFilterCaps = 0;
  uint32_t fRasterCaps = 0;
  uint32_t fRenderDepthMask = 0;
  uint32_t fMaxSimultaneousTextures = 0;
};

// The DirectDraw calls of the Direct3D stage. One driver is open at a time,
// from Create to Release.
class DirectDrawApi {
 public:
  virtual ~DirectDrawApi() = default;

  // DirectDrawEnumerateExA with attached secondary, detached secondary and
  // non-display devices (or DirectDrawEnumerateA where the former is
  // missing): the drivers in the order DirectDraw lists them.
  virtual std::vector<DirectDrawDriver> EnumerateDrivers() = 0;
  // DirectDrawCreateEx for the driver and its Direct3D 7 interface. False,
  // with nothing left open, when either fails.
  virtual bool Create(const DirectDrawDriver& driver) = 0;
  // The open driver's hardware capabilities.
  virtual DirectDrawCaps GetCaps() = 0;
  // Total memory available for textures; false when the query fails.
  virtual bool GetAvailableTextureMemory(uint32_t* total) = 0;
  // The open driver's device identifier; false when the query fails.
  virtual bool GetDeviceIdentifier(DeviceIdentifier* identifier) = 0;
  // All display modes of the open driver, in its order.
  virtual std::vector<DirectDrawMode> EnumerateDisplayModes() = 0;
  // The Direct3D 7 devices of the open driver, in its order.
  virtual std::vector<Direct3DDevice> EnumerateDevices() = 0;
  // Releases the Direct3D and DirectDraw objects of the open driver.
  virtual void Release() = 0;
};

// The machine: its libraries and system facts, and the hidden test window
// that Glide opens its windows on.
class SystemApi {
 public:
  virtual ~SystemApi() = default;

  // The Glide library, or null when it is absent.
  virtual GlideApi* Glide() = 0;
  // DirectDraw, or null when DDRAW.DLL is absent.
  virtual DirectDrawApi* DirectDraw() = 0;

  // Registers the window class "DSTestClass" for the test windows; false
  // when that fails.
  virtual bool RegisterTestClass() = 0;
  virtual void UnregisterTestClass() = 0;
  // A hidden pop-up window of that class with the given title and rectangle
  // in pixels; 0 when it cannot be made.
  virtual uintptr_t CreateTestWindow(const char* title, int32_t x, int32_t y, int32_t width,
                                     int32_t height) = 0;
  virtual void DestroyTestWindow(uintptr_t window) = 0;

  // Total physical memory in bytes.
  virtual uint64_t TotalPhysicalMemory() = 0;
  // The name of the user logged in to the system; false (and `name`
  // unchanged) when it cannot be had.
  virtual bool UserName(std::string* name) = 0;
};

// The running machine's platform (Windows only): loads glide3x.dll and its
// entry points, takes DDRAW.DLL and loads D3D8.DLL, tracing what it found;
// destroying it releases them again.
std::unique_ptr<SystemApi> OpenSystemPlatform();

#endif  // TESSERA_SETUP_PLATFORM_H_
