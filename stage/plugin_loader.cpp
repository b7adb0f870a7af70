#include "stage/plugin_loader.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#include "kit/config.h"

namespace stage {

namespace {

typedef const char**(MK_CDECL* IdentFunction)();
typedef int32_t(MK_CDECL* VersionFunction)();

std::vector<std::string> ReadNames(const char** names) {
  std::vector<std::string> result;
  if (names == nullptr) return result;
  for (size_t i = 0; i < PluginLibrary::kMaxNames && names[i] != nullptr; ++i)
    result.emplace_back(names[i]);
  return result;
}

std::string BaseName(const std::string& path) {
  const auto slash = path.find_last_of("/\\");
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  const auto dot = name.find('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

}  // namespace

std::string PluginFileName(const std::string& name) {
#if defined(_WIN32)
  return name + ".dll";
#else
  return name + ".so";
#endif
}

std::unique_ptr<PluginLibrary> PluginLibrary::Load(const std::string& path, std::string* error) {
  std::unique_ptr<PluginLibrary> library(new PluginLibrary);
#if defined(_WIN32)
  library->handle_ = LoadLibraryA(path.c_str());
  if (library->handle_ == nullptr) {
    *error = "cannot load " + path + " (error " + std::to_string(GetLastError()) + ")";
    return nullptr;
  }
#else
  library->handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (library->handle_ == nullptr) {
    // The loader's reason usually begins with the path: it is said once.
    const char* text = dlerror();
    std::string reason = text != nullptr ? text : "unknown reason";
    if (reason.compare(0, path.size() + 2, path + ": ") == 0) reason.erase(0, path.size() + 2);
    *error = "cannot load " + path + ": " + reason;
    return nullptr;
  }
#endif
  library->path = path;
  library->name = BaseName(path);
  auto ident = [&](const char* symbol, bool* present) {
    auto function = reinterpret_cast<IdentFunction>(library->Symbol(symbol));
    *present = function != nullptr;
    return function != nullptr ? ReadNames(function()) : std::vector<std::string>();
  };
  library->xcmdNames = ident("XCmdIdentDLL", &library->hasXCmdIdent);
  library->brainNames = ident("BrainIdentDLL", &library->hasBrainIdent);
  library->brainClassNames = ident("BrainClassIdentDLL", &library->hasBrainClassIdent);
  auto version = [&](const char* symbol) {
    auto function = reinterpret_cast<VersionFunction>(library->Symbol(symbol));
    return function != nullptr ? function() : -1;
  };
  library->xcmdMajor = version("XCmdMajorVersionDll");
  library->xcmdMinor = version("XCmdMinorVersionDll");
  library->brainMajor = version("BrainMajorVersionDll");
  library->brainMinor = version("BrainMinorVersionDll");
  if (!library->hasXCmdIdent && !library->hasBrainIdent && !library->hasBrainClassIdent &&
      library->xcmdMajor < 0 && library->brainMajor < 0) {
    *error = path +
             " is not a plug-in: it exports no name list (XCmdIdentDLL, BrainIdentDLL, "
             "BrainClassIdentDLL) and no version";
    return nullptr;
  }
  return library;
}

PluginLibrary::~PluginLibrary() {
  if (handle_ == nullptr) return;
#if defined(_WIN32)
  FreeLibrary(static_cast<HMODULE>(handle_));
#else
  dlclose(handle_);
#endif
}

void* PluginLibrary::Symbol(const char* symbol) const {
#if defined(_WIN32)
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), symbol));
#else
  return dlsym(handle_, symbol);
#endif
}

}  // namespace stage
