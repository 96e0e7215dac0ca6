#!/usr/bin/env bash
# The installed Oruna in MATE's screen-saver preferences
# (mate-screensaver-preferences), run as an ordinary user with Oruna chosen
# and an MP3 configured: the tool previews the theme in a pane of its window,
# starting the saver with $XSCREENSAVER_WINDOW naming the pane and a clean
# environment. The scene shows in the pane, the saver loads no music, and
# closing the tool leaves no Oruna process. The daemon's own activation
# afterwards loads the music. As root everything runs as "nobody".
# Usage: mate_settings_test.sh [prefix of the installation, default /usr]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/test_lib.sh"
prefix=${1:-/usr}
installed_for_host mate-screensaver-preferences "$prefix"

if [ -z "${ORUNA_MATE_SESSION:-}" ]; then
  # As the user, on a private session bus and display.
  work=$(mktemp -d)
  chmod 755 "$work"
  user=()
  owner=$(id -un):$(id -gn)
  if [ "$(id -u)" -eq 0 ]; then
    user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
    owner=nobody:nogroup
  fi
  trap 'stop_xvfb; rm -rf "$work"' EXIT
  start_xvfb "$work" 1280x1024x24
  mkdir -p "$work/home/.config/glib-2.0/settings" "$work/runtime"
  chmod 700 "$work/runtime"
  # The theme chosen as a user does in the preferences, through GSettings;
  # the key file backend keeps it in the private configuration folder.
  cat >"$work/home/.config/glib-2.0/settings/keyfile" <<'KEYS'
[org/mate/screensaver]
mode='single'
themes=['screensavers-oruna']
lock-enabled=false
idle-activation-enabled=false
KEYS
  music_configured "$work/home" "$owner"
  chown -R "$owner" "$work/home" "$work/runtime"
  status=0
  "${user[@]}" env -i HOME="$work/home" XDG_RUNTIME_DIR="$work/runtime" DISPLAY="$DISPLAY" \
    PATH=/usr/bin:/bin GSETTINGS_BACKEND=keyfile XDG_DATA_DIRS="$prefix/share:/usr/local/share:/usr/share" \
    ORUNA_MATE_SESSION=1 NO_AT_BRIDGE=1 dbus-run-session -- "$0" "$@" || status=$?
  none_running "$saver" && none_running "$renderer" || { status=1; echo "FAIL: Oruna left running" >&2; }
  leftovers=$(pids_running "$saver"; pids_running "$renderer")
  [ -z "$leftovers" ] || kill $leftovers 2>/dev/null || true
  exit "$status"
fi

log=$HOME/mate.log
trap 'mate-screensaver-command --exit >/dev/null 2>&1 || true; [ -z "${tool:-}" ] || kill "$tool" 2>/dev/null || true' EXIT
mate-screensaver --no-daemon >"$log" 2>&1 &
wait_for 100 mate-screensaver-command --query >/dev/null 2>&1 || fail "mate-screensaver did not come up"

echo "== the preview in mate-screensaver-preferences"
mate-screensaver-preferences >"$HOME/preferences.log" 2>&1 &
tool=$!
wait_for 150 some_running "$saver" || { tail -5 "$HOME/preferences.log" >&2; fail "the tool started no Oruna"; }
expect_silent_preview

echo "== closing the tool"
window=$(xdotool search --onlyvisible --name '^Screensaver Preferences$' | head -n1)
[ -n "$window" ] || fail "no preferences window"
xdotool windowfocus --sync "$window" key Escape
wait_for 50 eval '! kill -0 "$tool" 2>/dev/null' || fail "Escape did not close the tool"
tool=
wait_for 50 none_running "$saver" || fail "Oruna.scr left running after the tool closed"
wait_for 50 none_running "$renderer" || fail "Oruna.dll left running after the tool closed"

echo "== the daemon's activation loads the music"
mate-screensaver-command --activate >/dev/null
wait_for 100 some_running "$saver" || fail "the theme did not start Oruna"
run=$(pids_running "$saver")
wait_for 100 star_visible || fail "no scene on the screen"
wait_for 50 music_loaded "$run" || fail "the daemon's run loaded no music"
mate-screensaver-command --deactivate >/dev/null
wait_for 50 none_running "$saver" || fail "Oruna.scr left running after deactivation"
wait_for 50 none_running "$renderer" || fail "Oruna.dll left running after deactivation"
echo "PASS"
