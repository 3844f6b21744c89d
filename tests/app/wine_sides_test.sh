#!/bin/bash
# tests/app/wine_sides_test.sh: the Wine side follows the program's own header, a prefix made
# for one side is never used by the other, and every 32-bit prefix reports Windows 95.
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

# The 32-bit side reports Windows 95, in a prefix made now and in one made before it had a
# version (its side mark alone, the value absent): that one is brought to it on its next run.
version_note=
if [ "$expected" = 32 ] && can_run_32bit; then
    made=$(mktemp -d)
    trap 'WINEPREFIX=$made wineserver -k 2>/dev/null; rm -rf "$prefix" "$made" "$made.lock"' EXIT
    reported() {
        "$root/tools/wine-run.sh" --prefix "$made" --keep 0 --bits 32 \
            reg query 'HKCU\Software\Wine' /v Version 2>&1 | tr -d '\r' |
            awk '$1 == "Version" { print $3 }'
    }
    [ "$(reported)" = win95 ] || fail "a new 32-bit prefix does not report win95"
    "$root/tools/wine-run.sh" --prefix "$made" --keep 0 --bits 32 \
        reg delete 'HKCU\Software\Wine' /v Version /f >/dev/null 2>&1
    rm -f "$made/.korvalin-version"
    [ "$(reported)" = win95 ] || fail "a 32-bit prefix made before it had a version stays as it was"
    version_note=", 32-bit prefixes report win95"
fi

[ $status -eq 0 ] && echo "wine sides: $expected-bit program, prefixes kept apart$version_note"
exit $status
