#!/usr/bin/env bash
# Installs what is missing, builds the program, starts the demo server on the loopback
# interface and runs the program with the bundled demo catalog.
# Without a display it runs under Xvfb for a while, saves a screenshot and ends.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/install-deps.sh
build=${ZORBEL_BUILD_DIR:-build}
# Another port (ZORBEL_DEMO_PORT) when 8517 is taken: the app folder's settings follow it.
port=${ZORBEL_DEMO_PORT:-8517}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZORBEL_DEMO_PORT="$port" >/dev/null
cmake --build "$build" -j2 --target zorbel zorbel-demo-server zorbel_app_folder
build=$(cd "$build" && pwd)

server_log="$build/demo-server.log"
"$build/bin/zorbel-demo-server" --port "$port" --content "$build/demo/content" \
  --www "$build/demo/www" >"$server_log" 2>&1 &
server_pid=$!
cleanup() {
  kill "$server_pid" 2>/dev/null || true
  [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT

for _ in $(seq 50); do
  grep -q "listening on" "$server_log" 2>/dev/null && break
  if ! kill -0 "$server_pid" 2>/dev/null; then
    echo "the demo server did not start (is port $port taken? ZORBEL_DEMO_PORT picks another):"
    cat "$server_log"; exit 1
  fi
  sleep 0.1
done
echo "demo server: http://127.0.0.1:$port (log: $server_log)"

if [ -n "${DISPLAY:-}" ]; then
  exec "$build/zorbel-app/zorbel"
fi

shot="$build/zorbel-screenshot.png"
seconds=${ZORBEL_DEMO_SECONDS:-12}
echo "no display: running under Xvfb for $seconds s; the screenshot goes to $shot"
display=:$(( 90 + RANDOM % 100 ))
Xvfb "$display" -screen 0 1280x900x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
sleep 1
export DISPLAY=$display
command -v openbox >/dev/null && { openbox >/dev/null 2>&1 & }
"$build/zorbel-app/zorbel" &
app_pid=$!
sleep "$seconds"
import -window root "$shot"
echo "screenshot saved: $shot"
if kill -0 "$app_pid" 2>/dev/null; then
  kill "$app_pid"; wait "$app_pid" 2>/dev/null || true
  echo "the program ran until the screenshot and was then ended"
else
  wait "$app_pid"; echo "the program ended by itself with status $?"
fi
