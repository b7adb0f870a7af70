// A steady-state frame of a beetle and a periscope allocates nothing. This
// program replaces the global allocation functions with counting ones. The
// brains run on the stage's model through its untraced scene interface and
// a host brain and controller of this test that record nothing, so that only
// the brains' own work is counted.
#include <gtest/gtest.h>

#include "grove/grove.h"
#include "kit/testing/count_allocations.h"
#include "stage/model.h"
#include "stage/quiet_api.h"

namespace {

class QuietController final : public egGameController {
 public:
  QuietController() {
    fCursorKey = nullptr;
    fFlags = 2;
    fMovement = {0.0f, 1.0f, 0.0f};
    fAttitude = {0.0f, 0.0f, 0.0f};
  }
  void ResetInputStates() override {}
  int32_t isKeyDown(int32_t) override { return 0; }
  void SetScalarInputState(int32_t, float, const char*) override {}
};

// A host brain that answers its owner and controller and does nothing else.
class QuietHostBrain final : public egBrain {
 public:
  QuietHostBrain(stage::SceneObject* owner, egGameController* controller)
      : owner_(owner), controller_(controller) {}
  egPhysicalSceneObject* GetOwner() override { return As<egPhysicalSceneObject>(); }
  egCharacter* GetOwnerChar() override { return As<egCharacter>(); }
  egMovingSceneObject* GetOwnerMove() override { return As<egMovingSceneObject>(); }
  mkSceneObject* GetOwnerObj() override { return As<mkSceneObject>(); }
  int32_t GetFlags() override { return 0; }
  egGameController* GetController() override { return controller_; }
  egBrainDll* GetBrainDll() override { return nullptr; }
  void SetPluginCall(int32_t) override {}
  int32_t Update(float) override { return 0; }
  int32_t PreUpdate(float) override { return 0; }
  int32_t Reset() override { return 0; }
  int32_t SendParams(int32_t, const char**) override { return 0; }
  int32_t PrepareToDetach() override { return 0; }
  int32_t PrepareToAttach(int32_t) override { return 0; }
  int32_t CanCollideWith(mkSceneObject*) override { return 1; }
  int32_t ReportCollision(mkSceneObject*, mkSceneObject*) override { return 0; }
  int32_t WantGravity() override { return 1; }
  int32_t StartBehavior(float, mkGBehavior*) override { return 0; }
  void PersonaChanged() override {}
  void SetFalling() override {}
  void UpdateGoals() override {}
  mkVector3* AdjustVectorA(mkVector3* result, const mkVector3& v) override {
    *result = v;
    return result;
  }
  mkVector3* AdjustVectorB(mkVector3* result, const mkVector3& v) override {
    *result = v;
    return result;
  }
  mkVector3* AdjustVectorC(mkVector3* result, const mkVector3& v) override {
    *result = v;
    return result;
  }
  int32_t ApplyValue(int32_t) override { return 0; }
  void GetIn() override {}
  void WriteState(mkStream*) override {}
  void ReadState(mkStream*) override {}

 private:
  template <class Handle>
  Handle* As() {
    return stage::Model::ToHandle<Handle>(owner_);
  }
  stage::SceneObject* owner_;
  egGameController* controller_;
};

TEST(GroveAllocationTest, SteadyStateFramesAllocateNothing) {
  stage::Model model;
  stage::QuietSceneApi api(model);
  stage::SceneObject* beetle = model.AddObject("Beetle", nullptr, {0, 0, 0});
  beetle->character = beetle->viewAxes = true;
  model.AddBehavior(beetle, "idle");
  stage::SceneObject* visitor = model.AddObject("Visitor", nullptr, {0, -60, 0});
  visitor->character = visitor->viewAxes = true;
  model.SetPlayer(visitor);
  model.Play(model.AddBehavior(visitor, "wait"));
  stage::SceneObject* periscope = model.AddObject("Periscope", nullptr, {20, 0, 2});
  periscope->viewAxes = true;
  stage::SceneObject* camera = model.AddObject("Eye", periscope, {0, 0, 0});
  camera->viewAxes = true;
  model.SetCamera(camera);
  model.AddVariable("PeriscopeMaster", model.AddObject("Master", nullptr, {0, 0, 0}));
  model.AddVariable("PeriscopeCeiling", model.AddObject("Ceiling", nullptr, {0, 0, 1000}));
  model.AddVariable("PeriscopeFloor", model.AddObject("Floor", nullptr, {0, 0, 0}));
  model.AddVariable("TheSun", model.AddObject("Sun", nullptr, {20, -1000, 2}));
  model.AddVariable("PeriscopeFilter", model.AddObject("Filter", nullptr, {0, 0, 0}));
  stage::SceneObject* dish = model.AddObject("Dish", nullptr, {30, 0, 0});
  dish->viewAxes = true;
  model.AddVariable("PeriscopeDish", dish);

  QuietController controller;
  QuietHostBrain beetleHost(beetle, &controller), periscopeHost(periscope, &controller);
  BeetleBrain beetleBrain;
  PeriscopeBrain periscopeBrain;
  beetleBrain.fSceneApi = periscopeBrain.fSceneApi = &api;
  beetleBrain.fBrain = &beetleHost;
  periscopeBrain.fBrain = &periscopeHost;
  beetleBrain.fRunSpeed = 30.0f;

  int32_t frame = 0;
  auto step = [&] {
    const float dt = 0.05f;
    model.SetClock(frame, float(frame) * dt, dt);
    beetleBrain.Update(dt);
    periscopeBrain.Update(dt);
    model.Advance(dt);
    ++frame;
  };
  for (int i = 0; i < 30; ++i) step();
  const mkPoint3 before{periscope->local.m[0][3], periscope->local.m[1][3],
                        periscope->local.m[2][3]};
  const long allocations = mktest::gAllocations;
  for (int i = 0; i < 60; ++i) step();
  EXPECT_EQ(mktest::gAllocations - allocations, 0);
  // The frames did work: the periscope rose and the filter followed the
  // view, the beetle walked up.
  EXPECT_GT(periscope->local.m[2][3], before.fZ);
  EXPECT_EQ(periscopeBrain.fFilterFrame, 100);
  EXPECT_GT(beetle->local.m[1][3], -60.0f);
  EXPECT_LT(beetle->local.m[1][3], -1.0f);
}

}  // namespace
