#include "script/brains.h"

#include <cstring>
#include <new>
#include <string>

#include "kit/plugin/command.h"
#include "script/interpreter.h"
#include "script/modules/swig.h"
#include "script/platform.h"

namespace script {

namespace {

const char kBrainType[] = "_egBrainDll_p";

char* CopyText(const char* text, size_t length) {
  char* copy = new char[length + 1];
  std::memcpy(copy, text, length);
  copy[length] = '\0';
  return copy;
}

// ASCII comparison without regard to case, independent of the locale.
bool EqualNoCase(const char* a, const char* b) {
  for (;; ++a, ++b) {
    char x = *a, y = *b;
    if (x >= 'A' && x <= 'Z') x = char(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = char(y - 'A' + 'a');
    if (x != y) return false;
    if (x == '\0') return true;
  }
}

// Pointer strings of the brain operations' arguments, formatted straight
// from the address: a null object gives "_0_mkSceneObject_p".
PyObject* ObjectArgument(const void* address, const char* type) {
  if (address == nullptr) return PyUnicode_FromFormat("_0%s", type);
  return PointerResult(address, type);
}

// Whether `name` is a dotted sequence of Python identifiers.
bool IsModuleName(const char* name) {
  PyRef text(PyUnicode_DecodeFSDefault(name));
  if (!text) {
    PyErr_Clear();
    return false;
  }
  PyRef dots(PyUnicode_FromString("."));
  if (!dots) {
    PyErr_Clear();
    return false;
  }
  PyRef pieces(PyUnicode_Split(text.get(), dots.get(), -1));
  if (!pieces) {
    PyErr_Clear();
    return false;
  }
  for (Py_ssize_t i = 0; i < PyList_GET_SIZE(pieces.get()); ++i)
    if (!PyUnicode_IsIdentifier(PyList_GET_ITEM(pieces.get(), i))) return false;
  return true;
}

}  // namespace

// --- PythonScriptBrain -----------------------------------------------------

PythonScriptBrain::PythonScriptBrain(const char* fileName, const char* objectName) {
  const size_t fileLength = std::strlen(fileName);
  fFileName = CopyText(fileName, fileLength);
  fModuleName = CopyText(fileName, fileLength > 3 ? fileLength - 3 : fileLength);
  fObjectName = CopyText(objectName, std::strlen(objectName));
  fVariableName = CopyText(objectName, std::strlen(objectName));
  for (char* p = fVariableName; *p != '\0'; ++p)
    if (*p == '.') *p = '_';
  for (int32_t& flag : fEnable) flag = 1;
}

PythonScriptBrain::~PythonScriptBrain() {
  if (fManager != nullptr) fManager->Forget(this);
  const bool sameInterpreter = InterpreterUp() && fGeneration == InterpreterGeneration();
  if (sameInterpreter) {
    // The object loses its name in __main__ (and so does any other brain's
    // object bound to the same name).
    if (fReady && PyDict_DelItem(MainDict(), fKey) < 0) PyErr_Clear();
    Py_XDECREF(fKey);
    Py_XDECREF(fLastName);
  }
  // The brain and the host brain it was attached to leave the register of
  // host objects that scripts may name.
  host::Remove(this);
  host::Remove(fBrain);
  delete[] fFileName;
  delete[] fModuleName;
  delete[] fObjectName;
  delete[] fVariableName;
}

bool PythonScriptBrain::SetUp(egSceneApi* api) {
  if (!IsModuleName(fModuleName)) {
    ktWarn(api, "Python: '%s' is not a valid module name", fModuleName);
    return false;
  }
  fGeneration = InterpreterGeneration();
  fKey = PyUnicode_DecodeFSDefault(fVariableName);
  if (fKey == nullptr) {
    PyErr_Print();
    return false;
  }
  PyRef module(PyImport_ImportModule(fModuleName));
  if (!module) {
    PyErr_Print();
    return false;
  }
  // As an import statement in __main__ would, bind the module's top-level
  // name there: scripts may use it.
  const char* dot = std::strchr(fModuleName, '.');
  const std::string topName =
      dot != nullptr ? std::string(fModuleName, size_t(dot - fModuleName)) : fModuleName;
  PyObject* top = PyDict_GetItemString(PyImport_GetModuleDict(), topName.c_str());  // borrowed
  if (top == nullptr || PyDict_SetItemString(MainDict(), topName.c_str(), top) < 0) {
    PyErr_Print();
    return false;
  }
  PyRef make(PyObject_GetAttrString(module.get(), "brain"));
  if (!make) {
    PyErr_Print();
    return false;
  }
  PyRef self(PointerResult(this, kBrainType));
  PyRef object(self ? PyObject_CallOneArg(make.get(), self.get()) : nullptr);
  if (!object || PyDict_SetItem(MainDict(), fKey, object.get()) < 0) {
    PyErr_Print();
    return false;
  }
  fReady = 1;
  return true;
}

bool PythonScriptBrain::Live() const {
  return fReady && InterpreterUp() && fGeneration == InterpreterGeneration();
}

PyObject* PythonScriptBrain::Call(int method, PyObject** args, int count) {
  PyObject* stack[4] = {};
  PyObject* result = nullptr;
  bool argsMade = true;
  for (int i = 0; i < count; ++i) argsMade = argsMade && args[i] != nullptr;
  if (!Live()) {
    for (int i = 0; i < count; ++i) Py_XDECREF(args[i]);
    PyErr_Clear();
    return nullptr;
  }
  PyObject* object = argsMade ? PyDict_GetItemWithError(MainDict(), fKey) : nullptr;
  if (object == nullptr) {
    if (argsMade && !PyErr_Occurred())
      PyErr_Format(PyExc_NameError, "name '%U' is not defined", fKey);
  } else {
    Py_INCREF(object);
    stack[1] = object;
    for (int i = 0; i < count; ++i) stack[2 + i] = args[i];
    result = PyObject_VectorcallMethod(BrainMethodName(BrainMethod(method)), stack + 1,
                                       size_t(1 + count) | PY_VECTORCALL_ARGUMENTS_OFFSET, nullptr);
    Py_DECREF(object);
  }
  for (int i = 0; i < count; ++i) Py_XDECREF(args[i]);
  if (result == nullptr) PyErr_Print();
  return result;
}

bool PythonScriptBrain::CallForInt(int method, PyObject** args, int count, int32_t* result) {
  PyObject* value = Call(method, args, count);
  if (value == nullptr) return false;
  const long number = PyLong_AsLong(value);
  Py_DECREF(value);
  if (number == -1 && PyErr_Occurred()) {
    PyErr_Print();
    return false;
  }
  *result = int32_t(number);
  return true;
}

int32_t PythonScriptBrain::GetType() {
  int32_t result;
  return CallForInt(kMethodGetType, nullptr, 0, &result) ? result : 300;
}

int32_t PythonScriptBrain::Update(float time) {
  if (!fEnable[kEnableUpdate]) return egBrainDll::Update(time);
  fSceneApi->ReservedStatBegin(4);
  PyObject* args[] = {PyFloat_FromDouble(double(time))};
  PyObject* result = Call(kMethodUpdate, args, 1);
  fSceneApi->ReservedStatEnd(4);
  if (result == nullptr) {
    fEnable[kEnableUpdate] = 0;
    return egBrainDll::Update(time);
  }
  Py_DECREF(result);
  return 1;
}

int32_t PythonScriptBrain::PreUpdate(float time) {
  if (!fEnable[kEnablePreUpdate]) return egBrainDll::PreUpdate(time);
  PyObject* args[] = {PyFloat_FromDouble(double(time))};
  PyObject* result = Call(kMethodPreUpdate, args, 1);
  if (result == nullptr) {
    fEnable[kEnablePreUpdate] = 0;
    return egBrainDll::PreUpdate(time);
  }
  Py_DECREF(result);
  return 1;
}

int32_t PythonScriptBrain::Reset() {
  for (int32_t& flag : fEnable) flag = 1;
  PyObject* result = Call(kMethodReset, nullptr, 0);
  if (result == nullptr) return egBrainDll::Reset();
  Py_DECREF(result);
  return 1;
}

int32_t PythonScriptBrain::SendParams(int32_t argc, const char** argv) {
  if (!Live()) return 0;
  PyObject* list = PyList_New(argc > 0 ? argc : 0);
  for (int32_t i = 0; list != nullptr && i < argc; ++i) {
    PyObject* text = PyUnicode_DecodeFSDefault(argv[i] != nullptr ? argv[i] : "");
    if (text == nullptr)
      Py_CLEAR(list);
    else
      PyList_SET_ITEM(list, i, text);
  }
  PyObject* args[] = {list};
  PyObject* result = Call(kMethodSendParams, args, 1);
  if (result == nullptr) return 0;
  Py_DECREF(result);
  return 1;
}

int32_t PythonScriptBrain::PrepareToDetach() {
  int32_t result;
  return CallForInt(kMethodPrepareToDetach, nullptr, 0, &result) ? result : 1;
}

int32_t PythonScriptBrain::PrepareToAttach(int32_t) {
  int32_t result;
  return CallForInt(kMethodPrepareToAttach, nullptr, 0, &result) ? result : 1;
}

int32_t PythonScriptBrain::CanCollideWith(mkSceneObject* object) {
  int32_t result;
  if (fEnable[kEnableCanCollideWith]) {
    PyObject* args[] = {ObjectArgument(object, "_mkSceneObject_p")};
    if (CallForInt(kMethodCanCollideWith, args, 1, &result)) return result;
    fEnable[kEnableCanCollideWith] = 0;
  }
  return egBrainDll::CanCollideWith(object);
}

int32_t PythonScriptBrain::ReportCollision(mkSceneObject* first, mkSceneObject* second) {
  int32_t result;
  if (fEnable[kEnableReportCollision]) {
    PyObject* args[] = {ObjectArgument(first, "_mkSceneObject_p"),
                        ObjectArgument(second, "_mkSceneObject_p")};
    if (CallForInt(kMethodReportCollision, args, 2, &result)) return result;
    fEnable[kEnableReportCollision] = 0;
  }
  return egBrainDll::ReportCollision(first, second);
}

int32_t PythonScriptBrain::WantGravity() {
  int32_t result;
  if (fEnable[kEnableWantGravity]) {
    if (CallForInt(kMethodWantGravity, nullptr, 0, &result)) return result;
    fEnable[kEnableWantGravity] = 0;
  }
  return egBrainDll::WantGravity();
}

const char* PythonScriptBrain::GetName() {
  PyObject* result = Call(kMethodGetName, nullptr, 0);
  if (result == nullptr) return "";
  const char* text = PyUnicode_Check(result) ? PyUnicode_AsUTF8(result) : nullptr;
  if (text == nullptr) {
    if (!PyErr_Occurred())
      PyErr_Format(PyExc_TypeError, "GetName must return str, not %.100s",
                   Py_TYPE(result)->tp_name);
    PyErr_Print();
    Py_DECREF(result);
    return "";
  }
  // The text stays valid until the next GetName.
  Py_XSETREF(fLastName, result);
  return text;
}

int32_t PythonScriptBrain::StartBehavior(float time, mkGBehavior* behavior) {
  int32_t result;
  if (fEnable[kEnableStartBehavior]) {
    PyObject* args[] = {PyFloat_FromDouble(double(time)),
                        ObjectArgument(behavior, "_mkGBehavior_p")};
    if (CallForInt(kMethodStartBehavior, args, 2, &result)) return result;
    fEnable[kEnableStartBehavior] = 0;
  }
  return egBrainDll::StartBehavior(time, behavior);
}

void PythonScriptBrain::PersonaChanged() {
  PyObject* result = Call(kMethodPersonaChanged, nullptr, 0);
  if (result == nullptr) return egBrainDll::PersonaChanged();
  Py_DECREF(result);
}

void PythonScriptBrain::SetFalling() {
  PyObject* result = Call(kMethodSetFalling, nullptr, 0);
  if (result == nullptr) return egBrainDll::SetFalling();
  Py_DECREF(result);
}

void PythonScriptBrain::UpdateGoals() {
  if (fEnable[kEnableUpdateGoals]) {
    PyObject* result = Call(kMethodUpdateGoals, nullptr, 0);
    if (result != nullptr) {
      Py_DECREF(result);
      return;
    }
    fEnable[kEnableUpdateGoals] = 0;
  }
  egBrainDll::UpdateGoals();
}

void PythonScriptBrain::GetIn() {
  PyObject* result = Call(kMethodGetIn, nullptr, 0);
  if (result == nullptr) return egBrainDll::GetIn();
  Py_DECREF(result);
}

// --- PythonMgr ---------------------------------------------------------------

PythonMgr::~PythonMgr() {
  ForEachBrain([](PythonScriptBrain& brain) { brain.fManager = nullptr; });
  DestroyBrains();
  ShutdownInterpreter();
}

int32_t PythonMgr::GetClassKind() {
  return 1;
}

void PythonMgr::Prepare() {
  EnsureInterpreter(fSceneApi);
}

egBrainDll* PythonMgr::MakeBrain(const char* fileName, const char* objectName) {
  if (fileName == nullptr || objectName == nullptr) return nullptr;
  const bool anyObject = std::strcmp(objectName, "*") == 0;
  PythonScriptBrain* brain = FindOrMake(
      [&](const PythonScriptBrain& b) {
        return EqualNoCase(b.fFileName, fileName) &&
               (anyObject || EqualNoCase(b.fObjectName, objectName));
      },
      [&]() -> PythonScriptBrain* {
        char path[kPathSize];
        if (!BuildScriptPath(fileName, path) || !CanOpen(path)) {
          ktWarn(fSceneApi, "Python: can't open file '%s%s'", kScriptDirectory, fileName);
          return nullptr;
        }
        if (!EnsureInterpreter(fSceneApi)) return nullptr;
        auto* made = new (std::nothrow) PythonScriptBrain(fileName, objectName);
        if (made != nullptr && !made->SetUp(fSceneApi)) {
          made->Destroy(1);
          return nullptr;
        }
        return made;
      });
  if (brain != nullptr) brain->fManager = this;
  return brain;
}

void PythonMgr::SendClassParams(const char* fileName, int32_t argc, const char** argv) {
  if (fileName == nullptr) return;
  ForEachBrain([&](PythonScriptBrain& brain) {
    if (EqualNoCase(brain.fFileName, fileName)) brain.SendParams(argc, argv);
  });
}

void PythonMgr::Forget(PythonScriptBrain* brain) {
  uint16_t kept = 0;
  for (uint16_t i = 0; i < fBrains.fCount; ++i)
    if (fBrains[i] != brain) fBrains.fElements[kept++] = fBrains[i];
  fBrains.fCount = kept;
}

}  // namespace script
