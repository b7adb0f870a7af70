// The stage program's runs: a plug-in's export names (--exports), and a
// scene played with its message and trace lines streamed out as they come.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "stage/picture.h"
#include "stage/program.h"
#include "stage/replay.h"
#include "stage/stage.h"

namespace stage {
namespace program {

namespace {

namespace fs = std::filesystem;

// Plug-ins named without a directory are looked for last in the build tree.
void AddBuildPluginPath(Stage* stage) {
#ifdef STAGE_BUILD_PLUGIN_PATH
  for (const char* dir : {STAGE_BUILD_PLUGIN_PATH}) stage->pluginPath.push_back(dir);
#endif
}

// One play of a scene: the stage, the outputs that it streams to, and what
// is kept for the end (the picture, the replay page, the lines of --expect).
class ScenePlay {
 public:
  explicit ScenePlay(Options& options) : o_(options) {
    stage_.pluginPath = o_.pluginPath;
    AddBuildPluginPath(&stage_);
  }

  // Opens the output files before anything plays; false when one cannot be
  // written (said on standard error).
  bool OpenOutputs();
  // Sets up how the stage's lines go out; false when --expect's file cannot
  // be read.
  bool Connect(const SceneDescription& scene);
  // Plays the scene, writes the pictures and checks every output; the exit
  // status.
  int Play(const SceneDescription& scene);

 private:
  Options& o_;
  Output trace_, svg_, replay_;
  Stage stage_;
  // Why the first write of standard output failed: the line-by-line flushes
  // meet a full disk long before the last one.
  int stdoutErrno_ = 0;
  // A trace line was written since the last flush.
  bool unflushed_ = false;
  // The replay page keeps the message lines and the trace (capped) as they
  // come, whatever else is written.
  RunReplay runReplay_;
  RunReplay* recorder_ = nullptr;
  RunPicture picture_;
  // With --expect the message lines are kept for the comparison instead.
  std::vector<std::string> expected_, lines_;
  std::vector<std::string>* kept_ = nullptr;
  std::string expectFile_;
};

bool ScenePlay::OpenOutputs() {
  // Output files are named from here (the stage plays in the scene's
  // directory) and opened before anything plays.
  std::string error;
  for (auto [path, output] : {std::pair{&o_.tracePath, &trace_}, std::pair{&o_.svgPath, &svg_},
                              std::pair{&o_.replayPath, &replay_}}) {
    if (path->empty()) continue;
    std::error_code ec;
    if (*path != "-") *path = fs::absolute(*path, ec).string();
    if (!output->Open(*path, &error)) {
      std::fprintf(stderr, "stage: %s\n", ShowText(error).c_str());
      return false;
    }
  }
  return true;
}

bool ScenePlay::Connect(const SceneDescription& scene) {
  // Nothing is kept for the end: message lines and trace lines are written
  // as they come, so that a long run plays in constant memory.
  Model& model = stage_.model();
  model.keepMessages = false;
  model.trace().keep = false;
  std::FILE* messages = o_.svgPath == "-" ? stderr : stdout;
  runReplay_.side = scene.pictureSide;
  recorder_ = replay_.open() ? &runReplay_ : nullptr;
  // The trace goes out before each call into a plug-in, which might crash or
  // end the process; a call that runs too long ends it here.
  model.watch().beforeCall = [this] {
    if (unflushed_) std::fflush(nullptr);
    unflushed_ = false;
  };
  model.watch().Start(o_.callLimit, [callLimit = o_.callLimit](const std::string& call) {
    std::fflush(nullptr);
    std::fprintf(stderr, "stage: %s has run for %g s; stopping\n", call.c_str(), callLimit);
    std::fflush(stderr);
  });
  kept_ = o_.expectPath.empty() ? nullptr : &lines_;
  if (kept_ != nullptr && !ReadExpected(o_.expectPath, o_.expectUpdate, &expectFile_, &expected_))
    return false;
  if (!o_.quiet || recorder_ != nullptr || kept_ != nullptr)
    model.onMessage = [this, messages, quiet = o_.quiet](const Message& message) {
      if (recorder_ != nullptr) recorder_->AddMessage(message);
      if (kept_ != nullptr) return kept_->push_back(FormatMessage(message));
      if (quiet) return;
      std::fputs(FormatMessage(message).c_str(), messages);
      std::fputc('\n', messages);
      // A message line goes out whole at once: the plug-in that wrote it may
      // end the process before it returns.
      if (std::fflush(messages) != 0 && messages == stdout && stdoutErrno_ == 0)
        stdoutErrno_ = errno;
    };
  if (trace_.open() || recorder_ != nullptr)
    model.trace().onLine = [this, file = trace_.file()](const std::string& line) {
      if (recorder_ != nullptr) recorder_->AddTraceLine(line);
      if (file == nullptr) return;
      std::fputs(line.c_str(), file);
      std::fputc('\n', file);
      unflushed_ = true;
    };
  picture_.side = scene.pictureSide;
  if (svg_.open() || recorder_ != nullptr)
    stage_.onFrameEnd = [this, drawn = svg_.open()](int32_t) {
      if (drawn) picture_.Record(stage_.model());
      if (recorder_ != nullptr) recorder_->Record(stage_.model());
    };
  return true;
}

int ScenePlay::Play(const SceneDescription& scene) {
  Model& model = stage_.model();
  std::vector<std::string> errors;
  const bool played = stage_.Play(scene, &errors);
  int status = played ? 0 : 1;
  model.trace().onLine = nullptr;
  if (svg_.open()) std::fputs(picture_.Svg(model).c_str(), svg_.file());
  if (replay_.open()) std::fputs(runReplay_.Html(o_.scenePath).c_str(), replay_.file());
  std::string error;
  for (Output* output : {&trace_, &svg_, &replay_})
    if (!output->Close(&error)) {
      std::fprintf(stderr, "stage: %s\n", ShowText(error).c_str());
      status = 1;
    }
  // Plug-ins report at unload too (script threads, repeated failures).
  stage_.UnloadPlugins();
  for (const auto& e : errors) std::fprintf(stderr, "stage: %s\n", ShowText(e).c_str());
  if (kept_ != nullptr && played &&
      !CompareExpected(o_.expectPath, expectFile_, o_.expectUpdate, expected_, lines_))
    status = 1;
  if (o_.strict && played && model.problems() > 0) {
    std::fprintf(stderr, "stage: --strict: %lld warning(s) or names not found\n",
                 static_cast<long long>(model.problems()));
    status = 1;
  }
  // Standard output that could not take every line (a full disk, a closed
  // pipe) is a failure too.
  errno = 0;
  if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
    if (stdoutErrno_ != 0) errno = stdoutErrno_;
    std::fprintf(stderr, "stage: cannot write standard output%s%s\n", errno != 0 ? ": " : "",
                 errno != 0 ? std::strerror(errno) : "");
    status = 1;
  }
  return status;
}

}  // namespace

int PrintExports(const Options& options) {
  Stage stage;
  stage.pluginPath = options.pluginPath;
  AddBuildPluginPath(&stage);
  std::string error;
  if (!stage.LoadPlugin(options.exportsOf, &error)) {
    std::fprintf(stderr, "stage: %s\n", ShowText(error).c_str());
    return 1;
  }
  const PluginLibrary& library = *stage.plugins().back();
  std::set<std::string> names;
  if (library.hasXCmdIdent) names.insert("XCmdIdentDLL");
  if (library.hasBrainIdent) names.insert("BrainIdentDLL");
  if (library.hasBrainClassIdent) names.insert("BrainClassIdentDLL");
  if (library.xcmdMajor >= 0) names.insert({"XCmdMajorVersionDll", "XCmdMinorVersionDll"});
  if (library.brainMajor >= 0) names.insert({"BrainMajorVersionDll", "BrainMinorVersionDll"});
  for (const auto* list : {&library.xcmdNames, &library.brainNames, &library.brainClassNames})
    names.insert(list->begin(), list->end());
  // The script modules' creation and release routines, which ScriptXcmd
  // exports by name.
  for (const char* module : {"ktFlocksc", "mkRegistryc", "egBrainc", "egGameControllerc"})
    for (const std::string entry : {"init", "fini"})
      if (library.Symbol((entry + module).c_str()) != nullptr) names.insert(entry + module);
  for (const auto& name : names) std::printf("%s\n", name.c_str());
  return 0;
}

int PlayScene(Options& options) {
  SceneDescription scene;
  std::vector<std::string> errors;
  if (!LoadScene(options.scenePath, &scene, &errors)) {
    for (const auto& e : errors) std::fprintf(stderr, "stage: %s\n", e.c_str());
    return 1;
  }
  if (options.frames >= 0) scene.frames = int32_t(options.frames);
  ScenePlay play(options);
  if (!play.OpenOutputs() || !play.Connect(scene)) return 1;
  return play.Play(scene);
}

}  // namespace program
}  // namespace stage
