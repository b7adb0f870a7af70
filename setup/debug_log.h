// The detection log and the debugger trace.
//
// DebugInfoLog writes `debug_info.dat`, a plain-text report of what hardware
// detection found and decided, for support staff to read from a player's
// machine. It stays silent until `Enable` (graphics detection switches it on),
// opens the file on the first line written, and writes the closing line when
// it is closed or destroyed. DebugTrace sends short lines to the system's
// debugger output (standard error where there is no debugger channel), or to
// another TraceSink put in its place (SetTraceSink, TraceCapture).
//
// Nothing reads either channel back, and neither can fail its caller: a log
// file that cannot be created costs only the log.
#ifndef TESSERA_SETUP_DEBUG_LOG_H_
#define TESSERA_SETUP_DEBUG_LOG_H_

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <string>

class DebugInfoLog {
 public:
  // `path` is the file to write, replaced by the first line of an enabled
  // log; the program uses "debug_info.dat" in the game directory.
  explicit DebugInfoLog(std::string path = "debug_info.dat");
  DebugInfoLog(const DebugInfoLog&) = delete;
  DebugInfoLog& operator=(const DebugInfoLog&) = delete;
  // Closes the file (with its closing line) when it is open.
  ~DebugInfoLog();

  // Lets the writers below create the file. Nothing switches it off again.
  void Enable() { fEnabled = true; }
  bool IsEnabled() const { return fEnabled; }
  bool IsOpen() const { return fFile != nullptr; }
  // After the file could not be created: "cannot write PATH: REASON", the
  // reason as the system gives it (the first such failure); else "".
  const std::string& Problem() const { return fProblem; }

  // "%s\n" of `text`.
  void LogLine(const std::string& text);
  // "%s: %s\n" of `label` and `text`.
  void LogText(const std::string& label, const std::string& text);
  // "%s: %d (0x%x)\n" of `label` and `n` in decimal and in lower-case
  // hexadecimal.
  void LogNumber(const std::string& label, int32_t n);

  // Writes "--- End of Demo Debug Info File ---\n\n" and closes the file when
  // it is open; otherwise nothing. A later line opens (and replaces) the file
  // again.
  void Close();

  // The local time that the header shows. Replaceable so that a log can be
  // compared with an expected file.
  std::tm (*fNow)() = &LocalTimeNow;

  static std::tm LocalTimeNow();

 private:
  // Opens the file and writes the header unless it is open already; false
  // when the log is disabled or the file cannot be created (the next line
  // tries again).
  bool EnsureOpen();
  void Write(const std::string& text);

  std::string fPath;
  bool fEnabled = false;
  std::FILE* fFile = nullptr;
  std::string fProblem;
};

// The classic 24-character form of a date and time, as in
// "Mon Apr 16 12:07:39 2001": weekday, month, day (padded with a blank),
// time and year. Independent of the locale. Fields out of range are clamped
// to the nearest valid name or printed as they are.
std::string FormatClassicTime(const std::tm& time);

// Passes `text` unchanged (callers include their own line end) to the
// current trace sink; by default the debugger output channel:
// OutputDebugStringA on Windows, standard error elsewhere. A null text is
// ignored.
void DebugTrace(const char* text);

// Where DebugTrace sends its text.
class TraceSink {
 public:
  virtual void Write(const char* text) = 0;

 protected:
  ~TraceSink() = default;
};

// The debugger output channel, the trace sink at program start.
TraceSink& DebuggerOutput();

// Makes `sink` the current trace sink (null: DebuggerOutput()) and returns
// the one it replaces, never null. The sink must outlive its time as the
// current one.
TraceSink* SetTraceSink(TraceSink* sink);

// A sink that keeps the traced text, current from its construction to its
// destruction (which puts the earlier sink back): for tests, and for front
// ends that show the trace their own way.
class TraceCapture : public TraceSink {
 public:
  TraceCapture() : fPrevious(SetTraceSink(this)) {}
  TraceCapture(const TraceCapture&) = delete;
  TraceCapture& operator=(const TraceCapture&) = delete;
  ~TraceCapture() { SetTraceSink(fPrevious); }

  void Write(const char* text) override { fText += text; }
  // The text traced so far.
  const std::string& Text() const { return fText; }
  // The text traced so far; the capture starts again empty.
  std::string Take() {
    std::string text;
    text.swap(fText);
    return text;
  }

 private:
  TraceSink* fPrevious;
  std::string fText;
};

#endif  // TESSERA_SETUP_DEBUG_LOG_H_
