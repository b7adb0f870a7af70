#!/bin/sh
# Installs 32-bit Wine (and Xvfb, xauth, ImageMagick and the i386 OpenGL
# libraries that Wine's Direct3D uses) on Debian 12 when any of them is
# missing; does nothing when all are installed. Sets nothing in the caller's
# environment and creates no Wine prefix: callers choose WINEPREFIX themselves.
#
# On a fresh machine it adds the i386 architecture, limits the debian-security
# source to the native architecture (its i386 index can be stale, which makes
# `apt-get update` fail) and installs Wine from the main suite.
# Needs root (or sudo) only when something is missing.
set -eu
cd "$(dirname "$0")/.."
. tools/packages.sh

missing=""
for package in $WINE_PACKAGES; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing="$missing $package"
  fi
done
[ -z "$missing" ] && exit 0
echo "Installing 32-bit Wine:$missing"
if [ "$(id -u)" -eq 0 ]; then as_root=""; else as_root="sudo"; fi

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $as_root dpkg --add-architecture i386
fi

native=$(dpkg --print-architecture)
sources=/etc/apt/sources.list.d/debian.sources
if [ -f "$sources" ]; then
  # deb822 form: add "Architectures: NATIVE" to each debian-security stanza
  # that has no Architectures field yet.
  limited=$(awk -v arch="$native" '
    function flush() {
      if (stanza != "") {
        printf "%s", stanza
        if (security && !has_arch) print "Architectures: " arch
      }
      stanza = ""; security = 0; has_arch = 0
    }
    /^[[:space:]]*$/ { flush(); print; next }
    {
      stanza = stanza $0 "\n"
      if ($1 == "Suites:" && $0 ~ /-security/) security = 1
      if ($1 == "Architectures:") has_arch = 1
    }
    END { flush() }' "$sources")
  if [ "$limited" != "$(cat "$sources")" ]; then
    printf '%s\n' "$limited" | $as_root tee "$sources" >/dev/null
  fi
fi
if [ -f /etc/apt/sources.list ]; then
  # One-line form: "deb URL SUITE-security ..." becomes "deb [arch=NATIVE] ...".
  $as_root sed -i -E "s|^deb[[:space:]]+(http[^[:space:]]*[[:space:]]+[^[:space:]]*-security)|deb [arch=$native] \\1|" \
    /etc/apt/sources.list
fi

codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")
$as_root apt-get update
DEBIAN_FRONTEND=noninteractive $as_root apt-get install -y --no-install-recommends -t "$codename" $missing
