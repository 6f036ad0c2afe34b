#!/usr/bin/env bash
# The LV2 plug-in in lv2apply (Debian's lilv-utils), the simplest LV2 host there is: it gives
# the plug-in no features, connects only audio and control ports, runs one frame at a time and
# does not compensate latency. Mono and stereo files at 44.1, 48 and 96 kHz, with the knobs set
# through the control ports, must come out as tavine-render makes them, one latency late.
set -euo pipefail
source "$(dirname "$0")/common.sh"

export LV2_PATH="$artefacts/LV2"

for rate in 44100 48000 96000; do
    for channels in 1 2; do
        check_step "lv2apply: $channels channel(s) at $rate Hz"
        input="$scratch/in-$rate-$channels.wav"
        "$audio" signal "$input" --rate "$rate" --channels "$channels"

        lv2apply -i "$input" -o "$scratch/lv2apply.wav" -c red 0.6 -c green 0.5 -c blue 0.7 -c x2 1 "$uri" \
            || check_fail "lv2apply could not process the $channels-channel file at $rate Hz"
        # lv2apply leaves the plug-in's delay in, and so does this render: equal at offset 0
        # means lv2apply's result comes exactly one latency late. A mono file goes through both
        # inputs and comes out as two equal channels.
        expected_render "$input" "$scratch/expected.wav" --red 0.6 --green 0.5 --blue 0.7 --x2 --no-latency-compensation
        "$audio" compare "$scratch/expected.wav" "$scratch/lv2apply.wav" \
            || check_fail "lv2apply's result at $rate Hz with $channels channel(s) is not what tavine-render makes"
    done
done

echo "lv2apply: every file as tavine-render makes it"
