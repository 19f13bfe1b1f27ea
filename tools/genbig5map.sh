#!/usr/bin/env bash
# Regenerates text/gbkbig5data.cpp, the GBK-to-Big5 table of the text
# conversion, from glibc's iconv and the Unihan variants of Debian's
# unicode-data package. The output is committed; run this only to refresh it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
variants=/usr/share/unicode/Unihan_Variants.txt.bz2
if [ ! -r "$variants" ]; then
    echo "genbig5map: $variants missing; install the unicode-data package" >&2
    exit 1
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
bzcat "$variants" >"$work/Unihan_Variants.txt"
c++ -std=c++17 -O2 -Wall -Wextra -o "$work/genbig5map" "$root/tools/genbig5map.cpp"
"$work/genbig5map" --variants "$work/Unihan_Variants.txt" "$root/text/gbkbig5data.cpp"
