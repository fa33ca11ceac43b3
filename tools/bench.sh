#!/usr/bin/env bash
# Builds the benchmark programs (bench/) and runs them under Wine: in full on the 64-bit
# build and briefly on the 32-bit one.  They print figures and fail nothing; the figures
# are also kept in build/<arch>/bench.txt.
# The format reader against TagLib, natively and without Wine, is tools/bench-native.sh.
# Usage: tools/bench.sh [--brief] [--spread] [x86_64] [i686]
#   (default: both architectures; --brief makes both brief)
# The programs and their Wine server run on one processor (taskset -c 0): a call that goes
# to the Wine server (opening a file, a DC for the screen, a registry key) costs three to
# four times as much when the two processes sit on different processors of this virtual
# machine, and varies with whatever else runs.  --spread leaves them to the scheduler.
# Run it on a quiet machine: the rounds are interleaved so that noise falls on every
# variant alike, but a busy machine still widens the spread.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
brief_all=
pin=(taskset -c 0)
arches=()
for arg in "$@"; do
    case "$arg" in
        --brief) brief_all=1 ;;
        --spread) pin=() ;;
        i686 | x86_64) arches+=("$arg") ;;
        *) echo "bench: unknown argument $arg" >&2; exit 1 ;;
    esac
done
[ ${#arches[@]} -gt 0 ] || arches=(x86_64 i686)
programs=(bench_tag_reading bench_tag_file bench_formats bench_tag_saving bench_dispatch bench_control bench_registration bench_resource_growth)

"$root/tools/bootstrap.sh"
for arch in "${arches[@]}"; do
    "$root/tools/build.sh" "$arch"
    cmake --build "$root/build/$arch" --target bench
    # bench_tag_saving saves the files the format tests' tools make.
    ctest --test-dir "$root/build/$arch" -R '^format_fixtures$' >/dev/null
    "$root/tools/wine-prefix.sh" "$arch"
done

# Real clients use the system's string cache.
unset OANOCACHE
for arch in "${arches[@]}"; do
    brief=
    if [ "$arch" = i686 ] || [ -n "$brief_all" ]; then brief=--brief; fi
    out=$root/build/$arch/bench.txt
    # The prefix's Wine server, if one still runs, ends first, so the programs start one
    # where they run themselves.
    (. "$root/tools/wine-env.sh" "$arch" && "$(dirname "$WINELOADER")/wineserver" -w)
    {
        echo "==== tarvik benchmarks, $arch${brief:+ (brief)}, $(date -u '+%Y-%m-%d %H:%M UTC')"
        echo "machine: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//'), $(nproc) cores," \
             "$(awk '/MemTotal/ {printf "%.0f GB", $2 / 1048576}' /proc/meminfo); $(uname -sr)"
        echo "wine: $("$root/tools/wine-run.sh" "$arch" --version); load average: $(cut -d' ' -f1-3 /proc/loadavg);" \
             "${pin[*]:-no taskset}"
        for program in "${programs[@]}"; do
            "${pin[@]}" "$root/tools/wine-run.sh" "$arch" "$root/build/$arch/bin/$program.exe" $brief ||
                echo "$program ended with $?"
        done
    } 2>&1 | tee "$out"
    echo "(kept in ${out#$root/})"
done
