#!/usr/bin/env bash
# The README's test command: set up, build, run every test.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
bash "$root/scripts/setup.sh"
BUILD_DIR="$build" bash "$root/scripts/build.sh"
source "$root/scripts/xvfb.sh"
source "$root/scripts/wine-env.sh" "$build/wine"
ctest --test-dir "$build" --output-on-failure "$@"
