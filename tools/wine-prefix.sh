#!/usr/bin/env bash
# Creates the Wine prefix for one architecture, or reuses the cached one while it is valid:
# made by the same Wine version with the same settings, and finished (the stamp is written
# last). The tests run it first, as their fixture.  With --check it only says (by its exit
# status) whether the cached prefix is valid.
# Usage: wine-prefix.sh [--check] i686|x86_64 [display|packages]   (a display prefix needs DISPLAY set)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
check_only=0
if [ "${1:-}" = --check ]; then
    check_only=1
    shift
fi
. "$here/wine-env.sh" "$1" "${2:-}"
# Raise the settings number whenever the settings below change, so cached prefixes are made anew.
settings=2
stamp_text="$("$WINELOADER" --version) settings $settings"
stamp=$WINEPREFIX/.tarvik-stamp
if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$stamp_text" ] && [ -f "$WINEPREFIX/system.reg" ]; then
    exit 0
fi
[ "$check_only" -eq 0 ] || exit 1
wineserver=$(dirname "$WINELOADER")/wineserver
echo "wine-prefix: creating $WINEPREFIX ($stamp_text, $WINEARCH)"
# A server still running in an unfinished prefix (a persistent one, or one whose service
# hangs) would hold the old registry.
timeout 30 "$wineserver" -k 2>/dev/null || true
rm -rf "$WINEPREFIX"
mkdir -p "$(dirname "$WINEPREFIX")"
# Bounded like every wait on Wine; under an emulator wineboot is slow, never endless.
timeout 3600 "$WINELOADER" wineboot --init
# Windows and device contexts without an X server, except where they are to be seen.
if [ "$tarvik_variant" != display ]; then
    timeout 600 "$WINELOADER" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null
fi
# A program that crashes prints its backtrace and ends, instead of waiting for a dialog
# that nobody can see: a crashing test fails rather than hangs.
timeout 600 "$WINELOADER" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null
# The session ends, so that the registry is on disk before the stamp says the prefix is
# finished.  A service that crashed (as one can under qemu-user) keeps the server up: it is
# stopped, which also saves the registry.
if ! timeout 300 "$wineserver" -w; then
    echo "wine-prefix: Wine's services did not end within 5 minutes; stopping them" >&2
    timeout 60 "$wineserver" -k || true
fi
[ -f "$WINEPREFIX/system.reg" ] || { echo "wine-prefix: wineboot left no registry in $WINEPREFIX" >&2; exit 1; }
echo "$stamp_text" >"$stamp"
