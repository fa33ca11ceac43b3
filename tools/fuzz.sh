#!/usr/bin/env bash
# Runs the format readers' fuzz target (clang's libFuzzer, with the address and
# undefined-behaviour sanitizers) over the committed seeds and the test fixtures.
#   tools/fuzz.sh [seconds]         as long as asked (default 600), then merges what covers
#                                   new code into tests/fuzz/corpus
#   tools/fuzz.sh --test [seconds]  as the tests run it (default 60), on a scratch copy
# Either fails on any crash, leak, sanitizer report, input slower than a second or
# allocation over the bound, and leaves the input that did it in build/native/fuzz-findings.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
mode=grow
if [ "${1:-}" = --test ]; then
    mode=test
    shift
fi
seconds=${1:-$([ $mode = test ] && echo 60 || echo 600)}
fuzzer=${TARVIK_FUZZER:-$root/build/native/bin/media_fuzzer}
fixtures=${TARVIK_FORMAT_FIXTURES:-$root/build/native/tests/formats/fixtures}
if [ -z "${TARVIK_FUZZER:-}" ]; then
    "$root/tools/build.sh" native >/dev/null
fi
findings=$root/build/native/fuzz-findings
mkdir -p "$findings"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/corpus"
cp "$root"/tests/fuzz/corpus/* "$work/corpus/" 2>/dev/null || true
if [ -d "$fixtures" ]; then
    find "$fixtures" -maxdepth 1 -type f ! -name '*.txt' -exec cp {} "$work/corpus/" \;
fi
# No single allocation over 64 MB: the readers' own bounds are far below it.
status=0
"$fuzzer" -max_total_time="$seconds" -timeout=1 -malloc_limit_mb=64 -rss_limit_mb=2048 \
    -max_len=262144 -dict="$root/tests/fuzz/media.dict" -print_final_stats=1 \
    -artifact_prefix="$findings/" "$work/corpus" >"$work/log" 2>&1 || status=$?
grep -E '^#[0-9]+ *DONE|stat::number_of_executed_units|stat::peak_rss_mb|ERROR|SUMMARY|==[0-9]+==' "$work/log" |
    head -20 || true
last=$(grep -E '^#[0-9]+' "$work/log" | tail -1 || true)
echo "fuzz: $last"
if [ $status -ne 0 ]; then
    echo "fuzz: FAILED (exit $status); the input is in $findings:" >&2
    tail -40 "$work/log" >&2
    exit 1
fi
# Only what covers code beyond the fixtures and the committed corpus is kept: the fixtures
# are made anew by every test run.  libFuzzer names the inputs it merges by their hash.
if [ $mode = grow ]; then
    mkdir -p "$root/tests/fuzz/corpus" "$work/known"
    cp "$root"/tests/fuzz/corpus/* "$work/known/" 2>/dev/null || true
    [ -d "$fixtures" ] && find "$fixtures" -maxdepth 1 -type f ! -name '*.txt' -exec cp {} "$work/known/" \;
    before=$(mktemp)
    ls "$work/known" | sort >"$before"
    "$fuzzer" -merge=1 -max_len=262144 "$work/known" "$work/corpus" >/dev/null 2>&1
    # Large finds are mostly a fixture with a byte changed: the fixtures seed every run anyway.
    for name in $(ls "$work/known" | sort | comm -13 "$before" -); do
        if [ "$(stat -c %s "$work/known/$name")" -le 32768 ]; then
            cp "$work/known/$name" "$root/tests/fuzz/corpus/$name"
        fi
    done
    rm -f "$before"
    echo "fuzz: tests/fuzz/corpus holds $(find "$root/tests/fuzz/corpus" -type f | wc -l) inputs"
fi
echo "fuzz: 1 passed, 0 failed"
