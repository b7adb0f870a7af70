#include "stage/scene_file.h"

#include <charconv>
#include <fstream>
#include <sstream>

namespace stage {

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

bool ParseInt(const std::string& text, int64_t* value) {
  const char* end = text.data() + text.size();
  auto [p, ec] = std::from_chars(text.data(), end, *value);
  return ec == std::errc() && p == end;
}

// Locale-independent decimal float: optional sign, digits, optional fraction,
// optional exponent.
bool ParseFloat(const std::string& text, float* value) {
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
  if (!digits) return false;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    int64_t exponent = 0;
    if (!ParseInt(text.substr(i + 1), &exponent) || exponent < -38 || exponent > 38) return false;
    for (; exponent > 0; --exponent) mantissa *= 10.0;
    for (; exponent < 0; ++exponent) mantissa /= 10.0;
    i = text.size();
  }
  if (i != text.size()) return false;
  *value = float(sign * mantissa);
  return true;
}

class Parser {
 public:
  Parser(SceneDescription* scene, std::vector<std::string>* errors)
      : scene_(scene), errors_(errors) {}

  void Line(int number, const std::vector<std::string>& w) {
    line_ = number;
    const std::string& k = w[0];
    if (k == "plugin") {
      if (Count(w, 2, 2)) scene_->plugins.push_back(w[1]);
    } else if (k == "frames") {
      int64_t n = 0;
      if (Count(w, 2, 2) && Int(w[1], 0, kMaxFrames, &n)) scene_->frames = int32_t(n);
    } else if (k == "frametime") {
      float t = 0;
      if (Count(w, 2, 2) && Float(w[1], &t)) {
        if (t > 0.0f && t <= 10.0f)
          scene_->frameTime = t;
        else
          Error("frametime must be above 0 and at most 10 seconds");
      }
    } else if (k == "clock") {
      int64_t n = 0;
      if (Count(w, 2, 2) && Int(w[1], 0, int64_t(1) << 40, &n)) scene_->clock = n;
    } else if (k == "object" || k == "player" || k == "camera") {
      Object(w);
    } else if (k == "variable") {
      if (Count(w, 2, 3)) scene_->variables.push_back({w[1], w.size() > 2 ? w[2] : "", line_});
    } else if (k == "actor") {
      if (!Count(w, 2, 1 << 20)) return;
      ActorSpec* actor = nullptr;
      for (auto& a : scene_->actors)
        if (a.name == w[1]) actor = &a;
      if (actor == nullptr) {
        scene_->actors.push_back({w[1], {}, line_});
        actor = &scene_->actors.back();
      }
      if (w.size() > 2) actor->steps.emplace_back(w.begin() + 2, w.end());
    } else if (k == "detector") {
      if (Count(w, 2, 2)) scene_->detectors.push_back(w[1]);
    } else if (k == "event") {
      if (Count(w, 2, 2)) scene_->events.push_back(w[1]);
    } else if (k == "timer") {
      if (Count(w, 2, 2)) scene_->timers.push_back(w[1]);
    } else if (k == "brain") {
      if (Count(w, 3, 3)) scene_->brains.push_back({w[1], w[2], line_});
    } else if (k == "brainclass") {
      if (Count(w, 3, 3)) scene_->brainClasses.push_back({w[1], w[2], line_});
    } else if (k == "picture") {
      if (Count(w, 2, 2)) {
        if (w[1] == "side" || w[1] == "top") scene_->pictureSide = w[1] == "side";
        else Error("'picture' is 'top' or 'side'");
      }
    } else if (k == "vehicle") {
      if (Count(w, 4, 5))
        scene_->vehicles.push_back({w[1], w[2], w[3], w.size() > 4 ? w[4] : "", line_});
    } else if (k == "on") {
      if (Count(w, 3, 3)) scene_->reactions.push_back({w[1], w[2], line_});
    } else if (k == "behavior") {
      Behavior(w);
    } else if (k == "sound") {
      if (Count(w, 2, 2)) scene_->sounds.push_back(w[1]);
    } else if (k == "emitter") {
      if (Count(w, 2, 2)) scene_->emitters.push_back(w[1]);
    } else if (k == "at") {
      At(w);
    } else {
      Error("unknown statement '" + k + "'");
    }
  }

 private:
  void Error(const std::string& message) {
    errors_->push_back(std::to_string(line_) + ": " + message);
  }
  bool Count(const std::vector<std::string>& w, size_t low, size_t high) {
    if (w.size() >= low && w.size() <= high) return true;
    Error("'" + w[0] + "' takes " +
          (low == high ? std::to_string(low - 1) : std::to_string(low - 1) + " or more") +
          " word(s)");
    return false;
  }
  bool Int(const std::string& text, int64_t low, int64_t high, int64_t* value) {
    if (ParseInt(text, value) && *value >= low && *value <= high) return true;
    Error("'" + text + "' is not a whole number from " + std::to_string(low) + " to " +
          std::to_string(high));
    return false;
  }
  bool Float(const std::string& text, float* value) {
    if (ParseFloat(text, value)) return true;
    Error("'" + text + "' is not a number");
    return false;
  }
  bool Point(const std::vector<std::string>& w, size_t at, mkPoint3* p) {
    if (at + 3 > w.size()) {
      Error("'" + w[at - 1] + "' needs three numbers");
      return false;
    }
    return Float(w[at], &p->fX) && Float(w[at + 1], &p->fY) && Float(w[at + 2], &p->fZ);
  }

  void Object(const std::vector<std::string>& w) {
    if (w.size() < 2) return void(Error("'" + w[0] + "' needs a name"));
    ObjectSpec def;
    def.name = w[1];
    def.line = line_;
    def.character = w[0] == "player";
    def.camera = w[0] == "camera";
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

  void Behavior(const std::vector<std::string>& w) {
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

  void At(const std::vector<std::string>& w) {
    int64_t frame = 0;
    if (!Count(w, 3, 1 << 20) || !Int(w[1], 0, kMaxFrames, &frame)) return;
    TimelineEntry entry;
    entry.frame = int32_t(frame);
    entry.verb = w[2];
    entry.words.assign(w.begin() + 3, w.end());
    entry.line = line_;
    const size_t n = entry.words.size();
    bool ok = true;
    if (entry.verb == "run" || entry.verb == "actor") {
      ok = n >= 1;
    } else if (entry.verb == "key") {
      int64_t code = 0;
      ok = n == 2 && (entry.words[1] == "down" || entry.words[1] == "up") &&
           ParseInt(entry.words[0], &code);
    } else if (entry.verb == "move") {
      float f = 0;
      ok = n == 3 && ParseFloat(entry.words[0], &f) && ParseFloat(entry.words[1], &f) &&
           ParseFloat(entry.words[2], &f);
    } else if (entry.verb == "place") {
      float f = 0;
      ok = n == 4 && ParseFloat(entry.words[1], &f) && ParseFloat(entry.words[2], &f) &&
           ParseFloat(entry.words[3], &f);
    } else if (entry.verb == "event" || entry.verb == "noevent") {
      ok = n == 1;
    } else if (entry.verb == "play") {
      ok = n == 2;
    } else if (entry.verb == "glide") {
      float f = 0;
      ok = n == 5 && ParseFloat(entry.words[1], &f) && ParseFloat(entry.words[2], &f) &&
           ParseFloat(entry.words[3], &f) && ParseFloat(entry.words[4], &f) && f > 0.0f;
    } else if (entry.verb == "face") {
      float f = 0;
      ok = n == 4 && ParseFloat(entry.words[1], &f) && ParseFloat(entry.words[2], &f) &&
           ParseFloat(entry.words[3], &f);
    } else if (entry.verb == "params" || entry.verb == "classparams") {
      ok = n >= 1;
    } else if (entry.verb == "draw" || entry.verb == "enable" || entry.verb == "oneshot") {
      ok = n == 2 && (entry.words[1] == "0" || entry.words[1] == "1");
    } else if (entry.verb == "flags") {
      int64_t flags = 0;
      ok = n == 2 && ParseInt(entry.words[1], &flags) && flags >= INT32_MIN && flags <= INT32_MAX;
    } else if (entry.verb == "cammode") {
      int64_t mode = 0;
      ok = n == 1 && ParseInt(entry.words[0], &mode) && mode >= 0 && mode <= 3;
    } else if (entry.verb == "camera" || entry.verb == "report") {
      ok = n == 1;
    } else {
      return void(Error("unknown timeline verb '" + entry.verb + "'"));
    }
    if (!ok) return void(Error("wrong words for 'at ... " + entry.verb + "'"));
    scene_->timeline.push_back(entry);
  }

  SceneDescription* scene_;
  std::vector<std::string>* errors_;
  int line_ = 0;
};

}  // namespace

bool SplitWords(const std::string& line, std::vector<std::string>* words) {
  words->clear();
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && IsBlank(line[i])) ++i;
    if (i >= line.size() || line[i] == '#') break;
    std::string word;
    if (line[i] == '"') {
      ++i;
      bool closed = false;
      while (i < line.size()) {
        char c = line[i++];
        if (c == '"') {
          closed = true;
          break;
        }
        if (c == '\\' && i < line.size() && (line[i] == '"' || line[i] == '\\')) c = line[i++];
        word += c;
      }
      if (!closed) return false;
    } else {
      while (i < line.size() && !IsBlank(line[i])) word += line[i++];
    }
    words->push_back(word);
  }
  return true;
}

bool ParseScene(const std::string& text, SceneDescription* scene,
                std::vector<std::string>* errors) {
  const size_t before = errors->size();
  Parser parser(scene, errors);
  std::istringstream in(text);
  std::string line;
  std::vector<std::string> words;
  for (int number = 1; std::getline(in, line); ++number) {
    if (!SplitWords(line, &words)) {
      errors->push_back(std::to_string(number) + ": a quoted word is not closed");
      continue;
    }
    if (!words.empty()) parser.Line(number, words);
  }
  return errors->size() == before;
}

bool LoadScene(const std::string& path, SceneDescription* scene, std::vector<std::string>* errors) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    errors->push_back("cannot open " + path);
    return false;
  }
  std::ostringstream text;
  text << in.rdbuf();
  scene->path = path;
  const auto slash = path.find_last_of("/\\");
  scene->directory = slash == std::string::npos ? "." : path.substr(0, slash);
  const size_t before = errors->size();
  const bool ok = ParseScene(text.str(), scene, errors);
  for (size_t i = before; i < errors->size(); ++i) (*errors)[i] = path + ":" + (*errors)[i];
  return ok;
}

}  // namespace stage
