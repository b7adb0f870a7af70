// The replay page's compact encoding (write, read back, limits, malformed
// text), its quantising, the caps on kept lines, and what a recorded run puts
// into the page.
#include "stage/replay.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "stage/stage.h"

namespace {

using stage::DecodeDeltas;
using stage::DeltaWriter;
using stage::Quantise;
using stage::RunReplay;

constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
constexpr int32_t kMax = std::numeric_limits<int32_t>::max();

std::string Encode(const std::vector<int32_t>& values) {
  DeltaWriter writer;
  for (int32_t v : values) writer.Add(v);
  EXPECT_EQ(writer.count(), int64_t(values.size()));
  return writer.Text();
}

struct RoundTrip {
  const char* name;
  std::vector<int32_t> values;
  const char* text;  // the exact encoding, or null where only the round trip matters
};

class DeltaRoundTripTest : public testing::TestWithParam<RoundTrip> {};

TEST_P(DeltaRoundTripTest, DecodesWhatWasEncoded) {
  const RoundTrip& c = GetParam();
  const std::string text = Encode(c.values);
  if (c.text != nullptr) {
    EXPECT_EQ(text, c.text);
  }
  std::vector<int32_t> back = {99};
  ASSERT_TRUE(DecodeDeltas(text, c.values.size(), &back)) << text;
  EXPECT_EQ(back, c.values);
  // One number fewer allowed than the text holds: refused.
  if (!c.values.empty()) {
    EXPECT_FALSE(DecodeDeltas(text, c.values.size() - 1, &back));
    EXPECT_TRUE(back.empty());
  }
}

std::vector<int32_t> Ramp() {
  std::vector<int32_t> v;
  for (int32_t i = 0; i < 1000; ++i) v.push_back(i * 37 - (i % 7) * 1000);
  return v;
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, DeltaRoundTripTest,
    testing::Values(RoundTrip{"Empty", {}, ""},
                    // 0 is token 0 ("A"); 1 zigzags to 2, token 4 ("E"); -1 to 1, token 2.
                    RoundTrip{"One", {0}, "A"}, RoundTrip{"Small", {1, 0, -1}, "ECC"},
                    // Four equal numbers after the first: one run token 2*3+1 = 7 ("H").
                    RoundTrip{"Run", {5, 5, 5, 5, 5}, "UH"},
                    // A token of 20 = 0b10100 needs one character; 64 = 0b1000000 two.
                    RoundTrip{"TwoCharacters", {16}, "gC"},
                    RoundTrip{"Zeros", std::vector<int32_t>(100, 0), "AlG"},
                    RoundTrip{"Extremes", {kMax, kMin, kMax, 0, kMin, kMin}, nullptr},
                    RoundTrip{"Ramp", Ramp(), nullptr}),
    [](const testing::TestParamInfo<RoundTrip>& row) { return std::string(row.param.name); });

TEST(DeltaDecodeTest, MalformedTextIsRefused) {
  std::vector<int32_t> values;
  for (const char* text : {
           "A=",         // not in the alphabet
           "A A",        // a space
           "g",          // a token cut short (the continuation bit with nothing after)
           "ggggggggA",  // nine characters: longer than any token
           "B",          // a run before any number
       }) {
    values = {1};
    EXPECT_FALSE(DecodeDeltas(text, 100, &values)) << text;
    EXPECT_TRUE(values.empty()) << text;
  }
  // Differences that leave the 32-bit range: kMax, then +1.
  const std::string atMax = Encode({kMax});
  EXPECT_FALSE(DecodeDeltas(atMax + "E", 10, &values));
  EXPECT_TRUE(DecodeDeltas(atMax + "C", 10, &values));
  EXPECT_EQ(values, (std::vector<int32_t>{kMax, kMax - 1}));
  // A huge run is refused by the count, not expanded.
  EXPECT_FALSE(DecodeDeltas("A_______B", 1000000, &values));
}

TEST(QuantiseTest, RoundsAndClamps) {
  EXPECT_EQ(Quantise(1.234, 0.01), 123);
  EXPECT_EQ(Quantise(-1.235001, 0.01), -124);
  EXPECT_EQ(Quantise(0.004, 0.01), 0);
  EXPECT_EQ(Quantise(3.14159, 0.001), 3142);
  EXPECT_EQ(Quantise(1e12, 0.01), kMax);
  EXPECT_EQ(Quantise(-1e12, 0.01), kMin + 1);
  // Values that are not finite have a number of their own, which the page
  // shows as such and leaves out of the drawing.
  EXPECT_EQ(Quantise(std::numeric_limits<double>::infinity(), 0.01), stage::kNotFinite);
  EXPECT_EQ(Quantise(-std::numeric_limits<double>::infinity(), 0.01), stage::kNotFinite);
  EXPECT_EQ(Quantise(std::numeric_limits<double>::quiet_NaN(), 0.01), stage::kNotFinite);
  EXPECT_EQ(stage::kNotFinite, kMin);
}

// The text of a page's quantity `key` of the object `name`, decoded.
std::vector<int32_t> Quantity(const std::string& page, const std::string& name,
                              const std::string& key) {
  const size_t object = page.find("{\"name\":\"" + name + "\"");
  if (object == std::string::npos) return {};
  const size_t at = page.find("\"" + key + "\":\"", object);
  const size_t from = at + key.size() + 4;
  const size_t to = page.find('"', from);
  std::vector<int32_t> values;
  EXPECT_TRUE(DecodeDeltas(page.substr(from, to - from), 100000, &values));
  return values;
}

// The page's trace lines, [frame, text], decoded as the page decodes them:
// the distinct texts from their parts, then each line's text and frame.
std::vector<std::pair<int32_t, std::string>> TraceLines(const std::string& page) {
  std::vector<std::string> parts;
  size_t at = page.find("\"traceParts\":[");
  if (at == std::string::npos) return {};
  at += 14;
  while (at < page.size() && page[at] == '"') {
    std::string part;
    for (++at; at < page.size() && page[at] != '"'; ++at) {
      if (page[at] != '\\') {
        part += page[at];
      } else if (page.compare(at, 6, "\\u003c") == 0) {
        part += '<';
        at += 5;
      } else {
        part += page[++at];
      }
    }
    parts.push_back(part);
    at += 1;
    while (at < page.size() && (page[at] == ',' || page[at] == '\n')) ++at;
  }
  const auto text = [&](const std::string& key) {
    const size_t from = page.find("\"" + key + "\":\"") + key.size() + 4;
    return page.substr(from, page.find('"', from) - from);
  };
  const size_t count = std::stoul(page.substr(page.find("\"traceLines\":") + 13));
  std::vector<int32_t> back, shared, line, frame;
  EXPECT_TRUE(DecodeDeltas(text("traceBack"), parts.size(), &back));
  EXPECT_TRUE(DecodeDeltas(text("traceShared"), parts.size(), &shared));
  EXPECT_TRUE(DecodeDeltas(text("traceLine"), count, &line));
  EXPECT_TRUE(DecodeDeltas(text("traceFrame"), count, &frame));
  back.resize(parts.size()), shared.resize(parts.size());
  line.resize(count), frame.resize(count);
  std::vector<std::string> texts;
  for (size_t i = 0; i < parts.size(); ++i)
    texts.push_back((back[i] > 0 ? texts[i - size_t(back[i])].substr(0, size_t(shared[i])) : "") +
                    parts[i]);
  std::vector<std::pair<int32_t, std::string>> lines;
  for (size_t i = 0; i < count; ++i) lines.emplace_back(frame[i], texts.at(size_t(line[i])));
  return lines;
}

bool HasTraceLine(const std::string& page, int32_t frame, const std::string& text) {
  for (const auto& [f, t] : TraceLines(page))
    if (f == frame && t == text) return true;
  return false;
}

std::unique_ptr<stage::Stage> PlayRecorded(const std::string& text, RunReplay* replay) {
  stage::SceneDescription scene;
  std::vector<std::string> errors;
  EXPECT_TRUE(stage::ParseScene(text, &scene, &errors)) << (errors.empty() ? "" : errors[0]);
  auto played = std::make_unique<stage::Stage>();
  played->enterSceneDirectory = false;
  stage::Model& model = played->model();
  model.onMessage = [replay](const stage::Message& m) { replay->AddMessage(m); };
  model.trace().keep = false;
  model.trace().onLine = [replay](const std::string& line) { replay->AddTraceLine(line); };
  played->onFrameEnd = [replay, &model](int32_t) { replay->Record(model); };
  EXPECT_TRUE(played->Play(scene, &errors)) << (errors.empty() ? "" : errors[0]);
  return played;
}

TEST(RunReplayTest, RecordsPositionsHeadingsLightsAndLinesFrameByFrame) {
  RunReplay replay;
  auto played = PlayRecorded("plugin " KILNXCMD_PLUGIN_PATH
                             "\nframes 4\nframetime 0.5\n"
                             "player Walker at 1 2 0\n"
                             "camera Eye at 0 -10 2 lookat 0 0 1\n"
                             "firemarble Lamp at 5 5 0\n"
                             "object Cove..GatherPlace01 at 3 3 0\n"
                             "object Cove..WallBlocker at 4 4 0\n"
                             "at 1 glide Walker 1 3 0 1\n"
                             "at 1 face Walker 0 1 0\n"
                             "at 2 light Lamp\n"
                             "at 2 run SetObjVar Walker = 7\n"
                             "at 3 report Walker\n",
                             &replay);
  const std::string page = replay.Html("walk<&>.scene");
  // Frame 1 glides 0.5 units of the whole unit in its second: y in hundredths.
  EXPECT_EQ(Quantity(page, "Walker", "x"), (std::vector<int32_t>{100, 100, 100, 100}));
  EXPECT_EQ(Quantity(page, "Walker", "y"), (std::vector<int32_t>{200, 250, 300, 300}));
  // Facing x at first (0 radians), then y (a quarter turn).
  EXPECT_EQ(Quantity(page, "Walker", "h"), (std::vector<int32_t>{0, 1571, 1571, 1571}));
  EXPECT_EQ(Quantity(page, "Lamp", "lit"), (std::vector<int32_t>{0, 0, 1, 1}));
  EXPECT_EQ(Quantity(page, "Eye", "ly"), (std::vector<int32_t>{0, 0, 0, 0}));
  EXPECT_NE(page.find("{\"name\":\"Walker\",\"kind\":\"player\""), std::string::npos);
  EXPECT_NE(page.find("{\"name\":\"Eye\",\"kind\":\"camera\""), std::string::npos);
  EXPECT_NE(page.find("\"kind\":\"gather\""), std::string::npos);
  EXPECT_NE(page.find("\"kind\":\"blocker\""), std::string::npos);
  // The variable that SetObjVar keeps, from frame 2, for object 0.
  EXPECT_NE(page.find("\"states\":[[2,0,1002,7]]"), std::string::npos);
  // Message lines as the stage prints them, with their frame; trace lines
  // without their frame mark.
  EXPECT_NE(page.find("[2,\"@2 log: SetObjVar: Walker is set to 7\"]"), std::string::npos);
  EXPECT_NE(page.find("[3,\"@3 stage: Walker at 1 3 0\"]"), std::string::npos);
  EXPECT_TRUE(HasTraceLine(page, 2, ">SetObjVar.Run(3, \"Walker\", \"=\", \"7\")"));
  // The title is shown as text, never as markup, and nothing leaves the page.
  EXPECT_NE(page.find("<title>walk&lt;&amp;>.scene - replay</title>"), std::string::npos);
  EXPECT_EQ(page.find("http"), std::string::npos);
  EXPECT_EQ(page.find(" src="), std::string::npos);
}

TEST(RunReplayTest, KeptLinesAreCappedPerFrameAndInAll) {
  RunReplay replay;
  for (size_t i = 0; i < RunReplay::kMaxTraceLinesPerFrame + 5; ++i)
    replay.AddTraceLine("@7 Line(" + std::to_string(i) + ")");
  replay.AddTraceLine("@8 " + std::string(RunReplay::kMaxLineBytes + 50, 'x'));
  // A line that would end the page's script is kept as text.
  replay.AddTraceLine("@9 Say(\"</script><b>\")");
  // A text that came before is kept once, and a text that begins like an
  // earlier one shares that start.
  replay.AddTraceLine("@9 Line(0)");
  replay.AddTraceLine("@10 Say(\"</script><b>\") -> 1");
  std::string page = replay.Html("s");
  const auto lines = TraceLines(page);
  ASSERT_EQ(lines.size(), RunReplay::kMaxTraceLinesPerFrame + 4);
  EXPECT_EQ(lines[RunReplay::kMaxTraceLinesPerFrame - 1],
            (std::pair<int32_t, std::string>{
                7, "Line(" + std::to_string(RunReplay::kMaxTraceLinesPerFrame - 1) + ")"}));
  EXPECT_EQ(page.find("Line(" + std::to_string(RunReplay::kMaxTraceLinesPerFrame) + ")"),
            std::string::npos);
  EXPECT_NE(page.find("\"traceDropped\":[[7,5]]"), std::string::npos);
  const size_t last = RunReplay::kMaxTraceLinesPerFrame;
  EXPECT_EQ(lines[last], (std::pair<int32_t, std::string>{
                             8, std::string(RunReplay::kMaxLineBytes, 'x') + " ..."}));
  EXPECT_EQ(lines[last + 1], (std::pair<int32_t, std::string>{9, "Say(\"</script><b>\")"}));
  EXPECT_EQ(lines[last + 2], (std::pair<int32_t, std::string>{9, "Line(0)"}));
  EXPECT_EQ(lines[last + 3], (std::pair<int32_t, std::string>{10, "Say(\"</script><b>\") -> 1"}));
  EXPECT_NE(page.find("\"Say(\\\"\\u003c/script>\\u003cb>\\\")\""), std::string::npos);
  EXPECT_NE(page.find(",\n\" -> 1\"]"), std::string::npos);  // the shared start left out

  // The whole budget: lines of the longest length, all different, one per
  // frame.
  RunReplay full;
  const std::string line(RunReplay::kMaxLineBytes - 6, 'y');
  const size_t cost = RunReplay::kTraceLineCost + RunReplay::kTraceTextCost + line.size() + 6;
  const size_t fit = RunReplay::kMaxTraceBytes / cost;
  for (size_t frame = 0; frame < fit + 3; ++frame)
    full.AddTraceLine("@" + std::to_string(frame) + " " + std::to_string(100000 + frame) + line);
  page = full.Html("s");
  const auto kept = TraceLines(page);
  ASSERT_EQ(kept.size(), fit);
  EXPECT_EQ(kept.back().first, int32_t(fit - 1));
  // The frame that spent the budget says how many of its lines are not kept;
  // later frames are not counted one by one.
  EXPECT_NE(page.find("\"traceDropped\":[[" + std::to_string(fit) +
                      ",1]],\"traceSpentFrom\":" + std::to_string(fit)),
            std::string::npos);
  EXPECT_LT(page.size(), RunReplay::kMaxTraceBytes + 100000);

  // Lines that repeat cost a few bytes each: a long run of the same few
  // lines is kept whole.
  RunReplay repeated;
  for (int32_t frame = 0; frame < 20000; ++frame)
    for (const char* text : {"GetSecs() -> 1", "GetWorldPos(Door, &(1 2 3), 0) -> 1"})
      repeated.AddTraceLine("@" + std::to_string(frame) + " " + text);
  page = repeated.Html("s");
  EXPECT_EQ(TraceLines(page).size(), 40000u);
  EXPECT_NE(page.find("\"traceDropped\":[],\"traceSpentFrom\":-1"), std::string::npos);
  EXPECT_LT(page.size(), 40000u * RunReplay::kTraceLineCost);
}

TEST(RunReplayTest, KeptFramesAreCapped) {
  stage::Model model;
  model.AddObject("Stone", nullptr, mkPoint3{1, 2, 3});
  RunReplay replay;
  for (int32_t frame = 0; frame < RunReplay::kMaxFrames + 3; ++frame) replay.Record(model);
  const std::string page = replay.Html("s");
  EXPECT_NE(page.find("\"frames\":" + std::to_string(RunReplay::kMaxFrames) +
                      ",\"played\":" + std::to_string(RunReplay::kMaxFrames + 3)),
            std::string::npos);
  EXPECT_EQ(Quantity(page, "Stone", "x"), std::vector<int32_t>(RunReplay::kMaxFrames, 100));
  // A still object costs a few characters however long the run.
  EXPECT_LT(page.size(), 64000u);
}

}  // namespace
