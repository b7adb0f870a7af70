// What differs between the platforms that ScriptXcmd runs on: the script
// directory as written in paths and messages, where the Python runtime is
// looked for, and loading it (python_runtime.h uses these).
#ifndef TESSERA_SCRIPT_PLATFORM_H_
#define TESSERA_SCRIPT_PLATFORM_H_

#include <string>
#include <vector>

namespace script {

// The script directory, relative to the current directory (the game
// directory): ".\python\" on Windows, "./python/" elsewhere. Script files and
// brain modules are found there and nowhere else.
extern const char kScriptDirectory[];

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
// executable's directory, then the system's runtime that the plug-in was
// built beside. Never throws.
PythonSearch FindPythonRuntime();

// Loads the runtime library of a candidate, never to be unloaded, with its
// symbols visible to the runtime's own extension modules (which are not
// linked against it), and without any system error box. Null when it does
// not load. Never throws.
void* LoadPythonLibrary(const PythonCandidate& candidate);

// An exported function or object of a loaded runtime, or null.
void* PythonLibrarySymbol(void* library, const char* name);

// Whether the Python installation `home` holds the standard library of
// Python 3.`minor` (its encodings package, or the zip file of an embedded
// installation): the runtime cannot start without it.
bool HasStandardLibrary(const std::string& home, int minor);

// A path as the runtime takes it (wchar_t): from UTF-8 on Windows; on other
// systems from the file system's bytes, where a byte that is not UTF-8
// becomes U+DC80 + byte, as the runtime's own decoding does. Never throws
// (empty when memory runs out).
std::wstring RuntimePath(const std::string& path);

}  // namespace script

#endif  // TESSERA_SCRIPT_PLATFORM_H_
