#!/usr/bin/env bash
# Formats every .cpp and .h of the source tree in place with .clang-format; run it before
# committing. With --check nothing is written: it fails when a file would change. Either way
# it fails when an event table is not laid out one entry per line between clang-format off
# and on, which the formatter cannot fix.
#   bash scripts/format.sh [--check]
# CLANG_FORMAT picks another formatter binary. Exit status 77: no formatter (a skip for ctest).
set -euo pipefail
cd "$(dirname "$0")/.."

check=0
if [ "${1:-}" = "--check" ]; then
  check=1
elif [ $# -gt 0 ]; then
  echo "usage: $0 [--check]" >&2
  exit 2
fi

formatter=${CLANG_FORMAT:-clang-format}
if ! command -v "$formatter" >/dev/null; then
  echo "format: $formatter not found, nothing checked (apt-get install clang-format)" >&2
  exit 77
fi

# Build folders: build* at the top, or any folder that holds a CMakeCache.txt.
files=()
while IFS= read -r -d '' file; do
  files+=("$file")
done < <(find . \( -name .git -o -name node_modules -o -path './build*' \
                   -o -type d -exec test -e '{}/CMakeCache.txt' ';' \) -prune \
              -o -type f \( -name '*.cpp' -o -name '*.h' \) -print0 | sort -z)

status=0
if [ "$check" = 0 ]; then
  "$formatter" -i "${files[@]}"
elif ! "$formatter" --dry-run --Werror "${files[@]}"; then
  echo "format: $("$formatter" --version): files above differ; scripts/format.sh formats them" >&2
  status=1
fi

# A table the formatter ran together is formatted as far as the formatter is concerned, so
# the tables are checked on their own.
tables=$(awk '
  function unclosed() { if (pending != "") print pending " no clang-format on after"; pending = "" }
  FNR == 1 { unclosed(); previous = ""; inside = 0 }
  pending != "" && $0 ~ /^\/\/ clang-format on$/ { pending = "" }
  pending != "" { unclosed() }
  /^[[:space:]]*wxBEGIN_EVENT_TABLE/ {
    inside = 1
    if (previous !~ /^\/\/ clang-format off$/)
      print FILENAME ":" FNR ": no clang-format off before"
  }
  inside && gsub(/EVT_[A-Z0-9_]+[[:space:]]*\(/, "&") > 1 {
    print FILENAME ":" FNR ": more than one entry"
  }
  inside && /wxEND_EVENT_TABLE/ { inside = 0; pending = FILENAME ":" FNR ":" }
  { previous = $0 }
  END { unclosed() }
' "${files[@]}")
if [ -n "$tables" ]; then
  echo "format: event tables go one entry per line between clang-format off and on:" >&2
  echo "$tables" >&2
  status=1
fi

if [ "$status" = 0 ] && [ "$check" = 1 ]; then
  echo "format: ${#files[@]} files as the formatter leaves them"
fi
exit "$status"
