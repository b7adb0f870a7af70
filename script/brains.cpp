#include "script/brains.h"

#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "kit/ascii.h"
#include "kit/plugin/command.h"
#include "script/interpreter.h"
#include "script/modules/swig.h"
#include "script/platform.h"
#include "script/text.h"

namespace script {

namespace {

const char kBrainType[] = "_egBrainDll_p";

char* CopyText(const char* text, size_t length) {
  char* copy = new char[length + 1];
  std::memcpy(copy, text, length);
  copy[length] = '\0';
  return copy;
}

// Pointer strings of the brain operations' arguments, formatted straight
// from the address: a null object gives "_0_mkSceneObject_p".
PyObject* ObjectArgument(const void* address, const char* type) {
  if (address == nullptr) return PyUnicode_FromFormat("_0%s", type);
  return PointerResult(address, type);
}

// The operations whose failure switches them off until Reset.
bool SwitchesOff(int method) {
  switch (method) {
    case kMethodUpdate:
    case kMethodPreUpdate:
    case kMethodWantGravity:
    case kMethodCanCollideWith:
    case kMethodReportCollision:
    case kMethodStartBehavior:
    case kMethodUpdateGoals:
      return true;
    default:
      return false;
  }
}

// Whether `name` is a dotted sequence of Python identifiers.
bool IsModuleName(const char* name) {
  PyRef text(HostTextToPython(name));
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
  const Py_ssize_t count = PyList_Size(pieces.get());
  for (Py_ssize_t i = 0; i < count; ++i)
    if (!PyUnicode_IsIdentifier(PyList_GetItem(pieces.get(), i))) return false;
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
  if (fFailures != nullptr) {
    for (int method = 0; method < kBrainMethodCount; ++method)
      ReportRepeat(fFailures[method], method);
    delete[] fFailures;
  }
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
  // The runtime's report (the traceback), then one warning.
  const char* const kRaised = "could not be set up";
  auto failed = [&](const char* how) {
    PrintPythonError();
    ktWarn(api, "PythonBrain: %s (%s) %s; no brain is made", fObjectName, fFileName, how);
    return false;
  };
  fGeneration = InterpreterGeneration();
  fKey = HostTextToPython(fVariableName);
  if (fKey == nullptr) return failed(kRaised);
  PyRef moduleName(HostTextToPython(fModuleName));
  PyRef module(moduleName ? PyImport_Import(moduleName.get()) : nullptr);
  if (!module) return failed(kRaised);
  // As an import statement in __main__ would, bind the module's top-level
  // name there: scripts may use it.
  const char* dot = std::strchr(fModuleName, '.');
  PyRef topName(HostTextToPython(
      fModuleName, dot != nullptr ? size_t(dot - fModuleName) : std::strlen(fModuleName)));
  PyObject* top = topName ? PyDict_GetItemWithError(PyImport_GetModuleDict(), topName.get())
                          : nullptr;  // borrowed
  if (top == nullptr || PyDict_SetItem(MainDict(), topName.get(), top) < 0) {
    if (!PyErr_Occurred()) PyErr_Format(PyExc_ImportError, "no module %U", topName.get());
    return failed(kRaised);
  }
  PyRef make(PyObject_GetAttrString(module.get(), "brain"));
  if (!make) return failed(kRaised);
  PyRef self(PointerResult(this, kBrainType));
  PyRef object(self ? PyObject_CallFunctionObjArgs(make.get(), self.get(), nullptr) : nullptr);
  if (object && object.get() == Py_None) return failed("brain() returned None");
  if (!object || PyDict_SetItem(MainDict(), fKey, object.get()) < 0) return failed(kRaised);
  fReady = 1;
  return true;
}

void PythonScriptBrain::BindResult(PyObject* value) {
  if (PyDict_SetItem(MainDict(), RetvalName(), value) < 0) PyErr_Clear();
}

bool PythonScriptBrain::Live() const {
  return fReady && InterpreterUp() && fGeneration == InterpreterGeneration();
}

PyObject* PythonScriptBrain::Call(int method, PyObject** args, int count) {
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
    PyObject* name = BrainMethodName(BrainMethod(method));
    switch (count) {
      case 0:
        result = PyObject_CallMethodObjArgs(object, name, nullptr);
        break;
      case 1:
        result = PyObject_CallMethodObjArgs(object, name, args[0], nullptr);
        break;
      default:  // two: no brain operation passes more
        result = PyObject_CallMethodObjArgs(object, name, args[0], args[1], nullptr);
        break;
    }
    Py_DECREF(object);
  }
  for (int i = 0; i < count; ++i) Py_XDECREF(args[i]);
  if (result == nullptr) ReportFailure(method, SwitchesOff(method));
  return result;
}

void PythonScriptBrain::ReportFailure(int method, bool off) {
  PyObject *type, *value, *traceback;
  PyErr_Fetch(&type, &value, &traceback);
  PyErr_NormalizeException(&type, &value, &traceback);
  // Kept apart: the type may go with the exception once it is printed.
  const std::string typeText =
      type != nullptr && PyType_Check(type) ? ClassName(type) : "an exception";
  std::string what = typeText;
  if (value != nullptr) {
    PyRef text(PyObject_Str(value));
    PyRef bytes(text ? PythonToHostText(text.get()) : nullptr);
    const char* data = bytes ? PyBytes_AsString(bytes.get()) : nullptr;
    if (data != nullptr) what += std::string(": ") + data;
    PyErr_Clear();
  }
  if (fFailures == nullptr) fFailures = new (std::nothrow) Failure[kBrainMethodCount];
  Failure spare;
  Failure& failure = fFailures != nullptr ? fFailures[method] : spare;
  if (failure.what == what) {
    ++failure.repeats;
    Py_XDECREF(type);
    Py_XDECREF(value);
    Py_XDECREF(traceback);
    return;
  }
  ReportRepeat(failure, method);
  failure.what = std::move(what);
  failure.repeats = 0;
  PyErr_Restore(type, value, traceback);
  PrintPythonError();
  const char* name = BrainMethodText(BrainMethod(method));
  if (off)
    ktWarn(fSceneApi, "PythonBrain: %s (%s) %s raised %s; %s is off from now on", fObjectName,
           fFileName, name, typeText.c_str(), name);
  else
    ktWarn(fSceneApi, "PythonBrain: %s (%s) %s raised %s", fObjectName, fFileName, name,
           typeText.c_str());
}

void PythonScriptBrain::ReportRepeat(Failure& failure, int method) {
  if (failure.repeats == 0) return;
  const std::string::size_type colon = failure.what.find(':');
  ktLog(fSceneApi, "PythonBrain: %s (%s) %s raised %s %d more times", fObjectName, fFileName,
        BrainMethodText(BrainMethod(method)), failure.what.substr(0, colon).c_str(),
        int(failure.repeats));
  failure.repeats = 0;
}

bool PythonScriptBrain::CallForInt(int method, PyObject** args, int count, int32_t* result) {
  PyObject* value = Call(method, args, count);
  if (value == nullptr) return false;
  BindResult(value);
  const long number = PyLong_AsLong(value);
  if (number == -1 && PyErr_Occurred()) {
    Py_DECREF(value);
    ReportFailure(method, SwitchesOff(method));
    return false;
  }
  *result = int32_t(number);
  Py_DECREF(value);
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
    PyObject* text = HostTextToPython(argv[i]);
    if (text == nullptr)
      Py_CLEAR(list);
    else
      PyList_SetItem(list, i, text);
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
  PyObject* text = nullptr;
  if (PyUnicode_Check(result))
    text = PythonToHostText(result);
  else
    PyErr_Format(PyExc_TypeError, "GetName must return str, not %.100s",
                 TypeNameOf(result).c_str());
  BindResult(result);
  Py_DECREF(result);
  if (text == nullptr) {
    ReportFailure(kMethodGetName, false);
    return "";
  }
  // The text stays valid until the brain's next GetName or its end.
  Py_XDECREF(fLastName);
  fLastName = text;
  const char* name = PyBytes_AsString(text);
  return name != nullptr ? name : "";
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
  if (!PythonRuntimeFound(fSceneApi)) return nullptr;
  const bool anyObject = std::strcmp(objectName, "*") == 0;
  PythonScriptBrain* brain = FindOrMake(
      [&](const PythonScriptBrain& b) {
        return ktSameTextNoCase(b.fFileName, fileName) &&
               (anyObject || ktSameTextNoCase(b.fObjectName, objectName));
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
  // A brain's SendParams may make brains (the list grows and moves) or the
  // host may release one (it leaves the list): the brains are those listed
  // when the call began, each asked only while it is still listed.
  std::vector<PythonScriptBrain*> brains;
  ForEachBrain([&](PythonScriptBrain& brain) {
    if (ktSameTextNoCase(brain.fFileName, fileName)) brains.push_back(&brain);
  });
  for (PythonScriptBrain* brain : brains)
    if (Lists(brain)) brain->SendParams(argc, argv);
}

bool PythonMgr::Lists(const PythonScriptBrain* brain) const {
  for (uint16_t i = 0; i < fBrains.fCount; ++i)
    if (fBrains.fElements[i] == brain) return true;
  return false;
}

void PythonMgr::Forget(PythonScriptBrain* brain) {
  uint16_t kept = 0;
  for (uint16_t i = 0; i < fBrains.fCount; ++i)
    if (fBrains[i] != brain) fBrains.fElements[kept++] = fBrains[i];
  fBrains.fCount = kept;
}

}  // namespace script
