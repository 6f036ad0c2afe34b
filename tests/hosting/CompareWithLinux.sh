#!/usr/bin/env bash
# The Windows plug-ins against the Linux ones: the same material through each format on both
# platforms, with the same noise seed bit for bit, and with each instance's own seed within
# the noise floor.
#
#   CompareWithLinux.sh LINUX_RENDER LINUX_VST3 LINUX_VST2 WINDOWS_RENDER WINDOWS_VST3 WINDOWS_VST2 WINE...
#
# WINE... is the command that runs a Windows program, with its arguments.
set -euo pipefail

if [ "$#" -lt 7 ]; then
    echo "Usage: $0 LINUX_RENDER LINUX_VST3 LINUX_VST2 WINDOWS_RENDER WINDOWS_VST3 WINDOWS_VST2 WINE..." >&2
    exit 2
fi

linux_render=$1
declare -A linux_plugin=([vst3]=$2 [vst2]=$3)
windows_render=$4
declare -A windows_plugin=([vst3]=$5 [vst2]=$6)
shift 6
wine=("$@")

for file in "$linux_render" "${linux_plugin[@]}"; do
    if [ ! -e "$file" ]; then
        echo "The Linux build has no $file: build tavine_plugin_render, Tavine_VST3 and Tavine_VST there first" >&2
        exit 1
    fi
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Wine shows the machine's root folder as drive Z:. A path that is already a Windows one (the
# installer's tests pass where setup installed the plug-ins) stays as it is.
windows_path ()
{
    local path

    if [[ "$1" =~ ^[A-Za-z]:\\ ]]; then
        echo "$1"
        return
    fi

    path=$(realpath -m "$1")
    echo "Z:${path//\//\\}"
}

# The noise floor is all that differs between two instances; a fixed seed takes it away.
seed=1461

for format in vst3 vst2; do
    echo "--- $format"
    TAVINE_NOISE_SEED=$seed "$linux_render" render "$format" "${linux_plugin[$format]}" "$work/linux-$format.raw"
    TAVINE_NOISE_SEED=$seed "${wine[@]}" "$windows_render" render "$format" "$(windows_path "${windows_plugin[$format]}")" "$(windows_path "$work/windows-$format.raw")"

    echo -n "same noise seed: "
    "$linux_render" compare "$work/linux-$format.raw" "$work/windows-$format.raw" 0
    cmp "$work/linux-$format.raw" "$work/windows-$format.raw"

    "$linux_render" render "$format" "${linux_plugin[$format]}" "$work/linux.raw"
    "${wine[@]}" "$windows_render" render "$format" "$(windows_path "${windows_plugin[$format]}")" "$(windows_path "$work/windows.raw")"

    # Two instances of one build differ by the noise floor of 1e-7 lifted by the stages' gains.
    echo -n "each instance's own seed: "
    "$linux_render" compare "$work/linux.raw" "$work/windows.raw" 1e-5
done

# The two formats are one plug-in: with one seed they differ by nothing but what their hosts
# do to the samples on the way, which is nothing. A wrapper that left a channel or a block
# unprocessed would show here, on both systems alike.
echo -n "--- vst3 against vst2, same noise seed: "
"$linux_render" compare "$work/linux-vst3.raw" "$work/linux-vst2.raw" 0
