#!/usr/bin/env bash
# Tavine's LV2 in ecasound (Debian package ecasound), a plain effect runner that gives the
# plug-in no features and sets every control port by position.
#
# Positional values: the command line users type, -elv2:<uri>,0.6,0.5,0.7,1, must set red,
# green, blue and x2 in that order, and the file must come out as tavine-render makes it with
# those knobs, one latency late (ecasound does not compensate latency). ecasound starts every
# port it is not given at 0, the "enabled" port included, so this also shows that a host
# without a URID map never bypasses Tavine through that port.
#
# Automation: ecasound's own controller envelopes set a control port once per buffer, as a
# host's automation does; whether that makes Tavine click. A -12 dBFS tone at 1 kHz and at
# 60 Hz, a sine on the left and a cosine on the right, goes through Tavine at 48 kHz with
# ecasound's buffer at 64, 512 and 4096 frames while an envelope
#   ramp     turns green from 0 to 1 over a second,
#   jump     sets red, green, blue and x2 from 0 to 1 between one buffer and the next.
# From the plug-in's latency plus a quarter second of settling on, the discontinuity of the
# output (tavine_host_check_audio discontinuity: the part of each sample that the tone itself
# does not predict) must stay at or below -80 dBFS, and the tone must be louder at the end than
# before the change: a change that never reached the plug-in would not click either. The
# bypass has no port to drive here; its crossfade is held to the same limit by the click tests
# of the hosted binaries, through JUCE's hosting classes.
#
# The same envelopes also drive ecasound's own amplifier (-ea), which takes its gain per buffer
# as it comes: every case must click there, and by exactly as much as the largest step of its
# gain between two buffers predicts. That proves that the envelope really changes something
# between buffers at each size and that the measurement sees it at its true size.
#
#   tools/hosts/ecasound.sh      (from the repository root; a few seconds)
set -euo pipefail

cd "$(dirname "$0")/../.."
source tools/hosts/common.sh

rate=48000
seconds=2
limit_db=-80
# The plug-in's latency at 48 kHz, in frames (ecasound does not compensate it), and the settling
# of the delay line's start and of the filters after it, when nothing has changed yet.
latency=512
measure_from=$(awk -v latency="$latency" -v rate="$rate" 'BEGIN { printf "%.4f", latency / rate + 0.25 }')
# A level must move by this much to count as moved: green at 1 alone raises either tone by more
# than 1 dB.
least_change_db=0.5

if ! command -v ecasound > /dev/null; then
    check_fail "ecasound: not installed (Debian package ecasound)"
fi

# ecasound keeps its settings under HOME (~/.ecasound): a private one in the scratch folder.
export HOME="$scratch/home"
mkdir -p "$HOME"
export LV2_PATH="$artefacts/LV2"

# run_ecasound LOG OPTIONS...: one run of ecasound, its messages in LOG, every file 32-bit float
# stereo at the check's rate. An output that exists would be opened for update in its own
# format, so every output is a new file. Batch processing waits a quarter second at a time for
# the engine, however short the files, so each run holds as many chains as it can.
run_ecasound ()
{
    local log=$1
    shift
    if ! ecasound -f:f32_le,2,"$rate" "$@" > "$log" 2>&1; then
        sed 's/^/    | /' "$log"
        echo "    | ecasound -f:f32_le,2,$rate $*"
        return 1
    fi
}

failures=()
started=$(date +%s)

# The README's command, at 44.1 kHz: ecasound takes the rate and the channels from the input
# file, and -f:f32_le keeps the output in floating point (its default is 16-bit). -d prints the
# value ecasound gave each parameter, by name, as it creates the plug-in.
check_step "ecasound: -elv2:$uri,0.6,0.5,0.7,1"
"$audio" signal "$scratch/signal.wav" --rate 44100 --channels 2
if ! ecasound -d -i "$scratch/signal.wav" -f:f32_le -o "$scratch/positional.wav" "-elv2:$uri,0.6,0.5,0.7,1" > "$scratch/positional.log" 2>&1; then
    sed 's/^/    | /' "$scratch/positional.log"
    check_fail "ecasound could not run Tavine with four positional values"
fi
setting=$(sed ':a;N;$!ba;s/\n\.\.\. / /g' "$scratch/positional.log" | grep -F 'Setting parameters:' | head -n 1) || true
setting=${setting#*Setting parameters: }
echo "    ecasound: $setting"
case $setting in
    "red = 0.600, green = 0.500, blue = 0.700, x2 = 1.000"*) ;;
    *) failures+=("ecasound did not set the four values given as red, green, blue and x2 (it says: ${setting:-nothing})") ;;
esac
expected_render "$scratch/signal.wav" "$scratch/positional-expected.wav" --red 0.6 --green 0.5 --blue 0.7 --x2 --no-latency-compensation
if "$audio" compare "$scratch/positional-expected.wav" "$scratch/positional.wav" > "$scratch/positional-compare.txt"; then
    echo "    as tavine-render makes it, one latency late ($(grep '^largest' "$scratch/positional-compare.txt"))"
else
    sed 's/^/    | /' "$scratch/positional-compare.txt"
    failures+=("-elv2:$uri,0.6,0.5,0.7,1 does not sound as red 0.6, green 0.5, blue 0.7 and x2 on do")
fi

# ecasound numbers an LV2 plug-in's parameters from 1 in the order of its control ports, output
# ports included, and lists them by name. Tavine's knobs are its first four control ports, so
# ecasound must show it as
#   -elv2:https://wemb.audio/plugins/tavine,'red','green','blue','x2',...
# with the latency and "enabled" after them: users give the knobs as the first four values, and
# the envelopes below drive parameters 1 to 4. ecasound wraps long lines with "... ", at a space
# where it finds one (the log above) and mid-word where it does not, as in this listing, whose
# names have no spaces.
check_step "ecasound: the parameters of Tavine's LV2"
listing=$(printf 'lv2-register\nquit\n' | ecasound -c 2> /dev/null | sed ':a;N;$!ba;s/\n\.\.\. //g' | grep -F -- "-elv2:$uri,") \
    || check_fail "ecasound does not list $uri in $LV2_PATH"
IFS=, read -r -a names <<< "${listing#*-elv2:"$uri",}"
echo "    ecasound's parameters: ${names[*]}"
if [ "${names[*]:0:4}" != "'red' 'green' 'blue' 'x2'" ]; then
    # The envelopes would drive other ports: what failed so far, and stop.
    [ ${#failures[@]} -eq 0 ] || printf '    %s\n' "${failures[@]}" >&2
    check_fail "ecasound's parameters for Tavine do not begin with red, green, blue and x2: ${names[*]}"
fi
red=1 green=2 blue=3 x2=4

# The cases: the parameters an envelope drives, from 0 like every knob, the envelope as -klg
# points (count, then time in seconds and value from 0 to 1; ecasound holds the first value
# before the first point and the last after the last), and the envelope's largest step between
# two buffers, in terms of the buffer's frames and the rate (awk). A jump's two points lie less
# than a frame apart, so that it falls between two buffers whatever their size.
cases=(ramp jump)
declare -A describe drives points largest_step
describe[ramp]="green 0 to 1 over 1 s"
drives[ramp]="$green" points[ramp]="2,0.5,0,1.5,1"
largest_step[ramp]="buffer / rate"
describe[jump]="red, green, blue and x2 0 to 1 at once"
drives[jump]="$red $green $blue $x2" points[jump]="2,0.5,0,0.50001,1"
largest_step[jump]=1

# level FILE FROM TO: the tone's level over that stretch, in dBFS.
level ()
{
    "$audio" level "$1" --from "$2" --to "$3"
}

# at_least A B DB: whether A exceeds B by at least DB.
at_least ()
{
    awk -v a="$1" -v b="$2" -v db="$3" 'BEGIN { exit !(a - b >= db) }'
}

# near A B DB: whether A and B lie within DB of each other.
near ()
{
    awk -v a="$1" -v b="$2" -v db="$3" 'BEGIN { exit !(a - b <= db && b - a <= db) }'
}

frequencies=(1000 60)
for frequency in "${frequencies[@]}"; do
    "$audio" tone "$scratch/tone-$frequency.wav" --rate "$rate" --frequency "$frequency" --seconds "$seconds"
done

for buffer in 64 512 4096; do
    check_step "ecasound: buffer $buffer"
    chains=()

    for frequency in "${frequencies[@]}"; do
        for case in "${cases[@]}"; do
            name="$case-$frequency-$buffer"
            chains+=(-a:"$name" -i "$scratch/tone-$frequency.wav" -o "$scratch/$name.wav")
            chains+=("-elv2:$uri,0,0,0,0")
            for port in ${drives[$case]}; do
                chains+=("-klg:$port,0,1,${points[$case]}")
            done
            # The amplifier's gain in per cent: 100 where Tavine's parameter is 0, 150 where it
            # is 1, so that it too is louder where Tavine is.
            chains+=(-a:"$name-amplifier" -i "$scratch/tone-$frequency.wav" -o "$scratch/$name-amplifier.wav")
            chains+=(-ea:100 "-klg:1,100,150,${points[$case]}")
        done
    done

    if ! run_ecasound "$scratch/ecasound-$buffer.log" -q -b:"$buffer" "${chains[@]}"; then
        failures+=("buffer $buffer: ecasound failed")
        continue
    fi

    for frequency in "${frequencies[@]}"; do
        for case in "${cases[@]}"; do
            what="$frequency Hz, buffer $buffer, ${describe[$case]}"
            tavine_out="$scratch/$case-$frequency-$buffer.wav"

            status=0
            measured=$("$audio" discontinuity "$tavine_out" --frequency "$frequency" --from "$measure_from" --limit-db "$limit_db") || status=$?
            [ "$status" -le 1 ] || { failures+=("$what: cannot measure Tavine's output"); continue; }
            # "discontinuity -92.7 dBFS at 0.5160 s (frame 24768), ...": the figure and its time.
            clicks=${measured#discontinuity }
            clicks=${clicks%% (frame*}

            control_status=0
            control=$("$audio" discontinuity "${tavine_out%.wav}-amplifier.wav" --frequency "$frequency" --from "$measure_from" --limit-db "$limit_db") || control_status=$?
            control=${control#discontinuity }
            control=${control%% at *}
            # A gain that steps by d on a quadrature pair of amplitude A leaves exactly d A at the
            # step, whatever the phase; the amplifier's 0 to 1 is a gain of 1 to 1.5.
            predicted=$(awk -v buffer="$buffer" -v rate="$rate" \
                'BEGIN { printf "%.1f", 20 * log(0.5 * 10 ^ (-12 / 20) * ('"${largest_step[$case]}"')) / log(10) }')

            before=$(level "$tavine_out" 0.45 0.5)
            end=$(level "$tavine_out" 1.95 2.0)
            levels="level $before -> $end dBFS"

            echo "    $frequency Hz, ${describe[$case]}: discontinuity $clicks, $levels;" \
                "ecasound's amplifier $control (a step of its gain predicts $predicted dBFS)"

            [ "$status" -eq 0 ] || failures+=("$what: clicks at ${clicks%% at *}, above $limit_db dBFS")
            at_least "$end" "$before" "$least_change_db" \
                || failures+=("$what: not louder after the change, so it did not reach Tavine ($levels)")
            [ "$control_status" -eq 1 ] \
                || failures+=("$what: ecasound's own amplifier under the same envelope does not click ($control), so this case proves nothing")
            near "${control%% *}" "$predicted" 0.2 \
                || failures+=("$what: ecasound's own amplifier clicks at $control, where a step of its gain predicts $predicted dBFS: the envelope or the measurement is not what this check takes it for")
        done
    done
done

echo "ecasound: four positional values, ${#cases[@]} changes, ${#frequencies[@]} tones, 3 buffer sizes in $(($(date +%s) - started)) s"

if [ ${#failures[@]} -gt 0 ]; then
    printf '    %s\n' "${failures[@]}" >&2
    check_fail "ecasound: ${#failures[@]} case(s) failed"
fi

echo "ecasound: the knobs by position as tavine-render sets them, and no change clicks above $limit_db dBFS"
