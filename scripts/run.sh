#!/usr/bin/env bash
# Installs what is missing, builds, and runs the screen saver ("Oruna.scr /s").
# With a display it runs there until Escape. Without one it runs on a private
# Xvfb for a few seconds, saves a screenshot and ends the run with Escape.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
ORUNA_BUILD_TARGET=programs scripts/build.sh build  # the programs only; the tests are test.sh's
bin=$PWD/build/bin

start_program() {
  "$bin/Oruna.scr" /s &
  pid=$!
}

if [ -n "${DISPLAY:-}" ]; then
  start_program
  wait "$pid"
  exit 0
fi

runtime=$(mktemp -d)
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$runtime/display" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$runtime/display" ] && break; sleep 0.1; done
display=$(head -n1 "$runtime/display")
export DISPLAY=:$display
export XDG_RUNTIME_DIR=$runtime
trap 'kill $xvfb_pid 2>/dev/null || true; rm -rf "$runtime"' EXIT
start_program
sleep 5
shot=$PWD/build/screenshot.png
import -window root "$shot"
xdotool key Escape
wait "$pid" || true
echo "No display: ran on Xvfb $DISPLAY; screenshot saved to $shot"
