#!/usr/bin/env bash
# Builds the Debian package of the program and prints its path on the last line:
#   bash scripts/make-deb.sh [OUT_DIR]
# The build folder is ZORBEL_BUILD_DIR (default build), configured as the other scripts do when
# it is not yet; only the program and its app folder are built. CPack's DEB generator then
# installs them under /usr (the app folder in /usr/lib/zorbel, the launcher /usr/bin/zorbel,
# the desktop entry, the icon and the AppStream metainfo), strips the executable and has
# dpkg-shlibdeps work out the libraries' packages (cmake/ZorbelPackage.cmake). OUT_DIR
# defaults to the build folder's package/.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
build=${ZORBEL_BUILD_DIR:-build}
if [ ! -f "$build/CMakeCache.txt" ]; then
  launcher=()
  command -v ccache >/dev/null &&
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" >/dev/null
fi
cmake --build "$build" -j2 --target zorbel zorbel_app_folder
build=$(cd "$build" && pwd)

out=${1:-$build/package}
mkdir -p "$out"
out=$(cd "$out" && pwd)
rm -f "$out"/zorbel_*.deb
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$out" >"$out/cpack.log" 2>&1 || {
  cat "$out/cpack.log" >&2
  exit 1
}
# CPack's working copy of the installed tree is not needed afterwards.
rm -rf "$out/_CPack_Packages"
deb=$(ls "$out"/zorbel_*.deb)
echo "package: $(dpkg-deb -f "$deb" Package Version Architecture | paste -sd' ')"
echo "$deb"
