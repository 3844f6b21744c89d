#!/bin/bash
# test-all.sh: installs what is missing, then builds and runs every test korvalin has.
#
#   tools/test-all.sh [--no-sanitize] [--no-fuzz] [--no-benchmark]
#
# Build trees under build/:
#   native    g++, the core and its tests; the benchmark programs print their figures here,
#             and the Windows step times the program's start under Wine beside `reg query`
#   sanitize  g++ with AddressSanitizer and UBSan, the same tests
#   win       MinGW-w64 cross build; its tests run under Wine in one virtual X display
#   fuzz      clang with libFuzzer (and the sanitizers): each fuzz target runs for a while
# Every step runs even when an earlier one failed; the exit code is non-zero if any did.
set -u -o pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

sanitize=1 fuzz=1 benchmark=1
for arg in "$@"; do
    case $arg in
        --no-sanitize) sanitize=0 ;;
        --no-fuzz) fuzz=0 ;;
        --no-benchmark) benchmark=0 ;;
        *) echo "usage: $0 [--no-sanitize] [--no-fuzz] [--no-benchmark]" >&2; exit 2 ;;
    esac
done

bash tools/install-deps.sh || exit 1

jobs=$(nproc 2>/dev/null || echo 2)
ctest_args=(--output-on-failure --no-tests=ignore --timeout 600 -j"$jobs")
failed_steps=()
passed_total=0
failed_total=0
log=$(mktemp)
trap 'rm -f "$log"' EXIT

step() { printf '\n===== %s =====\n' "$*"; }

configure_and_build() {  # NAME DIR [cmake args...]
    local name=$1 dir=$2
    shift 2
    if ! cmake -S . -B "$dir" -G Ninja "$@" || ! cmake --build "$dir"; then
        failed_steps+=("$name build")
        return 1
    fi
}

# Runs ctest in DIR (through $launcher, if set), adding its counts to the totals.
launcher=()
run_ctest() {  # NAME DIR [ctest args...]
    local name=$1 dir=$2
    shift 2
    (cd "$dir" && ${launcher[@]+"${launcher[@]}"} ctest "${ctest_args[@]}" "$@") 2>&1 | tee "$log"
    local status=$?
    local counts
    counts=$(sed -n 's/.*tests passed, \([0-9]*\) tests\{0,1\} failed out of \([0-9]*\).*/\1 \2/p' "$log" | tail -1)
    if [ -n "$counts" ]; then
        set -- $counts
        failed_total=$((failed_total + $1))
        passed_total=$((passed_total + $2 - $1))
    fi
    [ $status -eq 0 ] || failed_steps+=("$name tests")
}

step "native build"
# Optimised, so that the benchmark figures mean something.
if configure_and_build native build/native -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVALIN_SANITIZE=OFF \
    -DKORVALIN_FUZZ=OFF; then
    step "native tests"
    run_ctest native build/native -LE 'benchmark|fuzz'
    if [ $benchmark -eq 1 ]; then
        step "benchmarks (figures only)"
        # Verbose, so the figures are printed even when all goes well.
        (cd build/native && ctest --no-tests=ignore --timeout 600 -L benchmark -V) ||
            failed_steps+=("benchmark run")
    fi
fi

# A second native build rather than one sanitized build for everything: the benchmarks need
# the plain one, and both together take well under a minute.
if [ $sanitize -eq 1 ]; then
    step "sanitized native build (ASan + UBSan)"
    if configure_and_build sanitize build/sanitize -DKORVALIN_SANITIZE=ON -DKORVALIN_FUZZ=OFF \
        -DKORVALIN_BENCHMARK=OFF; then
        step "sanitized native tests"
        UBSAN_OPTIONS=print_stacktrace=1 run_ctest sanitize build/sanitize -LE 'benchmark|fuzz'
    fi
fi

step "Windows cross build"
if configure_and_build win build/win -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake"; then
    step "Windows tests under Wine"
    # One virtual display for all of them; the prefix (build/win/wineprefix) is made on first
    # use. One at a time: they share that prefix's registry, and most of them rewrite it.
    launcher=(xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp")
    run_ctest win build/win -LE 'benchmark|fuzz' -j1
    launcher=()
    # The wineserver would otherwise wait on for the next run.
    WINEPREFIX=$root/build/win/wineprefix wineserver -k 2>/dev/null
    if [ $benchmark -eq 1 ] && [ -x build/native/tools/benchmark/make_maximal_registry ]; then
        step "start-up under Wine (figures only)"
        (cd build/win && ctest -R app_program_image -V | grep 'bytes stripped')
        bash tools/measure-startup.sh build/win build/native 3 || failed_steps+=("start-up figures")
        WINEPREFIX=$root/build/win/startup-prefix wineserver -k 2>/dev/null
    fi
fi

if [ $fuzz -eq 1 ]; then
    step "fuzzing (clang, libFuzzer, ASan + UBSan)"
    if CC=clang CXX=clang++ configure_and_build fuzz build/fuzz -DKORVALIN_FUZZ=ON \
        -DKORVALIN_SANITIZE=ON -DKORVALIN_BENCHMARK=OFF; then
        run_ctest fuzz build/fuzz -L fuzz
    fi
fi

step "summary"
if [ ${#failed_steps[@]} -ne 0 ]; then
    printf 'FAILED: %s\n' "${failed_steps[@]}"
fi
echo "test-all: $passed_total passed, $failed_total failed"
[ ${#failed_steps[@]} -eq 0 ]
