#!/usr/bin/env bash
# Runs the benchmarks under Wine in a session of their own and prints figures.
set -euo pipefail
build="$(cd "$(dirname "$0")/.." && pwd)/build/windows"
picture="$build/bench-3840x2160.jpg"
# ImageMagick's own convert, not a stand-in earlier on the PATH.
convert_bin="$( [ -x /usr/bin/convert ] && echo /usr/bin/convert || command -v convert )"
[ -f "$picture" ] || "$convert_bin" -size 3840x2160 gradient:navy-orange -attenuate 0.3 +noise Uniform -quality 90 "$picture"
"$build/wine-session" start >/dev/null
trap '"$build/wine-session" stop >/dev/null' EXIT
. "$build/wine-env.sh"
wine "$build/bench_startup.exe" "$@"
wine "$build/bench_lock.exe"
wine "$build/bench_hooks.exe"
wine "$build/bench_render.exe" "$(winepath -w "$picture" 2>/dev/null)"
