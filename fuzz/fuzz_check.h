// What the fuzz targets share: a check that stops the run with a message
// when a property of a reader does not hold (libFuzzer then keeps the input
// that broke it), and a stream that collects what is written to it.
#ifndef TESSERA_FUZZ_FUZZ_CHECK_H_
#define TESSERA_FUZZ_FUZZ_CHECK_H_

#include <cstdio>
#include <cstdlib>
#include <string>

#include "kit/stream/stream.h"

#define FUZZ_CHECK(condition)                                                               \
  do {                                                                                      \
    if (!(condition)) {                                                                     \
      std::fprintf(stderr, "%s:%d: property broken: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                         \
    }                                                                                       \
  } while (false)

namespace fuzz {

// A stream that appends every write to fBytes and reads nothing.
class StringSink final : public mkStream {
 public:
  void* Destroy(uint32_t flags) override {
    this->~StringSink();
    if (flags & 1u) ::operator delete(this);
    return this;
  }
  int32_t Open(const char*, const char*) override { return 1; }
  int32_t Close() override { return 1; }
  uint32_t Read(uint32_t, void*) override { return 0; }
  uint32_t Write(uint32_t count, const void* source) override {
    fPosition += count;
    fBytes.append(static_cast<const char*>(source), count);
    return 1;
  }
  void Skip(uint32_t) override {}
  void Rewind() override {}

  std::string fBytes;
};

}  // namespace fuzz

#endif  // TESSERA_FUZZ_FUZZ_CHECK_H_
