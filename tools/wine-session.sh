#!/usr/bin/env bash
# One Wine session for a run of several programs. Debian's wineserver ends as soon as its
# last program does (-p0), so each program would start a session of its own: the server,
# then services, devices and the desktop, seconds natively and minutes under an emulator.
#   start OWNER: leaves a persistent wineserver running in the prefix (which must exist);
#                where one already runs (another run's), it is used and left alone
#   end OWNER:   stops the server that OWNER's "start" started, bounded: a service that
#                crashed (as under qemu-user) can keep a server from ever ending by itself.
#                The server saves the registry as it ends.
# Usage: wine-session.sh start|end OWNER ARCH [display|packages]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
action=${1:?start or end}
owner=${2:?owner}
. "$here/wine-env.sh" "${3:?architecture}" "${4:-}"
wineserver=$(dirname "$WINELOADER")/wineserver
# Who started the server: written by "start" only when it started one.
mark=$WINEPREFIX/.tarvik-session

case "$action" in
    start)
        [ -f "$WINEPREFIX/system.reg" ] || { echo "wine-session: no prefix at $WINEPREFIX" >&2; exit 1; }
        rc=0
        # Returns once the server listens; 2 where a server of this prefix runs already.
        timeout 60 "$wineserver" -p </dev/null >/dev/null 2>&1 || rc=$?
        case $rc in
            0) echo "$owner" >"$mark" ;;
            2) exit 0 ;;
            *) echo "wine-session: wineserver -p failed ($rc)" >&2; exit 1 ;;
        esac
        # The first program of a session starts its services, which keep that program's
        # stderr for as long as they run: a program of our own, its stderr on nothing, so
        # that a caller reading a program's output through a pipe sees it end.  Under qemu-i386
        # each of the eight or so 32-bit processes takes a minute or more to start.
        timeout "${TARVIK_SESSION_START_TIMEOUT:-1800}" "$WINELOADER" cmd /c exit </dev/null >/dev/null 2>&1 ||
            { echo "wine-session: Wine's services did not start" >&2; exit 1; }
        ;;
    end)
        [ "$(cat "$mark" 2>/dev/null)" = "$owner" ] || exit 0
        rm -f "$mark"
        # Its programs have ended; what still runs are the session's services.
        timeout 60 "$wineserver" -k >/dev/null 2>&1 || true
        # -k returns once the server has gone; a server that would not go is killed outright.
        timeout 30 "$wineserver" -w >/dev/null 2>&1 || timeout 10 "$wineserver" -k9 >/dev/null 2>&1 || true
        ;;
    *) echo "wine-session: start or end, not $action" >&2; exit 2 ;;
esac
