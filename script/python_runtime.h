// Loading the Python runtime at run time: the places that FindPythonRuntime
// names are tried in order until one loads and has every function and object
// of the table (python.h); the table is then filled and the runtime stays
// loaded, visible to its own extension modules, until the process ends.
//
//   const PythonRuntime& runtime = LoadPythonRuntime();
//   if (!runtime.loaded) warn about runtime.searched;  // scripts are off
//
// The search and the loading happen once per process; later calls give the
// same answer.
#ifndef TESSERA_SCRIPT_PYTHON_RUNTIME_H_
#define TESSERA_SCRIPT_PYTHON_RUNTIME_H_

#include <string>

namespace script {

struct PythonRuntime {
  bool loaded = false;
  std::string library;   // the file that was loaded
  std::string home;      // the interpreter's home; empty: the runtime's own
  std::string searched;  // what was searched, for the warning when none loaded
  std::string missing;   // the first name that the last library tried lacked
};

// Never throws.
const PythonRuntime& LoadPythonRuntime();

// How many names the table holds, and the name of entry `i` (for tests and
// for the message of a library that lacks one).
int PythonApiSize();
const char* PythonApiName(int i);

}  // namespace script

#endif  // TESSERA_SCRIPT_PYTHON_RUNTIME_H_
