#!/usr/bin/env bash
# Runs a command on a desktop as a user has one: a virtual X server with a window manager
# (openbox) and a notification area (trayer), then takes the desktop down again.
#   bash scripts/with-desktop.sh [--size WxH] COMMAND [ARGS...]
# The command sees DISPLAY; its exit status is this script's.
set -euo pipefail

size=1280x1024
if [ "${1:-}" = "--size" ]; then
  size=$2
  shift 2
fi
[ $# -gt 0 ] || { echo "usage: $0 [--size WxH] COMMAND [ARGS...]" >&2; exit 2; }

for tool in Xvfb openbox trayer xprop; do
  command -v "$tool" >/dev/null || { echo "with-desktop: $tool is missing (scripts/install-deps.sh)" >&2; exit 2; }
done

pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
}
trap cleanup EXIT

# A free display number: Xvfb refuses one that is taken, so try a few.
display=""
for _ in $(seq 20); do
  n=$(( 100 + RANDOM % 400 ))
  [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
  Xvfb ":$n" -screen 0 "${size}x24" -nolisten tcp >/dev/null 2>&1 &
  pid=$!
  for _ in $(seq 50); do
    [ -e "/tmp/.X11-unix/X$n" ] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$pid" 2>/dev/null && [ -e "/tmp/.X11-unix/X$n" ]; then
    pids+=("$pid")
    display=":$n"
    break
  fi
done
[ -n "$display" ] || { echo "with-desktop: no virtual X server could be started" >&2; exit 1; }
export DISPLAY=$display
# Window tests that need a window manager and a tray host fail, rather than skip, without them.
export ZORBEL_TEST_DESKTOP=1

# The window manager first: the tray host is a window it manages.
openbox --sm-disable >/dev/null 2>&1 &
pids+=("$!")
for _ in $(seq 50); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
  sleep 0.1
done

# A panel along the bottom edge holding the notification area, as desktops put it.
trayer --edge bottom --align right --widthtype request --height 28 --SetDockType true \
  --SetPartialStrut true --transparent false --tint 0x303030 >/dev/null 2>&1 &
pids+=("$!")
# Ready once its panel is managed; it has claimed the notification-area selection by then.
for _ in $(seq 50); do
  xwininfo -root -tree 2>/dev/null | grep -q '("panel" "trayer")' && break
  sleep 0.1
done

set +e
"$@"
status=$?
set -e
exit "$status"
