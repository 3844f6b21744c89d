#!/bin/sh
# tests/release/check_release.sh: the release read back the way the technician's machine will
# see it. korvalin.img must be a 1.44 MB FAT12 floppy holding KORVALIN.EXE, byte for byte the
# shipped program, and README.TXT, the text of docs/README.TXT with CR LF line ends only (Notepad
# shows a bare LF as a black box and runs the lines together), printable ASCII (DOS and Windows
# 95 differ on everything above it) in lines of at most 80 characters (DOS's TYPE, an 80-column
# screen). The loose copies beside the image must be the same files.
#   check_release.sh PROGRAM README-SOURCE RELEASE-DIR
set -u
program=$1 source=$2 dir=$3
image=$dir/korvalin.img
status=0
fail() { echo "FAIL: $*"; status=1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

[ -f "$image" ] || { fail "no floppy image: $image"; exit 1; }
size=$(wc -c < "$image")
[ "$size" -eq 1474560 ] || fail "korvalin.img is $size bytes, not a 1.44 MB floppy (1,474,560)"
info=$(minfo -i "$image" :: 2>&1) || fail "mtools cannot read korvalin.img: $(echo $info)"
echo "$info" | grep -q '^disk type="FAT12' || fail "korvalin.img is not FAT12"

listing=$(mdir -i "$image" -b :: 2>&1)
for file in KORVALIN.EXE README.TXT; do
    echo "$listing" | grep -qx "::/$file" || { fail "$file is not on the floppy (it holds: $(echo $listing))"; continue; }
    mcopy -i "$image" "::$file" - > "$work/$file" || fail "cannot read $file back from the floppy"
    cmp -s "$work/$file" "$dir/$file" || fail "$file on the floppy differs from $dir/$file"
done

[ -f "$work/KORVALIN.EXE" ] && ! cmp -s "$work/KORVALIN.EXE" "$program" &&
    fail "KORVALIN.EXE on the floppy is not the shipped program $program"

readme=$work/README.TXT
if [ -f "$readme" ]; then
    [ -s "$readme" ] || fail "README.TXT is empty"
    [ "$(tail -c 2 "$readme" | od -An -tx1 | tr -d ' \n')" = 0d0a ] ||
        fail "README.TXT does not end with CR LF"
    # One report per kind of fault, naming the first line it is on.
    LC_ALL=C awk '
        function note(kind, text) { if (!(kind in first)) first[kind] = NR; count[kind]++; what[kind] = text }
        {
            line = $0
            if (!sub(/\r$/, "", line)) note("lf", "end in LF without CR")
            if (index(line, "\r")) note("cr", "hold a CR not followed by LF")
            if (length(line) > 80) note("long", "are longer than 80 characters")
            if (line ~ /[^ -~\r]/) note("ascii", "hold a tab, a control character or a byte above ASCII")
        }
        END {
            for (kind in first)
                printf "FAIL: README.TXT: %d lines %s (the first: line %d)\n", count[kind], what[kind], first[kind]
        }' "$readme" | grep . && status=1
    tr -d '\r' < "$readme" | cmp -s - "$source" ||
        fail "README.TXT is not $(basename "$source") with CR LF line ends"
fi

[ $status -eq 0 ] &&
    echo "korvalin.img: FAT12 1.44 MB floppy with KORVALIN.EXE ($(wc -c < "$program") bytes, the shipped program) and README.TXT ($(wc -l < "$readme") lines, CR LF, at most 80 characters)"
exit $status
