#!/usr/bin/env bash
# Screenshots of the window in English, Simplified and Traditional Chinese,
# rendered under Xvfb with the demo codeplug open: docs/window-en.png,
# docs/window-chs.png, docs/window-cht.png, and the same pictures for the
# manual (help/manual/LANGUAGE/images/window.png, compiled into the program
# with the next build). Needs a build (scripts/run.sh or scripts/build.sh
# build).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
t880="$build/cli/t880"
gui="$build/app/t880-gui"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$t880" new --demo --force "$work/demo.Kzx" >/dev/null
mkdir -p "$root/docs"
for pair in 0:en 1:chs 2:cht; do
    language=${pair%%:*}
    name=${pair##*:}
    printf '[config]\nPort=1\nLanguage=%s\nAutoSeachPort=1\n' "$language" > "$work/_config.ini"
    xvfb-run -a -s "-screen 0 1280x800x24" \
        "$gui" --config "$work/_config.ini" "$work/demo.Kzx" --screenshot "$root/docs/window-$name.png"
    echo "docs/window-$name.png"
    mkdir -p "$root/help/manual/$name/images"
    cp "$root/docs/window-$name.png" "$root/help/manual/$name/images/window.png"
    echo "help/manual/$name/images/window.png"
done
