#!/usr/bin/env bash
# Installs what Tavine needs, builds everything and runs the whole test suite through CTest, as
# many tests at a time as there are cores (TAVINE_TEST_JOBS sets another number). Most tests are
# a process each, whose start-up costs more than many of them take.
set -euo pipefail

cd "$(dirname "$0")/.."
source tools/dependencies.sh
tavine_install_dependencies

build=${TAVINE_BUILD_DIR:-build}
log=$(mktemp)
trap 'rm -f "$log"' EXIT

# Our own code's warnings are errors here. Anything else the configuration or the compiler
# prints as a warning comes from somebody else's code, which a newcomer would take for ours:
# the build prints none (what it rebuilds, that is; ccache replays a cached file's warnings).
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTAVINE_WARNINGS_AS_ERRORS=ON 2>&1 | tee "$log"
cmake --build "$build" 2>&1 | tee -a "$log"

if grep -E -q ': warning:|^CMake Warning' "$log"; then
    echo "test.sh: the build printed warnings:" >&2
    grep -E -A3 ': warning:|^CMake Warning' "$log" >&2
    exit 1
fi
ctest --test-dir "$build" --output-on-failure --timeout 900 --parallel "${TAVINE_TEST_JOBS:-$(nproc)}" "$@"
