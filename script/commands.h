// The commands of ScriptXcmd: Python (runs a script file of the script
// directory), PythonBrain (gives a scene object a Python brain) and
// BrainParams (sends parameters to an object's brain).
#ifndef TESSERA_SCRIPT_COMMANDS_H_
#define TESSERA_SCRIPT_COMMANDS_H_

#include "kit/plugin/command.h"
#include "kit/plugin/plugin.h"

// The command rows (kit/plugin/command.h), in the order of XCmdIdentDLL:
// name, class, argument counts and usage line (BrainParams says its usage
// under the name BrainParameters).
//   Python FILE [ARGS...]: runs FILE of the script directory as the main
//     program with sys.argv = [FILE, ARGS...]; returns cvar.JustOneFrame as
//     the script left it (1 unless the script sets it), or 1 when it cannot
//     run. It starts the interpreter and stores the actor and the detector
//     before it looks at its arguments.
//   PythonBrain Object PythonModule
//   BrainParams Object [PARAMS...]
#define SCRIPT_XCMDS(X)                                                                    \
  X(Python, PythonCmd, 1, kAnyCount, "Python: wrong number of arguments (FILE[,ARGS...])") \
  X(PythonBrain, PythonBrainCmd, 2, 2,                                                     \
    "PythonBrain: wrong number of arguments (Object, PythonModule)")                       \
  X(BrainParams, BrainParamsCmd, 1, kAnyCount,                                             \
    "BrainParameters: wrong number of arguments (Object[,PARAMS...])")

namespace script {

MK_DECLARE_XCMDS(SCRIPT_XCMDS)

}  // namespace script

#endif  // TESSERA_SCRIPT_COMMANDS_H_
