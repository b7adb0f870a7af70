# The Debian packages that the build needs; sourced by the other scripts.
# clang with its libFuzzer runtime (libclang-rt-14-dev) builds the fuzz
# targets; llvm gives the sanitizers' reports their source lines.
NATIVE_PACKAGES="cmake ninja-build g++ libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev libpython3-dev python3 clang-format clang libclang-rt-14-dev llvm"
# The browser that the replay page's test drives (headless).
BROWSER_PACKAGES="chromium"
# The 32-bit Windows build takes CPython's headers from libpython3.11-dev
# (with a pyconfig.h of its own, script/windows/pyconfig.h).
WINDOWS_PACKAGES="g++-mingw-w64-i686 binutils-mingw-w64-i686 libpython3.11-dev"
# Installed by tools/ensure-wine.sh (which also prepares apt for i386):
# 32-bit Wine, the i386 OpenGL libraries behind Wine's Direct3D, and a
# virtual X display with a screenshot tool for headless runs.
WINE_PACKAGES="wine wine32:i386 wine64 libgl1:i386 libglx-mesa0:i386 libgl1-mesa-dri:i386 xvfb xauth imagemagick"
