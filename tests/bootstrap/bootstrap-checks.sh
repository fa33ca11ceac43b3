#!/usr/bin/env bash
# The bootstrap's decisions, against a stubbed apt-get and dpkg-query (no network, no
# change to the machine), and the real script on this machine, where everything is present.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
passed=0
failed=0
check() {
    local name=$1
    shift
    if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $name"; fi
}

# Runs install_packages "$@" in a subshell with the stubs; APT_FAILS lists patterns of the
# apt-get calls (words joined by blanks) that fail, MISSING the packages dpkg-query says are absent.
# Leaves the calls in $calls, the output in $output and the exit code in $rc.
run_install() {
    calls=$(mktemp)
    output=$( (
        # shellcheck source=../../tools/bootstrap.sh
        source "$root/tools/bootstrap.sh"
        set +e
        id() { echo 0; }
        apt_updated=1
        dpkg-query() { case " $MISSING " in *" ${!#} "*) return 1 ;; *) echo 'install ok installed' ;; esac; }
        apt-get() {
            echo "$*" >>"$calls"
            local pattern
            for pattern in "${APT_FAILS[@]}"; do [[ "$*" == $pattern ]] && return 100; done
            return 0
        }
        install_packages "$@"
    ) 2>&1)
    rc=$?
}
release=$(source "$root/tools/bootstrap.sh"; release_name)

# A mirror mid-sync: the first install fails, the release's own versions install.
MISSING="wine32:i386 lame"
APT_FAILS=("install -y -qq --no-install-recommends wine32:i386 lame")
run_install cmake wine32:i386 lame
check "the retry prefers the release's versions" test "$rc" -eq 0
check "the retry installs the missing packages from $release" \
    grep -qx -- "install -y -qq --no-install-recommends -t $release wine32:i386 lame" "$calls"
check "the terminal says it retried and why" grep -q "mirror in the middle of a.*-t $release" <<<"$output"

# Neither works: the stop names the package and the next step.
APT_FAILS=("install -y *" "install -s *wine32:i386")
run_install wine32:i386 lame
check "a failed retry stops" test "$rc" -eq 1
check "the stop names the package" grep -q "could not install wine32:i386, not even" <<<"$output"
check "the stop says what to do next" grep -q "Next: wait until the package mirror" <<<"$output"
check "nothing is tried a third time" test "$(grep -c '^install -y' "$calls")" -eq 2

# A good mirror: one install, no retry, no word about it.
MISSING="lame"
APT_FAILS=()
run_install lame
check "a good mirror installs once" test "$rc" -eq 0 -a "$(wc -l <"$calls")" -eq 1
check "a good mirror brings no retry" grep -vq "Trying once more" <<<"$output"

# Everything present: apt-get is not called at all.
MISSING=""
run_install cmake lame
check "nothing missing calls no apt-get" test "$rc" -eq 0 -a ! -s "$calls" -a -z "$output"
rm -f "$calls"

# The real script on this machine, which the build has just used: silent and quick.
start=$(date +%s%N)
output=$(bash "$root/tools/bootstrap.sh" 2>&1)
rc=$?
elapsed_ms=$((($(date +%s%N) - start) / 1000000))
check "a ready machine's bootstrap succeeds" test "$rc" -eq 0
check "a ready machine's bootstrap says nothing" test -z "$output"
check "a ready machine's bootstrap is quick (${elapsed_ms} ms)" test "$elapsed_ms" -lt 5000

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
