#!/bin/sh
# Builds the plug-ins and the stage, then plays the bundled example scenes
# (or the scene files given as arguments).
set -eu
cd "$(dirname "$0")/.."
. tools/packages.sh
tools/ensure-packages.sh $NATIVE_PACKAGES
cmake --preset default >/dev/null
cmake --build --preset default --target stage
[ $# -gt 0 ] || set -- scenes/door.scene
for scene in "$@"; do
  echo "== stage $scene"
  build/default/stage/stage "$scene"
done
