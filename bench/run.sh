#!/usr/bin/env bash
# The benchmark, one command: sets up, builds, and measures the program beside
# its two baselines (and Chromium in --app mode where Debian's package
# installs), interleaved, under a private Xvfb and a warm Wine prefix of its
# own. Prints the table and writes it to bench/results.md.
#
#   bash bench/run.sh            (BENCH_RUNS=15 runs of each, BUILD_DIR as for the build)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
runs=${BENCH_RUNS:-15}
out_md=$root/bench/results.md
raw=$build/bench/results.jsonl

bash "$root/scripts/setup.sh"
BUILD_DIR="$build" bash "$root/scripts/build.sh" >/dev/null

program=$build/app/MuravaRadio.exe
bare_browser=$build/bench/bare_browser.exe
bare_window=$build/bench/bare_window.exe
launcher=$build/bench/bench_launcher.exe

# The baseline opens the program's start page: the program must still hold it.
python3 - "$program" <<'EOF'
import sys
data = open(sys.argv[1], "rb").read()
for part in ("murava.example", "/client.aspx"):
    if part.encode("utf-16-le") not in data:
        sys.exit(f"bench: the program no longer holds {part!r}; update bench/StartPage.h")
EOF

# Chromium, the thing a user would otherwise open: only where Debian has it.
with_chromium=
if command -v chromium >/dev/null 2>&1; then
  with_chromium=1
else
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  if DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends \
      chromium >/dev/null 2>&1; then
    with_chromium=1
  else
    echo "bench: chromium is not installable here; its column is left out" >&2
  fi
fi

source "$root/scripts/xvfb.sh"
source "$root/scripts/wine-env.sh" "$build/wine-bench"
# One Wine session for the whole run: a persistent server and a process that
# holds the prefix's services and desktop up, so no run pays for their start.
wineserver -p
wine "$launcher" --hold >/dev/null 2>&1 &
holder=$!
bench_cleanup() {
  kill "$holder" 2>/dev/null || true
  radio_cleanup
}
trap bench_cleanup EXIT

free_port() {
  python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

# One measurement, one JSON line on stdout; a failed one is reported, not fatal.
measure() {
  local what=$1 settle=$2 idle=$3
  if [ "$what" = chromium ]; then
    python3 "$root/bench/chromium_bench.py" --port "$(free_port)" --settle-ms "$settle" \
      --idle-ms "$idle" || true
  else
    wine "$launcher" --port "$(free_port)" --settle-ms "$settle" --idle-ms "$idle" \
      "$(winepath -w "$what")" 2>/dev/null | tr -d '\r' || true
  fi
}

programs=("$program" "$bare_browser" "$bare_window")
[ -n "$with_chromium" ] && programs+=(chromium)

echo "bench: warming up (one unmeasured run each)" >&2
for what in "${programs[@]}"; do measure "$what" 0 0 >/dev/null; done

mkdir -p "$(dirname "$raw")"
: >"$raw"
count=${#programs[@]}
for round in $(seq 1 "$runs"); do
  echo "bench: round $round of $runs" >&2
  # Each round starts one program further on, so that none always runs right
  # after the same other one (after Chromium, say, whose run leaves the
  # machine's caches to whoever comes next).
  for i in $(seq 0 $((count - 1))); do
    measure "${programs[$(((round + i) % count))]}" 2000 10000 | tee -a "$raw" >&2
  done
done

# The start taken apart: the program's steps beside the bare browser's.
profile=$build/bench/profile.jsonl
: >"$profile"
echo "bench: profiling the start" >&2
for round in $(seq 1 5); do
  for mode in --bare "" --wic-first; do
    wine "$build/bench/startup_profile.exe" ${mode:+"$mode"} 2>/dev/null | tr -d '\r' >>"$profile" || true
  done
done

machine=$(mktemp)
{
  echo "Date: $(LC_ALL=C date -u)"
  echo
  echo "Machine: $(nproc) CPUs, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//'), $(awk '/MemTotal/ {printf "%.1f GB", $2 / 1048576}' /proc/meminfo) memory; $(wine --version); $([ -n "$with_chromium" ] && chromium --version 2>/dev/null | head -1 || echo "no Chromium")"
  echo
  echo "How: \`bash bench/run.sh\` (see bench/README.md). Wine programs: started by \`bench_launcher.exe\` under Wine, times on its performance counter from just before CreateProcess; memory from Wine's GetProcessMemoryInfo (the working set, which Wine reads from Linux's VmRSS) and, for private bytes, Linux's RssAnon (Wine returns 0 for another process's PrivateUsage); idle CPU from Linux's per-thread schedstat (Wine returns no CPU time for another process). Chromium: the same from Linux, summed over all its processes."
} >"$machine"
python3 "$root/bench/summarize.py" --runs "$raw" --objdump i686-w64-mingw32-objdump \
  --exe "MuravaRadio.exe=$program" --exe "bare_browser.exe=$bare_browser" \
  --exe "bare_window.exe=$bare_window" --profile "$profile" --machine "$machine" \
  --out "$out_md"
rm -f "$machine"
echo "bench: written to $out_md (raw runs: $raw)" >&2
