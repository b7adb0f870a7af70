// The saved device file (init/dev_mode.dat). Whatever its length fields say,
// the reader allocates within DevModeLimits; a file that it accepts is
// written back byte for byte.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz/fuzz_check.h"
#include "setup/graphics_options.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  mkMemoryStream stream(data, uint32_t(size));
  DeviceRecord record;
  DisplayMode mode;
  uint16_t quality = 0;
  const DevModeReadResult result = ReadDeviceChoice(stream, &record, &mode, &quality);
  if (result == DevModeReadResult::kWrongVersion) {
    FUZZ_CHECK(record.fVersion != DeviceRecord::kVersion);
    FUZZ_CHECK((record.fFlags & DeviceRecord::kInvalid) != 0);
    return 0;
  }
  if (result != DevModeReadResult::kOk) return 0;
  FUZZ_CHECK(record.fDriverDescription.size() <= DevModeLimits::kMaxStringLength);
  FUZZ_CHECK(record.fCaps.Words().size() <= DevModeLimits::kMaxCapabilityWords);
  FUZZ_CHECK(record.fModes.size() <= DevModeLimits::kMaxModes);
  FUZZ_CHECK(record.fClass == 0);

  mkStringSink sink;
  WriteDeviceChoice(sink, record, mode, quality);
  FUZZ_CHECK(sink.fBytes.size() <= size);
  FUZZ_CHECK(std::memcmp(sink.fBytes.data(), data, sink.fBytes.size()) == 0);
  return 0;
}
