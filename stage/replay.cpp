#include "stage/replay.h"
#include "stage/markup.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace stage {

// --- The compact encoding ------------------------------------------------------

namespace {

constexpr int kMaxTokenChars = 8;  // 40 bits: more than any token needs

int DigitOf(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '-') return 62;
  if (c == '_') return 63;
  return -1;
}

}  // namespace

void DeltaWriter::Token(uint64_t token, std::string* out) const {
  do {
    const uint64_t digit = token & 31;
    token >>= 5;
    out->push_back(kDeltaAlphabet[digit | (token != 0 ? 32 : 0)]);
  } while (token != 0);
}

void DeltaWriter::Add(int32_t value) {
  ++count_;
  if (count_ > 1 && value == last_) {
    ++run_;
    return;
  }
  if (run_ > 0) Token(uint64_t(run_ - 1) * 2 + 1, &text_);
  run_ = 0;
  // The first number is its difference from 0, so that a sequence that
  // starts at 0 still starts with a value token.
  const int64_t delta = int64_t(value) - (count_ > 1 ? int64_t(last_) : 0);
  const uint64_t zigzag = delta >= 0 ? uint64_t(delta) * 2 : uint64_t(-delta) * 2 - 1;
  Token(zigzag * 2, &text_);
  last_ = value;
}

std::string DeltaWriter::Text() const {
  std::string text = text_;
  if (run_ > 0) Token(uint64_t(run_ - 1) * 2 + 1, &text);
  return text;
}

bool DecodeDeltas(std::string_view text, size_t maxCount, std::vector<int32_t>* values) {
  values->clear();
  int64_t value = 0;
  size_t i = 0;
  while (i < text.size()) {
    uint64_t token = 0;
    int chars = 0;
    for (bool more = true; more; ++chars) {
      if (i >= text.size() || chars >= kMaxTokenChars) {
        values->clear();
        return false;
      }
      const int digit = DigitOf(text[i++]);
      if (digit < 0) {
        values->clear();
        return false;
      }
      token |= uint64_t(digit & 31) << (5 * chars);
      more = (digit & 32) != 0;
    }
    if (token & 1) {
      const uint64_t run = (token >> 1) + 1;
      if (values->empty() || run > maxCount - values->size()) {
        values->clear();
        return false;
      }
      values->insert(values->end(), size_t(run), int32_t(value));
      continue;
    }
    const uint64_t zigzag = token >> 1;
    const int64_t delta = (zigzag & 1) ? -int64_t((zigzag + 1) / 2) : int64_t(zigzag / 2);
    value += delta;
    if (value < std::numeric_limits<int32_t>::min() ||
        value > std::numeric_limits<int32_t>::max() || values->size() >= maxCount) {
      values->clear();
      return false;
    }
    values->push_back(int32_t(value));
  }
  return true;
}

int32_t Quantise(double value, double unit) {
  if (!std::isfinite(value)) return kNotFinite;
  const double scaled = std::round(value / unit);
  if (scaled <= double(kNotFinite + 1)) return kNotFinite + 1;
  if (scaled >= double(std::numeric_limits<int32_t>::max()))
    return std::numeric_limits<int32_t>::max();
  return int32_t(scaled);
}

// --- The recorder -----------------------------------------------------------------

namespace {

// Whether a coordinate goes into the map's bounds: finite, and not so far
// out that the rest of the map would shrink to a point.
bool Drawn(double value) {
  return std::isfinite(value) && std::fabs(value) <= kMaxDrawnCoordinate;
}

bool Contains(const std::string& text, const char* part) {
  return text.find(part) != std::string::npos;
}

// How the page draws an object.
std::string KindOf(const Model& model, const SceneObject& object) {
  if (model.Object(model.GetPlayerHandle()) == &object) return "player";
  if (object.camera) return "camera";
  if (object.flock) return "flock";
  if (object.fireMarble) return "firemarble";
  if (object.light) return "light";
  if (object.character) return "character";
  // The creatures' tunables name the places they gather at and keep away
  // from; scenes name those objects so.
  if (Contains(object.name, "Gather") || Contains(object.name, "Attractor")) return "gather";
  if (Contains(object.name, "Block")) return "blocker";
  return "object";
}

}  // namespace

void RunReplay::Record(const Model& model) {
  ++played_;
  if (frames_ >= kMaxFrames) return;
  const int32_t frame = frames_++;
  frameTime_ = model.delta();
  int32_t camera = -1;
  for (size_t i = 0; i < model.objects().size(); ++i) {
    const SceneObject* object = model.objects()[i].get();
    if (i == tracks_.size()) {
      Track track;
      track.object = object;
      track.kind = KindOf(model, *object);
      track.first = frame;
      tracks_.push_back(std::move(track));
    }
    Track& track = tracks_[i];
    const mkMatrix44 world = model.WorldMatrix(object);
    const mkVector3 axis = FirstAxis(*object, world);
    const double x = world.m[0][3], y = side ? world.m[2][3] : world.m[1][3];
    const double ax = axis.fX, ay = side ? axis.fZ : axis.fY;
    track.x.Add(Quantise(x, kPositionUnit));
    track.y.Add(Quantise(y, kPositionUnit));
    track.z.Add(Quantise(side ? world.m[1][3] : world.m[2][3], kPositionUnit));
    if (object == model.camera()) camera = int32_t(i);
    track.heading.Add(ax == 0.0 && ay == 0.0 ? 0 : Quantise(std::atan2(ay, ax), kAngleUnit));
    track.present.Add(model.Object(object) != nullptr ? 1 : 0);
    if (Drawn(x) && Drawn(y)) {
      minX_ = std::min(minX_, x - object->radius), maxX_ = std::max(maxX_, x + object->radius);
      minY_ = std::min(minY_, y - object->radius), maxY_ = std::max(maxY_, y + object->radius);
    }
    if (object->camera) {
      const mkPoint3 look = model.LookAt(*object);
      const double lx = look.fX, ly = side ? look.fZ : look.fY;
      track.lookX.Add(Quantise(lx, kPositionUnit));
      track.lookY.Add(Quantise(ly, kPositionUnit));
      track.lookZ.Add(Quantise(side ? look.fY : look.fZ, kPositionUnit));
      track.fov.Add(Quantise(object->view.fov, kAngleUnit));
      if (Drawn(lx) && Drawn(ly)) {
        minX_ = std::min(minX_, lx), maxX_ = std::max(maxX_, lx);
        minY_ = std::min(minY_, ly), maxY_ = std::max(maxY_, ly);
      }
    }
    if (object->fireMarble) track.lit.Add(object->lit != 0 ? 1 : 0);
    // The current behaviour: its number from 1 while it plays, negated when
    // it has stopped, 0 for none.
    int32_t behavior = 0;
    for (size_t b = 0; b < object->behaviors.size(); ++b)
      if (object->behaviors[b] == object->current)
        behavior = int32_t(b + 1) * (object->current->playing ? 1 : -1);
    track.behavior.Add(behavior);
  }
  camera_.Add(camera);
  // Flags and variables of scene objects that commands keep.
  model.ForEachObjectRecord(
      [&](const Model::ContextKey& key, const SceneObject& object, uintptr_t kind, int32_t value) {
        auto [last, added] = lastState_.try_emplace(key, value);
        if (!added && last->second == value) return;
        last->second = value;
        if (states_.size() >= kMaxStateChanges) {
          statesFull_ = true;
          return;
        }
        int32_t index = -1;
        for (size_t t = 0; t < tracks_.size(); ++t)
          if (tracks_[t].object == &object) index = int32_t(t);
        if (index >= 0) states_.push_back({frame, index, int32_t(kind), value});
      });
}

bool RunReplay::Admit(Kept* kept, int32_t frame, size_t cost, size_t perFrame, size_t budget) {
  if (frame != kept->frame) {
    kept->frame = frame;
    kept->inFrame = 0;
  }
  if (kept->spentFrom < 0 && kept->bytes + cost > budget) kept->spentFrom = frame;
  if (kept->inFrame >= perFrame || kept->spentFrom >= 0) {
    // Frames after the one that spent the budget are not counted: their
    // count would grow with the run.
    if (kept->spentFrom >= 0 && frame > kept->spentFrom) return false;
    if (kept->dropped.empty() || kept->dropped.back().first != frame)
      kept->dropped.emplace_back(frame, 0);
    ++kept->dropped.back().second;
    return false;
  }
  ++kept->inFrame;
  kept->bytes += cost;
  return true;
}

void RunReplay::Keep(Kept* kept, int32_t frame, std::string_view text, size_t perFrame,
                     size_t budget) {
  const bool cut = text.size() > kMaxLineBytes;
  if (cut) text = text.substr(0, kMaxLineBytes);
  if (Admit(kept, frame, text.size(), perFrame, budget))
    kept->lines.push_back({frame, std::string(text) + (cut ? " ..." : "")});
}

void RunReplay::AddMessage(const Message& message) {
  Keep(&messages_, message.frame, FormatMessage(message), kMaxMessagesPerFrame, kMaxMessageBytes);
}

void RunReplay::AddTraceLine(const std::string& line) {
  // "@FRAME text": the frame is read back from the line's mark.
  int32_t frame = 0;
  size_t i = 1;
  while (i < line.size() && line[i] >= '0' && line[i] <= '9' && frame < 100000000)
    frame = frame * 10 + (line[i++] - '0');
  if (i < line.size() && line[i] == ' ') ++i;
  std::string text = line.substr(i);
  if (text.size() > kMaxLineBytes) text = text.substr(0, kMaxLineBytes) + " ...";
  TraceTexts& t = traceTexts_;
  const auto known = t.number.find(text);
  // A new text shares its start with the last text that began alike; the
  // shared part ends before a byte outside ASCII, so that each part is shown
  // as the whole text would be.
  int32_t back = 0;
  size_t shared = 0;
  if (known == t.number.end()) {
    const auto like = t.lastByStart.find(text.substr(0, kStart));
    if (like != t.lastByStart.end()) {
      const std::string& earlier = t.texts[size_t(like->second)];
      while (shared < text.size() && shared < earlier.size() && text[shared] == earlier[shared] &&
             static_cast<unsigned char>(text[shared]) < 0x80)
        ++shared;
      back = int32_t(t.texts.size()) - like->second;
    }
  }
  const size_t cost =
      kTraceLineCost + (known == t.number.end() ? kTraceTextCost + text.size() - shared : 0);
  if (!Admit(&trace_, frame, cost, kMaxTraceLinesPerFrame, kMaxTraceBytes)) return;
  int32_t number = 0;
  if (known != t.number.end()) {
    number = known->second;
  } else {
    number = int32_t(t.texts.size());
    t.back.Add(shared > 0 ? back : 0);
    t.shared.Add(int32_t(shared));
    t.parts.push_back(text.substr(shared));
    t.lastByStart[text.substr(0, kStart)] = number;
    t.number.emplace(text, number);
    t.texts.push_back(std::move(text));
  }
  t.line.Add(number);
  t.frame.Add(frame);
  ++t.lines;
}

// --- The page -----------------------------------------------------------------------

namespace {

#include "stage/replay_page.inc"

// A JSON string of `text` as a terminal shows it; "<" is escaped so that no
// text can end the page's script element.
std::string Json(const std::string& text) {
  std::string out = "\"";
  for (char c : ShowText(text)) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (c == '<') {
      out += "\\u003c";
    } else {
      out += c;
    }
  }
  return out + "\"";
}

std::string Number(double value) {
  return ShortNumber(value);
}

}  // namespace

std::string RunReplay::Html(const std::string& title) const {
  std::string data = "{\"title\":" + Json(title) + ",\"side\":" + (side ? "true" : "false") +
                     ",\"frames\":" + std::to_string(frames_) +
                     ",\"played\":" + std::to_string(played_) +
                     ",\"frameTime\":" + Number(frameTime_) + ",\"unit\":" + Number(kPositionUnit) +
                     ",\"angleUnit\":" + Number(kAngleUnit);
  const bool any = minX_ <= maxX_;
  data += ",\"bounds\":[" + Number(any ? minX_ : 0) + "," + Number(any ? minY_ : 0) + "," +
          Number(any ? maxX_ : 1) + "," + Number(any ? maxY_ : 1) + "]";
  data += ",\"limits\":{\"tracePerFrame\":" + std::to_string(kMaxTraceLinesPerFrame) +
          ",\"traceBytes\":" + std::to_string(kMaxTraceBytes) +
          ",\"messagesPerFrame\":" + std::to_string(kMaxMessagesPerFrame) +
          ",\"messageBytes\":" + std::to_string(kMaxMessageBytes) +
          ",\"lineBytes\":" + std::to_string(kMaxLineBytes) +
          ",\"stateChanges\":" + std::to_string(kMaxStateChanges) +
          ",\"frames\":" + std::to_string(kMaxFrames) + "}";
  data += ",\"objects\":[";
  for (size_t i = 0; i < tracks_.size(); ++i) {
    const Track& t = tracks_[i];
    const SceneObject& o = *t.object;
    data += i ? ",\n" : "\n";
    data += "{\"name\":" + Json(o.name) + ",\"kind\":\"" + t.kind +
            "\",\"radius\":" + Number(o.radius) + ",\"first\":" + std::to_string(t.first);
    if (o.brain != nullptr) data += ",\"brain\":" + Json(o.brain->pluginName);
    data += ",\"behaviors\":[";
    for (size_t b = 0; b < o.behaviors.size(); ++b)
      data += (b ? "," : "") + Json(o.behaviors[b]->name);
    data += "],\"x\":\"" + t.x.Text() + "\",\"y\":\"" + t.y.Text() + "\",\"z\":\"" + t.z.Text() +
            "\",\"h\":\"" + t.heading.Text() + "\",\"present\":\"" + t.present.Text() +
            "\",\"beh\":\"" + t.behavior.Text() + "\"";
    if (t.lookX.count() > 0)
      data += ",\"lx\":\"" + t.lookX.Text() + "\",\"ly\":\"" + t.lookY.Text() + "\",\"lz\":\"" +
              t.lookZ.Text() + "\",\"fov\":\"" + t.fov.Text() + "\"";
    if (t.lit.count() > 0) data += ",\"lit\":\"" + t.lit.Text() + "\"";
    data += "}";
  }
  data += "],\n\"camera\":\"" + camera_.Text() + "\",\"states\":[";
  for (size_t i = 0; i < states_.size(); ++i) {
    const StateChange& s = states_[i];
    data += (i ? "," : "") + std::string("[") + std::to_string(s.frame) + "," +
            std::to_string(s.object) + "," + std::to_string(s.kind) + "," +
            std::to_string(s.value) + "]";
  }
  data += "],\"statesFull\":" + std::string(statesFull_ ? "true" : "false");
  // The trace: its distinct texts, then each kept line's text and frame.
  const TraceTexts& t = traceTexts_;
  data += ",\n\"traceParts\":[";
  for (size_t i = 0; i < t.parts.size(); ++i) data += (i ? ",\n" : "") + Json(t.parts[i]);
  data += "],\"traceBack\":\"" + t.back.Text() + "\",\"traceShared\":\"" + t.shared.Text() +
          "\",\"traceLine\":\"" + t.line.Text() + "\",\"traceFrame\":\"" + t.frame.Text() +
          "\",\"traceLines\":" + std::to_string(t.lines);
  for (auto [name, kept] : {std::pair{"messages", &messages_}, std::pair{"trace", &trace_}}) {
    if (kept == &messages_) {
      data += ",\n\"" + std::string(name) + "\":[";
      for (size_t i = 0; i < kept->lines.size(); ++i)
        data += (i ? ",\n[" : "[") + std::to_string(kept->lines[i].frame) + "," +
                Json(kept->lines[i].text) + "]";
      data += "]";
    }
    data += ",\"" + std::string(name) + "Dropped\":[";
    for (size_t i = 0; i < kept->dropped.size(); ++i)
      data += (i ? ",[" : "[") + std::to_string(kept->dropped[i].first) + "," +
              std::to_string(kept->dropped[i].second) + "]";
    data += "],\"" + std::string(name) + "SpentFrom\":" + std::to_string(kept->spentFrom);
  }
  data += "}";
  std::string page = kPageHead;
  page += "<title>" + MarkupText(title, MarkupEscapes::kElementText) + " - replay</title>\n";
  page += kPageStyleAndBody;
  page += "<script type=\"application/json\" id=\"run\">" + data + "</script>\n";
  page += "<script>\n";
  page += kPageScript;
  page += "</script>\n</body>\n</html>\n";
  return page;
}

}  // namespace stage
