// The stage program's command line.
#include <CLI/CLI.hpp>
#include <filesystem>
#include <string>

#include "stage/program.h"
#include "stage/scene_file.h"
#include "stage/trace.h"

namespace stage {
namespace program {

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

// The --frames count: digits only, at most the scene reader's limit.
bool ReadFrames(const std::string& text, int64_t* frames) {
  if (text.empty() || text.size() > 7) return false;
  int64_t n = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    n = n * 10 + (c - '0');
  }
  *frames = n;
  return n <= kMaxFrames;
}

int UsageError(const std::string& message) {
  std::fprintf(stderr, "stage: %s\n(stage --help explains the options)\n", message.c_str());
  return 2;
}

// Ends the program with `code`.
bool Stop(int* status, int code) {
  *status = code;
  return false;
}

}  // namespace

bool ReadOptions(int argc, char** argv, Options* options, int* status) {
  Options& o = *options;
  CLI::App app(kDescription, "stage");
  app.formatter(std::make_shared<HelpFormatter>());
  app.footer(kFooter);
  app.get_formatter()->column_width(22);
  app.add_option("SCENE", o.scenePath, "the scene file to play")->type_name("");
  app.add_option("--trace", o.tracePath,
                 Wrap("write the call trace (every scene-interface call with its arguments and "
                      "result, every command run and brain update) to FILE, line by line as the "
                      "scene plays"))
      ->type_name("FILE");
  app.add_option("--svg", o.svgPath,
                 Wrap("draw the run, seen from above (or from the side, as the scene says), into "
                      "the SVG picture FILE: the paths of the "
                      "objects that moved (the player's in red), with time marks, and the objects "
                      "that stood still"))
      ->type_name("FILE");
  app.add_option("--replay", o.replayPath,
                 Wrap("write a replay page of the run to the HTML file FILE (self-contained, "
                      "for a browser): the scene seen from above (or from the side, as the scene "
                      "says) frame by frame, with a timeline, play, pause, single steps and speed, "
                      "each frame's message and trace lines, and what a clicked object is "
                      "(see docs/replay.md)"))
      ->type_name("FILE");
  app.add_option("--plugin-path", o.pluginPath,
                 Wrap("look in DIR for plug-ins that the scene names without a directory (may be "
                      "given more than once; the build's plug-in directories are searched last)"))
      ->type_name("DIR")
      ->allow_extra_args(false);
  std::string framesText;
  app.add_option("--frames", framesText, "play N frames instead of the scene's count")
      ->type_name("N");
  app.add_option("--call-limit", o.callLimit,
                 Wrap("stop (exit status 1) when one call into a plug-in runs SECONDS or longer, "
                      "naming the call; 0 for no limit (default 10)"))
      ->type_name("SECONDS")
      ->check(CLI::Range(0.0, 1e6));
  app.add_flag("--quiet", o.quiet, "do not print the message lines");
  CLI::Option* expect = app.add_option(
      "--expect", o.expectPath,
      Wrap("compare the message lines with the file FILE instead of printing them: when they "
           "differ, print a unified diff from FILE to the run's lines and end with exit status 1"));
  expect->type_name("FILE");
  app.add_flag("--expect-update", o.expectUpdate,
               Wrap("with --expect, write the run's message lines to FILE instead"))
      ->needs(expect);
  app.add_flag("--strict", o.strict,
               Wrap("fail (exit status 1) when a plug-in wrote a warning or the stage noted that "
                    "something named was not found"));
  app.add_option("--exports", o.exportsOf,
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
    return Stop(status, 0);
  } catch (const CLI::CallForVersion& e) {
    std::printf("%s\n", e.what());
    return Stop(status, 0);
  } catch (const CLI::ParseError& e) {
    return Stop(status, UsageError(e.what()));
  }

  // --exports needs nothing more.
  if (!o.exportsOf.empty()) return true;
  if (o.scenePath.empty()) return Stop(status, UsageError("no scene file given"));
  if (!framesText.empty() && !ReadFrames(framesText, &o.frames))
    return Stop(status,
                UsageError("--frames: '" + ShowText(framesText) +
                           "' is not a whole number from 0 to " + std::to_string(kMaxFrames)));
  for (const std::string& dir : o.pluginPath)
    if (std::error_code ec; !fs::is_directory(dir, ec))
      return Stop(status, UsageError("--plugin-path: " + ShowText(dir) + " is not a directory"));
  if (o.tracePath == "-" && o.svgPath == "-")
    return Stop(status, UsageError("--trace and --svg cannot both write to standard output"));
  if (o.replayPath == "-")
    return Stop(status, UsageError("--replay needs a file name: the page is not written to "
                                   "standard output"));
  if (o.expectPath == "-") return Stop(status, UsageError("--expect needs a file name"));
  for (const std::string* output : {&o.tracePath, &o.svgPath, &o.replayPath})
    if (!output->empty() && *output != "-" && SameFile(*output, o.scenePath))
      return Stop(status, UsageError(*output + " is the scene file; it would be overwritten"));
  return true;
}

}  // namespace program
}  // namespace stage
