#!/usr/bin/env bash
# Runs every fuzz target of a build for a bounded time; fails on any finding.
# Usage: run-fuzzers.sh BUILD_DIR SECONDS
set -euo pipefail
build="$1"
seconds="${2:-60}"
corpus_root="$build/corpus"
status=0
for target in "$build"/fuzz_*; do
    [ -x "$target" ] || continue
    name="$(basename "$target")"
    mkdir -p "$corpus_root/$name"
    echo "== $name for ${seconds}s"
    if ! "$target" -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 \
        -artifact_prefix="$build/$name-" "$corpus_root/$name" >"$build/$name.log" 2>&1; then
        echo "!! $name found a problem; see $build/$name.log"
        tail -n 30 "$build/$name.log"
        status=1
    else
        grep -E 'stat::number_of_executed_units|stat::peak_rss_mb' "$build/$name.log" | sed 's/^/   /'
    fi
done
exit "$status"
