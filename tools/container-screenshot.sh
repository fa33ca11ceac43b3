#!/usr/bin/env bash
# Runs the example container under Xvfb with Wine's X11 driver, saves its client area as a
# PNG and checks the picture: the control's black frame where the container placed it
# (after the container was resized), white inside, the caption's strokes in the middle
# and the container's blue around it; then the container must close cleanly.
# Usage: container-screenshot.sh i686|x86_64 BUILD_BIN_DIR OUT.png
# The display prefix (TARVIK_CACHE/wine-<arch>-display) is made on first use.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
arch=${1:?architecture}
bin=$(cd "${2:?binary folder}" && pwd)
out=${3:?output png}
work=$(mktemp -d)
xvfb=
cleanup() {
    if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then "$(dirname "$WINELOADER")/wineserver" -k 2>/dev/null || true; fi
    if [ -n "$xvfb" ]; then kill "$xvfb" 2>/dev/null || true; wait "$xvfb" 2>/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "container-screenshot: $*" >&2; exit 1; }

# A private X server on the first free display number.
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=:$(head -n1 "$work/display")

. "$here/wine-env.sh" "$arch" display
"$here/wine-prefix.sh" "$arch" display

"$WINELOADER" "$bin/container.exe" --resize 480x320 --close-after 6000 >"$work/container.out" 2>&1 &
program=$!
for _ in $(seq 600); do grep -q '^ready' "$work/container.out" && break; sleep 0.1; done
ready=$(grep '^ready' "$work/container.out" | tr -d '\r') || fail "the container did not come up: $(cat "$work/container.out")"
read -r cx cy cw ch <<<"$(sed 's/.*client=\([-0-9]*\),\([-0-9]*\),\([0-9]*\),\([0-9]*\).*/\1 \2 \3 \4/' <<<"$ready")"
read -r left top right bottom <<<"$(sed 's/.*control=\([0-9]*\),\([0-9]*\),\([0-9]*\),\([0-9]*\).*/\1 \2 \3 \4/' <<<"$ready")"
sleep 0.5  # let the X server show what was painted
import -display "$DISPLAY" -window root -crop "${cw}x${ch}+${cx}+${cy}" +repage "$out"
wait "$program" || fail "the container failed: $(cat "$work/container.out")"
! grep -a -q -E "$tarvik_crash_pattern" "$work/container.out" || fail "the container crashed: $(cat "$work/container.out")"
grep -q 'closed cleanly' "$work/container.out" || fail "the container did not close cleanly"

# Checks on the picture, with ImageMagick's own pixel reads.
channel() { convert "$out" -format "%[fx:round(255*p{$1,$2}.$3)]" info:; }
dark() { [ "$(channel "$1" "$2" intensity)" -lt 64 ] || fail "expected the frame at $1,$2"; }
[ "$cw" -eq 480 ] && [ "$ch" -eq 320 ] || fail "the window was not resized: ${cw}x${ch}"
[ "$right" -eq $((cw - 20)) ] && [ "$bottom" -eq $((ch - 20)) ] || fail "the control did not follow: $ready"
midx=$(((left + right) / 2)); midy=$(((top + bottom) / 2))
dark "$left" "$midy"; dark $((right - 1)) "$midy"; dark "$midx" "$top"; dark "$midx" $((bottom - 1))
[ "$(channel $((left + 5)) $((top + 5)) intensity)" -gt 230 ] || fail "the control is not white inside"
[ "$(channel $((left - 5)) $((top - 5)) b)" -gt 120 ] && [ "$(channel $((left - 5)) $((top - 5)) r)" -lt 100 ] ||
    fail "the container's colour is not around the control"
strokes=$(convert "$out" -crop "80x24+$((midx - 40))+$((midy - 16))" -colorspace gray -threshold 50% \
    -format '%[fx:round((1-mean)*w*h)]' info:)
[ "$strokes" -gt 30 ] || fail "no caption in the middle ($strokes dark pixels)"
echo "container-screenshot: $out (${cw}x${ch}, control $left,$top,$right,$bottom, caption $strokes dark pixels)"
