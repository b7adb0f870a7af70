// Where ScriptXcmd looks for the Python runtime on Windows, as plain text
// work: the places that the Windows side of FindPythonRuntime gathers (the
// SCRIPTXCMD_PYTHON directory, the engine's folder, the registry's installed
// 32-bit CPython 3 versions, PATH) become the ordered list of python3.dll
// files to try and the short text that the "no runtime" warning shows. Kept
// apart from the system calls so that the order and the limits are tested on
// every platform.
//
// Texts are UTF-8 here (the Windows side converts from and to UTF-16 and the
// ANSI code page).
#ifndef TESSERA_SCRIPT_WINDOWS_SEARCH_H_
#define TESSERA_SCRIPT_WINDOWS_SEARCH_H_

#include <cstddef>
#include <string>
#include <vector>

#include "script/platform.h"

namespace script::windows {

// The oldest Python 3 (3.kPythonFloorMinor) whose stable ABI the plug-in is
// compiled for: Py_LIMITED_API in script/python.h says the same (checked
// where both are seen).
constexpr int kPythonFloorMinor = 10;

// The stable-ABI forwarder that is loaded from each candidate directory; it
// leads to the versioned runtime (python3XY.dll) beside it.
extern const char kForwarderName[];

// At most this many registry versions are taken (the newest); more are
// ignored.
constexpr size_t kMaxRegistryVersions = 16;
// A path longer than this is shortened in the searched text (its beginning,
// "...", its end); the candidate keeps it whole.
constexpr size_t kMaxShownPath = 96;

// The minor version of a PythonCore key name of a 32-bit CPython 3 at or
// above the floor ("3.12-32" gives 12); -1 for every other name ("3.12",
// "3.12-64", "3.13t-32", "2.7-32", "3.9-32", "3.x-32", "3.012-32" ...).
int RegistryVersionMinor(const std::string& keyName);

// An installed version found in the registry: its key name and the default
// value of its InstallPath key (already expanded).
struct RegistryInstall {
  std::string keyName;
  std::string installPath;
};

// What the Windows side found.
struct WindowsPlaces {
  bool variableSet = false;  // SCRIPTXCMD_PYTHON is set and not empty
  std::string variable;      // its directory, made absolute
  std::string engineFolder;  // the directory of the host's executable; empty: unknown
  std::vector<RegistryInstall> currentUser;   // HKEY_CURRENT_USER's, in key order
  std::vector<RegistryInstall> localMachine;  // HKEY_LOCAL_MACHINE's, in key order
  std::string path;                           // the value of PATH
};

// True for a path that does not depend on the current drive or directory:
// "C:\..." or "C:/...", and "\\server\share..." or "\\?\...".
bool IsAbsolute(const std::string& path);

// The candidates in search order and the searched text. When the variable
// is set: its directory alone ("SCRIPTXCMD_PYTHON=<dir>"). Otherwise the
// engine's folder; then the registry versions at or above the floor, newest
// first (the current user's before the machine's for the same version);
// then each absolute directory of PATH. A directory that is not absolute is
// skipped, and one seen before (compared without regard to ASCII case and
// trailing separators) is not tried again. Never throws (memory aside).
PythonSearch OrderWindowsSearch(const WindowsPlaces& places);

}  // namespace script::windows

#endif  // TESSERA_SCRIPT_WINDOWS_SEARCH_H_
