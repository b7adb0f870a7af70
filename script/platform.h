// What differs between the platforms that ScriptXcmd runs on: the script
// directory as written in paths and messages, and keeping the Python runtime
// loaded across unloads of the plug-in.
#ifndef TESSERA_SCRIPT_PLATFORM_H_
#define TESSERA_SCRIPT_PLATFORM_H_

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

}  // namespace script

#endif  // TESSERA_SCRIPT_PLATFORM_H_
