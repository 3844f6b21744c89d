#!/bin/bash
# tests/app/wine_sides_test.sh: the Wine side follows the program's own header, and a prefix
# made for one side is never used by the other.
#   wine_sides_test.sh korvalin.exe EXPECTED_BITS
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
. "$root/tools/wine-sides.sh"
exe=$1 expected=$2
status=0
fail() { echo "FAIL: $*"; status=1; }

[ "$(pe_bits "$exe")" = "$expected" ] || fail "pe_bits $exe is not $expected"
pe_bits "$root/README.md" >/dev/null && fail "pe_bits takes a text file for a program"
KORVALIN_WINE32=no can_run_32bit && fail "KORVALIN_WINE32=no still runs the 32-bit side"

# A prefix marked as made for the other side: wine-run.sh must refuse before starting Wine.
other=$((expected == 32 ? 64 : 32))
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
echo "$other" >"$prefix/.korvalin-ready"
out=$(DISPLAY=:0 "$root/tools/wine-run.sh" --prefix "$prefix" --keep 0 "$exe" 2>&1)
[ $? -eq 2 ] || fail "wine-run.sh ran a $expected-bit program in a $other-bit prefix"
case $out in *"$other-bit prefix"*) ;; *) fail "wine-run.sh did not say why: $out" ;; esac

[ $status -eq 0 ] && echo "wine sides: $expected-bit program, prefixes kept apart"
exit $status
