// The stream's line and token readers (with comments and skip blocks) and its
// typed value readers, over bytes in memory. The first four bytes choose the
// reader, the capacity, the comment character and the line-end byte.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "kit/stream/stream.h"

namespace {

constexpr char kGuard = '\x7F';

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  const bool tokens = (data[0] & 1) != 0;
  const bool typed = (data[0] & 2) != 0;
  // Capacities 1 to 300: small ones cut every line, 256 is the system's own.
  const int32_t capacity = 1 + int32_t(data[1]) % 300;
  const char comment = (data[2] & 0x80) != 0 ? '#' : char(data[2]);
  const char lineEnd = (data[3] & 0x80) != 0 ? '\n' : char(data[3]);
  data += 4;
  size -= 4;

  mkMemoryStream stream(data, uint32_t(size));
  if (typed) {
    // Typed values of lengths that the input chooses, through both the
    // single and the array forms; a short read fills nothing beyond the
    // array.
    uint32_t values[9];
    while (!stream.AtEnd()) {
      const uint32_t n = stream.ReadByte() % 8;
      values[n] = 0xA5A5A5A5u;
      stream.Read32(n, values);
      FUZZ_CHECK(values[n] == 0xA5A5A5A5u);
      stream.Read16(n, reinterpret_cast<uint16_t*>(values));
      stream.ReadFloat(n, reinterpret_cast<float*>(values));
      FUZZ_CHECK(values[n] == 0xA5A5A5A5u);
      (void)stream.Read32();
      (void)stream.ReadFloat();
      (void)stream.Read16();
    }
    FUZZ_CHECK(stream.fPosition >= size);
    return 0;
  }

  std::vector<char> buffer(size_t(capacity) + 1, kGuard);
  // Each stored item consumes at least one byte, so the loop ends.
  size_t items = 0;
  for (;;) {
    const int32_t got = tokens ? stream.ReadToken(buffer.data(), capacity, comment, lineEnd)
                               : stream.ReadLine(buffer.data(), capacity, comment, lineEnd);
    FUZZ_CHECK(buffer[size_t(capacity)] == kGuard);
    if (got == 0) {
      FUZZ_CHECK(buffer[0] == '\0');
      break;
    }
    // The item is terminated within the capacity.
    FUZZ_CHECK(std::memchr(buffer.data(), '\0', size_t(capacity)) != nullptr);
    ++items;
    FUZZ_CHECK(items <= size);
  }
  FUZZ_CHECK(stream.AtEnd());
  return 0;
}
