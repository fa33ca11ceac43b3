#!/usr/bin/env bash
# Creates the Wine prefix for one architecture, or reuses the cached one while it is valid:
# made by the same Wine version with the same settings, and finished (the stamp is written
# last). The tests run it first, as their fixture.
# Usage: wine-prefix.sh i686|x86_64 [display|packages]   (a display prefix needs DISPLAY set)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-env.sh" "$1" "${2:-}"
# Raise the settings number whenever the settings below change, so cached prefixes are made anew.
settings=2
stamp_text="$("$WINELOADER" --version) settings $settings"
stamp=$WINEPREFIX/.tarvik-stamp
if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$stamp_text" ] && [ -f "$WINEPREFIX/system.reg" ]; then
    exit 0
fi
echo "wine-prefix: creating $WINEPREFIX ($stamp_text, $WINEARCH)"
rm -rf "$WINEPREFIX"
mkdir -p "$(dirname "$WINEPREFIX")"
"$WINELOADER" wineboot --init
# Windows and device contexts without an X server, except where they are to be seen.
if [ "$tarvik_variant" != display ]; then
    "$WINELOADER" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null
fi
# A program that crashes prints its backtrace and ends, instead of waiting for a dialog
# that nobody can see: a crashing test fails rather than hangs.
"$WINELOADER" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null
"$(dirname "$WINELOADER")/wineserver" -w
echo "$stamp_text" >"$stamp"
