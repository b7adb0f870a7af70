#!/bin/sh
# Installs what is missing (the build tools, the cross compiler and the
# headless browser that the replay page's test drives); checks the sources'
# formatting; builds everything with warnings as errors and runs every test; then
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
cmake --preset win32
cmake --build --preset win32
tools/check-exports.sh build/ci/stage/stage build/win32
tools/run-wine-checks.sh build/win32
# The Windows setup program under Wine on a virtual display, checked against
# the command-line setup.
tools/wine-setup-test.sh build/win32 build/ci
