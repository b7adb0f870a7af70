// Counts the allocations of a test program, to show that a steady-state
// frame allocates nothing. Replaces the global allocation functions, so
// include it in exactly one source file of the program.
#ifndef TESSERA_KIT_TESTING_COUNT_ALLOCATIONS_H_
#define TESSERA_KIT_TESTING_COUNT_ALLOCATIONS_H_

#include <cstdlib>
#include <new>

namespace mktest {
// Allocations made through operator new since the program started.
long gAllocations = 0;
}  // namespace mktest

void* operator new(std::size_t size) {
  ++mktest::gAllocations;
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  ++mktest::gAllocations;
  return std::malloc(size == 0 ? 1 : size);
}
// GCC, inlining these into a program's static initialisation (a benchmark's
// registrations), takes the replaced pair for a mismatched one.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif
void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

#endif  // TESSERA_KIT_TESTING_COUNT_ALLOCATIONS_H_
