// The stage program's output files and the expected lines of --expect.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "stage/expect.h"
#include "stage/program.h"
#include "stage/trace.h"

namespace stage {
namespace program {

namespace fs = std::filesystem;

Output::~Output() {
  if (file_ != nullptr && file_ != stdout) std::fclose(file_);
}

bool Output::Open(const std::string& path, std::string* error) {
  path_ = path;
  if (path == "-") {
    file_ = stdout;
    return true;
  }
  file_ = std::fopen(path.c_str(), "wb");
  if (file_ == nullptr) *error = "cannot write " + path + ": " + std::strerror(errno);
  return file_ != nullptr;
}

bool Output::Close(std::string* error) {
  if (file_ == nullptr) return true;
  const bool failed = std::ferror(file_) != 0 ||
                      (file_ == stdout ? std::fflush(file_) != 0 : std::fclose(file_) != 0);
  const int reason = errno;
  file_ = nullptr;
  if (failed) *error = "cannot write " + path_ + ": " + std::strerror(reason);
  return !failed;
}

bool SameFile(const std::string& a, const std::string& b) {
  std::error_code ec;
  if (fs::equivalent(a, b, ec)) return true;
  return fs::weakly_canonical(a, ec) == fs::weakly_canonical(b, ec);
}

bool ReadExpected(const std::string& given, bool update, std::string* path,
                  std::vector<std::string>* lines) {
  std::error_code ec;
  *path = fs::absolute(given, ec).string();
  if (update) return true;
  if (fs::is_directory(*path, ec)) {
    std::fprintf(stderr, "stage: %s is a directory, not a file of message lines\n",
                 ShowText(given).c_str());
    return false;
  }
  std::FILE* file = std::fopen(path->c_str(), "rb");
  if (file == nullptr) {
    std::fprintf(stderr, "stage: cannot read %s: %s (--expect-update writes it)\n",
                 ShowText(given).c_str(), std::strerror(errno));
    return false;
  }
  std::string text;
  char buffer[4096];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) text.append(buffer, n);
  std::fclose(file);
  *lines = SplitLines(text);
  return true;
}

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
      std::fprintf(stderr, "stage: cannot write %s: %s\n", ShowText(given).c_str(),
                   std::strerror(reason));
    return written;
  }
  const std::string diff = UnifiedDiff(expected, lines, given, "the run's message lines");
  if (diff.empty()) return true;
  std::fputs(diff.c_str(), stdout);
  std::fprintf(stderr, "stage: the message lines differ from %s\n", ShowText(given).c_str());
  return false;
}

}  // namespace program
}  // namespace stage
