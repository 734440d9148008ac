#!/usr/bin/env bash
# The whole program as a family runs it: start-up, the first and a later play of cached titles,
# memory with every panel made, and the CPU it uses while nobody does anything.
#
#   bash bench/program/program-bench.sh [--runs N] [--idle SECONDS] [--load N]
#
# Each run starts the built program (build/zorbel-app, or $ZORBEL_BUILD_DIR) with a copy of its
# app folder and the demo server on 127.0.0.1:8517, on a virtual desktop
# (scripts/with-desktop.sh), and drives it with the program's test script. The runs share one
# new home, as the starts of one family do: the first run is the first start ever on the
# machine (no shader, sound-plugin or web caches yet) and is reported apart; the medians are
# those of the later runs.
#   start -> main window mapped; 2 s later songs, then a click on a cached song -> first frame;
#   a second cached song -> first frame (the UI thread's longest stall meanwhile measured by a
#   10 ms timer's lateness); then a cartoon and the community page (every panel
#   made) -> PSS of the program and all its web processes; then the home view. The CPU used by
#   the whole process tree is measured over --idle seconds (default 30) twice: 60 s after
#   start-up, and 60 s after the return to the home view.
# --load N keeps N busy processes running meanwhile. Prints one line per run and the medians.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
runs=3
idle=30
load=0
while [ $# -gt 0 ]; do
  case $1 in
    --runs) runs=$2; shift 2 ;;
    --idle) idle=$2; shift 2 ;;
    --load) load=$2; shift 2 ;;
    --inside) shift; break ;;
    *) echo "usage: $0 [--runs N] [--idle SECONDS] [--load N]" >&2; exit 2 ;;
  esac
done
build=$(realpath "${ZORBEL_BUILD_DIR:-$root/build}")

if [ "${1:-}" != "run" ]; then
  [ -x "$build/zorbel-app/zorbel" ] || { echo "build the program first" >&2; exit 2; }
  ! (exec 3<>/dev/tcp/127.0.0.1/8517) 2>/dev/null ||
    { echo "port 8517 is taken (the demo catalog's cartoons name it)" >&2; exit 2; }
  "$build/bin/zorbel-demo-server" --port 8517 --content "$build/demo/content" \
    --www "$build/demo/www" >/dev/null 2>&1 &
  server=$!
  busy=()
  for _ in $(seq "$load"); do (while :; do :; done) & busy+=($!); done
  trap 'kill $server ${busy[*]:-} 2>/dev/null || true' EXIT
  sleep 0.5
  results=$(mktemp)
  home=$(mktemp -d)
  trap 'kill $server ${busy[*]:-} 2>/dev/null || true; rm -rf "$home"' EXIT
  for n in $(seq "$runs"); do
    bash "$root/scripts/with-desktop.sh" bash "$0" --idle "$idle" --inside run "$build" "$home" >>"$results"
    tail -n1 "$results"
  done
  echo "load average at the end: $(cut -d' ' -f1-3 /proc/loadavg); busy processes: $load"
  python3 - "$results" <<'PY'
import statistics, sys
rows = [dict(f.split('=') for f in l.split()) for l in open(sys.argv[1]) if '=' in l]
print("first start ever: " + " ".join(f"{k}={v}" for k, v in rows[0].items()))
if len(rows) > 1:
    rows = rows[1:]
    print(f"later starts ({len(rows)}):")
for key in rows[0]:
    values = sorted(float(r[key]) for r in rows)
    print(f"{key:>18}: median {statistics.median(values):8.1f}  min {values[0]:8.1f}  max {values[-1]:8.1f}")
PY
  rm -f "$results"
  exit 0
fi

# One run, on the virtual desktop.
build=$2
home=$3
work=$(mktemp -d)
trap 'kill $app 2>/dev/null || true; wait 2>/dev/null || true; rm -rf "$work"' EXIT
cp -a "$build/zorbel-app" "$work/app"
mkdir -p "$work/cache"
sed -i "s|^ViedoPath=.*|ViedoPath=$work/cache|" "$work/app/Zorbel.ini"
cp "$build/demo/content/小星星.swf" "$build/demo/content/两只老虎.swf" "$work/cache/"
stamps=$work/stamps
cat >"$work/script" <<SCRIPT
stamp $stamps ready
sleep 60000
stamp $stamps idle-start
sleep $((idle * 1000))
stamp $stamps idle-start-end
sleep 2000
radio 1004
watch-stalls
stamp $stamps click1
select 小星星
wait-frame
stamp $stamps frame1
stalls $stamps stall1
sleep 3000
watch-stalls
stamp $stamps click2
select 两只老虎
wait-frame
stamp $stamps frame2
stalls $stamps stall2
sleep 2000
radio 1014
select 小蝌蚪找妈妈
sleep 6000
radio 1015
sleep 6000
stamp $stamps all-panels
radio 1002
sleep 5000
sleep 55000
stamp $stamps home
sleep $((idle * 1000))
stamp $stamps idle-play-end
SCRIPT

now_ms() { date +%s%3N; }
# CPU ticks of a process and all its descendants.
tree_pids() {
  local pids=($1) i=0
  while [ $i -lt ${#pids[@]} ]; do
    for c in $(cat /proc/${pids[$i]}/task/*/children 2>/dev/null); do pids+=("$c"); done
    i=$((i + 1))
  done
  echo "${pids[@]}"
}
tree_ticks() {
  local total=0
  for p in $(tree_pids "$1"); do
    set -- $(sed 's/^.*) //' /proc/$p/stat 2>/dev/null || echo)
    [ $# -gt 13 ] && total=$((total + ${12} + ${13}))
  done
  echo $total
}
tree_pss_mb() {
  local total=0
  for p in $(tree_pids "$1"); do
    kb=$(awk '/^Pss:/ {print $2}' /proc/$p/smaps_rollup 2>/dev/null || echo 0)
    total=$((total + ${kb:-0}))
  done
  echo $((total / 1024))
}
wait_stamp() {
  for _ in $(seq 3000); do grep -q "^$1 " "$stamps" 2>/dev/null && return 0; sleep 0.1; done
  echo "no $1 stamp" >&2; return 1
}
stamp_of() { awk -v k="$1" '$1 == k {print $2}' "$stamps"; }

start=$(now_ms)
HOME=$home XDG_DATA_HOME=$home/.local/share XDG_CACHE_HOME=$home/.cache \
  XDG_CONFIG_HOME=$home/.config ZORBEL_TEST_SCRIPT=$work/script \
  "$work/app/zorbel" >"$work/log" 2>&1 &
app=$!
mapped=""
for _ in $(seq 600); do
  if xdotool search --onlyvisible --pid $app >/dev/null 2>&1; then mapped=$(now_ms); break; fi
  sleep 0.02
done
wait_stamp idle-start
t0=$(tree_ticks $app)
wait_stamp idle-start-end
t1=$(tree_ticks $app)
wait_stamp all-panels
pss=$(tree_pss_mb $app)
wait_stamp home
t2=$(tree_ticks $app)
wait_stamp idle-play-end
t3=$(tree_ticks $app)
hz=$(getconf CLK_TCK)
echo "mapped_ms=$((mapped - start)) first_frame_ms=$(( $(stamp_of frame1) - $(stamp_of click1) ))" \
  "later_frame_ms=$(( $(stamp_of frame2) - $(stamp_of click2) ))" \
  "stall_first_ms=$(stamp_of stall1) stall_later_ms=$(stamp_of stall2) pss_mb=$pss" \
  "idle_start_pct=$(python3 -c "print(round(100*($t1-$t0)/$hz/$idle,2))")" \
  "idle_after_play_pct=$(python3 -c "print(round(100*($t3-$t2)/$hz/$idle,2))")"
