#!/usr/bin/env bash
# Runs one fuzz target, at the lowest priority and in one process, on a corpus seeded from the
# repository's own files.
#
#   bash tests/fuzz/run-fuzz.sh TARGET [SECONDS] [RUNS]
#
# SECONDS (default 3600) and RUNS (default 10000000) bound the run, whichever comes first.
# FUZZ_BUILD (default build-fuzz) holds the fuzz targets; APP_BUILD (default build) is a normal
# build, whose demo movies seed the movie targets. The corpus grows in FUZZ_BUILD/corpus/TARGET,
# findings land in FUZZ_BUILD/findings/TARGET, the log in FUZZ_BUILD/logs/TARGET.log.
set -euo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
target=${1:?usage: run-fuzz.sh TARGET [SECONDS] [RUNS]}
seconds=${2:-3600}
runs=${3:-10000000}
fuzz_build=$(realpath -m "${FUZZ_BUILD:-$root/build-fuzz}")
app_build=$(realpath -m "${APP_BUILD:-$root/build}")
binary=$fuzz_build/bin/$target
[ -x "$binary" ] || { echo "run-fuzz: no $binary; build the fuzz targets first" >&2; exit 2; }

seeds=$fuzz_build/seeds/$target
corpus=$fuzz_build/corpus/$target
findings=$fuzz_build/findings/$target
rm -rf "$seeds"
mkdir -p "$seeds" "$corpus" "$findings" "$fuzz_build/logs"

# The settings file as the build writes it into the app folder.
settings_file() {
  sed -e 's|@ZORBEL_CACHE_DIR@|/var/tmp/zorbel-cache|' -e 's|@ZORBEL_DEMO_PORT@|8517|' \
    "$root/res/Zorbel.ini.in"
}

# The four smallest demo movies of either packing (small inputs keep the run fast) and the
# stand-in movie, and each of them in all three packings.
movie_seeds() {
  local movies=() signature file found
  [ -e "$app_build/zorbel-app/data/Velaone.dll" ] ||
    { echo "run-fuzz: no demo movies in $app_build; build it first" >&2; exit 2; }
  for signature in FWS CWS; do
    found=0
    while IFS= read -r file; do
      [ "$(head -c3 "$file")" = "$signature" ] || continue
      movies+=("$file")
      found=$((found + 1))
      [ $found -lt 4 ] || break
    done < <(ls -Sr "$app_build"/demo/content/*.swf)
  done
  movies+=("$app_build/zorbel-app/data/Velaone.dll")
  local n=0
  for file in "${movies[@]}"; do
    n=$((n + 1))
    cp "$file" "$seeds/movie-$n.swf"
  done
  python3 - "$seeds" "${movies[@]}" <<'EOF'
import lzma, os, struct, sys, zlib
out = sys.argv[1]
for n, path in enumerate(sys.argv[2:]):
    data = open(path, 'rb').read()
    body = zlib.decompress(data[8:]) if data[:3] == b'CWS' else data[8:]
    head = data[3:8]
    open(os.path.join(out, 'fws-%d' % n), 'wb').write(b'FWS' + head + body)
    open(os.path.join(out, 'cws-%d' % n), 'wb').write(b'CWS' + head + zlib.compress(body))
    # Properties, 64-bit size, data; a small dictionary, as the decoder allocates all of it.
    alone = lzma.compress(body, format=lzma.FORMAT_ALONE,
                          filters=[{'id': lzma.FILTER_LZMA1, 'dict_size': 1 << 16}])
    packed = alone[13:]
    open(os.path.join(out, 'zws-%d' % n), 'wb').write(
        b'ZWS' + head + struct.pack('<I', len(packed)) + alone[:5] + packed)
EOF
}

max_len=4096
case $target in
  swf_header_fuzz | flash_movie_fuzz)
    movie_seeds
    max_len=65536
    ;;
  ad_list_fuzz)
    # The list as the demo server serves it.
    sed 's|{{BASE}}|http://127.0.0.1:8517|g' "$root/tools/demo_server/www/ada.html" >"$seeds/ada.html"
    ;;
  profile_file_fuzz)
    # Fields: section, key, value, watched section, watched key; then the file.
    n=0
    while IFS='|' read -r section key value other_section other_key; do
      n=$((n + 1))
      { printf '%s\001%s\001%s\001%s\001%s\001' "$section" "$key" "$value" "$other_section" \
          "$other_key"; settings_file; } >"$seeds/ini-$n"
    done <<'EOF'
HOSTS|WebSite|http://www.example.com/|HOSTS|WebServer
VIEDO|ViedoPath| "/var/tmp/zorbel cache" |HOSTS|ContentServer
hosts|vendorsitename|zorbel.localhost|HOSTS|VendorSiteName
Settings|Autorun|1|VIEDO|ViedoPath
EOF
    ;;
  copy_data_fuzz)
    # The updater's request as zorbel-send delivers it (text and its zero byte).
    python3 - "$seeds" <<'EOF'
import os, struct, sys
text = b'Tarnup is ok!\0'
for n, (length, held) in enumerate([(len(text), 0xFF), (len(text), 9), (40, 0xFF)]):
    open(os.path.join(sys.argv[1], 'message-%d' % n), 'wb').write(
        struct.pack('<5q', 0x2e00003, 0x1a5, length, 0, 0) + bytes([held]) + text)
EOF
    ;;
  http_header_fuzz)
    # Header blocks as the demo server sends them: a title, a redirection followed by the
    # title, and a chunked answer.
    title='HTTP/1.1 200 OK\r\nCache-Control: no-store\r\nContent-Length: 13343\r\nContent-Type: application/x-shockwave-flash\r\nKeep-Alive: timeout=2, max=1000\r\n\r\n'
    printf "$title" >"$seeds/title"
    printf "HTTP/1.1 302 Found\r\nCache-Control: no-store\r\nContent-Length: 13\r\nContent-Type: text/plain; charset=utf-8\r\nKeep-Alive: timeout=2, max=1000\r\n\r\n$title" >"$seeds/redirected"
    printf 'HTTP/1.1 200 OK\r\nCache-Control: no-store\r\nContent-Type: application/x-shockwave-flash\r\nKeep-Alive: timeout=2, max=1000\r\nTransfer-Encoding: chunked\r\n\r\n' >"$seeds/chunked"
    ;;
  skin_description_fuzz)
    max_len=16384
    for skin in "$root"/res/skins/*/skin.xml; do
      name=$(basename "$(dirname "$skin")")
      cp "$skin" "$seeds/$name.xml"
      # The elements alone, for the reading inside a locked root.
      grep -v -e '<?xml' -e '<skin' -e '</skin>' -e '<lock' "$skin" >"$seeds/$name-elements.xml"
    done
    ;;
  *)
    echo "run-fuzz: no seeds known for $target" >&2
    exit 2
    ;;
esac

log=$fuzz_build/logs/$target.log
echo "run-fuzz: $target for ${seconds}s or $runs runs; log in $log"
status=0
nice -n 19 "$binary" -runs="$runs" -max_total_time="$seconds" -max_len="$max_len" \
  -print_final_stats=1 -artifact_prefix="$findings/" "$corpus" "$seeds" >"$log" 2>&1 || status=$?
grep -E '^(stat::|Done|INFO: Running|==[0-9]+==ERROR|SUMMARY)|runtime error' "$log" || true
echo "run-fuzz: corpus $(find "$corpus" -type f | wc -l) files, $(du -sh "$corpus" | cut -f1); exit status $status"
exit $status
