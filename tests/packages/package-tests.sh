#!/usr/bin/env bash
# The release packages under test, in three steps that CTest runs in order:
#   package-tests.sh build WORK            tools/package.sh into WORK/dist
#   package-tests.sh archive WORK          the archive holds what the README says, and its
#                                          C++ examples build from it alone
#   package-tests.sh install WORK PROGRAM  PROGRAM installs the packages for real under
#                                          Wine's msiexec in the prefix TARVIK_CACHE/wine-x86_64-packages
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
step=${1:?step}
work=${2:?work folder}
fail() { echo "package-tests: $*" >&2; exit 1; }
windows_path() { printf 'Z:%s' "$1" | tr / '\\'; }

# The prefix where the packages are recorded and installed.  A test run that was cut short
# may have left a package installed there: such a prefix is made anew.
prepare_prefix() {
    "$root/tools/wine-prefix.sh" x86_64 packages
    . "$root/tools/wine-env.sh" x86_64 packages
    marker=$WINEPREFIX/.tarvik-installing
    if [ -f "$marker" ]; then
        rm -f "$WINEPREFIX/.tarvik-stamp"
        "$root/tools/wine-prefix.sh" x86_64 packages
    fi
}

build_packages() {
    prepare_prefix
    rm -rf "$work/dist"
    local start=$SECONDS
    TARVIK_DIST=$work/dist "$root/tools/package.sh"
    echo "package-tests: packaged in $((SECONDS - start)) s"
    ls -l "$work/dist"
}

sdk_zip() {
    local zips=("$work"/dist/tarvik-*-sdk.zip)
    [ -f "${zips[0]}" ] || fail "no developer archive in $work/dist"
    echo "${zips[0]}"
}

# The README's table of the archive: the paths in backquotes of its first column, as
# shell patterns below tarvik-<version>-sdk/.
readme_archive_patterns() {
    sed -n '/^### What the developer archive holds/,/^#/p' "$root/README.md" |
        sed -n 's/^| \(`[^|]*\) |.*/\1/p' | grep -o '`[^`]*`' | tr -d '`'
}

check_archive() {
    local zip name top entries patterns pattern entry matched
    zip=$(sdk_zip)
    name=$(basename "$zip" .zip)
    entries=$(unzip -Z1 "$zip" | grep -v '/$')
    patterns=$(readme_archive_patterns)
    [ -n "$patterns" ] || fail "README has no table of the archive"
    top=$(unzip -Z1 "$zip" | cut -d/ -f1 | sort -u)
    [ "$top" = "$name" ] || fail "the archive does not unpack into one folder $name: $top"
    # Every file is described, and every description names a file.
    while read -r entry; do
        matched=0
        while read -r pattern; do
            # shellcheck disable=SC2053
            [[ ${entry#"$name"/} == $pattern ]] && matched=1 && break
        done <<<"$patterns"
        [ $matched -eq 1 ] || fail "$entry is in the archive but not in the README"
    done <<<"$entries"
    while read -r pattern; do
        matched=0
        while read -r entry; do
            # shellcheck disable=SC2053
            [[ ${entry#"$name"/} == $pattern ]] && matched=1 && break
        done <<<"$entries"
        [ $matched -eq 1 ] || fail "the README lists $pattern, the archive has no such file"
    done <<<"$patterns"
    # Every example of the repository is there.
    for example in "$root"/examples/*; do
        [ "$(basename "$example")" = CMakeLists.txt ] && continue
        grep -qx "$name/examples/$(basename "$example")" <<<"$entries" || fail "examples/$(basename "$example") is not in the archive"
    done
    echo "package-tests: $(wc -l <<<"$entries") files, as the README says"
}

# Every C++ example, built with nothing but the archive and the system's import libraries.
build_examples() {
    local zip sdk arch triple out source program imports
    zip=$(sdk_zip)
    rm -rf "$work/sdk" "$work/examples"
    mkdir -p "$work/sdk"
    unzip -q "$zip" -d "$work/sdk"
    sdk=$work/sdk/$(basename "$zip" .zip)
    for arch in x86 x64; do
        triple=$([ $arch = x86 ] && echo i686 || echo x86_64)-w64-mingw32
        out=$work/examples/$arch
        mkdir -p "$out"
        "$triple-gcc" -c -I "$sdk/include" -o "$out/tarvik_i.o" "$sdk/include/automation/tarvik_i.c"
        for source in "$sdk"/examples/*.cpp; do
            program=$out/$(basename "$source" .cpp).exe
            "$triple-g++" -std=c++17 -O2 -Wall $(grep -q '\bwmain\b' "$source" && echo -municode) -I "$sdk/include" \
                -o "$program" "$source" "$out/tarvik_i.o" -static -lole32 -loleaut32 -luuid -lgdi32 -luser32
            imports=$("$triple-objdump" -p "$program" | sed -n 's/^\tDLL Name: //p' | tr A-Z a-z | sort -u)
            for dll in $imports; do
                case $dll in
                    kernel32.dll | user32.dll | gdi32.dll | advapi32.dll | ole32.dll | oleaut32.dll | msvcrt.dll | shell32.dll) ;;
                    *) fail "$arch $(basename "$program") imports $dll" ;;
                esac
            done
            echo "package-tests: $arch $(basename "$program") built from the archive, imports $(echo $imports)"
        done
    done
}

# The next release as Windows Installer sees it: the x64 package with a higher version, a
# new product code and package code, and upgrade rows for that version (what wixl writes
# for it), everything else unchanged.  Prints its path.
make_later_package() {
    local packages=("$work"/dist/tarvik-*-x64.msi) version later code file
    version=$(basename "${packages[0]}" | sed 's/^tarvik-\(.*\)-x64\.msi$/\1/')
    later=$(( ${version%%.*} + 1 )).0.0.0
    file=$work/later/tarvik-$later-x64.msi
    rm -rf "$work/later"
    mkdir -p "$work/later"
    cp "${packages[0]}" "$file"
    code=$(msiinfo export "$file" Property | sed -n 's/^UpgradeCode\t//p' | tr -d '\r')
    for property in WIX_UPGRADE_DETECTED WIX_DOWNGRADE_DETECTED; do
        msibuild "$file" -q "DELETE FROM \`Upgrade\` WHERE \`ActionProperty\`='$property'"
    done
    msibuild "$file" \
        -q "UPDATE \`Property\` SET \`Value\`='$later' WHERE \`Property\`='ProductVersion'" \
        -q "UPDATE \`Property\` SET \`Value\`='{0A7E2B1C-5D3F-4E6A-9B8C-7D6E5F4A3B2C}' WHERE \`Property\`='ProductCode'" \
        -q "INSERT INTO \`Upgrade\` (\`UpgradeCode\`, \`VersionMin\`, \`VersionMax\`, \`Attributes\`, \`ActionProperty\`) VALUES ('$code', '', '$later', 1, 'WIX_UPGRADE_DETECTED')" \
        -q "INSERT INTO \`Upgrade\` (\`UpgradeCode\`, \`VersionMin\`, \`VersionMax\`, \`Attributes\`, \`ActionProperty\`) VALUES ('$code', '$later', '', 2, 'WIX_DOWNGRADE_DETECTED')" \
        -s "tarvik (x64)" "tarvik project" "x64;1033" "{1B8F3C2D-6E4A-4F7B-8C9D-0E1F2A3B4C5D}"
    echo "$file"
}

install_packages() {
    local program=${1:?test program} status=0
    prepare_prefix
    touch "$marker"
    local sdks=("$work"/sdk/tarvik-*-sdk)
    local later
    later=$(make_later_package)
    TARVIK_PACKAGES=$(windows_path "$work/dist") TARVIK_SDK=$(windows_path "${sdks[0]}") \
        TARVIK_LATER_PACKAGE=$(windows_path "$later") \
        TARVIK_BUILT_EXAMPLES=$(windows_path "$work/examples") LC_ALL=C \
        bash "$root/tools/guard-test.sh" --variant packages x86_64 "$program" || status=$?
    [ $status -eq 0 ] && rm -f "$marker"
    return $status
}

case $step in
    build) build_packages ;;
    archive) check_archive && build_examples ;;
    install) install_packages "${3:-}" ;;
    *) fail "unknown step $step" ;;
esac
