#!/usr/bin/env bash
# Builds the fuzz targets with clang and libFuzzer in build-fuzz/ and runs each for the given
# number of seconds (default 60), one after the other, at low priority. Usage:
#   scripts/fuzz.sh [SECONDS] [TARGET...]
# The targets start from their seeds in fuzz/corpus/ and grow a working corpus in
# build-fuzz/corpus/. An input that breaks an invariant, crashes or takes longer than the
# limit is kept in build-fuzz/findings/TARGET/ and fails the run; copy it into
# fuzz/findings/TARGET/ once it is fixed, so the ordinary tests replay it.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
all=(ParseEval SimplifyText Calculus Settings CommandLine)
targets=("${@:-${all[@]}}")

if ! command -v clang++ >/dev/null; then
    echo "fuzz: clang++ is missing (scripts/install-deps.sh installs it)" >&2
    exit 1
fi
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DNIMBREL_FUZZ=ON -DNIMBREL_TESTS=OFF >/dev/null
if ! cmake --build build-fuzz -j 2 >build-fuzz/build.log 2>&1; then
    tail -n 40 build-fuzz/build.log >&2
    echo "fuzz: the fuzz targets do not build (build-fuzz/build.log)" >&2
    exit 1
fi

failed=()
for target in "${targets[@]}"; do
    corpus=build-fuzz/corpus/$target
    findings=build-fuzz/findings/$target
    mkdir -p "$corpus" "$findings"
    echo "== fuzz $target: ${seconds}s =="
    # -timeout catches hangs only: the instrumented code runs ten times slower than the
    # optimised build, and at low priority on a busy machine. The unit tests hold the
    # optimised build to a second.
    if ! nice -n 19 "build-fuzz/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=30 \
        -rss_limit_mb=2048 -max_len=4096 -print_final_stats=1 -artifact_prefix="$findings/" \
        "$corpus" "fuzz/corpus/$target" >"build-fuzz/fuzz-$target.log" 2>&1; then
        failed+=("$target")
        grep -E "invariant broken|ERROR|SUMMARY|Test unit written" "build-fuzz/fuzz-$target.log" >&2 || true
    fi
    grep -E "^(stat::number_of_executed_units|stat::peak_rss_mb)|^Done" "build-fuzz/fuzz-$target.log" || true
    tail -n 20 "build-fuzz/fuzz-$target.log" | grep -oE "cov: [0-9]+ ft: [0-9]+" | tail -n 1 || true
done
if [ ${#failed[@]} -gt 0 ]; then
    echo "fuzz: findings in ${failed[*]} (see build-fuzz/findings/)" >&2
    exit 1
fi
