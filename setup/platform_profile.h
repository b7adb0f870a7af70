// The simulated platform: a hardware profile, read from a text file, that
// says what the Glide and DirectDraw calls of detection would answer on some
// machine (hardware_profile.h). Used where there is no Windows graphics
// platform (the command-line setup, the tests).
//
// ProfilePlatform answers from a profile and keeps a trace of the calls made
// to it, one line per call with its arguments and result, so that tests can
// check what detection asked.
#ifndef TESSERA_SETUP_PLATFORM_PROFILE_H_
#define TESSERA_SETUP_PLATFORM_PROFILE_H_

#include <cstdint>
#include <string>
#include <vector>

#include "setup/hardware_profile.h"
#include "setup/platform.h"

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
  uint32_t OpenWindow(uintptr_t window, uint32_t resolution, uint32_t refresh, uint32_t colorFormat,
                      uint32_t origin, int32_t colorBuffers, int32_t auxBuffers) override;
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
