#!/bin/sh
# Runs a command (the test suite of the asan preset) with the sanitizers'
# options of the project:
#
#   tools/sanitizers.sh ctest --preset asan -j2
#
# - Any finding stops the program with a failure (halt_on_error, and the
#   build's -fno-sanitize-recover=all for UndefinedBehaviorSanitizer).
# - Leaks are checked (detect_leaks=1) with the suppressions of
#   tools/lsan.supp: the embedded Python interpreter keeps memory that the
#   leak checker cannot follow.
# - Plug-ins are unloaded by the stage before the process ends; the leak
#   report then cannot name their frames, so the stage's tests keep the
#   address ranges of unloaded libraries readable (fast_unwind_on_malloc=0
#   gives full stacks).
set -eu
here=$(cd "$(dirname "$0")" && pwd)
ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:abort_on_error=0:strict_string_checks=1:detect_stack_use_after_return=1:check_initialization_order=1${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"
LSAN_OPTIONS="suppressions=$here/lsan.supp:print_suppressions=0:fast_unwind_on_malloc=0${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
export ASAN_OPTIONS UBSAN_OPTIONS LSAN_OPTIONS
exec "$@"
