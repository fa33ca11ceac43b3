#!/usr/bin/env bash
# Runs a Windows test program under Wine and passes only a run that ended as it must:
# exit status 0, no crash reported by Wine or by the program, and, for a GoogleTest
# program, every test it planned reported as run (tests/common/test_main.cpp prints both
# counts).  Under Wine a crashing program prints its backtrace and may still exit with 0.
# Usage: guard-test.sh [--variant packages] ARCH program [args...]
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
variant=
if [ "${1:-}" = --variant ]; then
    variant=$2
    shift 2
fi
. "$here/wine-env.sh" "${1:?architecture}" "$variant" || exit 2
shift
program=${1:?program}
log=$(mktemp)
trap 'rm -f "$log"' EXIT

"$WINELOADER" "$@" </dev/null >"$log" 2>&1
status=$?
cat "$log"

verdict() {
    echo "test-guard: FAILED: $(basename "$program") $*" >&2
    exit 1
}
crash=$(grep -a -m1 -E "$tarvik_crash_pattern" "$log" | tr -d '\r')
[ -z "$crash" ] || verdict "crashed: $crash"
[ "$status" -eq 0 ] || verdict "exited with status $status"
planned=$(sed -n 's/^\[tarvik\] planned \([0-9]*\) tests\r*$/\1/p' "$log" | head -n1)
ran=$(sed -n 's/^\[tarvik\] ran \([0-9]*\) of \([0-9]*\) tests\r*$/\1 \2/p' "$log" | tail -n1)
[ -n "$planned" ] || verdict "never said how many tests it holds"
[ "$planned" -gt 0 ] || verdict "holds no test that the run selects"
[ -n "$ran" ] || verdict "ended before its summary: it planned $planned tests"
read -r ended total <<<"$ran"
[ "$ended" -eq "$planned" ] && [ "$total" -eq "$planned" ] || verdict "ran $ended of $planned tests"
exit 0
