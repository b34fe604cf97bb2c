#!/usr/bin/env bash
# Builds Vorn with AddressSanitizer and UndefinedBehaviorSanitizer into build-asan and runs the
# whole test suite there; then with ThreadSanitizer into build-tsan and runs the tests of the work
# that runs on threads: trajectory reads and processing, the parallel parts, reading and building
# large structures. Exits non-zero on the first failure.
#   scripts/sanitize.sh [asan|tsan]     (default: both)
set -euo pipefail
cd "$(dirname "$0")/.."
which=${1:-both}

if [ "$which" = asan ] || [ "$which" = both ]; then
    VORN_BUILD_DIR=build-asan VORN_CMAKE_ARGS="-DVORN_ASAN=ON -DVORN_TSAN=OFF -DVORN_BENCH=OFF" \
        scripts/build.sh
    (
        cd build-asan
        # Mesa's software renderer draws on threads of its own by default; LeakSanitizer's
        # stop-the-world tracer has crashed at exit while they were being torn down, failing a
        # test that had passed. Drawing on the calling thread leaves it fewer threads to stop.
        LP_NUM_THREADS=0 \
        ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
            LSAN_OPTIONS=suppressions=$PWD/../tests/sanitizer/lsan.supp \
            ../scripts/with-display.sh ctest --output-on-failure
    )
fi

if [ "$which" = tsan ] || [ "$which" = both ]; then
    VORN_BUILD_DIR=build-tsan VORN_CMAKE_ARGS="-DVORN_TSAN=ON -DVORN_ASAN=OFF -DVORN_BENCH=OFF" \
        scripts/build.sh core_tests io_tests model_tests document_tests
    (
        cd build-tsan
        TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 ctest --output-on-failure \
            -R 'Trajectory|Parallel|PdbBlocks|LoadThreads|Connectivity'
    )
fi
