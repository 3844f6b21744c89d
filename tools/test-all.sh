#!/bin/bash
# test-all.sh: installs what is missing, then builds and runs every test korvalin has.
#
#   tools/test-all.sh [--no-sanitize] [--no-fuzz] [--no-benchmark]
#
# Build trees under build/:
#   native    g++, the core and its tests; the benchmark programs print their figures here,
#             and the Windows step times the program's start under Wine beside `reg query`
#   sanitize  g++ with AddressSanitizer and UBSan, the same tests
#   win       MinGW-w64 i686 cross build, the program that ships; its tests run under 32-bit
#             Wine in one virtual X display, where this machine can start 32-bit programs, in a
#             prefix that reports Windows 95 (wine-run.sh makes every 32-bit prefix so); its
#             tests also make the release (build/win/release: KORVALIN.EXE, README.TXT and the
#             floppy image korvalin.img) and read it back, with or without Wine
#   win64     the same sources for x86_64; its tests run under 64-bit Wine on every machine
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
. tools/wine-sides.sh

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

# The Windows tests of one side: build DIR with the toolchain file, then run its tests under
# Wine (one virtual display for all of them; the prefix DIR/wineprefix is made on first use).
# One at a time: they share that prefix's registry, and most of them rewrite it.
windows_side() {  # BITS DIR TOOLCHAIN RUN(1|0)
    local bits=$1 dir=$2 toolchain=$3 run=$4
    step "Windows cross build, $bits-bit"
    configure_and_build "win$bits" "$dir" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$toolchain" || return
    if [ "$run" -ne 1 ]; then
        # Without Wine for this side, the checks that only read the program still run.
        step "Windows $bits-bit program checks (no Wine)"
        run_ctest "win$bits checks" "$dir" -L build_machine
        return
    fi
    step "Windows tests under $bits-bit Wine"
    launcher=(xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp")
    run_ctest "win$bits" "$dir" -LE 'benchmark|fuzz' -j1
    launcher=()
    # Which Windows the tests ran as, in the log whatever the outcome.
    (cd "$dir" && ctest -R app_windows_version -V 2>&1 | grep -o 'Windows version seen by the tests: .*')
    # The wineserver would otherwise wait on for the next run.
    WINEPREFIX=$root/$dir/wineprefix wineserver -k 2>/dev/null
    if [ $benchmark -eq 1 ] && [ -x build/native/tools/benchmark/make_maximal_registry ]; then
        step "start-up under $bits-bit Wine (figures only)"
        (cd "$dir" && ctest -R app_program_image -V | grep 'bytes stripped')
        bash tools/measure-startup.sh "$dir" build/native 3 || failed_steps+=("start-up figures, $bits-bit")
        WINEPREFIX=$root/$dir/startup-prefix wineserver -k 2>/dev/null
    fi
}

# Asked once: whether this machine starts 32-bit programs at all. The i686 build is compiled
# either way; only its tests need 32-bit Wine.
if can_run_32bit; then
    wine32=1
    windows_sides="Windows tests: 32-bit Wine as Windows 95 (i686 build) and 64-bit Wine (x86_64 build)"
else
    wine32=0
    windows_sides="Windows tests: 64-bit Wine only; $(no_32bit_reason)"
fi
windows_side 32 build/win mingw-i686.cmake $wine32
windows_side 64 build/win64 mingw-x86_64.cmake 1

if [ $fuzz -eq 1 ]; then
    step "fuzzing (clang, libFuzzer, ASan + UBSan)"
    if CC=clang CXX=clang++ configure_and_build fuzz build/fuzz -DKORVALIN_FUZZ=ON \
        -DKORVALIN_SANITIZE=ON -DKORVALIN_BENCHMARK=OFF; then
        run_ctest fuzz build/fuzz -L fuzz
    fi
fi

step "summary"
echo "$windows_sides"
if [ ${#failed_steps[@]} -ne 0 ]; then
    printf 'FAILED: %s\n' "${failed_steps[@]}"
fi
echo "test-all: $passed_total passed, $failed_total failed"
[ ${#failed_steps[@]} -eq 0 ]
