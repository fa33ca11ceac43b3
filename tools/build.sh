#!/usr/bin/env bash
# Configures and builds tarvik for the named architectures (default: both) into build/<arch>.
# Building needs no Wine: the Wine prefixes are made by the tests that need them.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
arches=("$@")
[ ${#arches[@]} -gt 0 ] || arches=(i686 x86_64)
for arch in "${arches[@]}"; do
    case "$arch" in
        i686 | x86_64) ;;
        *) echo "build: unknown architecture $arch (i686 or x86_64)" >&2; exit 1 ;;
    esac
    dir=$root/build/$arch
    # A configure that failed leaves no build.ninja: configure again until one succeeds.
    # Once there is one, the build re-runs CMake itself whenever a CMakeLists.txt changes.
    if [ ! -f "$dir/build.ninja" ]; then
        cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
            -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$arch-w64-mingw32.cmake" >/dev/null
    fi
    cmake --build "$dir"
done
