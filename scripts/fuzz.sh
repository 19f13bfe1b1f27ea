#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build-fuzz and runs them, one
# after another and with nice, so the machine stays usable:
#
#   fuzz.sh [TARGET|all] [--seconds N | --runs N]
#
# TARGET is codeplugfile, calibrationfile, imagedecode, engine or codeplugyaml; the default
# is all of them for 60 seconds each. Each target works on a scratch corpus
# outside the source tree ($T880_FUZZ_WORK, default /tmp/t880-fuzz), seeded
# from fuzz/corpus and kept between runs. An input that breaks a rule is saved
# in the scratch folder's artifacts/; copy it into fuzz/corpus/TARGET so that
# the replay test keeps it fixed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
all_targets=(codeplugfile calibrationfile imagedecode engine codeplugyaml)

usage() {
    echo "usage: $0 [codeplugfile|calibrationfile|imagedecode|engine|codeplugyaml|all] [--seconds N | --runs N]" >&2
    exit 2
}

which=all
limit=(-max_total_time=60)
while [ $# -gt 0 ]; do
    case $1 in
    --seconds)
        [ $# -ge 2 ] && [[ $2 =~ ^[0-9]+$ ]] || usage
        limit=(-max_total_time="$2")
        shift 2
        ;;
    --runs)
        [ $# -ge 2 ] && [[ $2 =~ ^[0-9]+$ ]] || usage
        limit=(-runs="$2")
        shift 2
        ;;
    all | codeplugfile | calibrationfile | imagedecode | engine | codeplugyaml)
        which=$1
        shift
        ;;
    *) usage ;;
    esac
done
if [ "$which" = all ]; then
    targets=("${all_targets[@]}")
else
    targets=("$which")
fi

# What the normal build needs, and the compiler and the fuzzer runtime.
"$root/scripts/setup.sh" clang libfuzzer-14-dev

build="$root/build-fuzz"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DT880_FUZZ=ON -DT880_BUILD_TESTS=OFF >/dev/null
nice -n 10 cmake --build "$build" -j "$(nproc)" --target "${targets[@]/#/fuzz_}"

export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# A smaller quarantine keeps the memory of a long run small; use-after-free
# is still caught for all but the oldest blocks.
export ASAN_OPTIONS=${ASAN_OPTIONS:-quarantine_size_mb=32}
work=${T880_FUZZ_WORK:-/tmp/t880-fuzz}
summary=()
failed=0
for t in "${targets[@]}"; do
    dir="$work/$t"
    mkdir -p "$dir/corpus" "$dir/artifacts"
    cp -n "$root/fuzz/corpus/$t/"* "$dir/corpus/" 2>/dev/null || true
    before=$(find "$dir/artifacts" -type f | wc -l)
    log="$dir/last.log"
    echo "fuzz: running $t (log in $log)"
    start=$(date +%s.%N)
    set +e
    nice -n 10 "$build/fuzz/fuzz_$t" "${limit[@]}" -timeout=30 -print_final_stats=1 \
        -artifact_prefix="$dir/artifacts/" "$dir/corpus" >"$log" 2>&1
    rc=$?
    set -e
    end=$(date +%s.%N)
    seconds=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.1f", b - a }')
    runs=$(awk '/stat::number_of_executed_units:/ { n = $2 } END { print n }' "$log")
    if [ -z "$runs" ]; then
        # A crash ends the run before the final figures: take the last status line.
        runs=$(grep -oE '^#[0-9]+' "$log" | tail -n 1 | tr -d '#')
    fi
    runs=${runs:-0}
    rate=$(awk -v n="$runs" -v s="$seconds" 'BEGIN { printf "%d", (s > 0 ? n / s : 0) }')
    crashes=$(($(find "$dir/artifacts" -type f | wc -l) - before))
    line="fuzz $t: $runs executions in $seconds s, $rate exec/s, $crashes crashes"
    if [ "$rc" -ne 0 ] || [ "$crashes" -gt 0 ]; then
        failed=1
        line+=" (exit $rc; see $log and $dir/artifacts)"
        grep -E 'ERROR|broken rule|runtime error' "$log" | head -n 5 >&2 || true
    fi
    echo "$line"
    summary+=("$line")
done

echo
printf '%s\n' "${summary[@]}"
exit $failed
