#!/usr/bin/env bash
# Installs everything the build and the tests need, from Debian's packages.
# Idempotent: a second run installs nothing and only re-checks binfmt.
set -euo pipefail

need_root() {
    if [ "$(id -u)" -ne 0 ]; then
        echo "bootstrap: run as root (apt-get)" >&2
        exit 1
    fi
}

packages_64=(
    cmake make ninja-build
    g++-mingw-w64-i686-win32 g++-mingw-w64-x86-64-win32
    mingw-w64-tools libwine-dev
    wine wine64
    googletest
    lame id3v2 eyed3 sox
    xvfb xauth imagemagick
    locales binutils
    faketime wixl msitools zip unzip
)
packages_32=(wine32:i386)

missing() {
    local p out=()
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || out+=("$p")
    done
    echo "${out[@]:-}"
}

apt_updated=0
apt_install() {
    local todo
    todo=$(missing "$@")
    [ -z "$todo" ] && return 0
    if [ "$apt_updated" -eq 0 ]; then
        apt-get update -qq
        apt_updated=1
    fi
    # shellcheck disable=SC2086
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $todo
}

# Can this kernel run a 32-bit x86 ELF binary by itself?  Try one rather than guess:
# a three-instruction program that exits with 7, built with plain binutils.
kernel_runs_i386() {
    local dir rc=0
    dir=$(mktemp -d)
    printf '.globl _start\n_start: movl $1,%%eax\n movl $7,%%ebx\n int $0x80\n' >"$dir/t.s"
    as --32 -o "$dir/t.o" "$dir/t.s" && ld -m elf_i386 -o "$dir/t" "$dir/t.o" || { rm -rf "$dir"; return 2; }
    "$dir/t" 2>/dev/null || rc=$?
    rm -rf "$dir"
    [ "$rc" -eq 7 ]
}

register_qemu_i386() {
    [ -d /proc/sys/fs/binfmt_misc ] || return 1
    if [ ! -e /proc/sys/fs/binfmt_misc/register ]; then
        mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
    fi
    if [ ! -e /proc/sys/fs/binfmt_misc/qemu-i386 ]; then
        # F: the interpreter is opened now, so it also works inside other mount namespaces.
        printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:FOC' \
            >/proc/sys/fs/binfmt_misc/register
    fi
}

need_root
dpkg --print-foreign-architectures | grep -qx i386 || { dpkg --add-architecture i386; apt_updated=0; apt-get update -qq; apt_updated=1; }
apt_install "${packages_64[@]}"
apt_install "${packages_32[@]}"

if kernel_runs_i386; then
    echo "bootstrap: kernel runs 32-bit ELF natively"
else
    echo "bootstrap: kernel cannot run 32-bit ELF; using qemu-user through binfmt_misc"
    apt_install qemu-user-static
    register_qemu_i386
    kernel_runs_i386 || { echo "bootstrap: 32-bit ELF still does not run" >&2; exit 1; }
fi
# Wine takes its code page from the Unix locale: ja_JP.UTF-8 gives code page 932.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
    sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    locale-gen >/dev/null
fi
echo "bootstrap: done"
