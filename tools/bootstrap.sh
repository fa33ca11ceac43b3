#!/usr/bin/env bash
# Installs what the build and the tests need, from Debian's packages, and nothing else.
# Root is needed only when something is missing: on a ready machine anyone may run it,
# and a second run changes nothing. When it stops, it says why.  Its own lines (what it
# does and decides) go to stdout, apt's output to stderr, so that a caller can keep apt's
# in a log and show it only when bootstrap fails (tools/run.sh does).
set -euo pipefail

packages=(
    cmake ninja-build                                    # configure and build
    g++-mingw-w64-i686-win32 g++-mingw-w64-x86-64-win32  # the compilers of both targets
    mingw-w64-tools                                      # widl, which makes the type library
    libwine-dev                                          # the platform IDL files that widl reads
    wine wine64 wine32:i386                              # the tests run under Wine
    googletest                                           # built from source with the tests
    locales                                              # ja_JP.UTF-8 for the code page 932 runs
    binutils                                             # as and ld, to probe for 32-bit ELF support
    xvfb imagemagick                                     # the container's picture, drawn and checked
    faketime                                             # widl at a fixed time: identical type libraries
    wixl msitools                                        # the Windows Installer packages, built and edited
    zip unzip                                            # the developer archive, made and checked
    lame python3-mutagen                                 # real MP3 files and ID3v2 tags for the tag-file tests
    flac vorbis-tools opus-tools sox ffmpeg              # real files of the other formats
    clang libclang-rt-14-dev                             # the native readers, fuzzed under sanitizers
    libtag1-dev                                          # TagLib, timed beside the native readers
)

say() { echo "bootstrap: $*"; }
# Where 32-bit programs are registered with an emulator; the checks point it at a folder of theirs.
binfmt_misc=${TARVIK_BINFMT_MISC:-/proc/sys/fs/binfmt_misc}
stop() {
    echo "bootstrap: $*" >&2
    exit 1
}

# Stops unless this process may change the system; reason says what needs the change.
need_root() {
    [ "$(id -u)" -eq 0 ] && return 0
    stop "$1 needs root: run tools/bootstrap.sh as root (for example with sudo), then run this again"
}

command -v dpkg-query >/dev/null || stop "this script installs Debian packages, and dpkg-query is not here"

# One query for all of them: each query reads dpkg's whole database, seconds on a busy machine.
missing_packages() {
    local native line p out=()
    local -A installed=()
    native=$(dpkg --print-architecture)
    while read -r line; do
        [[ "$line" == *" install ok installed" ]] || continue
        p=${line%% *}
        installed[${p%:"$native"}]=1
    done < <(dpkg-query -W -f='${binary:Package} ${Status}\n' "$@" 2>/dev/null || true)
    for p in "$@"; do
        [ -n "${installed[$p]:-}" ] || out+=("$p")
    done
    echo "${out[@]:-}"
}

apt_updated=0
# A mirror in the middle of a sync fails one index now and then: try again, and when some
# index still fails, go on with the lists that did arrive; the install says if they lack anything.
update_package_lists() {
    local attempt
    say "updating the package lists"
    for attempt in 1 2 3; do
        apt-get update -qq >&2 && { apt_updated=1; return 0; }
        [ "$attempt" -lt 3 ] && sleep 15
    done
    apt-get update -qq >/dev/null 2>&1 || true
    apt-cache policy >/dev/null 2>&1 || stop "apt-get update failed (no network, or a broken sources list?)"
    say "apt-get update reported errors three times; installing from the package lists it has"
    apt_updated=1
}
apt_install() {
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$@" >&2
}
# "3 packages: a b c", or the first few names and how many more.
count_and_names() {
    local names=("$@") shown
    [ "$#" -eq 1 ] && { echo "1 package: $1"; return; }
    if [ "$#" -le 6 ]; then
        echo "$# packages: $*"
    else
        shown="${names[*]:0:5}"
        echo "$# packages: $shown and $(($# - 5)) more"
    fi
}
# The release's own name (bookworm): its versions exist for every architecture, where a
# mirror in the middle of a sync may already serve a security update for amd64 whose i386
# twin has not arrived, and wine32:i386 then cannot be installed beside it.
release_name() {
    (. /etc/os-release 2>/dev/null && echo "${VERSION_CODENAME:-}")
}
# The first of the packages that apt-get cannot install even from the release, by a dry run
# of each alone; empty when each alone could be.
first_uninstallable() {
    local release=$1 p
    shift
    for p in "$@"; do
        apt-get install -s -qq --no-install-recommends -t "$release" "$p" >/dev/null 2>&1 || { echo "$p"; return 0; }
    done
}
install_packages() {
    local todo release culprit
    todo=$(missing_packages "$@")
    [ -z "$todo" ] && return 0
    need_root "installing $todo"
    if [ "$apt_updated" -eq 0 ]; then
        update_package_lists
    fi
    # shellcheck disable=SC2086
    say "installing $(count_and_names $todo) (minutes: they are downloaded and unpacked)"
    # shellcheck disable=SC2086
    apt_install $todo && return 0
    release=$(release_name)
    [ -n "$release" ] || stop "apt-get could not install $todo (its output is above)"
    say "apt-get could not install from the newest package lists (a mirror in the middle of a" \
        "sync can hold amd64 updates whose i386 twins have not arrived); trying once more with the" \
        "release's own versions, which every architecture has (apt-get install -t $release)"
    # shellcheck disable=SC2086
    apt_install -t "$release" $todo && return 0
    # shellcheck disable=SC2086
    culprit=$(first_uninstallable "$release" $todo)
    stop "apt-get could not install ${culprit:-$todo}, not even the $release release's own version." \
        "Next: wait until the package mirror has finished its sync and run tools/bootstrap.sh again," \
        "or point /etc/apt/sources.list at another mirror"
}

# Can this kernel run a 32-bit x86 ELF binary by itself?  Try one rather than guess:
# a three-instruction program that exits with 7, built with plain binutils.
kernel_runs_i386() {
    local dir rc=0
    dir=$(mktemp -d)
    printf '.globl _start\n_start: movl $1,%%eax\n movl $7,%%ebx\n int $0x80\n' >"$dir/t.s"
    if ! { as --32 -o "$dir/t.o" "$dir/t.s" && ld -m elf_i386 -o "$dir/t" "$dir/t.o"; } 2>/dev/null; then
        rm -rf "$dir"
        stop "cannot build the 32-bit probe program with as and ld"
    fi
    "$dir/t" 2>/dev/null || rc=$?
    rm -rf "$dir"
    [ "$rc" -eq 7 ]
}

# 32-bit programs through qemu-user, where the kernel cannot run them itself.
register_qemu_i386() {
    local binfmt=$binfmt_misc
    [ -d "$binfmt" ] || stop "this kernel has no binfmt_misc, so 32-bit programs cannot run through qemu-user;" \
        "load it on the host (modprobe binfmt_misc) or give the container access to it. The x86_64" \
        "build and tests work without it: tools/build.sh x86_64, then ctest --test-dir build/x86_64"
    if [ ! -e "$binfmt/register" ]; then
        need_root "mounting binfmt_misc"
        mount -t binfmt_misc binfmt_misc "$binfmt" || stop "cannot mount binfmt_misc on $binfmt"
    fi
    if [ ! -e "$binfmt/qemu-i386" ]; then
        need_root "registering qemu-i386 with binfmt_misc"
        # F: the interpreter is opened now, so it also works inside other mount namespaces.
        printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:FOC' \
            >"$binfmt/register" || stop "binfmt_misc refused the qemu-i386 entry"
    fi
}

# Wine's 32-bit half, and the i686 build's programs, are 32-bit ELF programs.
ensure_i386_programs_run() {
    kernel_runs_i386 && return 0
    say "this kernel cannot run 32-bit ELF programs itself: they will run through the qemu-i386" \
        "emulator (qemu-user-static, registered with binfmt_misc), many times slower"
    install_packages qemu-user-static
    register_qemu_i386
    kernel_runs_i386 || stop "32-bit ELF programs still do not run, although qemu-i386 is registered"
}

# Everything in order; quiet when nothing was missing.
bootstrap_machine() {
    # Wine's 32-bit half comes from the i386 architecture.
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        need_root "adding the i386 architecture (for wine32)"
        say "adding the i386 architecture (for wine32)"
        dpkg --add-architecture i386
        update_package_lists
    fi
    install_packages "${packages[@]}"

    ensure_i386_programs_run

    # Wine takes its code page from the Unix locale: ja_JP.UTF-8 gives code page 932.
    if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
        need_root "generating the ja_JP.UTF-8 locale"
        say "generating the ja_JP.UTF-8 locale"
        sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen
        locale-gen >/dev/null || stop "locale-gen could not make ja_JP.UTF-8"
    fi
}

# Sourced by its own checks, which call the functions above against stubs.
if [ "${BASH_SOURCE[0]}" = "$0" ]; then
    bootstrap_machine
fi
