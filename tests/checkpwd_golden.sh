#!/usr/bin/env bash
# Black-box check of the password query: settings written with Wine's own
# "reg add" into either root, the digest computed here independently, and the
# exit status read by the shell (-1 shows as 255).
# Usage: checkpwd_golden.sh BUILD_DIR
set -u
build="$1"
. "$build/wine-env.sh"
exe="$build/marrowgate.exe"
key='Software\Quarnwick\Marrowgate'
failures=0
passes=0

digest() {
    python3 "$(dirname "$0")/../scripts/password-digest.py" "$1"
}

clean() {
    wine reg delete "HKLM\\$key" /f >/dev/null 2>&1
    wine reg delete "HKCU\\$key" /f >/dev/null 2>&1
}

expect() {
    local want="$1"
    shift
    # Bounded: a query must be answered, never turn into a lock.
    timeout 60 wine "$exe" "$@" </dev/null >/dev/null 2>&1
    local got=$?
    if [ "$got" -ne "$want" ]; then
        echo "FAIL: marrowgate.exe $(printf '%q ' "$@")exited $got, expected $want"
        failures=$((failures + 1))
    else
        passes=$((passes + 1))
        echo "ok:   marrowgate.exe $(printf '%q ' "$@")-> $got"
    fi
}

trap clean EXIT
hex="$(digest 'open sesame')"
for root in HKCU HKLM; do
    clean
    wine reg add "$root\\$key\\global" /v Password /t REG_SZ /d "$hex" /f >/dev/null 2>&1
    echo "-- password stored below $root"
    expect 0 +checkpwd "open sesame"
    expect 255 +checkpwd "open Sesame"
    expect 255 +checkpwd open sesame
    expect 255 +checkpwd
    expect 0 +CHECKPWD "open sesame" +lock
    # The first token after the switch is the password, even another switch.
    expect 255 +lock +checkpwd "open sesame"
done
clean
echo "-- no password stored"
expect 0 +checkpwd anything

echo "$passes passed, $failures failed"
[ "$failures" -eq 0 ]
