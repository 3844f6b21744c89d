#!/bin/sh
# tests/app/check_window_calls.sh: no program source outside app/, portlist/ and
# platform/win32/ calls a USER32 or GDI32 function, so every folder below the dialog stays
# window-free and runs natively. The names are the program's own imports from those two DLLs.
#   check_window_calls.sh SOURCE_ROOT windows95_imports.tsv
set -u
root=$1 imports=$2
names=$(mktemp)
trap 'rm -f "$names"' EXIT
awk -F'\t' '$1 == "USER32" || $1 == "GDI32" { print $2 }' "$imports" >"$names"
# An unreadable list would pass every tree.
[ "$(wc -l <"$names")" -ge 10 ] || { echo "FAIL: no USER32 or GDI32 names in $imports"; exit 2; }
status=0
for file in $(cd "$root" && find . \( -path ./app -o -path ./portlist -o -path ./platform/win32 \
    -o -path ./tests -o -path ./tools -o -path ./docs -o -path './build*' -o -path ./out \
    -o -path ./.git \) -prune -o \( -name '*.cpp' -o -name '*.h' \) -print | sort); do
    # A comment may name a call; only code counts.
    found=$(sed 's|//.*||' "$root/$file" | grep -nwF -f "$names") || continue
    echo "$found" | sed "s|^|FAIL: ${file#./}:|"
    status=1
done
[ $status -eq 0 ] && echo "window calls: only in app/, portlist/ and platform/win32/"
exit $status
