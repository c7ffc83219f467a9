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
wine_env=()  # NAME=value settings for the next queries

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
    timeout 60 env "${wine_env[@]}" wine "$exe" "$@" </dev/null >/dev/null 2>&1
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
salt=000102030405060708090a0b0c0d0e0f
superseded=ffffffffffffffffffffffffffffffff
salted() { # rounds password: the pwdDigest value
    python3 "$(dirname "$0")/../scripts/password-digest.py" --salted "$1" "$salt" "$2"
}
store() { # root Password [pwdDigest]
    clean
    wine reg add "$1\\$key\\global" /v Password /t REG_SZ /d "$2" /f >/dev/null 2>&1
    if [ $# -gt 2 ]; then
        wine reg add "$1\\$key\\global" /v pwdDigest /t REG_SZ /d "$3" /f >/dev/null 2>&1
    fi
}

store HKCU "$(digest 'open sesame')"
expect 0 +checkpwd "open sesame"
expect 255 +checkpwd
expect 0 +CHECKPWD "open sesame" +lock
# The first token after the switch is the password, even another switch.
expect 255 +lock +checkpwd "open sesame"

store HKLM "$superseded" "$(salted 1000 'open sesame')"
expect 0 +checkpwd "open sesame"

# The text itself is digested: the system's ANSI code page (1252 here, 1251
# for a Russian locale, where u-umlaut and sharp s do not exist) changes nothing.
locales="$build/locales"
mkdir -p "$locales"
[ -d "$locales/ru_RU.UTF-8" ] || localedef -i ru_RU -f UTF-8 "$locales/ru_RU.UTF-8" >/dev/null 2>&1
if [ ! -d "$locales/ru_RU.UTF-8" ]; then
    echo "FAIL: no Russian locale could be made for the code page check"
    failures=$((failures + 1))
fi
store HKCU "$superseded" "$(salted 1000 'Grüße€')"
wine_env=("LOCPATH=$locales" LC_ALL=ru_RU.UTF-8)
expect 0 +checkpwd "Grüße€"
expect 255 +checkpwd "Grusse€"
wine_env=()

clean
expect 0 +checkpwd anything

echo "$passes passed, $failures failed"
[ "$failures" -eq 0 ]
