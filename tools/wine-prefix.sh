#!/usr/bin/env bash
# Creates the Wine prefix for one architecture, or reuses the cached one while it is valid:
# made by the same Wine version and finished (the stamp is written last).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-env.sh" "$1"
version=$("$WINELOADER" --version)
stamp=$WINEPREFIX/.tarvik-stamp
if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$version" ] && [ -f "$WINEPREFIX/system.reg" ]; then
    exit 0
fi
echo "wine-prefix: creating $WINEPREFIX ($version, $WINEARCH)"
rm -rf "$WINEPREFIX"
mkdir -p "$(dirname "$WINEPREFIX")"
"$WINELOADER" wineboot --init
# Windows and device contexts without an X server.
"$WINELOADER" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null
"$(dirname "$WINELOADER")/wineserver" -w
echo "$version" >"$stamp"
