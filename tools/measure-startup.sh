#!/bin/bash
# measure-startup.sh: how long korvalin.exe takes under Wine to fill its list, beside the time
# of `reg query HKLM\Enum /s` on the same prefix (the same Wine process start cost).
#
#   tools/measure-startup.sh WIN_BUILD_DIR NATIVE_BUILD_DIR [RUNS]
#
# Registries: the demo registry, and the maximal one (every table full, 10,000 unrelated keys).
# The side (32- or 64-bit Wine) follows the build's program and is named in every figure line;
# the startup prefix is made by wine-run.sh like the tests' own, so on the 32-bit side it too
# reports Windows 95.
set -eu
if [ $# -lt 2 ]; then
    echo "usage: $0 WIN_BUILD_DIR NATIVE_BUILD_DIR [RUNS]" >&2
    exit 2
fi
root=$(cd "$(dirname "$0")/.." && pwd)
win=$(cd "$1" && pwd)
native=$(cd "$2" && pwd)
runs=${3:-5}
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" "$0" "$win" "$native" "$runs"
fi

. "$root/tools/wine-sides.sh"
timer=$win/tools/startup_timer/startup_timer.exe
program=$win/app/korvalin.exe
for f in "$timer" "$program" "$native/tools/benchmark/make_maximal_registry"; do
    [ -e "$f" ] || { echo "measure-startup.sh: $f is not built" >&2; exit 1; }
done
bits=$(pe_bits "$program")
prefix=$win/startup-prefix
wine_run() { "$root/tools/wine-run.sh" --prefix "$prefix" --keep 60 --bits "$bits" "$@"; }

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

measure() {  # NAME REGFILE
    for key in 'HKLM\Enum\BIOS' 'HKLM\Enum\Root' 'HKLM\Enum\ISAPNP' 'HKLM\Enum\MF' \
        'HKLM\Enum\PCI' 'HKLM\Enum\PCMCIA' 'HKLM\System\CurrentControlSet\Services\Class'; do
        wine_run reg delete "$key" /f >/dev/null 2>&1 || true
    done
    wine_run reg import "$2" >/dev/null 2>&1
    wine_run "$timer" list "$program" >/dev/null  # warm the prefix and the file cache
    local list="" query=""
    for _ in $(seq "$runs"); do
        list="$list $(wine_run "$timer" list "$program" | tr -d "\r")"
        query="$query $(wine_run "$timer" exit 'reg query HKLM\Enum /s' | tr -d "\r")"
    done
    local l q
    l=$(echo $list | tr ' ' '\n' | median)
    q=$(echo $query | tr ' ' '\n' | median)
    printf '%s-bit Wine, %-8s korvalin.exe list filled: %8.1f ms   reg query HKLM\\Enum /s: %8.1f ms   ratio %.2f  (median of %d)\n' \
        "$bits" "$1" "$l" "$q" "$(echo "$l $q" | awk '{ print $1 / $2 }')" "$runs"
}

maximal=$win/maximal.reg
"$native/tools/benchmark/make_maximal_registry" "$maximal" 10000
measure demo "$root/tests/fixtures/demo.reg"
measure maximal "$maximal"
