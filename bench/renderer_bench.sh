#!/usr/bin/env bash
# Renderer numbers on a private Xvfb: frames per second three ways, the CPU
# cost of the animation step, and the renderer's peak memory (VmHWM).
#   bench/renderer_bench.sh [build dir] [seconds per fps mode]
set -euo pipefail
build=${1:-build}
seconds=${2:-5}
bin=$(cd "$build/bin" && pwd)
work=$(mktemp -d)
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=:$(head -n1 "$work/display") XDG_RUNTIME_DIR=$work
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
