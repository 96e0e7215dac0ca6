#!/usr/bin/env bash
# The installed Oruna in XScreenSaver's settings tool (xscreensaver-settings),
# run as an ordinary user with Oruna chosen and an MP3 configured: the tool
# previews Oruna in a pane of its window, starting the saver with
# $XSCREENSAVER_WINDOW naming the pane and --window-id appended. The scene
# shows in the pane, the saver loads no music, and closing the tool leaves no
# Oruna process. The daemon's own activation afterwards plays the music. As
# root everything runs as "nobody".
# Usage: xscreensaver_settings_test.sh [prefix of the installation, default /usr]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/test_lib.sh"
prefix=${1:-/usr}
installed_for_host xscreensaver-settings "$prefix"

work=$(mktemp -d)
chmod 755 "$work"
user=()
owner=$(id -un):$(id -gn)
if [ "$(id -u)" -eq 0 ]; then
  user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
  owner=nobody:nogroup
fi
trap 'as_user xscreensaver-command -exit >/dev/null 2>&1 || true; [ -z "${tool:-}" ] || kill "$tool" 2>/dev/null || true
  stop_xvfb; rm -rf "$work"' EXIT
start_xvfb "$work" 1280x1024x24
mkdir -p "$work/home" "$work/runtime"
chmod 700 "$work/runtime"
chown "$owner" "$work/home" "$work/runtime"
session=(env -i HOME="$work/home" XDG_RUNTIME_DIR="$work/runtime" DISPLAY="$DISPLAY"
  SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/audio.raw" PATH=/usr/bin:/bin)
as_user() { "${user[@]}" "${session[@]}" "$@"; }
music_configured "$work/home" "$owner"
chmod 777 "$work"  # the disk audio driver writes its file here, as the user
as_user tee "$work/home/.xscreensaver" >/dev/null <<SETTINGS
mode:		one
selected:	0
lock:		False
fade:		False
unfade:		False
programs:							      \\
  GL: 				oruna					    \\n\\

SETTINGS
as_user xscreensaver -no-splash >"$work/xscreensaver.log" 2>&1 &
wait_for 100 as_user xscreensaver-command -time >/dev/null 2>&1 || fail "xscreensaver did not come up"

echo "== the preview in xscreensaver-settings"
"${user[@]}" "${session[@]}" xscreensaver-settings >"$work/settings.log" 2>&1 &
tool=$!  # the tool itself: setpriv and env exec it
wait_for 150 some_running "$saver" || { tail -5 "$work/settings.log" >&2; fail "the tool started no Oruna"; }
expect_silent_preview
[ ! -s "$work/audio.raw" ] || fail "the preview wrote sound"

echo "== closing the tool"
# Ctrl+Q (File, Quit) in the tool's window; it also has hidden windows of that name.
window=$(xdotool search --onlyvisible --name '^XScreenSaver: .* Settings$' | head -n1)
[ -n "$window" ] || fail "no settings window"
xdotool windowfocus --sync "$window" key ctrl+q
wait_for 50 eval '! kill -0 "$tool" 2>/dev/null' || { kill "$tool"; fail "ctrl+q did not close the tool"; }
tool=
wait_for 50 none_running "$saver" || fail "Oruna.scr left running after the tool closed"
wait_for 50 none_running "$renderer" || fail "Oruna.dll left running after the tool closed"

echo "== the daemon's activation plays the music"
as_user xscreensaver-command -activate >/dev/null
wait_for 100 some_running "$saver" || fail "XScreenSaver did not start Oruna"
run=$(pids_running "$saver")
wait_for 100 star_visible || fail "no scene on the screen"
wait_for 50 music_loaded "$run" || fail "the daemon's run loaded no music"
wait_for 50 test -s "$work/audio.raw" || fail "the daemon's run wrote no sound"
as_user xscreensaver-command -deactivate >/dev/null
wait_for 50 none_running "$saver" || fail "Oruna.scr left running after deactivation"
wait_for 50 none_running "$renderer" || fail "Oruna.dll left running after deactivation"
echo "PASS"
