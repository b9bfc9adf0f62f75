#!/usr/bin/env bash
# Installs what is missing, builds into build/ and runs every test.
# --sanitize also builds into build-asan/ and runs the suite under
# AddressSanitizer + UndefinedBehaviorSanitizer. Then each fuzz harness runs
# for 20 s (scripts/fuzz.sh, a clang build of its own in build-fuzz/).
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/deps.sh

jobs=$(nproc)
cmake --preset dev >/dev/null
cmake --build --preset dev -j"$jobs"
ctest --preset dev -j"$jobs"

if [ "${1:-}" = "--sanitize" ]; then
    cmake --preset asan-ubsan >/dev/null
    cmake --build --preset asan-ubsan -j"$jobs"
    ctest --preset asan-ubsan -j"$jobs"
fi

./scripts/fuzz.sh 20
