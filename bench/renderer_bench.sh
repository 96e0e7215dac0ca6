#!/usr/bin/env bash
# Renderer numbers on a private Xvfb: frames per second three ways, the CPU
# cost of the animation step, the renderer's peak memory (VmHWM), and the
# CPU use of Oruna.dll itself (median of several runs) where the swap does
# not wait, where it waits for a 60 Hz display, while its window is hidden,
# and with the monitor reported on and off through DPMS (a preloaded
# stand-in for the DPMS query, which Xvfb lacks; built with the tests).
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

# CPU time of all threads of process $1 so far, in nanoseconds: the clock
# ticks of /proc/<pid>/stat (10 ms) are too coarse for a renderer that sleeps.
cpu_ns() {
  cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{sum += $1} END {printf "%.0f\n", sum}'
}

# CPU use of one run of Oruna.dll in percent of one core over 3 s, after 2 s
# of warm-up; $1 is "plain", "vsync" (a preloaded shim makes each swap wait
# for the next 60 Hz tick), "hidden" (the window unmapped, as when hidden),
# "lit" or "dark" (the DPMS stand-in preloaded, reporting the monitor on, or
# off from the end of the warm-up).
renderer_cpu() {
  local preload=""
  [ "$1" = vsync ] && preload="$bin/libswap_wait_shim.so"
  [ "$1" = lit ] || [ "$1" = dark ] && preload="$bin/liboruna_monitor_power_shim.so"
  echo on >"$work/monitor-level"
  ORUNA_MONITOR_LEVEL_FILE=$work/monitor-level LD_PRELOAD=$preload "$bin/Oruna.dll" &
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
  # The renderer looks at the level twice a second.
  [ "$1" = dark ] && echo off >"$work/monitor-level" && sleep 1
  local t0 t1
  t0=$(cpu_ns "$pid")
  sleep 3
  t1=$(cpu_ns "$pid")
  [ "$1" = hidden ] && xdotool windowmap "$window" && sleep 0.3
  [ "$1" = dark ] && echo on >"$work/monitor-level"
  xdotool key --window "$window" Escape 2>/dev/null || true
  # The renderer may be gone between press and release, and xdotool then
  # stops on the error with Escape still down in the server: the next
  # renderer would see it held at its start and end at once.
  xdotool keyup Escape
  wait $pid || true
  echo "$t0 $t1" | awk '{printf "%.2f\n", 100 * ($2 - $1) / 1e9 / 3}'
}

echo "== Oruna.dll CPU use, % of one core (median of $cpu_runs runs of 3 s)"
modes="plain vsync hidden"
if [ -e "$bin/liboruna_monitor_power_shim.so" ]; then
  modes="$modes lit dark"
else
  echo "(no liboruna_monitor_power_shim.so: build the tests for the monitor on/off figures)"
fi
for mode in $modes; do
  values=$(for _ in $(seq "$cpu_runs"); do renderer_cpu "$mode"; done | sort -n)
  median=$(echo "$values" | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}')
  case $mode in
    plain) label="swap does not wait" ;;
    vsync) label="swap waits for 60 Hz" ;;
    hidden) label="window hidden" ;;
    lit) label="DPMS: monitor on" ;;
    dark) label="DPMS: monitor off" ;;
  esac
  printf '%-22s: %6s %%   (runs: %s)\n' "$label" "$median" "$(echo $values)"
done
