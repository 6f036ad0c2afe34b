# Shared by the host checks in tools/hosts/: where the built plug-ins and tools are, a scratch
# folder that goes away with the check, and the expected result of a render. Sourced, never run.

build=${TAVINE_BUILD_DIR:-build}
build=$(cd "$build" && pwd)
artefacts="$build/plugin/Tavine_artefacts/Release"
render="$build/tools/render/tavine-render"
audio="$build/tools/hosts/tavine_host_check_audio"

# The LV2 plug-in's URI, which LV2 hosts load it by.
uri=https://wemb.audio/plugins/tavine

for built in "$artefacts/VST3/Tavine.vst3" "$artefacts/VST/Tavine.so" "$artefacts/LV2/Tavine.lv2" "$render" "$audio"; do
    if [ ! -e "$built" ]; then
        echo "host check: $built is not built (tools/host-check.sh builds what it needs)" >&2
        exit 2
    fi
done

# Every check works in a scratch folder of its own, with a private HOME so that no host reads or
# writes the user's settings, plug-in lists or caches.
scratch=$(mktemp -d "${TMPDIR:-/tmp}/tavine-host-check.XXXXXX")
trap 'rm -rf "$scratch"' EXIT

# check_step NAME: says what is checked next, so that a failure's context is in the log.
check_step ()
{
    echo "--- $*"
}

# check_fail MESSAGE: says what went wrong and stops the check.
check_fail ()
{
    echo "FAILED: $*" >&2
    exit 1
}

# expected_render IN OUT [tavine-render options]: what Tavine makes of IN with those settings,
# through the processor built into tavine-render, aligned with the input.
expected_render ()
{
    local input=$1 output=$2
    shift 2
    "$render" "$input" "$output" --quiet --overwrite "$@" > /dev/null
}
