#!/bin/bash
# port_test_e2e.sh: korvalin.exe /test under Wine on the demo registry, over real COM ports.
#
#   tests/e2e/port_test_e2e.sh WINE_RUN PREFIX KORVALIN_EXE HOLD_FILE_EXE DEMO_REG
#
# WINE_RUN is tools/wine-run.sh (tools/wine-com-port.sh beside it maps the ports), PREFIX a
# Wine prefix for this test alone: its port map is changed and its session ended. The demo's
# COM5 is a loopback plug (socat), COM6 a file another program holds (a busy port), COM7 a
# path where nothing is (a port that is not there); COM1, claimed by tools/wine-run.sh for
# nothing, must not reach the host's own serial port. Prints each failed check and the logs;
# exits 1 when any check failed.
set -eu

wine_run_sh=$1 prefix=$2 exe=$3 hold_exe=$4 demo_reg=$5
tools=$(cd "$(dirname "$wine_run_sh")" && pwd)
. "$tools/wine-sides.sh"
bits=$(pe_bits "$exe")
work=$prefix.ports
plug=$work/com5 busy=$work/held.bin absent=$work/nothing-here
mkdir -p "$work"
rm -f "$absent" "$work"/*.out "$work"/*.log

wine_run() { "$wine_run_sh" --prefix "$prefix" --bits "$bits" "$@"; }
windows_path() { echo "Z:$1" | tr / '\\'; }

holder=
cleanup() {
    [ -z "$holder" ] || kill -- -"$holder" 2>/dev/null || true
    bash "$tools/wine-com-port.sh" stop "$plug.pid"
    WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
}
trap cleanup EXIT

for key in 'HKLM\Enum\BIOS' 'HKLM\Enum\Root' 'HKLM\Enum\ISAPNP' 'HKLM\Enum\MF' \
    'HKLM\Enum\PCI' 'HKLM\Enum\PCMCIA' \
    'HKLM\System\CurrentControlSet\Services\Class'; do
    wine_run reg delete "$key" /f >/dev/null 2>&1 || true
done
wine_run reg import "$demo_reg" >/dev/null 2>&1
bash "$tools/wine-com-port.sh" loopback "$plug" "$plug.pid"
printf 'a driver file another program reads\r\n' >"$busy"
cp "$busy" "$busy.before"
bash "$tools/wine-com-port.sh" map --bits "$bits" "$prefix" COM5 "$plug" COM6 "$busy" COM7 "$absent"

# The holder runs in a session of its own, so that ending it ends the Windows program too.
setsid "$wine_run_sh" --prefix "$prefix" "$hold_exe" "$(windows_path "$busy")" \
    </dev/null >/dev/null 2>&1 &
holder=$!
# Held once Wine has the file open (its server keeps the descriptor the sharing rules guard).
for _ in $(seq 100); do
    find /proc/[0-9]*/fd -lname "$busy" 2>/dev/null | grep -q . && break
    sleep 0.1
done

failures=0
fail() {
    echo "FAILED: $*"
    failures=$((failures + 1))
}

# Runs korvalin.exe with ARGS; its output goes to $work/NAME.log, its exit code must be CODE.
run() {  # NAME CODE ARGS...
    local name=$1 code=$2 got=0
    shift 2
    timeout 60 "$wine_run_sh" --prefix "$prefix" "$exe" "$@" >"$work/$name.out" 2>&1 || got=$?
    tr -d '\r' <"$work/$name.out" >"$work/$name.log"  # lines end in CR LF, as on Windows
    [ "$got" = "$code" ] || fail "$name: korvalin.exe $* exited $got, not $code"
    [ "$(tail -n 1 "$work/$name.log" | cut -c 1-8)" = 'Result: ' ] ||
        fail "$name: the log does not end with a Result: line"
}
has() {  # NAME LINE: the log has LINE exactly
    grep -Fxq -- "$2" "$work/$1.log" || fail "$1: no line '$2'"
}

# A held port is reported busy and nothing is written to it.
run busy 6 /test COM6 /log -
grep -q '^COM6 open: busy' "$work/busy.log" || fail "busy: no line 'COM6 open: busy...'"
cmp -s "$busy" "$busy.before" || fail "busy: the held file was written to"
kill -- -"$holder" 2>/dev/null || true
holder=

run absent 7 /test COM7 /log -
has absent 'COM7 open: not present'

# No port the demo names reaches one of the host's own serial devices: Wine would link a new
# prefix's COM1 to /dev/ttyS0, and /test would send data out of the machine's real port.
for name in $(grep -o '"PORTNAME"="COM[0-9]*"' "$demo_reg" | cut -d'"' -f4 | tr A-Z a-z); do
    case $(readlink "$prefix/dosdevices/$name") in
        /dev/tty*) fail "host: $name is linked to $(readlink "$prefix/dosdevices/$name")" ;;
    esac
done
run host 7 /test COM1 /log -
has host 'COM1 open: not present'
run unknown 2 /test COM99 /log -
run bad 1 /test COM5 /ok /log -

# Data comes back through the plug at both speeds; a pseudo-terminal's signal lines cannot be
# read, and an unread line never passes.
run full 0 /test COM5 /plug full /log -
has full 'COM5 open: free'
has full 'COM5 data 9600: pass (512 bytes)'
has full 'COM5 data 115200: pass (512 bytes)'
for pair in RTS-CTS DTR-DSR DTR-DCD DTR-RI; do
    has full "COM5 $pair: could not be read"
done
! grep -Eq '^COM5 (RTS|DTR)-[A-Z]+: .*pass' "$work/full.log" || fail "full: a signal pair passed"

# The next test finds the port as the last one found it: the settings were put back.
run rj45 0 /test COM5 /plug rj45 /log -
has rj45 'COM5 DTR-DSR: not wired by this plug'
[ "$(grep '^COM5 settings:' "$work/full.log")" = "$(grep '^COM5 settings:' "$work/rj45.log")" ] ||
    fail "rj45: COM5's settings differ from those the test before found"

if [ $failures -gt 0 ]; then
    for log in "$work"/*.log; do
        echo "--- $(basename "$log")"
        cat "$log"
    done
    exit 1
fi
echo "port_test_e2e: every check passed"
