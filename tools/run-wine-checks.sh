#!/bin/sh
# run-wine-checks.sh WIN32_BUILD_DIR
# Runs the conformance check (abi_check.exe) under 32-bit Wine on every
# plug-in DLL of the Windows build: every DLL that exports XCmdIdentDLL or
# BrainIdentDLL, so that new plug-ins are covered without a list; then the
# check of where ScriptXcmd looks for the Python runtime
# (python_search_check.exe). No Python is installed in the prefix and
# SCRIPTXCMD_PYTHON is unset, so ScriptXcmd runs without one. Headless;
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
unset SCRIPTXCMD_PYTHON
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
search="$dir/conformance/python_search_check.exe"
if [ -f "$search" ]; then
  log="$dir/conformance/python_search_check.log"
  if wine "$search" >"$log" 2>&1; then
    echo "Python runtime search: $(tail -n 1 "$log" | sed 's/.*: //')"
  else
    echo "Python runtime search FAILED (full log: $log):"
    grep -v '^ok ' "$log" || true
    status=1
  fi
fi
wineserver -w
[ "$found" -gt 0 ] || { echo "no plug-in DLL found in $dir"; exit 1; }
exit $status
