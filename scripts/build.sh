#!/usr/bin/env bash
# Configures and builds the release tree in ./build (or $BUILD_DIR).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
# A tree configured before the toolchain named the win32 thread model's
# compiler keeps the old one in its cache: configure it afresh.
cache=$build/CMakeCache.txt
want=$(command -v i686-w64-mingw32-g++-win32 || true)
if [ -f "$cache" ] && [ -n "$want" ] && ! grep -qx "CMAKE_CXX_COMPILER:[A-Z]*=$want" "$cache"; then
  rm -rf "$cache" "$build/CMakeFiles"
fi
cmake -S "$root" -B "$build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/i686-w64-mingw32.cmake" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"$(nproc)"
