#!/usr/bin/env bash
# Runs one Windows program under Wine in a session of its own: a fresh wine
# server on the shared prefix, a private Xvfb (found through -displayfd), a
# private HOME whose ALSA default device is a null device (or a raw file),
# and optionally the Japanese locale (ANSI code page 932).
#   wine_session.sh [--screen WxHxD | --no-display] [--japanese] [--fresh-prefix]
#                   [--capture-audio] [--capture-stderr] -- program.exe [arguments...]
# --fresh-prefix runs the program on a copy of the shared prefix made for
# this session alone (as a machine that never had Oruna on it), removed
# with the session.
# --capture-audio writes what reaches the ALSA default device into a raw
# file named by $ORUNA_SESSION_AUDIO.
# --capture-stderr sends the Unix standard error of the program and of every
# process it starts (where Wine writes its debug channels) to a file named
# by $ORUNA_SESSION_STDERR, which the program may read; its end is shown
# when the program fails.
# The wine folder (prefix and locale, see wine_prefix.sh) comes from
# $ORUNA_WINE_DIR. The program's exit code is the session's; its output
# loses the CR of Windows line ends.
set -uo pipefail
screen=1024x768x24
display=yes
japanese=no
audio=no
capture=no
fresh=no
while [ $# -gt 0 ]; do
  case $1 in
    --screen) screen=$2; shift 2 ;;
    --no-display) display=no; shift ;;
    --japanese) japanese=yes; shift ;;
    --capture-audio) audio=yes; shift ;;
    --capture-stderr) capture=yes; shift ;;
    --fresh-prefix) fresh=yes; shift ;;
    --) shift; break ;;
    *) echo "wine_session.sh: unknown option $1" >&2; exit 2 ;;
  esac
done
: "${ORUNA_WINE_DIR:?the wine folder of the build}"

export WINEPREFIX=$ORUNA_WINE_DIR/prefix WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree,mshtml="
session=$(mktemp -d "${TMPDIR:-/tmp}/oruna-wine.XXXXXX")
if [ "$fresh" = yes ]; then
  cp -a --reflink=auto "$WINEPREFIX" "$session/prefix" || { rm -rf "$session"; exit 1; }
  export WINEPREFIX=$session/prefix
fi
xvfb_pid=
cleanup() {
  wineserver -k >/dev/null 2>&1
  wineserver -w >/dev/null 2>&1
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  rm -rf "$session"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

export HOME=$session/home
mkdir -p "$HOME"
if [ "$audio" = yes ]; then
  export ORUNA_SESSION_AUDIO=$session/audio.raw
  printf 'pcm.!default { type file slave.pcm "null_out" file "%s" format "raw" }\npcm.null_out { type null }\n' \
    "$ORUNA_SESSION_AUDIO" > "$HOME/.asoundrc"
else
  printf 'pcm.!default { type null }\n' > "$HOME/.asoundrc"
fi

if [ "$japanese" = yes ]; then
  # (The shell itself cannot load the generated locale; it need not.)
  export LOCPATH=$ORUNA_WINE_DIR/locale LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 2>/dev/null
else
  export LANG=C.UTF-8 LC_ALL=C.UTF-8
fi

unset DISPLAY WAYLAND_DISPLAY
if [ "$display" = yes ]; then
  fifo=$session/displayfd
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp -noreset 3>"$fifo" >/dev/null 2>&1 &
  xvfb_pid=$!
  read -r -t 20 number < "$fifo" || { echo "Xvfb did not start" >&2; exit 1; }
  export DISPLAY=:$number
fi

# The server and Wine's background services start first, with no share in
# the program's output.
wineserver -p </dev/null >/dev/null 2>&1
wine cmd /c exit </dev/null >/dev/null 2>&1

# The output goes to a file, not a pipe: a process the program leaves behind
# would hold a pipe open. It is shown when the session ends, also when it is
# ended from outside (a time-out).
output=$session/output.log
show_output() { [ -f "$output" ] && tr -d '\r' < "$output"; }
trap 'show_output; cleanup' EXIT
if [ "$capture" = yes ]; then
  export ORUNA_SESSION_STDERR=$session/stderr.log
  wine "$@" </dev/null >"$output" 2>"$ORUNA_SESSION_STDERR"
  status=$?
  if [ "$status" -ne 0 ]; then
    show_output
    rm -f "$output"
    echo "---- end of the session's standard error ----"
    tail -n 60 "$ORUNA_SESSION_STDERR" | tr -d '\r'
  fi
  exit "$status"
fi
wine "$@" </dev/null >"$output" 2>&1
