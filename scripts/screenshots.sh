#!/usr/bin/env bash
# Pictures of the window and the dialogs on a virtual X display (Xvfb) with a window manager
# (openbox), written to the folder given (default: screenshots/). The window is also started
# four times on one settings file and closed with Alt+F4 each time; it must come back at the
# same place every time (pictures neustart-1.png to neustart-4.png), or the script fails.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "${1:-}" = "--inside-display" ]; then
    out=$2
    openbox >/dev/null 2>&1 &
    wm=$!
    trap 'kill $wm 2>/dev/null || true' EXIT
    # The window manager owns the screen once it has set its supporting window.
    for _ in $(seq 100); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
        sleep 0.1
    done
    export LANG=de_DE.UTF-8 QT_QPA_PLATFORM=xcb
    NIMBREL_SCREENSHOT_DIR="$out" build/tests/gui/nimbrel_gui_tests TScreenshotTest

    # Four starts on an empty settings folder, then four on the place of a walk-through
    # (149, 100; tall); the pictures show the second series.
    settings=$(mktemp -d)
    trap 'kill $wm 2>/dev/null || true; rm -rf "$settings"' EXIT
    for series in empty placed; do
        rm -f "$settings/nimbrel.ini"
        if [ "$series" = placed ]; then
            printf '[TMainForm]\nLeft=149\nTop=100\nWidth=326\nHeight=549\nMaximized=0\n' \
                >"$settings/nimbrel.ini"
        fi
        first=""
        for start in 1 2 3 4; do
            build/nimbrel -i "$settings/nimbrel.ini" >/dev/null 2>&1 &
            pid=$!
            window=$(xdotool search --sync --onlyvisible --pid "$pid" --name '^Nimbrel$' | head -1)
            sleep 1
            [ "$series" = placed ] && import -window root "$out/neustart-$start.png"
            xdotool windowactivate --sync "$window" key --clearmodifiers alt+F4
            wait "$pid"
            place=$(grep -E '^(Left|Top|Width|Height)=' "$settings/nimbrel.ini" | tr '\n' ' ')
            echo "$series, start $start: $place"
            if [ -z "$first" ]; then
                first=$place
            elif [ "$place" != "$first" ]; then
                echo "the window moved: $first -> $place" >&2
                exit 1
            fi
        done
    done
    exit 0
fi

out=$(realpath -m "${1:-screenshots}")
mkdir -p "$out"
tools=(xvfb-run:xvfb xauth:xauth openbox:openbox xdotool:xdotool xprop:x11-utils
       import:imagemagick)
missing=()
for tool in "${tools[@]}"; do
    command -v "${tool%%:*}" >/dev/null || missing+=("${tool#*:}")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
fi
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNIMBREL_SANITIZE=OFF >/dev/null
cmake --build build -j "$(nproc)" --target nimbrel nimbrel_gui_tests >/dev/null
xvfb-run -a -s "-screen 0 1024x768x24" "$0" --inside-display "$out"
ls "$out"
