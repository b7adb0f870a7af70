#!/bin/sh
# Builds everything with warnings as errors and runs every test; then
# cross-compiles the plug-ins for 32-bit Windows and checks their export
# tables against the name lists that the plug-ins give the stage.
set -eu
cd "$(dirname "$0")/.."
. tools/packages.sh
tools/ensure-packages.sh $NATIVE_PACKAGES $WINDOWS_PACKAGES
cmake --preset ci
cmake --build --preset ci
ctest --preset ci -j2
cmake --preset win32
cmake --build --preset win32
tools/check-exports.sh build/ci/stage/stage build/win32
# The Windows setup program under Wine on a virtual display, checked against
# the command-line setup.
tools/wine-setup-test.sh build/win32 build/ci
