#!/bin/sh
# Builds and runs the benchmarks and prints each figure beside its goal:
# the steering step (30 boids in sight of each other; 200, 1,000 and 10,000
# boids over a room), the creature frame (30 creatures, and 300 in bands
# beside 30), the per-frame scene-interface calls of the stage, and the stage
# playing the creature and the crowd example scenes with --quiet (frames per
# second, and memory after 100,000 and after STAGE_FRAMES frames, 1,000,000
# unless set; the crowd scene CROWD_FRAMES, 100,000 unless set). Each
# benchmark runs REPETITIONS times (5 unless set) and its median is shown.
# Timings are CPU time; on a loaded machine they are noisy, so the load
# average is printed with them.
set -eu
cd "$(dirname "$0")/.."
repetitions=${REPETITIONS:-5}
frames=${STAGE_FRAMES:-1000000}
crowdFrames=${CROWD_FRAMES:-100000}
cmake --preset default >/dev/null
cmake --build --preset default --target kit_boids_benchmark hopkin_benchmark stage_benchmark stage >/dev/null
out=build/default/benchmarks
mkdir -p "$out"
for program in stage/boids/kit_boids_benchmark hopkin/hopkin_benchmark stage/stage_benchmark; do
  build/default/$program --benchmark_repetitions="$repetitions" \
    --benchmark_report_aggregates_only=true --benchmark_format=json \
    --benchmark_out="$out/$(basename $program).json" --benchmark_out_format=json >/dev/null
done
exec python3 - "$out" "$frames" "$crowdFrames" <<'PYTHON'
import json, os, shutil, subprocess, sys

out, frames, crowdFrames = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
medians = {}
for name in ("kit_boids_benchmark", "hopkin_benchmark", "stage_benchmark"):
    with open(f"{out}/{name}.json") as f:
        for b in json.load(f)["benchmarks"]:
            # With one repetition there is no median: the run itself.
            if b.get("aggregate_name") == "median" or b.get("run_type") == "iteration":
                medians[b["run_name"]] = b

def row(figure, value, unit, goal, met):
    print(f"{figure:<58} {value:>10.3f} {unit:<10} goal {goal:<14} {'met' if met else 'NOT MET'}")

def counter(run, name):
    return medians[run][name]

print(f"Medians of {next(iter(medians.values())).get('repetitions', 1)} repetitions (CPU time), "
      f"load average {os.getloadavg()[0]:.1f}")
# The library's own time: the frame through the direct interface less that
# interface's own calls, made again on their own.
def library(frame, calls):
    step = counter(frame, "us_per_boid")
    interface = counter(calls, "us_per_boid")
    return step - interface, step, interface

def detail(step, interface):
    print(f"{'  (frame through the direct interface ' + format(step, '.3f') + ', its calls ' + format(interface, '.3f') + ')':<58}")

v, step, interface = library("BM_FlockFrameLibrary", "BM_FlockFrameCalls")
row("boid step, 30 in sight, library's own time", v, "us/boid", "<= 0.15", v <= 0.15)
detail(step, interface)
v = counter("BM_FlockFrame", "us_per_boid")
print(f"{'  the same through the stage scene interface':<58} {v:>10.3f} us/boid")
# 10,000 has no goal of its own for the library's time: the goal is the
# flat cost through the stage, below.
for n, goal in ((200, 0.3), (1000, 0.5), (10000, None)):
    v, step, interface = library(f"BM_RoomFrameLibrary/{n}", f"BM_RoomFrameCalls/{n}")
    figure = f"boid step, {n:,} over a room, library's own time"
    if goal is None:
        print(f"{figure:<58} {v:>10.3f} us/boid")
    else:
        row(figure, v, "us/boid", f"<= {goal}", v <= goal)
    detail(step, interface)
for n in (200, 1000, 10000):
    v = counter(f"BM_RoomFrame/{n}", "us_per_boid")
    row(f"boid step, {n:,} over a room, through the stage", v, "us/boid", "<= 0.25", v <= 0.25)
flat = counter("BM_RoomFrame/10000", "us_per_boid") / counter("BM_RoomFrame/200", "us_per_boid")
row("  10,000 against 200 boids, through the stage (per boid)", flat, "times", "<= 1.2", flat <= 1.2)
calls = ["GetWorldPos", "GetWorldAxes", "GetEnable", "DoesLineCollide", "KeyGetName", "ObjectGetKey"]
for i, call in enumerate(calls):
    small = medians[f"BM_SceneCall/call:{i}/objects:30"]["cpu_time"]
    large = medians[f"BM_SceneCall/call:{i}/objects:3000"]["cpu_time"]
    allocs = medians[f"BM_SceneCall/call:{i}/objects:3000"]["allocs_per_call"]
    print(f"{'scene call ' + call + ', 30 / 3000 objects':<58} {small:>6.1f} / {large:<6.1f} ns    "
          f"allocs {allocs:g}")
v = counter("BM_CreatureFrame", "us_per_frame")
row("creature frame, 30 creatures", v, "us/frame", "<= 15", v <= 15)
small = counter("BM_CrowdFrame/30/iterations:900", "us_per_creature")
v = counter("BM_CrowdFrame/300/iterations:900", "us_per_creature")
row("creature frame, 300 creatures in bands of 30", v, "us/each", "<= 0.5", v <= 0.5)
print(f"{'  the same, 30 creatures':<58} {small:>10.3f} us/each")
row("  300 against 30 creatures (per creature)", v / small, "times", "<= 1.2", v / small <= 1.2)
v = counter("BM_CreatureScene", "frames_per_second")
row("stage, creature scene, steady-state frames", v, "frames/s", ">= 20000", v >= 20000)
v = counter("BM_CrowdScene/iterations:3000", "frames_per_second")
row("stage, crowd scene (300 creatures), steady-state frames", v, "frames/s", ">= 2000", v >= 2000)
allocs = max(counter(r, "allocs_per_frame") for r in medians if "allocs_per_frame" in medians[r])
row("allocations per steady-state frame (every benchmark)", allocs, "", "0", allocs == 0)

# The stage runs under a Python of its own, whose only child it is, so that
# the peak resident size reported is the stage's.
MEASURE = """import resource, subprocess, sys, time
start = time.monotonic()
subprocess.run(sys.argv[1:], check=True, stdout=subprocess.DEVNULL)
usage = resource.getrusage(resource.RUSAGE_CHILDREN)
print(time.monotonic() - start, usage.ru_utime + usage.ru_stime, usage.ru_maxrss)"""

# GNU time, where there is one, measures the stage alone.
TIME = shutil.which("time", path="/usr/bin")

def play(n, scene="scenes/hopkin.scene"):
    stage = ["build/default/stage/stage", "--quiet", "--frames", str(n), scene]
    if TIME:
        result = subprocess.run([TIME, "-f", "%e %U %S %M", *stage], check=True, text=True,
                                stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        seconds, user, system, rss = result.stderr.split()[-4:]
        cpu = float(user) + float(system)
    else:
        result = subprocess.run([sys.executable, "-c", MEASURE, *stage],
                                check=True, capture_output=True, text=True)
        seconds, cpu, rss = result.stdout.split()
    # The wall clock, the processor time (which a loaded machine does not
    # stretch) and the peak resident size.
    return float(seconds), float(cpu), int(rss)

seconds, cpu, shortRss = play(100000)
row("stage --quiet, 100,000 frames (wall clock, with start-up)", 100000 / seconds, "frames/s",
    ">= 20000", 100000 / seconds >= 20000)
seconds, cpu, longRss = play(frames)
row(f"stage --quiet, {frames:,} frames (wall clock, with start-up)", frames / seconds, "frames/s",
    ">= 20000", frames / seconds >= 20000)
print(f"{'stage memory (peak resident) at 100,000 / ' + format(frames, ',') + ' frames':<58} "
      f"{shortRss} / {longRss} KB   goal flat   {'met' if longRss - shortRss <= 256 else 'NOT MET'}")

crowd = "scenes/crowd.scene"
seconds, cpu, shortRss = play(1000, crowd)
seconds, cpu, longRss = play(crowdFrames, crowd)
row(f"stage --quiet, crowd scene, {crowdFrames:,} frames (wall clock)", crowdFrames / seconds,
    "frames/s", ">= 2000", crowdFrames / seconds >= 2000)
row("  the same in processor time", crowdFrames / cpu, "frames/s", ">= 2000",
    crowdFrames / cpu >= 2000)
print(f"{'crowd scene memory (peak resident) at 1,000 / ' + format(crowdFrames, ',') + ' frames':<58} "
      f"{shortRss} / {longRss} KB   goal flat   {'met' if longRss - shortRss <= 256 else 'NOT MET'}")
PYTHON
