#!/bin/bash
# tests/app/watch_lines_modem.sh: the Port Test's Watch lines over the loopback plug, given modem
# lines by the stand-in of tests/e2e preloaded into the dialog tests alone: CTS and RI wired to
# RTS, DSR and DCD to DTR, so that each box the test switches shows in the lights.
#
#   tests/app/watch_lines_modem.sh TESTS_EXE PREFIX PLUG_DIR PRELOAD_SOURCE TOOLS
#
# PLUG_DIR is the loopback plug's (loopback_plug.sh), whose pseudo-terminal is COM5 of PREFIX.
set -eu

exe=$1 prefix=$2 dir=$3 source=$4 tools=$5
. "$tools/wine-sides.sh"
bits=$(pe_bits "$exe")
loader=$(wine_loader "$bits")
cc_bits=()
[ "$bits" = 32 ] && cc_bits=(-m32)
preload=$dir/modem_lines$bits.so
cc "${cc_bits[@]}" -shared -fPIC -o "$preload" "$source" -ldl
# The server first and without the stand-in: only the Windows program loads it.
WINEPREFIX=$prefix WINEARCH=win$bits wineserver -p120 >/dev/null 2>&1 || true
exec env WINEPREFIX="$prefix" WINEARCH="win$bits" WINELOADER="$loader" WINEDEBUG=-all \
    WINEDLLOVERRIDES="mscoree,mshtml=" KORVALIN_LOOPBACK_PORT=COM5 \
    KORVALIN_WIRED_TTY="$(readlink -f "$dir/com5")" \
    KORVALIN_WIRING="CTS=RTS DSR=DTR DCD=DTR RI=RTS" LD_PRELOAD="$preload" \
    "$loader" "$exe" --gtest_filter='*WatchLines*'
