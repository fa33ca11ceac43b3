#!/usr/bin/env bash
# Configures and builds tarvik for the named architectures (default: both Windows ones) into
# build/<arch>; "native" and "native-release" build the format readers with the host's clang.
# Building needs no Wine: the Wine prefixes are made by the tests that need them.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
arches=("$@")
[ ${#arches[@]} -gt 0 ] || arches=(i686 x86_64)
for arch in "${arches[@]}"; do
    case "$arch" in
        i686 | x86_64) toolchain=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/$arch-w64-mingw32.cmake" -DCMAKE_BUILD_TYPE=Release) ;;
        # The format readers built by the host's clang, under the sanitizers and optimised.
        native) toolchain=(-DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang -DCMAKE_BUILD_TYPE=RelWithDebInfo) ;;
        native-release) toolchain=(-DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang -DCMAKE_BUILD_TYPE=Release
                                   -DTARVIK_SANITIZE=OFF) ;;
        *) echo "build: unknown architecture $arch (i686, x86_64, native or native-release)" >&2; exit 1 ;;
    esac
    dir=$root/build/$arch
    # A configure that failed leaves no build.ninja: configure again until one succeeds.
    # Once there is one, the build re-runs CMake itself whenever a CMakeLists.txt changes.
    if [ ! -f "$dir/build.ninja" ]; then
        cmake -S "$root" -B "$dir" -G Ninja "${toolchain[@]}" >/dev/null
    fi
    cmake --build "$dir"
done
