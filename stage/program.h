// The stage program (stage/main.cpp): plays a scene file with the plug-ins it
// names, as the game engine would, and prints the message lines that the
// plug-ins write. Its command line is read in stage/program_options.cpp, a
// scene is played with its lines streamed out in stage/program_play.cpp, and
// the output files and the expected lines of --expect are in
// stage/program_outputs.cpp.
#ifndef TESSERA_STAGE_PROGRAM_H_
#define TESSERA_STAGE_PROGRAM_H_

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace stage {
namespace program {

// What the command line asks for.
struct Options {
  std::string scenePath, tracePath, svgPath, replayPath, exportsOf, expectPath;
  std::vector<std::string> pluginPath;
  bool quiet = false, strict = false, expectUpdate = false;
  int64_t frames = -1;  // -1: the scene's count
  double callLimit = 10;
};

// --- Options (program_options.cpp) --------------------------------------------

// Reads and checks the command line. True when the program goes on (to
// --exports, or to play the scene); false with `status` set when it ends
// here: 0 after --help or --version, 2 for wrong options (said on standard
// error).
bool ReadOptions(int argc, char** argv, Options* options, int* status);

// --- Play (program_play.cpp) ----------------------------------------------------

// Prints the names that the plug-in --exports names must export; the exit
// status.
int PrintExports(const Options& options);

// Plays the scene with its outputs; the exit status.
int PlayScene(Options& options);

// --- Outputs (program_outputs.cpp) --------------------------------------------

// An output file, opened for writing before the scene plays ("-" is standard
// output). Closed, and checked, at the end.
class Output {
 public:
  Output() = default;
  ~Output();
  Output(const Output&) = delete;
  Output& operator=(const Output&) = delete;
  // False with `error` set when the file cannot be written.
  bool Open(const std::string& path, std::string* error);
  bool Close(std::string* error);
  std::FILE* file() const { return file_; }
  bool open() const { return file_ != nullptr; }

 private:
  std::string path_;
  std::FILE* file_ = nullptr;
};

// The same file (when both exist) or the same absolute path.
bool SameFile(const std::string& a, const std::string& b);

// Reads the expected lines of --expect (nothing to read for --expect-update,
// which writes the file at the end), and the file's absolute path (the
// stage plays in the scene's directory).
bool ReadExpected(const std::string& given, bool update, std::string* path,
                  std::vector<std::string>* lines);

// Writes the run's lines to `path`, or compares them with the expected ones
// and prints the difference. False when they differ or cannot be written.
bool CompareExpected(const std::string& given, const std::string& path, bool update,
                     const std::vector<std::string>& expected,
                     const std::vector<std::string>& lines);

}  // namespace program
}  // namespace stage

#endif  // TESSERA_STAGE_PROGRAM_H_
