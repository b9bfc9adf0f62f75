#!/usr/bin/env bash
# Builds the fuzz harnesses with clang's libFuzzer (ASan + UBSan) into
# build-fuzz/ and runs each for the given number of seconds (default 20),
# starting from the committed seed corpus in fuzz/corpus/. New inputs go to
# build-fuzz/corpus/, never into the committed one. Prints each harness's
# execution count; fails on the first finding (the input is left in
# build-fuzz/, named crash-*).
#   ./scripts/fuzz.sh          # 20 s each, as the test command runs it
#   ./scripts/fuzz.sh 3600     # an hour each
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-20}
if ! command -v clang++ >/dev/null; then
    echo "fuzz: clang++ not found, skipped"
    exit 0
fi
cmake -S fuzz -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    >/dev/null
cmake --build build-fuzz -j"$(nproc)"

export ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
for harness in numtext profilefile sitefile; do
    work=build-fuzz/corpus/$harness
    mkdir -p "$work"
    log=build-fuzz/$harness.log
    if ! (cd build-fuzz && "./fuzz_$harness" -max_total_time="$seconds" -print_final_stats=1 \
            -timeout=10 -rss_limit_mb=1024 "corpus/$harness" "../fuzz/corpus/$harness") \
            >"$log" 2>&1; then
        tail -n 40 "$log"
        echo "fuzz_$harness: FAILED (log: $log)"
        exit 1
    fi
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    echo "fuzz_$harness: $runs executions in $seconds s, no finding"
done
