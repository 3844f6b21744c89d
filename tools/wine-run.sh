#!/bin/bash
# wine-run.sh: runs one Windows program under Wine in the build tree's own prefix.
#
#   tools/wine-run.sh [--prefix DIR] [--keep SECONDS] [--bits 32|64] program.exe [args...]
#
# The side follows the program: a PE32 image runs under 32-bit Wine in a win32 prefix, a PE32+
# image under 64-bit Wine in a win64 prefix. For Wine's own programs (reg, regedit, cmd) the
# side is the prefix's, or --bits for a prefix not made yet.
#
# CTest uses this as CMAKE_CROSSCOMPILING_EMULATOR. The prefix is created on first use
# (under a lock, so parallel tests do not both run wineboot) and reused after; the
# wineserver is kept alive between runs so that each test starts in a fraction of a second.
# Without a DISPLAY the runs share a virtual X server of their own. The program's exit code
# is ours.
set -u

. "$(dirname "$0")/wine-sides.sh"

prefix=${WINEPREFIX:-}
keep=${KORVALIN_WINESERVER_KEEP:-120}
bits=
while [ $# -gt 0 ]; do
    case $1 in
        --prefix) prefix=$2; shift 2 ;;
        --keep) keep=$2; shift 2 ;;
        --bits) bits=$2; shift 2 ;;
        --) shift; break ;;
        *) break ;;
    esac
done
if [ $# -eq 0 ]; then
    echo "usage: $0 [--prefix DIR] [--keep SECONDS] [--bits 32|64] program.exe [args...]" >&2
    exit 2
fi
if [ -z "$prefix" ]; then
    # Run by hand from somewhere in a build tree: use that tree's prefix.
    dir=$PWD
    while [ "$dir" != / ] && [ ! -f "$dir/CMakeCache.txt" ]; do dir=$(dirname "$dir"); done
    if [ ! -f "$dir/CMakeCache.txt" ]; then
        echo "wine-run.sh: no --prefix, no WINEPREFIX and not inside a build tree" >&2
        exit 2
    fi
    prefix=$dir/wineprefix
fi
case $prefix in /*) ;; *) prefix=$PWD/$prefix ;; esac

# A prefix remembers its side in the mark made when it was ready (an empty mark is from before
# there were two sides: 32-bit).
made=
if [ -f "$prefix/.korvalin-ready" ]; then
    made=$(cat "$prefix/.korvalin-ready")
    made=${made:-32}
fi
[ -n "$bits" ] || bits=$(pe_bits "$1" 2>/dev/null) || bits=$made
case $bits in
    32 | 64) ;;
    *) echo "wine-run.sh: $1 is no PE image and $prefix has no side yet: give --bits 32 or 64" >&2
       exit 2 ;;
esac
if [ -n "$made" ] && [ "$made" != "$bits" ]; then
    echo "wine-run.sh: $prefix is a $made-bit prefix; a $bits-bit program needs its own" >&2
    exit 2
fi
if [ "$bits" = 32 ] && ! can_run_32bit; then
    echo "wine-run.sh: cannot run $1 under 32-bit Wine: $(no_32bit_reason)" >&2
    exit 3
fi
loader=$(wine_loader "$bits") || {
    echo "wine-run.sh: no $bits-bit Wine loader (package wine$bits) installed" >&2
    exit 3
}

export WINEPREFIX=$prefix
export WINEARCH=win$bits
export WINELOADER=$loader
export WINEDEBUG=${KORVALIN_WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="

mkdir -p "$(dirname "$prefix")"
exec 9>"$prefix.lock"
flock 9

if [ -z "${DISPLAY:-}" ]; then
    # No display: share one virtual X server among all runs in this prefix (each run having
    # its own would leave Wine's desktop process bound to a display that comes and goes).
    # It lives as long as the prefix's wineserver, ended by a watcher once that has gone.
    [ "$keep" -gt 0 ] || keep=10
    xvfb=$prefix.xvfb
    if read -r num xpid 2>/dev/null <"$xvfb" && kill -0 "$xpid" 2>/dev/null; then
        export DISPLAY=:$num
    else
        numfile=$(mktemp)
        setsid Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp \
            3>"$numfile" 9>&- </dev/null >/dev/null 2>&1 &
        xpid=$!
        for _ in $(seq 100); do [ -s "$numfile" ] && break; sleep 0.1; done
        num=$(tr -d '[:space:]' <"$numfile")
        rm -f "$numfile"
        if [ -z "$num" ]; then
            echo "wine-run.sh: could not start Xvfb" >&2
            kill "$xpid" 2>/dev/null
            exit 3
        fi
        echo "$num $xpid" >"$xvfb"
        export DISPLAY=:$num
        # Ends the X server once no wineserver is left for the prefix; checked under the lock,
        # so that a run starting meanwhile keeps it.
        WINEPREFIX=$prefix setsid bash -c '
            while :; do
                wineserver -w
                exec 9>"$1.lock"; flock 9
                [ "$(timeout 0.5 wineserver -w; echo $?)" = 124 ] || break
                exec 9>&-
            done
            kill "$2"; rm -f "$1.xvfb"' watcher "$prefix" "$xpid" 9>&- </dev/null >/dev/null 2>&1 &
    fi
fi
# The host's serial ports. Wine links them, at each session start, to the lowest COM numbers that
# HKLM\Software\Wine\Ports does not claim, so a fixture's COM1 would open the machine's own
# port. Every number the fixtures name is claimed here, mapped to nothing (an empty value: Wine
# makes no link and the port reads not present); a test maps the ports it wants over the claim.
# The host's ports land above them, where no fixture looks. A prefix made before the claims gets
# them too, and loses its host links at once, as its running session keeps its own until it ends.
claim_ports() {
    local highest file n claimed
    highest=$(grep -ho '"PORTNAME"="COM[0-9]*"' "$(dirname "$0")"/../tests/fixtures/*.reg |
        tr -dc '0-9\n' | sort -n | tail -n 1)
    [ -n "$highest" ] && [ "$(cat "$prefix/.korvalin-ports" 2>/dev/null)" != "$highest" ] || return 0
    file=$(mktemp "${TMPDIR:-/tmp}/wine-ports.XXXXXX")
    {
        printf 'REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Wine\\Ports]\n'
        claimed=$("$loader" reg query 'HKLM\Software\Wine\Ports' 2>/dev/null |
            awk '{ print toupper($1) }')
        for n in $(seq "$highest"); do
            echo "$claimed" | grep -qx "COM$n" || printf '"COM%s"=""\n' "$n"
        done
    } >"$file"
    "$loader" reg import "Z:$(echo "$file" | tr / '\\')" >/dev/null 2>&1
    local status=$?
    rm -f "$file"
    [ $status -eq 0 ] || { echo "wine-run.sh: could not claim $prefix's COM ports" >&2; exit 3; }
    find "$prefix/dosdevices" -maxdepth 1 -name 'com*' -lname '/dev/tty*' -delete
    echo "$highest" >"$prefix/.korvalin-ports"
}
if [ ! -f "$prefix/.korvalin-ready" ]; then
    # A half-made prefix (an interrupted wineboot) is worse than none.
    rm -rf "$prefix"
    echo "wine-run.sh: creating $bits-bit Wine prefix $prefix" >&2
    if ! "$loader" wineboot -i >/dev/null 2>&1 || ! wineserver -w; then
        echo "wine-run.sh: wineboot failed for $prefix" >&2
        exit 3
    fi
    # A crashing test must fail with a backtrace on stderr, not wait on a dialog nobody sees.
    "$loader" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
        >/dev/null 2>&1
    # Before the session ends, so that the first one after it already has the claims.
    claim_ports
    wineserver -w
    echo "$bits" >"$prefix/.korvalin-ready"
fi
# The side's Windows version, with a mark of its own: a prefix made before the side had one
# (its .korvalin-ready holds only the side) is brought to it here on its next run, and the
# side mark keeps its meaning for every script that reads it. The mark is written only once
# Wine has taken the value, so an interrupted run sets it again next time.
version=$(wine_version "$bits")
if [ -n "$version" ] && [ "$(cat "$prefix/.korvalin-version" 2>/dev/null)" != "$version" ]; then
    if ! "$loader" reg add 'HKCU\Software\Wine' /v Version /t REG_SZ /d "$version" /f \
        >/dev/null 2>&1; then
        echo "wine-run.sh: could not make $prefix report Windows version $version" >&2
        exit 3
    fi
    echo "$version" >"$prefix/.korvalin-version"
fi
claim_ports
# The server outlives this run by $keep seconds; a later run reuses it. Starting it while
# one already runs for this prefix is harmless (the new one sees the lock and exits).
if [ "$keep" -gt 0 ]; then
    wineserver -p"$keep" 9>&- >/dev/null 2>&1
fi
flock -u 9
exec 9>&-

# Wine starts its service processes (explorer, services, winedevice) from the first program
# that needs them, and they inherit that program's stdout and stderr. If those were CTest's
# pipes, CTest would wait for the persistent server to time out. So the program writes to a
# file, which we follow until it exits.
log=$(mktemp "${TMPDIR:-/tmp}/wine-run.XXXXXX")
trap 'rm -f "$log"' EXIT
"$loader" "$@" </dev/null >"$log" 2>&1 &
pid=$!
tail -s 0.1 --pid=$pid -f "$log"
wait $pid
