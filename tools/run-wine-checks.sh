#!/bin/sh
# run-wine-checks.sh WIN32_BUILD_DIR
# Runs the conformance check (abi_check.exe) under 32-bit Wine on every
# plug-in DLL of the Windows build: every DLL that exports XCmdIdentDLL or
# BrainIdentDLL, so that new plug-ins are covered without a list. Headless;
# the Wine prefix (build/wine-checks/prefix) is made on first use.
# Exits 1 when a check fails or no plug-in is found.
set -eu
dir=$(cd "$1" && pwd)
checker="$dir/conformance/abi_check.exe"
[ -f "$checker" ] || { echo "no $checker: build the win32 preset first"; exit 1; }

WINEPREFIX="$(dirname "$dir")/wine-checks/prefix"
mkdir -p "$WINEPREFIX"
WINEARCH=win32
WINEDEBUG=-all
WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPREFIX WINEARCH WINEDEBUG WINEDLLOVERRIDES
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "making the Wine prefix $WINEPREFIX"
  wineboot -i >/dev/null 2>&1
  wineserver -w
fi

windows_path() {  # the Z: drive of Wine is the root of the file system
  printf 'Z:%s' "$1" | tr / '\\'
}

status=0
found=0
for dll in $(find "$dir" -name '*.dll' | sort); do
  exports=$(i686-w64-mingw32-objdump -p "$dll" |
    sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p')
  case "$exports" in
    *XCmdIdentDLL* | *BrainIdentDLL*) ;;
    *) continue ;;
  esac
  found=$((found + 1))
  log="$dir/conformance/$(basename "$dll" .dll).log"
  if wine "$checker" "$(windows_path "$dll")" >"$log" 2>&1; then
    printf 'calling conventions of %s: %s\n' "$(basename "$dll")" "$(tail -n 1 "$log" | sed 's/.*: //')"
  else
    echo "calling conventions of $(basename "$dll") FAILED (full log: $log):"
    grep -v '^ok ' "$log" || true
    status=1
  fi
done
wineserver -w
[ "$found" -gt 0 ] || { echo "no plug-in DLL found in $dir"; exit 1; }
exit $status
