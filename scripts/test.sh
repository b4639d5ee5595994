#!/usr/bin/env bash
# Checks that the core modules' declared dependencies match their includes, builds with AddressSanitizer +
# UndefinedBehaviorSanitizer and runs every test, then builds the libFuzzer targets with clang and runs each
# briefly over its seed corpus.
#   QUORVANE_FUZZ_SECONDS   seconds per fuzz target (default 10)
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
fuzz_seconds=${QUORVANE_FUZZ_SECONDS:-10}

"$root/scripts/check-module-includes.sh" "$root"
"$root/scripts/setup.sh" "$root/build/sanitize" sanitize
ctest --test-dir "$root/build/sanitize" --output-on-failure --timeout 300 -j2

"$root/scripts/check-lean-cli.sh" "$root/build/sanitize/cli/quorvane"

"$root/scripts/setup.sh" "$root/build/fuzz" fuzz
shopt -s nullglob
# The config readers get inputs long enough to nest values past the reader's depth bound.
declare -A max_len=([TOMLFuzzer]=65536 [ConfigFileFuzzer]=65536)
for fuzzer in "$root"/build/fuzz/fuzz/*Fuzzer; do
    name=$(basename "$fuzzer")
    corpus=$(mktemp -d)
    if [[ -d "$root/fuzz/corpus/$name" ]]; then
        cp -R "$root/fuzz/corpus/$name/." "$corpus/"
    fi
    echo "fuzzing $name for ${fuzz_seconds}s"
    if ! "$fuzzer" -max_total_time="$fuzz_seconds" -print_final_stats=1 -timeout=10 -rss_limit_mb=4096 \
            ${max_len[$name]:+-max_len=${max_len[$name]}} \
            -artifact_prefix="$root/build/fuzz/$name-" "$corpus" >"$root/build/fuzz/$name.log" 2>&1; then
        tail -n 60 "$root/build/fuzz/$name.log"
        echo "$name found a problem" >&2
        exit 1
    fi
    grep -E "stat::number_of_executed_units" "$root/build/fuzz/$name.log" || true
    rm -rf "$corpus"
done
echo "All tests passed."
