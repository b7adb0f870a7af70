// What differs between the platforms that ScriptXcmd runs on: the script
// directory as written in paths and messages, where the Python runtime is
// looked for, and keeping it loaded across unloads of the plug-in.
#ifndef TESSERA_SCRIPT_PLATFORM_H_
#define TESSERA_SCRIPT_PLATFORM_H_

#include <string>
#include <vector>

namespace script {

// The script directory, relative to the current directory (the game
// directory): ".\python\" on Windows, "./python/" elsewhere. Script files and
// brain modules are found there and nowhere else.
extern const char kScriptDirectory[];

// Keeps the Python runtime library loaded until the process ends and makes
// its symbols visible to the runtime's own extension modules (which are not
// linked against it). Extension modules, once imported, hold pointers into
// the runtime, so it must never be unloaded with the plug-in.
void PinPythonRuntime();

// The environment variable that names the one directory to look for the
// Python runtime in; when it is set, no other place is searched.
extern const char kPythonVariable[];

// One place the Python runtime may be loaded from.
struct PythonCandidate {
  std::string library;  // the runtime library's file, as given to the loader
  std::string home;     // the interpreter's home when loaded from here; empty: the runtime's own
};

// The places to try, in order, and what was searched, as the warning names it
// when none of them loads ("Python: no Python 3 runtime found (searched
// <searched>); scripts are off").
struct PythonSearch {
  std::vector<PythonCandidate> candidates;
  std::string searched;
};

// When kPythonVariable is set, its directory alone. Otherwise, on Windows: the
// directory of the host's executable, then the installed 32-bit CPython 3 of
// the registry (current user, then machine), then PATH; elsewhere: the
// executable's directory, then the system's runtime. Never throws.
PythonSearch FindPythonRuntime();

}  // namespace script

#endif  // TESSERA_SCRIPT_PLATFORM_H_
