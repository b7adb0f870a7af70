// The whole per-frame Update of creatures (flocking, blocker probes, nearest
// player, moods, blend, turning and animation requests) through the stage's
// untraced scene interface:
//   BM_CreatureFrame   30 creatures in sight of each other, frame after frame;
//   BM_CrowdFrame/N    N creatures in bands of 30 (hopkin/frame_fixture.h),
//                      900 frames (30 seconds of the scene) after 30 frames
//                      in, so that every run times the same frames: the cost
//                      per creature must not grow with N.
// "us_per_frame" is the time of one frame's updates in microseconds,
// "us_per_creature" that of one creature, and "allocs_per_frame" the
// allocations of a timed frame (0 in steady state).
#include <benchmark/benchmark.h>

#include "hopkin/frame_fixture.h"
#include "kit/testing/count_allocations.h"

namespace {

void Run(benchmark::State& state, int creatures) {
  hopkintest::CreatureFrame frame(creatures);
  for (int i = 0; i < 30; ++i) frame.Step();  // every creature has its boid
  const long before = mktest::gAllocations;
  for (auto _ : state) {
    frame.Step();
    benchmark::DoNotOptimize(frame.brain(0).fVelocity);
  }
  state.counters["allocs_per_frame"] =
      double(mktest::gAllocations - before) / double(state.iterations());
  state.counters["us_per_frame"] = benchmark::Counter(
      1e-6, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  state.counters["us_per_creature"] =
      benchmark::Counter(double(creatures) * 1e-6, benchmark::Counter::kIsIterationInvariantRate |
                                                       benchmark::Counter::kInvert);
}

void BM_CreatureFrame(benchmark::State& state) {
  Run(state, hopkintest::CreatureFrame::kCreatures);
}
void BM_CrowdFrame(benchmark::State& state) {
  Run(state, int(state.range(0)));
}
BENCHMARK(BM_CreatureFrame);
BENCHMARK(BM_CrowdFrame)->Arg(30)->Arg(300)->Iterations(900);

}  // namespace

BENCHMARK_MAIN();
