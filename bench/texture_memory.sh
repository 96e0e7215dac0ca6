#!/usr/bin/env bash
# The renderer's peak memory (VmHWM) for the worst small texture files we
# know: each is put in as the corona texture (Oruna1.bmp) beside three
# ordinary ones, Oruna.dll runs on a private Xvfb, any "Error" box it shows is
# answered, and once it has drawn for two seconds its high-water mark is read.
#   bench/texture_memory.sh [renderer, default build/bin/Oruna.dll]
set -euo pipefail
renderer=$(realpath "${1:-build/bin/Oruna.dll}")
work=$(mktemp -d)
source "$(dirname "$0")/private_xvfb.sh"
start_private_xvfb "$work"
trap 'kill $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT
export XDG_RUNTIME_DIR=$work
folder=$work/p_orvi
mkdir -m 700 "$folder" "$work/files"
convert -size 256x256 -seed 2 plasma:navy-black -type truecolor "BMP3:$folder/Oruna2.bmp"
convert -size 64x64 -seed 3 plasma:red-orange -type truecolor "BMP3:$folder/Oruna3.bmp"
convert -size 64x64 radial-gradient:white-black -type truecolor "BMP3:$folder/Oruna4.bmp"
convert -size 128x128 -seed 1 plasma:orange-yellow -type truecolor "BMP3:$work/files/ordinary-128x128.bmp"

# bitmap <file> <width> <height> <bits> <compression> <pixel bytes>: the
# 14-byte file header, the 40-byte info header, a black and white table.
bitmap() {
  perl -e '
    my ($path, $w, $h, $bits, $compression, $pixels) = @ARGV;
    my $data = do { local $/; open(my $in, "<:raw", $pixels) or die; <$in> };
    open(my $out, ">:raw", $path) or die;
    print $out "BM", pack("VVV", 62 + length($data), 0, 62),
      pack("VVVvvVVVVVV", 40, $w, $h, 1, $bits, $compression, 0, 0, 0, 2, 0),
      pack("VV", 0, 0xFFFFFF), $data;' "$@"
}
# white_runs <width> <height>: an 8-bit run-length stream painting every
# pixel with runs of 255, each row closed, then the end of the bitmap.
white_runs() {
  perl -e '
    my ($w, $h) = @ARGV;
    binmode STDOUT;
    for my $y (1 .. $h) {
      for (my $left = $w; $left > 0; $left -= 255) { print pack("CC", $left < 255 ? $left : 255, 1) }
      print pack("CC", 0, $y == $h ? 1 : 0);
    }' "$@"
}
printf '\0\1' > "$work/end"
bitmap "$work/files/rle8-89478485x1-64-bytes.bmp" 89478485 1 8 1 "$work/end"
bitmap "$work/files/rle8-65536x256-64-bytes.bmp" 65536 256 8 1 "$work/end"
for size in "4096 4096" "6144 2730" "65536 256"; do
  set -- $size
  white_runs "$1" "$2" > "$work/runs"
  bitmap "$work/files/rle8-${1}x${2}-white.bmp" "$1" "$2" 8 1 "$work/runs"
done
head -c $((360 * 2880)) /dev/zero | tr '\0' '\125' > "$work/bits"
bitmap "$work/files/1bit-2880x2880.bmp" 2880 2880 1 0 "$work/bits"

# Runs the renderer on the folder and prints its peak memory in MiB.
peak_of_run() {
  "$renderer" > /dev/null 2>&1 &
  local pid=$! shown=0 peak
  for _ in $(seq 600); do
    kill -0 "$pid" 2>/dev/null || break
    # The reader's box, when it refuses the file, answered at once (SDL
    # shows it from a process of its own, and xdotool's search misses it).
    for box in $(xwininfo -root -children 2>/dev/null | awk '/ "Error": / {print $1}'); do
      xdotool windowfocus "$box" key Return 2>/dev/null || true
    done
    if xdotool search --onlyvisible --name '^Oruna_VC$' > /dev/null 2>&1; then
      shown=$((shown + 1))
      [ "$shown" -ge 10 ] && break  # two seconds of frames
    fi
    sleep 0.2
  done
  peak=$(awk '/^VmHWM:/ {printf "%.0f", $2 / 1024}' "/proc/$pid/status" 2>/dev/null || echo "?")
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  echo "$peak"
}

echo "== Oruna.dll peak memory (VmHWM, MiB) with each file as Oruna1.bmp: $renderer"
for file in "$work"/files/*.bmp; do
  cp "$file" "$folder/Oruna1.bmp"
  printf '%-36s %8s bytes  %6s MiB\n' "$(basename "$file")" "$(stat -c %s "$file")" "$(peak_of_run)"
done
