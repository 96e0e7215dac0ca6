# Shell helpers shared by the installation tests (sourced, not run).

fail() { echo "FAIL: $*" >&2; exit 1; }
skip() { echo "SKIP: $*"; exit 0; }

# installed_for_host <host program> <prefix>: sets saver and renderer to the
# programs installed under <prefix> and hack to the host's entry that starts
# them; skips the test when the host or that entry is missing. The hosts
# look for display modes only in their own system folder.
installed_for_host() {
  saver=$2/lib/oruna/Oruna.scr
  renderer=$2/lib/oruna/Oruna.dll
  hack=/usr/libexec/xscreensaver/oruna
  command -v "$1" >/dev/null || skip "$1 is not installed"
  [ -x "$hack" ] || skip "$hack is not installed"
  grep -q "$saver" "$hack" || skip "$hack does not start $saver"
}

# wait_for <tenths of a second> <command...>: true once the command succeeds.
wait_for() {
  local tries=$1; shift
  for _ in $(seq "$tries"); do "$@" && return 0; sleep 0.1; done
  return 1
}

# start_xvfb <work dir> [screen]: a private Xvfb on a free display; sets
# DISPLAY and XVFB_PID. The caller's EXIT trap should call stop_xvfb.
start_xvfb() {
  local dir=$1 screen=${2:-1024x768x24}
  Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp 3>"$dir/display" 2>"$dir/xvfb.log" &
  XVFB_PID=$!
  wait_for 100 test -s "$dir/display" || fail "Xvfb did not start"
  export DISPLAY=:$(head -n1 "$dir/display")
}
stop_xvfb() { [ -z "${XVFB_PID:-}" ] || kill "$XVFB_PID" 2>/dev/null || true; }

# pids_running <program file>: ids of the processes running that very file
# (matched by /proc/<pid>/exe, so runs of other copies are not counted).
pids_running() {
  # find fails when a process ends while it looks; the others still count.
  { find /proc/[0-9]*/exe -maxdepth 0 -lname "$(readlink -f "$1")" 2>/dev/null || true; } | cut -d/ -f3
}
none_running() { [ -z "$(pids_running "$1")" ]; }
some_running() { [ -n "$(pids_running "$1")" ]; }

# window_named <title>: true while a window with exactly that title exists.
window_named() { xdotool search --name "^$1\$" >/dev/null 2>&1; }

# Mean red, green and blue (0..255) of the middle of a 1024x768 screen. The
# scene's star fills it (orange); a host's own window alone is black there.
middle_colour() {
  import -window root -crop 256x256+384+256 +repage \
    -format '%[fx:int(255*mean.r)] %[fx:int(255*mean.g)] %[fx:int(255*mean.b)]\n' info: 2>/dev/null
}
star_visible() {
  local r g b
  read -r r g b < <(middle_colour) || return 1
  [ "$r" -gt 128 ] && [ "$r" -gt $((b + 64)) ]
}
