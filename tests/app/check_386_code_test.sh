#!/bin/sh
# tests/app/check_386_code_test.sh: the code check names every instruction a 386 lacks in a
# sample program, with its function and the first processor that had it, and passes plain 386
# code.
#   check_386_code_test.sh OBJDUMP SAMPLE.exe
set -u
objdump=$1 sample=$2
out=$(sh "$(dirname "$0")/check_386_code.sh" "$objdump" "$sample")
status=$?
failed=0
[ $status -eq 1 ] || { echo "FAIL: the check passed a program with newer instructions ($status)"; failed=1; }
for expected in "UsesCmov:CMOVcc:Pentium Pro" "UsesFcomi:FCOMI/FUCOMI:Pentium Pro" \
    "UsesMultiByteNop:multi-byte NOP:Pentium Pro" "UsesUd2:UD2:Pentium Pro" \
    "UsesRdtsc:RDTSC:Pentium" "UsesCpuid:CPUID:Intel486" "UsesCmpxchg8b:CMPXCHG8B:Pentium" \
    "UsesBswap:BSWAP:Intel486" "UsesLockedXadd:XADD:Intel486" "UsesMmx:MMX:MMX technology" \
    "UsesSse:SSE:Pentium III" "UsesPopcnt:POPCNT:Nehalem" "UsesX87:x87:no FPU"; do
    function=${expected%%:*} rest=${expected#*:}
    family=${rest%%:*} processor=${rest#*:}
    echo "$out" | grep "^FAIL: $function at [0-9a-f]*: .*: $family.*, first in: .*$processor" >/dev/null ||
        { echo "FAIL: $function is not named as $family ($processor)"; failed=1; }
done
echo "$out" | grep -q "Plain386" && { echo "FAIL: plain 386 code was named"; failed=1; }
[ $failed -eq 0 ] && echo "the code check names all 13 kinds of newer instruction and passes 386 code"
[ $failed -eq 0 ] || echo "$out"
exit $failed
