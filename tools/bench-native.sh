#!/usr/bin/env bash
# The native benchmark: this project's format reader against TagLib's FileRef over the
# same 10,000 files in one process (bench/native), built optimised by
# `tools/build.sh native-release`.  The files go to a scratch folder under /tmp, removed
# at the end: the tag-reading set's 8,000 generated files and 2,000 copies of four files
# that LAME encodes and mutagen tags here (bench/native/make_encoded_files.py).  strace
# counts each reader's system calls over one pass of its own; the timed rounds run on one
# processor (taskset -c 1) at low priority.  Prints figures and a markdown table, kept in
# build/native-release/bench.txt; fails nothing.
# Usage: tools/bench-native.sh [ROUNDS]   (default 40)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
rounds=${1:-40}
nice "$root/tools/build.sh" native-release
program=$root/build/native-release/bin/bench_native_readers
scratch=$(mktemp -d /tmp/tarvik-native-bench.XXXXXX)
trap 'rm -rf "$scratch"' EXIT

nice /usr/bin/python3 "$root/bench/native/make_encoded_files.py" "$scratch/encoded"
nice "$program" generate "$scratch/set" "$scratch"/encoded/*.mp3
counts=
if command -v strace >/dev/null; then
    counts=$scratch/strace
    mkdir -p "$counts"
    for reader in none bare tarvik taglib; do
        for group in all generated encoded; do
            nice strace -f -c -U name,calls -o "$counts/$reader-$group.txt" \
                "$program" pass "$reader" "$scratch/set" "$group" >/dev/null
        done
    done
else
    echo "strace is missing: system calls are not counted, read calls still are (/proc/self/io)"
fi
out=$root/build/native-release/bench.txt
{
    echo "machine: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//'), $(nproc) cores," \
         "$(awk '/MemTotal/ {printf "%.0f GB", $2 / 1048576}' /proc/meminfo); $(uname -sr); clang" \
         "$(clang++ -dumpversion); load average: $(cut -d' ' -f1-3 /proc/loadavg); taskset -c 1, nice"
    nice taskset -c 1 "$program" measure "$scratch/set" "$rounds" "$counts"
} 2>&1 | tee "$out"
echo "(kept in ${out#$root/})"
