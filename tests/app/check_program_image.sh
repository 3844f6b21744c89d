#!/bin/sh
# tests/app/check_program_image.sh: korvalin.exe is a GUI program that needs only the system
# DLLs and msvcrt. The 32-bit build, the one that ships, is also a Windows 95 program (subsystem
# 4.0) and stays small once stripped; the 64-bit build exists for testing only.
#   check_program_image.sh OBJDUMP STRIP korvalin.exe
set -u
objdump=$1 strip=$2 exe=$3
status=0
headers=$("$objdump" -p "$exe") || exit 1
fail() { echo "FAIL: $*"; status=1; }

case $("$objdump" -f "$exe") in
    *pei-i386*) shipped=1 ;;
    *) shipped=0 ;;
esac
if [ $shipped -eq 1 ]; then
    echo "$headers" | grep -q '^MajorSubsystemVersion[[:space:]]*4$' || fail "subsystem version is not 4.0"
    echo "$headers" | grep -q '^MinorSubsystemVersion[[:space:]]*0$' || fail "subsystem version is not 4.0"
fi
echo "$headers" | grep -q '^Subsystem[[:space:]].*(Windows GUI)' || fail "not a GUI program"
for dll in $(echo "$headers" | sed -n 's/^[[:space:]]*DLL Name: //p'); do
    case $(echo "$dll" | tr a-z A-Z) in
        KERNEL32.DLL | USER32.DLL | GDI32.DLL | ADVAPI32.DLL | MSVCRT.DLL) ;;
        *) fail "imports $dll" ;;
    esac
done

stripped=$(mktemp)
"$strip" -o "$stripped" "$exe" && size=$(wc -c < "$stripped")
rm -f "$stripped"
if [ $shipped -eq 1 ]; then
    [ "${size:-999999}" -lt 102400 ] || fail "stripped program is ${size:-?} bytes, over 100 KiB"
    [ $status -eq 0 ] && echo "korvalin.exe: subsystem 4.0 GUI, system DLLs only, $size bytes stripped"
else
    [ $status -eq 0 ] && echo "korvalin.exe (x86_64, for tests): GUI, system DLLs only, $size bytes stripped"
fi
exit $status
