#!/bin/sh
# tests/app/check_worker_stack.sh: the port test's worker thread fits the stack it commits.
#
# The program has no stack probes, so a thread may never reach below what it committed up front
# (platform/stack.h): the worker commits kWorkerThreadStack. This adds up the frame of every
# function the worker can reach, as if all were on one chain at once (more than any real chain),
# and 8 KiB for Windows' own calls, and fails when that passes the commit.
#
# A frame is the return address, the registers pushed before the function's first
# "sub $N,%esp", and N. Reaching follows direct calls; a call through a pointer reaches the
# callbacks the dialog hands the test, which are named here as roots.
#   check_worker_stack.sh OBJDUMP korvalin-unstripped.exe COMMIT_BYTES
# Prints the total. Exits 1 when it does not fit or a root is not found.
set -u
objdump=$1 unstripped=$2 commit=$3
# The worker's entry and the functions it reaches only through pointers.
roots='PortTestWorker WriteResultLine'

"$objdump" -d "$unstripped" | awk -v roots="$roots" -v commit="$commit" '
    function hex(v,    n, i) {
        n = 0
        for (i = 1; i <= length(v); i++) n = n * 16 + index("0123456789abcdef", substr(v, i, 1)) - 1
        return n
    }
    /^[0-9a-f]+ <.*>:$/ {
        name = $2; sub(/^</, "", name); sub(/>:$/, "", name)
        order[++count] = name
        frame[name] = 4  # the return address
        prologue = 1
        next
    }
    name == "" { next }
    prologue && /\tpush +%e[a-z][a-z]$/ { frame[name] += 4; next }
    prologue && /\tsub +\$0x[0-9a-f]+,%esp$/ {
        v = $NF; sub(/^\$0x/, "", v); sub(/,%esp$/, "", v)
        frame[name] += hex(v)
        prologue = 0
        next
    }
    /\tcall +[0-9a-f]+ </ {
        target = $NF; sub(/^</, "", target); sub(/>$/, "", target)
        if (target !~ /\+0x/) calls[name] = calls[name] " " target
    }
    /\t(mov|lea|sub|add|and|xor|test|cmp)/ && !/mov +%esp,%ebp/ { prologue = 0 }
    END {
        n = split(roots, want, " ")
        todo = 0
        for (i = 1; i <= n; i++) {
            found = 0
            for (j = 1; j <= count; j++)
                if (index(order[j], want[i]) > 0) { queue[++todo] = order[j]; seen[order[j]] = 1; found = 1 }
            if (!found) { print "FAIL: the worker root " want[i] " is not in the program"; bad = 1 }
        }
        total = 0
        for (q = 1; q <= todo; q++) {
            f = queue[q]
            total += frame[f]
            m = split(calls[f], next_, " ")
            for (k = 1; k <= m; k++)
                if (!(next_[k] in seen)) { seen[next_[k]] = 1; queue[++todo] = next_[k] }
        }
        windows = 8192
        printf "worker stack: %d bytes of frames in %d functions, %d for Windows, %d committed\n", total, todo, windows, commit
        if (total + windows > commit) { print "FAIL: the worker thread may pass the stack it commits"; bad = 1 }
        exit bad
    }'
