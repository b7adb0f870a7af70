#include "stage/scene_file.h"

#include <cerrno>
#include <charconv>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>
#include <string_view>

#include "stage/scene_numbers.h"
#include "stage/timeline_verbs.h"
#include "stage/trace.h"

namespace stage {

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

}  // namespace

Number ReadInt(const std::string& text, int64_t* value) {
  const char* end = text.data() + text.size();
  auto [p, ec] = std::from_chars(text.data(), end, *value);
  if (p != end || text.empty()) return Number::kNotANumber;
  return ec == std::errc()                      ? Number::kOk
         : ec == std::errc::result_out_of_range ? Number::kOutOfRange
                                                : Number::kNotANumber;
}

Number ReadFloat(const std::string& text, float* value) {
  size_t i = 0;
  double sign = 1.0;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) sign = text[i++] == '-' ? -1.0 : 1.0;
  double mantissa = 0.0;
  bool digits = false;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
    mantissa = mantissa * 10.0 + (text[i++] - '0');
    digits = true;
  }
  if (i < text.size() && text[i] == '.') {
    ++i;
    double scale = 0.1;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
      mantissa += (text[i++] - '0') * scale;
      scale /= 10.0;
      digits = true;
    }
  }
  if (!digits) return Number::kNotANumber;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    int64_t exponent = 0;
    const Number read = ReadInt(text.substr(i + 1), &exponent);
    if (read == Number::kNotANumber) return read;
    // Beyond a few hundred, a positive exponent is out of range and a
    // negative one makes zero.
    const bool negative = text[i + 1] == '-';
    if (read == Number::kOutOfRange || exponent > 400 || exponent < -400) {
      if (mantissa != 0.0 && !negative) return Number::kOutOfRange;
      exponent = 0, mantissa = 0.0;
    }
    for (; exponent > 0; --exponent) mantissa *= 10.0;
    for (; exponent < 0; ++exponent) mantissa /= 10.0;
    i = text.size();
  }
  if (i != text.size()) return Number::kNotANumber;
  if (mantissa > double(std::numeric_limits<float>::max())) return Number::kOutOfRange;
  *value = float(sign * mantissa);
  return Number::kOk;
}

namespace {

class Parser {
 public:
  using Words = std::vector<std::string>;

  Parser(SceneDescription* scene, std::vector<std::string>* errors)
      : scene_(scene), errors_(errors) {}

  // The statements, in the order that docs/scene-format.md describes them.
  struct Statement {
    std::string_view name;
    void (Parser::*read)(const Words& w);
  };
  static const Statement kStatements[];

  void Line(int number, const Words& w);

 private:
  void Error(const std::string& message) {
    errors_->push_back(std::to_string(line_) + ": " + ShowText(message));
  }
  bool Count(const Words& w, size_t low, size_t high) {
    if (w.size() >= low && w.size() <= high) return true;
    Error("'" + w[0] + "' takes " +
          (low == high ? std::to_string(low - 1) : std::to_string(low - 1) + " or more") +
          " word(s)");
    return false;
  }
  bool Int(const std::string& text, int64_t low, int64_t high, int64_t* value) {
    const Number read = ReadInt(text, value);
    if (read == Number::kOk && *value >= low && *value <= high) return true;
    const std::string range =
        "a whole number from " + std::to_string(low) + " to " + std::to_string(high);
    Error(
        "'" + text +
        (read == Number::kNotANumber ? "' is not " + range : "' is out of range (" + range + ")"));
    return false;
  }
  bool Float(const std::string& text, float* value) {
    const Number read = ReadFloat(text, value);
    if (read == Number::kOk) return true;
    Error("'" + text + (read == Number::kOutOfRange ? "' is out of range" : "' is not a number"));
    return false;
  }
  bool Point(const Words& w, size_t at, mkPoint3* p) {
    if (at + 3 > w.size()) {
      Error("'" + w[at - 1] + "' needs three numbers");
      return false;
    }
    return Float(w[at], &p->fX) && Float(w[at + 1], &p->fY) && Float(w[at + 2], &p->fZ);
  }

  void Plugin(const Words& w) {
    if (!Count(w, 2, 2)) return;
    scene_->plugins.push_back(w[1]);
    scene_->pluginLines.push_back(line_);
  }
  void Frames(const Words& w) {
    int64_t n = 0;
    if (Count(w, 2, 2) && Int(w[1], 0, kMaxFrames, &n)) scene_->frames = int32_t(n);
  }
  void FrameTime(const Words& w) {
    float t = 0;
    if (Count(w, 2, 2) && Float(w[1], &t)) {
      if (t > 0.0f && t <= 10.0f)
        scene_->frameTime = t;
      else
        Error("frametime must be above 0 and at most 10 seconds");
    }
  }
  void Clock(const Words& w) {
    int64_t n = 0;
    if (Count(w, 2, 2) && Int(w[1], 0, int64_t(1) << 40, &n)) scene_->clock = n;
  }
  void Variable(const Words& w) {
    if (Count(w, 2, 3)) scene_->variables.push_back({w[1], w.size() > 2 ? w[2] : "", line_});
  }
  void ActorStep(const Words& w) {
    if (!Count(w, 2, kManyWords)) return;
    ActorSpec* actor = nullptr;
    for (auto& a : scene_->actors)
      if (a.name == w[1]) actor = &a;
    if (actor == nullptr) {
      scene_->actors.push_back({w[1], {}, line_, {}});
      actor = &scene_->actors.back();
    }
    if (w.size() > 2 && w[2] == "do") {
      // A host action: a timeline verb that the actor applies when it runs.
      std::string message;
      if (w.size() < 4) return void(Error("'do' needs a timeline verb"));
      if (!CheckTimelineWords(w[3], Words(w.begin() + 4, w.end()), &message))
        return void(Error(message));
    }
    if (w.size() > 2) {
      actor->steps.emplace_back(w.begin() + 2, w.end());
      actor->stepLines.push_back(line_);
    }
  }
  void Detector(const Words& w) {
    if (Count(w, 2, 2)) scene_->detectors.push_back(w[1]);
  }
  void Event(const Words& w) {
    if (Count(w, 2, 2)) scene_->events.push_back(w[1]);
  }
  void Brain(const Words& w) {
    if (Count(w, 3, 3)) scene_->brains.push_back({w[1], w[2], line_});
  }
  void BrainClass(const Words& w) {
    if (Count(w, 3, 3)) scene_->brainClasses.push_back({w[1], w[2], line_});
  }
  void Sound(const Words& w) {
    if (Count(w, 2, 2)) scene_->sounds.push_back(w[1]);
  }
  void Emitter(const Words& w) {
    if (Count(w, 2, 2)) scene_->emitters.push_back(w[1]);
  }
  void Timer(const Words& w) {
    if (Count(w, 2, 2)) scene_->timers.push_back(w[1]);
  }
  void Picture(const Words& w) {
    if (!Count(w, 2, 2)) return;
    if (w[1] != "side" && w[1] != "top") return void(Error("'picture' is 'top' or 'side'"));
    scene_->pictureSide = w[1] == "side";
  }
  void Vehicle(const Words& w) {
    if (Count(w, 4, 5))
      scene_->vehicles.push_back({w[1], w[2], w[3], w.size() > 4 ? w[4] : "", line_});
  }
  void On(const Words& w) {
    if (Count(w, 3, 3)) scene_->reactions.push_back({w[1], w[2], line_});
  }

  void Object(const Words& w) {
    if (w.size() < 2) return void(Error("'" + w[0] + "' needs a name"));
    ObjectSpec def;
    def.name = w[1];
    def.line = line_;
    def.character = w[0] == "player";
    def.camera = w[0] == "camera";
    def.flock = w[0] == "flock";
    def.fireMarble = def.light = w[0] == "firemarble";
    for (size_t i = 2; i < w.size(); ++i) {
      const std::string& word = w[i];
      if (word == "at") {
        if (!Point(w, i + 1, &def.position)) return;
        i += 3;
      } else if (word == "parent" && i + 1 < w.size()) {
        def.parent = w[++i];
      } else if (word == "radius" && i + 1 < w.size()) {
        if (!Float(w[++i], &def.radius)) return;
      } else if (word == "character") {
        def.character = true;
      } else if (word == "light") {
        def.light = true;
      } else if (word == "remote") {
        def.remote = true;
      } else if (word == "viewaxes") {
        def.viewAxes = true;
      } else if (def.flock && word == "speed" && i + 1 < w.size()) {
        if (!Float(w[++i], &def.flockSpeed)) return;
        if (!(def.flockSpeed >= 0.0f)) return void(Error("speed must be 0 or more"));
      } else if (def.flock && word == "goal" && i + 1 < w.size()) {
        def.flockGoal = w[++i];
      } else if (def.fireMarble && word == "lit") {
        def.lit = true;
      } else if (word == "remoteplayer") {
        def.remotePlayer = true;
        def.character = true;
      } else if (word == "camera") {
        def.camera = true;
      } else if (word == "lookat") {
        if (!Point(w, i + 1, &def.lookAt)) return;
        def.hasLookAt = true;
        i += 3;
      } else if (word == "fov" && i + 1 < w.size()) {
        if (!Float(w[++i], &def.fov)) return;
      } else if (word == "mode" && i + 1 < w.size()) {
        static const char* const kModes[] = {"fixed", "follow", "drive", "observer"};
        const std::string& mode = w[++i];
        def.mode = -1;
        for (int32_t m = 0; m < 4; ++m)
          if (mode == kModes[m]) def.mode = m;
        if (def.mode < 0) return void(Error("unknown camera mode '" + mode + "'"));
      } else {
        return void(Error("unknown object property '" + word + "'"));
      }
    }
    if (w[0] == "player") scene_->player = def.name;
    if (w[0] == "camera") scene_->camera = def.name;
    scene_->objects.push_back(def);
  }

  void Behavior(const Words& w) {
    if (w.size() < 3) return void(Error("'behavior' needs an object and a name"));
    BehaviorSpec def;
    def.object = w[1];
    def.name = w[2];
    def.line = line_;
    for (size_t i = 3; i < w.size(); ++i) {
      const std::string& word = w[i];
      if (i + 1 >= w.size()) return void(Error("'" + word + "' needs a value"));
      if (word == "seconds") {
        if (!Float(w[++i], &def.seconds)) return;
        if (!(def.seconds > 0.0f)) return void(Error("seconds must be above 0"));
      } else if (word == "speed") {
        if (!Float(w[++i], &def.speed)) return;
      } else if (word == "turn") {
        if (!Float(w[++i], &def.turn)) return;
      } else if (word == "frames") {
        int64_t n = 0;
        if (!Int(w[++i], 1, 100000, &n)) return;
        def.frames = int32_t(n);
      } else if (word == "loop") {
        int64_t start = 0, end = 0;
        if (i + 2 >= w.size()) return void(Error("'loop' needs a first and a last frame"));
        if (!Int(w[i + 1], 0, 100000, &start) || !Int(w[i + 2], 0, 100000, &end)) return;
        if (start > end) return void(Error("the loop's first frame is after its last"));
        def.loopStart = int32_t(start);
        def.loopEnd = int32_t(end);
        i += 2;
      } else {
        return void(Error("unknown behavior property '" + word + "'"));
      }
    }
    scene_->behaviors.push_back(def);
  }

  void At(const Words& w);

  SceneDescription* scene_;
  std::vector<std::string>* errors_;
  int line_ = 0;
};

const Parser::Statement Parser::kStatements[] = {
    {"plugin", &Parser::Plugin},
    {"frames", &Parser::Frames},
    {"frametime", &Parser::FrameTime},
    {"clock", &Parser::Clock},
    {"object", &Parser::Object},
    {"player", &Parser::Object},
    {"camera", &Parser::Object},
    {"flock", &Parser::Object},
    {"firemarble", &Parser::Object},
    {"variable", &Parser::Variable},
    {"actor", &Parser::ActorStep},
    {"detector", &Parser::Detector},
    {"event", &Parser::Event},
    {"timer", &Parser::Timer},
    {"brain", &Parser::Brain},
    {"brainclass", &Parser::BrainClass},
    {"behavior", &Parser::Behavior},
    {"sound", &Parser::Sound},
    {"emitter", &Parser::Emitter},
    {"at", &Parser::At},
    {"on", &Parser::On},
    {"vehicle", &Parser::Vehicle},
    {"picture", &Parser::Picture},
};

void Parser::Line(int number, const Words& w) {
  line_ = number;
  for (const Statement& statement : kStatements)
    if (w[0] == statement.name) return (this->*statement.read)(w);
  Error("unknown statement '" + w[0] + "'");
}

void Parser::At(const Words& w) {
  int64_t frame = 0;
  if (!Count(w, 3, kManyWords) || !Int(w[1], 0, kMaxFrames, &frame)) return;
  TimelineEntry entry;
  entry.frame = int32_t(frame);
  entry.verb = w[2];
  entry.words.assign(w.begin() + 3, w.end());
  entry.line = line_;
  std::string message;
  if (!ReadTimelineWords(&entry, &message)) return void(Error(message));
  scene_->timeline.push_back(std::move(entry));
}

}  // namespace

bool ReadTimelineWords(TimelineEntry* entry, std::string* message) {
  const TimelineVerb* verb = FindTimelineVerb(entry->verb);
  if (verb == nullptr) {
    *message = "unknown timeline verb '" + entry->verb + "'";
    return false;
  }
  const size_t n = entry->words.size();
  if (n < verb->low || n > verb->high || (verb->read != nullptr && !verb->read(entry))) {
    *message = "wrong words for 'at ... " + entry->verb + "'";
    return false;
  }
  return true;
}

bool CheckTimelineWords(const std::string& verb, const std::vector<std::string>& words,
                        std::string* message) {
  TimelineEntry entry;
  entry.verb = verb;
  entry.words = words;
  return ReadTimelineWords(&entry, message);
}

bool SplitWords(const std::string& line, std::vector<std::string>* words) {
  words->clear();
  const size_t size = line.size();
  size_t i = 0;
  while (i < size) {
    while (i < size && IsBlank(line[i])) ++i;
    if (i >= size || line[i] == '#') break;
    if (line[i] != '"') {
      const size_t start = i;
      while (i < size && !IsBlank(line[i])) ++i;
      words->emplace_back(line, start, i - start);
      continue;
    }
    // A quoted word is copied in runs between its escapes.
    std::string word;
    bool closed = false;
    size_t run = ++i;
    while (i < size) {
      const char c = line[i];
      if (c == '"') {
        word.append(line, run, i - run);
        ++i;
        closed = true;
        break;
      }
      if (c == '\\' && i + 1 < size && (line[i + 1] == '"' || line[i + 1] == '\\')) {
        word.append(line, run, i - run);
        word += line[i + 1];
        i += 2;
        run = i;
        continue;
      }
      ++i;
    }
    if (!closed) return false;
    words->push_back(std::move(word));
  }
  return true;
}

const std::vector<std::string>& StatementNames() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> list;
    for (const auto& statement : Parser::kStatements) list.emplace_back(statement.name);
    return list;
  }();
  return names;
}

const std::vector<std::string>& TimelineVerbNames() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> list;
    for (const TimelineVerb& verb : TimelineVerbs()) list.emplace_back(verb.name);
    return list;
  }();
  return names;
}

bool ParseScene(const std::string& text, SceneDescription* scene,
                std::vector<std::string>* errors) {
  const size_t before = errors->size();
  Parser parser(scene, errors);
  // A byte-order mark that some editors put at the start of UTF-8 text.
  static const char kByteOrderMark[] = "\xEF\xBB\xBF";
  size_t at = text.compare(0, 3, kByteOrderMark) == 0 ? 3 : 0;
  std::string line;
  std::vector<std::string> words;
  // Lines end at a line feed; a last line without one counts too.
  for (int number = 1; at < text.size(); ++number) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    line.assign(text, at, end - at);
    at = end + 1;
    if (errors->size() - before >= kMaxSceneErrors) {
      errors->push_back(std::to_string(number) + ": stopped after " +
                        std::to_string(kMaxSceneErrors) + " errors");
      break;
    }
    if (line.find('\0') != std::string::npos) {
      errors->push_back(std::to_string(number) +
                        ": the line holds a zero byte; this is not a text file");
      break;
    }
    if (!SplitWords(line, &words)) {
      errors->push_back(std::to_string(number) + ": a quoted word is not closed");
      continue;
    }
    if (!words.empty()) parser.Line(number, words);
  }
  if (errors->size() != before) return false;
  // Entries that the frames never reach, and a file that sets up nothing.
  for (const TimelineEntry& entry : scene->timeline)
    if (entry.frame >= scene->frames)
      scene->warnings.push_back(
          {entry.line,
           "'at " + std::to_string(entry.frame) + "' never happens: the scene has " +
               (scene->frames == 0 ? std::string("no frames")
                                   : std::to_string(scene->frames) + " frame(s), 0 to " +
                                         std::to_string(scene->frames - 1))});
  if (scene->plugins.empty() && scene->objects.empty() && scene->timeline.empty())
    scene->warnings.push_back(
        {0, "the scene has no plug-ins, objects or timeline: nothing happens"});
  return true;
}

bool LoadScene(const std::string& path, SceneDescription* scene, std::vector<std::string>* errors) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) {
    errors->push_back(ShowText(path) + " is a directory, not a scene file");
    return false;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    errors->push_back("cannot open " + ShowText(path) + ": " +
                      std::generic_category().message(errno));
    return false;
  }
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) {
    errors->push_back("cannot read " + ShowText(path));
    return false;
  }
  scene->path = path;
  const auto slash = path.find_last_of("/\\");
  scene->directory = slash == std::string::npos ? "." : path.substr(0, slash);
  const size_t before = errors->size();
  const bool ok = ParseScene(text.str(), scene, errors);
  for (size_t i = before; i < errors->size(); ++i)
    (*errors)[i] = ShowText(path) + ":" + (*errors)[i];
  return ok;
}

}  // namespace stage
