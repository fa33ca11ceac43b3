#!/usr/bin/env bash
# Installs what is missing, builds both architectures and runs every test under Wine, then
# the format readers' native tests and a minute of fuzzing under the sanitizers.
# The 64-bit suite runs first: it is the fast loop.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/bootstrap.sh"
"$root/tools/build.sh" x86_64 i686 native
status=0
for arch in x86_64 i686 native; do
    echo "== tests for $arch"
    ctest --test-dir "$root/build/$arch" --output-on-failure --timeout 600 || status=1
done
exit $status
