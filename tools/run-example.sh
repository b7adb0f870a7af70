#!/bin/sh
# Builds the plug-ins, the stage and the setup program (everything that the
# README then runs), then plays the bundled example scenes, or the scene files
# given as arguments (named from the caller's folder). Each run is also drawn,
# seen from above, into build/pictures/, under the scene's own path, with a
# replay page beside it: scenes/door.scene gives build/pictures/scenes/door.svg
# and build/pictures/scenes/door.html (open it in a browser).
set -eu
caller=$(pwd)
cd "$(dirname "$0")/.."
top=$(pwd)
. tools/packages.sh
tools/ensure-packages.sh $NATIVE_PACKAGES
cmake --preset default >/dev/null
cmake --build --preset default --target stage setup_cli
if [ $# -eq 0 ]; then
  set --
  for name in door hopkin crowd room quake zoom picture swarm python beetles dish periscope pyflock; do
    set -- "$@" "$top/scenes/$name.scene"
  done
fi
status=0
for scene in "$@"; do
  case "$scene" in
    /*) ;;
    *) scene="$caller/$scene" ;;
  esac
  # The picture's path mirrors the scene's: relative to the repository when
  # the scene is inside it, else its absolute path.
  case "$scene" in
    "$top"/*) name=${scene#"$top"/} ;;
    *) name=outside${scene} ;;
  esac
  picture="build/pictures/${name%.scene}.svg"
  page="build/pictures/${name%.scene}.html"
  mkdir -p "$(dirname "$picture")"
  echo "== stage --svg $picture --replay $page ${scene#"$top"/}"
  build/default/stage/stage --svg "$picture" --replay "$page" "$scene" || status=1
done
exit $status
