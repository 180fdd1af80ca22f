#!/usr/bin/env bash
# Builds Nimbrel and starts it with the given arguments: the window with its parameters, or the
# console program when the first argument is an option beginning with "--" (or when there is
# no display to show the window on).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh >&2

console=0
if [ $# -gt 0 ] && [[ "$1" == --* ]]; then
    console=1
elif [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "nimbrel: keine grafische Anzeige gefunden, es rechnet nimbrel-cli." >&2
    console=2
fi
target=nimbrel
[ $console -ne 0 ] && target=nimbrel-cli

# Only the program's own output goes to standard output; build messages appear on failure.
if ! log=$(cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNIMBREL_SANITIZE=OFF 2>&1 &&
           cmake --build build -j "$(nproc)" --target "$target" 2>&1); then
    echo "$log" >&2
    exit 1
fi
case $console in
    0) exec build/nimbrel "$@" ;;
    1) exec build/cli/nimbrel-cli "$@" ;;
    *) exec build/cli/nimbrel-cli -- "$@" ;;
esac
