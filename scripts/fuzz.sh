#!/usr/bin/env bash
# Runs every libFuzzer target of a build for a fixed time each, starting from the seed corpus in
# fuzz/corpus. An input that breaks a target is copied into fuzz/regressions, which the test
# suite replays, and the run fails.
set -uo pipefail
build=${1:?usage: fuzz.sh BUILD_DIR SECONDS}
seconds=${2:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
status=0

for seeds in "$root"/fuzz/corpus/*/; do
    target=$(basename "$seeds")
    binary="$build/fuzz/txl_fuzz_$target"
    [ -x "$binary" ] || { echo "fuzz: $binary not built" >&2; status=1; continue; }
    work="$build/fuzz-work/$target"
    crashes="$build/fuzz-crashes/$target"
    mkdir -p "$work" "$crashes"
    log="$build/fuzz-work/$target.log"
    dictionary=()
    [ -f "$root/fuzz/dict/$target.dict" ] && dictionary=(-dict="$root/fuzz/dict/$target.dict")
    "$binary" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        "${dictionary[@]}" -artifact_prefix="$crashes/" "$work" "$seeds" >"$log" 2>&1
    result=$?
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' | tail -1)
    echo "fuzz: $target: ${runs:-?} inputs in ${seconds}s, exit $result"
    if [ $result -ne 0 ]; then
        status=1
        tail -n 40 "$log" >&2
        mkdir -p "$root/fuzz/regressions/$target"
        for artifact in "$crashes"/*; do
            [ -f "$artifact" ] || continue
            cp "$artifact" "$root/fuzz/regressions/$target/"
            echo "fuzz: saved $(basename "$artifact") to fuzz/regressions/$target" >&2
        done
    fi
done
exit $status
