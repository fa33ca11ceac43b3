#!/usr/bin/env bash
# The bootstrap's decisions, against a stubbed apt-get and dpkg-query (no network, no
# change to the machine), and the real script on this machine, where everything is present;
# and what tools/run.sh says of them: its choice of build where 32-bit programs are emulated.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
passed=0
failed=0
check() {
    local name=$1
    shift
    if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $name"; fi
}

# Runs the bootstrap function "$@" in a subshell with the stubs; APT_FAILS lists patterns of
# the apt-get calls (words joined by blanks) that fail, MISSING the packages dpkg-query says
# are absent; the stubbed apt-get talks as apt does.  Leaves the calls in $calls, stdout (the
# lines tools/run.sh shows) in $output, stderr (what it keeps in its log) in $errors and the
# exit code in $rc.
errors_file=$(mktemp)
in_bootstrap() {
    calls=$(mktemp)
    output=$( (
        # shellcheck source=../../tools/bootstrap.sh
        source "$root/tools/bootstrap.sh"
        set +e
        id() { echo 0; }
        apt_updated=1
        dpkg-query() {
            local p status=0
            for p in "${@:3}"; do
                case " $MISSING " in *" $p "*) status=1 ;; *) echo "$p install ok installed" ;; esac
            done
            return $status
        }
        apt-get() {
            echo "$*" >>"$calls"
            echo "Reading package lists..."
            local pattern
            for pattern in "${APT_FAILS[@]}"; do
                [[ "$*" == $pattern ]] && { echo "E: Unable to correct problems, you have held broken packages."; return 100; }
            done
            return 0
        }
        "$@"
    ) 2>"$errors_file")
    rc=$?
    errors=$(cat "$errors_file")
}
run_install() { in_bootstrap install_packages "$@"; }
release=$(source "$root/tools/bootstrap.sh"; release_name)

# A mirror mid-sync: the first install fails, the release's own versions install.
MISSING="wine32:i386 lame"
APT_FAILS=("install -y -qq --no-install-recommends wine32:i386 lame")
run_install cmake wine32:i386 lame
check "the retry prefers the release's versions" test "$rc" -eq 0
check "the retry installs the missing packages from $release" \
    grep -qx -- "install -y -qq --no-install-recommends -t $release wine32:i386 lame" "$calls"
check "the terminal says it retried and why" grep -q "mirror in the middle of a.*-t $release" <<<"$output"
check "the terminal says how many packages it installs" grep -q "^bootstrap: installing 2 packages: wine32:i386 lame" <<<"$output"
check "apt's own words stay off the terminal, for the log" \
    test "$(grep -c "held broken" <<<"$output")" -eq 0 -a "$(grep -c "held broken" <<<"$errors")" -eq 1

# Neither works: the stop names the package and the next step.
APT_FAILS=("install -y *" "install -s *wine32:i386")
run_install wine32:i386 lame
check "a failed retry stops" test "$rc" -eq 1
check "the stop names the package" grep -q "could not install wine32:i386, not even" <<<"$errors"
check "the stop says what to do next" grep -q "Next: wait until the package mirror" <<<"$errors"
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
check "nothing missing calls no apt-get" test "$rc" -eq 0 -a ! -s "$calls" -a -z "$output$errors"
rm -f "$calls"

# A kernel that cannot run 32-bit programs: the probe fails until qemu-i386 is registered
# with a stubbed binfmt_misc; bootstrap says so, installs qemu-user-static and registers it.
binfmt=$(mktemp -d)
export TARVIK_BINFMT_MISC=$binfmt
: >"$binfmt/register"
MISSING="qemu-user-static"
in_bootstrap eval 'kernel_runs_i386() { grep -q ":qemu-i386:M::" "$TARVIK_BINFMT_MISC/register"; }; ensure_i386_programs_run'
check "an emulating kernel's bootstrap succeeds" test "$rc" -eq 0
check "the emulator is announced" grep -q "^bootstrap: this kernel cannot run 32-bit.*qemu-i386" <<<"$output"
check "the emulator is installed" grep -q "^install .*qemu-user-static" "$calls"
check "the emulator is registered for 32-bit x86 ELF" grep -aq ':/usr/bin/qemu-i386-static:FOC$' "$binfmt/register"
in_bootstrap eval 'kernel_runs_i386() { return 0; }; ensure_i386_programs_run'
check "a kernel that runs 32-bit programs brings no word of an emulator" test "$rc" -eq 0 -a -z "$output$errors"
rm -f "$calls"

# tools/run.sh's build, by what the (stubbed) binfmt_misc holds: an enabled entry for i386
# ELF means emulated 32-bit programs, so the 64-bit build, and a line that says so.
# Leaves the chosen build in $chosen and what run.sh said in $output.
choose() {
    output=$(unset TARVIK_RUN_ARCH; [ -n "${RUN_ARCH:-}" ] && export TARVIK_RUN_ARCH=$RUN_ARCH
             source "$root/tools/run.sh"; choose_arch "$@" && echo "chosen $arch")
    chosen=$(sed -n 's/^chosen //p' <<<"$output")
}
entry() { printf '%s
interpreter /usr/bin/%s
flags: OCF
offset 0
magic %s
' "$1" "$2" "$3"; }
i386_magic=7f454c4601010100000000000000000002000300
echo enabled >"$binfmt/status"
entry enabled qemu-arm-static 7f454c4601010100000000000000000002002800 >"$binfmt/qemu-arm"
choose
check "another architecture's emulator leaves the 32-bit build" test "$chosen" = i686 -a "$(wc -l <<<"$output")" -eq 1
entry disabled qemu-i386-static "$i386_magic" >"$binfmt/qemu-i386"
choose
check "a disabled emulator leaves the 32-bit build" test "$chosen" = i686
entry enabled qemu-i386-static "$i386_magic" >"$binfmt/qemu-i386"
choose
check "emulated 32-bit programs bring the 64-bit build" test "$chosen" = x86_64
check "the 64-bit choice is announced, with the way back" \
    grep -q "^run: 32-bit programs run here only through an emulator.*64-bit build.*--arch i686" <<<"$output"
choose i686
check "--arch i686 keeps the shipped DLL under the emulator" test "$chosen" = i686 -a "$(wc -l <<<"$output")" -eq 1
RUN_ARCH=i686 choose
check "TARVIK_RUN_ARCH=i686 keeps the shipped DLL under the emulator" test "$chosen" = i686
echo disabled >"$binfmt/status"
choose
check "binfmt_misc turned off leaves the 32-bit build" test "$chosen" = i686
unset TARVIK_BINFMT_MISC
rm -rf "$binfmt" "$errors_file"

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
