#!/usr/bin/env bash
# Installs what is missing, checks the code's format, builds into build/ and
# runs every test.
# --sanitize also builds into build-asan/ and runs the suite under
# AddressSanitizer + UndefinedBehaviorSanitizer. Then each fuzz harness runs
# for 20 s (scripts/fuzz.sh, a clang build of its own in build-fuzz/).
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/deps.sh

# The code's layout is .clang-format's: a file that drifts fails the run.
find src tests bench vscreen fuzz -name '*.cpp' -o -name '*.h' | sort |
    xargs clang-format --dry-run --Werror

jobs=$(nproc)
# A compiler cache, where one is installed, spares a second run most of the build.
if command -v ccache >/dev/null 2>&1; then
    export CMAKE_CXX_COMPILER_LAUNCHER=ccache CCACHE_BASEDIR="$PWD"
fi
# The end-to-end tests drive real X servers and processes; on a loaded machine one may miss a
# deadline, so a failing test gets one more try (both runs are printed).
retry=(--repeat until-pass:2)
cmake --preset dev >/dev/null
cmake --build --preset dev -j"$jobs"
ctest --preset dev -j"$jobs" "${retry[@]}"

if [ "${1:-}" = "--sanitize" ]; then
    cmake --preset asan-ubsan >/dev/null
    cmake --build --preset asan-ubsan -j"$jobs"
    ctest --preset asan-ubsan -j"$jobs" "${retry[@]}"
fi

./scripts/fuzz.sh 20
