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
runs_dir="$(mktemp -d)"
trap '"$build/wine-session" stop >/dev/null; rm -rf "$runs_dir"' EXIT
. "$build/wine-env.sh"

run_set() { # the whole set once; each figure against its floor of the same run
    wine "$build/bench_startup.exe" "$@"
    wine "$build/bench_lock.exe"
    wine "$build/bench_hooks.exe"
    wine "$build/bench_render.exe" "$(winepath -w "$picture" 2>/dev/null)"
    wine "$build/bench_tray.exe"
}

# Line by line, every number as the median of the three runs; a line whose
# words differ between the runs (a failure message) is shown from each run.
median_of_three() {
    awk '
        # A number, also within brackets, with a sign, or as a ratio ("(0.96x").
        function number(word) { return word ~ /^\(?[-+]?[0-9]+(\.[0-9]+)?x?\)?,?$/ }
        function value(word) { match(word, /[-+]?[0-9]+(\.[0-9]+)?/); return substr(word, RSTART, RLENGTH) + 0 }
        function median(a, b, c) { return a < b ? (b < c ? b : (a < c ? c : a)) : (a < c ? a : (b < c ? c : b)) }
        # Splits text into words, keeping the spaces before each (gaps[n + 1]: after the last).
        function words(text, word, gaps,    n) {
            n = 0
            while (match(text, /[^ ]+/)) {
                gaps[++n] = substr(text, 1, RSTART - 1); word[n] = substr(text, RSTART, RLENGTH)
                text = substr(text, RSTART + RLENGTH)
            }
            gaps[n + 1] = text
            return n
        }
        FNR == 1 { run++ }
        { sub(/\r$/, "") }  # Wine writes CR LF
        { line[run, FNR] = $0; if (FNR > lines[run]) lines[run] = FNR }
        END {
            if (lines[1] != lines[2] || lines[1] != lines[3]) {
                for (r = 1; r <= 3; r++) { print "run " r ":"; for (i = 1; i <= lines[r]; i++) print line[r, i] }
                exit
            }
            for (i = 1; i <= lines[1]; i++) {
                n = words(line[1, i], a, gaps); words(line[2, i], b, unused); m = words(line[3, i], c, unused)
                same = n == m
                for (w = 1; w <= n && same; w++) same = number(a[w]) ? number(b[w]) && number(c[w]) : a[w] == b[w] && a[w] == c[w]
                if (!same) { print line[1, i] " | " line[2, i] " | " line[3, i]; continue }
                out = ""
                for (w = 1; w <= n; w++) {
                    word = a[w]
                    if (number(word)) {
                        middle = median(value(a[w]), value(b[w]), value(c[w]))
                        match(word, /[-+]?[0-9]+(\.[0-9]+)?/)
                        core = substr(word, RSTART, RLENGTH)
                        decimals = index(core, ".") ? length(core) - index(core, ".") : 0
                        core = sprintf("%" (core ~ /^\+/ ? "+" : "") "." decimals "f", middle)
                        word = substr(word, 1, RSTART - 1) core substr(word, RSTART + RLENGTH)
                    }
                    out = out gaps[w] word
                }
                print out gaps[n + 1]
            }
        }' "$runs_dir/1" "$runs_dir/2" "$runs_dir/3"
}

for run in 1 2 3; do
    echo "run $run of 3 ..." >&2
    run_set "$@" >"$runs_dir/$run" 2>&1 || true
done
echo "median of three runs of the whole set, $(nproc) cores"
median_of_three

# The helper's wake-ups while idle, as Linux counts them: voluntary context
# switches of every thread of its Wine process over one minute, beside the
# minimal full-screen program's. (Windows would count them with xperf.)
unix_pid() { # PROGRAM_FILE WORD: the process mapping PROGRAM_FILE whose command line holds WORD
    local maps pid
    for maps in /proc/[0-9]*/maps; do
        pid="${maps//[^0-9]/}"
        grep -qF "$1" "$maps" 2>/dev/null && tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null | grep -qF -- "$2" &&
            echo "$pid" && return
    done
    true
}
switches() { # PID: voluntary context switches of all its threads
    { cat /proc/"$1"/task/*/status 2>/dev/null || true; } | awk '/^voluntary_ctxt_switches/ { n += $2 } END { print n + 0 }'
}
wine "$build/bench_tray.exe" idle 90 &
holder=$!
helper_pid= floor_pid=
for _ in $(seq 1 100); do
    helper_pid="$(unix_pid "$build/marrowgate.exe" +tray)"
    floor_pid="$(unix_pid "$build/bench_fullscreen.exe" bench_fullscreen)"
    [ -n "$helper_pid" ] && [ -n "$floor_pid" ] && break
    sleep 0.2
done
if [ -n "$helper_pid" ] && [ -n "$floor_pid" ]; then
    sleep 5 # past the start-up
    helper_before="$(switches "$helper_pid")" floor_before="$(switches "$floor_pid")"
    sleep 60
    if [ -d "/proc/$helper_pid" ] && [ -d "/proc/$floor_pid" ]; then
        echo "helper wake-ups while idle (5 minute timeout, no input), per minute"
        echo "  full-screen window (floor):  $(($(switches "$floor_pid") - floor_before))"
        echo "  helper:                      $(($(switches "$helper_pid") - helper_before))" \
            "(Linux context switches: each Wine server round trip counts)"
    else
        echo "helper wake-ups: the helper or the floor program ended during the minute"
    fi
else
    echo "helper wake-ups: the helper or the floor program did not start"
fi
wait "$holder"
