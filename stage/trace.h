// The stage's record of what happened in a scene run: the message lines that
// plug-ins write (log and warning) and the call trace, one line per call of a
// scene operation, a host-brain operation or a plug-in operation. Both are
// plain text so that tests compare them exactly and users can read them.
#ifndef TESSERA_STAGE_TRACE_H_
#define TESSERA_STAGE_TRACE_H_

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "kit/math/math.h"

namespace stage {

enum class MessageKind { kLog, kWarning, kStage };

struct Message {
  int32_t frame;
  MessageKind kind;
  std::string text;
  // A plug-in's warning, or a stage note that something named was not found
  // (what `stage --strict` turns into a failed run).
  bool problem = false;
};

// "@3 log: SetObjVar: Door is set to 1" and the like; the text as ShowText
// shows it.
std::string FormatMessage(const Message& message);

// `text` as a terminal can show it: control bytes, DEL and bytes that are not
// part of well-formed UTF-8 are written as \xNN (a backslash, x and two hex
// digits); everything else is kept.
std::string ShowText(const std::string& text);

class CallTrace {
 public:
  // Names the handles in trace lines ("Door", "actor:OpenDoor"); null gives
  // "null", an address the stage does not know "?".
  using Labeler = std::function<std::string(const void*)>;

  explicit CallTrace(Labeler labeler) : labeler_(std::move(labeler)) {}

  // One call being written: arguments are appended in order, then the line
  // is finished with or without a result.
  class Line {
   public:
    Line(CallTrace& trace, const char* name);
    void Arg(int32_t value);
    void Arg(uint32_t value);
    void Arg(float value);
    void Arg(const char* text);
    void Arg(const char** list);
    void Arg(const mkVector3& vector);
    // Points, vectors and scalar boxes are written with the values they hold
    // once the call is over: what the caller gave, or what the call handed
    // back through them.
    void Arg(const mkPoint3* point);
    void Arg(const mkVector3* vector);
    void Arg(const float* scalar);
    void Arg(const int32_t* box);
    void Arg(const void* handle);
    void Finish();
    void Finish(const char* note);
    template <class T>
    void Result(T value) {
      if (!on_) return;
      text_ = Resolve() + ")";
      deferred_.clear();
      closed_ = true;
      first_ = true;
      text_ += " -> ";
      Arg(value);
      Finish();
    }

   private:
    void Separate();
    void Defer(const float* floats, int count);
    std::string Resolve() const;
    CallTrace& trace_;
    struct Deferred {
      size_t at;
      const void* values;
      int count;  // floats; 0 for one int32_t
    };
    std::vector<Deferred> deferred_;
    std::string text_;
    bool first_ = true;
    bool closed_ = false;
    bool on_ = true;  // the trace takes lines
  };

  // Where finished lines go. By default they are kept, for tests to read
  // (lines()). A long run streams them instead: `onLine` receives each line
  // as it is finished, and with `keep` false none is kept, so that the
  // trace's memory does not grow with the number of frames. With neither,
  // lines are not even written.
  std::function<void(const std::string& line)> onLine;
  bool keep = true;
  bool enabled() const { return keep || onLine; }

  void SetFrame(int32_t frame) { frame_ = frame; }
  int32_t frame() const { return frame_; }
  const std::vector<std::string>& lines() const { return lines_; }
  void Append(const std::string& text);
  std::string Label(const void* handle) const;

 private:
  Labeler labeler_;
  int32_t frame_ = 0;
  std::vector<std::string> lines_;
};

// Text of a float as the trace and the stage's output write it: up to six
// significant digits, locale-independent.
std::string FormatFloat(float value);

}  // namespace stage

#endif  // TESSERA_STAGE_TRACE_H_
