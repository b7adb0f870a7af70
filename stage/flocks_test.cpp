// The stage's flock managers and firemarbles: the scene statements and
// timeline verbs that make and change them, the operations that answer for
// them, objects taken out of the scene, actors' host actions, and their marks
// in the picture of a run.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "stage/ops.h"
#include "stage/picture.h"
#include "stage/stage.h"
#include "stage/testing/stage_fixture.h"

namespace {

using stage::Model;
using stage::SceneDescription;
using stagetest::PlayText;

mkPoint3 Position(Model& m, const std::string& name) {
  mkPoint3 p{};
  stage::ObjectOps(m).GetWorldPos(Model::ToHandle<mkSceneObject>(m.FindObject(name)), &p, 0);
  return p;
}

std::vector<std::string> StageNotes(Model& m) {
  std::vector<std::string> notes;
  for (const auto& message : m.messages())
    if (message.kind == stage::MessageKind::kStage) notes.push_back(message.text);
  return notes;
}

TEST(FlockSceneFileTest, ReadsFlocksAndFiremarbles) {
  SceneDescription scene;
  std::vector<std::string> errors;
  ASSERT_TRUE(
      stage::ParseScene("flock Bugs at 1 2 3 speed 2.5 goal Hive radius 2\n"
                        "firemarble M1 at 4 0 0 lit\nfiremarble M2\n"
                        "actor Eat do unlight the_target\nactor Eat do goal the_bug_flock Hive\n"
                        "at 3 light M2\nat 4 unlight M1\nat 5 goal Bugs M1\nat 6 remove M2\n",
                        &scene, &errors))
      << errors[0];
  ASSERT_EQ(scene.objects.size(), 3u);
  const stage::ObjectSpec& bugs = scene.objects[0];
  EXPECT_TRUE(bugs.flock);
  EXPECT_FLOAT_EQ(bugs.flockSpeed, 2.5f);
  EXPECT_EQ(bugs.flockGoal, "Hive");
  EXPECT_FLOAT_EQ(bugs.position.fZ, 3.0f);
  EXPECT_TRUE(scene.objects[1].fireMarble && scene.objects[1].light && scene.objects[1].lit);
  EXPECT_TRUE(scene.objects[2].fireMarble && !scene.objects[2].lit);
  ASSERT_EQ(scene.actors.size(), 1u);
  EXPECT_EQ(scene.actors[0].steps[1],
            (std::vector<std::string>{"do", "goal", "the_bug_flock", "Hive"}));
  ASSERT_EQ(scene.timeline.size(), 4u);
  EXPECT_EQ(scene.timeline[3].verb, "remove");
}

TEST(FlockSceneFileTest, ReportsBadLines) {
  SceneDescription scene;
  std::vector<std::string> errors;
  EXPECT_FALSE(
      stage::ParseScene("flock A speed -1\n"
                        "firemarble B speed 2\n"
                        "object C lit\n"
                        "at 1 light\n"
                        "at 1 goal A\n"
                        "actor D do\n"
                        "actor D do frobnicate X\n"
                        "actor D do light X Y\n",
                        &scene, &errors));
  EXPECT_EQ(errors, (std::vector<std::string>{
                        "1: speed must be 0 or more",
                        "2: unknown object property 'speed'",
                        "3: unknown object property 'lit'",
                        "4: wrong words for 'at ... light'",
                        "5: wrong words for 'at ... goal'",
                        "6: 'do' needs a timeline verb",
                        "7: unknown timeline verb 'frobnicate'",
                        "8: wrong words for 'at ... light'",
                    }));
}

TEST(FlockOpsTest, AnswerForFlocksAndFiremarblesOnly) {
  auto played = PlayText("frames 0\nflock Bugs\nfiremarble M lit\nobject Rock\n");
  Model& model = played->model();
  stage::FlockOps flocks(model);
  auto* bugs = Model::ToHandle<mkSceneObject>(model.FindObject("Bugs"));
  auto* marble = Model::ToHandle<mkSceneObject>(model.FindObject("M"));
  auto* rock = Model::ToHandle<mkSceneObject>(model.FindObject("Rock"));
  EXPECT_EQ(flocks.IsFlock(bugs), 1);
  EXPECT_EQ(flocks.IsFlock(marble), 0);
  EXPECT_EQ(flocks.IsFireMarble(marble), 1);
  EXPECT_EQ(flocks.IsFireMarble(rock), 0);
  EXPECT_EQ(stage::ObjectOps(model).IsLight(marble), 1);
  EXPECT_EQ(flocks.GetFlockManagerByID("Bugs"), Model::ToHandle<egFlockManager>(bugs));
  EXPECT_EQ(flocks.GetFlockManagerByID("Rock"), nullptr);
  EXPECT_EQ(flocks.GetFlockManagerByID(nullptr), nullptr);
  auto* fm = reinterpret_cast<egFireMarble*>(marble);
  EXPECT_EQ(flocks.FMIsLit(fm), 1);
  flocks.FMUnLight(fm);
  EXPECT_EQ(flocks.FMIsLit(fm), 0);
  flocks.FMLight(reinterpret_cast<egFireMarble*>(rock));  // not a firemarble: nothing
  EXPECT_EQ(flocks.FMIsLit(reinterpret_cast<egFireMarble*>(rock)), 0);
  int foreign = 0;
  EXPECT_EQ(flocks.FMIsLit(reinterpret_cast<egFireMarble*>(&foreign)), 0);

  // The goal is the object that the goal key names, now.
  auto* flock = Model::ToHandle<egFlockManager>(bugs);
  EXPECT_EQ(flocks.FlockGetGoal(flock), nullptr);
  model.AddVariable("the_goal", model.FindObject("Rock"));
  mkRegistryKey* key = model.FindKey("the_goal");
  flocks.FlockSetGoalKey(flock, key);
  EXPECT_EQ(flocks.FlockGetGoal(flock), rock);
  stage::KeyOps(model).VarSetTo(key, marble);
  EXPECT_EQ(flocks.FlockGetGoal(flock), marble);
  mkPoint3 c{9, 9, 9};
  EXPECT_EQ(flocks.FlockGetCentroid(Model::ToHandle<egFlockManager>(rock), &c), 0);
  EXPECT_EQ(flocks.FlockGetCentroid(flock, &c), 1);
  EXPECT_FLOAT_EQ(c.fX, 0.0f);
}

// A flock flies straight to its goal at its speed and stops there; when the
// goal leaves the scene it stays where it is.
TEST(FlockMotionTest, FliesToItsGoalAndStops) {
  auto played = PlayText(
      "frames 4\nframetime 0.5\n"
      "object Hive at 0 0 0\nobject Far at 0 30 0\n"
      "flock Bugs at 3 4 0 speed 4 goal Hive\nflock Gnats at 0 10 0 speed 4 goal Far\n"
      "at 2 remove Far\n");
  Model& m = played->model();
  EXPECT_FLOAT_EQ(Position(m, "Bugs").fX, 0.0f);  // 5 units: there after 1.25 s
  EXPECT_FLOAT_EQ(Position(m, "Bugs").fY, 0.0f);
  EXPECT_FLOAT_EQ(Position(m, "Gnats").fY, 14.0f);  // two frames of 2 units
}

TEST(FlockTimelineTest, LightsGoalsAndRemovals) {
  auto played = PlayText(
      "frames 3\nframetime 1\n"
      "object Hive at 10 0 0\nobject Rock\nflock Bugs speed 100\n"
      "firemarble M1\nfiremarble M2 lit\nvariable the_target M2\n"
      "at 0 light M1\nat 0 unlight M2\nat 0 light Rock\nat 0 goal Bugs Hive\n"
      "at 0 goal Rock Hive\nat 1 remove M2\nat 1 remove M2\nat 2 light Ghost\n");
  Model& m = played->model();
  EXPECT_EQ(m.FindObject("M1")->lit, 1);
  EXPECT_FLOAT_EQ(Position(m, "Bugs").fX, 10.0f);
  EXPECT_EQ(m.FindObject("M2"), nullptr);
  EXPECT_EQ(m.FindKey("M2"), nullptr);
  EXPECT_EQ(m.FindKey("the_target")->fObject, nullptr);
  EXPECT_EQ(StageNotes(m), (std::vector<std::string>{
                               "Rock is not a firemarble", "Rock is not a flock", "removed M2",
                               "no object named M2 (line 15)", "no object named Ghost (line 16)"}));
}

// The handle of a removed object is answered like any unknown pointer.
TEST(FlockTimelineTest, RemovedObjectsAreNotFound) {
  auto played = PlayText("frames 0\nobject Hall\nobject Door parent Hall\nfiremarble M lit\n");
  Model& m = played->model();
  stage::SceneObject* marble = m.FindObject("M");
  auto* handle = Model::ToHandle<mkSceneObject>(marble);
  EXPECT_FALSE(m.RemoveObject(m.FindObject("Hall")));  // has a child
  ASSERT_TRUE(m.RemoveObject(marble));
  EXPECT_FALSE(m.RemoveObject(marble));
  stage::StageSceneApi& api = played->api();
  EXPECT_EQ(api.GetEnable(handle), 0);
  EXPECT_EQ(api.IsFireMarble(handle), 0);
  EXPECT_EQ(api.FMIsLit(reinterpret_cast<egFireMarble*>(handle)), 0);
  EXPECT_EQ(api.GetSceneObjectByID("M"), nullptr);
  EXPECT_EQ(m.trace().lines().front(), "@0 GetEnable(?) -> 0");
  EXPECT_EQ(StageNotes(m).back(), "removed M");
}

// An actor's host actions read the scene variables when the actor starts:
// two actors started one after the other with the variable pointing at
// different firemarbles put out one each.
TEST(FlockActorTest, HostActionsReadVariablesWhenTheActorStarts) {
  auto played = PlayText(
      "frames 1\n"
      "firemarble M1 lit\nfiremarble M2 lit\nfiremarble M3 lit\nvariable the_target\n"
      "actor Eat do unlight the_target\n");
  Model& m = played->model();
  stage::KeyOps keys(m);
  stage::ActorOps actors(m);
  mkRegistryKey* target = m.FindKey("the_target");
  auto* eat = actors.GetTrigActorByID("Eat");
  keys.VarSetTo(target, Model::ToHandle<mkSceneObject>(m.FindObject("M1")));
  actors.ExecActor(eat, nullptr, 1, -1);
  keys.VarSetTo(target, Model::ToHandle<mkSceneObject>(m.FindObject("M3")));
  actors.ExecActor(eat, nullptr, 1, -1);
  played->RunFrame(SceneDescription{}, 1);
  EXPECT_EQ(m.FindObject("M1")->lit, 0);
  EXPECT_EQ(m.FindObject("M2")->lit, 1);
  EXPECT_EQ(m.FindObject("M3")->lit, 0);
  const auto& trace = m.trace().lines();
  EXPECT_NE(std::find(trace.begin(), trace.end(), "@1 >do(\"unlight\", \"M1\")"), trace.end());
  EXPECT_NE(std::find(trace.begin(), trace.end(), "@1 >do(\"unlight\", \"M3\")"), trace.end());
  EXPECT_EQ(StageNotes(m),
            (std::vector<std::string>{"actor Eat", "actor Eat", "do unlight M1", "do unlight M3"}));
}

TEST(FlockPictureTest, MarksFiremarblesLitAndDark) {
  stage::RunPicture picture;
  auto played = PlayText(
      "frames 3\nfiremarble Burning lit\nfiremarble Out lit\nfiremarble Cold at 3 0 0\n"
      "flock Bugs at 5 5 0 speed 10 goal Cold\nat 1 unlight Out\n",
      &picture);
  const std::string svg = picture.Svg(played->model());
  EXPECT_NE(svg.find("fill=\"#ffcc00\" stroke=\"#ff9900\" stroke-width=\"3\"/>"),
            std::string::npos);
  EXPECT_NE(svg.find(">Burning (lit)</text>"), std::string::npos);
  EXPECT_NE(svg.find(">Out (went out)</text>"), std::string::npos);
  EXPECT_NE(svg.find("fill=\"#333333\" stroke=\"#555555\"/>"), std::string::npos);
  EXPECT_NE(svg.find(">Cold (dark)</text>"), std::string::npos);
  EXPECT_NE(svg.find(">Bugs</text>"), std::string::npos);  // its path
}

}  // namespace
