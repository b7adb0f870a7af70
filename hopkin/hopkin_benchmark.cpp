// The whole per-frame Update of 30 creatures (flocking, blocker probes,
// nearest player, moods, blend, turning and animation requests); the
// "creature" counter reports the time per creature.
#include <benchmark/benchmark.h>

#include "hopkin/frame_fixture.h"

namespace {

void BM_CreatureFrame(benchmark::State& state) {
  hopkintest::CreatureFrame frame;
  for (int i = 0; i < 30; ++i) frame.Step();  // every creature has its boid
  for (auto _ : state) {
    frame.Step();
    benchmark::DoNotOptimize(frame.brain(0).fVelocity);
  }
  state.counters["creature"] = benchmark::Counter(
      hopkintest::CreatureFrame::kCreatures,
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_CreatureFrame);

}  // namespace

BENCHMARK_MAIN();
