#!/usr/bin/env bash
# Installs what Tavine needs, builds everything and runs the whole test suite through CTest, as
# many tests at a time as there are cores (TAVINE_TEST_JOBS sets another number). Most tests are
# a process each, whose start-up costs more than many of them take.
set -euo pipefail

cd "$(dirname "$0")/.."
source tools/dependencies.sh
tavine_install_dependencies

build=${TAVINE_BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTAVINE_WARNINGS_AS_ERRORS=ON
cmake --build "$build"
ctest --test-dir "$build" --output-on-failure --timeout 900 --parallel "${TAVINE_TEST_JOBS:-$(nproc)}" "$@"
