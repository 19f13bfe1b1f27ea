#!/usr/bin/env bash
# Formats every hand-written C++ file (not the generated Big5 table) with the
# repository's .clang-format: format.sh rewrites them, format.sh --check shows
# where they differ and fails.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
mapfile -t files < <(find app bench cli codeplug factory fuzz help link print sim tests text tools ui \
                          -type f \( -name '*.cpp' -o -name '*.h' \) \
                          ! -path text/gbkbig5data.cpp | sort)
if [ "${1:-}" = --check ]; then
    # One warning per place that differs, each naming its file and line.
    exec clang-format --dry-run -Werror "${files[@]}"
fi
clang-format -i "${files[@]}"
