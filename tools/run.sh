#!/usr/bin/env bash
# The main job end to end: build the shipped 32-bit target and print the tags of
# the MP3 files given (default: the sample in examples/).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/bootstrap.sh" >/dev/null
"$root/tools/build.sh" i686 >/dev/null
[ $# -gt 0 ] || set -- "$root/examples/sample.mp3"
"$root/tools/wine-run.sh" i686 "$root/build/i686/bin/tagdump.exe" "$@"
