// The Windows side of the platform layer (platform.h, platform_windows.h).
#include "script/platform_windows.h"

#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <new>
#include <vector>

namespace script {

const char kScriptDirectory[] = ".\\python\\";
const char kPythonVariable[] = "SCRIPTXCMD_PYTHON";

namespace windows {
namespace {

// A string value read by a call that takes a buffer and its size in UTF-16
// units and returns the length written, or the size needed (with or without
// the terminator, as each call has it) when the buffer is too small, or 0 on
// failure. Tries again a few times in case the value grows meanwhile.
template <typename Read>
bool ReadGrowing(Read read, std::wstring* out) {
  std::vector<wchar_t> buffer(MAX_PATH + 1);
  for (int attempt = 0; attempt < 4; ++attempt) {
    SetLastError(ERROR_SUCCESS);
    const DWORD n = read(buffer.data(), DWORD(buffer.size()));
    if (n == 0) return false;
    if (n < buffer.size() && GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
      out->assign(buffer.data(), wcsnlen(buffer.data(), n));
      return true;
    }
    if (buffer.size() > kMaxSystemText) return false;
    buffer.assign(std::min<size_t>(std::max<size_t>(n + 1, 2 * buffer.size()), kMaxSystemText + 1),
                  0);
  }
  return false;
}

bool EnvironmentValue(const wchar_t* name, std::wstring* out) {
  return ReadGrowing(
             [name](wchar_t* b, DWORD size) { return GetEnvironmentVariableW(name, b, size); },
             out) &&
         !out->empty();
}

bool ExpandVariables(const std::wstring& text, std::wstring* out) {
  // ExpandEnvironmentStringsW counts the terminator in what it returns.
  return ReadGrowing(
      [&text](wchar_t* b, DWORD size) {
        const DWORD n = ExpandEnvironmentStringsW(text.c_str(), b, size);
        return n > size ? n : (n == 0 ? 0 : n - 1);
      },
      out);
}

std::string EngineFolder() {
  std::wstring exe;
  // GetModuleFileNameW returns the buffer's size when it truncates.
  if (!ReadGrowing(
          [](wchar_t* b, DWORD size) {
            const DWORD n = GetModuleFileNameW(nullptr, b, size);
            return n >= size ? size : n;
          },
          &exe))
    return std::string();
  const size_t slash = exe.find_last_of(L"\\/");
  if (slash == std::wstring::npos) return std::string();
  // "C:\game.exe" lives in "C:\".
  return Utf8FromWide(exe.substr(0, slash == 2 && exe[1] == L':' ? 3 : slash));
}

std::string AbsoluteDirectory(const std::wstring& dir) {
  std::wstring full;
  if (!ReadGrowing([&dir](wchar_t* b,
                          DWORD size) { return GetFullPathNameW(dir.c_str(), size, b, nullptr); },
                   &full))
    return Utf8FromWide(dir);
  return Utf8FromWide(full);
}

// The default value of `key`\`subkey` when it is a string (REG_SZ, or
// REG_EXPAND_SZ, expanded), not empty and not longer than kMaxSystemText.
// The value may lack its terminator or hold several strings: the text ends
// at the first null.
bool DefaultString(HKEY key, const wchar_t* subkey, std::wstring* out) {
  HKEY opened;
  if (RegOpenKeyExW(key, subkey, 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS) return false;
  bool ok = false;
  DWORD type = 0, bytes = 0;
  if (RegQueryValueExW(opened, nullptr, nullptr, &type, nullptr, &bytes) == ERROR_SUCCESS &&
      (type == REG_SZ || type == REG_EXPAND_SZ) && bytes > 0 &&
      bytes <= kMaxSystemText * sizeof(wchar_t)) {
    std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 2, 0);
    DWORD got = DWORD((buffer.size() - 1) * sizeof(wchar_t));
    if (RegQueryValueExW(opened, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                         &got) == ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ)) {
      std::wstring text(buffer.data(), wcsnlen(buffer.data(), got / sizeof(wchar_t)));
      ok = type == REG_SZ ? (out->swap(text), true) : ExpandVariables(text, out);
      ok = ok && !out->empty();
    }
  }
  RegCloseKey(opened);
  return ok;
}

// The installed versions under Software\Python\PythonCore of `root`, in key
// order; only names that the search takes are read further.
std::vector<RegistryInstall> RegistryInstalls(HKEY root) {
  std::vector<RegistryInstall> installs;
  HKEY core;
  if (RegOpenKeyExW(root, L"Software\\Python\\PythonCore", 0, KEY_ENUMERATE_SUB_KEYS, &core) !=
      ERROR_SUCCESS)
    return installs;
  // Key names are at most 255 characters; a few hundred versions are more
  // than any machine has.
  for (DWORD index = 0; index < 1024; ++index) {
    wchar_t name[256];
    DWORD length = 256;
    const LONG status =
        RegEnumKeyExW(core, index, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_NO_MORE_ITEMS) break;
    if (status != ERROR_SUCCESS) continue;
    const std::string keyName = Utf8FromWide(std::wstring(name, length));
    if (RegistryVersionMinor(keyName) < 0) continue;
    std::wstring path;
    if (DefaultString(core, (std::wstring(name, length) + L"\\InstallPath").c_str(), &path))
      installs.push_back({keyName, Utf8FromWide(path)});
  }
  RegCloseKey(core);
  return installs;
}

// The newest python3XY.dll of `dir` at or above the floor, or empty.
std::wstring VersionedRuntime(const std::wstring& dir) {
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW((dir + L"\\python3*.dll").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return std::wstring();
  std::wstring best;
  int bestMinor = -1;
  do {
    // "python3" + digits + ".dll", nothing else (not python3.dll itself).
    const wchar_t* name = found.cFileName;
    if (_wcsnicmp(name, L"python3", 7) != 0) continue;
    int minor = 0, digits = 0;
    const wchar_t* p = name + 7;
    for (; *p >= L'0' && *p <= L'9' && digits < 4; ++p, ++digits) minor = minor * 10 + (*p - L'0');
    if (digits == 0 || _wcsicmp(p, L".dll") != 0 || minor < kPythonFloorMinor) continue;
    if (minor > bestMinor) {
      bestMinor = minor;
      best = name;
    }
  } while (FindNextFileW(find, &found));
  FindClose(find);
  return best.empty() ? best : dir + L"\\" + best;
}

// Switches the system's error boxes (a missing or broken DLL, a drive that is
// not ready) off for this thread while it lives.
class QuietErrors {
 public:
  QuietErrors() { SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &old_); }
  ~QuietErrors() { SetThreadErrorMode(old_, nullptr); }
  QuietErrors(const QuietErrors&) = delete;
  QuietErrors& operator=(const QuietErrors&) = delete;

 private:
  DWORD old_ = 0;
};

}  // namespace

std::wstring WideFromUtf8(const std::string& text) {
  if (text.empty() || text.size() > size_t(INT32_MAX)) return std::wstring();
  const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0);
  if (n <= 0) return std::wstring();
  try {
    std::wstring wide(size_t(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), &wide[0], n);
    return wide;
  } catch (const std::bad_alloc&) {
    return std::wstring();
  }
}

std::string Utf8FromWide(const std::wstring& text) {
  if (text.empty() || text.size() > size_t(INT32_MAX) / 4) return std::string();
  const int n =
      WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
  if (n <= 0) return std::string();
  try {
    std::string utf8(size_t(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), &utf8[0], n, nullptr, nullptr);
    return utf8;
  } catch (const std::bad_alloc&) {
    return std::string();
  }
}

WindowsPlaces GatherWindowsPlaces() {
  WindowsPlaces places;
  try {
    std::wstring value;
    const std::wstring variable = WideFromUtf8(kPythonVariable);
    if (EnvironmentValue(variable.c_str(), &value)) {
      places.variableSet = true;
      places.variable = AbsoluteDirectory(value);
      return places;
    }
    places.engineFolder = EngineFolder();
    places.currentUser = RegistryInstalls(HKEY_CURRENT_USER);
    places.localMachine = RegistryInstalls(HKEY_LOCAL_MACHINE);
    if (EnvironmentValue(L"PATH", &value)) places.path = Utf8FromWide(value);
  } catch (const std::bad_alloc&) {
    // What was gathered so far is searched.
  }
  return places;
}

void* LoadPythonLibrary(const PythonCandidate& candidate) {
  try {
    const std::wstring forwarder = WideFromUtf8(candidate.library);
    const std::wstring home = WideFromUtf8(candidate.home);
    if (forwarder.empty() || home.empty()) return nullptr;
    QuietErrors quiet;
    // python3.dll's exports are forwarders to python3XY; resolving them
    // loads python3XY by name, which finds the one loaded here first
    // instead of whichever the standard search order would come upon.
    const std::wstring runtime = VersionedRuntime(home);
    if (runtime.empty()) return nullptr;
    HMODULE versioned = LoadLibraryExW(runtime.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (versioned == nullptr) return nullptr;
    HMODULE library = LoadLibraryExW(forwarder.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (library == nullptr ||
        GetProcAddress(library, "Py_IsInitialized") == nullptr) {  // not a CPython forwarder
      if (library != nullptr) FreeLibrary(library);
      FreeLibrary(versioned);
      return nullptr;
    }
    return library;
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

void* PythonLibrarySymbol(void* library, const char* name) {
  if (library == nullptr || name == nullptr) return nullptr;
  QuietErrors quiet;
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

}  // namespace windows

// windows::LoadPythonLibrary never frees what it loaded, and python3.dll
// holds the versioned runtime: both stay until the process ends.
void* LoadPythonLibrary(const PythonCandidate& candidate) {
  return windows::LoadPythonLibrary(candidate);
}

void* PythonLibrarySymbol(void* library, const char* name) {
  return windows::PythonLibrarySymbol(library, name);
}

std::wstring RuntimePath(const std::string& path) {
  return windows::WideFromUtf8(path);
}

bool HasStandardLibrary(const std::string& home, int minor) {
  const auto exists = [](const std::string& file) {
    return GetFileAttributesW(windows::WideFromUtf8(file).c_str()) != INVALID_FILE_ATTRIBUTES;
  };
  return exists(home + "\\Lib\\encodings\\__init__.py") ||
         exists(home + "\\python3" + std::to_string(minor) + ".zip");
}

PythonSearch FindPythonRuntime() {
  try {
    PythonSearch search = windows::OrderWindowsSearch(windows::GatherWindowsPlaces());
    // The searched text goes to the host, whose text is in the ANSI code
    // page; a character that it lacks is shown as "?".
    const std::wstring wide = windows::WideFromUtf8(search.searched);
    const int n =
        WideCharToMultiByte(CP_ACP, 0, wide.data(), int(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string ansi(size_t(n > 0 ? n : 0), '\0');
    if (n > 0)
      WideCharToMultiByte(CP_ACP, 0, wide.data(), int(wide.size()), &ansi[0], n, nullptr, nullptr);
    search.searched = ansi;
    return search;
  } catch (const std::bad_alloc&) {
    PythonSearch none;
    none.searched = "out of memory";
    return none;
  }
}

}  // namespace script
