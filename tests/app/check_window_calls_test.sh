#!/bin/sh
# tests/app/check_window_calls_test.sh: the window-call check names a call below app/ by file
# and line, lets comments and the drawing folders be, and passes the tree as it is.
#   check_window_calls_test.sh SOURCE_ROOT windows95_imports.tsv
set -u
root=$1 imports=$2
check="$(dirname "$0")/check_window_calls.sh"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/rename" "$scratch/inventory" "$scratch/portlist" "$scratch/platform/win32"
printf 'int a;\nint Send() { return SendMessageA(0, 0, 0, 0); }\n' >"$scratch/rename/field.cpp"
printf '// the dialog calls SendMessageA, not this\n' >"$scratch/inventory/walk.h"
printf 'void Draw() { BitBlt(0, 0, 0, 0, 0, 0, 0, 0, 0); }\n' >"$scratch/portlist/draw.cpp"
printf 'void Box() { MessageBoxA(0, 0, 0, 0); }\n' >"$scratch/platform/win32/box.cpp"
failed=0
out=$(sh "$check" "$scratch" "$imports")
[ $? -eq 1 ] || { echo "FAIL: the check passed a call below app/"; failed=1; }
[ "$out" = "FAIL: rename/field.cpp:2:int Send() { return SendMessageA(0, 0, 0, 0); }" ] ||
    { echo "FAIL: the check said: $out"; failed=1; }
sh "$check" "$root" "$imports" || failed=1
exit $failed
