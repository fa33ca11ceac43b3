#!/usr/bin/env bash
# The main job end to end: build tarvik.DLL, register it with Wine's regsvr32, and print the
# tags of the MP3 files given (default: the sample in examples/) from VBScript under cscript:
# the ID3v1 fields through the lumex control, then what the TagFile class reads from the
# same files.  It builds the shipped 32-bit DLL, except where 32-bit programs run only through
# an emulator: there it builds the 64-bit one (the same code), and says so.
# Usage: run.sh [--arch i686|x86_64] [file.mp3 ...]   (or TARVIK_RUN_ARCH=i686|x86_64)
#
# It says what it does, one line a stage with the time the stage took; what the tools
# print (apt, the compiler, Wine) goes to a log, shown only when its stage fails.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

# True where 32-bit x86 programs run through an emulator that binfmt_misc hands them to
# (qemu-i386): an enabled entry for 32-bit little-endian ELF with e_machine 3 (i386).
# An entry there wins over the kernel's own loader, so this holds whatever the kernel can do.
i386_runs_emulated() {
    local dir=${TARVIK_BINFMT_MISC:-/proc/sys/fs/binfmt_misc} entry magic
    [ "$(cat "$dir/status" 2>/dev/null)" = enabled ] || return 1
    for entry in "$dir"/*; do
        case ${entry##*/} in status | register) continue ;; esac
        [ "$(head -n1 "$entry" 2>/dev/null)" = enabled ] || continue
        magic=$(sed -n 's/^magic //p' "$entry")
        [ "${magic:0:12}" = 7f454c460101 ] && [ "${magic:36:4}" = 0300 ] && return 0
    done
    return 1
}

# Sets arch: the one asked for (--arch, else TARVIK_RUN_ARCH), else the shipped i686 build
# where 32-bit programs run natively and the x86_64 build where they are emulated.
choose_arch() {
    arch=${1:-${TARVIK_RUN_ARCH:-}}
    case "$arch" in
        i686 | x86_64) ;;
        "")
            arch=i686
            if i386_runs_emulated; then
                arch=x86_64
                say "32-bit programs run here only through an emulator (qemu-i386), many times" \
                    "slower: using the 64-bit build of the same code; tools/run.sh --arch i686 (or" \
                    "TARVIK_RUN_ARCH=i686) runs the shipped 32-bit DLL"
            fi
            ;;
        *) say "unknown architecture $arch (i686 or x86_64)" >&2; return 2 ;;
    esac
}

say() { echo "run: $*"; }

# "0.4 s", "38 s", "4 min 05 s"
duration() {
    local ms=$1 s
    s=$((ms / 1000))
    if [ "$s" -lt 10 ]; then
        printf '%d.%d s' "$s" $((ms % 1000 / 100))
    elif [ "$s" -lt 60 ]; then
        printf '%d s' "$s"
    else
        printf '%d min %02d s' $((s / 60)) $((s % 60))
    fi
}
now_ms() { echo $(($(date +%s%N) / 1000000)); }

# stage DESCRIPTION command...: one line as it starts; the command's own lines on stdout
# (bootstrap's decisions, the prefix being made) shown as they come, its stderr kept in
# the log; the time it took when it ends.  When it fails: its part of the log, and stop.
stage() {
    local what=$1 start from said rc=0
    shift
    start=$(now_ms)
    from=$(($(stat -c %s "$log") + 1))
    said=$(mktemp)
    printf 'run: %s ... ' "$what"
    "$@" 2>>"$log" | while IFS= read -r line; do
        [ -s "$said" ] || { echo; echo yes >"$said"; }
        printf '%s\n' "$line"
    done || rc=$?
    local took
    took=$(duration $(($(now_ms) - start)))
    if [ "$rc" -ne 0 ]; then
        [ -s "$said" ] || echo
        rm -f "$said"
        say "$what failed after $took; what it printed:" >&2
        tail -c +"$from" "$log" | tail -n 60 >&2
        keep_log=1
        say "(all of it: $log)" >&2
        exit 1
    fi
    if [ -s "$said" ]; then say "$what: done in $took"; else echo "$took"; fi
    rm -f "$said"
}
# Everything the command prints into the log.
quietly() { "$@" >>"$log" 2>&1; }

windows_path() { printf 'Z:%s' "$(realpath "$1")" | tr / '\\'; }

finish() {
    local rc=$?
    if [ -n "${session_owner:-}" ]; then
        "$root/tools/wine-session.sh" end "$session_owner" "$arch" 2>>"$log" || true
    fi
    [ "${keep_log:-0}" -eq 1 ] || rm -f "$log"
    return $rc
}

main() {
    local args=() files=() f
    while [ $# -gt 0 ]; do
        case "$1" in
            --arch) [ $# -ge 2 ] || { say "--arch needs i686 or x86_64" >&2; exit 2; }; requested=$2; shift 2 ;;
            --arch=*) requested=${1#--arch=}; shift ;;
            *) args+=("$1"); shift ;;
        esac
    done
    [ ${#args[@]} -gt 0 ] || args=("$root/examples/sample.mp3")
    for f in "${args[@]}"; do
        [ -f "$f" ] || { say "no such file: $f" >&2; exit 2; }
    done
    choose_arch "${requested:-}" || exit 2
    log=$(mktemp --tmpdir tarvik-run.XXXXXX.log)
    trap finish EXIT
    local begun
    begun=$(now_ms)

    stage "checking what the build needs (tools/bootstrap.sh)" "$root/tools/bootstrap.sh"
    stage "building tarvik.DLL ($arch, build/$arch)" quietly "$root/tools/build.sh" "$arch"
    # Every 32-bit Windows process takes a minute or more to start under qemu-i386.
    # A 64-bit prefix has a 32-bit half too, made once.
    local emulated=0 prefix_note=
    if i386_runs_emulated; then
        [ "$arch" = i686 ] && emulated=1
        prefix_note="; its 32-bit half takes a few minutes under the emulator"
        [ "$arch" = x86_64 ] || prefix_note="; up to an hour under the emulator"
    fi
    if ! "$root/tools/wine-prefix.sh" --check "$arch" 2>>"$log"; then
        stage "making the Wine prefix (first run only$prefix_note)" "$root/tools/wine-prefix.sh" "$arch"
    fi
    # One Wine session for the three programs: Wine starts once, not once a program.
    session_owner=run-$$
    stage "starting Wine (one session for regsvr32 and both scripts$([ $emulated -eq 0 ] || echo "; 10 to 15 minutes under the emulator"))" \
        "$root/tools/wine-session.sh" start "$session_owner" "$arch"
    run() { "$root/tools/wine-run.sh" "$arch" "$@" </dev/null; }
    stage "registering tarvik.DLL with regsvr32" \
        quietly run regsvr32 /s "$(windows_path "$root/build/$arch/bin/tarvik.DLL")"
    for f in "${args[@]}"; do files+=("$(windows_path "$f")"); done
    say "reading the tags (examples/readtags.vbs through lumex, then examples/readtagfile.vbs through TagFile)"
    for script in readtags readtagfile; do
        if ! run cscript //nologo "$(windows_path "$root/examples/$script.vbs")" "${files[@]}" 2>>"$log"; then
            keep_log=1
            say "cscript failed on examples/$script.vbs; Wine's messages: $log" >&2
            exit 1
        fi
    done
    say "done in $(duration $(($(now_ms) - begun)))"
}

# Sourced by the bootstrap checks, which call choose_arch against a stubbed binfmt_misc.
if [ "${BASH_SOURCE[0]}" = "$0" ]; then
    main "$@"
fi
