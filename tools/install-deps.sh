#!/bin/bash
# install-deps.sh: installs the Debian 12 packages that building, testing and the demo need.
#
#   tools/install-deps.sh [--dry-run]
#
# Does nothing (and never touches apt) when every package is already installed. Otherwise
# enables the i386 architecture for Wine's 32-bit half, updates the lists once and installs
# what is missing, as root or through sudo. --dry-run prints the commands instead.
set -eu

packages=(
    cmake ninja-build g++ python3 googletest libbenchmark-dev
    g++-mingw-w64-i686-posix binutils-mingw-w64-i686
    g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
    wine wine32:i386 wine64
    xvfb xauth x11-utils xdotool imagemagick dosbox mtools dosfstools socat
    clang libclang-rt-14-dev llvm-14
)

dry_run=0
[ "${1:-}" = --dry-run ] && dry_run=1

installed() {  # PACKAGE[:ARCH]
    [ "$(dpkg-query -W -f='${db:Status-Status}' "$1" 2>/dev/null)" = installed ]
}

# gcc-multilib builds the 32-bit modem-line stand-in of the i686 program's Wine tests: only where
# those run, that is where 32-bit Wine starts (or is not installed yet to be asked).
. "$(dirname "$0")/wine-sides.sh"
if ! installed wine32:i386 || can_run_32bit; then
    packages+=(gcc-multilib)
fi

missing=()
for p in "${packages[@]}"; do
    installed "$p" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
    echo "install-deps.sh: all packages present"
    exit 0
fi
echo "install-deps.sh: installing ${missing[*]}"

run() {
    if [ $dry_run -eq 1 ]; then
        echo "+ $*"
    elif [ "$(id -u)" -eq 0 ]; then
        "$@"
    elif command -v sudo >/dev/null; then
        sudo "$@"
    else
        echo "install-deps.sh: need root (or sudo) to install: ${missing[*]}" >&2
        exit 1
    fi
}

# wine32:i386 cannot even be found before the architecture is known and the lists updated.
for p in "${missing[@]}"; do
    if [ "${p%:i386}" != "$p" ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
        run dpkg --add-architecture i386
        break
    fi
done
run apt-get update -q
# Without recommends: Wine's recommends alone would pull in hundreds of megabytes.
run env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
    "${missing[@]}"
