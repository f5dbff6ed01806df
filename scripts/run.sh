#!/usr/bin/env bash
# The README's run command: set up, build, and start the client under Wine.
# With a display it runs until you close it. Without one it runs under a
# private Xvfb, writes a screenshot of its window (to $1, default
# screenshot.png), and closes the client with its close button.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
shot=$(realpath -m "${1:-$root/screenshot.png}")
bash "$root/scripts/setup.sh"
BUILD_DIR="$build" bash "$root/scripts/build.sh" >/dev/null
exe="$build/app/MuravaRadio.exe"

if [ -n "${DISPLAY:-}" ]; then
  source "$root/scripts/wine-env.sh" "$build/wine-run"
  exec wine "$exe"
fi

source "$root/scripts/xvfb.sh"
source "$root/scripts/wine-env.sh" "$build/wine-run"
wine "$exe" >/dev/null 2>&1 &
pid=$!

# The form is the larger of the program's two top-level windows named after it.
window=
for _ in $(seq 1 150); do
  for id in $(xdotool search --name 'MURAVA' 2>/dev/null); do
    eval "$(xdotool getwindowgeometry --shell "$id")"
    if [ "${WIDTH:-0}" -gt 100 ]; then window=$id; break 2; fi
  done
  sleep 0.1
done
if [ -z "$window" ]; then
  echo "run: the client's window did not appear" >&2
  kill "$pid" 2>/dev/null || true
  exit 1
fi
sleep 2  # let it paint
eval "$(xdotool getwindowgeometry --shell "$window")"
import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$shot"
echo "run: screenshot of the ${WIDTH}x${HEIGHT} window written to $shot"

# The close button: 33 x 17 at the title bar's top, 10 pixels from its end
# (the layout grows with the form's font; the buttons keep their size).
scale_x=$((WIDTH - 2))
close_x=$((X + 1 + scale_x - 10 - 16))
close_y=$((Y + 1 + HEIGHT / 270 + 8))
xdotool mousemove "$close_x" "$close_y" click 1
for _ in $(seq 1 100); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then
  echo "run: the client did not close; stopping it" >&2
  kill "$pid" 2>/dev/null || true
fi
wait "$pid" 2>/dev/null && echo "run: the client closed" || echo "run: the client ended with status $?"
