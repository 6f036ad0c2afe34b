#!/usr/bin/env bash
# Tavine's LV2 in ecasound (Debian package ecasound), automated by ecasound's own controller
# envelopes: whether a host's automation, which sets a control port once per buffer, makes
# Tavine click. A -12 dBFS tone at 1 kHz and at 60 Hz, a sine on the left and a cosine on the
# right, goes through Tavine at 48 kHz with ecasound's buffer at 64, 512 and 4096 frames while an
# envelope
#   ramp     turns green from 0 to 1 over a second,
#   jump     sets red, green, blue and x2 from 0 to 1 between one buffer and the next,
#   bypass   switches the plug-in off (its "enabled" port to 0) with everything at 1 and x2 on,
#            and on again 0.7 s later.
# From the plug-in's latency plus a quarter second of settling on, the discontinuity of the
# output (tavine_host_check_audio discontinuity: the part of each sample that the tone itself
# does not predict) must stay at or below -80 dBFS, and the tone's level must move the way the
# change moves it: louder at the end of a ramp or jump, the plain tone while bypassed. A change
# that never reached the plug-in would not click either.
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

uri=https://wemb.audio/plugins/tavine
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

# ecasound numbers an LV2 plug-in's parameters from 1 in the order of its control ports, output
# ports included, and lists them by name. JUCE puts its own ports before the knobs, so ecasound
# shows Tavine as
#   -elv2:https://wemb.audio/plugins/tavine,'Latency','Free Wheeling','Enabled','red','green','blue','x2'
# and red is parameter 4, not 1. The numbers are read from that listing, so that a port added
# or moved cannot make the envelopes drive another one. ecasound wraps long lines with "... ".
check_step "ecasound: the parameters of Tavine's LV2"
listing=$(printf 'lv2-register\nquit\n' | ecasound -c 2> /dev/null | sed ':a;N;$!ba;s/\n\.\.\. / /g' | grep -F -- "-elv2:$uri,") \
    || check_fail "ecasound does not list $uri in $LV2_PATH"
IFS=, read -r -a names <<< "${listing#*-elv2:"$uri",}"
echo "    ecasound's parameters: ${names[*]}"

parameter ()
{
    local i
    for i in "${!names[@]}"; do
        if [ "${names[$i]}" = "'$1'" ]; then
            echo $((i + 1))
            return 0
        fi
    done
    check_fail "ecasound lists no parameter '$1' for Tavine"
}

# One at a time: a failing substitution stops the script only when it is the line's last.
enabled=$(parameter Enabled)
red=$(parameter red)
green=$(parameter green)
blue=$(parameter blue)
x2=$(parameter x2)

# start_values RED GREEN BLUE X2: Tavine's -elv2 values, every port in ecasound's order: the
# latency is an output, free-wheeling off and "enabled" on (ecasound starts every port it is not
# given at 0, and "enabled" at 0 is the bypass).
start_values ()
{
    local values=() i
    for i in "${!names[@]}"; do
        case $((i + 1)) in
            "$enabled") values+=(1) ;;
            "$red") values+=("$1") ;;
            "$green") values+=("$2") ;;
            "$blue") values+=("$3") ;;
            "$x2") values+=("$4") ;;
            *) values+=(0) ;;
        esac
    done
    (IFS=,; echo "${values[*]}")
}

# The cases: the knobs Tavine starts with, the parameters an envelope drives, the envelope as
# -klg points (count, then time in seconds and value from 0 to 1; ecasound holds the first value
# before the first point and the last after the last), and what the level must do:
#   rise   louder at the end than before the change;
#   dip    the plain tone's -12 dBFS between 1.0 and 1.15 s, and louder before and at the end;
# and the envelope's largest step between two buffers, in terms of the buffer's frames and the
# rate (awk). A jump's two points lie less than a frame apart, so that it falls between two
# buffers whatever their size.
cases=(ramp jump bypass)
declare -A describe knobs drives points shape largest_step
describe[ramp]="green 0 to 1 over 1 s"
knobs[ramp]="0 0 0 0" drives[ramp]="$green" points[ramp]="2,0.5,0,1.5,1" shape[ramp]=rise
largest_step[ramp]="buffer / rate"
describe[jump]="red, green, blue and x2 0 to 1 at once"
knobs[jump]="0 0 0 0" drives[jump]="$red $green $blue $x2" points[jump]="2,0.5,0,0.50001,1" shape[jump]=rise
largest_step[jump]=1
describe[bypass]="bypass on and off, all at 1 with x2"
knobs[bypass]="1 1 1 1" drives[bypass]="$enabled" points[bypass]="4,0.5,1,0.50001,0,1.2,0,1.20001,1" shape[bypass]=dip
largest_step[bypass]=1

# run_ecasound BUFFER ARGUMENTS...: one run of ecasound with that buffer and these chains, every
# file 32-bit float at the check's rate. Batch processing waits a quarter second at a time for
# the engine, however short the files, so every case of a buffer size is a chain of one run.
run_ecasound ()
{
    local buffer=$1 log="$scratch/ecasound-$1.log"
    shift
    if ! ecasound -q -b:"$buffer" -f:f32_le,2,"$rate" "$@" > "$log" 2>&1; then
        sed 's/^/    | /' "$log"
        echo "    | ecasound -q -b:$buffer -f:f32_le,2,$rate $*"
        return 1
    fi
}

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

failures=()
started=$(date +%s)

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
            # shellcheck disable=SC2086 # the knobs are four words on purpose
            chains+=("-elv2:$uri,$(start_values ${knobs[$case]})")
            for port in ${drives[$case]}; do
                chains+=("-klg:$port,0,1,${points[$case]}")
            done
            # The amplifier's gain in per cent: 100 where Tavine's parameter is 0, 150 where it
            # is 1, so that it too is louder where Tavine is.
            chains+=(-a:"$name-amplifier" -i "$scratch/tone-$frequency.wav" -o "$scratch/$name-amplifier.wav")
            chains+=(-ea:100 "-klg:1,100,150,${points[$case]}")
        done
    done

    if ! run_ecasound "$buffer" "${chains[@]}"; then
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
            moved=true
            if [ "${shape[$case]}" = rise ]; then
                at_least "$end" "$before" "$least_change_db" || moved=false
            else
                bypassed=$(level "$tavine_out" 1.0 1.15)
                levels="level $before -> $bypassed bypassed -> $end dBFS"
                at_least "$before" "$bypassed" "$least_change_db" && at_least "$end" "$bypassed" "$least_change_db" \
                    && near "$bypassed" -12 0.1 || moved=false
            fi

            echo "    $frequency Hz, ${describe[$case]}: discontinuity $clicks, $levels;" \
                "ecasound's amplifier $control (a step of its gain predicts $predicted dBFS)"

            [ "$status" -eq 0 ] || failures+=("$what: clicks at ${clicks%% at *}, above $limit_db dBFS")
            $moved || failures+=("$what: the level did not move as the change should move it ($levels)")
            [ "$control_status" -eq 1 ] \
                || failures+=("$what: ecasound's own amplifier under the same envelope does not click ($control), so this case proves nothing")
            near "${control%% *}" "$predicted" 0.2 \
                || failures+=("$what: ecasound's own amplifier clicks at $control, where a step of its gain predicts $predicted dBFS: the envelope or the measurement is not what this check takes it for")
        done
    done
done

echo "ecasound: ${#cases[@]} changes, ${#frequencies[@]} tones, 3 buffer sizes in $(($(date +%s) - started)) s"

if [ ${#failures[@]} -gt 0 ]; then
    printf '    %s\n' "${failures[@]}" >&2
    check_fail "ecasound: ${#failures[@]} case(s) failed"
fi

echo "ecasound: no change clicks above $limit_db dBFS"
