#!/usr/bin/env bash
# Installs everything the build, the program and the tests need, from Debian packages only.
# Safe to run again: it only installs what is missing.
set -euo pipefail

packages=(
  build-essential cmake pkg-config ninja-build
  libwxgtk3.2-dev libwxgtk-webview3.2-dev libwebkit2gtk-4.0-dev libgtk-3-dev libx11-dev libxtst-dev
  libsqlcipher-dev sqlcipher libsodium-dev
  libcurl4-openssl-dev libpugixml-dev libcpp-httplib-dev
  liblzma-dev zlib1g-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth xdotool x11-utils openbox trayer imagemagick clang-format
  desktop-file-utils appstream dpkg-dev util-linux procps
  fonts-wqy-microhei
  curl ca-certificates
)
# The machine may carry its own Node.js with npm bundled; only fall back to Debian's when absent.
command -v npm >/dev/null 2>&1 || packages+=(nodejs npm)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "install-deps: installing ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo_cmd apt-get update -qq
  $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
