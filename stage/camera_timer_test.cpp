// The stage's cameras, timers, behaviour frames and physical state, the
// scene-file statements and timeline verbs that set them up, and cameras in
// the picture.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
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

std::vector<std::string> Notes(stage::Stage& played) {
  std::vector<std::string> notes;
  for (const auto& m : played.model().messages()) notes.push_back(stage::FormatMessage(m));
  return notes;
}

TEST(StageCameraTest, ANullCameraIsTheCurrentOne) {
  auto played = PlayText(
      "frames 0\ncamera Eye at 0 -10 2 lookat 0 0 1 fov 50 mode drive\n"
      "object Side camera at 5 0 0\nobject Rock\n");
  Model& m = played->model();
  stage::CameraOps cameras(m);
  mkPoint3 from{}, at{};
  mkScalar fov = 0;
  cameras.CamGetGoals(nullptr, &from, &at, &fov, nullptr);
  EXPECT_EQ(from.fY, -10.0f);
  EXPECT_EQ(at.fZ, 1.0f);
  EXPECT_EQ(fov, 50.0f);
  EXPECT_EQ(cameras.CamGetMode(nullptr), stage::kCameraDrive);
  EXPECT_EQ(cameras.CamIsDriveMode(cameras.CamGetMode(nullptr)), 1);
  EXPECT_EQ(cameras.CamIsFollowMode(stage::kCameraDrive), 0);
  // Another camera answers for itself; it looks along x by default.
  auto* side = Model::ToHandle<egCamera>(m.FindObject("Side"));
  cameras.CamGetAt(side, &at);
  EXPECT_EQ(at.fX, 6.0f);
  EXPECT_EQ(cameras.CamGetMode(side), stage::kCameraFixed);
  // An object that is no camera is none.
  fov = -1;
  cameras.CamGetFOV(Model::ToHandle<egCamera>(m.FindObject("Rock")), &fov);
  EXPECT_EQ(fov, -1.0f);
  // Goals move the camera; values that are not finite are refused.
  mkPoint3 goal{1, 2, 3};
  cameras.CamSetFromGoal(nullptr, &goal);
  mkPoint3 bad{NAN, 0, 0};
  cameras.CamSetFromGoal(nullptr, &bad);
  cameras.CamSetAtGoal(nullptr, &bad);
  cameras.CamSetFOV(nullptr, INFINITY, 0);
  cameras.CamGetGoals(nullptr, &from, &at, &fov, nullptr);
  EXPECT_EQ(from.fX, 1.0f);
  EXPECT_EQ(from.fZ, 3.0f);
  EXPECT_EQ(at.fZ, 1.0f);
  EXPECT_EQ(fov, 50.0f);
}

TEST(StageCameraTest, TimelineSwitchesAndReportsCameras) {
  auto played = PlayText(
      "frames 2\ncamera Eye at 0 -10 2 lookat 0 0 1\nobject Side camera at 5 0 0 fov 30\n"
      "object Fan\nbehavior Fan spin frames 10\n"
      "at 0 play Fan spin\nat 1 camera Side\nat 1 report Side\nat 1 report Fan\nat 1 camera Fan\n");
  EXPECT_EQ(played->model().messages().size(), 3u);
  EXPECT_EQ(Notes(*played),
            (std::vector<std::string>{"@1 stage: Side at 5 0 0, looking at 6 0 0, fov 30",
                                      "@1 stage: Fan at 0 0 0, spin at frame 0 playing",
                                      "@1 stage: Fan is not a camera"}));
  EXPECT_EQ(stage::GameOps(played->model()).GetCamera(),
            Model::ToHandle<egCamera>(played->model().FindObject("Side")));
}

TEST(StageTimerTest, ActorsRunWhenTheirDelayHasPassed) {
  auto played = PlayText("frames 0\nframetime 0.5\ntimer Clock\nactor Chime\n");
  Model& m = played->model();
  stage::TimerOps timers(m);
  mkRegistryKey* clock = timers.GetTimerKeyByID("Clock");
  ASSERT_NE(clock, nullptr);
  EXPECT_EQ(timers.GetTimerKeyByID("Nope"), nullptr);
  auto* chime = Model::ToHandle<egTrigActor>(m.FindActor("Chime"));
  timers.ActorTimerRegister(clock, 1.0f, 0, 0, chime, 1);
  timers.ActorTimerRegister(clock, -1.0f, 0, 0, chime, 1);   // refused
  timers.ActorTimerRegister(clock, NAN, 0, 0, chime, 1);     // refused
  timers.ActorTimerRegister(nullptr, 1.0f, 0, 0, chime, 1);  // refused
  m.SetClock(1, 0.5f, 0.5f);
  EXPECT_TRUE(m.TakeDueActors().empty());
  m.SetClock(2, 1.0f, 0.5f);
  const auto due = m.TakeDueActors();
  ASSERT_EQ(due.size(), 1u);
  EXPECT_EQ(due[0].actor->name, "Chime");
  EXPECT_TRUE(m.TakeDueActors().empty());
}

TEST(StageTimerTest, ThePlayRunsTimedActors) {
  auto played = PlayText("plugin \"" KILNXCMD_PLUGIN_PATH
                         "\"\n"
                         "frames 4\nframetime 0.5\ntimer Clock\nactor Chime\n"
                         "at 0 run RandomTimerActor Clock 1 1 Chime\n");
  EXPECT_EQ(Notes(*played),
            (std::vector<std::string>{
                "@0 stage: loaded KilnXcmd: 30 commands, 1 brains, 0 brain classes, version 2.27",
                "@0 stage: actor Chime", "@2 stage: timer Clock runs its actor",
                "@2 stage: actor Chime"}));
}

TEST(StageFramesTest, FramesAreHeldAndLoopPointsReported) {
  auto played =
      PlayText("frames 0\nobject Fan\nbehavior Fan spin frames 10 loop 2 7\nobject Rock\n");
  Model& m = played->model();
  stage::AnimationOps animation(m);
  auto* fan = Model::ToHandle<mkSceneObject>(m.FindObject("Fan"));
  // Without a current behaviour, the first one is the object's.
  mkGBehavior* spin = animation.GetBehaviorFromName(fan, "");
  ASSERT_NE(spin, nullptr);
  EXPECT_EQ(animation.GetBehavior(fan), nullptr);
  EXPECT_EQ(animation.BehGetLoopStart(spin), 2);
  EXPECT_EQ(animation.BehGetLoopEnd(spin), 7);
  animation.AnimPlayToFrame(fan, nullptr, 7, 0, 0, 1, 0, 1.0f, 1, 0);
  EXPECT_EQ(animation.GetBehavior(fan), spin);
  EXPECT_EQ(animation.BehGetLastPlayed(spin), 7);
  EXPECT_EQ(animation.BehGetPlaying(spin, 0.0f, 1), 0);
  EXPECT_EQ(animation.BehGetNextPlayed(spin, 0), 7);  // held
  // Played on from there, the next frame wraps to the loop start.
  animation.AnimContinuePlay(fan, nullptr, 1, 1, 1, 0, 0, 100.0f, 1, 0, 1.0f, 0);
  EXPECT_EQ(animation.BehGetPlaying(spin, 0.0f, 1), 1);
  EXPECT_EQ(animation.BehGetNextPlayed(spin, 0), 2);
  animation.AnimPlayToFrame(fan, nullptr, 99, 0, 0, 1, 0, 1.0f, 1, 0);
  EXPECT_EQ(animation.BehGetLastPlayed(spin), 9);
  animation.AnimPlayToFrame(fan, nullptr, -3, 0, 0, 1, 0, 1.0f, 1, 0);
  EXPECT_EQ(animation.BehGetLastPlayed(spin), 0);
  // An object without behaviours is left alone.
  animation.AnimPlayToFrame(Model::ToHandle<mkSceneObject>(m.FindObject("Rock")), nullptr, 3, 0, 0,
                            1, 0, 1.0f, 1, 0);
  EXPECT_EQ(animation.GetBehavior(Model::ToHandle<mkSceneObject>(m.FindObject("Rock"))), nullptr);
}

TEST(StagePhysicalTest, CurrentsVelocityAndBrainData) {
  auto played = PlayText("frames 0\nobject Boat\n");
  Model& m = played->model();
  stage::PhysicalOps physical(m);
  auto* boat = Model::ToHandle<mkSceneObject>(m.FindObject("Boat"));
  auto* body = Model::ToHandle<egPhysicalSceneObject>(m.FindObject("Boat"));
  EXPECT_EQ(physical.GetCurrentsAffect(boat), 1);
  physical.SetCurrentsAffect(boat, 0);
  EXPECT_EQ(physical.GetCurrentsAffect(boat), 0);
  physical.ToggleCurrentsAffect(boat);
  EXPECT_EQ(physical.GetCurrentsAffect(boat), 1);
  mkVector3 v{1, 2, 3}, bad{NAN, 0, 0}, out{};
  physical.SetExternVelocity(body, &v);
  physical.SetExternVelocity(body, &bad);
  EXPECT_EQ(physical.GetExternVelocity(body, &out), 1);
  EXPECT_EQ(out.fY, 2.0f);
  egBrainData* data = physical.GetBrainData(body);
  ASSERT_NE(data, nullptr);
  int32_t flags = -1;
  std::memcpy(&flags, reinterpret_cast<const char*>(data) + 20, sizeof flags);
  EXPECT_EQ(flags, 0);
  EXPECT_EQ(m.Label(data), "braindata:Boat");
}

TEST(SceneFileCameraTest, BadCameraAndBehaviorWords) {
  for (const char* text :
       {"camera Eye mode flying\n", "camera Eye lookat 1 2\n", "camera Eye fov wide\n",
        "behavior A b loop 5 2\n", "behavior A b loop 1\n", "timer\n", "at 0 camera\n",
        "at 0 report A B\n"}) {
    SceneDescription scene;
    std::vector<std::string> errors;
    EXPECT_FALSE(stage::ParseScene(text, &scene, &errors)) << text;
  }
}

TEST(StagePictureCameraTest, DrawsTheCameraAndItsLookAtLine) {
  stage::RunPicture picture;
  auto played = PlayText(
      "frames 2\ncamera Eye at 0 -10 2 lookat 0 0 1\nat 0 glide Eye 4 -10 2 0.1\n", &picture);
  const std::string svg = picture.Svg(played->model());
  EXPECT_NE(svg.find("<polyline fill=\"none\" stroke=\"#000000\""), std::string::npos);
  EXPECT_NE(svg.find("stroke-dasharray=\"6,4\""), std::string::npos);
  EXPECT_NE(svg.find(">Eye</text>"), std::string::npos);
}

}  // namespace
