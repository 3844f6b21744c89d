#!/bin/bash
# modem_lines_e2e.sh: korvalin.exe /test under Wine over a loopback plug that has modem lines.
#
#   tests/e2e/modem_lines_e2e.sh WINE_RUN PREFIX KORVALIN_EXE DEMO_REG PRELOAD_SOURCE
#
# WINE_RUN is tools/wine-run.sh, PREFIX a Wine prefix for this test alone (its port map is
# changed and its session ended). PRELOAD_SOURCE (modem_lines_preload.c) is built here with
# the host's cc for the program's side (-m32 for an i686 program) into PREFIX.ports, and
# preloaded into korvalin.exe alone: it gives the pseudo-terminal behind COM5 the modem lines
# of each wiring in the table below. COM6 is a second loopback without them, COM1 is claimed
# for nothing. Prints each failed check and the logs; exits 1 when any check failed.
set -eu

wine_run_sh=$1 prefix=$2 exe=$3 demo_reg=$4 preload_source=$5
tools=$(cd "$(dirname "$wine_run_sh")" && pwd)
. "$tools/wine-sides.sh"
bits=$(pe_bits "$exe")
loader=$(wine_loader "$bits")
work=$prefix.ports
plug=$work/com5 bare=$work/com6 preload=$work/modem_lines$bits.so
mkdir -p "$work"
rm -f "$work"/*.out "$work"/*.log

cc_bits=()
[ "$bits" = 32 ] && cc_bits=(-m32)
cc "${cc_bits[@]}" -shared -fPIC -o "$preload" "$preload_source" -ldl || {
    echo "modem_lines_e2e: cannot build the stand-in for $bits-bit Wine (-m32 needs" \
        "gcc-multilib, which tools/install-deps.sh installs)"
    exit 1
}

wine_run() { "$wine_run_sh" --prefix "$prefix" --bits "$bits" "$@"; }

cleanup() {
    bash "$tools/wine-com-port.sh" stop "$plug.pid"
    bash "$tools/wine-com-port.sh" stop "$bare.pid"
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
bash "$tools/wine-com-port.sh" loopback "$bare" "$bare.pid"
bash "$tools/wine-com-port.sh" map --bits "$bits" "$prefix" COM5 "$plug" COM6 "$bare"
wired_tty=$(readlink -f "$plug")
# wine-run.sh made the session and, without a display, a virtual one that lives as long as it.
display=${DISPLAY:-}
[ -n "$display" ] || display=:$(cut -d ' ' -f 1 "$prefix.xvfb")

failures=0
fail() {
    echo "FAILED: $*"
    failures=$((failures + 1))
}

# Runs korvalin.exe with ARGS and the stand-in wired as WIRING; its output goes to
# $work/NAME.log, its exit code must be CODE. The prefix's server is started first, without
# the stand-in, and only the Windows program gets LD_PRELOAD: no host tool or server of the
# other side ever tries to load a library of the wrong size.
run() {  # NAME CODE WIRING ARGS...
    local name=$1 code=$2 wiring=$3 got=0
    shift 3
    WINEPREFIX=$prefix WINEARCH=win$bits wineserver -p120 >/dev/null 2>&1 || true  # runs already
    timeout 60 env WINEPREFIX="$prefix" WINEARCH="win$bits" WINELOADER="$loader" \
        WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" DISPLAY="$display" \
        KORVALIN_WIRED_TTY="$wired_tty" KORVALIN_WIRING="$wiring" LD_PRELOAD="$preload" \
        "$loader" "$exe" "$@" </dev/null >"$work/$name.out" 2>&1 || got=$?
    tr -d '\r' <"$work/$name.out" >"$work/$name.log"  # lines end in CR LF, as on Windows
    [ "$got" = "$code" ] || fail "$name: korvalin.exe $* exited $got, not $code"
    [ "$(tail -n 1 "$work/$name.log" | cut -c 1-8)" = 'Result: ' ] ||
        fail "$name: the log does not end with a Result: line"
}
has() {  # NAME LINE: the log has LINE exactly
    grep -Fxq -- "$2" "$work/$1.log" || fail "$1: no line '$2'"
}

# Each plug's wiring as the stand-in models it, and the signal lines COM5's test must print.
# The plug it expects passes; a line stuck on, left unwired or crossed to the other output
# fails with that line, and the rest still pass.
full='RTS-CTS: pass;DTR-DSR: pass;DTR-DCD: pass;DTR-RI: pass'
rj45_rest='DTR-DSR: not wired by this plug;DTR-DCD: not wired by this plug'
rj45_rest+=';DTR-RI: not wired by this plug'
while IFS='|' read -r name plug_kind code wiring lines; do
    [ -n "$name" ] || continue
    run "$name" "$code" "$wiring" /test COM5 /plug "$plug_kind" /log -
    has "$name" 'COM5 open: free'
    IFS=';' read -r -a expected <<<"$lines"
    for line in "${expected[@]}"; do
        has "$name" "COM5 $line"
    done
done <<EOF
full|full|0|CTS=RTS DSR=DTR DCD=DTR RI=DTR|$full
no-ring|full|0|CTS=RTS DSR=DTR DCD=DTR|${full%DTR-RI*}DTR-RI: not wired by this plug
rj45|rj45|0|CTS=RTS DSR=DTR|RTS-CTS: pass;$rj45_rest
stuck-on|full|5|CTS=RTS DSR=DTR DCD=ON RI=DTR|${full/DCD: pass/DCD: stuck on}
not-wired|full|5|CTS=RTS DCD=DTR RI=DTR|${full/DSR: pass/DSR: stuck off}
crossed|full|5|CTS=DTR DSR=DTR DCD=DTR RI=DTR|${full/CTS: pass/CTS: crossed: follows DTR}
rj45-stuck|rj45|5|CTS=ON DSR=DTR|RTS-CTS: stuck on;$rj45_rest
EOF

# The stand-in answers for COM5's terminal alone: COM6's reads no modem lines, and COM1, mapped
# to nothing, is still not there.
run other 0 'CTS=RTS DSR=DTR DCD=DTR RI=DTR' /test COM6 /plug full /log -
for pair in RTS-CTS DTR-DSR DTR-DCD DTR-RI; do
    has other "COM6 $pair: could not be read"
done
run host 7 'CTS=RTS DSR=DTR DCD=DTR RI=DTR' /test COM1 /log -
has host 'COM1 open: not present'

if [ $failures -gt 0 ]; then
    for log in "$work"/*.log; do
        echo "--- $(basename "$log")"
        cat "$log"
    done
    exit 1
fi
echo "modem_lines_e2e: every check passed"
