#!/usr/bin/env bash
# `cmake --install` of a build: the exact set of files for the hosts, their
# contents naming the final prefix (also when staged with DESTDIR), and the
# installed stand-in starting the installed saver, which ends on SIGTERM as
# the hosts end it, and the installed saver showing its settings dialog from
# the module installed beside it. Usage: install_tree_test.sh <build dir>
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/test_lib.sh"
build=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'stop_xvfb; [ -z "${saver:-}" ] || kill -9 "$saver" 2>/dev/null; rm -rf "$work"' EXIT

expected_files="lib/oruna/Oruna.dll
lib/oruna/Oruna.music.so
lib/oruna/Oruna.scr
lib/oruna/Oruna.settings.so
libexec/xscreensaver/oruna
share/applications/oruna-settings.desktop
share/applications/screensavers/oruna.desktop
share/icons/hicolor/128x128/apps/oruna.png
share/icons/hicolor/16x16/apps/oruna.png
share/icons/hicolor/22x22/apps/oruna.png
share/icons/hicolor/24x24/apps/oruna.png
share/icons/hicolor/256x256/apps/oruna.png
share/icons/hicolor/32x32/apps/oruna.png
share/icons/hicolor/48x48/apps/oruna.png
share/icons/hicolor/64x64/apps/oruna.png
share/xscreensaver/config/oruna.xml"

file_list() { (cd "$1" && find . -type f -o -type l | sed 's|^\./||' | LC_ALL=C sort); }

echo "== install into a prefix"
prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >"$work/install.log" || { cat "$work/install.log"; fail "install"; }
[ "$(file_list "$prefix")" = "$expected_files" ] || fail "installed files: $(file_list "$prefix")"
for f in lib/oruna/Oruna.scr lib/oruna/Oruna.dll libexec/xscreensaver/oruna; do
  [ -x "$prefix/$f" ] || fail "$f is not executable"
done
# Modules, loaded by the saver, not programs.
for f in lib/oruna/Oruna.settings.so lib/oruna/Oruna.music.so; do
  [ -r "$prefix/$f" ] && [ ! -x "$prefix/$f" ] || fail "$f is not a readable, non-executable module"
done
# install_manifest.txt is what a user removes the installation by.
for f in $expected_files; do
  grep -qx "$prefix/$f" "$build/install_manifest.txt" || fail "$f missing from install_manifest.txt"
done

echo "== host files"
hack=$prefix/libexec/xscreensaver/oruna
grep -q "^exec '$prefix/lib/oruna/Oruna.scr' /s" "$hack" || fail "stand-in does not start the installed saver: $(cat "$hack")"
# Of the host's arguments only --window-id and its value go on, as one
# argument each after /s (the saver replaced by a printer of its arguments).
sed "s|^exec '$prefix/lib/oruna/Oruna.scr'|exec printf '[%s]'|" "$hack" >"$work/hack-arguments"
passed() { sh "$work/hack-arguments" "$@"; }
[ "$(passed)" = "[/s]" ] || fail "stand-in arguments: $(passed)"
[ "$(passed -root /c)" = "[/s]" ] || fail "host arguments passed on: $(passed -root /c)"
[ "$(passed -root --window-id 0x800C9C)" = "[/s][--window-id][0x800C9C]" ] || fail "window id: $(passed --window-id 0x800C9C)"
[ "$(passed --window-id '0x1 /c')" = "[/s][--window-id][0x1 /c]" ] || fail "window id: $(passed --window-id '0x1 /c')"
[ "$(passed --window-id)" = "[/s]" ] || fail "a window id switch without its value: $(passed --window-id)"
xml=$prefix/share/xscreensaver/config/oruna.xml
xmllint --noout "$xml" || fail "oruna.xml is not well-formed"
# XScreenSaver pairs the settings file with the display mode by program name.
[ "$(xmllint --xpath 'string(/screensaver/@name)' "$xml")" = "$(basename "$hack")" ] || fail "xml name"
[ -n "$(xmllint --xpath 'string(/screensaver/@_label)' "$xml")" ] || fail "xml label"
xmllint --xpath 'string(/screensaver/_description)' "$xml" | grep -q "$prefix/lib/oruna/Oruna.scr /c" ||
  fail "xml description does not name the settings command"
desktop=$prefix/share/applications/screensavers/oruna.desktop
desktop-file-validate "$desktop" || fail "oruna.desktop is not valid"
grep -qx "Exec=$hack" "$desktop" || fail "theme does not start the stand-in"
grep -qx "Categories=Screensaver;" "$desktop" || fail "theme is not in the Screensaver category"

echo "== menu entry and its icon"
entry=$prefix/share/applications/oruna-settings.desktop
desktop-file-validate "$entry" || fail "oruna-settings.desktop is not valid"
grep -qx "Name=Oruna screen saver settings" "$entry" || fail "menu entry name"
grep -qx "Icon=oruna" "$entry" || fail "menu entry icon name"
# Each icon is an image of the size its folder names, with an alpha channel
# (read by ImageMagick, not by our generator).
for icon in "$prefix"/share/icons/hicolor/*/apps/oruna.png; do
  size=$(basename "$(dirname "$(dirname "$icon")")")
  [ "$(identify -format '%wx%h %A' "$icon")" = "$size True" ] || fail "$icon: $(identify -format '%wx%h %A' "$icon")"
done
# The command a menu runs: Exec without its quotes (the entry uses no field codes).
eval "set -- $(sed -n 's/^Exec=//p' "$entry")"
[ "$*" = "$prefix/lib/oruna/Oruna.scr /c" ] || fail "menu entry runs: $*"
menu_command=("$@")

echo "== staged install (DESTDIR) names the final prefix"
DESTDIR=$work/stage cmake --install "$build" --prefix /opt/oruna >"$work/stage.log" || { cat "$work/stage.log"; fail "staged install"; }
[ "$(file_list "$work/stage/opt/oruna")" = "$expected_files" ] || fail "staged files"
! grep -rq "$work/stage" "$work/stage/opt/oruna/libexec" "$work/stage/opt/oruna/share" || fail "staging folder leaked into a host file"
grep -q "^exec '/opt/oruna/lib/oruna/Oruna.scr' /s" "$work/stage/opt/oruna/libexec/xscreensaver/oruna" || fail "staged stand-in"
grep -qx "Exec=/opt/oruna/libexec/xscreensaver/oruna" "$work/stage/opt/oruna/share/applications/screensavers/oruna.desktop" ||
  fail "staged theme"
grep -qx 'Exec="/opt/oruna/lib/oruna/Oruna.scr" /c' "$work/stage/opt/oruna/share/applications/oruna-settings.desktop" ||
  fail "staged menu entry"

echo "== without a display, one line says why"
# A free display number: Xvfb is not started yet, and :9999 has no socket.
for display in unset :9999; do
  for switch in /s /p ""; do
    status=0
    if [ "$display" = unset ]; then
      env -u DISPLAY XDG_RUNTIME_DIR="$work" "$prefix/lib/oruna/Oruna.scr" $switch 2>"$work/nodisplay.err" || status=$?
    else
      DISPLAY=$display XDG_RUNTIME_DIR="$work" "$prefix/lib/oruna/Oruna.scr" $switch 2>"$work/nodisplay.err" || status=$?
    fi
    [ "$status" -eq 0 ] || fail "no display ($display, '$switch'): exit status $status"
    [ "$(wc -l <"$work/nodisplay.err")" -eq 1 ] && grep -q '^Oruna.scr: cannot open the X display' "$work/nodisplay.err" ||
      fail "no display ($display, '$switch'): $(cat "$work/nodisplay.err")"
  done
done
grep -qx 'Oruna.scr: cannot open the X display ":9999"' "$work/nodisplay.err" || fail "the display's name: $(cat "$work/nodisplay.err")"

echo "== the stand-in runs the installed programs"
start_xvfb "$work"
mkdir -m 700 "$work/runtime"
XDG_RUNTIME_DIR=$work/runtime XDG_CONFIG_HOME=$work/config "$hack" --root 2>"$work/run.err" &
saver=$!
wait_for 100 window_named Oruna_VC || fail "no renderer window"
# exec: the process the host started is the saver itself, with /s.
[ "$(readlink "/proc/$saver/exe")" = "$prefix/lib/oruna/Oruna.scr" ] || fail "the started process is not the saver"
[ "$(tr '\0' ' ' <"/proc/$saver/cmdline")" = "$prefix/lib/oruna/Oruna.scr /s " ] || fail "saver arguments"
some_running "$prefix/lib/oruna/Oruna.dll" || fail "renderer not started from the program folder"
for n in 1 2 3 4; do [ -s "$work/runtime/p_orvi/Oruna$n.bmp" ] || fail "texture $n not written"; done
kill -TERM "$saver"
wait_for 50 none_running "$prefix/lib/oruna/Oruna.scr" || fail "saver still running after SIGTERM"
wait_for 50 none_running "$prefix/lib/oruna/Oruna.dll" || fail "renderer left running after SIGTERM"
saver=

echo "== the menu entry's command shows the settings dialog"
NO_AT_BRIDGE=1 XDG_RUNTIME_DIR=$work/runtime XDG_CONFIG_HOME=$work/config HOME=$work \
  "${menu_command[@]}" 2>>"$work/run.err" &
saver=$!
wait_for 200 window_named "<Oruna>" || { cat "$work/run.err"; fail "no settings dialog"; }
kill -TERM "$saver"
wait_for 50 none_running "$prefix/lib/oruna/Oruna.scr" || fail "settings dialog still running after SIGTERM"
saver=
# In a sanitizer build both programs report their faults here.
! grep -q "Sanitizer\|runtime error" "$work/run.err" || { cat "$work/run.err"; fail "sanitizer report"; }
echo "PASS"
