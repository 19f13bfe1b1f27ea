#!/usr/bin/env bash
# Sets up the machine, builds, and runs every test twice: in a normal build and
# in a build with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

"$root/scripts/build.sh" build -DCMAKE_BUILD_TYPE=RelWithDebInfo
(cd "$root/build" && ctest --output-on-failure -j 2 --timeout 300)

"$root/scripts/build.sh" build-asan -DCMAKE_BUILD_TYPE=Debug -DT880_SANITIZE=ON
(cd "$root/build-asan" && ctest --output-on-failure -j 2 --timeout 600 -LE slow)
