#!/usr/bin/env bash
# Checks the desktop metadata that the package installs, as the desktop's own tools read it:
#   check-desktop-metadata.sh desktop SOURCE_DIR   res/zorbel.desktop with desktop-file-validate
#   check-desktop-metadata.sh metainfo SOURCE_DIR  the AppStream metainfo with appstreamcli
# Any remark of the validator fails, hints included. The metainfo's screenshots must also be
# pictures in the source tree, at the path their address names after the site. Exit status 77:
# the validator is not installed (scripts/install-deps.sh installs it).
set -euo pipefail
what=${1:?desktop or metainfo}
src=$(cd "${2:?source folder}" && pwd)

require() {
  command -v "$1" >/dev/null || { echo "$1 not found (apt-get install $2)"; exit 77; }
}

case "$what" in
  desktop)
    require desktop-file-validate desktop-file-utils
    out=$(desktop-file-validate "$src/res/zorbel.desktop" 2>&1) || { echo "$out"; exit 1; }
    [ -z "$out" ] || { echo "$out"; exit 1; }
    echo "res/zorbel.desktop: valid"
    ;;
  metainfo)
    require appstreamcli appstream
    file="$src/res/org.zorbel.Kids.metainfo.xml"
    appstreamcli validate --no-net --no-color "$file"
    # The entry it launches is the one the package installs.
    grep -q '<launchable type="desktop-id">zorbel.desktop</launchable>' "$file"
    shots=$(sed -n 's|.*<image>https://[^/]*/\(.*\)</image>.*|\1|p' "$file")
    [ -n "$shots" ] || { echo "no screenshot"; exit 1; }
    for shot in $shots; do
      [ -f "$src/$shot" ] || { echo "screenshot $shot is not in the source tree"; exit 1; }
      head -c 8 "$src/$shot" | od -An -tx1 | grep -q '89 50 4e 47 0d 0a 1a 0a' ||
        { echo "screenshot $shot is no PNG picture"; exit 1; }
      echo "screenshot: $shot"
    done
    ;;
  *)
    echo "usage: $0 desktop|metainfo SOURCE_DIR" >&2
    exit 2
    ;;
esac
