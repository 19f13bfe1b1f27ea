#!/usr/bin/env bash
# Sets up the machine, builds, and runs every test twice: in a normal build and
# in a build with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"

# Every hand-written file keeps the repository's .clang-format (format.sh
# fixes what this finds).
"$root/scripts/format.sh" --check

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

# The suites spend most of their time waiting for radios, processes and
# dialogs: twice as many suites as cores keep the cores busy.
jobs=$((2 * $(nproc)))

"$root/scripts/build.sh" build -DCMAKE_BUILD_TYPE=RelWithDebInfo
# The slow tests spend minutes waiting for radios that answer late; they
# wait while the sanitizer build compiles.
(cd "$root/build" && ctest --output-on-failure --timeout 600 -L slow > "$root/build/slow-tests.log" 2>&1) &
slow=$!
trap 'kill "$slow" 2>/dev/null || true' EXIT
(cd "$root/build" && ctest --output-on-failure -j "$jobs" --timeout 300 -LE slow)

# The sanitizer build: what the tests need, with line tables for the reports;
# the suites it does not run are not built.
asan_skip='slow|install'
"$root/scripts/build.sh" build-asan -DCMAKE_BUILD_TYPE=Debug -DT880_SANITIZE=ON \
    -DT880_BUILD_BENCH=OFF -DT880_MAN_PAGES=OFF -DCMAKE_CXX_FLAGS_DEBUG=-g1 \
    "-DT880_TEST_LABELS_NOT_BUILT=$asan_skip"
(cd "$root/build-asan" && ctest --output-on-failure -j "$jobs" --timeout 600 -LE "$asan_skip")

status=0
wait "$slow" || status=$?
cat "$root/build/slow-tests.log"
exit "$status"
