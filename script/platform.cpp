#include "script/platform.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#define PY_SSIZE_T_CLEAN
#include <Python.h>

namespace script {

const char kPythonVariable[] = "SCRIPTXCMD_PYTHON";

#if defined(_WIN32)

const char kScriptDirectory[] = ".\\python\\";

void PinPythonRuntime() {
  // The runtime DLL is already loaded (the plug-in imports from it); pinning
  // keeps it when the plug-in is freed.
  HMODULE module = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                     reinterpret_cast<LPCSTR>(&Py_InitializeFromConfig), &module);
}

#else

const char kScriptDirectory[] = "./python/";

void PinPythonRuntime() {
  // Find the runtime by one of its own functions, then reopen it global and
  // never to be unloaded. The handle is deliberately kept.
  Dl_info info;
  if (dladdr(reinterpret_cast<void*>(&Py_InitializeFromConfig), &info) == 0 ||
      info.dli_fname == nullptr)
    return;
  dlopen(info.dli_fname, RTLD_NOW | RTLD_NOLOAD | RTLD_GLOBAL | RTLD_NODELETE);
}

#endif

}  // namespace script
