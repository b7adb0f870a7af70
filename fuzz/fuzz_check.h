// What the fuzz targets share: a check that stops the run with a message
// when a property of a reader does not hold (libFuzzer then keeps the input
// that broke it). mkStringSink (kit/stream) collects what a writer writes.
#ifndef TESSERA_FUZZ_FUZZ_CHECK_H_
#define TESSERA_FUZZ_FUZZ_CHECK_H_

#include <cstdio>
#include <cstdlib>

#include "kit/stream/stream.h"

#define FUZZ_CHECK(condition)                                                               \
  do {                                                                                      \
    if (!(condition)) {                                                                     \
      std::fprintf(stderr, "%s:%d: property broken: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                         \
    }                                                                                       \
  } while (false)

#endif  // TESSERA_FUZZ_FUZZ_CHECK_H_
