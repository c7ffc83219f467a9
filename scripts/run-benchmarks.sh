#!/usr/bin/env bash
# Runs the benchmarks under Wine in a session of their own and prints figures.
set -euo pipefail
build="$(cd "$(dirname "$0")/.." && pwd)/build/windows"
"$build/wine-session" start >/dev/null
trap '"$build/wine-session" stop >/dev/null' EXIT
. "$build/wine-env.sh"
for bench in "$build"/bench_*.exe; do
    case "$bench" in *bench_minimal.exe) continue ;; esac
    wine "$bench" "$@"
done
