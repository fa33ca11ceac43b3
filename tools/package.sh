#!/usr/bin/env bash
# Builds the release packages into dist/ (or $TARVIK_DIST):
#   tarvik-<version>-x86.msi, tarvik-<version>-x64.msi   Windows Installer packages (wixl)
#   tarvik-<version>-sdk.zip                            both DLLs, type library, header, IDL, examples
# The version is the product version in the DLL's version block.  The registry rows of the
# installer packages are what the DLL's own registration writes, recorded at build time by
# registration_rows in a Wine prefix of its own (TARVIK_CACHE/wine-x86_64-packages).
# Building twice from the same commit gives the same bytes: every time stamp inside is
# SOURCE_DATE_EPOCH (default: the time of the last commit).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dist=${TARVIK_DIST:-$root/dist}
fail() { echo "package: $*" >&2; exit 1; }

"$root/tools/build.sh" i686 x86_64 >/dev/null
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
    SOURCE_DATE_EPOCH=$(git -C "$root" log -1 --format=%ct 2>/dev/null) || fail "no SOURCE_DATE_EPOCH and no git history"
fi
export SOURCE_DATE_EPOCH TZ=UTC
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
mkdir -p "$stage/rows" "$stage/x86" "$stage/x64" "$dist"

windows_path() { printf 'Z:%s' "$1" | tr / '\\'; }

# A name-based code (the layout of a version 5 UUID), the same for the same name.
derived_code() {
    local hex
    hex=$(printf '%s' "$1" | sha1sum | cut -c1-32)
    printf '%s-%s-5%s-%x%s-%s' "${hex:0:8}" "${hex:8:4}" "${hex:13:3}" $(( (0x${hex:16:1} & 3) | 8 )) "${hex:17:3}" "${hex:20:12}" |
        tr a-f A-F
}

# What the DLL's registration writes, per architecture, in the packaging prefix; the
# Windows locale is fixed (code page 1252, the packages' code page).
record_registration() {
    local arch=$1 build=$2
    LC_ALL=C "$WINELOADER" "$(windows_path "$root/build/$build/bin/registration_rows.exe")" \
        "$(windows_path "$root/build/$build/bin/tarvik.DLL")" \
        "$(windows_path "$stage/rows/registry-$arch.wxi")" "$(windows_path "$stage/rows/typelib-$arch.wxi")" | tr -d '\r'
}

"$root/tools/wine-prefix.sh" x86_64 packages >/dev/null
. "$root/tools/wine-env.sh" x86_64 packages
version=$(record_registration x86 i686) || fail "recording the 32-bit registration failed"
[ "$(record_registration x64 x86_64)" = "$version" ] || fail "the two DLLs carry different versions"
"$(dirname "$WINELOADER")/wineserver" -w
# Both packages install the one shared type library component: it must be the same in both.
cmp -s "$stage/rows/typelib-x86.wxi" "$stage/rows/typelib-x64.wxi" ||
    fail "the type library is registered differently by the two DLLs"
mv "$stage/rows/typelib-x86.wxi" "$stage/rows/typelib.wxi"

cp "$root/build/i686/bin/tarvik.DLL" "$stage/x86/"
cp "$root/build/x86_64/bin/tarvik.DLL" "$stage/x64/"
cp "$root/build/i686/src/generated/tarvik.tlb" "$stage/"
cmp -s "$stage/tarvik.tlb" "$root/build/x86_64/src/generated/tarvik.tlb" || fail "the two builds made different type libraries"

# The summary information of a package holds its creation and save times: set both to
# SOURCE_DATE_EPOCH.  They are the FILETIME properties (type 0x40) whose value is about now.
pin_summary_times() {
    local file=$1 now offset value pinned=0 fixed bytes i
    now=$(( ($(date +%s) + 11644473600) * 10000000 ))
    fixed=$(( (SOURCE_DATE_EPOCH + 11644473600) * 10000000 ))
    bytes=
    for i in 0 1 2 3 4 5 6 7; do bytes+=$(printf '\\x%02x' $(( (fixed >> (8 * i)) & 255 ))); done
    while IFS=: read -r offset _; do
        value=$(od -An -t u8 -j $((offset + 4)) -N 8 "$file" | tr -d ' ')
        [ -n "$value" ] || continue
        if [ "$value" -gt $((now - 864000000000)) ] && [ "$value" -lt $((now + 864000000000)) ]; then
            printf "$bytes" | dd of="$file" bs=1 seek=$((offset + 4)) conv=notrunc status=none
            pinned=$((pinned + 1))
        fi
    done < <(LC_ALL=C grep -obUaP '\x40\x00\x00\x00' "$file")
    [ "$pinned" -eq 2 ] || fail "$file: expected 2 summary times, found $pinned"
}

# The package code names one exact package: derived from its contents.
set_package_code() {
    local file=$1 arch=$2 code=$3
    msibuild "$file" -s "tarvik ($arch)" "tarvik project" "$( [ "$arch" = x64 ] && echo x64 || echo Intel);1033" "{$code}"
}

build_installer() {
    local arch=$1 out=$2 product
    product=$(derived_code "tarvik product $arch $version")
    touch -d "@$SOURCE_DATE_EPOCH" "$stage/$arch/tarvik.DLL" "$stage/tarvik.tlb"
    # wixl finds the files named by relative paths only, from the current folder.
    (cd "$stage" && wixl -a "$arch" -D Arch="$arch" -D Version="$version" -D ProductCode="$product" \
        -D Library="$arch/tarvik.DLL" -D TypeLibrary=tarvik.tlb -I rows -o "$out" "$root/packaging/tarvik.wxs")
    set_package_code "$out" "$arch" 00000000-0000-0000-0000-000000000000
    pin_summary_times "$out"
    set_package_code "$out" "$arch" "$(derived_code "tarvik package $(sha256sum <"$out")")"
}

for arch in x86 x64; do
    build_installer "$arch" "$stage/tarvik-$version-$arch.msi"
done

# The developer archive: what a C or C++ program needs, and every example of the repository.
sdk=$stage/sdk/tarvik-$version-sdk
mkdir -p "$sdk/bin/x86" "$sdk/bin/x64" "$sdk/include/automation" "$sdk/include/support" "$sdk/typelib" "$sdk/idl" "$sdk/examples"
cp "$stage/x86/tarvik.DLL" "$sdk/bin/x86/"
cp "$stage/x64/tarvik.DLL" "$sdk/bin/x64/"
cp "$stage/tarvik.tlb" "$sdk/typelib/"
cp "$root/build/i686/src/generated/automation/tarvik.h" "$root/build/i686/src/generated/automation/tarvik_i.c" "$sdk/include/automation/"
cp "$root/src/automation/tarvik.idl" "$sdk/idl/"
cp "$root/README.md" "$root/LICENSE" "$sdk/"
find "$root/examples" -maxdepth 1 -type f ! -name CMakeLists.txt -exec cp {} "$sdk/examples/" \;
# The project's own helpers that the examples include ("support/...").
for header in $(sed -n 's/^#include "\(support\/[a-z_]*\.h\)"/\1/p' "$sdk"/examples/*.cpp | sort -u); do
    cp "$root/src/$header" "$sdk/include/$header"
done
find "$stage/sdk" -type d -exec chmod 755 {} + -o -type f -exec chmod 644 {} +
find "$stage/sdk" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
(cd "$stage/sdk" && find . -mindepth 1 | LC_ALL=C sort | sed 's|^\./||' | zip -q -X -9 "$stage/tarvik-$version-sdk.zip" -@)

for file in "tarvik-$version-x86.msi" "tarvik-$version-x64.msi" "tarvik-$version-sdk.zip"; do
    mv -f "$stage/$file" "$dist/$file"
done
echo "package: $dist: tarvik-$version-x86.msi tarvik-$version-x64.msi tarvik-$version-sdk.zip"
