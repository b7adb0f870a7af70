// The stage's own costs:
//   BM_CreatureScene      a frame of scenes/hopkin.scene as `stage --quiet`
//                         plays it ("frames_per_second"), past the scene's
//                         own 600 frames, when the creatures have run off;
//   BM_CrowdScene         the same for scenes/crowd.scene (300 creatures);
//   BM_SceneCall/OP/N     one scene-interface call of the per-frame path,
//                         through the stage's interface with the trace off,
//                         on a model of N objects: the cost must not grow
//                         with N.
// "allocs_per_frame" and "allocs_per_call" count the allocations of the
// timed loop (0 in steady state).
#include <benchmark/benchmark.h>

#include <string>

#include "kit/testing/count_allocations.h"
#include "stage/model.h"
#include "stage/scene_api.h"
#include "stage/scene_frames.h"

namespace {

// Frames of a scene after its first `skip`.
void PlayScene(benchmark::State& state, const char* scene, int skip) {
  stagetest::SceneFrames frames(std::string(TESSERA_SOURCE_DIR "/scenes/") + scene,
                                HOPKIN_PLUGIN_PATH);
  if (!frames.ok()) {
    state.SkipWithError("the scene does not play");
    return;
  }
  for (int i = 0; i < skip; ++i) frames.Step();
  const long before = mktest::gAllocations;
  for (auto _ : state) frames.Step();
  state.counters["allocs_per_frame"] =
      double(mktest::gAllocations - before) / double(state.iterations());
  state.counters["frames_per_second"] =
      benchmark::Counter(1.0, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_CreatureScene(benchmark::State& state) {
  PlayScene(state, "hopkin.scene", 700);
}
BENCHMARK(BM_CreatureScene);
// The crowd's own 600 frames (the visitor walks past the bands and runs
// off), then the same 3,000 frames in every run.
void BM_CrowdScene(benchmark::State& state) {
  PlayScene(state, "crowd.scene", 600);
}
BENCHMARK(BM_CrowdScene)->Iterations(3000);

enum Call { kWorldPos, kWorldAxes, kEnable, kLineTest, kKeyName, kKeyObject };

void BM_SceneCall(benchmark::State& state) {
  stage::Model model;
  stage::StageSceneApi api(model);
  model.trace().keep = false;
  const int objects = int(state.range(1));
  stage::SceneObject* target = nullptr;
  for (int i = 0; i < objects; ++i) {
    stage::SceneObject* o =
        model.AddObject("Object" + std::to_string(i), nullptr, {float(i), 0.0f, 0.0f});
    if (i == objects / 2) target = o;
  }
  auto* handle = stage::Model::ToHandle<mkSceneObject>(target);
  mkRegistryKey* key = target->key;
  mkPoint3 point = {0, 0, 0}, from = {float(objects / 2) - 2.0f, 0.2f, 0.0f},
           to = {float(objects / 2) + 2.0f, 0.2f, 0.0f};
  mkVector3 a = {0, 0, 0}, b = a, c = a;
  const long before = mktest::gAllocations;
  for (auto _ : state) {
    switch (Call(state.range(0))) {
      case kWorldPos:
        benchmark::DoNotOptimize(api.GetWorldPos(handle, &point, 0));
        break;
      case kWorldAxes:
        benchmark::DoNotOptimize(api.GetWorldAxes(handle, &a, &b, &c));
        break;
      case kEnable:
        benchmark::DoNotOptimize(api.GetEnable(handle));
        break;
      case kLineTest:
        benchmark::DoNotOptimize(api.DoesLineCollideWithObject(handle, &from, &to, 0.5f, &a));
        break;
      case kKeyName:
        benchmark::DoNotOptimize(api.KeyGetName(key));
        break;
      case kKeyObject:
        benchmark::DoNotOptimize(api.ObjectGetKey(handle));
        break;
    }
    benchmark::ClobberMemory();
  }
  state.counters["allocs_per_call"] =
      double(mktest::gAllocations - before) / double(state.iterations());
  static const char* const kNames[] = {"GetWorldPos",     "GetWorldAxes", "GetEnable",
                                       "DoesLineCollide", "KeyGetName",   "ObjectGetKey"};
  state.SetLabel(kNames[state.range(0)]);
}
BENCHMARK(BM_SceneCall)
    ->ArgNames({"call", "objects"})
    ->ArgsProduct({{kWorldPos, kWorldAxes, kEnable, kLineTest, kKeyName, kKeyObject}, {30, 3000}});

}  // namespace

BENCHMARK_MAIN();
