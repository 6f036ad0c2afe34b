#!/usr/bin/env bash
# Builds the state fuzzer with clang (AddressSanitizer, UndefinedBehaviorSanitizer, libFuzzer)
# and runs it for a bounded time, starting from the committed seed corpus.
#   tools/fuzz.sh [SECONDS]      default 60
# TAVINE_FUZZ_SEED fixes libFuzzer's random seed (CI uses a fixed one, so a run repeats);
# without it every run explores differently.
# An input that breaks it is written to tests/fuzz/regressions/; commit it once the fault is
# fixed, and the ordinary test suite replays it from then on.
set -euo pipefail

cd "$(dirname "$0")/.."
source tools/dependencies.sh
TAVINE_PACKAGES+=(clang libclang-rt-14-dev)
tavine_install_dependencies

seconds=${1:-60}
build=${TAVINE_BUILD_DIR:-build}-fuzz

CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release "-DCMAKE_CXX_FLAGS_RELEASE=-O1 -DNDEBUG" \
    -DTAVINE_FUZZ=ON -DTAVINE_SANITIZE=address,undefined \
    -DTAVINE_BUILD_TESTS=ON -DTAVINE_BUILD_BENCHMARKS=OFF
cmake --build "$build" --target tavine_state_fuzzer

# The fuzzer grows its working corpus; the committed seeds stay as they are.
corpus=$(mktemp -d)
trap 'rm -rf "$corpus"' EXIT
cp tests/fuzz/corpus/* "$corpus"/

seed=()
[ -n "${TAVINE_FUZZ_SEED:-}" ] && seed=(-seed="$TAVINE_FUZZ_SEED")

ASAN_OPTIONS=detect_leaks=1 "$build/tests/fuzz/tavine_state_fuzzer" "$corpus" "${seed[@]}" \
    -max_total_time="$seconds" -max_len=65536 -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix=tests/fuzz/regressions/ -print_final_stats=1
