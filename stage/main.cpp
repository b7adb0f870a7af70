// stage: plays a scene file with the plug-ins it names, as the game engine
// would, and prints the message lines that the plug-ins write.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <set>
#include <string>
#include <vector>

#include "stage/picture.h"
#include "stage/stage.h"

namespace {

const char kUsage[] =
    "usage: stage [options] SCENE\n"
    "\n"
    "Plays SCENE, a scene file (see docs/scene-format.md): loads the plug-ins it\n"
    "names exactly as the game engine loads them, builds its objects, variables,\n"
    "actors and brains, and runs its timeline frame by frame. Prints every\n"
    "message line that the plug-ins write, marked 'log' or 'warning', and the\n"
    "stage's own notes, marked 'stage', each after '@' and its frame number:\n"
    "\n"
    "  @0 log: SetObjVar: Door is set to 1\n"
    "\n"
    "Options:\n"
    "  --trace FILE        write the call trace (every scene-interface call with its\n"
    "                      arguments and result, every command run and brain update)\n"
    "                      to FILE; '-' writes it to standard output\n"
    "  --svg FILE          draw the run, seen from above (or from the side, as the\n"
    "                      scene says), into the SVG picture FILE:\n"
    "                      the paths of the objects that moved (the player's in red)\n"
    "                      and the objects that stood still\n"
    "  --plugin-path DIR   look in DIR for plug-ins that the scene names without a\n"
    "                      directory (may be given more than once; the build's\n"
    "                      plug-in directories are searched last)\n"
    "  --frames N          play N frames instead of the scene's count\n"
    "  --quiet             do not print the message lines\n"
    "  --exports PLUGIN    load the plug-in PLUGIN (a path or a name), print the\n"
    "                      names that it must export (its entry points, version\n"
    "                      functions and every listed object), one per line, and\n"
    "                      stop\n"
    "  --help              show this text\n"
    "\n"
    "A run is reproducible: the same scene gives the same output and trace.\n"
    "Exit status: 0 when the scene was played, 1 when it or a plug-in could not be\n"
    "loaded, 2 for wrong options.\n";

// Plug-ins named without a directory are looked for last in the build tree.
void AddBuildPluginPath(stage::Stage* stage) {
#ifdef STAGE_BUILD_PLUGIN_PATH
  for (const char* dir : {STAGE_BUILD_PLUGIN_PATH}) stage->pluginPath.push_back(dir);
#endif
}

// The export names that a plug-in's lists and entry points call for, sorted.
int PrintExports(stage::Stage& stage, const std::string& plugin) {
  std::string error;
  if (!stage.LoadPlugin(plugin, &error)) {
    std::fprintf(stderr, "stage: %s\n", error.c_str());
    return 1;
  }
  const stage::PluginLibrary& library = *stage.plugins().back();
  std::set<std::string> names;
  if (library.hasXCmdIdent) names.insert("XCmdIdentDLL");
  if (library.hasBrainIdent) names.insert("BrainIdentDLL");
  if (library.hasBrainClassIdent) names.insert("BrainClassIdentDLL");
  if (library.xcmdMajor >= 0) names.insert({"XCmdMajorVersionDll", "XCmdMinorVersionDll"});
  if (library.brainMajor >= 0) names.insert({"BrainMajorVersionDll", "BrainMinorVersionDll"});
  for (const auto* list : {&library.xcmdNames, &library.brainNames, &library.brainClassNames})
    names.insert(list->begin(), list->end());
  for (const auto& name : names) std::printf("%s\n", name.c_str());
  return 0;
}

int UsageError(const std::string& message) {
  std::fprintf(stderr, "stage: %s\n(stage --help explains the options)\n", message.c_str());
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string scenePath, tracePath, svgPath;
  std::vector<std::string> pluginPath;
  bool quiet = false;
  long frames = -1;
  std::string exportsOf;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&](std::string* out) {
      if (i + 1 >= argc) return false;
      *out = argv[++i];
      return true;
    };
    std::string text;
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    } else if (arg == "--trace") {
      if (!value(&tracePath)) return UsageError("--trace needs a file name");
    } else if (arg == "--svg") {
      if (!value(&svgPath)) return UsageError("--svg needs a file name");
    } else if (arg == "--plugin-path") {
      if (!value(&text)) return UsageError("--plugin-path needs a directory");
      pluginPath.push_back(text);
    } else if (arg == "--frames") {
      char* end = nullptr;
      if (!value(&text)) return UsageError("--frames needs a number");
      frames = std::strtol(text.c_str(), &end, 10);
      if (end == text.c_str() || *end != '\0' || frames < 0 || frames > stage::kMaxFrames)
        return UsageError("--frames needs a number from 0 to " + std::to_string(stage::kMaxFrames));
    } else if (arg == "--exports") {
      if (!value(&text)) return UsageError("--exports needs a plug-in");
      exportsOf = text;
    } else if (arg == "--quiet") {
      quiet = true;
    } else if (!arg.empty() && arg[0] == '-') {
      return UsageError("unknown option " + arg);
    } else if (scenePath.empty()) {
      scenePath = arg;
    } else {
      return UsageError("only one scene can be played at a time");
    }
  }
  if (!exportsOf.empty()) {
    stage::Stage stage;
    stage.pluginPath = pluginPath;
    AddBuildPluginPath(&stage);
    return PrintExports(stage, exportsOf);
  }
  if (scenePath.empty()) return UsageError("no scene file given");

  stage::SceneDescription scene;
  std::vector<std::string> errors;
  if (!stage::LoadScene(scenePath, &scene, &errors)) {
    for (const auto& e : errors) std::fprintf(stderr, "stage: %s\n", e.c_str());
    return 1;
  }
  if (frames >= 0) scene.frames = int32_t(frames);

  stage::Stage stage;
  stage.pluginPath = pluginPath;
  AddBuildPluginPath(&stage);
  if (!quiet)
    stage.model().onMessage = [](const stage::Message& message) {
      std::printf("%s\n", stage::FormatMessage(message).c_str());
    };
  // The stage plays in the scene's directory; output files are named from
  // here.
  std::error_code ec;
  if (!tracePath.empty() && tracePath != "-")
    tracePath = std::filesystem::absolute(tracePath, ec).string();
  if (!svgPath.empty()) svgPath = std::filesystem::absolute(svgPath, ec).string();
  stage::RunPicture picture;
  picture.side = scene.pictureSide;
  if (!svgPath.empty())
    stage.onFrameEnd = [&](int32_t) { picture.Record(stage.model()); };
  const bool played = stage.Play(scene, &errors);
  if (!svgPath.empty() && !picture.Write(svgPath, stage.model())) {
    std::fprintf(stderr, "stage: cannot write %s\n", svgPath.c_str());
    return 1;
  }
  for (const auto& e : errors) std::fprintf(stderr, "stage: %s\n", e.c_str());
  if (!tracePath.empty()) {
    std::ofstream file;
    std::ostream* out = &std::cout;
    if (tracePath != "-") {
      file.open(tracePath, std::ios::binary);
      if (!file) {
        std::fprintf(stderr, "stage: cannot write %s\n", tracePath.c_str());
        return 1;
      }
      out = &file;
    }
    for (const auto& line : stage.model().trace().lines()) *out << line << '\n';
  }
  std::fflush(stdout);
  return played ? 0 : 1;
}
