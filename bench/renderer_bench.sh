#!/usr/bin/env bash
# Renderer numbers on a private Xvfb: frames per second three ways, the CPU
# cost of the animation step, the renderer's peak memory (VmHWM), and the
# CPU use of Oruna.dll itself (median of several runs) where the swap does
# not wait, where it waits for a 60 Hz display, and while its window is
# hidden.
#   bench/renderer_bench.sh [build dir] [seconds per fps mode] [cpu runs]
set -euo pipefail
build=${1:-build}
seconds=${2:-5}
cpu_runs=${3:-5}
bin=$(cd "$build/bin" && pwd)
work=$(mktemp -d)
source "$(dirname "$0")/private_xvfb.sh"
start_private_xvfb "$work"
trap 'kill $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT
export XDG_RUNTIME_DIR=$work
mkdir -m 700 "$work/p_orvi"
convert -size 128x128 -seed 1 plasma:orange-yellow -type truecolor "BMP3:$work/p_orvi/Oruna1.bmp"
convert -size 256x256 -seed 2 plasma:navy-black -type truecolor "BMP3:$work/p_orvi/Oruna2.bmp"
convert -size 64x64 -seed 3 plasma:red-orange -type truecolor "BMP3:$work/p_orvi/Oruna3.bmp"
convert -size 64x64 radial-gradient:white-black -type truecolor "BMP3:$work/p_orvi/Oruna4.bmp"

echo "== frames per second, 1024x768, Mesa on Xvfb"
"$bin/renderer_fps" "$seconds"
echo "== animation step (CPU)"
"$bin/animation_bench" --benchmark_min_time=0.5
echo "== renderer peak memory"
"$bin/Oruna.dll" &
pid=$!
sleep 5
grep -E 'VmHWM|VmRSS' "/proc/$pid/status"
xdotool key Escape
wait $pid || true

# CPU use of one run of Oruna.dll in percent of one core over 3 s, after 2 s
# of warm-up; $1 is "plain", "vsync" (a preloaded shim makes each swap wait
# for the next 60 Hz tick) or "hidden" (the window unmapped, as when hidden).
renderer_cpu() {
  local preload=""
  [ "$1" = vsync ] && preload="$bin/libswap_wait_shim.so"
  LD_PRELOAD=$preload "$bin/Oruna.dll" &
  local pid=$! window=""
  for _ in $(seq 100); do
    # This renderer's own window once shown: the window of the run before may
    # still be listed for a moment after its process has gone.
    window=$(xdotool search --onlyvisible --pid "$pid" --name '^Oruna_VC$' 2>/dev/null | head -n1) &&
      [ -n "$window" ] && break
    sleep 0.1
  done
  sleep 2
  [ "$1" = hidden ] && xdotool windowunmap "$window" && sleep 0.5
  local t0 t1
  t0=$(awk '{print $14 + $15}' "/proc/$pid/stat")
  sleep 3
  t1=$(awk '{print $14 + $15}' "/proc/$pid/stat")
  [ "$1" = hidden ] && xdotool windowmap "$window" && sleep 0.3
  xdotool key --window "$window" Escape 2>/dev/null || true
  # The renderer may be gone between press and release, and xdotool then
  # stops on the error with Escape still down in the server: the next
  # renderer would see it held at its start and end at once.
  xdotool keyup Escape
  wait $pid || true
  echo "$t0 $t1 $(getconf CLK_TCK)" | awk '{printf "%.1f\n", 100 * ($2 - $1) / $3 / 3}'
}

echo "== Oruna.dll CPU use, % of one core (median of $cpu_runs runs of 3 s)"
for mode in plain vsync hidden; do
  values=$(for _ in $(seq "$cpu_runs"); do renderer_cpu "$mode"; done | sort -n)
  median=$(echo "$values" | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}')
  case $mode in
    plain) label="swap does not wait" ;;
    vsync) label="swap waits for 60 Hz" ;;
    hidden) label="window hidden" ;;
  esac
  printf '%-22s: %6s %%   (runs: %s)\n' "$label" "$median" "$(echo $values)"
done
