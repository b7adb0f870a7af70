#!/bin/sh
# check-exports.sh STAGE WIN32_BUILD_DIR
# For every Windows plug-in DLL in the build directory, compares its export
# table (i686-w64-mingw32-objdump -p) with the names that the native build of
# the same plug-in lists (stage --exports), and checks that it carries no debug
# sections. Exits 1 when any DLL differs.
set -eu
stage="$1"
dir="$2"
status=0
found=0
# The conformance probe is not a plug-in of the system.
for dll in $(find "$dir" -path "$dir/conformance" -prune -o -name '*.dll' -print | sort); do
  name=$(basename "$dll" .dll)
  found=1
  expected=$("$stage" --exports "$name")
  actual=$(i686-w64-mingw32-objdump -p "$dll" |
    sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
    sed -n 's/^[[:space:]]*\[[[:space:]]*[0-9]*\][[:space:]]*//p' | sort)
  if [ "$expected" = "$actual" ]; then
    echo "exports of $name.dll: ok ($(echo "$actual" | wc -l) names)"
  else
    echo "exports of $name.dll differ from its lists:"
    printf '%s\n' "$expected" > /tmp/check-exports-expected.$$
    printf '%s\n' "$actual" > /tmp/check-exports-actual.$$
    diff /tmp/check-exports-expected.$$ /tmp/check-exports-actual.$$ || true
    rm -f /tmp/check-exports-expected.$$ /tmp/check-exports-actual.$$
    status=1
  fi
  if i686-w64-mingw32-objdump -h "$dll" | grep -q '[[:space:]]\.debug'; then
    echo "$name.dll keeps debug sections (release DLLs are linked with -s)"
    status=1
  fi
done
[ "$found" -eq 1 ] || { echo "no DLL found in $dir"; exit 1; }
exit $status
