#!/usr/bin/env bash
# Installs what is missing, builds everything and runs the whole test suite:
# unit tests without a display, window tests under a virtual X server, then the package test.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/install-deps.sh
build=${ZORBEL_BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2

cd "$build"
echo "== unit tests (no display)"
env -u DISPLAY -u WAYLAND_DISPLAY ctest -L unit --output-on-failure -j2
echo "== window tests (a virtual desktop: Xvfb, openbox and a trayer notification area)"
# One at a time: each starts its own WebKit processes, and two cores are all we have.
bash "$root/scripts/with-desktop.sh" ctest -L window --output-on-failure
echo "== the Debian package (built, installed, run by an unprivileged user, removed; needs root)"
# It brings its own virtual desktop, and skips without root.
ctest -L package --output-on-failure
