#!/usr/bin/env bash
# Checks that tools/hosts/audacity.sh fails, and says why, when Audacity's plug-in scan rejects
# Tavine: it runs that check on a copy of the build whose VST2 and LV2 binaries are not
# libraries, which Audacity registers as invalid. A host check that cannot fail proves nothing.
#
#   tools/hosts/audacity-selftest.sh     (from the repository root; a few seconds)

set -euo pipefail

hosts_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
build=$(cd "${TAVINE_BUILD_DIR:-build}" && pwd)
release=plugin/Tavine_artefacts/Release

broken=$(mktemp -d "${TMPDIR:-/tmp}/tavine-host-selftest.XXXXXX")
trap 'rm -rf "$broken"' EXIT

mkdir -p "$broken/$release/VST" "$broken/tools/render" "$broken/tools/hosts"
ln -s "$build/$release/VST3" "$broken/$release/VST3"
cp -R "$build/$release/LV2" "$broken/$release/LV2"
echo "not a library" > "$broken/$release/VST/Tavine.so"
echo "not a library" > "$broken/$release/LV2/Tavine.lv2/libTavine.so"
ln -s "$build/tools/render/tavine-render" "$broken/tools/render/tavine-render"
ln -s "$build/tools/hosts/tavine_host_check_audio" "$broken/tools/hosts/tavine_host_check_audio"

status=0
output=$(TAVINE_BUILD_DIR="$broken" "$hosts_dir/audacity.sh" 2>&1) || status=$?

passed=0 failed=0
expect ()
{
    if "$@"; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "self-test failed: $*" >&2
    fi
}

expect [ "$status" -eq 1 ]
for format in lv2 vst2; do
    expect grep -q "^FAILED: $format: Audacity's scan rejected Tavine" <<< "$output"
done
# Nothing rejected is applied to audio.
expect test -z "$(grep -- '--- .*: Tavine in Audacity' <<< "$output")"

if [ "$failed" -gt 0 ]; then
    printf '%s\n' "$output" >&2
fi
echo "audacity-selftest: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
