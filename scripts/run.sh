#!/usr/bin/env bash
# Builds the calculator and starts it with the given parameters.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNIMBREL_SANITIZE=OFF >/dev/null
cmake --build build -j "$(nproc)"
if [ -x build/cli/nimbrel-cli ]; then
    exec build/cli/nimbrel-cli "$@"
fi
echo "Built the core library; there is no program to start yet." >&2
