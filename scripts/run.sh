#!/usr/bin/env bash
# Runs marrowgate.exe under Wine with the given arguments. On the current X
# display when there is one; otherwise on a virtual display, where it takes a
# screenshot after a few seconds and then ends the program.
set -u
build="$(cd "$(dirname "$0")/.." && pwd)/build/windows"
exe="$build/marrowgate.exe"
[ -x "$build/wine-session" ] && [ -f "$exe" ] || { echo "build first: make build" >&2; exit 1; }

virtual=1
if [ -n "${DISPLAY:-}" ]; then
    export MG_DISPLAY="$DISPLAY"
    virtual=0
fi
"$build/wine-session" start >/dev/null || exit 1
trap '"$build/wine-session" stop >/dev/null' EXIT
. "$build/wine-env.sh"

wine "$exe" "$@" &
pid=$!
if [ "$virtual" -eq 0 ]; then
    wait "$pid"
    status=$?
else
    seconds="${RUN_SECONDS:-5}"
    for _ in $(seq 1 $((seconds * 10))); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    screenshot="$build/screenshot.png"
    import -display "$DISPLAY" -window root "$screenshot" 2>/dev/null &&
        echo "No display was set: ran on virtual display $DISPLAY; screenshot in $screenshot"
    if kill -0 "$pid" 2>/dev/null; then
        echo "The program was still running after ${seconds} s and was ended."
        wineserver -k
        wait "$pid"
        status=0
    else
        wait "$pid"
        status=$?
    fi
fi
echo "marrowgate.exe exited with $status"
exit "$status"
