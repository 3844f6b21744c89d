#!/bin/sh
# tests/app/check_worker_stack_test.sh: the worker stack check adds the frames the worker
# reaches, through its callees and its callbacks, leaves out what it cannot reach, and fails
# when they pass the commit or a root is missing.
#   check_worker_stack_test.sh
set -u
here=$(dirname "$0")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# A stand-in objdump that prints the listing in $work/listing.
printf '#!/bin/sh\ncat "%s/listing"\n' "$work" >"$work/objdump"
chmod +x "$work/objdump"

# listing FRAME_OF_CALLEE FRAME_OF_UNREACHED ROOT_NAME
listing() {
    cat >"$work/listing" <<LISTING
00401000 <_$3@4>:
  401000:	53                   	push   %ebx
  401001:	83 ec 10             	sub    \$0x10,%esp
  401004:	e8 00 00 00 00       	call   401020 <_Callee>
  401009:	c3                   	ret

00401020 <_Callee>:
  401020:	81 ec 00 10 00 00    	sub    \$0x$1,%esp
  401026:	e8 00 00 00 00       	call   401020 <_Callee+0x6>
  40102b:	c3                   	ret

00401040 <_WriteResultLine>:
  401040:	56                   	push   %esi
  401041:	57                   	push   %edi
  401042:	c3                   	ret

00401060 <_MainDialog>:
  401060:	81 ec 00 10 00 00    	sub    \$0x$2,%esp
  401066:	c3                   	ret
LISTING
}

failed=0
# NAME CALLEE UNREACHED ROOT EXIT TOTAL
while read -r name callee unreached root code total; do
    listing "$callee" "$unreached" "$root"
    out=$(sh "$here/check_worker_stack.sh" "$work/objdump" unused.exe 32768)
    got=$?
    [ "$got" = "$code" ] || { echo "FAIL: $name: exit $got, not $code"; failed=1; }
    echo "$out" | grep -q "^worker stack: $total bytes" ||
        { echo "FAIL: $name: not $total bytes"; failed=1; }
    [ $failed -eq 0 ] || echo "$out"
done <<CASES
fits 100 8000 PortTestWorker 0 296
unreached-frame-not-counted 100 80000 PortTestWorker 0 296
callee-too-deep 6000 100 PortTestWorker 1 24616
root-missing 100 100 SomethingElse 1 12
CASES
[ $failed -eq 0 ] && echo "the worker stack check adds what the worker reaches and fails past the commit"
exit $failed
