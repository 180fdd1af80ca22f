#!/usr/bin/env bash
# Builds the console program and starts it with the given options and parameters.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh >&2
# Only the program's own output goes to standard output; build messages appear on failure.
if ! log=$(cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNIMBREL_SANITIZE=OFF 2>&1 &&
           cmake --build build -j "$(nproc)" --target nimbrel-cli 2>&1); then
    echo "$log" >&2
    exit 1
fi
exec build/cli/nimbrel-cli "$@"
