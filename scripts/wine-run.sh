#!/usr/bin/env bash
# Runs a Windows program in the build's private Wine prefix (ctest's emulator).
set -euo pipefail
source "$(dirname "$0")/wine-env.sh" "${RADIO_WINE_STATE:?RADIO_WINE_STATE not set}"
exec wine "$@"
