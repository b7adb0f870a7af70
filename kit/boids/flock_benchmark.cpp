// One frame of the steering step (FlockIt and AvoidBlockers) for 30 boids
// against 4 blockers and 2 gathering places; the "boid" counter reports the
// time per boid.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "kit/boids/frame_fixture.h"

namespace {

void BM_FlockFrame(benchmark::State& state) {
  std::srand(1);
  boidtest::FlockFrame frame;
  frame.Step();  // every boid has a position
  for (auto _ : state) {
    frame.Step();
    benchmark::DoNotOptimize(frame.boid(0).fVelocity);
  }
  state.counters["boid"] = benchmark::Counter(
      boidtest::FlockFrame::kBoids,
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_FlockFrame);

}  // namespace

BENCHMARK_MAIN();
