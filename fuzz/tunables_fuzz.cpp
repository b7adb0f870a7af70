// The creature tunables file (init/chars/hopkin.ini) read over a store of
// defaults, and every value read back in all its forms.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "fuzz/fuzz_check.h"
#include "kit/tunables/tunables.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ktTunables tunables;
  tunables.AddLine("VelocityWalk 0.1625");
  tunables.AddLine("FlockAvoiders 'Cove..WallBlocker', 'Cove..ExitBlocker'");
  mkMemoryStream stream(data, uint32_t(size));
  tunables.Load(stream);
  FUZZ_CHECK(stream.AtEnd());

  // Every key that the file can name is read back: the first token of each
  // line is a key, so look up a few that the dictionary offers.
  for (const char* key : {"VelocityWalk", "FlockAvoiders", "velocitywalk", "x", ""}) {
    const ktTunableList list = tunables.List(key);
    FUZZ_CHECK(list.count >= 0);
    for (const ktTunableValue& value : list) {
      (void)value.AsInt();
      FUZZ_CHECK(std::isfinite(value.AsFloat()));
      if (value.kind() == ktTunableValue::kString) {
        FUZZ_CHECK(value.AsString() != nullptr);
        FUZZ_CHECK(std::strlen(value.AsString()) < size_t(ktTunables::kLineLimit));
      }
    }
    (void)tunables.Float(key);
    (void)tunables.Int(key);
  }
  return 0;
}
