#!/usr/bin/env bash
# Sets up the machine, builds, and shows the program at work: creates a new
# codeplug and prints it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build" -j "$(nproc)" --target t880
t880="$root/build/cli/t880"
demo="$root/build/demo.Kzx"
"$t880" new --force "$demo"
"$t880" show "$demo"
