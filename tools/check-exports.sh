#!/bin/sh
# check-exports.sh STAGE WIN32_BUILD_DIR
# For every Windows plug-in DLL in the build directory, compares its export
# table (i686-w64-mingw32-objdump -p) with the names that the native build of
# the same plug-in lists (stage --exports) and the objects that it exports
# without listing them (tools/unlisted-exports.txt), and checks that it carries
# no debug sections. Exits 1 when any DLL differs.
#
# check-exports.sh --native STAGE PLUGIN.so
# The same for a native plug-in: its defined dynamic symbols (nm -D), weak
# template instances of the C++ runtime aside.
set -eu
unlisted="$(dirname "$0")/unlisted-exports.txt"

# The names that plug-in $2 (a name or a path) called $3 must export,
# sorted, from stage $1.
expected_names() {
  {
    "$1" --exports "$2"
    awk -v plugin="$3" '$1 == plugin { print $2 }' "$unlisted"
  } | sort
}

# compare NAME EXPECTED ACTUAL
compare() {
  if [ "$2" = "$3" ]; then
    echo "exports of $1: ok ($(echo "$3" | wc -l) names)"
    return 0
  fi
  echo "exports of $1 differ from its lists:"
  printf '%s\n' "$2" > /tmp/check-exports-expected.$$
  printf '%s\n' "$3" > /tmp/check-exports-actual.$$
  diff /tmp/check-exports-expected.$$ /tmp/check-exports-actual.$$ || true
  rm -f /tmp/check-exports-expected.$$ /tmp/check-exports-actual.$$
  return 1
}

if [ "${1:-}" = "--native" ]; then
  stage="$2"
  plugin="$3"
  name=$(basename "$plugin" .so)
  actual=$(nm -D --defined-only "$plugin" | awk '$2 ~ /^[TDBR]$/ { print $3 }' | sort)
  compare "$name.so" "$(expected_names "$stage" "$plugin" "$name")" "$actual"
  exit $?
fi

stage="$1"
dir="$2"
status=0
found=0
# The conformance probe is not a plug-in of the system.
for dll in $(find "$dir" -path "$dir/conformance" -prune -o -name '*.dll' -print | sort); do
  name=$(basename "$dll" .dll)
  found=1
  actual=$(i686-w64-mingw32-objdump -p "$dll" |
    sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
    sed -n 's/^[[:space:]]*\[[[:space:]]*[0-9]*\][[:space:]]*//p' | sort)
  compare "$name.dll" "$(expected_names "$stage" "$name" "$name")" "$actual" || status=1
  if i686-w64-mingw32-objdump -h "$dll" | grep -q '[[:space:]]\.debug'; then
    echo "$name.dll keeps debug sections (release DLLs are linked with -s)"
    status=1
  fi
done
[ "$found" -eq 1 ] || { echo "no DLL found in $dir"; exit 1; }
exit $status
