// One frame of the steering step (FlockIt and AvoidBlockers) against 4
// blockers and 2 gathering places:
//   BM_FlockFrame         30 boids in sight of each other, through the
//                         stage's untraced scene interface;
//   BM_FlockFrameLibrary  the same through a scene interface that reads the
//                         objects directly: the boid library's own time;
//   BM_RoomFrame/N        N boids spread over a room (about 5 neighbours
//                         each), through the stage's scene interface;
//   BM_RoomFrameLibrary/N the same through the direct interface;
//   BM_FlockFrameCalls and BM_RoomFrameCalls/N
//                         the calls of one frame through the direct
//                         interface made again on their own (recorded from
//                         a frame of the *Library run): the interface's share,
//                         which the library's own time leaves out.
// The "us_per_boid" counter is the time per boid in microseconds, and
// "allocs_per_frame" the allocations of a timed frame (0 in steady state).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <vector>

#include "stage/boids/frame_fixture.h"
#include "kit/testing/count_allocations.h"

namespace {

// The counters of a timed loop that began with `allocations` counted.
void Report(benchmark::State& state, int boids, long allocations) {
  state.counters["allocs_per_frame"] =
      double(mktest::gAllocations - allocations) / double(state.iterations());
  state.counters["us_per_boid"] =
      benchmark::Counter(double(boids) * 1e-6, benchmark::Counter::kIsIterationInvariantRate |
                                                   benchmark::Counter::kInvert);
}

void Run(benchmark::State& state, int boids, boidtest::Layout layout, bool direct) {
  std::srand(1);
  boidtest::FlockFrame frame(boids, layout, direct);
  frame.Step();  // every boid has a position
  frame.Step();
  const long before = mktest::gAllocations;
  for (auto _ : state) {
    frame.Step();
    benchmark::DoNotOptimize(frame.boid(0).fVelocity);
  }
  Report(state, boids, before);
}

// The calls of a frame through the direct interface, without the step: the
// third frame of Run's, recorded.
void RunCalls(benchmark::State& state, int boids, boidtest::Layout layout) {
  std::srand(1);
  boidtest::FlockFrame frame(boids, layout, true);
  frame.Step();
  frame.Step();
  std::vector<boidtest::DirectCall> calls;
  frame.direct().Record(&calls);
  frame.Step();
  frame.direct().Record(nullptr);
  egSceneApi* api = &frame.direct();
  const long before = mktest::gAllocations;
  for (auto _ : state) benchmark::DoNotOptimize(boidtest::ReplayCalls(api, calls));
  Report(state, boids, before);
  state.counters["calls_per_boid"] = double(calls.size()) / double(boids);
}

void BM_FlockFrame(benchmark::State& state) {
  Run(state, boidtest::FlockFrame::kBoids, boidtest::Layout::kGrid, false);
}
void BM_FlockFrameLibrary(benchmark::State& state) {
  Run(state, boidtest::FlockFrame::kBoids, boidtest::Layout::kGrid, true);
}
void BM_RoomFrame(benchmark::State& state) {
  Run(state, int(state.range(0)), boidtest::Layout::kRoom, false);
}
void BM_RoomFrameLibrary(benchmark::State& state) {
  Run(state, int(state.range(0)), boidtest::Layout::kRoom, true);
}
void BM_FlockFrameCalls(benchmark::State& state) {
  RunCalls(state, boidtest::FlockFrame::kBoids, boidtest::Layout::kGrid);
}
void BM_RoomFrameCalls(benchmark::State& state) {
  RunCalls(state, int(state.range(0)), boidtest::Layout::kRoom);
}
BENCHMARK(BM_FlockFrame);
BENCHMARK(BM_FlockFrameLibrary);
BENCHMARK(BM_FlockFrameCalls);
BENCHMARK(BM_RoomFrame)->Arg(200)->Arg(1000)->Arg(10000);
BENCHMARK(BM_RoomFrameLibrary)->Arg(200)->Arg(1000)->Arg(10000);
BENCHMARK(BM_RoomFrameCalls)->Arg(200)->Arg(1000)->Arg(10000);

}  // namespace

BENCHMARK_MAIN();
