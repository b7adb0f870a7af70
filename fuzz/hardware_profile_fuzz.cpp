// Hardware profiles (setup/profiles/*.profile). A profile is accepted within
// ProfileLimits or rejected with a reason (a line error names its line); a
// rejected one leaves the profile as it was.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_check.h"
#include "setup/hardware_profile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  HardwareProfile profile;
  profile.fUser = "unchanged";
  std::string error;
  if (!ParseHardwareProfile(text, &profile, &error)) {
    // Errors of a line name it; those of the whole profile (two drivers with
    // one guid, two primaries, its size) do not.
    FUZZ_CHECK(!error.empty());
    FUZZ_CHECK(profile.fUser == "unchanged" && profile.fDrivers.empty());
    return 0;
  }
  FUZZ_CHECK(profile.fDrivers.size() <= ProfileLimits::kMaxDrivers);
  for (const DriverProfile& driver : profile.fDrivers) {
    FUZZ_CHECK(driver.fDevices.size() <= ProfileLimits::kMaxDevices);
    FUZZ_CHECK(driver.fModes.size() <= ProfileLimits::kMaxModes);
  }
  return 0;
}
