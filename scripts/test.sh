#!/usr/bin/env bash
# Builds and runs every test twice: an optimised build, then one with AddressSanitizer and
# UndefinedBehaviorSanitizer in which any report or leak fails the run; then each fuzz target
# runs for a short while (scripts/fuzz.sh), so they keep building and finding nothing.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
jobs=$(nproc)

echo "== optimised build =="
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNIMBREL_SANITIZE=OFF >/dev/null
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"

echo "== sanitizer build =="
cmake -S . -B build-san -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNIMBREL_SANITIZE=ON >/dev/null
cmake --build build-san -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:abort_on_error=0 \
UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    ctest --test-dir build-san --output-on-failure -j "$jobs"

echo "== fuzz smoke run =="
if command -v clang++ >/dev/null; then
    scripts/fuzz.sh 20
else
    echo "clang++ is missing: the fuzz targets were not run (scripts/install-deps.sh installs it)"
fi
