// Loads a plug-in library the way the host engine does: by path, then its
// name lists (XCmdIdentDLL, BrainIdentDLL, BrainClassIdentDLL), its version
// numbers, and for every listed name the exported object of that name.
#ifndef TESSERA_STAGE_PLUGIN_LOADER_H_
#define TESSERA_STAGE_PLUGIN_LOADER_H_

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace stage {

class PluginLibrary {
 public:
  // A name list longer than this is taken to be unterminated and is cut.
  static constexpr size_t kMaxNames = 4096;

  // Null, with `error` set, when the library cannot be loaded.
  static std::unique_ptr<PluginLibrary> Load(const std::string& path, std::string* error);
  ~PluginLibrary();
  PluginLibrary(const PluginLibrary&) = delete;
  PluginLibrary& operator=(const PluginLibrary&) = delete;

  // The exported symbol of that name, or null.
  void* Symbol(const char* name) const;

  std::string path;
  std::string name;  // the file name without directory and extension
  bool hasXCmdIdent = false;
  bool hasBrainIdent = false;
  bool hasBrainClassIdent = false;
  std::vector<std::string> xcmdNames;
  std::vector<std::string> brainNames;
  std::vector<std::string> brainClassNames;
  // -1 where the version function is not exported.
  int32_t xcmdMajor = -1, xcmdMinor = -1, brainMajor = -1, brainMinor = -1;

 private:
  PluginLibrary() = default;
  void* handle_ = nullptr;
};

// The file name of a plug-in called `name` on this platform ("KilnXcmd.so",
// "KilnXcmd.dll").
std::string PluginFileName(const std::string& name);

}  // namespace stage

#endif  // TESSERA_STAGE_PLUGIN_LOADER_H_
