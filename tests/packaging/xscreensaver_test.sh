#!/usr/bin/env bash
# The installed Oruna as XScreenSaver's only display mode, named as a user
# names it in ~/.xscreensaver (just "oruna", found in XScreenSaver's folder of
# display modes): activated, the installed saver runs and the scene is on the
# screen; deactivated, no Oruna process is left; cycling every few seconds
# (each cycle ends the mode with SIGTERM and starts it again), the renderers
# do not pile up. XScreenSaver runs display modes only for a normal user, so
# as root it runs everything as "nobody".
# Usage: xscreensaver_test.sh [prefix of the installation, default /usr]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/test_lib.sh"
prefix=${1:-/usr}
installed_for_host xscreensaver "$prefix"

work=$(mktemp -d)
chmod 755 "$work"
user=()
if [ "$(id -u)" -eq 0 ]; then user=(setpriv --reuid=nobody --regid=nogroup --clear-groups); fi
trap 'as_user xscreensaver-command -exit >/dev/null 2>&1 || true; stop_xvfb; rm -rf "$work"' EXIT
start_xvfb "$work"
mkdir -p "$work/home" "$work/runtime"
chmod 700 "$work/runtime"
[ ${#user[@]} -eq 0 ] || chown nobody:nogroup "$work/home" "$work/runtime"
as_user() {
  "${user[@]}" env -i HOME="$work/home" XDG_RUNTIME_DIR="$work/runtime" DISPLAY="$DISPLAY" \
    PATH=/usr/bin:/bin "$@"
}
# settings <cycle>: the user's ~/.xscreensaver; XScreenSaver rereads it.
settings() {
  as_user tee "$work/home/.xscreensaver" >/dev/null <<SETTINGS
mode:		one
selected:	0
cycle:		$1
lock:		False
fade:		False
unfade:		False
programs:							      \\
  GL: 				oruna					    \\n\\

SETTINGS
}

settings 0:00:00
as_user xscreensaver -no-splash >"$work/xscreensaver.log" 2>&1 &
wait_for 100 as_user xscreensaver-command -time >/dev/null 2>&1 || fail "xscreensaver did not come up"

echo "== activate, deactivate"
as_user xscreensaver-command -activate >/dev/null
wait_for 100 some_running "$saver" || { tail -5 "$work/xscreensaver.log" >&2; fail "XScreenSaver did not start Oruna"; }
wait_for 100 star_visible || fail "no scene on the screen (middle colour $(middle_colour))"
as_user xscreensaver-command -deactivate >/dev/null
wait_for 50 none_running "$saver" || fail "Oruna.scr left running after deactivation"
wait_for 50 none_running "$renderer" || fail "Oruna.dll left running after deactivation"

echo "== cycling every 3 seconds"
settings 0:00:03
sleep 1
as_user xscreensaver-command -activate >/dev/null
# Each cycle starts one renderer; while one ends the next may already start.
renderers=" "
end=$((SECONDS + 12))  # several cycles
while [ "$SECONDS" -lt "$end" ]; do
  running=$(pids_running "$renderer")
  for p in $running; do case "$renderers" in *" $p "*) ;; *) renderers="$renderers$p " ;; esac; done
  [ "$(wc -w <<<"$running")" -le 2 ] || fail "renderers pile up: $(wc -w <<<"$running")"
  sleep 0.2
done
[ "$(wc -w <<<"$renderers")" -ge 3 ] || fail "XScreenSaver did not cycle (renderers seen:$renderers)"
wait_for 30 eval '[ "$(pids_running "$renderer" | wc -l)" -le 1 ]' || fail "more than one renderer after cycling"
as_user xscreensaver-command -deactivate >/dev/null
wait_for 50 none_running "$saver" || fail "Oruna.scr left running after cycling"
wait_for 50 none_running "$renderer" || fail "Oruna.dll left running after cycling"
echo "PASS ($(wc -w <<<"$renderers") renderers while cycling)"
