# Sourced by the other scripts: where Wine lives and which prefix an architecture uses.
# Usage: . tools/wine-env.sh i686|x86_64 [display|packages]
# The plain prefixes use Wine's null graphics driver, so the tests need no X server.  The
# display prefixes (second argument "display") keep the X11 driver and the caller's
# DISPLAY, for programs that are to be seen; they have a wineserver of their own, so
# nothing drawn there touches the tests.  The packages prefix (x86_64 only) is where the
# release packages are recorded and installed.
tarvik_arch=${1:?architecture}
tarvik_variant=${2:-}
export WINEDEBUG=${WINEDEBUG:--all}
# The lines by which Wine, its debugger or a test program report a fault nothing handled;
# a program that prints one has crashed, whatever its exit status.
tarvik_crash_pattern='^wine: Unhandled|^Unhandled exception: |^\[tarvik\] crashed: |^wine: Assertion'

if [ "$tarvik_variant" != display ]; then
    unset DISPLAY WAYLAND_DISPLAY
fi
tarvik_cache=${TARVIK_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tarvik}
case "$tarvik_arch" in
    i686)   export WINEARCH=win32; tarvik_loader=/usr/lib/wine/wine ;;
    x86_64) export WINEARCH=win64; tarvik_loader=/usr/lib/wine/wine64 ;;
    *) echo "wine-env: unknown architecture $tarvik_arch" >&2; return 1 ;;
esac
export WINEPREFIX=$tarvik_cache/wine-$tarvik_arch${tarvik_variant:+-$tarvik_variant}
export WINELOADER=$tarvik_loader
