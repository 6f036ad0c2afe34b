#!/usr/bin/env bash
# Tavine in the Linux hosts that users open, driven headless with the built plug-ins:
#   lv2apply   the LV2 in Debian's simplest LV2 host, file in, file out
#   ardour     VST3, VST2 and LV2 in Ardour sessions (ardour7-lua): rendered, saved, reopened
#              and rendered again
#   audacity   LV2 and VST2 through Audacity's plug-in scan and its scripting pipe, on Xvfb
#   audacity-selftest   the Audacity check itself fails, and says why, on plug-ins the scan
#              rejects
#   ecasound   the LV2 in ecasound: its knobs as the first four positional values, and under
#              ecasound's own automation (controller envelopes, applied once per buffer) no knob
#              or x2 change may click
#   jalv       the LV2 in jalv on a private JACK server with no sound card: knobs set by symbol
#              on the command line and in its console, listed there and heard
# Each compares what the host made with what tavine-render makes of the same input with the same
# knobs, and with the input's timing; ecasound also measures the clicks of a tone.
#
#   tools/host-check.sh [lv2apply|ardour|audacity|audacity-selftest|ecasound|jalv]...   (default: all)
#
# Installs the hosts with apt-get, builds what the checks need in $TAVINE_BUILD_DIR (default
# build) and never touches the user's own settings or plug-in folders: every host runs with a
# private HOME in a scratch folder.
set -euo pipefail

cd "$(dirname "$0")/.."
source tools/dependencies.sh

checks=("$@")

if [ "${#checks[@]}" -eq 0 ]; then
    checks=(lv2apply ardour audacity audacity-selftest ecasound jalv)
fi

for check in "${checks[@]}"; do
    if [ ! -f "tools/hosts/$check.sh" ]; then
        echo "usage: tools/host-check.sh [lv2apply|ardour|audacity|audacity-selftest|ecasound|jalv]..." >&2
        exit 2
    fi
done

TAVINE_PACKAGES+=("${TAVINE_HOST_CHECK_PACKAGES[@]}")
tavine_install_dependencies

build=${TAVINE_BUILD_DIR:-build}

# An existing build keeps the options it was configured with (CI's has warnings as errors).
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release
fi

cmake --build "$build" --target Tavine_VST3 Tavine_VST Tavine_LV2 tavine_render tavine_host_check_audio

passed=0
failed=0
failures=()

for check in "${checks[@]}"; do
    echo
    echo "=== $check"
    start=$(date +%s)

    if TAVINE_BUILD_DIR="$build" bash "tools/hosts/$check.sh"; then
        passed=$((passed + 1))
        echo "=== $check passed in $(($(date +%s) - start)) s"
    else
        failed=$((failed + 1))
        failures+=("$check")
        echo "=== $check FAILED after $(($(date +%s) - start)) s"
    fi
done

echo
[ "$failed" -eq 0 ] || echo "failed: ${failures[*]}"
echo "host check: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
