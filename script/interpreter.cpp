#include "script/interpreter.h"

#include <cstdio>
#include <cstring>

#include <sys/stat.h>

#include "kit/plugin/command.h"
#include "script/modules/modules.h"
#include "script/platform.h"
#include "script/text.h"

namespace script {

namespace {

enum class State { kDown, kUp, kBroken };

State gState = State::kDown;
uint32_t gGeneration = 0;
egSceneApi* gDisplayApi = nullptr;

char gLine[kDisplayLineSize];
size_t gLineLength = 0;

// References that live exactly as long as one interpreter.
struct Session {
  PyObject* mainDict = nullptr;  // borrowed from __main__
  PyObject* methodNames[kBrainMethodCount] = {};
  PyObject* retval = nullptr;  // "retval", interned
};
Session* gSession = nullptr;

const char* const kMethodNames[kBrainMethodCount] = {
    "GetType",         "Update",          "PreUpdate",       "Reset",
    "SendParams",      "PrepareToDetach", "PrepareToAttach", "CanCollideWith",
    "ReportCollision", "WantGravity",     "GetName",         "StartBehavior",
    "PersonaChanged",  "SetFalling",      "UpdateGoals",     "GetIn"};

void SendLine() {
  egSceneApi* api = gDisplayApi;
  gLine[gLineLength] = '\0';
  gLineLength = 0;
  if (api == nullptr) return;
  const int32_t enabled = api->GetMessageEnable();
  if (!enabled) api->SetMessageEnable(1);
  api->ApiMessage(gLine);
  if (!enabled) api->SetMessageEnable(0);
}

// --- The output object (sys.stdout and sys.stderr) ---------------------------

PyObject* OutputWrite(PyObject*, PyObject* text) {
  if (!PyUnicode_Check(text)) {
    PyErr_Format(PyExc_TypeError, "write() argument must be str, not %.100s",
                 Py_TYPE(text)->tp_name);
    return nullptr;
  }
  PyRef bytes(PythonToHostText(text));
  if (!bytes) return nullptr;
  ScriptDisplayHook(PyBytes_AS_STRING(bytes.get()), size_t(PyBytes_GET_SIZE(bytes.get())));
  return PyLong_FromSsize_t(PyUnicode_GET_LENGTH(text));
}

PyObject* OutputFlush(PyObject*, PyObject*) {
  Py_RETURN_NONE;
}
PyObject* OutputFalse(PyObject*, PyObject*) {
  Py_RETURN_FALSE;
}
PyObject* OutputTrue(PyObject*, PyObject*) {
  Py_RETURN_TRUE;
}
PyObject* OutputEncoding(PyObject*, void*) {
#if defined(_WIN32)
  return PyUnicode_FromString("mbcs");
#else
  return PyUnicode_FromString("utf-8");
#endif
}

PyMethodDef kOutputMethods[] = {
    {"write", OutputWrite, METH_O, nullptr},
    {"flush", OutputFlush, METH_NOARGS, nullptr},
    {"isatty", OutputFalse, METH_NOARGS, nullptr},
    {"writable", OutputTrue, METH_NOARGS, nullptr},
    {nullptr, nullptr, 0, nullptr},
};

PyGetSetDef kOutputGetSet[] = {
    {"encoding", OutputEncoding, nullptr, nullptr, nullptr},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

PyType_Slot kOutputSlots[] = {
    {Py_tp_methods, kOutputMethods},
    {Py_tp_getset, kOutputGetSet},
    {0, nullptr},
};

PyType_Spec kOutputSpec = {"ScriptOutput", sizeof(PyObject), 0,
                           Py_TPFLAGS_DEFAULT | Py_TPFLAGS_DISALLOW_INSTANTIATION, kOutputSlots};

// Routes sys.stdout and sys.stderr to the display routine and gives scripts
// no standard input (input() raises instead of waiting on the host's).
bool HookStreams() {
  PyRef type(PyType_FromSpec(&kOutputSpec));
  if (!type) return false;
  PyRef out(PyObject_New(PyObject, reinterpret_cast<PyTypeObject*>(type.get())));
  if (!out) return false;
  return PySys_SetObject("stdout", out.get()) == 0 && PySys_SetObject("stderr", out.get()) == 0 &&
         PySys_SetObject("stdin", Py_None) == 0;
}

bool StartSession() {
  gSession = new Session;
  PyObject* main = PyImport_AddModule("__main__");
  if (main == nullptr) return false;
  gSession->mainDict = PyModule_GetDict(main);
  gSession->retval = PyUnicode_InternFromString("retval");
  if (gSession->retval == nullptr) return false;
  for (int i = 0; i < kBrainMethodCount; ++i) {
    gSession->methodNames[i] = PyUnicode_InternFromString(kMethodNames[i]);
    if (gSession->methodNames[i] == nullptr) return false;
  }
  return true;
}

void EndSession() {
  if (gSession == nullptr) return;
  for (PyObject*& name : gSession->methodNames) Py_CLEAR(name);
  Py_CLEAR(gSession->retval);
  delete gSession;
  gSession = nullptr;
}

bool PrependScriptDirectory() {
  PyObject* path = PySys_GetObject("path");  // borrowed
  if (path == nullptr || !PyList_Check(path)) return false;
  PyRef directory(HostTextToPython(kScriptDirectory));
  return directory && PyList_Insert(path, 0, directory.get()) == 0;
}

// Steps after the runtime is initialised; false with the failure reported.
bool Prepare(egSceneApi* api) {
  if (!HookStreams()) {
    PyErr_Print();
    ktWarn(api, "Python: interpreter output could not be routed");
    return false;
  }
  if (!StartSession() || !PrependScriptDirectory()) {
    PyErr_Print();
    ktWarn(api, "Python: interpreter could not be prepared");
    return false;
  }
  for (int i = 0; i < kModuleCount; ++i) {
    if (!Modules()[i]->Create()) {
      PyErr_Print();
      ktWarn(api, "Python: script module %s could not be created", Modules()[i]->name());
      return false;
    }
  }
  return true;
}

PyObject* NoShutdown(PyObject*, PyObject*) {
  Py_RETURN_NONE;
}
PyMethodDef kNoShutdown = {"_shutdown", NoShutdown, METH_NOARGS, nullptr};

// The interpreter's end would wait for every thread that a script started
// and that is not a daemon (threading._shutdown joins them): a thread that
// never ends would hang the host. Replaces that wait by nothing and returns
// how many threads besides the host's are still running; the process ends
// them.
Py_ssize_t LetScriptThreadsGo() {
  PyRef name(PyUnicode_FromString("threading"));
  PyRef threading(name ? PyImport_GetModule(name.get()) : nullptr);
  if (!threading) {
    PyErr_Clear();
    return 0;
  }
  PyRef running(PyObject_CallMethod(threading.get(), "active_count", nullptr));
  Py_ssize_t count = running ? PyLong_AsSsize_t(running.get()) - 1 : 0;
  PyRef nothing(PyCFunction_New(&kNoShutdown, nullptr));
  if (!nothing || PyObject_SetAttrString(threading.get(), "_shutdown", nothing.get()) < 0)
    count = 0;
  PyErr_Clear();
  return count > 0 ? count : 0;
}

void ReleaseModules() {
  for (int i = 0; i < kModuleCount; ++i) Modules()[i]->Release();
}

}  // namespace

bool EnsureInterpreter(egSceneApi* api) {
  if (gState == State::kUp) return true;
  if (gState == State::kBroken) {
    ktWarn(api, "Python: interpreter not available");
    return false;
  }
  PinPythonRuntime();

#if !defined(_WIN32)
  // UTF-8 mode: the file system and the standard streams speak UTF-8, the
  // host's text encoding, whatever the process's locale says.
  PyPreConfig preconfig;
  PyPreConfig_InitIsolatedConfig(&preconfig);
  preconfig.utf8_mode = 1;
  PyStatus preStatus = Py_PreInitialize(&preconfig);
  if (PyStatus_Exception(preStatus)) {
    gState = State::kBroken;
    ktWarn(api, "Python: interpreter could not be started (%s)",
           preStatus.err_msg != nullptr ? preStatus.err_msg : "unknown error");
    return false;
  }
#endif
  PyConfig config;
  PyConfig_InitIsolatedConfig(&config);
  PyStatus status = PyConfig_SetString(&config, &config.program_name, L"basalt");
#if defined(SCRIPT_PYTHON_HOME)
  if (!PyStatus_Exception(status))
    status = PyConfig_SetString(&config, &config.home, SCRIPT_PYTHON_HOME);
#endif
  // The host keeps its signals; an uncaught SystemExit is printed instead of
  // ending the process (the runtime exits only when not inspecting).
  config.install_signal_handlers = 0;
  config.inspect = 1;
  config.write_bytecode = 0;
  if (!PyStatus_Exception(status)) status = Py_InitializeFromConfig(&config);
  PyConfig_Clear(&config);
  if (PyStatus_Exception(status)) {
    gState = State::kBroken;
    ktWarn(api, "Python: interpreter could not be started (%s)",
           status.err_msg != nullptr ? status.err_msg : "unknown error");
    return false;
  }

  SetSceneModuleApi(api);
  gDisplayApi = api;
  ++gGeneration;
  gState = State::kUp;
  if (!Prepare(api)) {
    ShutdownInterpreter();
    gState = State::kBroken;
    return false;
  }
  return true;
}

void ShutdownInterpreter() {
  if (gState != State::kUp) return;
  const Py_ssize_t threads = LetScriptThreadsGo();
  if (threads > 0 && gDisplayApi != nullptr)
    ktWarn(gDisplayApi, "Python: %d script thread%s still running at unload; not waiting for %s",
           int(threads), threads == 1 ? "" : "s", threads == 1 ? "it" : "them");
  if (gLineLength > 0) SendLine();
  ReleaseHeldTexts();
  EndSession();
  Py_FinalizeEx();
  ReleaseModules();
  SetSceneModuleApi(nullptr);
  gDisplayApi = nullptr;
  gState = State::kDown;
}

bool InterpreterUp() {
  return gState == State::kUp;
}

uint32_t InterpreterGeneration() {
  return gGeneration;
}

void ScriptDisplayHook(const char* text, size_t length) {
  constexpr size_t kFull = kDisplayLineSize - 1;
  for (size_t i = 0; i < length; ++i) {
    if (text[i] == '\n') {
      // The newline becomes a blank, unless the line is full already.
      if (gLineLength < kFull) gLine[gLineLength++] = ' ';
      SendLine();
      continue;
    }
    if (gLineLength == kFull) SendLine();
    gLine[gLineLength++] = text[i];
  }
}

bool InScriptDirectory(const char* file) {
  if (file[0] == '\0' || file[0] == '/' || file[0] == '\\') return false;
  if (file[1] == ':') return false;  // a drive letter
  // No step of the path may be "..".
  for (const char* step = file;;) {
    const char* end = step;
    while (*end != '\0' && *end != '/' && *end != '\\') ++end;
    if (end - step == 2 && step[0] == '.' && step[1] == '.') return false;
    if (*end == '\0') return true;
    step = end + 1;
  }
}

bool BuildScriptPath(const char* file, char (&path)[kPathSize]) {
  const size_t directory = std::strlen(kScriptDirectory);
  const size_t length = std::strlen(file);
  if (directory + length + 1 > kPathSize || !InScriptDirectory(file)) return false;
  std::memcpy(path, kScriptDirectory, directory);
  std::memcpy(path + directory, file, length + 1);
  return true;
}

bool CanOpen(const char* path) {
  std::FILE* file = std::fopen(path, "r");
  if (file == nullptr) return false;
  // A directory opens for reading on some systems.
  struct stat status;
  const bool regular = fstat(fileno(file), &status) == 0 && S_ISREG(status.st_mode);
  std::fclose(file);
  return regular;
}

PyObject* MainDict() {
  return gSession != nullptr ? gSession->mainDict : nullptr;
}

PyObject* BrainMethodName(BrainMethod method) {
  return gSession->methodNames[method];
}

PyObject* RetvalName() {
  return gSession->retval;
}

const char* BrainMethodText(BrainMethod method) {
  return kMethodNames[method];
}

}  // namespace script
