#!/bin/bash
# port_check_e2e.sh: korvalin.exe /test under Wine on the demo registry, over real COM ports.
#
#   tests/e2e/port_check_e2e.sh WINE_RUN PREFIX KORVALIN_EXE HOLD_FILE_EXE DEMO_REG PRELOAD_SOURCE
#
# WINE_RUN is tools/wine-run.sh (tools/wine-com-port.sh beside it maps the ports), PREFIX a
# Wine prefix for this test alone: its port map is changed and its session ended. The demo's
# COM5 and COM8 are loopback plugs (socat), COM9 a device that sends a byte every 100 ms, COM6
# a file another program holds (a busy port), COM7 a path where nothing is (a port that is not
# there); COM1, claimed by tools/wine-run.sh for nothing, must not reach the host's own serial
# port. PRELOAD_SOURCE (modem_lines_preload.c) records what reached the plugs' far ends. Prints
# each failed check and the logs; exits 1 when any check failed.
set -eu

wine_run_sh=$1 prefix=$2 exe=$3 hold_exe=$4
. "$(dirname "$0")/port_e2e_setup.sh"
port_e2e_begin "$5" "$6"
plug=$work/com5 second=$work/com8 slow=$work/com9 busy=$work/held.bin absent=$work/nothing-here
rm -f "$absent"
bash "$tools/wine-com-port.sh" loopback "$plug" "$plug.pid"
bash "$tools/wine-com-port.sh" loopback "$second" "$second.pid"
bash "$tools/wine-com-port.sh" slow "$slow" "$slow.pid"
printf 'a driver file another program reads\r\n' >"$busy"
cp "$busy" "$busy.before"
bash "$tools/wine-com-port.sh" map --bits "$bits" "$prefix" COM5 "$plug" COM6 "$busy" \
    COM7 "$absent" COM8 "$second" COM9 "$slow"
hold_file "$hold_exe" "$busy"

# A held port is reported busy and nothing is written to it.
run busy 6 /test COM6 /log -
grep -q '^COM6 open: busy' "$work/busy.log" || fail "busy: no line 'COM6 open: busy...'"
cmp -s "$busy" "$busy.before" || fail "busy: the held file was written to"
release_file

run absent 7 /test COM7 /log -
has absent 'COM7 open: not present'

# No port the demo names reaches one of the host's own serial devices: Wine would link a new
# prefix's COM1 to /dev/ttyS0, and /test would send data out of the machine's real port.
demo_ports=$(grep -o '"PORTNAME"="COM[0-9]*"' "$5" | cut -d'"' -f4)
for name in $(echo "$demo_ports" | tr A-Z a-z); do
    case $(readlink "$prefix/dosdevices/$name") in
        /dev/tty*) fail "host: $name is linked to $(readlink "$prefix/dosdevices/$name")" ;;
    esac
done
run host 7 /test COM1 /log -
has host 'COM1 open: not present'
run unknown 2 /test COM99 /log -
run bad 1 /test COM5 /ok /log -

# With no plug, the default, every port is tested and nothing is sent: the free ones pass (the
# worst, a port not present, decides the exit code), and no byte reached a plug's far end and
# no line was driven, though the stand-in models the lines and so would see one.
WATCH="$(readlink -f "$plug") $(readlink -f "$second") $(readlink -f "$slow")" \
    WIRING='CTS=RTS DSR=DTR DCD=DTR RI=DTR' run all 7 /test ALL /log -
recorded all 0 none
# The list's ports are the demo's Ports-class devices; its modem's COM14 is not opened.
for name in $(awk '/^\[/ { ports = 0 } /"Class"="Ports"/ { ports = 1 }
    ports && /"PORTNAME"=/ { split($0, value, "\""); print value[4] }' "$5"); do
    grep -q "^$name open: " "$work/all.log" || fail "all: no open line for $name"
done
! grep -q '^COM14 ' "$work/all.log" || fail "all: the modem's COM14 was tested"

for name in COM5 COM8 COM9; do
    for line in 'open: free' 'data: not tested: no plug' 'signals: not tested: no plug' \
        'put back: done'; do
        has all "$name $line"
    done
done
has all 'COM6 open: not present'  # a plain file nobody holds has no comm settings

# Data comes back through the plug at both speeds; a pseudo-terminal's signal lines cannot be
# read, and an unread line never passes: the plug's required lines were not tested.
WATCH=$(readlink -f "$plug") run full 8 /test COM5 /plug full /log -
recorded full 1024 -
has full 'COM5 open: free'
has full 'COM5 data 9600: pass (512 bytes)'
has full 'COM5 data 115200: pass (512 bytes)'
for input in CTS DSR DCD; do
    has full "COM5 $input: could not be read: not fully tested"
done
has full 'COM5 RI: could not be read'
! grep -Eq '^COM5 (CTS|DSR|DCD|RI): .*pass' "$work/full.log" || fail "full: a signal line passed"

# The README's example is this run's log, line for line.
run data 0 /test COM5 /plug data /log -
readme=$(dirname "$0")/../../README.md
awk '/COM5 passes with the data-only plug:/ { block = 1; next }
    block && /^    / { print substr($0, 5); next } block && NF { exit }' "$readme" >"$work/readme.txt"
diff "$work/readme.txt" "$work/data.log" >/dev/null || fail "data: the log is not README's example"

# The next test finds the port as the last one found it: the settings were put back.
run rj45 8 /test COM5 /plug rj45 /log -
has rj45 'COM5 DSR: could not be read: not fully tested'
[ "$(grep '^COM5 settings:' "$work/full.log")" = "$(grep '^COM5 settings:' "$work/rj45.log")" ] ||
    fail "rj45: COM5's settings differ from those the test before found"

# A device that keeps talking slowly ends each check at its deadline, not a read's timeout per
# byte (which took a minute and more for each speed): the data checks fail in seconds, with room
# for a slow start of Wine on a busy machine.
SECONDS_LIMIT=30 run slow 5 /test COM9 /plug data /log -
grep -Eq '^COM9 data 9600: .*(differs|came back)' "$work/slow.log" ||
    fail "slow: no failed 'COM9 data 9600: ...' line"

port_e2e_end port_check_e2e
