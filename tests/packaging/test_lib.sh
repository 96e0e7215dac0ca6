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

# music_configured <home> <owner>: a two-second MP3 tone in <home> and the
# user's Oruna.ini (~/.config/oruna) choosing it, owned by <owner> (user:group).
music_configured() {
  local home=$1 owner=$2
  mkdir -p "$home/.config/oruna"
  sox -q -n -r 44100 -c 2 "$home/tone.mp3" synth 2 sine 440 || fail "sox could not make an MP3"
  printf '[Section]\r\nBGM区分= 2\r\nBGMﾘﾋﾟｰﾄ= 0\r\nBGMﾌｧｲﾙ=%s\r\n' "$home/tone.mp3" >"$home/.config/oruna/Oruna.ini"
  chown -R "$owner" "$home/.config" "$home/tone.mp3"
}

# music_loaded <pid>: the process has the music module (and with it
# SDL2_mixer) mapped. A run loads it only to play music.
music_loaded() { grep -q 'Oruna\.music\.so\|libSDL2_mixer' "/proc/$1/maps" 2>/dev/null; }

# window_area <window id>: "WIDTHxHEIGHT+X+Y" of the window on the screen.
window_area() {
  xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4}
    /Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h "+" x "+" y}'
}

# star_in_window <window id>: the scene's star shows in the window: the
# middle third of its area is clearly orange, not the host's black or grey.
star_in_window() {
  local w h x y r g b
  IFS='x+' read -r w h x y < <(window_area "$1") || return 1
  [ "${w:-0}" -ge 30 ] && [ "${h:-0}" -ge 30 ] || return 1
  read -r r g b < <(import -window root -crop "$((w / 3))x$((h / 3))+$((x + w / 3))+$((y + h / 3))" +repage \
    -format '%[fx:int(255*mean.r)] %[fx:int(255*mean.g)] %[fx:int(255*mean.b)]\n' info: 2>/dev/null) || return 1
  [ "$r" -gt 100 ] && [ "$r" -gt $((b + 48)) ]
}

# host_window_of <pid>: the $XSCREENSAVER_WINDOW the process was started with.
host_window_of() { tr '\0' '\n' <"/proc/$1/environ" 2>/dev/null | sed -n 's/^XSCREENSAVER_WINDOW=//p'; }

# preview_showing: one of the running $saver processes shows the scene in its
# host's window; sets preview (its pid) and pane (that window). A settings
# tool may start its preview again as its window settles: the one that
# counts is the one whose pane shows the scene.
preview_showing() {
  local p w
  for p in $(pids_running "$saver"); do
    w=$(host_window_of "$p")
    if [ -n "$w" ] && star_in_window "$w" 2>/dev/null; then preview=$p pane=$w; return 0; fi
  done
  return 1
}

# expect_silent_preview: waits for the scene in a settings tool's preview
# pane, says what the tool handed the preview, and fails when the preview
# loaded the music module by the time music would have started.
expect_silent_preview() {
  wait_for 150 preview_showing || fail "no scene in the preview pane ($(pids_running "$saver" | wc -l) Oruna.scr running)"
  echo "preview: $(tr '\0' ' ' <"/proc/$preview/cmdline"), XSCREENSAVER_WINDOW=$pane"
  echo "its environment: $(tr '\0' '\n' <"/proc/$preview/environ" | cut -d= -f1 | sort | tr '\n' ' ')"
  echo "pane $(window_area "$pane"), child of $(xwininfo -children -id "$pane" | sed -n 's/.*Parent window id: //p')"
  sleep 2
  ! music_loaded "$preview" || fail "the preview loaded the music module"
}
