// The embedded Python interpreter of ScriptXcmd: its start-up (once, by the
// first Python command or PythonMgr preparation), its shutdown (when the
// Python command object or PythonMgr is destroyed), and the display routine
// through which everything that scripts print reaches the host's message
// lines.
//
// Start-up loads the runtime (python_runtime.h), gives the interpreter the
// found home, starts it through the stable ABI's calls in UTF-8 mode on
// Linux (the host's text encoding) and without signal handlers, puts the
// script directory first on the module search path, routes sys.stdout and
// sys.stderr (tracebacks included) to the display routine, gives scripts no
// standard input, writes no compiled files, and creates the seven script
// modules. An uncaught SystemExit is reported like any other exception: no
// script ends the host process.
#ifndef TESSERA_SCRIPT_INTERPRETER_H_
#define TESSERA_SCRIPT_INTERPRETER_H_

#include "script/python.h"

#include <cstddef>
#include <cstdio>
#include <cstdint>

#include "kit/host/host.h"

namespace script {

// The display line collects output until a line is complete; a line longer
// than kDisplayLineSize - 1 characters is sent in pieces of that length.
constexpr size_t kDisplayLineSize = 256;

// Paths are built in an area of this many bytes: the script directory and a
// file name of up to kPathSize - 1 - strlen(kScriptDirectory) characters.
constexpr size_t kPathSize = 96;

// Starts the interpreter with `api` as the scene interface of the script
// modules and the display routine, unless it is up already. False when it
// cannot be started (the failure has been reported through `api`); the
// plug-in then stays inert and later calls report that the interpreter is
// not available.
bool EnsureInterpreter(egSceneApi* api);

// Loads the Python runtime unless that was tried already (python_runtime.h);
// false, with the warning "Python: no Python 3 runtime found (searched ...);
// scripts are off" through `api`, each time it is asked when there is none.
bool PythonRuntimeFound(egSceneApi* api);

// Prints the pending Python exception, if any, through sys.stderr (its
// traceback, then its type and text) and clears it. A SystemExit is printed
// like any other exception: no script ends the host.
void PrintPythonError();

// Runs the script in `file` (open for reading; closed here), named `path`,
// in __main__ (its names stay there for later runs), with __file__ naming
// it while it runs; a failure is printed. 0, or -1 when the script raised
// or could not be read or compiled.
int RunMainFile(std::FILE* file, const char* path);

// Shuts the interpreter down if it is up: does not wait for threads that
// scripts started (warns once with their number), sends a pending partial
// display line, finalises the interpreter and releases the modules' tables.
void ShutdownInterpreter();

bool InterpreterUp();

// Counts start-ups. Objects that keep Python references compare it with the
// value they saw, so that nothing touches a reference of an earlier
// interpreter.
uint32_t InterpreterGeneration();

// Receives each piece of text that scripts print. Every complete line goes to
// the host as a message (ApiMessage) with its newline turned into a blank,
// whether or not the host has messages enabled; the setting is left as found.
void ScriptDisplayHook(const char* text, size_t length);

// Whether `file` names a path inside the script directory: not empty, not
// absolute (no leading separator, no drive letter) and no step "..".
bool InScriptDirectory(const char* file);

// Builds kScriptDirectory + `file` into `path`; false when it does not fit
// or `file` leaves the script directory.
bool BuildScriptPath(const char* file, char (&path)[kPathSize]);

// Whether the file at `path` is a regular file that can be opened for
// reading as text (a directory cannot).
bool CanOpen(const char* path);

// The dictionary of __main__ (borrowed; valid while the interpreter is up).
PyObject* MainDict();

// The interned names of the brain operations that Python brains call.
enum BrainMethod {
  kMethodGetType,
  kMethodUpdate,
  kMethodPreUpdate,
  kMethodReset,
  kMethodSendParams,
  kMethodPrepareToDetach,
  kMethodPrepareToAttach,
  kMethodCanCollideWith,
  kMethodReportCollision,
  kMethodWantGravity,
  kMethodGetName,
  kMethodStartBehavior,
  kMethodPersonaChanged,
  kMethodSetFalling,
  kMethodUpdateGoals,
  kMethodGetIn,
  kBrainMethodCount
};
// Borrowed; valid while the interpreter is up.
PyObject* BrainMethodName(BrainMethod method);
// "retval", the name in __main__ of the last result of a brain operation
// that has one (borrowed; valid while the interpreter is up).
PyObject* RetvalName();

// The operation's name as text ("Update").
const char* BrainMethodText(BrainMethod method);

}  // namespace script

#endif  // TESSERA_SCRIPT_INTERPRETER_H_
