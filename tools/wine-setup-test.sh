#!/bin/sh
# Runs the Windows setup program under 32-bit Wine on a virtual display and
# checks what it writes against the command-line setup.
#
#   tools/wine-setup-test.sh [WIN32_BUILD [NATIVE_BUILD]]
#
# setup_autotest.exe, the test-only program built beside setup.exe from the
# same dialog code, runs in a prepared game folder: it records every
# control, which setup/win32/dialog_controls.txt must match; it switches
# pages by clicks on the tabs, shows each page, saves its picture, makes a
# few changes through the controls, writes the hardware it detected as a
# profile and presses OK. The command-line setup then makes the same changes
# on a copy of the folder, on that profile, and both init/dev_mode.dat and
# init/win_init.dat must be equal byte for byte. The pictures become
# docs/setup-*.png. setup.exe itself takes no arguments: given the test
# program's switches it shows its dialog and writes nothing.
set -eu
cd "$(dirname "$0")/.."
win32=${1:-build/win32}
native=${2:-build/ci}
exe=$win32/setup/setup.exe
autotest=$win32/setup/setup_autotest.exe
cli=$native/setup/setup
[ -x "$exe" ] || { echo "wine-setup-test: no $exe" >&2; exit 1; }
[ -x "$autotest" ] || { echo "wine-setup-test: no $autotest" >&2; exit 1; }
[ -x "$cli" ] || { echo "wine-setup-test: no $cli" >&2; exit 1; }
# Wine, Xvfb and ImageMagick, installed when missing.
if [ -x tools/ensure-wine.sh ]; then
  tools/ensure-wine.sh
else
  echo "wine-setup-test: tools/ensure-wine.sh is missing; using the Wine that is installed" >&2
fi

# Outside the Windows build tree, whose DLLs the export check goes through.
work=$(pwd)/build/wine-setup/run
rm -rf "$work"
mkdir -p "$work/game/init" "$work/shots"
export WINEPREFIX="$(pwd)/build/wine-setup/prefix" WINEARCH=win32 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

# The game folder that `cmake --install` lays out holds setup.exe alone.
cmake --install "$win32" --prefix "$work/installed" >"$work/install.log"
if [ ! -e "$work/installed/setup.exe" ] || [ -n "$(find "$work/installed" -iname '*autotest*')" ]; then
  echo "wine-setup-test: the installed game folder holds:" $(ls "$work/installed") >&2
  exit 1
fi

# The start-up file of a game folder, with a section of our own to replace.
printf 'Engine 1\r\nShowFPS 0\r\n' >"$work/game/init/win_init.dat"
cp -r "$work/game" "$work/cli"

# A free display number.
display=90
while [ -e "/tmp/.X$display-lock" ] || [ -e "/tmp/.X11-unix/X$display" ]; do
  display=$((display + 1))
done
Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb=$!
wineserver_started=no
stop() {
  if [ "$wineserver_started" = yes ]; then wineserver -k >/dev/null 2>&1 || true; fi
  kill "$xvfb" 2>/dev/null || true
  wait "$xvfb" 2>/dev/null || true
}
trap stop EXIT
export DISPLAY=":$display"
for _ in 1 2 3 4 5 6 7 8 9 10; do
  [ -e "/tmp/.X11-unix/X$display" ] && break
  sleep 0.5
done

wineserver_started=yes
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wineboot -i >/dev/null 2>&1
  wineserver -w
fi
cp "$exe" "$autotest" "$work/game/"
# A virtual desktop of Wine's own draws the window frames.
shots=$(winepath -w "$work/shots")

# Esc writes nothing.
cp -r "$work/game" "$work/cancel"
(cd "$work/cancel" && timeout 120 wine explorer /desktop=tessera,640x520 setup_autotest.exe \
  cancel "$shots" >"$work/wine-cancel.log" 2>&1) ||
  { echo "wine-setup-test: setup_autotest.exe failed" >&2; cat "$work/wine-cancel.log" >&2; exit 1; }
wineserver -w
if [ -e "$work/cancel/init/dev_mode.dat" ] ||
  ! cmp -s "$work/cancel/init/win_init.dat" "$work/game/init/win_init.dat"; then
  echo "wine-setup-test: Esc changed the files in init" >&2
  exit 1
fi
echo "wine-setup-test: Esc left init/dev_mode.dat and init/win_init.dat as they were"

# setup.exe with arguments: the dialog waits for the player, nothing is
# written, neither into the folder named nor into init.
cp -r "$work/game" "$work/arguments"
mkdir "$work/arguments-dir"
arguments_dir=$(winepath -w "$work/arguments-dir")
(cd "$work/arguments" && timeout 120 wine explorer /desktop=tessera,640x520 setup_autotest.exe \
  arguments "$arguments_dir" >"$work/wine-arguments.log" 2>&1) ||
  { echo "wine-setup-test: setup_autotest.exe failed" >&2; cat "$work/wine-arguments.log" >&2; exit 1; }
wineserver -w
outcome=$(cat "$work/arguments-dir/arguments.txt" 2>/dev/null || echo "did not run")
if [ "$outcome" != "showed its dialog until closed and ended with exit code 0" ] ||
  [ "$(ls "$work/arguments-dir")" != arguments.txt ] || [ -e "$work/arguments/init/dev_mode.dat" ] ||
  ! cmp -s "$work/arguments/init/win_init.dat" "$work/game/init/win_init.dat"; then
  echo "wine-setup-test: setup.exe with arguments $outcome; wrote:" $(ls "$work/arguments-dir") >&2
  exit 1
fi
if grep -q -a -e --autotest "$exe"; then
  echo "wine-setup-test: setup.exe holds the test switches" >&2
  exit 1
fi
echo "wine-setup-test: setup.exe with arguments $outcome, writing nothing"

(cd "$work/game" && timeout 120 wine explorer /desktop=tessera,640x520 setup_autotest.exe \
  run "$shots" >"$work/wine.log" 2>&1) ||
  { echo "wine-setup-test: setup_autotest.exe failed" >&2; cat "$work/wine.log" >&2; exit 1; }
wineserver -w

# Every control with its id, class, text, style and rectangle (dialog units).
if ! grep -v "^#" setup/win32/dialog_controls.txt | diff -u - "$work/shots/controls.txt" >"$work/controls.diff"; then
  echo "wine-setup-test: the dialog's controls differ from setup/win32/dialog_controls.txt" >&2
  cat "$work/controls.diff" >&2
  exit 1
fi
echo "wine-setup-test: every control as setup/win32/dialog_controls.txt lists it"
expected_tabs='tab 1 clicked: tab 1 selected, expert shown
tab 2 clicked: tab 2 selected, network shown
tab 0 clicked: tab 0 selected, basic shown'
if [ "$(cat "$work/shots/tabs.txt" 2>/dev/null)" != "$expected_tabs" ]; then
  echo "wine-setup-test: the clicks on the tabs showed:" >&2
  cat "$work/shots/tabs.txt" >&2
  exit 1
fi
echo "wine-setup-test: each click on a tab showed its page alone"

for page in basic expert network; do
  [ -s "$work/shots/$page.bmp" ] || { echo "wine-setup-test: no picture of the $page page" >&2; exit 1; }
  convert "$work/shots/$page.bmp" -strip "PNG8:docs/setup-$page.png"
done
second=$(cat "$work/shots/second-copy.txt" 2>/dev/null || echo "did not run")
if [ "$second" != "ended with exit code 0" ]; then
  echo "wine-setup-test: a second copy (setup.exe) $second" >&2
  exit 1
fi
echo "wine-setup-test: a second copy (setup.exe) $second"
[ -s "$work/shots/detected.profile" ] || { echo "wine-setup-test: no detected.profile" >&2; exit 1; }

# The same changes on the command line: texture Medium, walking speed 8,
# cursor sleep 12, Invert Mouse, user name, session name, networking.
"$cli" --game "$work/cli" --profile "$work/shots/detected.profile" --quiet \
  --texture medium --walking-speed 8 --cursor-sleep 12 --invert-mouse on \
  --user-name "Wine Tester" --session-name night --networking on --accept >"$work/cli.log"

status=0
for file in dev_mode.dat win_init.dat; do
  if cmp "$work/game/init/$file" "$work/cli/init/$file"; then
    echo "wine-setup-test: init/$file is the same from the dialog and from the command line"
  else
    echo "wine-setup-test: init/$file differs" >&2
    status=1
  fi
done
exit $status
