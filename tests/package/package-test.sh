#!/usr/bin/env bash
# The Debian package as a user gets it. scripts/make-deb.sh builds it from the build folder; its
# contents and fields are checked; dpkg -i installs it; the installed program is started by an
# unprivileged user (nobody) with a fresh home, a runtime folder and no other XDG variables, on a
# virtual desktop (scripts/with-desktop.sh: Xvfb, openbox, trayer); the main window must appear,
# the settings dialog is opened from the tray menu and closed with OK by real input (xdotool,
# XTest), and
# the program is ended from the tray menu. That user's own settings file must then hold the
# value, the catalog and the cache folder must be in that user's folders, and nothing may have
# been written anywhere else. dpkg -r removes the package, which must leave none of its files.
#   bash tests/package/package-test.sh BUILD_DIR
# Needs root for dpkg -i (exit 77, a skip, otherwise). The package never stays installed.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:?usage: $0 BUILD_DIR}" && pwd)

if [ "$(id -u)" -ne 0 ]; then
  echo "package test skipped: installing a package with dpkg -i needs root"
  exit 77
fi
if [ "${ZORBEL_PACKAGE_DESKTOP:-}" != 1 ]; then
  export ZORBEL_PACKAGE_DESKTOP=1
  exec bash "$root/scripts/with-desktop.sh" bash "$0" "$@"
fi
for tool in dpkg-deb dpkg-shlibdeps cpack setpriv xdotool xwininfo xprop; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing (scripts/install-deps.sh)"; exit 1; }
done
if dpkg-query -W -f='${Status}' zorbel 2>/dev/null | grep -q 'installed'; then
  echo "FAIL: a zorbel package is already installed here; the test would replace it"
  exit 1
fi

# Guards against a hang only: the web engine alone takes seconds to start here.
guard=90
title_main='儿童游戏-佐贝乐'
title_settings='儿童游戏设置'
title_box='佐贝乐.儿童游戏'

work=$(mktemp -d /tmp/zorbel-package.XXXXXX)
home=$(mktemp -d /tmp/zorbel-home.XXXXXX)
chown nobody:nogroup "$home"
installed=0
pid=""

# Every process the program started, by id, deepest first.
descendants() {
  local child
  for child in $(ps -o pid= --ppid "$1" 2>/dev/null); do
    descendants "$child"
    echo "$child"
  done
}
stop_program() {
  [ -n "$pid" ] || return 0
  local pids
  pids="$(descendants "$pid") $pid"
  # shellcheck disable=SC2086
  kill $pids 2>/dev/null || true
  # shellcheck disable=SC2086
  for _ in $(seq 50); do kill -0 $pids 2>/dev/null || break; sleep 0.1; done
  # shellcheck disable=SC2086
  kill -9 $pids 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  pid=""
}
dpkg_locked() {
  # dpkg refuses while another dpkg or apt holds its lock: wait for that one a while.
  local tries=0
  until "$@" >"$work/dpkg.log" 2>&1; do
    if grep -q 'lock' "$work/dpkg.log" && [ $((tries += 1)) -lt 60 ]; then
      sleep 2
      continue
    fi
    cat "$work/dpkg.log"
    return 1
  done
}
cleanup() {
  local status=$?
  stop_program
  if [ "$installed" = 1 ]; then
    dpkg_locked dpkg -r zorbel || echo "could not remove the zorbel package: dpkg -r zorbel"
  fi
  rm -rf "$work" "$home"
  exit "$status"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*"
  if [ -s "$work/program.log" ]; then
    echo "--- the program's output"
    tail -n 40 "$work/program.log"
  fi
  exit 1
}

# Polls a condition until it holds or the guard time runs out.
wait_for() {
  local end=$((SECONDS + guard))
  until "$@"; do
    [ "$SECONDS" -lt "$end" ] || return 1
    [ -z "$pid" ] || kill -0 "$pid" 2>/dev/null || return 1
    sleep 0.2
  done
}

# The program's visible top-level window with that exact name; empty when there is none.
window_named() {
  local w
  for w in $(xdotool search --onlyvisible --pid "$pid" 2>/dev/null); do
    if [ "$(xdotool getwindowname "$w" 2>/dev/null)" = "$1" ]; then
      echo "$w"
      return 0
    fi
  done
  return 1
}
has_window() { window_named "$1" >/dev/null; }

# The tray host's panel: "W H X Y" once it holds an icon (it is zero wide before).
tray_panel() {
  local line size pos
  line=$(xwininfo -root -tree 2>/dev/null | grep '("panel" "trayer")' | head -n 1) || return 1
  size=$(sed -E 's/.*\) +([0-9]+)x([0-9]+)[-+].*/\1 \2/' <<<"$line")
  pos=$(sed -E 's/.* \+(-?[0-9]+)\+(-?[0-9]+)$/\1 \2/' <<<"$line")
  # shellcheck disable=SC2086
  set -- $size $pos
  [ "$#" -eq 4 ] && [ "$1" -ge 16 ] || return 1
  echo "$1 $2 $3 $4"
}
# A popup menu is open: a mapped override-redirect window taller than a tooltip.
menu_open() {
  local w info
  for w in $(xwininfo -root -children 2>/dev/null | sed -n 's/^ *\(0x[0-9a-f]*\) .*/\1/p'); do
    info=$(xwininfo -id "$w" 2>/dev/null) || continue
    grep -q 'Override Redirect State: yes' <<<"$info" || continue
    grep -q 'Map State: IsViewable' <<<"$info" || continue
    [ "$(sed -n 's/.*Height: *//p' <<<"$info")" -gt 60 ] && return 0
  done
  return 1
}
# Right-clicks the tray icon, waits for its menu, and moves the pointer off it so that the keys
# start from the menu's edge: Down is then the first item, Up the last.
open_tray_menu() {
  wait_for tray_panel >/dev/null || fail "the program's icon never showed in the notification area"
  # shellcheck disable=SC2046
  set -- $(tray_panel)
  xdotool mousemove $(($3 + $1 / 2)) $(($4 + $2 / 2)) click 3
  wait_for menu_open || fail "no menu opened on a right click on the tray icon"
  xdotool mousemove 5 5
  sleep 0.3
}

echo "== building the package"
ZORBEL_BUILD_DIR="$build" bash "$root/scripts/make-deb.sh" "$work/deb" >"$work/make-deb.log" 2>&1 ||
  { tail -n 40 "$work/make-deb.log"; fail "scripts/make-deb.sh failed"; }
deb=$(tail -n 1 "$work/make-deb.log")
[ -f "$deb" ] || fail "no package: $deb"
echo "$deb ($(du -h "$deb" | cut -f1))"

echo "== contents and fields"
dpkg-deb -c "$deb" >"$work/contents.txt"
# Paths as "./usr/..." with a symlink's target after " -> ".
awk '{ $1 = $2 = $3 = $4 = $5 = ""; sub(/^ +/, ""); print }' "$work/contents.txt" >"$work/paths.txt"
for expected in ./usr/lib/zorbel/zorbel ./usr/lib/zorbel/Zorbel.ini ./usr/lib/zorbel/zorbel.svg \
  ./usr/lib/zorbel/data/ZorbelPlim.dat ./usr/lib/zorbel/data/Velaone.dll \
  ./usr/lib/zorbel/ruffle/host.html ./usr/lib/zorbel/ruffle/host.js \
  ./usr/lib/zorbel/ruffle/shared-audio.js \
  ./usr/lib/zorbel/Themes/Zorbel/skin.xml ./usr/lib/zorbel/Themes/ZorbelPlim/skin.xml \
  ./usr/lib/zorbel/Themes/changeskin/skin.xml \
  "./usr/bin/zorbel -> ../lib/zorbel/zorbel" ./usr/share/applications/zorbel.desktop \
  ./usr/share/icons/hicolor/scalable/apps/zorbel.svg \
  ./usr/share/metainfo/org.zorbel.Kids.metainfo.xml; do
  grep -qxF "$expected" "$work/paths.txt" || fail "the package lacks $expected"
done
grep -q '^\./usr/lib/zorbel/ruffle/.*\.wasm$' "$work/paths.txt" || fail "the package lacks the player"
outside=$(grep -v '^\./usr/\(bin\|lib\|share\)/\|^\./$\|^\./usr/$' "$work/paths.txt" || true)
[ -z "$outside" ] || fail "the package installs outside /usr/bin, /usr/lib and /usr/share: $outside"
strays=$(grep -E '\.zorbel-stamp|\.map$|CMakeFiles' "$work/paths.txt" || true)
[ -z "$strays" ] || fail "build leftovers in the package: $strays"
owners=$(awk '$2 != "root/root"' "$work/contents.txt")
[ -z "$owners" ] || fail "files not owned by root: $owners"
writable=$(awk 'substr($1, 1, 1) != "l" && (substr($1, 6, 1) == "w" || substr($1, 9, 1) == "w")' \
  "$work/contents.txt")
[ -z "$writable" ] || fail "files others may change: $writable"

depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
# From dpkg-shlibdeps (the libraries linked) and from the web engine's runtime.
for dep in libc6 libsqlcipher0 libcurl4 libpugixml1v5 libwxgtk-webview3.2-1 libwebkit2gtk-4.0-37 \
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good fonts-wqy-microhei; do
  grep -Eq "(^|, )$dep( |,|$)" <<<"$depends" || fail "Depends lacks $dep"
done
dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/lib/zorbel/Zorbel.ini >"$work/Zorbel.ini"
grep -q '^\[HOSTS\]' "$work/Zorbel.ini" || fail "the installed Zorbel.ini has no hosts"
! grep -q '^ *ViedoPath *=' "$work/Zorbel.ini" || fail "the installed Zorbel.ini names a cache folder"
! grep -q '/var/tmp' "$work/Zorbel.ini" || fail "the installed Zorbel.ini names /var/tmp"

echo "== installing"
dpkg_locked dpkg -i "$deb" || fail "dpkg -i failed"
installed=1
dpkg-query -W -f='${Status}\n' zorbel | grep -q 'install ok installed' || fail "not installed"
[ "$(readlink -f /usr/bin/zorbel)" = /usr/lib/zorbel/zorbel ] || fail "/usr/bin/zorbel"

echo "== the installed program, run by nobody on $DISPLAY"
stamp="$work/stamp"
touch "$stamp"
sleep 1
# A login session gives the user a runtime folder of its own (/run/user/UID); without one the
# sound library of the player's web process makes a folder in /tmp.
runtime="$home/.run"
install -d -m 0700 -o nobody -g nogroup "$runtime"
env -i DISPLAY="$DISPLAY" HOME="$home" XDG_RUNTIME_DIR="$runtime" PATH=/usr/bin:/bin LANG=C.UTF-8 \
  setpriv --reuid=nobody --regid=nogroup --clear-groups zorbel >"$work/program.log" 2>&1 &
pid=$!
wait_for has_window "$title_main" || fail "the main window \"$title_main\" never appeared"
echo "main window: $(window_named "$title_main")"
! has_window "$title_box" || fail "a message box came up at start-up"
[ -f "$home/.local/share/Zorbel/ZorbelPlim.dat" ] || fail "the catalog was not copied for the user"

echo "== the settings dialog from the tray menu: 设置, then OK"
open_tray_menu
xdotool key Down Return
wait_for has_window "$title_settings" || fail "the settings dialog never appeared"
! has_window "$title_box" || fail "a message box came up with the settings dialog"
settings=$(window_named "$title_settings")
active() { [ "$(xdotool getactivewindow 2>/dev/null)" = "$settings" ]; }
active || xdotool windowactivate "$settings" 2>/dev/null || true
wait_for active || fail "the settings dialog never got the focus"
# OK is the dialog's default button and the first control to get the focus.
xdotool key Return
user_ini="$home/.config/zorbel/Zorbel.ini"
stored() { grep -q "^ViedoPath=$home/.cache/zorbel/titles\$" "$user_ini" 2>/dev/null; }
wait_for stored || fail "OK stored no cache folder in $user_ini: $(cat "$user_ini" 2>&1)"
wait_for eval '! has_window "$title_settings"' || fail "the settings dialog stayed open"
! has_window "$title_box" || fail "a message box came up after OK"
[ "$(stat -c %U "$user_ini")" = nobody ] || fail "$user_ini does not belong to the user"
[ -d "$home/.cache/zorbel/titles" ] || fail "the user's cache folder was not made"

echo "== 退出 from the tray menu"
# The web engine's processes end after the program; they are waited for too.
helpers=$(descendants "$pid" | paste -sd' ')
open_tray_menu
xdotool key Up Return
end=$((SECONDS + 30))
while kill -0 "$pid" 2>/dev/null; do
  [ "$SECONDS" -lt "$end" ] || fail "the program did not end from the tray menu"
  sleep 0.2
done
wait "$pid" && code=0 || code=$?
pid=""
[ "$code" = 0 ] || fail "the program ended with status $code"
# shellcheck disable=SC2086
while [ -n "$helpers" ] && kill -0 $helpers 2>/dev/null; do
  [ "$SECONDS" -lt "$end" ] || { kill -9 $helpers 2>/dev/null || true; break; }
  sleep 0.2
done

echo "== nothing written outside the user's folders"
# Other work goes on on this machine, so what counts is what the user could write: files of
# that user, and files anyone may write.
find / \( -path /proc -o -path /sys -o -path /dev -o -path /tmp/.X11-unix -o -path "$home" \) \
  -prune -o \( -user nobody -o \( -type f -perm -0002 \) \) -newer "$stamp" -print \
  2>/dev/null >"$work/outside.txt" || true
[ ! -s "$work/outside.txt" ] || fail "written outside the user's folders: $(head -n 20 "$work/outside.txt")"
echo "the user's folders: $(cd "$home" && find . -maxdepth 3 -type d | sort | paste -sd' ')"

echo "== removing"
dpkg_locked dpkg -r zorbel || fail "dpkg -r failed"
installed=0
! dpkg-query -W -f='${Status}\n' zorbel 2>/dev/null | grep -q 'ok installed' ||
  fail "still installed after dpkg -r"
left=""
while IFS= read -r path; do
  path=${path%% -> *}
  path=${path#.}
  case "$path" in /usr/lib/zorbel* | /usr/bin/zorbel | /usr/share/*/zorbel* | /usr/share/*/org.zorbel*) ;;
  *) continue ;;
  esac
  if [ -e "$path" ] || [ -L "$path" ]; then left+=" $path"; fi
done <"$work/paths.txt"
[ -z "$left" ] || fail "dpkg -r left:$left"
echo "package test passed"
