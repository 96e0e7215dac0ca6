#!/usr/bin/env bash
# Where the time of a start goes: "Oruna.scr /s" on a private Xvfb (no window
# manager) with a preloaded shim that timestamps each step (see
# start_profile_shim.cpp); per step the median over the runs of the time
# since the saver was started, in ms.
#   bench/start_profile.sh [runs] [folder with Oruna.scr and Oruna.dll]
set -euo pipefail
runs=${1:-7}
here=$(cd "$(dirname "$0")/.." && pwd)
bin=$(cd "${2:-$here/build/bin}" && pwd)
shim=$(cd "$here/build/bin" && pwd)/libstart_profile_shim.so
work=$(mktemp -d)
source "$here/bench/private_xvfb.sh"
start_private_xvfb "$work"
trap 'kill $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT
export XDG_RUNTIME_DIR=$work

for run in $(seq "$runs"); do
  log=$work/run$run.log
  start=${EPOCHREALTIME/./}
  ORUNA_START_PROFILE=$log LD_PRELOAD=$shim "$bin/Oruna.scr" /s &
  saver=$!
  for _ in $(seq 200); do grep -q first-swap-returned "$log" 2>/dev/null && break; sleep 0.05; done
  sleep 0.3
  xdotool key Escape
  wait $saver || true
  awk -v start="$start" -v run="$run" '
    $2 == "Oruna.scr" && $3 == "libraries-loaded" { print run, "1 saver-libraries-loaded", ($1 - start) / 1000 }
    $2 == "Oruna.dll" {
      if ($3 == "window-looked-at") { if (!swapped) looked = $1; next }
      if ($3 == "first-swap-begins") { swapped = 1; print run, "7 scene-set-up", (looked - start) / 1000 }
      order["libraries-loaded"] = 2; order["sdl-started"] = 3; order["window-created"] = 4
      order["context-made"] = 5; order["window-shown"] = 6; order["first-swap-begins"] = 8
      order["first-swap-returned"] = 9
      if ($3 in order) print run, order[$3] " renderer-" $3, ($1 - start) / 1000
    }' "$log"
done | sort -k2,2n -k3,3n | awk '
  { key = $2 " " $3; values[key] = values[key] " " $4; keys[key] = 1 }
  END {
    for (key in keys) {
      n = split(substr(values[key], 2), v, " ")
      for (i = 2; i <= n; i++) for (j = i; j > 1 && v[j - 1] + 0 > v[j] + 0; j--) { t = v[j]; v[j] = v[j - 1]; v[j - 1] = t }
      median = n % 2 ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2
      printf "%s %8.1f ms\n", key, median
    }
  }' | sort -n | cut -d" " -f2-
