#!/bin/bash
# modem_lines_e2e.sh: korvalin.exe /test under Wine over a loopback plug that has modem lines.
#
#   tests/e2e/modem_lines_e2e.sh WINE_RUN PREFIX KORVALIN_EXE HOLD_FILE_EXE DEMO_REG PRELOAD_SOURCE
#
# WINE_RUN is tools/wine-run.sh, PREFIX a Wine prefix for this test alone (its port map is
# changed and its session ended). PRELOAD_SOURCE (modem_lines_preload.c) is built for the
# program's side and preloaded into korvalin.exe alone: it gives the pseudo-terminal behind
# COM5 the modem lines of each wiring in the table below, and records what the test did to
# its far end. COM6 is a second loopback without modem lines, COM7 a file another program
# holds (a busy port), COM1 is claimed for nothing. Prints each failed check and the logs;
# exits 1 when any check failed.
set -eu

wine_run_sh=$1 prefix=$2 exe=$3 hold_exe=$4
. "$(dirname "$0")/port_e2e_setup.sh"
port_e2e_begin "$5" "$6"
plug=$work/com5 bare=$work/com6 held=$work/held.bin
bash "$tools/wine-com-port.sh" loopback "$plug" "$plug.pid"
bash "$tools/wine-com-port.sh" loopback "$bare" "$bare.pid"
printf 'a file another program reads\r\n' >"$held"
bash "$tools/wine-com-port.sh" map --bits "$bits" "$prefix" COM5 "$plug" COM6 "$bare" COM7 "$held"
hold_file "$hold_exe" "$held"
WATCH="$(readlink -f "$plug") $(readlink -f "$held")"

# One row per wiring: the port, the plug, the exit code, what the far end got (bytes, or some)
# and which outputs the test drove, the wiring the stand-in models, more options, and lines the
# log must have, the port's name before each. Every published plug passes as the plug it is:
# 9- or 25-pin with RI on RTS, on DTR or not wired, RJ-45 8-pin with DCD and RI on either
# output or neither, RJ-45 10-pin, RTS-CTS only. A line stuck on, unwired where the plug needs
# it, crossed to the other output, on with both, or erratic fails with the line that names it.
# A plug that loses a byte on every third write fails the second of two runs, by name, and
# the counts say how many bytes it lost. COM6 has no modem lines to read: what the plug needs
# was not tested. With no plug nothing
# reaches the far end and no line is driven, and a busy port is left alone as well.
both='CTS: follows RTS: pass;DSR: follows DTR: pass'
full="$both;DCD: follows DTR: pass"
unread='CTS: could not be read: not fully tested;DSR: could not be read: not fully tested'
unread+=';DCD: could not be read: not fully tested;RI: could not be read'
erratic='erratic: fail, read off/on/on/off with none/DTR/RTS/both on'
wired='CTS=RTS DSR=DTR DCD=DTR'
while IFS='|' read -r name port plug_kind code sent driven wiring options lines; do
    [ -n "$name" ] || continue
    # shellcheck disable=SC2086 # options are words
    WIRING=$wiring run "$name" "$code" /test "$port" /plug "$plug_kind" $options /log -
    [ "$port" = COM6 ] || recorded "$name" "$sent" "$driven"
    IFS=';' read -r -a expected <<<"$lines"
    for line in "${expected[@]}"; do
        has "$name" "$port $line"
    done
done <<EOF_TABLE
full-ri-rts|COM5|full|0|some|DTR RTS|$wired RI=RTS||open: free;$full;RI: follows RTS;put back: done
full-ri-dtr|COM5|full|0|some|DTR RTS|$wired RI=DTR||$full;RI: follows DTR
full-no-ri|COM5|full|0|some|DTR RTS|$wired||$full;RI: not wired
rj45|COM5|rj45|0|some|DTR RTS|$wired RI=RTS||$both;DCD: follows DTR;RI: follows RTS
rj45-swapped|COM5|rj45|0|some|DTR RTS|CTS=RTS DSR=DTR DCD=RTS RI=DTR||DCD: follows RTS;RI: follows DTR
rj45-bare|COM5|rj45|0|some|DTR RTS|CTS=RTS DSR=DTR||$both;DCD: not wired;RI: not wired
rj45-10|COM5|rj45-10|0|some|DTR RTS|$wired RI=DTR||$full;RI: follows DTR
rj45-rts|COM5|rj45-rts|0|some|DTR RTS|CTS=RTS||CTS: follows RTS: pass;DSR: not wired;RI: not wired
rj45-no-dsr|COM5|rj45|5|some|DTR RTS|CTS=RTS DCD=DTR||CTS: follows RTS: pass;DSR: not wired: fail, must follow DTR
rj45-dsr-rts|COM5|rj45|5|some|DTR RTS|CTS=RTS DSR=RTS||DSR: follows RTS: fail, must follow DTR
rj45-dcd-on|COM5|rj45|5|some|DTR RTS|CTS=RTS DSR=DTR DCD=ON||$both;DCD: stuck on: fail
stuck-on|COM5|full|5|some|DTR RTS|CTS=RTS DSR=DTR DCD=ON RI=DTR||$both;DCD: stuck on: fail;RI: follows DTR
not-wired|COM5|full|5|some|DTR RTS|CTS=RTS DCD=DTR||DSR: not wired: fail, must follow DTR;DCD: follows DTR: pass
crossed|COM5|full|5|some|DTR RTS|CTS=DTR DSR=DTR DCD=DTR||CTS: follows DTR: fail, must follow RTS
ri-both|COM5|full|5|some|DTR RTS|$wired RI=BOTH||$full;RI: follows both: fail
ri-either|COM5|rj45-10|5|some|DTR RTS|$wired RI=EITHER||$full;RI: follows both: fail
ri-erratic|COM5|full|5|some|DTR RTS|$wired RI=0110||$full;RI: $erratic
data|COM5|data|0|some|DTR RTS|$wired RI=0110||CTS: follows RTS;DSR: follows DTR;RI: ${erratic/: fail/}
repeat|COM5|full|0|3072|DTR RTS|$wired|/speed 9600,19200 /repeat 3|data 9600: pass (512 bytes);data 19200: pass (512 bytes);counts: 3 runs, 3072 bytes sent, 3072 back, 0 differed;counts: line errors none, 0 signal changes
drop|COM5|full|5|2047|DTR RTS|$wired DROP=3|/repeat 2|data 115200: pass (512 bytes);run 2: data 9600: byte 256 differs;counts: 2 runs, 2048 bytes sent, 2047 back, 255 differed;failed: run 2 of 2 was the first to fail
no-plug|COM5|none|0|0|none|$wired RI=DTR||open: free;data: not tested: no plug;signals: not tested: no plug;put back: done
unread|COM6|full|8|||$wired||$unread
busy|COM7|full|6|0|none|$wired||
absent|COM1|full|7|0|none|$wired||open: not present
EOF_TABLE

# The busy port's open line names why; a later run's lines say which run they come from.
grep -q '^COM7 open: busy' "$work/busy.log" || fail "busy: no line 'COM7 open: busy...'"
! grep -q '^COM5 run ' "$work/repeat.log" || fail "repeat: a later run gave a line"
port_e2e_end modem_lines_e2e
