#!/usr/bin/env bash
# Builds and runs the tests under sanitizers, each in its own build folder:
#   tools/sanitizers.sh address   the whole suite with AddressSanitizer and UndefinedBehaviorSanitizer,
#                                 plug-ins and hosts alike
#   tools/sanitizers.sh thread    the engine's tests, its concurrency tests among them, with ThreadSanitizer
# With no argument, both.
set -euo pipefail

cd "$(dirname "$0")/.."
source tools/dependencies.sh
tavine_install_dependencies

# Light optimisation: sanitized code is slow to compile at -O3 and gains little from it.
optimise="-O1 -DNDEBUG"

run_address ()
{
    local build=${TAVINE_BUILD_DIR:-build}-asan
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release "-DCMAKE_CXX_FLAGS_RELEASE=$optimise" \
        -DTAVINE_SANITIZE=address,undefined -DTAVINE_BUILD_BENCHMARKS=OFF
    cmake --build "$build"
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        LSAN_OPTIONS="suppressions=$PWD/tools/sanitizers/lsan.supp:print_suppressions=0" \
        ctest --test-dir "$build" --output-on-failure --timeout 900 --parallel "${TAVINE_TEST_JOBS:-$(nproc)}"
}

run_thread ()
{
    local build=${TAVINE_BUILD_DIR:-build}-tsan
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release "-DCMAKE_CXX_FLAGS_RELEASE=$optimise" \
        -DTAVINE_SANITIZE=thread -DTAVINE_BUILD_BENCHMARKS=OFF
    cmake --build "$build" --target tavine_engine_tests
    TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
        ctest --test-dir "$build" --output-on-failure --timeout 900 --parallel "${TAVINE_TEST_JOBS:-$(nproc)}" -L engine
}

case "${1:-all}" in
    address) run_address ;;
    thread) run_thread ;;
    all) run_thread && run_address ;;
    *) echo "usage: $0 [address|thread]" >&2; exit 2 ;;
esac
