#include "script/python_runtime.h"

#include <new>

#include "script/platform.h"
// The entries by their own names, not as the names stand for them.
#define SCRIPT_PYTHON_LOADER
#include "script/python.h"

namespace script {

ktPythonApi ktPython = {};

namespace {

const char* const kNames[] = {
#define SCRIPT_PYTHON_NAME(name) #name,
    SCRIPT_PYTHON_FUNCTIONS(SCRIPT_PYTHON_NAME) SCRIPT_PYTHON_DATA(SCRIPT_PYTHON_NAME)
#undef SCRIPT_PYTHON_NAME
};

// Fills `api` from `library`; the name of the first entry it lacks, or null.
const char* Resolve(void* library, ktPythonApi& api) {
  const char* missing = nullptr;
#define SCRIPT_PYTHON_RESOLVE(name)                                    \
  if (missing == nullptr) {                                            \
    void* address = PythonLibrarySymbol(library, #name);               \
    if (address == nullptr) missing = #name;                           \
    api.name = reinterpret_cast<decltype(ktPythonApi::name)>(address); \
  }
  SCRIPT_PYTHON_FUNCTIONS(SCRIPT_PYTHON_RESOLVE)
  SCRIPT_PYTHON_DATA(SCRIPT_PYTHON_RESOLVE)
#undef SCRIPT_PYTHON_RESOLVE
  return missing;
}

PythonRuntime Load() {
  PythonRuntime runtime;
  try {
    PythonSearch search = FindPythonRuntime();
    runtime.searched = search.searched;
    for (const PythonCandidate& candidate : search.candidates) {
      void* library = LoadPythonLibrary(candidate);
      if (library == nullptr) continue;
      ktPythonApi api = {};
      if (const char* missing = Resolve(library, api)) {
        // Not a runtime of the stable ABI at the floor; it stays loaded (a
        // runtime is never unloaded) but unused.
        runtime.missing = missing;
        continue;
      }
      ktPython = api;
      runtime.loaded = true;
      runtime.library = candidate.library;
      runtime.home = candidate.home;
      return runtime;
    }
  } catch (const std::bad_alloc&) {
    runtime.searched = "out of memory";
  }
  return runtime;
}

}  // namespace

const PythonRuntime& LoadPythonRuntime() {
  static const PythonRuntime runtime = Load();
  return runtime;
}

int PythonApiSize() {
  return int(sizeof kNames / sizeof kNames[0]);
}

const char* PythonApiName(int i) {
  return i >= 0 && i < PythonApiSize() ? kNames[i] : nullptr;
}

}  // namespace script

// The runtime functions that the header's inline functions call by name
// (Py_DECREF, PyType_HasFeature, PyObject_TypeCheck), forwarded to the table.
extern "C" {

void _Py_Dealloc(PyObject* object) {
  script::ktPython._Py_Dealloc(object);
}

unsigned long PyType_GetFlags(PyTypeObject* type) {
  return script::ktPython.PyType_GetFlags(type);
}

int PyType_IsSubtype(PyTypeObject* type, PyTypeObject* base) {
  return script::ktPython.PyType_IsSubtype(type, base);
}

}  // extern "C"
