#!/bin/sh
# Builds the plug-ins and the stage, then plays the bundled example scenes
# (or the scene files given as arguments). Each run is also drawn, seen from
# above, into build/pictures/SCENE.svg.
set -eu
cd "$(dirname "$0")/.."
. tools/packages.sh
tools/ensure-packages.sh $NATIVE_PACKAGES
cmake --preset default >/dev/null
cmake --build --preset default --target stage
[ $# -gt 0 ] || set -- scenes/door.scene scenes/hopkin.scene scenes/room.scene \
  scenes/quake.scene scenes/zoom.scene scenes/picture.scene scenes/beetles.scene \
  scenes/dish.scene scenes/periscope.scene
mkdir -p build/pictures
for scene in "$@"; do
  picture="build/pictures/$(basename "$scene" .scene).svg"
  echo "== stage --svg $picture $scene"
  build/default/stage/stage --svg "$picture" "$scene"
done
