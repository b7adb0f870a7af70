// SceneAPIc: one function per scene operation, generated from the table of
// the scene interface (kit/host/scene_ops.inc), and the variables
// JustOneFrame, TheDetector and TheActor.
//
// Every function parses its argument tuple with its format ("ss|l:Name"),
// decodes its pointer arguments in order against their types, converts its
// list argument, calls the operation of the same name once and converts the
// result. The descriptions of the table (formats, pointer types, defaults,
// result forms) are read once, when the module is first created.
#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>
#include <string>
#include <type_traits>
#include <utility>

#include "script/modules/modules.h"
#include "script/text.h"

namespace script {

namespace {

egSceneApi* gApi = nullptr;
SceneVariables gVariables;

// The most arguments of any operation, and more than PyArg_ParseTuple is
// ever handed.
constexpr int kMaxArgs = 16;

struct OpText {
  const char* name;
  const char* format;
  const char* types;
  const char* defaults;
  const char* result;
};

const OpText kOps[] = {
#define MK_SCENE_OP(Ret, Name, Params, Args, Format, Types, Defaults, Result) \
  {#Name, Format, Types, Defaults, Result},
#include "kit/host/scene_ops.inc"
};
static_assert(sizeof kOps / sizeof kOps[0] == kSceneApiOpCount, "one row per operation");

// One argument after parsing; the member that its format code fills.
struct ArgValue {
  const char* s;
  Py_ssize_t n;  // the length of s when ParseExact read it (no NUL in it), else -1
  long l;
  int i;
  float f;
  PyObject* o;
  void* p;
  const char** list;
};

// An operation's description, read from its row.
struct Op {
  std::string parseFormat;  // "ssllll|fllfl:AnimPlay"
  int count = 0;            // arguments in all
  int required = 0;         // arguments before the "|"
  char codes[kMaxArgs] = {};
  char parseCodes[kMaxArgs] = {};  // the codes, "p" for a pointer's "s"
  bool pointer[kMaxArgs] = {};
  std::string expected[kMaxArgs];  // type string; empty for "void" (any type)
  int hostType[kMaxArgs];          // the expected type's number in the host register
  size_t expectedLength[kMaxArgs] = {};
  ArgValue defaults[kMaxArgs] = {};
  std::string resultType;  // pointer results: "_egCharacter_p"
  int resultHostType = -1;
  bool hasList = false;
};

Op* PreparedOps() {
  static Op ops[kSceneApiOpCount];
  return ops;
}
bool gReady = false;

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

void Prepare(const OpText& text, Op& op) {
  std::fill(std::begin(op.hostType), std::end(op.hostType), -1);
  op.parseFormat = std::string(text.format) + ":" + text.name;
  for (const char* c = text.format; *c != '\0'; ++c)
    if (*c == '|')
      op.required = op.count;
    else if (op.count < kMaxArgs)
      op.codes[op.count++] = *c;
  op.hasList = std::strchr(text.format, 'O') != nullptr;
  if (std::strchr(text.format, '|') == nullptr) op.required = op.count;
  // "1 mkSceneObject, 4 mkRegistryKey"
  for (const char* p = text.types; *p != '\0';) {
    while (*p == ' ' || *p == ',') ++p;
    int position = 0;
    while (IsDigit(*p)) position = position * 10 + (*p++ - '0');
    while (*p == ' ') ++p;
    const char* end = p;
    while (*end != '\0' && *end != ',') ++end;
    const std::string type(p, end);
    p = end;
    if (position < 1 || position > op.count) continue;
    op.pointer[position - 1] = true;
    if (type != "void") {
      op.expected[position - 1] = PointerTypeString(type);
      op.hostType[position - 1] = host::TypeId(op.expected[position - 1].c_str());
      op.expectedLength[position - 1] = op.expected[position - 1].size();
    }
  }
  for (int k = 0; k < op.count; ++k)
    op.parseCodes[k] = op.pointer[k] && op.codes[k] == 's' ? 'p' : op.codes[k];
  // "7: -1.0, 8: 0, 6: none"
  for (const char* p = text.defaults; *p != '\0';) {
    while (*p == ' ' || *p == ',') ++p;
    int position = 0;
    while (IsDigit(*p)) position = position * 10 + (*p++ - '0');
    while (*p == ':' || *p == ' ') ++p;
    const char* end = p;
    while (*end != '\0' && *end != ',') ++end;
    if (position >= 1 && position <= op.count && std::strncmp(p, "none", 4) != 0) {
      double value = 0.0;
      std::from_chars(p, end, value);
      ArgValue& d = op.defaults[position - 1];
      d.l = long(value);
      d.i = int(value);
      d.f = float(value);
    }
    p = end;
  }
  const std::string result = text.result;
  if (!result.empty() && result != "l" && result != "f" && result != "s") {
    op.resultType = PointerTypeString(result);
    op.resultHostType = host::TypeId(op.resultType.c_str());
  }
}

void PrepareAll() {
  if (gReady) return;
  for (int i = 0; i < kSceneApiOpCount; ++i) Prepare(kOps[i], PreparedOps()[i]);
  gReady = true;
}

bool ConvertPointersAndList(int slot, const Op& op, FastArgs args, ArgValue* a, StringList& list);

// Parsing with PyArg_ParseTuple, for arguments that ParseExact leaves alone.
bool ConvertSlowly(int slot, const Op& op, FastArgs args, ArgValue* a, StringList& list) {
  void* targets[kMaxArgs] = {};
  for (int k = 0; k < op.count; ++k) {
    a[k] = op.defaults[k];
    a[k].n = -1;
    switch (op.codes[k]) {
      case 's':
        targets[k] = &a[k].s;
        break;
      case 'l':
        targets[k] = &a[k].l;
        break;
      case 'i':
        targets[k] = &a[k].i;
        break;
      case 'f':
        targets[k] = &a[k].f;
        break;
      default:
        targets[k] = &a[k].o;
        break;
    }
  }
  // The texts and objects parsed are the caller's, which outlive the tuple.
  PyRef tuple(ArgumentTuple(args));
  if (!tuple || !PyArg_ParseTuple(tuple.get(), op.parseFormat.c_str(), targets[0], targets[1],
                                  targets[2], targets[3], targets[4], targets[5], targets[6],
                                  targets[7], targets[8], targets[9], targets[10], targets[11],
                                  targets[12], targets[13], targets[14], targets[15]))
    return false;
  for (int k = 0; k < op.count; ++k)
    if (op.codes[k] == 'i') a[k].l = a[k].i;
  return ConvertPointersAndList(slot, op, args, a, list);
}

bool ConvertPointersAndList(int slot, const Op& op, FastArgs args, ArgValue* a, StringList& list) {
  const int given = int(args.count);
  static TypeTable& types = SceneModule().types();
  for (int k = 0; k < op.count; ++k) {
    if (op.codes[k] == 'l' && (a[k].l < INT32_MIN || a[k].l > INT32_MAX)) {
      PyErr_Format(PyExc_OverflowError, "%s: %ld does not fit in 32 bits", kOps[slot].name, a[k].l);
      return false;
    }
    // Every float of the scene interface is a finite number (a position, a
    // time, a speed, a volume).
    if (op.codes[k] == 'f' && k < given && !std::isfinite(a[k].f)) {
      RaiseNotFinite(kOps[slot].name, k + 1);
      return false;
    }
    if (!op.pointer[k]) continue;
    a[k].p = nullptr;
    if (k >= given) continue;  // an omitted pointer stays null
    const char* text = a[k].s;
    const char* expected = op.expected[k].empty() ? nullptr : op.expected[k].c_str();
    // The usual case: exactly the expected type, a host object that a script
    // was given.
    if (expected != nullptr && DecodeExact(text, expected, op.expectedLength[k], a[k].n, &a[k].p) &&
        a[k].p != nullptr && host::Contains(a[k].p, op.hostType[k]))
      continue;
    a[k].p = nullptr;
    if (a[k].n >= 0 && std::strlen(text) != size_t(a[k].n))
      return ConvertSlowly(slot, op, args, a, list);  // PyArg_ParseTuple's error
    // The host takes "NULL" for any object, also of the types that the other
    // modules make for scripts.
    if (text[0] == 'N' && std::strcmp(text, "NULL") == 0) continue;
    const TypeTable::Decoded decoded = types.Decode(text, expected);
    const bool owned = expected != nullptr && host::IsOwnedId(op.hostType[k]);
    if (!CheckPointerArgument(decoded, expected, owned, k + 1, kOps[slot].name)) return false;
    a[k].p = decoded.address;
  }
  for (int k = 0; op.hasList && k < op.count; ++k) {
    if (op.codes[k] != 'O' || a[k].o == nullptr) continue;
    if (!list.Convert(a[k].o)) return false;
    a[k].list = list.texts();
    // The count before a list says how many of its texts the host reads: never
    // more than the list holds.
    if (k > 0 && (op.codes[k - 1] == 'l' || op.codes[k - 1] == 'i') &&
        (a[k - 1].l < 0 || a[k - 1].l > list.size())) {
      PyErr_Format(PyExc_TypeError,
                   "Type error in argument %d of %s. Expected a count from 0 to %zd.", k,
                   kOps[slot].name, list.size());
      return false;
    }
  }
  return true;
}

// Reads the arguments straight into `a` with the modules' one fast parser
// (ParseExactItem) when every item is exactly of the type that its code asks
// for; false (no error) for anything else, which is then left to
// PyArg_ParseTuple with its own conversions and messages.
bool ParseExact(const Op& op, FastArgs args, ArgValue* a) {
  if (args.count < op.required || args.count > op.count) return false;
  for (Py_ssize_t k = 0; k < args.count; ++k)
    if (!ParseExactItem(args.items[k], op.parseCodes[k], a[k])) return false;
  return true;
}

// Steps 1 to 3 of every function: parse, decode the pointers, convert the
// list. False with a Python error set.
bool ConvertArguments(int slot, FastArgs args, ArgValue* a, StringList& list) {
  const Op& op = PreparedOps()[slot];
  for (int k = 0; k < op.count; ++k) a[k] = op.defaults[k];
  if (!ParseExact(op, args, a)) return ConvertSlowly(slot, op, args, a, list);
  return ConvertPointersAndList(slot, op, args, a, list);
}
template <class T>
T Cast(const ArgValue& a) {
  if constexpr (std::is_same_v<T, const char*>) {
    return a.s;
  } else if constexpr (std::is_same_v<T, const char**>) {
    return a.list;
  } else if constexpr (std::is_same_v<T, float>) {
    return a.f;
  } else if constexpr (std::is_same_v<T, int32_t>) {
    return static_cast<int32_t>(a.l);
  } else {
    static_assert(std::is_pointer_v<T>, "scene operations take texts, numbers and pointers");
    return static_cast<T>(a.p);
  }
}

template <class Ret>
PyObject* Result(Ret value, int slot) {
  if constexpr (std::is_same_v<Ret, int32_t>) {
    return PyLong_FromLong(value);
  } else if constexpr (std::is_same_v<Ret, float>) {
    return PyFloat_FromDouble(double(value));
  } else if constexpr (std::is_same_v<Ret, const char*>) {
    if (value == nullptr) Py_RETURN_NONE;
    return HostTextToPython(value);
  } else {
    static_assert(std::is_pointer_v<Ret>, "scene operations return texts, numbers and pointers");
    const char* type = PreparedOps()[slot].resultType.c_str();
    // A math value of the host's (a point or vector that it keeps) may be
    // used by the math functions, never freed by them.
    if constexpr (std::is_same_v<Ret, mkPoint3*> || std::is_same_v<Ret, mkVector3*>)
      if (value != nullptr && live::IsOwnedType(type)) live::Add(value, type, true);
    return PointerResult(value, type, PreparedOps()[slot].resultHostType);
  }
}

template <class Ret, class... P, size_t... I>
PyObject* Call(Ret (egSceneApi::*op)(P...), int slot, const ArgValue* a,
               std::index_sequence<I...>) {
  if constexpr (std::is_void_v<Ret>) {
    (gApi->*op)(Cast<P>(a[I])...);
    Py_RETURN_NONE;
  } else {
    return Result<Ret>((gApi->*op)(Cast<P>(a[I])...), slot);
  }
}

template <class Ret, class... P>
PyObject* Call(Ret (egSceneApi::*op)(P...), int slot, const ArgValue* a) {
  return Call(op, slot, a, std::index_sequence_for<P...>{});
}

template <int Slot, auto Op>
PyObject* Wrap(PyObject*, PyObject* const* items, Py_ssize_t count) {
  ArgValue a[kMaxArgs];
  StringList list;
  if (!ConvertArguments(Slot, FastArgs{items, count}, a, list)) return nullptr;
  if (gApi == nullptr) {
    PyErr_SetString(PyExc_RuntimeError, "SceneAPIc: no scene interface");
    return nullptr;
  }
  PyObject* result = Call(Op, Slot, a);
  // After this operation its object no longer exists.
  if constexpr (Slot == kSceneSlot_TimerRemove) host::Remove(a[0].p);
  return result;
}

PyMethodDef kFunctions[] = {
#define MK_SCENE_OP(Ret, Name, Params, Args, Format, Types, Defaults, Result) \
  {#Name, FastFunction(&Wrap<kSceneSlot_##Name, &egSceneApi::Name>), METH_FASTCALL, nullptr},
#include "kit/host/scene_ops.inc"
    {nullptr, nullptr, 0, nullptr},
};

// --- Variables ---------------------------------------------------------------

PyObject* GetJustOneFrame() {
  return PyLong_FromLong(gVariables.justOneFrame);
}

int SetJustOneFrame(PyObject* value) {
  long number;
  if (PyFloat_Check(value)) {
    const double d = PyFloat_AsDouble(value);
    number = d >= -2147483648.0 && d <= 2147483647.0 ? long(d) : -1;
    if (number == -1 && d != -1.0) PyErr_SetString(PyExc_OverflowError, "");
  } else {
    number = PyLong_AsLong(value);
  }
  if ((number == -1 && PyErr_Occurred()) || number < INT32_MIN || number > INT32_MAX) {
    PyErr_Clear();
    PyErr_SetString(PyExc_TypeError, "C variable 'JustOneFrame'(mkBool32 )");
    return -1;
  }
  gVariables.justOneFrame = mkBool32(number);
  return 0;
}

// Sets a pointer variable from a pointer string of its type.
template <class T>
int SetPointer(PyObject* value, T** variable, const char* name, const char* nativeType,
               const char* expected) {
  if (!PyUnicode_Check(value)) {
    PyErr_Format(PyExc_TypeError, "C variable '%s'(%s)", name, nativeType);
    return -1;
  }
  const char* text = PyUnicode_AsUTF8AndSize(value, nullptr);
  if (text == nullptr) return -1;
  const TypeTable::Decoded decoded = SceneModule().types().Decode(text, expected);
  // Only a host object that a script was given, as everywhere else.
  if (!decoded.accepted ||
      (decoded.address != nullptr && !host::Contains(decoded.address, expected))) {
    PyErr_Format(PyExc_TypeError, "Type error in value of %s. Expected %s.", name, expected);
    return -1;
  }
  *variable = static_cast<T*>(decoded.address);
  return 0;
}

PyObject* GetTheDetector() {
  return PointerResult(gVariables.theDetector, "_egTrigDetector_p");
}
int SetTheDetector(PyObject* value) {
  return SetPointer(value, &gVariables.theDetector, "TheDetector", "egTrigDetector *",
                    "_egTrigDetector_p");
}
PyObject* GetTheActor() {
  return PointerResult(gVariables.theActor, "_egTrigActor_p");
}
int SetTheActor(PyObject* value) {
  return SetPointer(value, &gVariables.theActor, "TheActor", "egTrigActor *", "_egTrigActor_p");
}

void RegisterSceneEquivalences(TypeTable& table) {
  PrepareAll();
  table.Register("_mkBool", "_int");
  table.Register("_mkBool", "_signed_int");
  table.Register("_mkBool", "_unsigned_int");
  table.Register("_signed_int", "_mkBool");
  table.Register("_unsigned_int", "_mkBool");
  table.Register("_int", "_mkBool");
  RegisterScalarEquivalences(table);
  table.Register("_char_p", "_egConstIDString");
  table.Register("_char_p", "_egIDString");
  table.Register("_egConstIDString", "_char_p");
  table.Register("_egConstIDString", "_egIDString");
  table.Register("_egIDString", "_egConstIDString");
  table.Register("_egIDString", "_char_p");
}

}  // namespace

ScriptModule& SceneModule() {
  PreparedOps();
  static ScriptModule module("SceneAPIc", kFunctions,
                             {{"JustOneFrame", GetJustOneFrame, SetJustOneFrame},
                              {"TheDetector", GetTheDetector, SetTheDetector},
                              {"TheActor", GetTheActor, SetTheActor}},
                             RegisterSceneEquivalences);
  return module;
}

void SetSceneModuleApi(egSceneApi* api) {
  gApi = api;
}
egSceneApi* SceneModuleApi() {
  return gApi;
}
SceneVariables& SceneModuleVariables() {
  return gVariables;
}

}  // namespace script
