#!/usr/bin/env bash
# Long run of `Oruna.scr /s` on a private Xvfb with music on SDL's disk audio
# driver, sampling once a minute the resident memory, open file descriptors
# and threads of the saver and of its renderer, and how much sound the saver
# wrote in that minute (KiB, and the loudest sample of its last 3 s; the disk
# file is emptied after each sample so that it stays small).
#   bench/soak.sh [minutes] [mp3|cd] [build dir]
# mp3: a 3 s MP3 that ends and is started again by the saver's music loop.
# cd:  a three-track disc image (BIN/CUE) standing in for the drive, with
#      track 2 (4 s) on repeat, so the poll jumps back every few seconds.
# Prints one line per sample, then first/last/max of each quantity, then
# ends the run with Escape and reports how the saver ended.
set -euo pipefail
minutes=${1:-60}
music=${2:-mp3}
build=${3:-build}
bin=$(cd "$build/bin" && pwd)
work=$(mktemp -d)
xvfb="" saver=""
cleanup() {
  [ -n "$saver" ] && kill "$saver" 2>/dev/null
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

source "$(dirname "$0")/private_xvfb.sh"
start_private_xvfb "$work"

# The programs run from a folder of their own, where the settings file lives.
mkdir -m 700 "$work/program" "$work/runtime" "$work/home"
cp "$bin/Oruna.scr" "$bin/Oruna.dll" "$bin/Oruna.music.so" "$work/program/"
export XDG_RUNTIME_DIR=$work/runtime HOME=$work/home XDG_CONFIG_HOME=$work/home/.config
audio=$work/audio.raw
export LC_ALL=C.UTF-8 SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$audio

# A disc image of 4 s tone tracks: raw 16-bit little-endian stereo, 300
# sectors (2352 bytes each) per track, with a CUE sheet that indexes them.
make_disc() {
  local k
  for k in 1 2 3; do
    sox -q -n -r 44100 -c 2 -b 16 -e signed -L -t raw "$work/track$k.raw" synth 4 sine $((220 * k)) vol 0.3
  done
  cat "$work/track1.raw" "$work/track2.raw" "$work/track3.raw" > "$work/disc.bin"
  printf 'FILE "disc.bin" BINARY\n' > "$work/disc.cue"
  for k in 1 2 3; do
    printf '  TRACK %02d AUDIO\n    INDEX 01 00:%02d:00\n' "$k" $((4 * (k - 1))) >> "$work/disc.cue"
  done
}

case $music in
  mp3)
    sox -q -n -r 44100 -c 2 "$work/tone.mp3" synth 3 sine 440 vol 0.3
    printf '[Section]\r\nBGM区分= 2\r\nBGMﾘﾋﾟｰﾄ= 0\r\nBGMﾌｧｲﾙ=%s\r\n' "$work/tone.mp3" > "$work/program/Oruna.ini"
    ;;
  cd)
    make_disc
    export ORUNA_CD_IMAGE=$work/disc.cue
    printf '[Section]\r\nBGM区分= 1\r\nBGMﾘﾋﾟｰﾄ= 2\r\n' > "$work/program/Oruna.ini"
    ;;
  *) echo "music must be mp3 or cd" >&2; exit 2 ;;
esac

"$work/program/Oruna.scr" /s &
saver=$!
renderer=""
for _ in $(seq 200); do
  renderer=$(pgrep -P "$saver" -x Oruna.dll || true)
  [ -n "$renderer" ] && break
  sleep 0.1
done
[ -n "$renderer" ] || { echo "the saver started no renderer" >&2; exit 1; }

# rss in KiB, open descriptors, threads; "- - -" once the process is gone.
sample() {
  local pid=$1
  if [ -r "/proc/$pid/status" ]; then
    local rss threads fds
    rss=$(awk '/^VmRSS:/ {print $2}' "/proc/$pid/status")
    threads=$(awk '/^Threads:/ {print $2}' "/proc/$pid/status")
    fds=$(ls "/proc/$pid/fd" 2>/dev/null | wc -l)
    echo "$rss $fds $threads"
  else
    echo "- - -"
  fi
}

# KiB written since the last call and the loudest 16-bit sample of the last
# 3 s; then the file is emptied. SDL keeps writing at its own offset and
# leaves a hole that takes no space, so the size grows on as the count.
audio_sample() {
  [ -f "$audio" ] || { echo "0 0"; return; }
  local bytes last peak
  bytes=$(stat -c %s "$audio")
  last=$(cat "$work/audio.last" 2>/dev/null || echo 0)
  peak=$(tail -c 529200 "$audio" | od -An -v -td2 -w2 | awk '{v = $1 < 0 ? -$1 : $1; if (v > p) p = v} END {print p + 0}')
  truncate -s 0 "$audio"
  echo "$bytes" > "$work/audio.last"
  echo "$(( (bytes - last) / 1024 )) $peak"
}

echo "== soak: $minutes min, music $music, started $(date -u +%H:%M:%S) UTC"
series=$work/series
printf '%6s %10s %6s %6s %10s %6s %6s %8s %6s\n' min scr_rssKiB scr_fd scr_thr dll_rssKiB dll_fd dll_thr sndKiB peak
for minute in $(seq 0 "$minutes"); do
  [ "$minute" -gt 0 ] && sleep 60
  line="$minute $(sample "$saver") $(sample "$renderer") $(audio_sample)"
  echo "$line" >> "$series"
  echo "$line" | awk '{printf "%6s %10s %6s %6s %10s %6s %6s %8s %6s\n", $1, $2, $3, $4, $5, $6, $7, $8, $9}'
  case $line in *-*) echo "a program ended during the run" >&2; break ;; esac
done

echo "== first / last / max"
awk '
  BEGIN { split("scr_rssKiB scr_fd scr_thr dll_rssKiB dll_fd dll_thr", name, " ") }
  $2 != "-" { for (i = 2; i <= 7; ++i) { v = $i + 0; if (NR == 1) first[i] = v; last[i] = v; if (v > max[i]) max[i] = v } }
  # Settled: the value at minute 5 (or the first sample of a shorter run);
  # growth is any later sample above it.
  $2 != "-" && ($1 <= 5 || NR == 1) { for (i = 2; i <= 7; ++i) settled[i] = $i + 0 }
  $2 != "-" && $1 > 5 { for (i = 2; i <= 7; ++i) if ($i + 0 > peak[i]) peak[i] = $i + 0 }
  END {
    for (i = 2; i <= 7; ++i)
      printf "%-11s first %8d  last %8d  max %8d  grew after minute 5: %s\n", name[i - 1], first[i], last[i],
             max[i], (peak[i] > settled[i] ? "by " (peak[i] - settled[i]) : "no")
  }
' "$series"

xdotool key Escape
for _ in $(seq 100); do kill -0 "$saver" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$saver" 2>/dev/null; then
  echo "== the saver did not end within 10 s of Escape"
  exit 1
fi
status=0
wait "$saver" || status=$?
saver=""
echo "== saver ended on Escape with status $status; renderer gone: $(kill -0 "$renderer" 2>/dev/null && echo no || echo yes)"
