#!/bin/sh
# Runs a fuzz target of fuzz/ (built by the fuzz preset) for a while:
#
#   tools/fuzz.sh TARGET SECONDS     one target, e.g. tools/fuzz.sh scene 3600
#   tools/fuzz.sh all SECONDS        every target in turn, SECONDS each
#   tools/fuzz.sh --list             the targets
#
# TARGET is the name without "fuzz_" (tunables, stream_text, dev_mode,
# win_init, hardware_profile, scene, script_pointer). The run starts from the
# seeds in fuzz/corpus/TARGET and the inputs found by earlier runs in
# build/fuzz-corpus/TARGET, where it adds what it finds (the seeds in the
# repository are never written), and uses the keywords of
# fuzz/dict/TARGET.dict. An input that crashes the target, breaks one of its
# checks, leaks, allocates more than 64 MB at once or runs longer than 10
# seconds is written to build/fuzz-findings/TARGET/ and the script fails.
# Inputs are kept to a size per target (max_len below) that holds every
# construct of the format several times over: the readers cost time per
# byte, and short inputs keep each target above 10,000 runs a second
# (docs/robustness.md).
# FUZZ_FRESH=1 starts from the seeds alone (the test command does so).
# Extra libFuzzer options may follow SECONDS (e.g. -jobs=2 -workers=2).
set -eu
cd "$(dirname "$0")/.."
build=build/fuzz/fuzz
targets="tunables stream_text dev_mode win_init hardware_profile scene script_pointer"

usage() {
  echo "usage: tools/fuzz.sh TARGET|all SECONDS [libFuzzer options] | --list" >&2
  exit 2
}

if [ "${1:-}" = "--list" ]; then
  for target in $targets; do echo "$target"; done
  exit 0
fi
[ $# -ge 2 ] || usage
which=$1
seconds=$2
shift 2
case $seconds in '' | *[!0-9]*) usage ;; esac
if [ "$which" = all ]; then
  chosen=$targets
else
  chosen=$which
  case " $targets " in *" $which "*) ;; *) echo "tools/fuzz.sh: no target $which" >&2; usage ;; esac
fi

status=0
for target in $chosen; do
  program=$build/fuzz_$target
  if [ ! -x "$program" ]; then
    echo "tools/fuzz.sh: $program is not built (cmake --preset fuzz && cmake --build --preset fuzz)" >&2
    exit 1
  fi
  if [ "${FUZZ_FRESH:-0}" = 1 ]; then
    work=$(mktemp -d)
  else
    work=build/fuzz-corpus/$target
    mkdir -p "$work"
  fi
  case $target in
    tunables) max_len=256 ;;
    script_pointer | win_init | scene) max_len=512 ;;
    stream_text) max_len=1024 ;;
    hardware_profile) max_len=2048 ;;
    *) max_len=4096 ;;
  esac
  findings=build/fuzz-findings/$target
  mkdir -p "$findings"
  echo "== fuzz_$target for $seconds s"
  if "$program" "$work" "fuzz/corpus/$target" -dict="fuzz/dict/$target.dict" \
    -max_total_time="$seconds" -max_len=$max_len -timeout=10 -malloc_limit_mb=64 -rss_limit_mb=2048 \
    -artifact_prefix="$findings/" -print_final_stats=1 "$@" >"$findings/log" 2>&1; then
    grep -E '^(#[0-9]+[[:space:]]+DONE|stat::number_of_executed_units|stat::average_exec_per_sec)' \
      "$findings/log" || true
  else
    status=1
    tail -n 60 "$findings/log"
    echo "== fuzz_$target FOUND A FAULT: see $findings/ (the input and the log)"
  fi
  if [ "${FUZZ_FRESH:-0}" = 1 ]; then rm -rf "$work"; fi
done
exit $status
