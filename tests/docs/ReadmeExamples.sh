#!/usr/bin/env bash
# The README's commands for tavine-render and lv2apply, run exactly as a user would type them:
# each in a folder of its own that holds the files the README's examples name (song.wav,
# song.flac, saved.state, stems/*.wav), with the plug-ins where setup.sh installs them in a
# scratch home, and the built renderer on PATH. A command passes when it exits with 0 and
# every file or folder it names that was not there before exists afterwards and is not empty.
#
# usage: ReadmeExamples.sh README.md RENDERER VST3_MODULE LV2_BUNDLE [all|renderer-only]
# renderer-only leaves out the other hosts' commands, for plug-ins built with a sanitizer,
# which a host without the sanitizer's runtime cannot load.
set -euo pipefail

readme=$1
renderer=$2
vst3Module=$3
lv2Bundle=$4
which=${5:-all}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# What a user has after setup.sh: tavine-render on PATH and the plug-ins in their home.
mkdir -p "$work/bin" "$work/home/.vst3" "$work/home/.lv2"
ln -s "$renderer" "$work/bin/tavine-render"
ln -s "$(cd "$(dirname "$vst3Module")/../.." && pwd)" "$work/home/.vst3/Tavine.vst3"
ln -s "$lv2Bundle" "$work/home/.lv2/Tavine.lv2"
export HOME=$work/home PATH="$work/bin:$PATH" LV2_PATH="$work/home/.lv2"
unset DISPLAY

# The files the examples read, made with the renderer itself from its demo phrase.
fixture=$work/fixture
mkdir -p "$fixture/stems"
tavine-render --demo --demo-dir "$work/demo" --quiet > /dev/null
cp "$work/demo/demo-input.wav" "$fixture/song.wav"
tavine-render "$fixture/song.wav" "$fixture/song.flac" --quiet
tavine-render "$fixture/song.wav" "$work/state-source.wav" --red 0.3 --x2 --save-state "$fixture/saved.state" --quiet
cp "$fixture/song.wav" "$fixture/stems/drums.wav"
cp "$fixture/song.wav" "$fixture/stems/bass.wav"

set -f # the commands' words are read, not expanded here

# Every tavine-render line of the README's shell blocks, and the lv2apply command it quotes.
mapfile -t commands < <(
    awk '/^```/ { inBlock = ! inBlock; next } inBlock && /^tavine-render / { print }' "$readme"
    grep -o '`lv2apply [^`]*`' "$readme" | tr -d '`'
)

if (( ${#commands[@]} < 5 )); then
    echo "FAIL: found ${#commands[@]} example commands in $readme, expected at least 5"
    exit 1
fi

failures=0
index=0

for command in "${commands[@]}"; do
    index=$((index + 1))
    program=${command%% *}

    if [[ $program != tavine-render && $which == renderer-only ]]; then
        echo "skipped (a sanitized plug-in in an uninstrumented host): $command"
        continue
    fi

    if ! command -v "$program" > /dev/null; then
        echo "skipped (no $program here): $command"
        continue
    fi

    folder=$work/example-$index
    cp -r "$fixture" "$folder"
    status=0
    (cd "$folder" && timeout 120 bash -c "$command") > "$work/output" 2>&1 || status=$?

    if (( status != 0 )); then
        echo "FAIL (exit status $status): $command"
        sed 's/^/    /' "$work/output"
        failures=$((failures + 1))
        continue
    fi

    # Each file the command names that the fixture did not have is an output, and so is the
    # folder --out-dir names.
    previous=
    passed=1
    for word in ${command%%#*}; do
        output=
        case $word in
            *'*'*) ;;
            *.wav | *.flac | *.png | *.csv | *.state) [[ -e $fixture/$word ]] || output=$word ;;
        esac
        [[ $previous == --out-dir ]] && output=$word
        previous=$word

        if [[ -n $output ]] && { [[ ! -s $folder/$output ]] || [[ -d $folder/$output && -z $(ls -A "$folder/$output") ]]; }; then
            echo "FAIL: $command"
            echo "    left no $output"
            failures=$((failures + 1))
            passed=0
        fi
    done

    (( passed )) && echo "ok: $command"
done

# The batch example renders every stem under its own name in the format it asks for.
batch=$(grep -n -- '--out-dir processed' <<< "$(printf '%s\n' "${commands[@]}")" | head -n 1 | cut -d: -f1)

if [[ -n $batch ]]; then
    listing=$(cd "$work/example-$batch/processed" && ls)

    if [[ $listing != $'bass.flac\ndrums.flac' ]]; then
        echo "FAIL: the batch example wrote: $listing"
        failures=$((failures + 1))
    fi
fi

exit $((failures > 0))
