#!/bin/sh
# make-release.sh: what a technician carries to a Windows 95 machine that may have no network,
# in OUT_DIR: KORVALIN.EXE (the program, byte for byte), README.TXT (with CR LF line ends, as
# Notepad and DOS's TYPE want them) and korvalin.img, a 1.44 MB FAT12 floppy image holding both,
# made with mtools and no root.
#   make-release.sh PROGRAM README.TXT OUT_DIR
set -eu
program=$1 readme=$2 out=$3
for tool in mformat mcopy; do
    command -v $tool >/dev/null ||
        { echo "make-release.sh: $tool not found; install mtools (tools/install-deps.sh)" >&2; exit 1; }
done

mkdir -p "$out"
# Made aside and moved into place at the end: a failed run never leaves a new README beside an
# old image.
work=$(mktemp -d "$out/.making.XXXXXX")
trap 'rm -rf "$work"' EXIT

# -p: the floppy's directory then shows when the program was built.
cp -p "$program" "$work/KORVALIN.EXE"
# A CR already there (a checkout that converted line ends) is not doubled.
LC_ALL=C awk '{ sub(/\r$/, ""); printf "%s\r\n", $0 }' "$readme" > "$work/README.TXT"

# 8.3 names in capitals, so the floppy holds no long-name entries.
mformat -C -f 1440 -v KORVALIN -i "$work/korvalin.img" ::
mcopy -m -i "$work/korvalin.img" "$work/KORVALIN.EXE" "$work/README.TXT" ::

for file in KORVALIN.EXE README.TXT korvalin.img; do
    mv -f "$work/$file" "$out/$file"
done
