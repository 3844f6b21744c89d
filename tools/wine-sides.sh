# wine-sides.sh: which Wine runs a program, sourced by the scripts that start Wine.
#
# Two sides: 32-bit Wine runs the i686 build (the one that ships), 64-bit Wine the x86_64
# build. Some machines cannot start 32-bit programs at all, so the 32-bit side is asked for,
# never assumed. Debian's `wine` command picks the 32-bit loader whenever it is installed,
# even where it cannot start, so each side names its loader itself.

# The bitness of a PE image, 32 or 64, from its optional header's magic (0x10b PE32, 0x20b
# PE32+); nothing and status 1 when FILE is not a PE image.
pe_bits() {  # FILE
    local offset magic
    offset=$(od -An -t u4 -j 60 -N 4 "$1" 2>/dev/null | tr -d ' ') || return 1
    [ -n "$offset" ] || return 1
    [ "$(od -An -c -j "$offset" -N 4 "$1" 2>/dev/null | tr -d ' ')" = 'PE\0\0' ] || return 1
    magic=$(od -An -t x2 -j $((offset + 24)) -N 2 "$1" 2>/dev/null | tr -d ' ')
    case $magic in
        010b) echo 32 ;;
        020b) echo 64 ;;
        *) return 1 ;;
    esac
}

# The Wine loader of a side: the 32-bit one of the wine32 package, the 64-bit one of wine64.
wine_loader() {  # 32|64
    local package=wine32 name=wine
    [ "$1" = 64 ] && package=wine64 name=wine64
    local f
    for f in $(dpkg -L "$package" 2>/dev/null | grep "/$name\$"); do
        [ -f "$f" ] && [ -x "$f" ] && { echo "$f"; return 0; }
    done
    return 1
}

# The Windows version Wine reports in a side's prefixes (HKCU\Software\Wine, Version): win95
# for the 32-bit side, so the program meets under test the 4.00.950 it meets on the machine it
# ships to; nothing for the 64-bit side, whose Wine has no Windows 95 (Wine's default stays).
wine_version() {  # 32|64
    [ "$1" = 32 ] && echo win95
    return 0
}

# Status 0 when this machine starts 32-bit programs: the 32-bit Wine loader, an i386 program,
# is started and must answer. KORVALIN_WINE32=no says no without asking (to try the 64-bit-only
# road on a machine that has both).
can_run_32bit() {
    [ "${KORVALIN_WINE32:-}" = no ] && return 1
    local loader
    loader=$(wine_loader 32) && [ -n "$loader" ] && "$loader" --version >/dev/null 2>&1
}

# Why the 32-bit side is not run, in one line.
no_32bit_reason() {
    if [ "${KORVALIN_WINE32:-}" = no ]; then
        echo "KORVALIN_WINE32=no"
    else
        echo "this machine cannot start 32-bit programs"
    fi
}
