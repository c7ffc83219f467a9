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

digest() {
    python3 - "$1" <<'PY'
import hashlib, sys
password = sys.argv[1].encode("cp1252")
key = hashlib.md5(b"KVORM").digest()
key_first = sum(key) % 2 == 1
d = hashlib.md5(password).digest()
for _ in range(sum(d) % 3 + 1):
    d = hashlib.md5(key + d if key_first else d + key).digest()
print(d.hex())
PY
}

clean() {
    wine reg delete "HKLM\\$key" /f >/dev/null 2>&1
    wine reg delete "HKCU\\$key" /f >/dev/null 2>&1
}

expect() {
    local want="$1"
    shift
    wine "$exe" "$@" </dev/null >/dev/null 2>&1
    local got=$?
    if [ "$got" -ne "$want" ]; then
        echo "FAIL: marrowgate.exe $(printf '%q ' "$@")exited $got, expected $want"
        failures=$((failures + 1))
    else
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
done
clean
echo "-- no password stored"
expect 0 +checkpwd anything

echo "$((8 + 1 - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
