// The whole per-frame Update of 30 creatures (flocking, blocker probes,
// nearest player, moods, blend, turning and animation requests) through the
// stage's untraced scene interface. "us_per_frame" is the time of the 30
// updates in microseconds, "us_per_creature" that of one, and
// "allocs_per_frame" the allocations of a timed frame (0 in steady state).
#include <benchmark/benchmark.h>

#include "hopkin/frame_fixture.h"
#include "kit/testing/count_allocations.h"

namespace {

void BM_CreatureFrame(benchmark::State& state) {
  hopkintest::CreatureFrame frame;
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
  state.counters["us_per_creature"] = benchmark::Counter(
      hopkintest::CreatureFrame::kCreatures * 1e-6,
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_CreatureFrame);

}  // namespace

BENCHMARK_MAIN();
