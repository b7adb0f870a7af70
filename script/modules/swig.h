// The conventions that every script module of ScriptXcmd follows (SceneAPIc,
// mkTypesc, mkUtilc, egBrainc, egGameControllerc, mkRegistryc, ktFlocksc):
//
// - Pointer strings: a native object crosses into a script as "_" + the
//   address in lower-case hexadecimal + a type string ("_12ab0_mkPoint3_p"),
//   the null object as "NULL".
// - The equivalence table (TypeTable): which received type strings a function
//   accepts where it expects another ("_Int32_p" where "_long_p" is expected),
//   with its cache of eight recent matches and its index by second character.
// - The live-object register: objects that the plug-in itself made and handed
//   to scripts. A decoded address of such a type must be one of them, so that
//   a forged or stale pointer string is a Python error and not a crash.
// - The host register: the host's objects that crossed into Python, each
//   under the types it was handed out as; a host pointer string must name
//   one of them (the argument policy: functions.h).
// - Variables ("cvar"): an object of type "varlink" whose attributes are
//   native variables with get and set routines.
// - ScriptModule: one module's tables and its creation in a running
//   interpreter (a multi-phase module, published in sys.modules) and release.
//
// One implementation serves all seven modules; each module has its own
// instance of the tables. Nothing here holds a Python object between two
// interpreters: module objects and the varlink type live in the interpreter.
#ifndef TESSERA_SCRIPT_MODULES_SWIG_H_
#define TESSERA_SCRIPT_MODULES_SWIG_H_

#include "script/python.h"

#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "script/text.h"

namespace script {

// Pointer strings are built in a buffer of this many bytes (terminator
// included). A type string too long to fit is refused by EncodePointer.
constexpr size_t kPointerStringSize = 128;

using PointerString = char[kPointerStringSize];

// Writes the pointer string of `address` with `type` ("_mkPoint3_p") into
// `out`: "NULL" for a null address. False (and `out` empty) when it would not
// fit in kPointerStringSize bytes.
bool EncodePointer(const void* address, const char* type, PointerString& out);

// The type string of a native type name: "mkPoint3" gives "_mkPoint3_p", a
// name that already ends in "_pp" ("mkGBehavior_pp") gives "_mkGBehavior_pp".
std::string PointerTypeString(const std::string& name);

// The value of each hexadecimal digit of a pointer string (0-9, a-f), 0xff
// for every other byte.
struct HexDigits {
  uint8_t value[256];
  constexpr HexDigits() : value() {
    for (int c = 0; c < 256; ++c) value[c] = 0xff;
    for (int c = '0'; c <= '9'; ++c) value[c] = uint8_t(c - '0');
    for (int c = 'a'; c <= 'f'; ++c) value[c] = uint8_t(c - 'a' + 10);
  }
};
inline constexpr HexDigits kHexValues{};

// Reads the hexadecimal digits (0-9, a-f) from `p` into `*value`, two at a
// time (the lower bits of a longer number than a value holds are kept);
// returns where the digits end. The text ends with a NUL, so the byte after
// a digit can always be read.
inline const char* ReadHexDigits(const char* p, uintptr_t* value) {
  uintptr_t v = 0;
  for (;;) {
    const uintptr_t high = kHexValues.value[uint8_t(p[0])];
    if (high == 0xff) break;
    const uintptr_t low = kHexValues.value[uint8_t(p[1])];
    if (low == 0xff) {
      v = (v << 4) | high;
      ++p;
      break;
    }
    v = (v << 8) | (high << 4) | low;
    p += 2;
  }
  *value = v;
  return p;
}

// Whether the `n` bytes at `a` and `b` are the same, eight at a time.
inline bool SameBytes(const char* a, const char* b, size_t n) {
  for (; n >= 8; n -= 8, a += 8, b += 8) {
    uint64_t x;
    uint64_t y;
    std::memcpy(&x, a, 8);
    std::memcpy(&y, b, 8);
    if (x != y) return false;
  }
  for (; n > 0; --n)
    if (*a++ != *b++) return false;
  return true;
}

// The common case of TypeTable::Decode, inline: `text` is "_", hexadecimal
// digits and exactly the type string `expected` (of `length` characters).
// `size`, when not negative, is the length of `text` as its owner knows it:
// the match then also proves that `text` holds no NUL before its end. False
// for anything else (which Decode then reads in full).
inline bool DecodeExact(const char* text, const char* expected, size_t length, ptrdiff_t size,
                        void** address) {
  if (text[0] != '_') return false;
  uintptr_t value = 0;
  const char* p = ReadHexDigits(text + 1, &value);
  if (p - text - 1 > ptrdiff_t(2 * sizeof(void*))) return false;
  if (size >= 0) {
    if (p - text + ptrdiff_t(length) != size || !SameBytes(p, expected, length)) return false;
  } else if (std::strcmp(p, expected) != 0) {
    return false;
  }
  *address = reinterpret_cast<void*>(value);
  return true;
}

// The address part of a pointer string whose length `size` its owner knows:
// "_" and at most as many hexadecimal digits as an address holds. The rest
// (the received type string) starts at `*rest`. False for anything else.
inline bool DecodeDigits(const char* text, ptrdiff_t size, void** address, const char** rest) {
  if (size < 1 || text[0] != '_') return false;
  uintptr_t value = 0;
  const char* p = ReadHexDigits(text + 1, &value);
  if (p - text - 1 > ptrdiff_t(2 * sizeof(void*)) || p - text > size) return false;
  *address = reinterpret_cast<void*>(value);
  *rest = p;
  return true;
}

// The one fast parser of the seven modules' arguments (the binder's rows and
// every SceneAPIc function): reads `item` for format code
// `code` when it is exactly of the type that the code asks for, as
// PyArg_ParseTuple would convert it:
// - "s": a str, in the host's encoding (HostTextOf), into `out.s` and its
//   length into `out.n`. A text with an embedded NUL is never read here
//   (for pointer strings and plain texts alike): PyArg_ParseTuple then gives
//   its error;
// - "p": a pointer string, read as "s" except that the NUL check is left to
//   the caller's decoding against the length (DecodeExact with `size`),
//   whose match proves that there is none; a text that does not match is
//   checked for a NUL (HasNul) before anything else reads it;
// - "l": an int that fits in 32 bits, into `out.l`; "i" the same within
//   int's range (a wider one goes to PyArg_ParseTuple and the 32-bit check);
// - "f": a float, into `out.f`;
// - "O": any object, into `out.o`.
// False (nothing set, no error) for anything else, which then goes to
// PyArg_ParseTuple with its own conversions and messages. `Value` is any
// record with the members s, n, l, f and o, such as ParsedItem.
struct ParsedItem {
  const char* s = nullptr;
  Py_ssize_t n = 0;
  long l = 0;
  float f = 0.0f;
  PyObject* o = nullptr;
};
template <class Value>
inline bool ParseExactItem(PyObject* item, char code, Value& out) {
  switch (code) {
    case 's':
    case 'p': {
      if (!PyUnicode_CheckExact(item)) return false;
      Py_ssize_t size = 0;
      const char* text = HostTextOf(item, &size);
      if (text == nullptr) {
        PyErr_Clear();
        return false;
      }
      if (code == 's' && std::memchr(text, '\0', size_t(size)) != nullptr) return false;
      out.s = text;
      out.n = size;
      return true;
    }
    case 'l':
    case 'i': {
      if (!PyLong_CheckExact(item)) return false;
      int overflow = 0;
      const long value = PyLong_AsLongAndOverflow(item, &overflow);
      if (overflow != 0 || value < INT32_MIN || value > INT32_MAX) return false;
      out.l = value;
      return true;
    }
    case 'f':
      if (!PyFloat_CheckExact(item)) return false;
      out.f = float(PyFloat_AsDouble(item));
      return true;
    case 'O':
      out.o = item;
      return true;
    default:
      return false;
  }
}

// Whether a text read by ParseExactItem as "p" (of `size` bytes; -1 when
// PyArg_ParseTuple read it, which refuses a NUL itself) holds a NUL; then
// raises PyArg_ParseTuple's ValueError "embedded null character".
inline bool HasNul(const char* text, ptrdiff_t size) {
  if (size < 0 || std::strlen(text) == size_t(size)) return false;
  PyErr_SetString(PyExc_ValueError, "embedded null character");
  return true;
}

// Turns an address of an accepted type into one of the expected type.
using TypeConversion = void* (*)(void*);

// One module's table of type equivalences.
class TypeTable {
 public:
  // A pointer string read against an expected type.
  struct Decoded {
    void* address = nullptr;  // handed back even when the string is rejected
    bool accepted = false;
    bool exact = false;     // the received type string is the expected one
    const char* rest = "";  // the received type string (after the digits)
  };

  // Accepted names of this length or more end a search with a rejection.
  static constexpr size_t kMaxAcceptedName = 255;
  static constexpr int kCacheSize = 8;

  TypeTable();

  // Registers that `expected` ("_long") accepts `accepted` ("_Int32"), with an
  // optional conversion of the address. Marks the table unsorted.
  void Register(const char* expected, const char* accepted, TypeConversion convert = nullptr);

  // Reads pointer string `text` against `expected` (a type string such as
  // "_long_p", or null to accept any type):
  // - "NULL" is the null address, accepted for every expected type;
  // - "_" + hexadecimal digits (0-9, a-f; anything else ends the number) +
  //   the received type string, accepted when it equals `expected` or the
  //   table says that `expected` accepts it;
  // - anything else, and a number with more digits than an address holds,
  //   is rejected.
  Decoded Decode(const char* text, const char* expected);

  // Whether `expected` accepts the received type string `received`, with
  // the conversion of the accepted name in `convert` (null for none): the
  // answer of Decode for any pointer string of type `received`, kept by the
  // two pointers (the callers pass strings that live for the process: a
  // function's expected type and the live register's copy of a type).
  bool AcceptsNamed(const char* expected, const char* received, TypeConversion* convert);

  // Frees every entry (the module's release); the table may be filled again.
  void Release();

  size_t size() const { return entries_.size(); }
  // How many decodes the cache answered (for tests of the lookup path).
  int64_t cacheHits() const { return cacheHits_; }

 private:
  struct Accepted {
    std::string name;
    TypeConversion convert;
  };
  struct Entry {
    std::string name;
    std::vector<Accepted> chain;
  };
  struct CacheSlot {
    int entry = -1;     // index into entries_, -1 when empty
    int accepted = -1;  // index into the entry's chain
    char expected[kPointerStringSize] = {};
    char received[kPointerStringSize] = {};
    int64_t uses = 0;
  };

  struct NamedSlot {
    const char* expected = nullptr;
    const char* received = nullptr;
    bool accepted = false;
    TypeConversion convert = nullptr;
  };
  static constexpr int kNamedSlots = 4;

  void Sort();
  bool Search(const char* expected, const char* received, TypeConversion* convert);
  void ForgetNamed();

  std::vector<Entry> entries_;
  bool sorted_ = false;
  int index_[256];
  CacheSlot cache_[kCacheSize];
  int lastSlot_ = 0;
  int nextSlot_ = 0;
  int64_t cacheHits_ = 0;
  NamedSlot named_[kNamedSlots];
  int nextNamed_ = 0;
};

// An open-addressing table from a non-null address to a Value, the form of
// both registers below, read inline on every call's path: key 0 is an empty
// slot, kGoneAddress one whose object left. At most half of the slots are
// filled; it grows by doubling when the objects need it and is rebuilt at
// its size when departed objects fill the rest, so a steady number of
// objects needs no allocation between rebuilds. Plain data (zero is an empty
// table), so that it outlives every object that is destroyed at unload.
constexpr uintptr_t kGoneAddress = ~uintptr_t(0);

inline size_t AddressHash(uintptr_t key) {
  uint64_t h = uint64_t(key) >> 3;
  h ^= h >> 29;
  h *= 0xbf58476d1ce4e5b9ULL;
  h ^= h >> 32;
  return size_t(h);
}

template <class Value>
struct AddressTable {
  struct Slot {
    uintptr_t key;
    Value value;
  };
  Slot* slots;
  size_t mask;    // the slot count minus 1; 0 when there are no slots
  size_t used;    // slots holding an object
  size_t filled;  // slots holding an object or kGoneAddress

  // The slot of `address`, or null (also for null and kGoneAddress).
  Slot* Find(const void* address) const {
    const uintptr_t key = reinterpret_cast<uintptr_t>(address);
    if (slots == nullptr || key == 0 || key == kGoneAddress) return nullptr;
    for (size_t i = AddressHash(key) & mask;; i = (i + 1) & mask) {
      Slot& slot = slots[i];
      if (slot.key == key) return &slot;
      if (slot.key == 0) return nullptr;
    }
  }

  // A new slot for `address`, which must not be in the table, holding
  // `value`; null when the address is null or kGoneAddress or the table
  // cannot grow (no memory), the table then being as it was.
  Slot* Add(const void* address, const Value& value) {
    const uintptr_t key = reinterpret_cast<uintptr_t>(address);
    if (key == 0 || key == kGoneAddress) return nullptr;
    const size_t count = slots != nullptr ? mask + 1 : 0;
    if ((filled + 1) * 2 > count) {
      size_t capacity = count == 0 ? 64 : count;
      while ((used + 1) * 4 > capacity) capacity *= 2;
      if (!Rebuild(capacity)) return nullptr;
    }
    size_t i = AddressHash(key) & mask;
    while (slots[i].key != 0 && slots[i].key != kGoneAddress) i = (i + 1) & mask;
    if (slots[i].key == 0) ++filled;
    slots[i] = Slot{key, value};
    ++used;
    return &slots[i];
  }

  // The object of `slot` (one of this table's) leaves.
  void Remove(Slot* slot) {
    *slot = Slot{kGoneAddress, Value{}};
    --used;
  }

  // Calls `visit(address, value)` for every object, in no fixed order.
  template <class Visit>
  void ForEach(Visit visit) const {
    for (size_t i = 0; slots != nullptr && i <= mask; ++i)
      if (slots[i].key != 0 && slots[i].key != kGoneAddress)
        visit(reinterpret_cast<void*>(slots[i].key), slots[i].value);
  }

  void Clear() {
    delete[] slots;
    *this = AddressTable{};
  }

 private:
  bool Rebuild(size_t capacity) {
    Slot* fresh = new (std::nothrow) Slot[capacity]();
    if (fresh == nullptr) return false;
    Slot* old = slots;
    const size_t oldCount = old != nullptr ? mask + 1 : 0;
    slots = fresh;
    mask = capacity - 1;
    filled = used;
    for (size_t k = 0; k < oldCount; ++k) {
      if (old[k].key == 0 || old[k].key == kGoneAddress) continue;
      size_t i = AddressHash(old[k].key) & mask;
      while (fresh[i].key != 0) i = (i + 1) & mask;
      fresh[i] = old[k];
    }
    delete[] old;
    return true;
  }
};

// The register of objects that the plug-in made and handed to scripts,
// shared by all modules. A type becomes owned when a module declares it;
// from then on a decoded non-null address of that type must be registered.
//
// Pointer strings of an owned type are checked against the register, by the
// type that the string names (an alias "_class_X_p" names "_X_p"): a string
// that names an owned type must name a registered object of exactly that
// type, whether the function expects that type or one that accepts it.
// Objects of owned types that the host hands out (a math value that a scene
// operation returns) are registered as lent: usable, never freed by a script.
namespace live {
void DeclareOwnedType(const char* type);
bool IsOwnedType(const char* type);
// Registers `address` (not null) with `type`; false when the register
// cannot hold it (no memory to grow), then the object is not usable.
bool Add(const void* address, const char* type, bool lent = false);
// The register's own copy of `type` (made at the first request, kept for
// the process): Contains answers it by comparing pointers.
const char* Name(const char* type);
void Remove(const void* address);
// Whether `address` was registered with `type` and not removed since.
inline bool Contains(const void* address, const char* type);
// The type that `address` is registered with (the register's copy), or null.
inline const char* TypeOf(const void* address);
// Whether `address` is registered with `type` and was made by the plug-in
// for a script (not lent by the host).
bool Made(const void* address, const char* type);
// Calls `visit` for every registered object of `type` (in no fixed order);
// `visit` must not add or remove objects.
void ForEach(const char* type, void (*visit)(void* object, void* context), void* context);

// The register: address to the register's copy of its type string.
struct Entry {
  const char* type;  // one of Name()'s copies
  size_t length;     // of `type`
  bool lent;
};
using Table = AddressTable<Entry>;
using Slot = Table::Slot;
extern Table gTable;

// The slot of `address`, or null.
inline const Slot* Find(const void* address) {
  return gTable.Find(address);
}

inline bool Contains(const void* address, const char* type) {
  const Slot* slot = Find(address);
  return slot != nullptr && (slot->value.type == type || std::strcmp(slot->value.type, type) == 0);
}

inline const char* TypeOf(const void* address) {
  const Slot* slot = Find(address);
  return slot != nullptr ? slot->value.type : nullptr;
}
}  // namespace live

// The register of host objects that crossed into Python: the scene objects,
// keys, brains, controllers, commands, actors and every other object that the
// host owns, by address and by each type string under which the plug-in
// handed it to a script (a result of a scene operation or a module function,
// an argument of a command or brain call, a variable of "cvar"). A script
// can pass a host object back only as a pointer string that names a
// registered address and one of its registered types: anything else is a
// TypeError and is never dereferenced.
//
// The register holds one entry per host object (not per call), at most
// kMaxObjects of them; an object handed out when it is full is not
// registered, so a script cannot use it (the limit is far above what a scene
// holds). Objects leave it where the host says they are gone (a brain
// released, a timer removed, a flock freed with the key arrays it handed
// out) and all at once when the interpreter is finalised.
//
// Types that the live-object register owns (the objects that the modules
// make) are never registered here.
namespace host {
constexpr size_t kMaxObjects = size_t(1) << 18;
// At most this many distinct host type strings are registered; further ones
// are refused (the scene interface names fewer than 50).
constexpr int kMaxTypes = 64;

// The number of a host type string ("_mkSceneObject_p"), the same for the
// whole process; -1 for an owned type or when the table of types is full.
int TypeId(const char* type);
// Registers `address` (not null) under `type`; returns false when it was not
// registered (null, an owned type, or the register full).
bool Add(const void* address, int typeId);
bool Add(const void* address, const char* type);
// Whether `address` was handed out as `typeId` (or `type`) and is not gone.
inline bool Contains(const void* address, int typeId);
bool Contains(const void* address, const char* type);
// The host says the object at `address` is gone: every type of it leaves.
void Remove(const void* address);
// Empties the register (the interpreter is finalised).
void Clear();
// How many objects the register holds.
size_t Size();

// The table: address to the mask of its type numbers.
using Table = AddressTable<uint64_t>;
extern Table gTable;
// Type numbers that became owned types.
extern uint64_t gOwnedIds;

// Whether type number `typeId` is none of the host's: -1 (an owned type or
// a full table of types) or a type that has been declared owned since.
inline bool IsOwnedId(int typeId) {
  return typeId < 0 || (gOwnedIds >> typeId & 1) != 0;
}

inline bool Contains(const void* address, int typeId) {
  if (IsOwnedId(typeId)) return false;
  const Table::Slot* slot = gTable.Find(address);
  return slot != nullptr && (slot->value >> typeId & 1) != 0;
}
}  // namespace host

// A native variable published through "cvar".
struct Variable {
  const char* name;
  // A new reference, or null with an error set.
  PyObject* (*get)();
  // 0 when set; -1 with a Python error set (the variable keeps its value).
  int (*set)(PyObject* value);
};

// Raises TypeError "Type error in argument N of F. Expected T." when
// `decoded` is not accepted (or names an owned type's object that the plug-in
// does not hold); returns whether the argument may be used.
bool CheckPointerArgument(const TypeTable::Decoded& decoded, const char* expected, int position,
                          const char* function);
// The same, with live::IsOwnedType(expected) worked out by the caller (once
// per function and argument, not once per call).
bool CheckPointerArgument(const TypeTable::Decoded& decoded, const char* expected,
                          bool expectedOwned, int position, const char* function);

// Raises ValueError "F: argument N is not a finite number" (a float argument
// that is NaN or infinite where its function takes only finite ones).
void RaiseNotFinite(const char* function, int position);

// A list of strings as a null-terminated array of UTF-8 texts that lives as
// long as this object (and the list). Small lists use no heap memory.
class StringList {
 public:
  StringList() = default;
  StringList(const StringList&) = delete;
  StringList& operator=(const StringList&) = delete;
  ~StringList();
  // Raises TypeError "not a list" or "list must contain strings"; false then.
  bool Convert(PyObject* object);
  const char** texts() { return texts_; }
  // The number of texts (after Convert).
  Py_ssize_t size() const { return size_; }

 private:
  static constexpr int kInline = 32;
  const char* inline_[kInline + 1];
  std::vector<const char*> heap_;
  const char** texts_ = nullptr;
  Py_ssize_t size_ = 0;
  // The re-encoded texts (host bytes objects) that texts_ points into.
  std::vector<PyObject*> held_;
};

// A new reference to the Python value of a pointer: its pointer string of
// type `type`, or an error when it cannot be built.
// A host object's address is registered (host::Add) under `type`.
PyObject* PointerResult(const void* address, const char* type);
// The same, with the number of `type` in the host register worked out by the
// caller.
PyObject* PointerResult(const void* address, const char* type, int hostTypeId);

// One script module: its name, functions, variables and equivalences.
class ScriptModule {
 public:
  using Equivalences = void (*)(TypeTable& table);
  // Sets the module's constants on the new module; -1 with an error set.
  using Constants = int (*)(PyObject* module);

  ScriptModule(const char* name, PyMethodDef* functions, std::vector<Variable> variables,
               Equivalences equivalences, Constants constants = nullptr);
  ScriptModule(const ScriptModule&) = delete;
  ScriptModule& operator=(const ScriptModule&) = delete;

  // Creates the module in the running interpreter and publishes it in
  // sys.modules under its name, so that "import SceneAPIc" finds it. False
  // with a Python error set when it cannot.
  bool Create();
  // Frees the equivalence table (after the interpreter is finalised).
  void Release();

  const char* name() const { return name_; }
  TypeTable& types() { return types_; }
  const std::vector<Variable>& variables() const { return variables_; }

 private:
  static int Exec(PyObject* module);

  PyModuleDef def_;
  PyModuleDef_Slot slots_[2];
  const char* name_;
  std::vector<Variable> variables_;
  Equivalences equivalences_;
  Constants constants_;
  TypeTable types_;
};

// The scalar equivalences that every module but mkRegistryc registers.
void RegisterScalarEquivalences(TypeTable& table);
// Those of mkRegistryc: the plain scalar types only.
void RegisterPlainScalarEquivalences(TypeTable& table);

// Holds one reference and releases it at the end of its scope.
class PyRef {
 public:
  explicit PyRef(PyObject* object = nullptr) : object_(object) {}
  ~PyRef() { Py_XDECREF(object_); }
  PyRef(const PyRef&) = delete;
  PyRef& operator=(const PyRef&) = delete;
  PyObject* get() const { return object_; }
  PyObject* release() {
    PyObject* o = object_;
    object_ = nullptr;
    return o;
  }
  explicit operator bool() const { return object_ != nullptr; }

 private:
  PyObject* object_;
};

// The positional arguments of a module function called the fast way
// (METH_FASTCALL): the caller's array, borrowed for the call.
struct FastArgs {
  PyObject* const* items;
  Py_ssize_t count;
};

// A new tuple of the arguments, for PyArg_ParseTuple on a slow path; null
// with a Python exception set.
PyObject* ArgumentTuple(FastArgs args);

// The method table's form of a function that takes its arguments the fast
// way: {"Name", FastFunction(&F), METH_FASTCALL, doc}.
inline PyCFunction FastFunction(PyObject* (*function)(PyObject*, PyObject* const*, Py_ssize_t)) {
  return reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(function));
}

}  // namespace script

#endif  // TESSERA_SCRIPT_MODULES_SWIG_H_
