#!/usr/bin/env bash
# The installed Oruna as the theme of the MATE screen saver: activated, the
# scene is on the screen; deactivated, no Oruna process is left.
# Usage: mate_screensaver_test.sh [prefix of the installation, default /usr]
# MATE starts themes only from fixed system folders, so this needs Oruna
# installed there (the package test runs it after installing the .deb).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/test_lib.sh"
prefix=${1:-/usr}
installed_for_host mate-screensaver "$prefix"

# Everything below runs on a private session bus.
if [ -z "${ORUNA_MATE_SESSION:-}" ]; then
  ORUNA_MATE_SESSION=1 exec dbus-run-session -- "$0" "$@"
fi

work=$(mktemp -d)
trap 'mate-screensaver-command --exit >/dev/null 2>&1 || true; stop_xvfb; rm -rf "$work"' EXIT
start_xvfb "$work"
export XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/runtime
mkdir -p -m 700 "$XDG_RUNTIME_DIR"
export XDG_DATA_DIRS=$prefix/share:${XDG_DATA_DIRS:-/usr/local/share:/usr/share}
# The theme chosen as a user does in the preferences, through GSettings;
# the key file backend keeps it in the private configuration folder.
export GSETTINGS_BACKEND=keyfile
mkdir -p "$XDG_CONFIG_HOME/glib-2.0/settings"
cat >"$XDG_CONFIG_HOME/glib-2.0/settings/keyfile" <<'KEYS'
[org/mate/screensaver]
mode='single'
themes=['screensavers-oruna']
lock-enabled=false
idle-activation-enabled=false
KEYS

mate-screensaver --no-daemon --debug >"$work/mate.log" 2>&1 &
wait_for 100 mate-screensaver-command --query >/dev/null 2>&1 || fail "mate-screensaver did not come up"

for round in 1 2; do
  echo "== activation $round"
  mate-screensaver-command --activate >/dev/null
  if ! wait_for 100 some_running "$saver"; then
    grep -i "command for job\|error" "$work/mate.log" | tail -5 >&2 || true
    fail "the theme did not start Oruna"
  fi
  wait_for 100 star_visible || fail "no scene on the screen (middle colour $(middle_colour))"
  echo "middle colour while active: $(middle_colour)"
  mate-screensaver-command --deactivate >/dev/null
  wait_for 50 none_running "$saver" || fail "Oruna.scr left running after deactivation"
  wait_for 50 none_running "$renderer" || fail "Oruna.dll left running after deactivation"
done
echo "PASS"
