# Sourced by the other scripts: where Wine lives and which prefix an architecture uses.
# Usage: . tools/wine-env.sh i686|x86_64
tarvik_arch=${1:?architecture}
export WINEDEBUG=${WINEDEBUG:--all}
# Tests must not depend on an X server; Wine's null driver is selected in the prefix.
unset DISPLAY WAYLAND_DISPLAY
tarvik_cache=${TARVIK_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tarvik}
case "$tarvik_arch" in
    i686)   export WINEARCH=win32; tarvik_loader=/usr/lib/wine/wine ;;
    x86_64) export WINEARCH=win64; tarvik_loader=/usr/lib/wine/wine64 ;;
    *) echo "wine-env: unknown architecture $tarvik_arch" >&2; return 1 ;;
esac
export WINEPREFIX=$tarvik_cache/wine-$tarvik_arch
export WINELOADER=$tarvik_loader
