#include "script/modules/swig.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <new>

#include "script/text.h"

namespace script {

namespace {

const char kHexDigits[] = "0123456789abcdef";

}  // namespace

bool EncodePointer(const void* address, const char* type, PointerString& out) {
  out[0] = '\0';
  if (address == nullptr) {
    std::memcpy(out, "NULL", 5);
    return true;
  }
  char digits[2 * sizeof(void*)];
  int count = 0;
  for (uintptr_t value = reinterpret_cast<uintptr_t>(address); value != 0; value >>= 4)
    digits[count++] = kHexDigits[value & 0xF];
  const size_t typeLength = std::strlen(type);
  if (1 + size_t(count) + typeLength + 1 > kPointerStringSize) return false;
  char* p = out;
  *p++ = '_';
  while (count > 0) *p++ = digits[--count];
  std::memcpy(p, type, typeLength + 1);
  return true;
}

std::string PointerTypeString(const std::string& name) {
  if (name.size() > 3 && name.compare(name.size() - 3, 3, "_pp") == 0) return "_" + name;
  return "_" + name + "_p";
}

// --- Equivalence table -------------------------------------------------------

TypeTable::TypeTable() {
  entries_.reserve(64);
  std::fill(std::begin(index_), std::end(index_), -1);
}

void TypeTable::Register(const char* expected, const char* accepted, TypeConversion convert) {
  auto entry = std::find_if(entries_.begin(), entries_.end(),
                            [&](const Entry& e) { return e.name == expected; });
  if (entry == entries_.end()) {
    if (entries_.size() == entries_.capacity()) entries_.reserve(entries_.capacity() * 2);
    entries_.push_back(Entry{expected, {}});
    entry = entries_.end() - 1;
  }
  entry->chain.push_back(Accepted{accepted, convert});
  sorted_ = false;
  ForgetNamed();
}

void TypeTable::ForgetNamed() {
  for (NamedSlot& slot : named_) slot = NamedSlot{};
  nextNamed_ = 0;
}

bool TypeTable::AcceptsNamed(const char* expected, const char* received, TypeConversion* convert) {
  for (const NamedSlot& slot : named_) {
    if (slot.expected != expected || slot.received != received) continue;
    *convert = slot.convert;
    return slot.accepted;
  }
  NamedSlot slot;
  slot.expected = expected;
  slot.received = received;
  if (std::strcmp(received, expected) == 0) {
    slot.accepted = true;
  } else {
    if (!sorted_) Sort();
    slot.accepted = Search(expected, received, &slot.convert);
  }
  named_[nextNamed_] = slot;
  nextNamed_ = (nextNamed_ + 1) % kNamedSlots;
  *convert = slot.convert;
  return slot.accepted;
}

void TypeTable::Sort() {
  std::stable_sort(entries_.begin(), entries_.end(),
                   [](const Entry& a, const Entry& b) { return a.name < b.name; });
  std::fill(std::begin(index_), std::end(index_), -1);
  for (int i = int(entries_.size()) - 1; i >= 0; --i) {
    const std::string& name = entries_[size_t(i)].name;
    if (name.size() > 1) index_[static_cast<unsigned char>(name[1])] = i;
  }
  for (CacheSlot& slot : cache_) slot = CacheSlot{};
  sorted_ = true;
}

namespace {

bool StartsWith(const char* text, const std::string& prefix) {
  return std::strncmp(text, prefix.c_str(), prefix.size()) == 0;
}

}  // namespace

bool TypeTable::Search(const char* expected, const char* received, TypeConversion* convert) {
  if (expected[0] == '\0') return false;
  int start = index_[static_cast<unsigned char>(expected[1])];
  if (start < 0) return false;
  const char second = expected[1];
  int i = start;
  while (i < int(entries_.size()) && entries_[size_t(i)].name[1] == second &&
         !StartsWith(expected, entries_[size_t(i)].name))
    ++i;
  for (; i < int(entries_.size()) && StartsWith(expected, entries_[size_t(i)].name); ++i) {
    const Entry& entry = entries_[size_t(i)];
    const char* tail = expected + entry.name.size();  // normally "_p"
    for (size_t a = 0; a < entry.chain.size(); ++a) {
      const Accepted& accepted = entry.chain[a];
      if (accepted.name.size() >= kMaxAcceptedName) return false;
      if (!StartsWith(received, accepted.name) ||
          std::strcmp(received + accepted.name.size(), tail) != 0)
        continue;
      // Remember the match; strings too long for a slot are not cached.
      if (std::strlen(expected) < kPointerStringSize &&
          std::strlen(received) < kPointerStringSize) {
        CacheSlot& slot = cache_[nextSlot_];
        slot.entry = i;
        slot.accepted = int(a);
        std::strcpy(slot.expected, expected);
        std::strcpy(slot.received, received);
        slot.uses = 1;
        lastSlot_ = nextSlot_;
        nextSlot_ = (nextSlot_ + 1) % kCacheSize;
      }
      *convert = accepted.convert;
      return true;
    }
  }
  return false;
}

TypeTable::Decoded TypeTable::Decode(const char* text, const char* expected) {
  Decoded result;
  if (text == nullptr) return result;
  if (text[0] != '_') {
    result.rest = text;
    result.accepted = std::strcmp(text, "NULL") == 0;
    if (result.accepted) result.rest = "";
    return result;
  }
  uintptr_t value = 0;
  const char* p = text + 1;
  int digits = 0;
  for (;; ++p) {
    int digit;
    if (*p >= '0' && *p <= '9') {
      digit = *p - '0';
    } else if (*p >= 'a' && *p <= 'f') {
      digit = *p - 'a' + 10;
    } else {
      break;
    }
    value = (value << 4) | uintptr_t(digit);
    ++digits;
  }
  result.rest = p;
  if (digits > int(2 * sizeof(void*))) return result;  // more than an address holds
  result.address = reinterpret_cast<void*>(value);
  if (expected == nullptr || std::strcmp(p, expected) == 0) {
    result.accepted = true;
    result.exact = expected != nullptr;
    return result;
  }
  if (!sorted_) Sort();
  for (int k = 0; k < kCacheSize; ++k) {
    CacheSlot& slot = cache_[(lastSlot_ + k) % kCacheSize];
    if (slot.entry < 0 || std::strcmp(slot.expected, expected) != 0 ||
        std::strcmp(slot.received, p) != 0)
      continue;
    ++slot.uses;
    ++cacheHits_;
    lastSlot_ = (lastSlot_ + k) % kCacheSize;
    TypeConversion convert = entries_[size_t(slot.entry)].chain[size_t(slot.accepted)].convert;
    if (convert != nullptr) result.address = convert(result.address);
    result.accepted = true;
    return result;
  }
  TypeConversion convert = nullptr;
  result.accepted = Search(expected, p, &convert);
  if (result.accepted && convert != nullptr) result.address = convert(result.address);
  return result;
}

void TypeTable::Release() {
  entries_.clear();
  entries_.shrink_to_fit();
  entries_.reserve(64);
  sorted_ = false;
  std::fill(std::begin(index_), std::end(index_), -1);
  for (CacheSlot& slot : cache_) slot = CacheSlot{};
  ForgetNamed();
}

// --- Live objects ----------------------------------------------------------

namespace host {
// A type declared owned is no host type: it leaves the table of host types.
void MarkOwned(const char* type);
}  // namespace host

namespace live {
namespace {

// Every type string that objects were registered with, each kept once where
// it is (the types of the modules' own objects: a few dozen), so that a
// caller holding Name(type) is answered by comparing pointers.
std::deque<std::string>& Names() {
  static std::deque<std::string> names;
  return names;
}

// The declared types; a deque keeps each string where it is.
std::deque<std::string>& OwnedTypes() {
  static std::deque<std::string> types;
  return types;
}

// The declared type string equal to `type`, or null.
const char* Owned(const char* type) {
  for (const std::string& owned : OwnedTypes())
    if (owned == type) return owned.c_str();
  return nullptr;
}

}  // namespace

}  // namespace live

namespace host {
namespace {

// The interned host type strings; a deque keeps each string where it is.
std::deque<std::string>& TypeNames() {
  static std::deque<std::string> names;
  return names;
}

}  // namespace

Table gTable = {};
uint64_t gOwnedIds = 0;

namespace {

// The number of `type` if it has one (-1 otherwise); `intern` gives it one.
int Number(const char* type, bool intern) {
  if (type == nullptr) return -1;
  std::deque<std::string>& names = TypeNames();
  int id = 0;
  for (const std::string& name : names) {
    if (name == type) return (gOwnedIds >> id & 1) != 0 ? -1 : id;
    ++id;
  }
  if (!intern || id >= kMaxTypes || live::IsOwnedType(type)) return -1;
  names.push_back(type);
  return id;
}

}  // namespace

int TypeId(const char* type) {
  return Number(type, true);
}

void MarkOwned(const char* type) {
  int id = 0;
  for (const std::string& name : TypeNames()) {
    if (name == type) gOwnedIds |= uint64_t(1) << id;
    ++id;
  }
}

bool Add(const void* address, int typeId) {
  if (IsOwnedId(typeId)) return false;
  const uint64_t bit = uint64_t(1) << typeId;
  if (Table::Slot* slot = gTable.Find(address)) {
    slot->value |= bit;
    return true;
  }
  return gTable.used < kMaxObjects && gTable.Add(address, bit) != nullptr;
}

bool Add(const void* address, const char* type) {
  return address != nullptr && Add(address, TypeId(type));
}

bool Contains(const void* address, const char* type) {
  // A type string that a script wrote takes no number: only those handed out
  // have one.
  return address != nullptr && Contains(address, Number(type, false));
}

void Remove(const void* address) {
  if (Table::Slot* slot = gTable.Find(address)) gTable.Remove(slot);
}

void Clear() {
  gTable.Clear();
}

size_t Size() {
  return gTable.used;
}

}  // namespace host

namespace live {

void DeclareOwnedType(const char* type) {
  if (Owned(type) == nullptr) OwnedTypes().push_back(type);
  host::MarkOwned(type);
}

const char* Name(const char* type) {
  for (const std::string& name : Names())
    if (name == type) return name.c_str();
  return Names().emplace_back(type).c_str();
}

bool IsOwnedType(const char* type) {
  return Owned(type) != nullptr;
}

namespace {

bool SameType(const char* a, const char* b) {
  return a == b || std::strcmp(a, b) == 0;
}

}  // namespace

Table gTable = {};

bool Add(const void* address, const char* type, bool lent) {
  if (type == nullptr) return false;
  const char* name = Name(type);
  const Entry entry{name, std::strlen(name), lent};
  if (Slot* slot = gTable.Find(address)) {
    slot->value = entry;
    return true;
  }
  return gTable.Add(address, entry) != nullptr;
}

void Remove(const void* address) {
  if (Slot* slot = gTable.Find(address)) gTable.Remove(slot);
}

bool Made(const void* address, const char* type) {
  const Slot* slot = Find(address);
  return slot != nullptr && SameType(slot->value.type, type) && !slot->value.lent;
}

void ForEach(const char* type, void (*visit)(void* object, void* context), void* context) {
  gTable.ForEach([&](void* object, const Entry& entry) {
    if (SameType(entry.type, type)) visit(object, context);
  });
}

}  // namespace live

namespace {

// The type that a received type string names: "_class_ktFlock_p" names
// "_ktFlock_p". Written into `out`; false when it does not fit.
bool CanonicalType(const char* received, PointerString& out) {
  const char* name = std::strncmp(received, "_class_", 7) == 0 ? received + 6 : received;
  const size_t length = std::strlen(name);
  if (length + 1 > kPointerStringSize) return false;
  std::memcpy(out, name, length + 1);
  return true;
}

}  // namespace

bool CheckPointerArgument(const TypeTable::Decoded& decoded, const char* expected, int position,
                          const char* function) {
  return CheckPointerArgument(decoded, expected, expected != nullptr && live::IsOwnedType(expected),
                              position, function);
}

bool CheckPointerArgument(const TypeTable::Decoded& decoded, const char* expected,
                          bool expectedOwned, int position, const char* function) {
  bool ok = decoded.accepted;
  if (ok && decoded.address == nullptr) {
    // The null object: the callers decide where it may stand; the owned
    // types' functions never take it.
    ok = !expectedOwned;
  } else if (ok) {
    // The string must name a live object of the type that it names: one
    // that a module made (or the host lent as a math value), or a host
    // object handed to a script under that type.
    PointerString received;
    const char* named = nullptr;
    if (decoded.exact)
      named = expected;
    else if (CanonicalType(decoded.rest, received))
      named = received;
    ok = named != nullptr &&
         (live::Contains(decoded.address, named) || host::Contains(decoded.address, named));
  }
  if (!ok)
    PyErr_Format(PyExc_TypeError, "Type error in argument %d of %s. Expected %s.", position,
                 function, expected != nullptr ? expected : "a pointer");
  return ok;
}

void RaiseNotFinite(const char* function, int position) {
  PyErr_Format(PyExc_ValueError, "%s: argument %d is not a finite number", function, position);
}

bool CheckLongArgs(const char* format, void* const* targets) {
  int k = 0;
  for (const char* c = format; *c != '\0' && *c != ':'; ++c) {
    if (*c == '|') continue;
    if (*c == 'l') {
      const long value = *static_cast<const long*>(targets[k]);
      if (value < INT32_MIN || value > INT32_MAX) {
        const char* name = std::strchr(format, ':');
        PyErr_Format(PyExc_OverflowError, "%s: %ld does not fit in 32 bits",
                     name != nullptr ? name + 1 : "", value);
        return false;
      }
    }
    ++k;
  }
  return true;
}

StringList::~StringList() {
  for (PyObject* bytes : held_) Py_DECREF(bytes);
}

bool StringList::Convert(PyObject* object) {
  if (!PyList_Check(object)) {
    PyErr_SetString(PyExc_TypeError, "not a list");
    return false;
  }
  const Py_ssize_t size = PyList_Size(object);
  const char** texts = inline_;
  if (size > kInline) {
    heap_.assign(size_t(size) + 1, nullptr);
    texts = heap_.data();
  }
  for (Py_ssize_t i = 0; i < size; ++i) {
    PyObject* item = PyList_GetItem(object, i);
    if (!PyUnicode_Check(item)) {
      PyErr_SetString(PyExc_TypeError, "list must contain strings");
      return false;
    }
    PyObject* bytes = nullptr;
    texts[i] = HostTextOf(item, nullptr, &bytes);
    if (bytes != nullptr) held_.push_back(bytes);
    if (texts[i] == nullptr) return false;
  }
  texts[size] = nullptr;
  texts_ = texts;
  size_ = size;
  return true;
}

PyObject* ArgumentTuple(FastArgs args) {
  PyObject* tuple = PyTuple_New(args.count);
  for (Py_ssize_t i = 0; tuple != nullptr && i < args.count; ++i) {
    Py_INCREF(args.items[i]);
    PyTuple_SetItem(tuple, i, args.items[i]);
  }
  return tuple;
}

PyObject* PointerResult(const void* address, const char* type, int hostTypeId) {
  PointerString text;
  if (!EncodePointer(address, type, text)) {
    PyErr_Format(PyExc_TypeError, "pointer string of type %.64s too long", type);
    return nullptr;
  }
  // A host object crosses into Python here: from now on a script may hand
  // it back. The objects that the modules make are in the live register
  // instead (their types have no number in the host register).
  host::Add(address, hostTypeId);
  return PyUnicode_FromString(text);
}

PyObject* PointerResult(const void* address, const char* type) {
  return PointerResult(address, type, address != nullptr ? host::TypeId(type) : -1);
}

// --- Variables ("cvar") ----------------------------------------------------

namespace {

struct VarLink {
  PyObject_HEAD const std::vector<Variable>* variables;
};

const Variable* FindVariable(PyObject* self, PyObject* name) {
  const char* text = PyUnicode_AsUTF8AndSize(name, nullptr);
  if (text == nullptr) return nullptr;
  for (const Variable& v : *reinterpret_cast<VarLink*>(self)->variables)
    if (std::strcmp(v.name, text) == 0) return &v;
  return nullptr;
}

bool IsSpecialName(PyObject* name) {
  const char* text = PyUnicode_AsUTF8AndSize(name, nullptr);
  return text != nullptr && text[0] == '_' && text[1] == '_';
}

PyObject* VarLinkGetAttr(PyObject* self, PyObject* name) {
  if (IsSpecialName(name)) return PyObject_GenericGetAttr(self, name);
  const Variable* v = FindVariable(self, name);
  if (v == nullptr) {
    if (!PyErr_Occurred()) PyErr_Format(PyExc_NameError, "C global variable %U not found.", name);
    return nullptr;
  }
  return v->get();
}

int VarLinkSetAttr(PyObject* self, PyObject* name, PyObject* value) {
  const Variable* v = FindVariable(self, name);
  if (v == nullptr) {
    if (!PyErr_Occurred()) PyErr_Format(PyExc_NameError, "C global variable %U not found.", name);
    return -1;
  }
  if (value == nullptr) {
    PyErr_Format(PyExc_TypeError, "C variable '%s' cannot be deleted", v->name);
    return -1;
  }
  return v->set(value);
}

PyObject* VarLinkStr(PyObject* self) {
  std::string text = "Global variables { ";
  const auto& variables = *reinterpret_cast<VarLink*>(self)->variables;
  for (size_t i = 0; i < variables.size(); ++i) {
    if (i > 0) text += ", ";
    text += variables[i].name;
  }
  text += " }";
  return PyUnicode_FromStringAndSize(text.data(), Py_ssize_t(text.size()));
}

PyObject* VarLinkRepr(PyObject*) {
  return PyUnicode_FromString("<Global variables>");
}

PyType_Slot kVarLinkSlots[] = {
    {Py_tp_getattro, reinterpret_cast<void*>(VarLinkGetAttr)},
    {Py_tp_setattro, reinterpret_cast<void*>(VarLinkSetAttr)},
    {Py_tp_str, reinterpret_cast<void*>(VarLinkStr)},
    {Py_tp_repr, reinterpret_cast<void*>(VarLinkRepr)},
    {0, nullptr},
};

PyType_Spec kVarLinkSpec = {"varlink", sizeof(VarLink), 0,
                            Py_TPFLAGS_DEFAULT | Py_TPFLAGS_DISALLOW_INSTANTIATION, kVarLinkSlots};

// The module being created: its exec routine finds its tables here.
ScriptModule* gCreating = nullptr;

}  // namespace

// --- Modules -----------------------------------------------------------------

ScriptModule::ScriptModule(const char* name, PyMethodDef* functions,
                           std::vector<Variable> variables, Equivalences equivalences,
                           Constants constants)
    : name_(name),
      variables_(std::move(variables)),
      equivalences_(equivalences),
      constants_(constants) {
  slots_[0] = {Py_mod_exec, reinterpret_cast<void*>(&ScriptModule::Exec)};
  slots_[1] = {0, nullptr};
  def_ = {PyModuleDef_HEAD_INIT, name, nullptr, 0, functions, slots_, nullptr, nullptr, nullptr};
}

int ScriptModule::Exec(PyObject* module) {
  ScriptModule* self = gCreating;
  if (self == nullptr) {
    PyErr_SetString(PyExc_ImportError, "script module created outside start-up");
    return -1;
  }
  if (!self->variables_.empty()) {
    PyRef type(PyType_FromSpec(&kVarLinkSpec));
    if (!type) return -1;
    VarLink* link = PyObject_New(VarLink, reinterpret_cast<PyTypeObject*>(type.get()));
    if (link == nullptr) return -1;
    link->variables = &self->variables_;
    PyRef cvar(reinterpret_cast<PyObject*>(link));
    if (PyModule_AddObjectRef(module, "cvar", cvar.get()) < 0) return -1;
  }
  if (self->constants_ != nullptr && self->constants_(module) < 0) return -1;
  return 0;
}

bool ScriptModule::Create() {
  types_.Release();
  if (equivalences_ != nullptr) equivalences_(types_);
  PyRef machinery(PyImport_ImportModule("importlib.machinery"));
  if (!machinery) return false;
  PyRef moduleSpec(PyObject_CallMethod(machinery.get(), "ModuleSpec", "sO", name_, Py_None));
  if (!moduleSpec) return false;
  gCreating = this;
  PyRef module(PyModule_FromDefAndSpec(&def_, moduleSpec.get()));
  const bool made = module && PyModule_ExecDef(module.get(), &def_) == 0;
  gCreating = nullptr;
  if (!made) return false;
  return PyDict_SetItemString(PyImport_GetModuleDict(), name_, module.get()) == 0;
}

void ScriptModule::Release() {
  types_.Release();
  // No pointer string outlives the interpreter.
  host::Clear();
}

// --- Equivalences ------------------------------------------------------------

namespace {

struct Equivalence {
  const char* expected;
  const char* accepted[8];
};

const Equivalence kScalarEquivalences[] = {
    {"_signed_long", {"_mkFract", "_mkFixed", "_Int32", "_long"}},
    {"_mkBool16", {"_UInt16", "_Int16", "_short", "_unsigned_short"}},
    {"_long",
     {"_mkBool32", "_mkFract", "_mkFixed", "_UInt32", "_Int32", "_unsigned_long", "_signed_long"}},
    {"_mkBool32", {"_UInt32", "_Int32", "_long", "_unsigned_long", "_mkFixed", "_mkFract"}},
    {"_float", {"_mkScalar"}},
    {"_mkFixed",
     {"_mkBool32", "_mkFract", "_Int32", "_unsigned_long", "_signed_long", "_long", "_UInt32"}},
    {"_UInt16", {"_mkBool16", "_unsigned_short", "_short", "_Int16"}},
    {"_mkScalar", {"_float"}},
    {"_UInt32", {"_mkBool32", "_mkFract", "_mkFixed", "_unsigned_long", "_long", "_Int32"}},
    {"_unsigned_long", {"_mkBool32", "_mkFract", "_mkFixed", "_UInt32", "_Int32", "_long"}},
    {"_mkBool8", {"_UInt8", "_unsigned_char"}},
    {"_signed_int", {"_int"}},
    {"_unsigned_short", {"_mkBool16", "_UInt16", "_Int16", "_short"}},
    {"_signed_short", {"_Int16", "_short"}},
    {"_unsigned_char", {"_mkBool8", "_UInt8"}},
    {"_unsigned_int", {"_int"}},
    {"_mkFract",
     {"_mkBool32", "_Int32", "_unsigned_long", "_signed_long", "_long", "_UInt32", "_mkFixed"}},
    {"_short", {"_mkBool16", "_UInt16", "_Int16", "_unsigned_short", "_signed_short"}},
    {"_UInt8", {"_mkBool8", "_unsigned_char"}},
    {"_int", {"_unsigned_int", "_signed_int"}},
    {"_Int16", {"_mkBool16", "_UInt16", "_short", "_signed_short", "_unsigned_short"}},
    {"_Int32",
     {"_mkBool32", "_mkFract", "_mkFixed", "_UInt32", "_long", "_signed_long", "_unsigned_long"}},
};

const Equivalence kPlainScalarEquivalences[] = {
    {"_signed_long", {"_long"}},
    {"_long", {"_unsigned_long", "_signed_long"}},
    {"_unsigned_long", {"_long"}},
    {"_signed_int", {"_int"}},
    {"_unsigned_short", {"_short"}},
    {"_signed_short", {"_short"}},
    {"_unsigned_int", {"_int"}},
    {"_short", {"_unsigned_short", "_signed_short"}},
    {"_int", {"_unsigned_int", "_signed_int"}},
};

template <size_t N>
void RegisterAll(TypeTable& table, const Equivalence (&list)[N]) {
  for (const Equivalence& e : list)
    for (const char* accepted : e.accepted)
      if (accepted != nullptr) table.Register(e.expected, accepted);
}

}  // namespace

void RegisterScalarEquivalences(TypeTable& table) {
  RegisterAll(table, kScalarEquivalences);
}

void RegisterPlainScalarEquivalences(TypeTable& table) {
  RegisterAll(table, kPlainScalarEquivalences);
}

}  // namespace script
