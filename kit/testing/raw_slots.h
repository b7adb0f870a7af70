// Calls an object's virtual operation by slot number through its raw
// operation table, bypassing C++ dispatch, so that tests pin the slot order
// that a host compiled elsewhere relies on. Only for the build machine's
// calling convention (the Itanium ABI of Linux): the object is passed as the
// first argument.
#ifndef TESSERA_KIT_TESTING_RAW_SLOTS_H_
#define TESSERA_KIT_TESTING_RAW_SLOTS_H_

#include <cstdint>

namespace mktest {

template <class Result, class... Args>
Result CallSlot(void* object, int slot, Args... args) {
  void** table = *static_cast<void***>(object);
  using Function = Result (*)(void*, Args...);
  return reinterpret_cast<Function>(table[slot])(object, args...);
}

// Byte offset of `field` from the start of `object`.
template <class Object, class Field>
std::ptrdiff_t OffsetOf(const Object& object, const Field& field) {
  return reinterpret_cast<const char*>(&field) - reinterpret_cast<const char*>(&object);
}

}  // namespace mktest

#endif  // TESSERA_KIT_TESTING_RAW_SLOTS_H_
