// The Windows side of ScriptXcmd's platform layer, beyond platform.h:
// gathering the places where the Python runtime may be (windows_search.h
// orders them) and loading the runtime from one of them without any system
// error box. Windows builds only.
#ifndef TESSERA_SCRIPT_PLATFORM_WINDOWS_H_
#define TESSERA_SCRIPT_PLATFORM_WINDOWS_H_

#if defined(_WIN32)

#include <string>

#include "script/platform.h"
#include "script/windows_search.h"

namespace script::windows {

// Longest text taken from the environment, the registry or the loader (in
// UTF-16 units, the limit of an environment variable); longer values count
// as absent.
constexpr size_t kMaxSystemText = 32767;

// The places as this process sees them: SCRIPTXCMD_PYTHON (made absolute),
// the directory of the host's executable, the PythonCore keys of
// HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE (32-bit view) with their
// InstallPath values, and PATH. A value that cannot be read, is not a
// string, is empty or too long is left out. Never throws.
WindowsPlaces GatherWindowsPlaces();

// Loads the runtime of a candidate: first the versioned runtime beside the
// forwarder (the newest python3XY.dll of that directory at or above the
// floor), then the forwarder itself, both by full path with the directory's
// own dependencies (LOAD_WITH_ALTERED_SEARCH_PATH), with the system's error
// boxes off for this thread meanwhile (the thread's error mode is restored).
// The handle of the forwarder, whose exports lead to the runtime, or null:
// nothing is left loaded then. A loaded runtime is never unloaded. Never
// throws.
void* LoadPythonLibrary(const PythonCandidate& candidate);

// An exported function or object of a loaded runtime, or null.
void* PythonLibrarySymbol(void* library, const char* name);

// UTF-8 and UTF-16, both ways; invalid input becomes U+FFFD. Never throws
// (an empty result when memory runs out).
std::wstring WideFromUtf8(const std::string& text);
std::string Utf8FromWide(const std::wstring& text);

}  // namespace script::windows

#endif  // _WIN32
#endif  // TESSERA_SCRIPT_PLATFORM_WINDOWS_H_
