// python_search_check.exe: where ScriptXcmd looks for the Python runtime on
// Windows and how it loads it, checked against the system calls themselves
// (under Wine: tools/run-wine-checks.sh). It writes PythonCore keys of its
// own into the registry of the prefix (current user and machine), reads them
// back through FindPythonRuntime and removes them again. Prints one line per
// check and exits with the number of failed checks.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "script/platform_windows.h"

namespace {

int gFailures = 0;
int gChecks = 0;

void Check(bool ok, const std::string& what, const std::string& detail = std::string()) {
  ++gChecks;
  if (!ok) ++gFailures;
  std::printf("%s python search: %s%s%s\n", ok ? "ok  " : "FAIL", what.c_str(),
              detail.empty() ? "" : " -- ", detail.c_str());
}

const wchar_t kCore[] = L"Software\\Python\\PythonCore";

bool HasPythonCore(HKEY root) {
  HKEY key;
  if (RegOpenKeyExW(root, kCore, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

void SetInstallPath(HKEY root, const std::wstring& version, DWORD type, const void* data,
                    DWORD bytes) {
  HKEY key;
  const std::wstring path = std::wstring(kCore) + L"\\" + version + L"\\InstallPath";
  if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
      ERROR_SUCCESS) {
    Check(false, "the registry key can be written", script::windows::Utf8FromWide(path));
    return;
  }
  RegSetValueExW(key, nullptr, 0, type, static_cast<const BYTE*>(data), bytes);
  RegCloseKey(key);
}

void SetText(HKEY root, const std::wstring& version, const std::wstring& text,
             DWORD type = REG_SZ) {
  SetInstallPath(root, version, type, text.c_str(), DWORD((text.size() + 1) * sizeof(wchar_t)));
}

std::string Libraries(const script::PythonSearch& search) {
  std::string text;
  for (const script::PythonCandidate& c : search.candidates)
    text += (text.empty() ? "" : " | ") + c.library;
  return text;
}

std::string ExeFolder() {
  wchar_t buffer[4096];
  const DWORD n = GetModuleFileNameW(nullptr, buffer, 4096);
  std::wstring exe(buffer, n);
  return script::windows::Utf8FromWide(exe.substr(0, exe.find_last_of(L'\\')));
}

}  // namespace

int main() {
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  SetEnvironmentVariableW(L"SCRIPTXCMD_PYTHON", nullptr);
  const bool clean = !HasPythonCore(HKEY_CURRENT_USER) && !HasPythonCore(HKEY_LOCAL_MACHINE);
  Check(clean, "the prefix has no Python installed (no PythonCore key)");

  // Nothing installed: the engine's folder, no registry version, PATH.
  SetEnvironmentVariableW(L"PATH", L"C:\\windows\\system32;;relative;\"C:\\windows\"");
  script::PythonSearch search = script::FindPythonRuntime();
  const std::string exeFolder = ExeFolder();
  Check(Libraries(search) == exeFolder +
                                 "\\python3.dll | C:\\windows\\system32\\python3.dll | "
                                 "C:\\windows\\python3.dll",
        "nothing installed: the engine's folder, then PATH", Libraries(search));
  Check(search.searched == exeFolder + "; registry: no 32-bit Python 3.10+; PATH: 2 folders",
        "nothing installed: what was searched", search.searched);
  DWORD before = SEM_NOGPFAULTERRORBOX;
  SetThreadErrorMode(before, nullptr);
  bool loaded = false;
  for (const script::PythonCandidate& c : search.candidates)
    loaded = loaded || script::windows::LoadPythonLibrary(c) != nullptr;
  Check(!loaded, "nothing installed: no candidate loads");
  Check(GetThreadErrorMode() == before, "the thread's error mode is restored after loading");

  // A broken runtime: files of the right names that are no DLLs.
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring broken = std::wstring(temp) + L"tessera-broken-python";
  CreateDirectoryW(broken.c_str(), nullptr);
  for (const wchar_t* name : {L"\\python3.dll", L"\\python311.dll"}) {
    HANDLE f =
        CreateFileW((broken + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written;
    WriteFile(f, "not a DLL", 9, &written, nullptr);
    CloseHandle(f);
  }
  const std::string brokenUtf8 = script::windows::Utf8FromWide(broken);
  Check(script::windows::LoadPythonLibrary({brokenUtf8 + "\\python3.dll", brokenUtf8}) == nullptr,
        "files named python3.dll and python311.dll that are no DLLs do not load");
  Check(GetThreadErrorMode() == before, "the thread's error mode is restored after a failure");
  for (const wchar_t* name : {L"\\python3.dll", L"\\python311.dll"})
    DeleteFileW((broken + name).c_str());
  RemoveDirectoryW(broken.c_str());

  // Installed versions, odd values among them.
  if (clean) {
    SetText(HKEY_CURRENT_USER, L"3.12-32", L"C:\\Py312");
    SetText(HKEY_CURRENT_USER, L"3.11-32", L"%SystemDrive%\\Py311", REG_EXPAND_SZ);
    const DWORD number = 7;
    SetInstallPath(HKEY_CURRENT_USER, L"3.10-32", REG_DWORD, &number, sizeof number);
    const std::wstring unterminated = L"C:\\Py313";  // stored without its null
    SetInstallPath(HKEY_CURRENT_USER, L"3.13-32", REG_SZ, unterminated.c_str(),
                   DWORD(unterminated.size() * sizeof(wchar_t)));
    SetText(HKEY_CURRENT_USER, L"3.14-32", L"C:\\" + std::wstring(40000, L'x'));  // too long
    SetText(HKEY_CURRENT_USER, L"3.15-32", L"");
    SetText(HKEY_CURRENT_USER, L"3.9-32", L"C:\\Py39");
    SetText(HKEY_CURRENT_USER, L"3.13t-32", L"C:\\Py313t");
    SetText(HKEY_CURRENT_USER, L"3.12", L"C:\\Py312-64");
    SetText(HKEY_LOCAL_MACHINE, L"3.12-32", L"C:\\Program Files\\Python312-32\\");
    SetEnvironmentVariableW(L"PATH", L"C:\\Py312");
    search = script::FindPythonRuntime();
    Check(Libraries(search) == exeFolder +
                                   "\\python3.dll | C:\\Py313\\python3.dll | "
                                   "C:\\Py312\\python3.dll | C:\\Program "
                                   "Files\\Python312-32\\python3.dll | "
                                   "C:\\Py311\\python3.dll",
          "the registry's versions at or above 3.10, newest first, user before machine",
          Libraries(search));
    Check(search.searched == exeFolder +
                                 "; registry: 3.13-32 C:\\Py313, 3.12-32 C:\\Py312, 3.12-32 "
                                 "C:\\Program Files\\Python312-32\\, 3.11-32 C:\\Py311; PATH: no "
                                 "further folder",
          "installed versions: what was searched", search.searched);
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
      RegDeleteTreeW(root, kCore);
      RegDeleteKeyW(root, L"Software\\Python");
    }
    Check(!HasPythonCore(HKEY_CURRENT_USER) && !HasPythonCore(HKEY_LOCAL_MACHINE),
          "the check's registry keys are removed again");
  }

  // The variable: its directory alone, made absolute.
  SetEnvironmentVariableW(L"SCRIPTXCMD_PYTHON", L"py\\here");
  wchar_t current[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, current);
  std::string expected = script::windows::Utf8FromWide(current);
  if (expected.back() != '\\') expected += '\\';
  expected += "py\\here";
  search = script::FindPythonRuntime();
  Check(Libraries(search) == expected + "\\python3.dll", "SCRIPTXCMD_PYTHON alone, made absolute",
        Libraries(search));
  Check(search.searched == "SCRIPTXCMD_PYTHON=" + expected, "SCRIPTXCMD_PYTHON: what was searched",
        search.searched);
  SetEnvironmentVariableW(L"SCRIPTXCMD_PYTHON", nullptr);

  // Longer than MAX_PATH (the first buffer that the search tries).
  const std::wstring longVariable = L"C:\\" + std::wstring(2000, L'v');
  SetEnvironmentVariableW(L"SCRIPTXCMD_PYTHON", longVariable.c_str());
  search = script::FindPythonRuntime();
  Check(search.candidates.size() == 1 &&
            search.candidates[0].home == script::windows::Utf8FromWide(longVariable),
        "a SCRIPTXCMD_PYTHON of 2003 characters is taken whole");
  Check(search.searched.size() == sizeof "SCRIPTXCMD_PYTHON=" - 1 + script::windows::kMaxShownPath,
        "and shown shortened", search.searched);
  SetEnvironmentVariableW(L"SCRIPTXCMD_PYTHON", nullptr);

  std::printf("python search: %d checks, %d failed\n", gChecks, gFailures);
  return gFailures > 125 ? 125 : gFailures;
}
