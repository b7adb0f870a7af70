#include "script/interpreter.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include <sys/stat.h>

#include "kit/plugin/command.h"
#include "script/modules/modules.h"
#include "script/platform.h"
#include "script/python_runtime.h"
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
                 TypeNameOf(text).c_str());
    return nullptr;
  }
  PyRef bytes(PythonToHostText(text));
  char* data = nullptr;
  Py_ssize_t size = 0;
  if (!bytes || PyBytes_AsStringAndSize(bytes.get(), &data, &size) < 0) return nullptr;
  ScriptDisplayHook(data, size_t(size));
  return PyLong_FromSsize_t(PyUnicode_GetLength(text));
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
  // Scripts write no compiled files beside themselves.
  return PySys_SetObject("stdout", out.get()) == 0 && PySys_SetObject("stderr", out.get()) == 0 &&
         PySys_SetObject("stdin", Py_None) == 0 &&
         PySys_SetObject("dont_write_bytecode", Py_True) == 0;
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
    PrintPythonError();
    ktWarn(api, "Python: interpreter output could not be routed");
    return false;
  }
  if (!StartSession() || !PrependScriptDirectory()) {
    PrintPythonError();
    ktWarn(api, "Python: interpreter could not be prepared");
    return false;
  }
  for (int i = 0; i < kModuleCount; ++i) {
    if (!Modules()[i]->Create()) {
      PrintPythonError();
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

// The minor version of the loaded runtime (11 for "3.11.2 (main, ...)");
// 0 when it cannot be read.
int RuntimeMinorVersion() {
  const char* version = Py_GetVersion();
  if (version == nullptr || version[0] != '3' || version[1] != '.') return 0;
  int minor = 0;
  for (const char* c = version + 2; *c >= '0' && *c <= '9' && minor < 1000; ++c)
    minor = minor * 10 + (*c - '0');
  return minor;
}

void ReleaseModules() {
  for (int i = 0; i < kModuleCount; ++i) Modules()[i]->Release();
}

}  // namespace

bool PythonRuntimeFound(egSceneApi* api) {
  const PythonRuntime& runtime = LoadPythonRuntime();
  if (runtime.loaded) return true;
  ktWarn(api, "Python: no Python 3 runtime found (searched %s); scripts are off",
         runtime.searched.c_str());
  return false;
}

bool EnsureInterpreter(egSceneApi* api) {
  if (gState == State::kUp) return true;
  if (!PythonRuntimeFound(api)) return false;
  if (gState == State::kBroken) {
    ktWarn(api, "Python: interpreter not available");
    return false;
  }
  // The runtime ends the process when its start-up fails, as it does
  // without its standard library: that is looked for first.
  const PythonRuntime& runtime = LoadPythonRuntime();
  const int minor = RuntimeMinorVersion();
  if (!runtime.home.empty() && !HasStandardLibrary(runtime.home, minor)) {
    gState = State::kBroken;
    ktWarn(api,
           "Python: interpreter could not be started (no standard library of Python 3.%d in %s)",
           minor, runtime.home.c_str());
    return false;
  }
  // The runtime keeps the home's address for as long as it runs.
  static std::wstring home;
  if (!runtime.home.empty()) {
    home = RuntimePath(runtime.home);
    Py_SetPythonHome(home.c_str());
  }
#if !defined(_WIN32)
  // UTF-8 mode: the file system and the standard streams speak UTF-8, the
  // host's text encoding, whatever the process's locale says.
  Py_UTF8Mode = 1;
#endif
  // The host keeps its signals.
  Py_InitializeEx(0);
  if (!Py_IsInitialized()) {
    gState = State::kBroken;
    ktWarn(api, "Python: interpreter could not be started (%s)", runtime.library.c_str());
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

void PrintPythonError() {
  if (PyErr_Occurred() == nullptr) return;
  if (!PyErr_ExceptionMatches(PyExc_SystemExit)) {
    PyErr_Print();
    return;
  }
  // The runtime's own printing would end the process for a SystemExit.
  PyObject *type, *value, *traceback;
  PyErr_Fetch(&type, &value, &traceback);
  PyErr_NormalizeException(&type, &value, &traceback);
  if (type != nullptr) PyErr_Display(type, value, traceback);
  Py_XDECREF(type);
  Py_XDECREF(value);
  Py_XDECREF(traceback);
  PyErr_Clear();
}

int RunMainFile(std::FILE* file, const char* path) {
  std::string source;
  bool read = true;
  try {
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) source.append(buffer, n);
    read = std::ferror(file) == 0;
  } catch (const std::bad_alloc&) {
    read = false;
  }
  std::fclose(file);
  if (!read) {
    PyErr_Format(PyExc_OSError, "can't read file '%s'", path);
    PrintPythonError();
    return -1;
  }
  PyObject* main = MainDict();
  // As for a script run by python itself: __file__ names the file while it
  // runs.
  const bool named = PyDict_GetItemString(main, "__file__") != nullptr;
  PyRef name(named ? nullptr : HostTextToPython(path));
  if (!named && (!name || PyDict_SetItemString(main, "__file__", name.get()) < 0 ||
                 PyDict_SetItemString(main, "__cached__", Py_None) < 0)) {
    PrintPythonError();
    return -1;
  }
  PyObject* result = nullptr;
  if (source.find('\0') != std::string::npos) {
    PyErr_SetString(PyExc_SyntaxError, "source code cannot contain null bytes");
  } else {
    PyRef code(Py_CompileString(source.c_str(), path, Py_file_input));
    if (code) result = PyEval_EvalCode(code.get(), main, main);
  }
  if (result == nullptr) PrintPythonError();
  Py_XDECREF(result);
  if (!named &&
      (PyDict_DelItemString(main, "__file__") < 0 || PyDict_DelItemString(main, "__cached__") < 0))
    PyErr_Clear();
  return result != nullptr ? 0 : -1;
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
