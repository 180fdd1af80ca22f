#!/usr/bin/env bash
# Pictures of the dialogs under Xvfb, written to the folder given (default: screenshots/).
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(realpath -m "${1:-screenshots}")
mkdir -p "$out"
command -v xvfb-run >/dev/null || { sudo=""; [ "$(id -u)" -eq 0 ] || sudo="sudo"; $sudo apt-get install -y -qq xvfb xauth; }
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNIMBREL_SANITIZE=OFF >/dev/null
cmake --build build -j "$(nproc)" --target nimbrel_gui_tests >/dev/null
NIMBREL_SCREENSHOT_DIR="$out" QT_QPA_PLATFORM=xcb \
    xvfb-run -a -s "-screen 0 1024x768x24" build/tests/gui/nimbrel_gui_tests TScreenshotTest
ls "$out"
