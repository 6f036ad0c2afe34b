#!/usr/bin/env bash
# Our JUCE patches meet altered copies of the packaged wrapper sources, as a JUCE update would
# alter them: the packaged sources patch cleanly; a source with a line more above the mends
# (every hunk then lands at an offset) or with a mend's context changed stops the
# configuration and names the patch; a change away from every mend still applies, and is
# reported by its checksum.
#
#   JucePatchesTest.sh SOURCE_DIR JUCE_MODULES_DIR
set -euo pipefail

source_dir=$1
modules=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

failures=0

fail ()
{
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# A copy of the wrapper sources, altered by the command given, then configured.
configure_with ()
{
    local name=$1
    shift
    local fake="$work/$name/modules/juce_audio_plugin_client"
    mkdir -p "$fake"
    cp -R "$modules/juce_audio_plugin_client/LV2" "$modules/juce_audio_plugin_client/VST" \
        "$modules/juce_audio_plugin_client/VST3" "$fake/"
    (cd "$fake" && "$@")
    cmake -S "$source_dir/tests/build/juce-patches" -B "$work/$name/build" \
        -DTAVINE_SOURCE_DIR="$source_dir" -DJUCE_MODULES_DIR="$work/$name/modules" > "$work/$name/log" 2>&1
}

# Whether the configuration said the text, however CMake wrapped its lines.
said ()
{
    tr -s ' \n' '  ' < "$work/$1/log" | grep -q -F -- "$2"
}

if ! configure_with pristine true; then
    fail "the packaged sources do not take the patches:"
    cat "$work/pristine/log" >&2
elif grep -q -i "warning" "$work/pristine/log"; then
    fail "the packaged sources were reported as changed:"
    cat "$work/pristine/log" >&2
fi

# The sources keep JUCE's CR LF line ends.
if configure_with shifted sed -i '1s/^/\/\/ one line more\r\n/' LV2/juce_LV2_Client.cpp; then
    fail "a source whose mends moved down a line took the patches"
elif ! said shifted "0002-lv2-survive-unconnected-audio-ports.patch no longer applies exactly"; then
    fail "the first LV2 patch was not named for a source whose mends moved:"
    cat "$work/shifted/log" >&2
fi

if configure_with context sed -i 's/CallPrepareToPlay::no);/CallPrepareToPlay::no); \/\/ changed/' VST3/juce_VST3_Wrapper.cpp; then
    fail "a source with a mend's text changed took the patches"
elif ! said context "0020-vst3-prepare-when-the-processing-set-up-arrives.patch no longer applies exactly"; then
    fail "the VST3 patch was not named for a source with its text changed:"
    cat "$work/context/log" >&2
fi

# The licence header is far from every mend; same number of lines.
if ! configure_with elsewhere sed -i '0,/This file is part of/s//This file is a part of/' VST/juce_VST_Wrapper.cpp; then
    fail "a change away from every mend stopped the patches:"
    cat "$work/elsewhere/log" >&2
elif ! said elsewhere "VST/juce_VST_Wrapper.cpp since the patches in cmake/juce-patches were written"; then
    fail "a changed source was not reported:"
    cat "$work/elsewhere/log" >&2
fi

if [ "$failures" -ne 0 ]; then
    exit 1
fi

echo "the JUCE patches apply to the packaged sources alone, and name themselves when they do not"
