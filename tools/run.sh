#!/usr/bin/env bash
# The main job end to end: build the shipped 32-bit tarvik.DLL, register it with Wine's
# regsvr32, and print the tags of the MP3 files given (default: the sample in examples/)
# from VBScript under cscript: the ID3v1 fields through the lumex control, then what the
# TagFile class reads from the same files.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/bootstrap.sh" >/dev/null
# Quiet while it works; everything it said when it fails.
log=$(mktemp)
trap 'rm -f "$log"' EXIT
if ! "$root/tools/build.sh" i686 >"$log" 2>&1; then
    cat "$log" >&2
    echo "run: the build failed (output above)" >&2
    exit 1
fi
"$root/tools/wine-prefix.sh" i686 >/dev/null
[ $# -gt 0 ] || set -- "$root/examples/sample.mp3"
run() { "$root/tools/wine-run.sh" i686 "$@"; }
windows_path() { printf 'Z:%s' "$(realpath "$1")" | tr / '\\'; }
run regsvr32 /s "$(windows_path "$root/build/i686/bin/tarvik.DLL")" ||
    { echo "run: regsvr32 could not register tarvik.DLL" >&2; exit 1; }
files=()
for f in "$@"; do files+=("$(windows_path "$f")"); done
run cscript //nologo "$(windows_path "$root/examples/readtags.vbs")" "${files[@]}"
run cscript //nologo "$(windows_path "$root/examples/readtagfile.vbs")" "${files[@]}"
