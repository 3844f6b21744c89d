#!/bin/sh
# tests/app/check_386_code.sh: reads the whole .text of a 32-bit program and fails on every
# instruction a 386DX lacks, or any x87 instruction (a 386 without a 387, or a 486SX, has no
# FPU), as newer_than_386.tsv lists them. Each culprit is named with its function (from the
# program's symbols), address, instruction and the first processor that had it. Wine runs on
# the host's processor, so only reading the code shows what a 486 or a Pentium would fault on.
#   check_386_code.sh OBJDUMP PROGRAM [TABLE.tsv]
# Exit 0 when the code is clean; 1 with a FAIL line per culprit.
set -u
objdump=$1 exe=$2
table=${3:-$(dirname "$0")/newer_than_386.tsv}
listing=$(mktemp)
trap 'rm -f "$listing"' EXIT
"$objdump" -d -C -j .text "$exe" > "$listing" || { echo "FAIL: cannot disassemble $exe"; exit 1; }

LC_ALL=C awk -F'\t' '
    FNR == NR {  # the table: match, pattern, family, first processor, source
        # A mnemonic must match whole; operands and bytes anywhere.
        if (FNR > 1) { kind[++rows] = $1; pattern[rows] = $1 == "mnemonic" ? "^(" $2 ")$" : $2; family[rows] = $3; first[rows] = $4 }
        next
    }
    /^[0-9a-f]+ <.*>:$/ {
        function_name = $0
        sub(/^[0-9a-f]+ </, "", function_name); sub(/>:$/, "", function_name)
        # The constructor and destructor lists are data that the linker keeps in .text.
        in_data = function_name ~ /^_?_(CTOR|DTOR)_LIST__$/
        next
    }
    in_data || NF < 3 { next }  # a continuation of a long instruction holds only bytes
    {
        address = $1; sub(/^ */, "", address); sub(/:$/, "", address)
        bytes = $2; sub(/ *$/, "", bytes)
        text = $3
        for (i = 4; i <= NF; ++i) text = text " " $i
        n = split(text, word, / +/)
        # Prefixes stand before the instruction they change.
        w = 1
        while (w < n && word[w] ~ /^(rep|repz|repnz|repe|repne|lock|data16|addr16|cs|ds|ss|es|fs|gs|notrack|bnd)$/) ++w
        mnemonic = word[w]
        operands = ""
        for (i = w + 1; i <= n; ++i) operands = operands " " word[i]
        ++instructions
        if (mnemonic == "(bad)") {
            printf "FAIL: %s at %s: bytes %s do not decode as any instruction\n", function_name, address, bytes
            ++culprits
            next
        }
        for (r = 1; r <= rows; ++r) {
            hit = kind[r] == "mnemonic" ? mnemonic ~ pattern[r] : kind[r] == "operand" ? operands ~ pattern[r] : bytes ~ pattern[r]
            if (hit) {
                printf "FAIL: %s at %s: %s: %s, first in: %s\n", function_name, address, text, family[r], first[r]
                ++culprits
                break
            }
        }
    }
    END {
        if (instructions == 0) { print "FAIL: no instructions found in .text"; exit 1 }
        if (culprits > 0) { printf "%d of %d instructions are newer than the 386 or need an FPU\n", culprits, instructions; exit 1 }
        printf "386 code: %d instructions, none newer than the 386, no x87\n", instructions
    }' "$table" "$listing"
