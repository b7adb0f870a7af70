# The Debian packages that the build needs; sourced by the other scripts.
NATIVE_PACKAGES="cmake ninja-build g++ libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev"
WINDOWS_PACKAGES="g++-mingw-w64-i686 binutils-mingw-w64-i686"
