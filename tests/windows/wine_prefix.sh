#!/usr/bin/env bash
# Prepares what the Wine sessions of the Windows tests share, once per build
# folder: a Wine prefix (wineboot -i; X11 windows unmanaged, so that no
# missing window manager delays every DestroyWindow by two seconds), a
# generated ja_JP.UTF-8 locale, which makes Wine's ANSI code page 932, and
# the test music: a tone of one and a half seconds as MP3.
#   wine_prefix.sh <folder>
set -euo pipefail
dir=$1
prefix=$dir/prefix
stamp="$(wine --version 2>/dev/null)"
mkdir -p "$dir"

if [ ! -d "$dir/locale/ja_JP.UTF-8" ]; then
  mkdir -p "$dir/locale"
  localedef -i ja_JP -f UTF-8 "$dir/locale/ja_JP.UTF-8" || [ -f "$dir/locale/ja_JP.UTF-8/LC_CTYPE" ]
fi

mkdir -p "$dir/media"
if [ ! -s "$dir/media/tone.mp3" ] || [ "$dir/media/tone.mp3" -ot "$0" ]; then
  sox -q -n -r 44100 -c 2 "$dir/media/tone.mp3" synth 1.5 sine 440 vol 0.5
fi

if [ -f "$prefix/.oruna-ready" ] && [ "$(cat "$prefix/.oruna-ready")" = "$stamp" ]; then
  exit 0
fi
rm -rf "$prefix"
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
start=$(date +%s)
wineboot -i </dev/null >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f </dev/null >/dev/null 2>&1
wineserver -w
echo "$stamp" > "$prefix/.oruna-ready"
echo "Wine prefix ready in $(( $(date +%s) - start )) s: $prefix"
