#!/usr/bin/env bash
# Creates the Wine prefix for one architecture, or reuses the cached one while it is valid:
# made by the same Wine version and finished (the stamp is written last).
# Usage: wine-prefix.sh i686|x86_64 [display]   (a display prefix needs DISPLAY set)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-env.sh" "$1" "${2:-}"
version=$("$WINELOADER" --version)
stamp=$WINEPREFIX/.tarvik-stamp
if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$version" ] && [ -f "$WINEPREFIX/system.reg" ]; then
    exit 0
fi
echo "wine-prefix: creating $WINEPREFIX ($version, $WINEARCH)"
rm -rf "$WINEPREFIX"
mkdir -p "$(dirname "$WINEPREFIX")"
"$WINELOADER" wineboot --init
# Windows and device contexts without an X server, except where they are to be seen.
if [ "$tarvik_variant" != display ]; then
    "$WINELOADER" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null
fi
"$(dirname "$WINELOADER")/wineserver" -w
echo "$version" >"$stamp"
