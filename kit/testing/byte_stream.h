// A stream over a vector of bytes, for tests of code that reads and writes
// through mkStream.
#ifndef TESSERA_KIT_TESTING_BYTE_STREAM_H_
#define TESSERA_KIT_TESTING_BYTE_STREAM_H_

#include <cstdint>
#include <vector>

#include "kit/plugin/plugin.h"
#include "kit/stream/stream.h"

namespace mktest {

class ByteStream : public mkStream {
 public:
  MK_DESTROYING_DESTRUCTOR(ByteStream)
  int32_t Open(const char*, const char*) override { return 1; }
  int32_t Close() override { return 1; }
  uint32_t Read(uint32_t count, void* destination) override {
    uint32_t n = 0;
    while (n < count && at_ < bytes.size()) static_cast<uint8_t*>(destination)[n++] = bytes[at_++];
    return n;
  }
  uint32_t Write(uint32_t count, const void* source) override {
    auto* p = static_cast<const uint8_t*>(source);
    bytes.insert(bytes.end(), p, p + count);
    return 1;
  }
  void Skip(uint32_t count) override { at_ += count; }
  void Rewind() override { at_ = 0; }

  std::vector<uint8_t> bytes;

 private:
  size_t at_ = 0;
};

}  // namespace mktest

#endif  // TESSERA_KIT_TESTING_BYTE_STREAM_H_
