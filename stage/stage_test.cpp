// The stage on its own: the scene file reader, the scene model behind the
// scene interface, and the interface's slot order through the raw table.
#include "stage/stage.h"

#include <gtest/gtest.h>

#include <ctime>
#include <string>
#include <tuple>
#include <type_traits>
#include <vector>

#include "kit/testing/raw_slots.h"
#include "stage/ops.h"
#include "stage/picture.h"
#include "stage/testing/stage_fixture.h"

namespace {

using stage::Model;
using stage::SceneDescription;

// Calls slot N of the scene interface through its raw table with zero
// arguments of the operation's own types.
template <class Op>
struct RawCall;
template <class Ret, class... Params>
struct RawCall<Ret(Params...)> {
  static void In(egSceneApi* api, int slot) {
    mktest::CallSlot<Ret, std::decay_t<Params>...>(api, slot, std::decay_t<Params>{}...);
  }
};

TEST(SceneApiSlotsTest, EverySlotRunsTheOperationOfItsRow) {
  stage::Model model;
  stage::StageSceneApi api(model);
  static const char* const kNames[] = {
#define MK_SCENE_OP(Ret, Name, Params, Args, Format, Types, Defaults, Result) #Name,
#include "kit/host/scene_ops.inc"
  };
  using Caller = void (*)(egSceneApi*, int);
  static const Caller kCallers[] = {
#define MK_SCENE_OP(Ret, Name, Params, Args, Format, Types, Defaults, Result) \
  &RawCall<Ret Params>::In,
#include "kit/host/scene_ops.inc"
  };
  ASSERT_EQ(sizeof(kCallers) / sizeof(kCallers[0]), 434u);
  for (int slot = 0; slot < kSceneApiOpCount; ++slot) {
    const size_t before = model.trace().lines().size();
    kCallers[slot](&api, slot);
    ASSERT_EQ(model.trace().lines().size(), before + 1) << kNames[slot];
    const std::string& line = model.trace().lines().back();
    EXPECT_EQ(line.rfind(std::string("@0 ") + kNames[slot] + "(", 0), 0u)
        << "slot " << slot << " ran " << line;
  }
  // A few by number.
  EXPECT_STREQ(kNames[5], "ApiMessage");
  EXPECT_STREQ(kNames[38], "GetSceneObjectByID");
  EXPECT_STREQ(kNames[433], "BoundsGetCenter");
  EXPECT_TRUE(stage::StageSceneApi::IsModelled(kSceneSlot_XCmdFindContext));
  EXPECT_FALSE(stage::StageSceneApi::IsModelled(kSceneSlot_FogSetYon));
}

TEST(SceneApiTest, TraceNamesHandlesAndMarksWhatIsNotModelled) {
  stage::Model model;
  stage::StageSceneApi api(model);
  model.AddObject("Door", nullptr, {1, 2, 3});
  mkSceneObject* door = api.GetSceneObjectByID("Door");
  mkPoint3 p{};
  EXPECT_EQ(api.GetWorldPos(door, &p, 0), 1);
  EXPECT_EQ(api.GetSceneObjectByID("Ghost"), nullptr);
  api.FogSetYon(nullptr, 1.5f, 2.0f);
  EXPECT_EQ(model.trace().lines(), (std::vector<std::string>{
                                       "@0 GetSceneObjectByID(\"Door\") -> Door",
                                       "@0 GetWorldPos(Door, &(1 2 3), 0) -> 1",
                                       "@0 GetSceneObjectByID(\"Ghost\") -> null",
                                       "@0 FogSetYon(null, 1.5, 2) [not modelled]",
                                   }));
  EXPECT_FLOAT_EQ(p.fZ, 3.0f);
}

TEST(SceneModelTest, ContextsAreFoundByThreeValuesAndKeepTheirBlocks) {
  stage::Model model;
  stage::ActorOps actors(model);
  mkSceneObject* door = Model::ToHandle<mkSceneObject>(model.AddObject("Door", nullptr, {}));
  auto* kind = reinterpret_cast<void*>(intptr_t(1002));
  egContextMgr::Context* c = actors.XCmdFindContext(door, kind, nullptr);
  EXPECT_EQ(actors.XCmdFindContext(door, kind, nullptr), c);
  EXPECT_NE(actors.XCmdFindContext(door, reinterpret_cast<void*>(intptr_t(1001)), nullptr), c);
  EXPECT_NE(actors.XCmdFindContext(nullptr, kind, nullptr), c);
  EXPECT_EQ(c->GetData(), nullptr);
  auto* first = static_cast<int32_t*>(c->AllocData(4));
  *first = 7;
  EXPECT_EQ(c->GetData(), first);
  // Too large or negative requests are refused; the old block stays.
  EXPECT_EQ(c->AllocData(stage::Context::kMaxDataSize + 1), nullptr);
  EXPECT_EQ(c->AllocData(-4), nullptr);
  EXPECT_EQ(c->GetData(), first);
  EXPECT_EQ(*first, 7);
}

TEST(SceneModelTest, VariablesAreKeysThatNameObjects) {
  stage::Model model;
  stage::KeyOps keys(model);
  auto* room = model.AddObject("Room", nullptr, {});
  auto* lamp = model.AddObject("Lamp", room, {1, 0, 0});
  ASSERT_TRUE(model.AddVariable("Chosen", nullptr));
  EXPECT_FALSE(model.AddVariable("Lamp", nullptr));  // taken by the object's own key
  mkRegistryKey* chosen = keys.GetObjKeyByID("Chosen");
  ASSERT_NE(chosen, nullptr);
  EXPECT_EQ(chosen->fObject, nullptr);
  keys.VarSetToFirstChild(chosen, Model::ToHandle<mkSceneObject>(room));
  EXPECT_EQ(chosen->fObject, lamp);
  keys.VarSetTo(chosen, nullptr);
  EXPECT_EQ(chosen->fObject, nullptr);
  EXPECT_EQ(keys.GetObjKeyByID("Lamp")->fObject, lamp);
  EXPECT_STREQ(keys.KeyGetName(chosen), "Chosen");
  // A handle that is not a key is not written through.
  keys.VarSetTo(reinterpret_cast<mkRegistryKey*>(lamp), Model::ToHandle<mkSceneObject>(room));
  EXPECT_EQ(keys.GetObjKeyByID("Lamp")->fObject, lamp);
}

TEST(SceneModelTest, WorldPositionFollowsParentsAndAttachAvoidsCycles) {
  stage::Model model;
  stage::ObjectOps objects(model);
  auto* room = model.AddObject("Room", nullptr, {10, 0, 0});
  auto* lamp = model.AddObject("Lamp", room, {1, 2, 0});
  mkPoint3 p{};
  objects.GetWorldPos(Model::ToHandle<mkSceneObject>(lamp), &p, 1);
  EXPECT_EQ(p.fX, 11.0f);
  EXPECT_EQ(p.fY, 2.0f);
  // Attaching a parent under its own child is refused.
  objects.AttachObject(Model::ToHandle<mkSceneObject>(lamp), Model::ToHandle<mkSceneObject>(room),
                       1, 0, 0);
  EXPECT_EQ(room->parent, nullptr);
  objects.AttachObject(Model::ToHandle<mkSceneObject>(room), Model::ToHandle<mkSceneObject>(lamp),
                       0, 0, 0);
  EXPECT_EQ(lamp->parent, nullptr);
  EXPECT_EQ(objects.GetNumChildren(Model::ToHandle<mkSceneObject>(room)), 0);
}

TEST(SceneFileTest, ReadsEveryStatement) {
  SceneDescription scene;
  std::vector<std::string> errors;
  ASSERT_TRUE(stage::ParseScene(
      "# a comment\n"
      "plugin KilnXcmd\n"
      "frames 12\nframetime 0.05\nclock 42\n"
      "object Room at 1 2.5 -3 radius 2\n"
      "object Door parent Room character remote   # trailing comment\n"
      "player Hero at 0 0 5\n"
      "camera Eye\n"
      "variable Chosen Door\n"
      "actor Open SetObjVar Door + 1\n"
      "actor Open \"Say it\" \"a \\\"quoted\\\" word\"\n"
      "detector Gate\nevent Night\nbrain Door Cam\n"
      "at 3 run SetObjFlag Door true\nat 4 actor Open Gate\nat 5 key 13 down\n"
      "at 6 move 0 0 1\nat 7 place Door 1 2 3\nat 8 event Dawn\nat 9 noevent Night\n",
      &scene, &errors))
      << errors[0];
  EXPECT_EQ(scene.plugins, (std::vector<std::string>{"KilnXcmd"}));
  EXPECT_EQ(scene.frames, 12);
  EXPECT_FLOAT_EQ(scene.frameTime, 0.05f);
  EXPECT_EQ(scene.clock, 42);
  ASSERT_EQ(scene.objects.size(), 4u);
  EXPECT_FLOAT_EQ(scene.objects[0].position.fY, 2.5f);
  EXPECT_FLOAT_EQ(scene.objects[0].position.fZ, -3.0f);
  EXPECT_FLOAT_EQ(scene.objects[0].radius, 2.0f);
  EXPECT_EQ(scene.objects[1].parent, "Room");
  EXPECT_TRUE(scene.objects[1].character && scene.objects[1].remote);
  EXPECT_EQ(scene.player, "Hero");
  EXPECT_TRUE(scene.objects[2].character);
  EXPECT_EQ(scene.camera, "Eye");
  ASSERT_EQ(scene.actors.size(), 1u);
  EXPECT_EQ(scene.actors[0].steps,
            (std::vector<std::vector<std::string>>{{"SetObjVar", "Door", "+", "1"},
                                                   {"Say it", "a \"quoted\" word"}}));
  ASSERT_EQ(scene.timeline.size(), 7u);
  EXPECT_EQ(scene.timeline[1].verb, "actor");
  EXPECT_EQ(scene.timeline[1].words, (std::vector<std::string>{"Open", "Gate"}));
}

TEST(SceneFileTest, ReportsEachBadLineWithItsNumber) {
  const std::tuple<const char*, const char*> kCases[] = {
      {"frames -1", "1: '-1' is out of range (a whole number from 0 to 1000000)"},
      {"frames 1x", "1: '1x' is not a whole number from 0 to 1000000"},
      {"frametime 0", "1: frametime must be above 0 and at most 10 seconds"},
      {"object", "1: 'object' needs a name"},
      {"object A at 1 2", "1: 'at' needs three numbers"},
      {"object A at 1 2 z", "1: 'z' is not a number"},
      {"object A shiny", "1: unknown object property 'shiny'"},
      {"\n\nlamp A", "3: unknown statement 'lamp'"},
      {"at x run A", "1: 'x' is not a whole number from 0 to 1000000"},
      {"at 1 jump A", "1: unknown timeline verb 'jump'"},
      {"at 1 key 13 sideways", "1: wrong words for 'at ... key'"},
      {"actor \"open", "1: a quoted word is not closed"},
      {"brain A", "1: 'brain' takes 2 word(s)"},
      {"vehicle A B", "1: 'vehicle' takes 3 or more word(s)"},
      {"on poweron", "1: 'on' takes 2 word(s)"},
      {"picture front", "1: 'picture' is 'top' or 'side'"},
      {"at 1 cammode 4", "1: wrong words for 'at ... cammode'"},
      {"at 1 flags A x", "1: wrong words for 'at ... flags'"},
      {"at 1 oneshot A 2", "1: wrong words for 'at ... oneshot'"},
  };
  for (const auto& [text, expected] : kCases) {
    SceneDescription scene;
    std::vector<std::string> errors;
    EXPECT_FALSE(stage::ParseScene(text, &scene, &errors)) << text;
    ASSERT_EQ(errors.size(), 1u) << text;
    EXPECT_EQ(errors[0], expected);
  }
}

TEST(SceneFileTest, NumbersOutOfRangeSaySo) {
  const std::tuple<const char*, const char*> kCases[] = {
      {"frames 1000001", "1: '1000001' is out of range (a whole number from 0 to 1000000)"},
      {"frames 99999999999999999999",
       "1: '99999999999999999999' is out of range (a whole number from 0 to 1000000)"},
      {"object A radius 1e39", "1: '1e39' is out of range"},
      {"object A radius -4e38", "1: '-4e38' is out of range"},
      {"object A radius 1e99999999999999999999", "1: '1e99999999999999999999' is out of range"},
      {"object A radius 1e", "1: '1e' is not a number"},
      {"object A radius 0x10", "1: '0x10' is not a number"},
  };
  for (const auto& [text, expected] : kCases) {
    SceneDescription scene;
    std::vector<std::string> errors;
    EXPECT_FALSE(stage::ParseScene(text, &scene, &errors)) << text;
    ASSERT_EQ(errors.size(), 1u) << text;
    EXPECT_EQ(errors[0], expected);
  }
  // Tiny values are zero, not errors.
  SceneDescription scene;
  std::vector<std::string> errors;
  ASSERT_TRUE(stage::ParseScene("object A radius 1e-50\n", &scene, &errors));
  EXPECT_EQ(scene.objects[0].radius, 0.0f);
}

TEST(SceneFileTest, AByteOrderMarkIsAcceptedAndOddBytesAreShown) {
  SceneDescription scene;
  std::vector<std::string> errors;
  ASSERT_TRUE(
      stage::ParseScene("\xEF\xBB\xBF"
                        "frames 3\n",
                        &scene, &errors));
  EXPECT_EQ(scene.frames, 3);
  EXPECT_FALSE(
      stage::ParseScene("fr\x01"
                        "ames\xC3\xA9\xFF 3\n",
                        &scene, &errors));
  EXPECT_EQ(errors, (std::vector<std::string>{"1: unknown statement 'fr\\x01ames\xC3\xA9\\xff'"}));
  // A byte-order mark only counts at the very start.
  errors.clear();
  EXPECT_FALSE(
      stage::ParseScene("frames 3\n\xEF\xBB\xBF"
                        "frames 4\n",
                        &scene, &errors));
  EXPECT_EQ(errors, (std::vector<std::string>{"2: unknown statement '\xEF\xBB\xBF"
                                              "frames'"}));
}

TEST(SceneFileTest, SplitsWordsAtBlanksWithQuotesAndComments) {
  const std::tuple<std::string, bool, std::vector<std::string>> kCases[] = {
      {"", true, {}},
      {" \t\r\v\f", true, {}},
      {"object  A\tat 1 2 3\r", true, {"object", "A", "at", "1", "2", "3"}},
      {"# all comment", true, {}},
      {"a #b c", true, {"a"}},
      {"a#b c\"d", true, {"a#b", "c\"d"}},
      {"\"two words\" x", true, {"two words", "x"}},
      {"\"\"", true, {""}},
      {"\"a \\\"b\\\" \\\\ c\\d\"", true, {"a \"b\" \\ c\\d"}},
      {"\"ab\"cd", true, {"ab", "cd"}},
      {"x \"open", false, {"x"}},
      {"\"ends in a backslash\\\"", false, {}},
  };
  for (const auto& [line, closed, expected] : kCases) {
    std::vector<std::string> words{"left over"};
    EXPECT_EQ(stage::SplitWords(line, &words), closed) << line;
    EXPECT_EQ(words, expected) << line;
  }
}

TEST(SceneFileTest, LinesEndAtLineFeedsAndTheLastNeedsNone) {
  const std::tuple<std::string, std::vector<std::string>> kCases[] = {
      {"", {}},
      {"\n", {}},
      {"lamp", {"1: unknown statement 'lamp'"}},
      {"lamp\n", {"1: unknown statement 'lamp'"}},
      {"\n\r\nlamp\r\n\nbulb", {"3: unknown statement 'lamp'", "5: unknown statement 'bulb'"}},
      {"\xEF\xBB\xBFlamp", {"1: unknown statement 'lamp'"}},
      {"\xEF\xBB", {"1: unknown statement '\\xef\\xbb'"}},
  };
  for (const auto& [text, expected] : kCases) {
    SceneDescription scene;
    std::vector<std::string> errors;
    EXPECT_EQ(stage::ParseScene(text, &scene, &errors), expected.empty()) << text;
    EXPECT_EQ(errors, expected) << text;
  }
}

TEST(SceneFileTest, ShowTextEscapesWhatCannotBeShown) {
  const std::tuple<std::string, std::string> kCases[] = {
      {"plain text", "plain text"},
      {"tab\there", "tab\\x09here"},
      {"del\x7f", "del\\x7f"},
      {"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x99\x82", "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x99\x82"},
      {"cut \xC3", "cut \\xc3"},             // a sequence cut short
      {"over \xC0\xAF", "over \\xc0\\xaf"},  // an overlong form
      {"surrogate \xED\xA0\x80", "surrogate \\xed\\xa0\\x80"},
      {"lone \x80 byte", "lone \\x80 byte"},
      {std::string("nul\0!", 5), "nul\\x00!"},
  };
  for (const auto& [text, shown] : kCases) EXPECT_EQ(stage::ShowText(text), shown);
  EXPECT_EQ(stage::FormatMessage({2, stage::MessageKind::kLog, "a\nb"}), "@2 log: a\\x0ab");
}

TEST(SceneFileTest, TimelineEntriesCarryTheirValues) {
  SceneDescription scene;
  std::vector<std::string> errors;
  ASSERT_TRUE(
      stage::ParseScene("at 1 key -7 down\nat 1 key 9 up\nat 2 move 1 -2.5 3e1\n"
                        "at 3 place A 4 5 6\nat 4 glide A 7 8 9 0.5\nat 5 face A 1 0 0\n"
                        "at 6 draw A 1\nat 6 enable A 0\n",
                        &scene, &errors))
      << errors[0];
  ASSERT_EQ(scene.timeline.size(), 8u);
  const auto& t = scene.timeline;
  EXPECT_EQ(t[0].code, -7);
  EXPECT_TRUE(t[0].on);
  EXPECT_EQ(t[1].code, 9);
  EXPECT_FALSE(t[1].on);
  EXPECT_EQ(t[2].point.fY, -2.5f);
  EXPECT_EQ(t[2].point.fZ, 30.0f);
  EXPECT_EQ(t[3].point.fX, 4.0f);
  EXPECT_EQ(t[3].point.fZ, 6.0f);
  EXPECT_EQ(t[4].point.fY, 8.0f);
  EXPECT_EQ(t[4].seconds, 0.5f);
  EXPECT_EQ(t[5].point.fX, 1.0f);
  EXPECT_TRUE(t[6].on);
  EXPECT_FALSE(t[7].on);
  EXPECT_FALSE(stage::ParseScene("at 1 key 99999999999 down\n", &scene, &errors));
}

TEST(SceneFileTest, StatementAndVerbTablesAreWhatTheReaderTakes) {
  // Every listed statement is known (its error is not "unknown statement").
  for (const std::string& name : stage::StatementNames()) {
    SceneDescription scene;
    std::vector<std::string> errors;
    stage::ParseScene(name + "\n", &scene, &errors);
    for (const auto& e : errors) EXPECT_EQ(e.find("unknown"), std::string::npos) << e;
  }
  for (const std::string& verb : stage::TimelineVerbNames()) {
    SceneDescription scene;
    std::vector<std::string> errors;
    stage::ParseScene("at 0 " + verb + "\n", &scene, &errors);
    for (const auto& e : errors) EXPECT_EQ(e.find("unknown"), std::string::npos) << e;
  }
  EXPECT_EQ(stage::StatementNames().front(), "plugin");
  EXPECT_EQ(stage::TimelineVerbNames().front(), "run");
}

TEST(StageTest, TheTraceIsKeptStreamedOrOff) {
  stage::Model model;
  stage::StageSceneApi api(model);
  model.AddObject("Door", nullptr, {});
  std::vector<std::string> streamed;
  model.trace().onLine = [&](const std::string& line) { streamed.push_back(line); };
  api.GetSceneObjectByID("Door");
  EXPECT_EQ(streamed, (std::vector<std::string>{"@0 GetSceneObjectByID(\"Door\") -> Door"}));
  EXPECT_EQ(model.trace().lines(), streamed);  // kept as well, by default
  model.trace().keep = false;
  api.GetSceneObjectByID("Hall");
  EXPECT_EQ(streamed.size(), 2u);
  EXPECT_EQ(streamed[1], "@0 GetSceneObjectByID(\"Hall\") -> null");
  EXPECT_EQ(model.trace().lines().size(), 1u);
  model.trace().onLine = nullptr;
  EXPECT_FALSE(model.trace().enabled());
  api.GetSceneObjectByID("Door");
  EXPECT_EQ(model.trace().lines().size(), 1u);

  // Messages: printed as they come, kept or not; problems are counted.
  std::vector<std::string> printed;
  model.onMessage = [&](const stage::Message& m) { printed.push_back(stage::FormatMessage(m)); };
  api.ApiMessageWarn("Careful");
  model.keepMessages = false;
  model.Say(stage::MessageKind::kStage, "no object named Ghost", true);
  model.Say(stage::MessageKind::kStage, "actor Open");
  api.ApiMessage("Fine");
  EXPECT_EQ(printed,
            (std::vector<std::string>{"@0 warning: Careful", "@0 stage: no object named Ghost",
                                      "@0 stage: actor Open", "@0 log: Fine"}));
  ASSERT_EQ(model.messages().size(), 1u);
  EXPECT_TRUE(model.messages()[0].problem);
  EXPECT_EQ(model.problems(), 2);
}

TEST(StageTest, PlayingReportsPluginsAndCommandsByLine) {
  SceneDescription scene;
  std::vector<std::string> errors;
  ASSERT_TRUE(
      stage::ParseScene("object Door\nactor Open\nactor Open Knock Door\n"
                        "at 2 run Shout\n",
                        &scene, &errors));
  stage::Stage stage;
  stage.enterSceneDirectory = false;
  EXPECT_FALSE(stage.Play(scene, &errors));
  EXPECT_EQ(errors, (std::vector<std::string>{
                        "3: no loaded plug-in lists the command Knock (actor Open)",
                        "4: no loaded plug-in lists the command Shout",
                    }));
  errors.clear();
  ASSERT_TRUE(stage::ParseScene("\nplugin NoSuch\n", &scene, &errors));
  scene.path = "hall.scene";
  stage.pluginPath = {"/nonexistent"};
  EXPECT_FALSE(stage.Play(scene, &errors));
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].rfind("hall.scene:2: cannot find the plug-in NoSuch: no " +
                                stage::PluginFileName("NoSuch") +
                                " in /nonexistent, or the "
                                "scene's directory ",
                            0),
            0u)
      << errors[0];
}

TEST(StageTest, BuildReportsMissingAndTakenNames) {
  SceneDescription scene;
  std::vector<std::string> errors;
  ASSERT_TRUE(stage::ParseScene(
      "object A parent B\nobject C\nobject C\nvariable V Nowhere\nbrain C Cam\n", &scene, &errors));
  stage::Stage stage;
  EXPECT_FALSE(stage.Build(scene, &errors));
  EXPECT_EQ(errors, (std::vector<std::string>{
                        "1: parent B is not an object defined above",
                        "3: the name C is taken",
                        "4: variable V names Nowhere, which is not an object",
                        "5: no loaded plug-in lists the brain Cam",
                    }));
}

// A brain that reads the clock in its Update, and a brain class that looks
// its object up in MakeBrain: the host calls that a plug-in makes inside one
// of its operations.
class ClockReadingBrain final : public egBrainDll {
 public:
  MK_DESTROYING_DESTRUCTOR(ClockReadingBrain)
  MK_SELF_BRAIN()
  int32_t Update(float) override {
    fSceneApi->GetSecsDelta();
    return 1;
  }
};

class LookingBrainClass final : public egBrainClassDll {
 public:
  MK_DESTROYING_DESTRUCTOR(LookingBrainClass)
  int32_t GetClassKind() override { return 2; }
  egBrainDll* MakeBrain(const char*, const char* second) override {
    fSceneApi->GetSceneObjectByID(second);
    made_.fSceneApi = fSceneApi;
    return &made_;
  }

 private:
  ClockReadingBrain made_;
};

// A brain operation's line opens before the calls that the brain makes in
// it, as a command's does, and a closing line gives its result.
TEST(StageTest, ABrainsLineComesBeforeTheCallsItMakes) {
  SceneDescription scene;
  std::vector<std::string> errors;
  ASSERT_TRUE(stage::ParseScene(
      "object Walker\nbrain Walker Clock\nobject Runner\nbrainclass Runner cLooking\n", &scene,
      &errors));
  stage::Stage stage;
  // Made after the stage, so that they go before the keys that name them.
  ClockReadingBrain brain;
  LookingBrainClass brainClass;
  stage.model().AddBrainDll("Clock", &brain);
  stage.model().AddBrainClass("cLooking", &brainClass);
  brainClass.SetSceneApi(&stage.api());
  ASSERT_TRUE(stage.Build(scene, &errors)) << errors[0];
  stage.RunFrame(scene, 0);
  EXPECT_EQ(stage.model().trace().lines(), (std::vector<std::string>{
                                               "@0 >cLooking.Prepare()",
                                               "@0 >cLooking.MakeBrain(\"cLooking\", \"Runner\")",
                                               "@0 GetSceneObjectByID(\"Runner\") -> Runner",
                                               "@0 <cLooking.MakeBrain() -> brain:cLooking",
                                               "@0 >Walker.Clock.Update(0.0333333)",
                                               "@0 GetSecsDelta() -> 0.0333333",
                                               "@0 <Walker.Clock.Update() -> 1",
                                               "@0 >Runner.cLooking.Update(0.0333333)",
                                               "@0 GetSecsDelta() -> 0.0333333",
                                               "@0 <Runner.cLooking.Update() -> 1",
                                           }));
}

TEST(StageTest, TimeFollowsTheScenesClock) {
  SceneDescription scene;
  std::vector<std::string> errors;
  ASSERT_TRUE(stage::ParseScene("frames 3\nframetime 0.5\nclock 5000\n", &scene, &errors));
  stage::Stage stage;
  ASSERT_TRUE(stage.Play(scene, &errors));
  // After frame 2 (one second played).
  EXPECT_EQ(std::time(nullptr), 5001);
  EXPECT_FLOAT_EQ(stage::GameOps(stage.model()).GetSecs(), 1.0f);
  EXPECT_FLOAT_EQ(stage::GameOps(stage.model()).GetSecsDelta(), 0.5f);
}

TEST(StageTest, LoadingAMissingPluginFails) {
  stage::Stage stage;
  std::string error;
  EXPECT_FALSE(stage.LoadPlugin("/nonexistent/NoSuch.so", &error));
  EXPECT_NE(error.find("cannot load /nonexistent/NoSuch.so"), std::string::npos) << error;
  // The path is said once.
  EXPECT_EQ(error.find("/nonexistent/NoSuch.so", 20), std::string::npos) << error;
}

}  // namespace

namespace {

using stagetest::PlayText;

TEST(StageMotionTest, BehaviorsLoopUntilToldToFinishAndCarryTheirObject) {
  auto played = PlayText(
      "frames 0\nframetime 0.25\n"
      "object Hop at 0 0 0\n"
      "behavior Hop walk seconds 1 speed 2\n"
      "behavior Hop wait0 seconds 0.5\n");
  Model& m = played->model();
  stage::AnimationOps animation(m);
  stage::ObjectOps objects(m);
  stage::KeyOps keys(m);
  auto* hop = Model::ToHandle<mkSceneObject>(m.FindObject("Hop"));
  mkGBehavior* walk =
      animation.FindBehavior(Model::ToHandle<egCharacter>(m.FindObject("Hop")), "WALK", -4);
  ASSERT_NE(walk, nullptr);
  EXPECT_EQ(animation.GetBehavior(hop), nullptr);
  animation.AnimPlay(hop, walk, 1, 1, 0, 0, 100.0f, 0, 0, 1.0f, 0);
  EXPECT_EQ(animation.GetBehavior(hop), walk);
  for (int i = 0; i < 6; ++i) m.Advance(0.25f);  // a cycle and a half: still looping
  EXPECT_EQ(animation.BehGetPlaying(walk, -1.0f, 1), 1);
  mkPoint3 p{};
  objects.GetWorldPos(hop, &p, 0);
  EXPECT_FLOAT_EQ(p.fX, 3.0f);  // 1.5 s at 2 units per second along the first axis
  animation.AnimStop(hop, 0, 1, 0, 0, 100.0f, 0, 1.0f);
  m.Advance(0.25f);
  EXPECT_EQ(animation.BehGetPlaying(walk, -1.0f, 1), 1);  // finishing its cycle
  m.Advance(0.25f);
  EXPECT_EQ(animation.BehGetPlaying(walk, -1.0f, 1), 0);  // ran out
  EXPECT_STREQ(keys.KeyGetName(keys.BehGetKey(walk)), "Hop..walk");
  // An idle started with AnimContinuePlay plays one cycle.
  mkGBehavior* wait0 = animation.GetBehaviorFromName(hop, "wait0");
  animation.AnimContinuePlay(hop, wait0, 0, 0, 1, 0, 0, -1.0f, 0, 0, 1.0f, 0);
  EXPECT_EQ(animation.BehGetPlaying(wait0, -1.0f, 1), 1);
  m.Advance(0.5f);
  EXPECT_EQ(animation.BehGetPlaying(wait0, -1.0f, 1), 0);
}

TEST(StageMotionTest, TimelineGlidesFacesAndHides) {
  auto played = PlayText(
      "frames 5\nframetime 0.5\n"
      "player Hero at 0 0 0\nobject Rock\n"
      "at 0 glide Hero 0 4 0 2\n"
      "at 2 draw Rock 0\n");
  Model& m = played->model();
  stage::ObjectOps objects(m);
  auto* hero = Model::ToHandle<mkSceneObject>(m.FindObject("Hero"));
  mkPoint3 p{};
  objects.GetWorldPos(hero, &p, 0);
  EXPECT_FLOAT_EQ(p.fY, 4.0f);
  mkVector3 first{};
  objects.GetWorldAxes(hero, &first, nullptr, nullptr);
  EXPECT_FLOAT_EQ(first.fX, 0.0f);
  EXPECT_FLOAT_EQ(first.fY, 1.0f);  // faces the way it went
  EXPECT_EQ(objects.GetDraw(Model::ToHandle<mkSceneObject>(m.FindObject("Rock"))), 0);
}

TEST(StageMotionTest, OtherPlayersSoundsAndEmitters) {
  auto played = PlayText(
      "frames 0\n"
      "player Hero\nobject Guest1 remoteplayer\nobject Creature character remote\n"
      "object Guest2 remoteplayer\n"
      "sound hnorm01\nemitter Creature..ZoveziHead\n");
  Model& m = played->model();
  stage::NetworkOps network(m);
  stage::SoundOps sound(m);
  EXPECT_EQ(network.NetGetNumRemoteChars(), 2);
  EXPECT_EQ(network.NetGetRemoteChar(1), Model::ToHandle<egCharacter>(m.FindObject("Guest2")));
  EXPECT_EQ(network.NetGetRemoteChar(2), nullptr);
  EXPECT_EQ(network.NetGetLocallyOwned(Model::ToHandle<mkSceneObject>(m.FindObject("Creature"))),
            0);
  egSoundSource* emitter = sound.GetSoundSourceByID("Creature..ZoveziHead");
  ASSERT_NE(emitter, nullptr);
  sound.SoundEmitterPlay(emitter, 1, 1, 0);
  EXPECT_EQ(sound.SoundEmitterIsPlaying(emitter), 0);  // nothing to play
  sound.SoundEmitterAddSound(emitter, sound.GetSoundObjectByID("hnorm01"));
  sound.SoundEmitterPlay(emitter, 1, 1, 0);
  EXPECT_EQ(sound.SoundEmitterIsPlaying(emitter), 1);
  EXPECT_EQ(sound.GetSoundObjectByID("hnorm02"), nullptr);
}
TEST(StageMotionTest, ViewAxesAreViewUpAndRight) {
  auto played = PlayText(
      "frames 2\nframetime 0.5\n"
      "object Walker viewaxes\nbehavior Walker walk speed 2\nobject Plain\n"
      "at 0 face Walker 1 0 0\nat 0 play Walker walk\n");
  Model& m = played->model();
  stage::ObjectOps objects(m);
  auto* walker = Model::ToHandle<mkSceneObject>(m.FindObject("Walker"));
  mkVector3 view{}, up{}, right{};
  objects.GetWorldAxes(walker, &view, &up, &right);
  EXPECT_FLOAT_EQ(view.fX, 1.0f);  // faced along +x
  EXPECT_FLOAT_EQ(view.fY, 0.0f);
  EXPECT_FLOAT_EQ(up.fZ, 1.0f);
  EXPECT_FLOAT_EQ(right.fY, -1.0f);
  // Carried along the view axis: two frames of half a second at 2.
  mkPoint3 p{};
  objects.GetWorldPos(walker, &p, 0);
  EXPECT_FLOAT_EQ(p.fX, 2.0f);
  EXPECT_FLOAT_EQ(p.fY, 0.0f);
  objects.GetWorldAxes(Model::ToHandle<mkSceneObject>(m.FindObject("Plain")), &view, &up, &right);
  EXPECT_FLOAT_EQ(view.fX, 1.0f);
  EXPECT_FLOAT_EQ(up.fY, 1.0f);
  EXPECT_FLOAT_EQ(right.fZ, 1.0f);
}

TEST(StageTest, EventsRunTheActorsThatReactAndCameraGoals) {
  auto played = PlayText(
      "camera Eye at 1 2 3 viewaxes\nactor Light\non poweron Light\n"
      "variable TheSun Eye\n");
  Model& m = played->model();
  stage::ActorOps actors(m);
  actors.EventRegister("poweron", 0, 0);
  actors.EventRegister("other", 0, 0);
  ASSERT_EQ(m.actorQueue().size(), 0u);  // an actor without steps queues none
  std::vector<std::string> notes;
  for (const auto& message : m.messages()) notes.push_back(stage::FormatMessage(message));
  EXPECT_EQ(notes, (std::vector<std::string>{"@0 stage: event poweron", "@0 stage: actor Light",
                                             "@0 stage: event other"}));
  EXPECT_EQ(actors.EventFind("poweron"), 1);
  stage::GameOps game(m);
  stage::CameraOps cameras(m);
  mkPoint3 from{}, at{};
  mkVector3 up{};
  cameras.CamGetGoals(game.GetCamera(), &from, &at, nullptr, &up);
  EXPECT_EQ(from.fX, 1.0f);
  EXPECT_EQ(at.fY, 1.0f);  // one unit along the view axis, -y
  EXPECT_EQ(up.fZ, 1.0f);
  EXPECT_EQ(cameras.CamGetMode(game.GetCamera()), 0);
  m.SetCameraMode(2);
  EXPECT_EQ(cameras.CamIsDriveMode(cameras.CamGetMode(game.GetCamera())), 1);
  EXPECT_EQ(cameras.CamIsObserverMode(3), 1);
  EXPECT_EQ(cameras.CamGetMode(nullptr), 2);  // a null camera is the current one
  stage::KeyOps keys(m);
  EXPECT_EQ(keys.GetObjKeyByID("global..TheSun"), keys.GetObjKeyByID("TheSun"));
  EXPECT_EQ(keys.GetObjKeyByID("global..Nothing"), nullptr);
  stage::AnimationOps animation(m);
  EXPECT_STREQ(animation.GetBehNameFromRegName("Shovel..ShovelRoot..dig", nullptr), "dig");
  EXPECT_STREQ(animation.GetBehNameFromRegName("dig", nullptr), "dig");
  EXPECT_STREQ(animation.GetBehNameFromRegName(nullptr, nullptr), "");
}

TEST(StagePictureTest, SeenFromTheSide) {
  SceneDescription scene;
  std::vector<std::string> errors;
  ASSERT_TRUE(
      stage::ParseScene("frames 3\npicture side\nplayer Hero\n"
                        "at 0 glide Hero 0 0 5 0.1\n",
                        &scene, &errors));
  EXPECT_TRUE(scene.pictureSide);
  stage::Stage played;
  played.enterSceneDirectory = false;
  stage::RunPicture picture;
  picture.side = true;
  played.onFrameEnd = [&](int32_t) { picture.Record(played.model()); };
  ASSERT_TRUE(played.Play(scene, &errors));
  // Risen straight up: a path seen from the side, none from above.
  EXPECT_NE(picture.Svg(played.model()).find("<polyline"), std::string::npos);
  stage::RunPicture above;
  above.Record(played.model());
  EXPECT_EQ(above.Svg(played.model()).find("<polyline"), std::string::npos);
}

TEST(StagePictureTest, DrawsPathsAndStillObjects) {
  SceneDescription scene;
  std::vector<std::string> errors;
  ASSERT_TRUE(
      stage::ParseScene("frames 3\nplayer Hero\nobject Wall<1> at 5 5 0 radius 2\n"
                        "at 0 glide Hero 3 0 0 0.1\n",
                        &scene, &errors));
  stage::Stage played;
  played.enterSceneDirectory = false;
  stage::RunPicture picture;
  played.onFrameEnd = [&](int32_t) { picture.Record(played.model()); };
  ASSERT_TRUE(played.Play(scene, &errors));
  const std::string svg = picture.Svg(played.model());
  EXPECT_EQ(svg.rfind("<svg ", 0), 0u);
  EXPECT_NE(svg.find(">Wall&lt;1&gt;</text>"), std::string::npos);
  EXPECT_NE(svg.find("<polyline fill=\"none\" stroke=\"#d62728\""), std::string::npos);
  EXPECT_NE(svg.find(">Hero</text>"), std::string::npos);
}

TEST(StagePictureTest, ShowsFlagsAndVariablesOverTimeWithALegendAScaleAndTimeMarks) {
  SceneDescription scene;
  std::vector<std::string> errors;
  ASSERT_TRUE(
      stage::ParseScene("frames 4\nframetime 0.5\nplayer Hero\nobject Door at 10 0 0\n"
                        "at 0 glide Hero 10 0 0 2\n",
                        &scene, &errors));
  stage::Stage played;
  played.enterSceneDirectory = false;
  stage::RunPicture picture;
  Model& m = played.model();
  stage::ActorOps actors(m);
  auto* door = Model::ToHandle<mkSceneObject>(nullptr);
  // What the flag and variable commands keep: 1001 and 1002 records.
  played.onFrameEnd = [&](int32_t frame) {
    door = Model::ToHandle<mkSceneObject>(m.FindObject("Door"));
    for (intptr_t kind : {1001, 1002}) {
      egContextMgr::Context* c =
          actors.XCmdFindContext(door, reinterpret_cast<void*>(kind), nullptr);
      auto* value = static_cast<int32_t*>(c->GetData() != nullptr ? c->GetData() : c->AllocData(4));
      *value = kind == 1001 ? int32_t(frame == 1 || frame == 2) : frame * 2;
    }
    picture.Record(m);
  };
  ASSERT_TRUE(played.Play(scene, &errors));
  const std::string svg = picture.Svg(m);
  for (const char* part : {
           ">Door flag</text>",
           ">Door variable</text>",
           // The variable's values, where they changed (each frame: 0, 2, 4, 6).
           "fill=\"#1f77b4\">0</text>",
           "fill=\"#1f77b4\">2</text>",
           "fill=\"#1f77b4\">6</text>",
           // The flag is set from 0.5 s to 1.5 s: one bar.
           "height=\"20.00\" fill=\"#f2b701\"/>",
           // Time marks along the axis, a scale and a legend.
           ">0 s</text>",
           ">1 s</text>",
           ">2 s</text>",
           " units</text>",
           ">Legend</text>",
           ">Hero</text>",
           ">(red and thick: the player)</text>",
           ">a mark every 0.2 s</text>",
           ">4 frames, 2 s</text>",
       })
    EXPECT_NE(svg.find(part), std::string::npos) << part;
  const size_t bar = svg.find("fill=\"#f2b701\"");
  EXPECT_EQ(svg.find("fill=\"#f2b701\"", bar + 1), std::string::npos) << "one bar only";
  // Nothing else is drawn on top of a path: names come before the paths.
  EXPECT_LT(svg.find(">Door</text>"), svg.find("<polyline"));
}

}  // namespace
