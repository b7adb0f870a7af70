// Hardware profiles: text files that say what the Glide and DirectDraw calls
// of detection would answer on some machine (the format is described in
// profiles/README.md). The reader is bounded (ProfileLimits) and rejects a
// profile at its first error, naming the line. ProfilePlatform
// (platform_profile.h) answers detection from a profile.
#ifndef TESSERA_SETUP_HARDWARE_PROFILE_H_
#define TESSERA_SETUP_HARDWARE_PROFILE_H_

#include <cstddef>
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
  std::vector<std::string> fProcs;    // names grGetProcAddress answers
  std::vector<uint32_t> fWindows;     // resolution codes whose windows open
  std::vector<uint32_t> fExtWindows;  // ... through grSstWinOpenExt
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

#endif  // TESSERA_SETUP_HARDWARE_PROFILE_H_
