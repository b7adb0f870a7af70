// The binder of the script modules' functions and the argument policy that
// every function of the seven modules follows (SceneAPIc applies the same
// checks in scene_module.cpp):
//
// - Objects that the modules make (new_X; the math values that the host
//   lends): the pointer string must name a live one, of its type or of a
//   type that the module's equivalence table accepts; delete_X frees only an
//   object of exactly type X that a new_X made (live register, swig.h).
// - Host objects (scene objects, keys, brains, brain DLLs, controllers,
//   commands, actors, behaviours, everything that the host owns): the
//   pointer string must be one that the plug-in handed to a script under
//   that type (host register, swig.h); a forged or stale one is a TypeError
//   "Type error in argument N of F. Expected T." and is never dereferenced.
// - "NULL" (and address 0 of an accepted type) is taken only where a row's
//   parameter is OrNull<T> (and by every SceneAPIc operation: the host tests
//   its objects for null); its documentation line says so.
// - Integers ("l") must fit in 32 bits: OverflowError "F: N does not fit in
//   32 bits" otherwise.
// - Floats ("f") must be finite: a NaN or an infinity is a ValueError
//   "F: argument N is not a finite number", except where a row's parameter
//   is AnyFloat (a value that the function only stores or computes with, and
//   that the module's arithmetic may itself have made non-finite). The
//   boid library's "none" distance is INFINITY = 999999.0, a finite number.
//   SceneAPIc applies the same rule to every float of every operation.
// - Lists of texts: "not a list", "list must contain strings"; the count
//   before a list (SceneAPIc) runs from 0 to the list's length.
// - Nothing depends on the order of calls: the registers are asked on every
//   call, and a type's number is only a name for it.
//
// - mkTypesc's floats are AnyFloat: its arithmetic keeps non-finite
//   components (only its divisions by 0 are refused, by the functions).
//
// The functions of the six modules besides SceneAPIc are rows (below).
#ifndef TESSERA_SCRIPT_MODULES_FUNCTIONS_H_
#define TESSERA_SCRIPT_MODULES_FUNCTIONS_H_

#include <cmath>
#include <cstring>
#include <new>
#include <string>
#include <tuple>
#include <type_traits>
#include <utility>

#include "kit/host/host.h"
#include "kit/math/math.h"
#include "script/modules/swig.h"
#include "script/text.h"

namespace script {

// The type string of each native type that crosses into scripts.
template <class T>
struct ScriptType;
#define SCRIPT_TYPE(T, Name)                            \
  template <>                                           \
  struct ScriptType<T> {                                \
    static constexpr const char* kName = "_" Name "_p"; \
  };

SCRIPT_TYPE(mkPoint3, "mkPoint3")
SCRIPT_TYPE(mkVector3, "mkVector3")
SCRIPT_TYPE(mkPlane3, "mkPlane3")
SCRIPT_TYPE(mkQuat, "mkQuat")
SCRIPT_TYPE(mkColorRGBA, "mkColorRGBA")
SCRIPT_TYPE(mkMatrix44, "mkMatrix44")
SCRIPT_TYPE(egSceneApi, "egSceneApi")
SCRIPT_TYPE(mkRegistryKey, "mkRegistryKey")
SCRIPT_TYPE(mkSceneObject, "mkSceneObject")
SCRIPT_TYPE(egCamera, "egCamera")
SCRIPT_TYPE(egPhysicalSceneObject, "egPhysicalSceneObject")
SCRIPT_TYPE(egCharacter, "egCharacter")
SCRIPT_TYPE(egMovingSceneObject, "egMovingSceneObject")

// Every "l" argument of a parsed `format` fits in 32 bits; false with an
// OverflowError "F: N does not fit in 32 bits" otherwise.
bool CheckLongArgs(const char* format, void* const* targets);

// One call's pointer arguments, decoded against `types`.
class Arguments {
 public:
  Arguments(TypeTable& types, const char* function) : types_(types), function_(function) {}

  // Argument `position` (counted from 1) as an object of type T; false with
  // a TypeError set when `text` does not name a live one (null included).
  // `size` is the length of `text` when the fast parser read it ("p": its
  // NUL check is made here), -1 when PyArg_ParseTuple did.
  template <class T>
  bool Get(int position, const char* text, T*& out, ptrdiff_t size = -1) {
    return Read(position, text, size, false, out);
  }

  // Float argument `position` is finite; false with a ValueError set
  // otherwise.
  bool Finite(int position, float value) {
    if (std::isfinite(value)) return true;
    RaiseNotFinite(function_, position);
    return false;
  }

  // As Get, but "NULL" (and an address 0 of an accepted type) gives a null
  // object.
  template <class T>
  bool GetOrNull(int position, const char* text, T*& out, ptrdiff_t size = -1) {
    if (text != nullptr && text[0] == 'N' && std::strcmp(text, "NULL") == 0 &&
        (size < 0 || size == 4)) {
      out = nullptr;
      return true;
    }
    return Read(position, text, size, true, out);
  }

 private:
  template <class T>
  bool Read(int position, const char* text, ptrdiff_t size, bool nullAllowed, T*& out) {
    const char* type = ScriptType<T>::kName;
    static constexpr size_t kLength = std::char_traits<char>::length(ScriptType<T>::kName);
    // The number of the type's name in the host register (-1 for the types
    // that the modules make, which the live register holds).
    static const int hostId = host::TypeId(type);
    static const char* const liveName = live::Name(type);
    void* address = nullptr;
    const char* rest = nullptr;
    if (size >= 0) {
      // Read by the fast parser: the digits once, then the received type
      // string by its length (a match also proves that there is no NUL).
      if (DecodeDigits(text, size, &address, &rest)) {
        const size_t restLength = size_t(text + size - rest);
        if (restLength == kLength && SameBytes(rest, type, kLength)) {
          if (address != nullptr &&
              (hostId >= 0 ? host::Contains(address, hostId) : live::Contains(address, liveName))) {
            out = static_cast<T*>(address);
            return true;
          }
        } else if (const live::Slot* slot = live::Find(address);
                   slot != nullptr && restLength == slot->value.length &&
                   SameBytes(rest, slot->value.type, slot->value.length)) {
          // An object of a type that the expected one accepts (an
          // influence vector where a velocity vector is expected), named
          // by its own type: the table's answer for that type and the
          // register's entry, the checks of Decode and CheckPointerArgument
          // below.
          TypeConversion convert = nullptr;
          if (types_.AcceptsNamed(type, slot->value.type, &convert)) {
            void* converted = convert != nullptr ? convert(address) : address;
            if (converted != nullptr &&
                (converted == address || live::Contains(converted, slot->value.type))) {
              out = static_cast<T*>(converted);
              return true;
            }
          }
        }
      }
    } else if (DecodeExact(text, type, kLength, size, &address) && address != nullptr &&
               (hostId >= 0 ? host::Contains(address, hostId)
                            : live::Contains(address, liveName))) {
      out = static_cast<T*>(address);
      return true;
    }
    if (HasNul(text, size)) return false;
    const TypeTable::Decoded decoded = types_.Decode(text, type);
    if (!CheckPointerArgument(decoded, type, host::IsOwnedId(hostId), position, function_))
      return false;
    if (decoded.address == nullptr && !nullAllowed) {
      PyErr_Format(PyExc_TypeError, "Type error in argument %d of %s. Expected %s.", position,
                   function_, type);
      return false;
    }
    out = static_cast<T*>(decoded.address);
    return true;
  }

  TypeTable& types_;
  const char* function_;
};

// Frees an object that MakeObject made. The register guarantees that
// `object` is of exactly type T, so no virtual destructor is needed (the
// boid library's classes have none, by their binary interface).
template <class T>
void DestroyObject(T* object) {
  object->T::~T();  // exactly T's destructor, named so (no virtual dispatch)
  ::operator delete(object);
}

// Makes a T for a script from `args` (aggregate or constructor arguments),
// registers it and returns its pointer string.
template <class T, class... A>
PyObject* MakeObject(A... args) {
  T* object = new (std::nothrow) T{args...};
  if (object == nullptr) return PyErr_NoMemory();
  if (!live::Add(object, ScriptType<T>::kName)) {
    DestroyObject(object);
    return PyErr_NoMemory();
  }
  PyObject* result = PointerResult(object, ScriptType<T>::kName);
  if (result == nullptr) {
    live::Remove(object);
    DestroyObject(object);
  }
  return result;
}

// --- Rows: one per module function --------------------------------------------
//
// A module function is a row: its Python name once, the native function that
// it calls and its documentation line,
//
//   #define KT_ROWS(X) X(egBrain_GetFlags, "(egBrain) -> int\nThe flags word.")
//
// with `native::egBrain_GetFlags` a plain function (or a constexpr pointer to
// one). Bind derives everything else from the native signature: the format
// ("s:egBrain_GetFlags"), the parsing (the fast parser, else PyArg_ParseTuple
// with CheckLongArgs), the decoding of each object argument in order with the
// checks of Arguments, and the result.
//
// Parameter types and their codes:
// - T* an object of type T ("s"; never null: "NULL" is a TypeError);
// - OrNull<T> an object of type T or "NULL" ("s");
// - const char* a text ("s"), float ("f", finite), AnyFloat ("f", NaN and
//   infinities too), int32_t ("l", within 32 bits);
// - const char** a list of texts ("O": "not a list", "list must contain
//   strings"), null-terminated, for the call only;
// - OptionalFloat<N> and OptionalInt<N>, trailing arguments that may be
//   left out (then N).
// Result types: void (None), int32_t (int), float and double (float), const char*
// (str, None for null), T* (T's pointer string, "NULL" for null) and
// PyObject* (made by the native function itself, null with an error set).

// Trailing arguments that a script may leave out, with their defaults.
template <int Default>
struct OptionalFloat {
  float value = float(Default);
};
template <int32_t Default>
struct OptionalInt {
  int32_t value = Default;
};

// A float argument that may be NaN or infinite (every other float argument
// must be finite).
struct AnyFloat {
  float value = 0.0f;
  operator float() const { return value; }
};

// An object argument that may be "NULL" (then null).
template <class T>
struct OrNull {
  T* p = nullptr;
  explicit operator bool() const { return p != nullptr; }
  T* operator->() const { return p; }
  T* get() const { return p; }
};

namespace bind {

// Each parameter type: its format code, whether it may be left out, the
// value that parsing fills (with its default) and its conversion.
template <class A>
struct Arg;
// A pointer string as parsing leaves it: its length when the fast parser
// read it ("p"), -1 when PyArg_ParseTuple did (which writes `s`, the first
// member).
struct PointerText {
  const char* s;
  ptrdiff_t n;
};
template <class T>
struct Arg<T*> {
  static constexpr char kCode = 's';
  static constexpr bool kOptional = false;
  using Raw = PointerText;
  static Raw Initial() { return {nullptr, -1}; }
  template <class List>
  static bool Convert(Arguments& a, int position, Raw raw, T*& out, List&) {
    return a.Get(position, raw.s, out, raw.n);
  }
};
template <class T>
struct Arg<OrNull<T>> {
  static constexpr char kCode = 's';
  static constexpr bool kOptional = false;
  using Raw = PointerText;
  static Raw Initial() { return {nullptr, -1}; }
  template <class List>
  static bool Convert(Arguments& a, int position, Raw raw, OrNull<T>& out, List&) {
    return a.GetOrNull(position, raw.s, out.p, raw.n);
  }
};
template <>
struct Arg<const char*> {
  static constexpr char kCode = 's';
  static constexpr bool kOptional = false;
  using Raw = const char*;
  static Raw Initial() { return nullptr; }
  template <class List>
  static bool Convert(Arguments&, int, Raw raw, const char*& out, List&) {
    out = raw;
    return true;
  }
};
template <>
struct Arg<float> {
  static constexpr char kCode = 'f';
  static constexpr bool kOptional = false;
  using Raw = float;
  static Raw Initial() { return 0.0f; }
  template <class List>
  static bool Convert(Arguments& a, int position, Raw raw, float& out, List&) {
    out = raw;
    return a.Finite(position, raw);
  }
};
template <>
struct Arg<AnyFloat> {
  static constexpr char kCode = 'f';
  static constexpr bool kOptional = false;
  using Raw = float;
  static Raw Initial() { return 0.0f; }
  template <class List>
  static bool Convert(Arguments&, int, Raw raw, AnyFloat& out, List&) {
    out.value = raw;
    return true;
  }
};
template <>
struct Arg<int32_t> {
  static constexpr char kCode = 'l';
  static constexpr bool kOptional = false;
  using Raw = long;  // checked to fit in 32 bits when parsed
  static Raw Initial() { return 0; }
  template <class List>
  static bool Convert(Arguments&, int, Raw raw, int32_t& out, List&) {
    out = int32_t(raw);
    return true;
  }
};
// A list of texts, null-terminated, for the call only (one per row).
template <int Default>
struct Arg<OptionalFloat<Default>> {
  static constexpr char kCode = 'f';
  static constexpr bool kOptional = true;
  using Raw = float;
  static Raw Initial() { return float(Default); }
  template <class List>
  static bool Convert(Arguments& a, int position, Raw raw, OptionalFloat<Default>& out, List&) {
    out.value = raw;
    return a.Finite(position, raw);
  }
};
template <int32_t Default>
struct Arg<OptionalInt<Default>> {
  static constexpr char kCode = 'l';
  static constexpr bool kOptional = true;
  using Raw = long;
  static Raw Initial() { return Default; }
  template <class List>
  static bool Convert(Arguments&, int, Raw raw, OptionalInt<Default>& out, List&) {
    out.value = int32_t(raw);
    return true;
  }
};
template <>
struct Arg<const char**> {
  static constexpr char kCode = 'O';
  static constexpr bool kOptional = false;
  using Raw = PyObject*;
  static Raw Initial() { return nullptr; }
  template <class List>
  static bool Convert(Arguments&, int, Raw raw, const char**& out, List& list) {
    if (!list.Convert(raw)) return false;
    out = list.texts();
    return true;
  }
};

// What a row without a list argument holds in place of a StringList.
struct NoList {};

// A native function with logic of its own makes its result itself (null
// with an error set).
inline PyObject* Result(PyObject* result) {
  return result;
}
inline PyObject* Result(int32_t value) {
  return PyLong_FromLong(value);
}
inline PyObject* Result(float value) {
  return PyFloat_FromDouble(double(value));
}
inline PyObject* Result(double value) {
  return PyFloat_FromDouble(value);
}
inline PyObject* Result(const char* text) {
  if (text == nullptr) Py_RETURN_NONE;
  return HostTextToPython(text);
}
template <class T>
PyObject* Result(T* object) {
  return PointerResult(object, ScriptType<T>::kName);
}

template <class R, class... A>
constexpr size_t Arity(R (*)(A...)) {
  return sizeof...(A);
}

// The format of a row: the codes of the parameters, ":" and the name.
template <class... A>
std::string Format(const char* name) {
  const char codes[] = {Arg<A>::kCode..., '\0'};
  const bool optional[] = {Arg<A>::kOptional..., false};
  std::string format;
  for (size_t k = 0; codes[k] != '\0'; ++k) {
    if (optional[k] && (k == 0 || !optional[k - 1])) format += '|';
    format += codes[k];
  }
  return format + ":" + name;
}

// One argument through the fast parser (ParseExactItem), into its raw value.
template <class A>
bool Fast(PyObject* item, typename Arg<A>::Raw& raw) {
  using Raw = typename Arg<A>::Raw;
  ParsedItem v;
  if constexpr (std::is_same_v<Raw, PointerText>) {
    if (!ParseExactItem(item, 'p', v)) return false;
    raw = {v.s, v.n};
  } else {
    if (!ParseExactItem(item, Arg<A>::kCode, v)) return false;
    if constexpr (std::is_same_v<Raw, const char*>)
      raw = v.s;
    else if constexpr (std::is_same_v<Raw, float>)
      raw = v.f;
    else if constexpr (std::is_same_v<Raw, long>)
      raw = v.l;
    else
      raw = v.o;
  }
  return true;
}

// Where PyArg_ParseTuple writes a raw value.
template <class Raw>
void* Target(Raw& raw) {
  if constexpr (std::is_same_v<Raw, PointerText>)
    return &raw.s;
  else
    return &raw;
}

template <const char* Name, TypeTable& (*Types)(), class R, class... A, size_t... I>
PyObject* Call(R (*fn)(A...), FastArgs args, std::index_sequence<I...>) {
  static const std::string format = Format<A...>(Name);
  constexpr Py_ssize_t kCount = Py_ssize_t(sizeof...(A));
  constexpr Py_ssize_t kRequired = (Py_ssize_t(0) + ... + (Arg<A>::kOptional ? 0 : 1));
  std::tuple<typename Arg<A>::Raw...> raw{Arg<A>::Initial()...};
  const Py_ssize_t given = args.count;
  // The usual case: every item exactly of its type, read by the fast
  // parser; anything else through PyArg_ParseTuple, with its conversions
  // and messages, and the 32-bit check of its numbers.
  const bool fast = given >= kRequired && given <= kCount &&
                    ((Py_ssize_t(I) >= given || Fast<A>(args.items[I], std::get<I>(raw))) && ...);
  if (!fast) {
    raw = std::tuple<typename Arg<A>::Raw...>{Arg<A>::Initial()...};
    void* const targets[] = {Target(std::get<I>(raw))..., nullptr};
    // The texts and objects parsed are the caller's, which outlive the tuple.
    PyRef tuple(ArgumentTuple(args));
    if (!tuple || !PyArg_ParseTuple(tuple.get(), format.c_str(), Target(std::get<I>(raw))...) ||
        !CheckLongArgs(format.c_str(), targets))
      return nullptr;
  }
  std::tuple<A...> values{};
  static TypeTable& types = Types();
  Arguments a(types, Name);
  // Only a row that takes a list holds one.
  std::conditional_t<(std::is_same_v<A, const char**> || ...), StringList, NoList> list;
  (void)list;
  // In argument order; the first refusal ends the call.
  if (!(Arg<A>::Convert(a, int(I) + 1, std::get<I>(raw), std::get<I>(values), list) && ...))
    return nullptr;
  if constexpr (std::is_void_v<R>) {
    fn(std::get<I>(values)...);
    Py_RETURN_NONE;
  } else {
    return Result(fn(std::get<I>(values)...));
  }
}

}  // namespace bind

// The wrapper of one row: native function `Fn`, Python name `Name`, the
// module's equivalence table from `Types`. It takes its arguments the fast
// way: {"Name", FastFunction(&Bind<...>), METH_FASTCALL, doc}.
template <auto Fn, const char* Name, TypeTable& (*Types)()>
PyObject* Bind(PyObject*, PyObject* const* items, Py_ssize_t count) {
  return bind::Call<Name, Types>(Fn, FastArgs{items, count},
                                 std::make_index_sequence<bind::Arity(Fn)>{});
}

}  // namespace script

#endif  // TESSERA_SCRIPT_MODULES_FUNCTIONS_H_
