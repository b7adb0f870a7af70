// Scene files: what the stage plays. A scene file is plain text, one
// statement per line; docs/scene-format.md describes it with examples.
#ifndef TESSERA_STAGE_SCENE_FILE_H_
#define TESSERA_STAGE_SCENE_FILE_H_

#include <cstdint>
#include <string>
#include <vector>

#include "kit/math/math.h"

namespace stage {

struct ObjectSpec {
  std::string name;
  std::string parent;  // empty: none
  mkPoint3 position{0, 0, 0};
  float radius = 0.5f;
  bool character = false;
  bool camera = false;
  bool light = false;
  bool remote = false;        // not owned by this machine
  bool remotePlayer = false;  // another machine's player
  bool viewAxes = false;      // axes view, up, right (-y, z, -x)
  bool flock = false;         // a flock manager (the statement 'flock')
  float flockSpeed = 1.0f;    // units per second toward its goal
  std::string flockGoal;      // the object whose key is its first goal; empty: none
  bool fireMarble = false;    // a firemarble (the statement 'firemarble')
  bool lit = false;
  // Cameras: the point looked at (by default one unit along the first
  // axis), the field of view and the mode.
  bool hasLookAt = false;
  mkPoint3 lookAt{0, 0, 0};
  float fov = 60.0f;
  int32_t mode = 0;  // 0 fixed, 1 follow, 2 drive, 3 observer
  int line = 0;
};

struct BehaviorSpec {
  std::string object;
  std::string name;
  float seconds = 1.0f;  // one cycle
  float speed = 0.0f;    // along the object's first axis while it plays
  float turn = 0.0f;     // radians per second about the vertical axis (+ is left)
  int32_t frames = 30;
  int32_t loopStart = 0;
  int32_t loopEnd = -1;  // -1: the last frame
  int line = 0;
};

struct VariableSpec {
  std::string name;
  std::string object;  // empty: names nothing
  int line = 0;
};

struct ActorSpec {
  std::string name;
  std::vector<std::vector<std::string>> steps;  // command and arguments
  int line = 0;
  std::vector<int> stepLines;  // the line of each step (may be empty)
};

struct BrainSpec {
  std::string object;
  std::string brain;
  int line = 0;
};

// A vehicle brain bound by its export name to a vehicle host brain.
struct VehicleSpec {
  std::string object;
  std::string brain;    // the export name
  std::string vehicle;  // the vehicle object
  std::string driver;   // empty: none
  int line = 0;
};

// An actor that runs whenever a plug-in registers an event.
struct ReactionSpec {
  std::string event;
  std::string actor;
  int line = 0;
};

// Something that happens at the start of a frame, in file order.
struct TimelineEntry {
  int32_t frame = 0;
  std::string verb;                // see docs/scene-format.md
  std::vector<std::string> words;  // the words after the verb
  int line = 0;
  // The values that the reader took from the words, so that nothing reads
  // them twice: key's CODE and down (true) or up; move's, place's, glide's
  // and face's X Y Z; glide's SECONDS; draw's and enable's 1 (true) or 0.
  int32_t code = 0;
  bool on = false;
  mkPoint3 point{0, 0, 0};
  float seconds = 0.0f;
};

struct SceneDescription {
  std::string path;       // where the scene was read from ("" for text)
  std::string directory;  // its directory, for relative plug-in paths
  std::vector<std::string> plugins;
  std::vector<int> pluginLines;  // the line of each plug-in (may be empty)
  std::vector<ObjectSpec> objects;
  std::vector<VariableSpec> variables;
  std::vector<ActorSpec> actors;
  std::vector<std::string> detectors;
  std::vector<std::string> events;
  std::vector<std::string> timers;
  std::vector<BrainSpec> brains;
  std::vector<BrainSpec> brainClasses;  // brain: the class, or "Class:First"
  std::vector<VehicleSpec> vehicles;
  std::vector<ReactionSpec> reactions;
  std::vector<BehaviorSpec> behaviors;
  std::vector<std::string> sounds;
  std::vector<std::string> emitters;
  std::string player;
  std::string camera;
  int32_t frames = 1;
  float frameTime = 1.0f / 30.0f;
  int64_t clock = 1000000000;  // calendar seconds at frame 0
  bool pictureSide = false;    // the picture is seen from the side
  std::vector<TimelineEntry> timeline;
  // What the reader noticed that is not an error (an entry after the last
  // frame, an empty file), with its line (0 for the whole file); the stage
  // says them as notes that --strict counts.
  struct Warning {
    int line = 0;
    std::string text;
  };
  std::vector<Warning> warnings;
};

// The limits of a scene: larger values are errors.
constexpr int32_t kMaxFrames = 1000000;
// A text that gives this many errors is not read further (a file that is not
// a scene file would otherwise give one per line).
constexpr size_t kMaxSceneErrors = 10;

// The statements and timeline verbs that the reader knows, from its own
// tables, in the order that docs/scene-format.md describes them.
const std::vector<std::string>& StatementNames();
const std::vector<std::string>& TimelineVerbNames();

// Splits a line into words: blanks separate, double quotes group (inside
// them a backslash escapes a quote or a backslash), '#' at the start of a
// word begins a comment. False when a quote is not closed.
bool SplitWords(const std::string& line, std::vector<std::string>* words);

// Checks the words of `entry` against its verb and takes their values into
// it: false with `message` set when the verb is unknown or its words are wrong.
bool ReadTimelineWords(TimelineEntry* entry, std::string* message);

// Checks the words of the timeline verb `verb` (the words after it): false
// with `message` set when the verb is unknown or its words are wrong. Actor
// steps that begin with 'do' are checked the same way.
bool CheckTimelineWords(const std::string& verb, const std::vector<std::string>& words,
                        std::string* message);

// Parses scene text. On failure returns false and appends "LINE: message"
// errors; `scene` then holds what was read before the errors.
bool ParseScene(const std::string& text, SceneDescription* scene, std::vector<std::string>* errors);
// Reads and parses the file at `path`.
bool LoadScene(const std::string& path, SceneDescription* scene, std::vector<std::string>* errors);

}  // namespace stage

#endif  // TESSERA_STAGE_SCENE_FILE_H_
