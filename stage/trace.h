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
};

// "@3 log: SetObjVar: Door is set to 1" and the like.
std::string FormatMessage(const Message& message);

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
    void Arg(const void* handle);
    void Finish();
    void Finish(const char* note);
    template <class T>
    void Result(T value) {
      text_ += ")";
      closed_ = true;
      first_ = true;
      text_ += " -> ";
      Arg(value);
      Finish();
    }

   private:
    void Separate();
    CallTrace& trace_;
    std::string text_;
    bool first_ = true;
    bool closed_ = false;
  };

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
