#!/bin/bash
# fuzz.sh: a longer fuzzing run by hand, with the figures libFuzzer prints at the end.
#
#   tools/fuzz.sh [SECONDS] [TARGET...]     targets: registry_commit inf_recognition regedit_text
#                                           command_line restart_deletions saved_setup
#
# Builds build/fuzz (clang, libFuzzer, ASan + UBSan) and runs each target for SECONDS
# (default 600), starting from its saved corpus. New inputs go to build/fuzz/long-<target>;
# a finding is written as crash-* in the current directory: add it to
# tests/fuzz/corpus/<target>/ once fixed, so every build replays it.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
seconds=${1:-600}
[ $# -gt 0 ] && shift
targets=("$@")
[ ${#targets[@]} -gt 0 ] ||
    targets=(registry_commit inf_recognition regedit_text command_line restart_deletions
             saved_setup)

bash tools/install-deps.sh
CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DKORVALIN_FUZZ=ON -DKORVALIN_SANITIZE=ON \
    -DKORVALIN_BENCHMARK=OFF >/dev/null
for target in "${targets[@]}"; do
    cmake --build build/fuzz --target "${target}_fuzzer"
    mkdir -p "build/fuzz/long-$target"
    echo "== $target, $seconds s"
    "build/fuzz/tests/fuzz/${target}_fuzzer" -max_total_time="$seconds" -print_final_stats=1 \
        "build/fuzz/long-$target" "tests/fuzz/corpus/$target" \
        $([ "$target" = regedit_text ] && echo tests/fixtures) 2>&1 |
        grep -E '^(#[0-9]+ +DONE|stat::|Done|==[0-9]+==ERROR|SUMMARY)'
done
