#!/usr/bin/env bash
# Runs a Windows program under the Wine of one architecture, in that architecture's prefix.
# CTest uses this as the cross-compiling emulator.  Usage: wine-run.sh ARCH program [args...]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-env.sh" "$1"
shift
exec "$WINELOADER" "$@"
