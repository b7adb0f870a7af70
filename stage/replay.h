// A replay page of a scene run: one self-contained HTML file (its script and
// styles inline, nothing fetched) that plays the run back frame by frame,
// seen from above or from the side, with a timeline slider, play, pause,
// single steps and speed, the message lines and call trace lines of the
// shown frame, and the name, position, flags, variables and brain of an
// object that is clicked.
//
//   stage::RunReplay replay;
//   stage.onFrameEnd = [&](int32_t) { replay.Record(model); };
//   model.onMessage = [&](const Message& m) { replay.AddMessage(m); };
//   model.trace().onLine = [&](const std::string& l) { replay.AddTraceLine(l); };
//   ... play ...
//   std::string page = replay.Html("scenes/door.scene");
//
// Positions are kept compactly: per object and per quantity (x, y, heading,
// ...) one text of delta-encoded, quantised whole numbers (DeltaWriter), which
// the page decodes as it loads. A 10,000-frame run of a dozen objects takes
// some hundred kilobytes; the message and trace lines kept are capped (the
// limits below), so that a page never grows without bound.
#ifndef TESSERA_STAGE_REPLAY_H_
#define TESSERA_STAGE_REPLAY_H_

#include <cstddef>
#include <cstdint>
#include <limits>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "stage/model.h"

namespace stage {

// --- The compact encoding ------------------------------------------------------
//
// A sequence of 32-bit whole numbers is written as the differences from one
// number to the next (the first from 0). Each difference d becomes a token
// 2*zigzag(d) (zigzag: 0, -1, 1, -2, 2 ... give 0, 1, 2, 3, 4 ...); a run of
// n equal numbers after the first (differences of 0) becomes the single
// token 2*(n-1)+1. Each token is written five bits at a time, lowest first,
// as characters of kDeltaAlphabet: the character's index holds five bits and,
// in its value 32, whether more characters of the token follow. The
// characters need no escaping in HTML, JSON or a URL.

inline constexpr char kDeltaAlphabet[] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";

// Writes a sequence as it comes; Add never fails.
class DeltaWriter {
 public:
  void Add(int32_t value);
  // The text of everything added so far.
  std::string Text() const;
  int64_t count() const { return count_; }

 private:
  void Token(uint64_t token, std::string* out) const;
  std::string text_;  // finished tokens
  int32_t last_ = 0;
  int64_t run_ = 0;  // equal numbers not yet written
  int64_t count_ = 0;
};

// Reads a text that DeltaWriter wrote into `values` (replacing its content).
// False, with `values` cleared, when the text is malformed (a character
// outside the alphabet, a token of more than eight characters or cut short,
// a number outside the 32-bit range) or holds more than `maxCount` numbers.
bool DecodeDeltas(std::string_view text, size_t maxCount, std::vector<int32_t>* values);

// What Quantise gives for a value that is not a finite number (infinite, or
// not a number); the page shows such positions as not finite and leaves them
// out of the drawing.
inline constexpr int32_t kNotFinite = std::numeric_limits<int32_t>::min();
// Coordinates beyond this many units are drawn but left out of the map's
// bounds, so that one far-off object does not shrink the rest to a point.
inline constexpr double kMaxDrawnCoordinate = 1e7;

// `value` in whole `unit`s, rounded to the nearest; values beyond the 32-bit
// range give its nearest end (above kNotFinite).
int32_t Quantise(double value, double unit);

// --- The recorder and the page --------------------------------------------------

class RunReplay {
 public:
  // Positions and look-at points are kept in hundredths of a unit, headings
  // in thousandths of a radian.
  static constexpr double kPositionUnit = 0.01;
  static constexpr double kAngleUnit = 0.001;
  // Trace lines are kept compactly: each distinct text once (sharing its
  // start with an earlier text that begins alike), and for each line the
  // number of its text and its frame. Of each frame's trace lines the first
  // kMaxTraceLinesPerFrame are kept, and the page says for each frame how
  // many it does not show; once the kept trace costs kMaxTraceBytes (the
  // distinct texts' new parts, kTraceTextCost for each text and
  // kTraceLineCost for each line), no more lines are (the page says from
  // which frame on). A line longer than kMaxLineBytes is cut there (and
  // marked " ...").
  static constexpr size_t kMaxTraceLinesPerFrame = 5000;
  static constexpr size_t kMaxTraceBytes = 1500000;
  static constexpr size_t kTraceTextCost = 8;
  static constexpr size_t kTraceLineCost = 3;
  // Message lines likewise, with their own budget.
  static constexpr size_t kMaxMessagesPerFrame = 500;
  static constexpr size_t kMaxMessageBytes = 1000000;
  static constexpr size_t kMaxLineBytes = 400;
  // Changes of object flags and variables kept in all.
  static constexpr size_t kMaxStateChanges = 20000;
  // Frames kept: a longer run's page ends at the last of them (and says so).
  static constexpr int32_t kMaxFrames = 100000;

  // Seen from the side (x to the right, z up): set before the first Record.
  bool side = false;

  // Records where every object is, which way it faces, its behaviour, and
  // for cameras and firemarbles their look-at point and light, at the end
  // of a frame (the frames are numbered from 0 in the order recorded); and
  // every change of the object flags and variables (records 1001, 1002).
  void Record(const Model& model);
  // A message line of the run (kept by the policy above).
  void AddMessage(const Message& message);
  // A call trace line as the trace writes it ("@FRAME text").
  void AddTraceLine(const std::string& line);

  // The page, titled with `title` (the scene's name).
  std::string Html(const std::string& title) const;

 private:
  // What is kept of one object, frame by frame from `first` on.
  struct Track {
    const SceneObject* object = nullptr;
    std::string kind;  // how the page draws it
    int32_t first = 0;
    // z: the third coordinate (the scene's z seen from above, y from the
    // side); lookZ and fov for the camera's view.
    DeltaWriter x, y, z, heading, present, lookX, lookY, lookZ, fov, lit, behavior;
  };
  struct Line {
    int32_t frame;
    std::string text;
  };
  struct StateChange {
    int32_t frame;
    int32_t object;  // index into tracks_
    int32_t kind;    // 1001 flag, 1002 variable
    int32_t value;
  };
  struct Kept {
    std::vector<Line> lines;
    std::vector<std::pair<int32_t, int64_t>> dropped;  // frame, lines not kept
    int32_t spentFrom = -1;                            // the frame in which the budget ran out
    size_t bytes = 0;
    int32_t frame = -1;  // of the last line offered
    size_t inFrame = 0;  // lines kept of that frame
  };
  // Whether a line that costs `cost` bytes is kept by the policy above
  // (counting it among the dropped when not).
  static bool Admit(Kept* kept, int32_t frame, size_t cost, size_t perFrame, size_t budget);
  static void Keep(Kept* kept, int32_t frame, std::string_view text, size_t perFrame,
                   size_t budget);
  // The distinct trace texts, in the order they first came: each as the
  // first `shared` bytes of the text `back` places before it and a new part.
  struct TraceTexts {
    std::unordered_map<std::string, int32_t> number;
    std::unordered_map<std::string, int32_t> lastByStart;  // by the first kStart bytes
    std::vector<std::string> texts;                        // whole, for sharing
    std::vector<std::string> parts;
    DeltaWriter back, shared;
    DeltaWriter line, frame;  // of each kept line: its text's number, its frame
    int64_t lines = 0;
  };
  static constexpr size_t kStart = 12;

  std::vector<Track> tracks_;
  DeltaWriter camera_;  // the track of the current camera in each frame, -1 for none
  std::vector<StateChange> states_;
  std::map<Model::ContextKey, int32_t> lastState_;
  bool statesFull_ = false;
  Kept messages_, trace_;
  TraceTexts traceTexts_;
  int32_t frames_ = 0;  // kept
  int64_t played_ = 0;  // recorded
  float frameTime_ = 0.0f;
  double minX_ = 1e300, minY_ = 1e300, maxX_ = -1e300, maxY_ = -1e300;
};

}  // namespace stage

#endif  // TESSERA_STAGE_REPLAY_H_
