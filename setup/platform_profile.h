// The simulated platform: a hardware profile, read from a text file, that
// says what the Glide and DirectDraw calls of detection would answer on some
// machine. Used where there is no Windows graphics platform (the command-line
// setup, the tests). The file format is described in profiles/README.md.
//
// ProfilePlatform answers from a profile and keeps a trace of the calls made
// to it, one line per call with its arguments and result, so that tests can
// check what detection asked.
#ifndef TESSERA_SETUP_PLATFORM_PROFILE_H_
#define TESSERA_SETUP_PLATFORM_PROFILE_H_

#include <cstdint>
#include <string>
#include <vector>

#include "setup/platform.h"

struct GlideProfile {
  int32_t fBoards = 1;
  int32_t fTmus = 1;
  std::string fVendor;
  std::string fVersion;
  std::string fRenderer;
  std::string fExtensions;
  uint32_t fTextureMin = 0;
  uint32_t fTextureMax = 0;
  std::vector<std::string> fProcs;        // names grGetProcAddress answers
  std::vector<uint32_t> fWindows;         // resolution codes whose windows open
  std::vector<uint32_t> fExtWindows;      // ... through grSstWinOpenExt
};

struct DriverProfile {
  enum class Create { kOk, kFails, kNoDirect3D };

  // A secondary driver without a guid in the profile gets one made from its
  // place in the file, so that every driver can be told apart.
  DirectDrawDriver fDriver;
  bool fHasGuid = false;
  Create fCreate = Create::kOk;
  DirectDrawCaps fCaps;
  bool fHasTextureMemory = false;
  uint32_t fTextureMemory = 0;
  DeviceIdentifier fIdentifier;
  std::vector<DirectDrawMode> fModes;
  std::vector<Direct3DDevice> fDevices;
};

struct HardwareProfile {
  uint64_t fMemory = 0;  // bytes of physical memory
  bool fHasUser = false;
  std::string fUser;
  bool fHasGlide = false;
  GlideProfile fGlide;
  std::vector<DriverProfile> fDrivers;
};

// Limits of the reader; a profile beyond them is rejected.
struct ProfileLimits {
  static constexpr size_t kMaxFileBytes = 1 << 20;
  static constexpr size_t kMaxLineLength = 1024;
  static constexpr size_t kMaxStringLength = 511;  // a DirectDraw identifier string
  static constexpr size_t kMaxDrivers = 64;
  static constexpr size_t kMaxDevices = 64;  // per driver
  static constexpr size_t kMaxModes = 4096;  // per driver
};

// Reads a profile from `text`. False on the first error, with `error` set to
// "line N: what" and `profile` unchanged.
bool ParseHardwareProfile(const std::string& text, HardwareProfile* profile, std::string* error);
// Reads the file at `path` (at most ProfileLimits::kMaxFileBytes).
bool LoadHardwareProfile(const std::string& path, HardwareProfile* profile, std::string* error);

class ProfilePlatform : public SystemApi, private GlideApi, private DirectDrawApi {
 public:
  explicit ProfilePlatform(HardwareProfile profile);

  GlideApi* Glide() override;
  DirectDrawApi* DirectDraw() override;
  bool RegisterTestClass() override;
  void UnregisterTestClass() override;
  uintptr_t CreateTestWindow(const char* title, int32_t x, int32_t y, int32_t width,
                             int32_t height) override;
  void DestroyTestWindow(uintptr_t window) override;
  uint64_t TotalPhysicalMemory() override;
  bool UserName(std::string* name) override;

  const HardwareProfile& Profile() const { return fProfile; }
  // Every call so far, one line each, such as
  // "grSstWinOpen(1, 12, 0, 1, 0, 2, 1) = 0".
  const std::vector<std::string>& Calls() const { return fCalls; }

 private:
  // GlideApi
  int32_t Get(uint32_t item) override;
  std::string GetString(uint32_t item) override;
  void GlideInit() override;
  void GlideShutdown() override;
  void SstSelect(int32_t board) override;
  uint32_t TexMinAddress(int32_t tmu) override;
  uint32_t TexMaxAddress(int32_t tmu) override;
  bool GetProcAddress(const char* name) override;
  uint32_t OpenWindow(uintptr_t window, uint32_t resolution, uint32_t refresh,
                      uint32_t colorFormat, uint32_t origin, int32_t colorBuffers,
                      int32_t auxBuffers) override;
  uint32_t OpenWindowExt(uintptr_t window, uint32_t resolution, uint32_t refresh,
                         uint32_t colorFormat, uint32_t origin, uint32_t pixelFormat,
                         int32_t colorBuffers, int32_t auxBuffers) override;
  void CloseWindow(uint32_t context) override;

  // DirectDrawApi
  std::vector<DirectDrawDriver> EnumerateDrivers() override;
  bool Create(const DirectDrawDriver& driver) override;
  DirectDrawCaps GetCaps() override;
  bool GetAvailableTextureMemory(uint32_t* total) override;
  bool GetDeviceIdentifier(DeviceIdentifier* identifier) override;
  std::vector<DirectDrawMode> EnumerateDisplayModes() override;
  std::vector<Direct3DDevice> EnumerateDevices() override;
  void Release() override;

  void Record(const std::string& call);
  const DriverProfile* OpenDriver() const;

  HardwareProfile fProfile;
  std::vector<std::string> fCalls;
  bool fExtResolved = false;
  uint32_t fNextContext = 1;
  uintptr_t fNextWindow = 1;
  int fOpenDriver = -1;  // index into fProfile.fDrivers
};

#endif  // TESSERA_SETUP_PLATFORM_PROFILE_H_
