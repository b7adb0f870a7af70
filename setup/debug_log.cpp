#include "setup/debug_log.h"

#include <cerrno>
#include <utility>

#include "setup/file_replace.h"
#include "setup/format.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace {

using setup::Format;

class DebuggerChannel final : public TraceSink {
 public:
  void Write(const char* text) override {
#if defined(_WIN32)
    OutputDebugStringA(text);
#else
    std::fputs(text, stderr);
#endif
  }
};

// The trace sink in force; null until one is set, which stands for the
// debugger channel (so that no start-up order matters). The program is
// single-threaded.
TraceSink* gTraceSink = nullptr;

}  // namespace

DebugInfoLog::DebugInfoLog(std::string path) : fPath(std::move(path)) {}

DebugInfoLog::~DebugInfoLog() {
  Close();
}

std::tm DebugInfoLog::LocalTimeNow() {
  std::time_t now = std::time(nullptr);
  std::tm result{};
  // The program is single-threaded, so the shared result of localtime is safe.
  if (const std::tm* local = std::localtime(&now)) result = *local;
  return result;
}

std::string FormatClassicTime(const std::tm& time) {
  static const char kWeekdays[7][4] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static const char kMonths[12][4] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                      "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  int weekday = time.tm_wday < 0 ? 0 : (time.tm_wday > 6 ? 6 : time.tm_wday);
  int month = time.tm_mon < 0 ? 0 : (time.tm_mon > 11 ? 11 : time.tm_mon);
  return Format("%.3s %.3s%3d %.2d:%.2d:%.2d %d", kWeekdays[weekday], kMonths[month], time.tm_mday,
                time.tm_hour, time.tm_min, time.tm_sec, 1900 + time.tm_year);
}

bool DebugInfoLog::EnsureOpen() {
  if (fFile != nullptr) return true;
  if (!fEnabled) return false;
  errno = 0;
  fFile = std::fopen(fPath.c_str(), "w");
  if (fFile == nullptr) {
    if (fProblem.empty()) fProblem = "cannot write " + fPath + ": " + SystemErrorText(errno);
    return false;
  }
  std::string header =
      "\n--- Demo Debug Info File (Created " + FormatClassicTime(fNow()) + ") ---\n";
  std::fputs(header.c_str(), fFile);
  return true;
}

void DebugInfoLog::Write(const std::string& text) {
  if (!EnsureOpen()) return;
  std::fwrite(text.data(), 1, text.size(), fFile);
}

void DebugInfoLog::LogLine(const std::string& text) {
  Write(text + "\n");
}

void DebugInfoLog::LogText(const std::string& label, const std::string& text) {
  Write(label + ": " + text + "\n");
}

void DebugInfoLog::LogNumber(const std::string& label, int32_t n) {
  Write(label + Format(": %d (0x%x)\n", static_cast<int>(n), static_cast<unsigned>(n)));
}

void DebugInfoLog::Close() {
  if (fFile == nullptr) return;
  std::fputs("--- End of Demo Debug Info File ---\n\n", fFile);
  std::fclose(fFile);
  fFile = nullptr;
}

TraceSink& DebuggerOutput() {
  static DebuggerChannel channel;
  return channel;
}

TraceSink* SetTraceSink(TraceSink* sink) {
  TraceSink* previous = gTraceSink != nullptr ? gTraceSink : &DebuggerOutput();
  gTraceSink = sink;
  return previous;
}

void DebugTrace(const char* text) {
  if (text == nullptr) return;
  (gTraceSink != nullptr ? *gTraceSink : DebuggerOutput()).Write(text);
}
