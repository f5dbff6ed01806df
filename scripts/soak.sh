#!/usr/bin/env bash
# Soak: starts and closes the client many times in a row under Wine (100 by
# default, or $1), with the reliability tests' repeated-runs check: every run
# must end with exit code 0 and leave exactly one desktop shortcut, no
# process, no window and no new file in the prefix's users and temp folders.
# About 6 seconds a run. Sets up and builds first, like the test command.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
runs=${1:-100}
bash "$root/scripts/setup.sh"
BUILD_DIR="$build" bash "$root/scripts/build.sh" >/dev/null
source "$root/scripts/xvfb.sh"

# The environment ctest gives the reliability tests (tests/CMakeLists.txt,
# tests/reliability/CMakeLists.txt); the run is longer than ctest's timeout.
export RADIO_WINE_STATE="$build/wine" RADIO_SOURCE_DIR="$root" RADIO_BUILD_DIR="$build"
export RADIO_EXE="$build/app/MuravaRadio.exe" RADIO_PROBE="$build/tests/e2e/probe.exe"
export RADIO_DRIVER="$build/tests/reliability/reliability_driver.exe"
export PYTHONPATH="$root/tests/e2e" PYTHONDONTWRITEBYTECODE=1 RADIO_RUNS="$runs"
cd "$root/tests/reliability"
python3 -m unittest -v test_repeated_runs
