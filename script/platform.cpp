// The platform layer (platform.h) on systems other than Windows; the
// Windows side is platform_windows.cpp.
#include "script/platform.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <new>

#include "script/python.h"

namespace script {

const char kScriptDirectory[] = "./python/";
const char kPythonVariable[] = "SCRIPTXCMD_PYTHON";

namespace {

// The newest Python 3 minor version looked for by file name, and the oldest
// (the stable ABI that the plug-in is compiled for).
constexpr int kNewestMinor = 40;
constexpr int kFloorMinor = 10;
static_assert(kFloorMinor == ((Py_LIMITED_API >> 16) & 0xff), "the floor is the limited API's");

std::string ExecutableFolder() {
  char path[4096];
  const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return std::string();
  std::string folder(path, size_t(n));
  const size_t slash = folder.rfind('/');
  return slash == std::string::npos ? std::string() : folder.substr(0, slash == 0 ? 1 : slash);
}

// The decimal form of `n`. (std::to_string's digit table is a unique symbol
// in this library, which would keep the plug-in from ever being unloaded.)
std::string Decimal(int n) {
  char text[16];
  std::snprintf(text, sizeof text, "%d", n);
  return text;
}

bool Readable(const std::string& file) {
  return access(file.c_str(), R_OK) == 0;
}

// The runtimes of the Python installation `home` (its lib folder, then the
// folder itself), newest version first, then the stable-ABI library.
void AddInstallation(const std::string& home, PythonSearch& search) {
  for (const std::string& folder : {home + "/lib", home}) {
    for (int minor = kNewestMinor; minor >= kFloorMinor; --minor) {
      const std::string base = folder + "/libpython3." + Decimal(minor) + ".so";
      for (const std::string& file : {base + ".1.0", base})
        if (Readable(file)) search.candidates.push_back({file, home});
    }
    if (Readable(folder + "/libpython3.so"))
      search.candidates.push_back({folder + "/libpython3.so", home});
  }
}

}  // namespace

PythonSearch FindPythonRuntime() {
  PythonSearch search;
  try {
    const char* variable = std::getenv(kPythonVariable);
    if (variable != nullptr && variable[0] != '\0') {
      AddInstallation(variable, search);
      search.searched = std::string(kPythonVariable) + "=" + variable;
      return search;
    }
    const std::string executable = ExecutableFolder();
    if (!executable.empty()) {
      AddInstallation(executable, search);
      search.searched = executable + "; ";
    }
#if defined(SCRIPT_PYTHON_LIBRARY)
    search.candidates.push_back({SCRIPT_PYTHON_LIBRARY, SCRIPT_PYTHON_HOME});
    search.searched += SCRIPT_PYTHON_LIBRARY;
#endif
  } catch (const std::bad_alloc&) {
    search.searched = "out of memory";
  }
  return search;
}

void* LoadPythonLibrary(const PythonCandidate& candidate) {
  // Global, so that the runtime's extension modules find its symbols;
  // never unloaded, because once they are imported they point into it.
  return dlopen(candidate.library.c_str(), RTLD_NOW | RTLD_GLOBAL | RTLD_NODELETE);
}

void* PythonLibrarySymbol(void* library, const char* name) {
  return library != nullptr ? dlsym(library, name) : nullptr;
}

bool HasStandardLibrary(const std::string& home, int minor) {
  const std::string version = Decimal(minor);
  return Readable(home + "/lib/python3." + version + "/encodings/__init__.py") ||
         Readable(home + "/lib/python3" + version + ".zip");
}

std::wstring RuntimePath(const std::string& path) {
  std::wstring wide;
  try {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(path[i]); };
    for (size_t i = 0; i < path.size();) {
      const unsigned char lead = byte(i);
      const size_t length = lead < 0x80           ? 1
                            : (lead >> 5) == 0x6  ? 2
                            : (lead >> 4) == 0xe  ? 3
                            : (lead >> 3) == 0x1e ? 4
                                                  : 0;
      char32_t code = length == 1   ? lead
                      : length == 2 ? lead & 0x1f
                      : length == 3 ? lead & 0x0f
                                    : lead & 0x07;
      bool valid = length > 0 && i + length <= path.size();
      for (size_t k = 1; valid && k < length; ++k) {
        valid = (byte(i + k) & 0xc0) == 0x80;
        code = (code << 6) | (byte(i + k) & 0x3f);
      }
      // Overlong forms, surrogates and what lies beyond Unicode are not UTF-8.
      static const char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
      valid =
          valid && code >= kLeast[length] && code <= 0x10ffff && !(code >= 0xd800 && code < 0xe000);
      if (valid) {
        wide.push_back(wchar_t(code));
        i += length;
      } else {
        wide.push_back(wchar_t(0xdc00 + lead));
        ++i;
      }
    }
  } catch (const std::bad_alloc&) {
    wide.clear();
  }
  return wide;
}

}  // namespace script
