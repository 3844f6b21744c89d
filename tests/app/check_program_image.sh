#!/bin/sh
# tests/app/check_program_image.sh: korvalin.exe is a GUI program without a C runtime. The 32-bit
# build, the one that ships, must start on Windows 95 as first shipped (4.00.950): subsystem 4.0,
# imports only from KERNEL32, USER32, GDI32 and ADVAPI32 and only the functions listed in
# windows95_imports.tsv (each present on that release, with its source), no TLS directory, no
# global constructors, no instruction newer than the 386 and no x87 (check_386_code.sh), and at
# most 60,928 bytes once stripped (40 KiB, 2 KiB for the way back from DOS and the batch-file
# safety, 2 KiB for messages that reach the user without a log and the honest counts, 4 KiB for
# the port test, 1 KiB for saying what really happens: the name OK will give, a bad line in the log
# instead of a box, the reason an undo folder could not be made; 7 KiB more for a port test that
# tells the truth on every plug and speed; 512 bytes for undo batch lines that fit COMMAND.COM and
# a WININIT.INI that survives; 3 KiB to carry one machine's port setup to the next: /save's
# writer, /apply's reader, its board matching and its names checked as one assignment), and without stack probes but with its large frames inside the
# stack the main thread commits. The 64-bit build exists for testing only.
# korvalin.exe is the stripped program that ships; the code and constructor checks read its
# unstripped twin for the symbols, which must strip to the very same bytes.
#   check_program_image.sh OBJDUMP STRIP NM korvalin.exe korvalin-unstripped.exe IMPORTS.tsv
#                          [WINDOWS95-API.tsv]
# The last file, where it is at hand, is the table of what Windows 95 exports that the list was
# checked against; every listed function it names must be "present" there too. One it does not
# name stands on the source the list gives for it.
set -u
objdump=$1 strip=$2 nm=$3 exe=$4 unstripped=$5 allowed=$6 table=${7:-}
status=0
headers=$("$objdump" -p "$exe") || exit 1
fail() { echo "FAIL: $*"; status=1; }

case $("$objdump" -f "$exe") in
    *pei-i386*) shipped=1 ;;
    *) shipped=0 ;;
esac
echo "$headers" | grep -q '^Subsystem[[:space:]].*(Windows GUI)' || fail "not a GUI program"

# "DLL<TAB>Function" for every import, the DLL in capitals without ".DLL".
imports=$(echo "$headers" | awk '
    /DLL Name:/ { dll = toupper($3); sub(/\.DLL$/, "", dll); next }
    /^[ \t]+[0-9a-f]+[ \t]+[0-9]+[ \t]+[A-Za-z_]/ { print dll "\t" $3 }')

if [ $shipped -eq 1 ]; then
    echo "$headers" | grep -q '^MajorSubsystemVersion[[:space:]]*4$' || fail "subsystem version is not 4.0"
    echo "$headers" | grep -q '^MinorSubsystemVersion[[:space:]]*0$' || fail "subsystem version is not 4.0"

    # Later releases' functions, named so that the message says why.
    for late in GetDiskFreeSpaceExA:"Windows 95 OSR2" GetFileAttributesExA:"Windows 98" \
        GetLongPathNameA:"Windows 98" IsDebuggerPresent:"Windows 98" \
        InitializeCriticalSectionAndSpinCount:"Windows 98" TryEnterCriticalSection:"Windows NT" \
        AddVectoredExceptionHandler:"Windows XP"; do
        echo "$imports" | cut -f2 | grep -qx "${late%%:*}" &&
            fail "imports ${late%%:*}, which first came with ${late#*:}"
    done
    echo "$imports" | while IFS="$(printf '\t')" read -r dll function; do
        case $dll in
            KERNEL32 | USER32 | GDI32 | ADVAPI32) ;;
            *) echo "FAIL: imports $dll.DLL ($function), not one of Windows 95's four system DLLs"
               continue ;;
        esac
        awk -F'\t' -v d="$dll" -v f="$function" '$1 == d && $2 == f && $3 == "present" { found = 1 }
            END { exit !found }' "$allowed" ||
            echo "FAIL: imports $dll!$function, which $(basename "$allowed") does not list as present on Windows 95"
    done | grep . && status=1
    # The list itself holds only what that release exports, each with its source.
    awk -F'\t' 'NR > 1 && ($3 != "present" || $4 == "") { print "FAIL: " $1 "!" $2 " is listed without being present, or without a source" }' \
        "$allowed" | grep . && status=1
    if [ -n "$table" ] && [ -f "$table" ]; then
        awk -F'\t' 'NR == FNR { status[$1 "\t" $2] = $3; next }
            FNR > 1 && ($1 "\t" $2) in status && status[$1 "\t" $2] != "present" { print "FAIL: " $1 "!" $2 " is not present in " FILENAME_T }' \
            FILENAME_T="$(basename "$table")" "$table" "$allowed" | grep . && status=1
    fi

    # Windows 9x does not promise to run TLS callbacks, and nothing runs global constructors
    # without a C runtime's start-up.
    echo "$headers" | grep -Eq '^Entry 9 0+ 0+ Thread Storage Directory' ||
        fail "has a TLS directory"
    "$objdump" -h "$exe" | grep -q ' \.tls ' && fail "has a .tls section"
    symbols=$("$nm" "$unstripped" 2>/dev/null)
    [ -n "$symbols" ] || fail "$unstripped has no symbols to check the constructors and code by"
    # The constructor list runs from __CTOR_LIST__ to __DTOR_LIST__: empty, it is its two
    # sentinel words.
    ctor=$(echo "$symbols" | awk '$3 == "__CTOR_LIST__" { print $1 }')
    dtor=$(echo "$symbols" | awk '$3 == "__DTOR_LIST__" { print $1 }')
    if [ -n "$ctor" ] && [ -n "$dtor" ] && [ $((0x$dtor - 0x$ctor)) -gt 8 ]; then
        fail "has global constructors (their list is $((0x$dtor - 0x$ctor)) bytes)"
    fi
    echo "$symbols" | grep -Eq '_GLOBAL__sub_[ID]_|__gxx_personality|__cxa_throw|_ZTI|_ZTS' &&
        fail "has global constructors, exceptions or RTTI: $(echo "$symbols" |
            grep -Eo '[^ ]*(_GLOBAL__sub_[ID]_|__gxx_personality|__cxa_throw|_ZTI|_ZTS)[^ ]*' | head -3 | tr '\n' ' ')"

    # Windows 95 runs on any 386DX; the code is read, since Wine runs on the host's processor.
    code=$(sh "$(dirname "$0")/check_386_code.sh" "$objdump" "$unstripped") || { echo "$code"; status=1; }

    # Built without stack probes: the main thread commits 192 KiB of stack before anything else
    # (platform/stack.h). Every frame of a page or more, all on one chain at once, and 64 KiB
    # for the small frames and Windows' own, must fit in it.
    large=$("$objdump" -d "$unstripped" | awk '
        /sub +\$0x[0-9a-f]+,%esp/ { v = $NF; sub(/^\$0x/, "", v); sub(/,%esp$/, "", v)
            n = 0; for (i = 1; i <= length(v); i++) n = n * 16 + index("0123456789abcdef", substr(v, i, 1)) - 1
            if (n >= 4096 && n < 16777216) sum += n }  # not a negative one (an add)
        END { print sum + 0 }')
    "$objdump" -d "$unstripped" | grep -q '__chkstk' &&
        fail "calls a stack probe: the program is meant to be built without them"
    [ $((large + 65536)) -le $((192 * 1024)) ] ||
        fail "frames of 4 KiB or more add up to $large bytes: with 64 KiB for the rest they pass the 192 KiB the main thread commits"
    # The port test's worker commits 32 KiB (kWorkerThreadStack): everything it reaches must fit.
    worker=$(sh "$(dirname "$0")/check_worker_stack.sh" "$objdump" "$unstripped" 32768) || status=1
    echo "$worker"
fi

# What was checked through the symbols is what ships, and what ships carries no symbols.
stripped=$(mktemp)
if ! "$strip" --preserve-dates -o "$stripped" "$unstripped"; then
    fail "cannot strip $unstripped"
elif ! cmp -s "$stripped" "$exe"; then
    fail "$(basename "$exe") ($(wc -c < "$exe") bytes) is not $(basename "$unstripped") stripped ($(wc -c < "$stripped") bytes)"
fi
rm -f "$stripped"
size=$(wc -c < "$exe")
if [ $shipped -eq 1 ]; then
    [ "${size:-999999}" -le 60928 ] || fail "stripped program is ${size:-?} bytes, over 60,928"
    count=$(echo "$imports" | grep -c .)
    [ $status -eq 0 ] && echo "korvalin.exe: subsystem 4.0 GUI, $count imports from KERNEL32, USER32, GDI32 and ADVAPI32, each present on Windows 95 4.00.950, no TLS, no global constructors, 386 code without x87, frames of 4 KiB or more $large bytes in all, $size bytes stripped"
else
    for dll in $(echo "$imports" | cut -f1 | sort -u); do
        case $dll in KERNEL32 | USER32 | GDI32 | ADVAPI32) ;; *) fail "imports $dll.DLL" ;; esac
    done
    [ $status -eq 0 ] && echo "korvalin.exe (x86_64, for tests): GUI, system DLLs only, $size bytes stripped"
fi
exit $status
