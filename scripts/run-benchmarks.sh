#!/usr/bin/env bash
# Runs the benchmarks under Wine in a session of their own and prints figures.
# MG_BUILD_DIR names the build folder (default build/windows), MG_PACKAGE_DIR
# the folder of the installer package (default build/package); arguments go
# to the start-up benchmark (its number of runs).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${MG_BUILD_DIR:-$root/build/windows}" && pwd)"
package="${MG_PACKAGE_DIR:-$root/build/package}"
version="$(sed -n 's/^#define MG_VERSION_TEXT "\(.*\)"$/\1/p' "$root/app/version.h")"

print_size() {
    if [ -f "$1" ]; then
        printf '  %-28s %9.1f KiB\n' "$(basename "$1")" "$(awk -v bytes="$(stat -c %s "$1")" 'BEGIN { print bytes / 1024 }')"
    else
        printf '  %-28s not built\n' "$(basename "$1")"
    fi
}
echo "sizes (no floor: sizes stand on their own)"
print_size "$build/marrowgate.exe"
print_size "$package/marrowgate-$version-x64.msi"

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
