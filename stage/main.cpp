// stage: plays a scene file with the plug-ins it names, as the game engine
// would, and prints the message lines that the plug-ins write.
#include <CLI/CLI.hpp>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "stage/expect.h"
#include "stage/picture.h"
#include "stage/replay.h"
#include "stage/stage.h"

namespace {

namespace fs = std::filesystem;

const char kDescription[] =
    "Plays SCENE, a scene file (see docs/scene-format.md): loads the plug-ins it\n"
    "names exactly as the game engine loads them, builds its objects, variables,\n"
    "actors and brains, and runs its timeline frame by frame. Prints every\n"
    "message line that the plug-ins write, marked 'log' or 'warning', and the\n"
    "stage's own notes, marked 'stage', each after '@' and its frame number:\n"
    "\n"
    "  @0 log: SetObjVar: Door is set to 1\n";

const char kFooter[] =
    "A run is reproducible: the same scene gives the same output and trace.\n"
    "Output files are opened before the scene plays. For --trace and --svg, FILE\n"
    "'-' is standard output (the trace lines then come between the message lines,\n"
    "in the order they happen; with --svg - the message lines go to standard error\n"
    "instead); --replay and --expect need a file name.\n"
    "Exit status: 0 when the scene was played, 1 when it, a plug-in or an output\n"
    "file could not be loaded or written, or a call into a plug-in ran past\n"
    "--call-limit (or, with --strict, when a plug-in warned or something named\n"
    "was not found; with --expect, when the message lines differ), 2 for wrong\n"
    "options.";

// The usage line first, then the description, the options and the footer.
class HelpFormatter : public CLI::Formatter {
 public:
  std::string make_usage(const CLI::App*, std::string) const override { return ""; }
  std::string make_description(const CLI::App* app) const override {
    return "usage: stage [options] SCENE\n\n" + app->get_description() + "\n";
  }
};

// An option's text, broken into lines that fit beside the option names.
std::string Wrap(const std::string& text) {
  constexpr size_t kWidth = 56;
  std::string out, line;
  size_t from = 0;
  while (from < text.size()) {
    size_t to = text.find(' ', from);
    if (to == std::string::npos) to = text.size();
    const std::string word = text.substr(from, to - from);
    if (!line.empty() && line.size() + 1 + word.size() > kWidth) {
      out += line + "\n";
      line.clear();
    }
    line += (line.empty() ? "" : " ") + word;
    from = to + 1;
  }
  return out + line;
}

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
    std::fprintf(stderr, "stage: %s\n", stage::ShowText(error).c_str());
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
  // The script modules' creation and release routines, which ScriptXcmd
  // exports by name.
  for (const char* module : {"ktFlocksc", "mkRegistryc", "egBrainc", "egGameControllerc"})
    for (const std::string entry : {"init", "fini"})
      if (library.Symbol((entry + module).c_str()) != nullptr) names.insert(entry + module);
  for (const auto& name : names) std::printf("%s\n", name.c_str());
  return 0;
}

// The --frames count: digits only, at most the scene reader's limit.
bool ReadFrames(const std::string& text, int64_t* frames) {
  if (text.empty() || text.size() > 7) return false;
  int64_t n = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    n = n * 10 + (c - '0');
  }
  *frames = n;
  return n <= stage::kMaxFrames;
}

int UsageError(const std::string& message) {
  std::fprintf(stderr, "stage: %s\n(stage --help explains the options)\n", message.c_str());
  return 2;
}

// An output file, opened for writing before the scene plays ("-" is standard
// output). Closed, and checked, at the end.
class Output {
 public:
  ~Output() {
    if (file_ != nullptr && file_ != stdout) std::fclose(file_);
  }
  // False with `error` set when the file cannot be written.
  bool Open(const std::string& path, std::string* error) {
    path_ = path;
    if (path == "-") {
      file_ = stdout;
      return true;
    }
    file_ = std::fopen(path.c_str(), "wb");
    if (file_ == nullptr) *error = "cannot write " + path + ": " + std::strerror(errno);
    return file_ != nullptr;
  }
  bool Close(std::string* error) {
    if (file_ == nullptr) return true;
    const bool failed = std::ferror(file_) != 0 ||
                        (file_ == stdout ? std::fflush(file_) != 0 : std::fclose(file_) != 0);
    const int reason = errno;
    file_ = nullptr;
    if (failed) *error = "cannot write " + path_ + ": " + std::strerror(reason);
    return !failed;
  }
  std::FILE* file() const { return file_; }
  bool open() const { return file_ != nullptr; }

 private:
  std::string path_;
  std::FILE* file_ = nullptr;
};

// The same file (when both exist) or the same absolute path.
bool SameFile(const std::string& a, const std::string& b) {
  std::error_code ec;
  if (fs::equivalent(a, b, ec)) return true;
  return fs::weakly_canonical(a, ec) == fs::weakly_canonical(b, ec);
}

// Reads the expected lines of --expect (nothing to read for --expect-update,
// which writes the file at the end), and the file's absolute path (the
// stage plays in the scene's directory).
bool ReadExpected(const std::string& given, bool update, std::string* path,
                  std::vector<std::string>* lines) {
  std::error_code ec;
  *path = fs::absolute(given, ec).string();
  if (update) return true;
  if (fs::is_directory(*path, ec)) {
    std::fprintf(stderr, "stage: %s is a directory, not a file of message lines\n",
                 stage::ShowText(given).c_str());
    return false;
  }
  std::FILE* file = std::fopen(path->c_str(), "rb");
  if (file == nullptr) {
    std::fprintf(stderr, "stage: cannot read %s: %s (--expect-update writes it)\n",
                 stage::ShowText(given).c_str(), std::strerror(errno));
    return false;
  }
  std::string text;
  char buffer[4096];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) text.append(buffer, n);
  std::fclose(file);
  *lines = stage::SplitLines(text);
  return true;
}

// Writes the run's lines to `path`, or compares them with the expected ones
// and prints the difference. False when they differ or cannot be written.
bool CompareExpected(const std::string& given, const std::string& path, bool update,
                     const std::vector<std::string>& expected,
                     const std::vector<std::string>& lines) {
  if (update) {
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    std::FILE* file = std::fopen(path.c_str(), "wb");
    bool written = file != nullptr && std::fwrite(text.data(), 1, text.size(), file) == text.size();
    const int reason = errno;
    if (file != nullptr && std::fclose(file) != 0) written = false;
    if (!written)
      std::fprintf(stderr, "stage: cannot write %s: %s\n", stage::ShowText(given).c_str(),
                   std::strerror(reason));
    return written;
  }
  const std::string diff = stage::UnifiedDiff(expected, lines, given, "the run's message lines");
  if (diff.empty()) return true;
  std::fputs(diff.c_str(), stdout);
  std::fprintf(stderr, "stage: the message lines differ from %s\n", stage::ShowText(given).c_str());
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  std::string scenePath, tracePath, svgPath, replayPath, exportsOf, expectPath;
  std::vector<std::string> pluginPath;
  bool quiet = false, strict = false, expectUpdate = false;
  int64_t frames = -1;
  double callLimit = 10;

  CLI::App app(kDescription, "stage");
  app.formatter(std::make_shared<HelpFormatter>());
  app.footer(kFooter);
  app.get_formatter()->column_width(22);
  app.add_option("SCENE", scenePath, "the scene file to play")->type_name("");
  app.add_option("--trace", tracePath,
                 Wrap("write the call trace (every scene-interface call with its arguments and "
                      "result, every command run and brain update) to FILE, line by line as the "
                      "scene plays"))
      ->type_name("FILE");
  app.add_option("--svg", svgPath,
                 Wrap("draw the run, seen from above (or from the side, as the scene says), into "
                      "the SVG picture FILE: the paths of the "
                      "objects that moved (the player's in red), with time marks, and the objects "
                      "that stood still"))
      ->type_name("FILE");
  app.add_option("--replay", replayPath,
                 Wrap("write a replay page of the run to the HTML file FILE (self-contained, "
                      "for a browser): the scene seen from above (or from the side, as the scene "
                      "says) frame by frame, with a timeline, play, pause, single steps and speed, "
                      "each frame's message and trace lines, and what a clicked object is "
                      "(see docs/replay.md)"))
      ->type_name("FILE");
  app.add_option("--plugin-path", pluginPath,
                 Wrap("look in DIR for plug-ins that the scene names without a directory (may be "
                      "given more than once; the build's plug-in directories are searched last)"))
      ->type_name("DIR")
      ->allow_extra_args(false);
  std::string framesText;
  app.add_option("--frames", framesText, "play N frames instead of the scene's count")
      ->type_name("N");
  app.add_option("--call-limit", callLimit,
                 Wrap("stop (exit status 1) when one call into a plug-in runs SECONDS or longer, "
                      "naming the call; 0 for no limit (default 10)"))
      ->type_name("SECONDS")
      ->check(CLI::Range(0.0, 1e6));
  app.add_flag("--quiet", quiet, "do not print the message lines");
  CLI::Option* expect = app.add_option(
      "--expect", expectPath,
      Wrap("compare the message lines with the file FILE instead of printing them: when they "
           "differ, print a unified diff from FILE to the run's lines and end with exit status 1"));
  expect->type_name("FILE");
  app.add_flag("--expect-update", expectUpdate,
               Wrap("with --expect, write the run's message lines to FILE instead"))
      ->needs(expect);
  app.add_flag("--strict", strict,
               Wrap("fail (exit status 1) when a plug-in wrote a warning or the stage noted that "
                    "something named was not found"));
  app.add_option("--exports", exportsOf,
                 Wrap("load the plug-in PLUGIN (a path or a name), print the names that it must "
                      "export (its entry points, version functions and every listed object), one "
                      "per line, and stop"))
      ->type_name("PLUGIN");
  app.set_version_flag("--version", std::string("stage ") + STAGE_VERSION,
                       "print the stage's version and stop");
  app.set_help_flag("--help,-h", "show this text");
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp&) {
    std::fputs(app.help().c_str(), stdout);
    return 0;
  } catch (const CLI::CallForVersion& e) {
    std::printf("%s\n", e.what());
    return 0;
  } catch (const CLI::ParseError& e) {
    return UsageError(e.what());
  }

  if (!exportsOf.empty()) {
    stage::Stage stage;
    stage.pluginPath = pluginPath;
    AddBuildPluginPath(&stage);
    return PrintExports(stage, exportsOf);
  }
  if (scenePath.empty()) return UsageError("no scene file given");
  if (!framesText.empty() && !ReadFrames(framesText, &frames))
    return UsageError("--frames: '" + stage::ShowText(framesText) +
                      "' is not a whole number from 0 to " + std::to_string(stage::kMaxFrames));
  for (const std::string& dir : pluginPath)
    if (std::error_code ec; !fs::is_directory(dir, ec))
      return UsageError("--plugin-path: " + stage::ShowText(dir) + " is not a directory");
  if (tracePath == "-" && svgPath == "-")
    return UsageError("--trace and --svg cannot both write to standard output");
  if (replayPath == "-")
    return UsageError("--replay needs a file name: the page is not written to standard output");
  if (expectPath == "-") return UsageError("--expect needs a file name");
  for (const std::string* output : {&tracePath, &svgPath, &replayPath})
    if (!output->empty() && *output != "-" && SameFile(*output, scenePath))
      return UsageError(*output + " is the scene file; it would be overwritten");

  stage::SceneDescription scene;
  std::vector<std::string> errors;
  if (!stage::LoadScene(scenePath, &scene, &errors)) {
    for (const auto& e : errors) std::fprintf(stderr, "stage: %s\n", e.c_str());
    return 1;
  }
  if (frames >= 0) scene.frames = int32_t(frames);

  // Output files are named from here (the stage plays in the scene's
  // directory) and opened before anything plays.
  Output trace, svg, replay;
  std::string error;
  for (auto [path, output] : {std::pair{&tracePath, &trace}, std::pair{&svgPath, &svg},
                              std::pair{&replayPath, &replay}}) {
    if (path->empty()) continue;
    std::error_code ec;
    if (*path != "-") *path = fs::absolute(*path, ec).string();
    if (!output->Open(*path, &error)) {
      std::fprintf(stderr, "stage: %s\n", stage::ShowText(error).c_str());
      return 1;
    }
  }

  stage::Stage stage;
  stage.pluginPath = pluginPath;
  AddBuildPluginPath(&stage);
  // Nothing is kept for the end: message lines and trace lines are written
  // as they come, so that a long run plays in constant memory.
  stage::Model& model = stage.model();
  model.keepMessages = false;
  model.trace().keep = false;
  std::FILE* messages = svgPath == "-" ? stderr : stdout;
  // Why the first write of standard output failed: the line-by-line flushes
  // meet a full disk long before the last one.
  int stdoutErrno = 0;
  // The replay page keeps the message lines and the trace (capped) as they
  // come, whatever else is written.
  stage::RunReplay runReplay;
  runReplay.side = scene.pictureSide;
  stage::RunReplay* recorder = replay.open() ? &runReplay : nullptr;
  // The trace goes out before each call into a plug-in, which might crash or
  // end the process; a call that runs too long ends it here.
  bool unflushed = false;
  model.watch().beforeCall = [&unflushed] {
    if (unflushed) std::fflush(nullptr);
    unflushed = false;
  };
  model.watch().Start(callLimit, [callLimit](const std::string& call) {
    std::fflush(nullptr);
    std::fprintf(stderr, "stage: %s has run for %g s; stopping\n", call.c_str(), callLimit);
    std::fflush(stderr);
  });
  // With --expect the message lines are kept for the comparison instead.
  std::vector<std::string> expected, lines;
  std::vector<std::string>* kept = expectPath.empty() ? nullptr : &lines;
  std::string expectFile;
  if (kept != nullptr && !ReadExpected(expectPath, expectUpdate, &expectFile, &expected)) return 1;
  if (!quiet || recorder != nullptr || kept != nullptr)
    model.onMessage = [messages, quiet, recorder, kept,
                       &stdoutErrno](const stage::Message& message) {
      if (recorder != nullptr) recorder->AddMessage(message);
      if (kept != nullptr) return kept->push_back(stage::FormatMessage(message));
      if (quiet) return;
      std::fputs(stage::FormatMessage(message).c_str(), messages);
      std::fputc('\n', messages);
      // A message line goes out whole at once: the plug-in that wrote it may
      // end the process before it returns.
      if (std::fflush(messages) != 0 && messages == stdout && stdoutErrno == 0) stdoutErrno = errno;
    };
  if (trace.open() || recorder != nullptr)
    model.trace().onLine = [file = trace.file(), recorder, &unflushed](const std::string& line) {
      if (recorder != nullptr) recorder->AddTraceLine(line);
      if (file == nullptr) return;
      std::fputs(line.c_str(), file);
      std::fputc('\n', file);
      unflushed = true;
    };
  stage::RunPicture picture;
  picture.side = scene.pictureSide;
  if (svg.open() || recorder != nullptr)
    stage.onFrameEnd = [&, drawn = svg.open()](int32_t) {
      if (drawn) picture.Record(model);
      if (recorder != nullptr) recorder->Record(model);
    };

  const bool played = stage.Play(scene, &errors);
  int status = played ? 0 : 1;
  model.trace().onLine = nullptr;
  if (svg.open()) std::fputs(picture.Svg(model).c_str(), svg.file());
  if (replay.open()) std::fputs(runReplay.Html(scenePath).c_str(), replay.file());
  for (Output* output : {&trace, &svg, &replay})
    if (!output->Close(&error)) {
      std::fprintf(stderr, "stage: %s\n", stage::ShowText(error).c_str());
      status = 1;
    }
  // Plug-ins report at unload too (script threads, repeated failures).
  stage.UnloadPlugins();
  for (const auto& e : errors) std::fprintf(stderr, "stage: %s\n", stage::ShowText(e).c_str());
  if (kept != nullptr && played &&
      !CompareExpected(expectPath, expectFile, expectUpdate, expected, lines))
    status = 1;
  if (strict && played && model.problems() > 0) {
    std::fprintf(stderr, "stage: --strict: %lld warning(s) or names not found\n",
                 static_cast<long long>(model.problems()));
    status = 1;
  }
  // Standard output that could not take every line (a full disk, a closed
  // pipe) is a failure too.
  errno = 0;
  if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
    if (stdoutErrno != 0) errno = stdoutErrno;
    std::fprintf(stderr, "stage: cannot write standard output%s%s\n", errno != 0 ? ": " : "",
                 errno != 0 ? std::strerror(errno) : "");
    status = 1;
  }
  return status;
}
