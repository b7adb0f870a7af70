#!/bin/sh
# Installs what is missing (the build tools, the cross compiler and the
# headless browser that the replay page's test drives); checks the sources'
# formatting; builds everything with warnings as errors and runs every test;
# builds the fuzz targets with clang (warnings as errors) and gives each a
# short run over its seeds; runs the whole test suite once more under the
# address and undefined-behaviour sanitizers; then
# cross-compiles the plug-ins for 32-bit Windows, checks their export tables
# against the name lists that the plug-ins give the stage, and calls every
# plug-in under 32-bit Wine as the engine does (tools/run-wine-checks.sh).
set -eu
cd "$(dirname "$0")/.."
. tools/packages.sh
tools/ensure-packages.sh $NATIVE_PACKAGES $WINDOWS_PACKAGES $BROWSER_PACKAGES
tools/ensure-wine.sh
tools/check-format.sh
cmake --preset ci
cmake --build --preset ci
ctest --preset ci -j2
# Every reader of outside input under libFuzzer, 12 seconds each from its
# seeds (tools/fuzz.sh runs one for longer); any finding fails.
cmake --preset fuzz
cmake --build --preset fuzz
FUZZ_FRESH=1 tools/fuzz.sh all 12
# The whole suite under AddressSanitizer and UndefinedBehaviorSanitizer
# (options and suppressions in tools/sanitizers.sh).
cmake --preset asan
cmake --build --preset asan
tools/sanitizers.sh ctest --preset asan -j2

cmake --preset win32
cmake --build --preset win32
tools/check-exports.sh build/ci/stage/stage build/win32
tools/run-wine-checks.sh build/win32
# The Windows setup program under Wine on a virtual display, checked against
# the command-line setup.
tools/wine-setup-test.sh build/win32 build/ci
