#!/usr/bin/env bash
# Runs marrowgate.exe under Wine with the given arguments. On the current X
# display when there is one; otherwise on a virtual display, where it takes a
# screenshot after a few seconds and then ends the program (a lock is ended
# by typing the demo password, as a user would). Without a display and
# without arguments it runs the guided tour (scripts/tour.sh) instead.
set -u
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build/windows"
exe="$build/marrowgate.exe"
demo_password="marrowgate"
[ -x "$build/wine-session" ] && [ -f "$exe" ] || { echo "build first: make build" >&2; exit 1; }

virtual=1
if [ -n "${DISPLAY:-}" ]; then
    export MG_DISPLAY="$DISPLAY"
    virtual=0
fi
# Plain `make run` without a display: the guided tour with its screenshots.
if [ "$virtual" -eq 1 ] && [ $# -eq 0 ]; then
    exec "$root/scripts/tour.sh" "$build" "$root/build/tour"
fi
"$build/wine-session" start >/dev/null || exit 1
trap '"$build/wine-session" stop >/dev/null' EXIT
. "$build/wine-env.sh"

locking=0
for argument in "$@"; do
    case "${argument,,}" in +lock|+boot) locking=1 ;; esac
done

# A lock in the build's own Wine prefix without a password would open with
# an empty field: give it the demo password the README names.
key='Software\Quarnwick\Marrowgate'
if [ "$locking" -eq 1 ] &&
    ! wine reg query "HKLM\\$key\\global" /v Password 2>/dev/null | grep -qi '[0-9a-f]\{32\}' &&
    ! wine reg query "HKCU\\$key\\global" /v Password 2>/dev/null | grep -qi '[0-9a-f]\{32\}'; then
    wine reg add "HKCU\\$key\\global" /v Password /t REG_SZ /d "$(python3 "$root/scripts/password-digest.py" "$demo_password")" /f >/dev/null 2>&1
    # A key with some values reads the missing ones as empty (black, no
    # picture): give the demo the defaults a fresh start would have.
    for value in "bgColor 4278190080" "bgImage System" "useOrgScreen false" "autoStart false"; do
        wine reg query "HKCU\\$key\\global" /v "${value%% *}" >/dev/null 2>&1 ||
            wine reg add "HKCU\\$key\\global" /v "${value%% *}" /t REG_SZ /d "${value#* }" /f >/dev/null 2>&1
    done
    echo "No password was set: the demo password is \"$demo_password\"."
fi

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
    if [ "$locking" -eq 1 ] && kill -0 "$pid" 2>/dev/null; then
        xdotool type --delay 50 "$demo_password" && xdotool key Return
        for _ in $(seq 1 100); do
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
        kill -0 "$pid" 2>/dev/null || echo "Typed the demo password: the lock ended."
    fi
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
