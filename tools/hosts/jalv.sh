#!/usr/bin/env bash
# Tavine's LV2 in jalv (Debian package jalv, its console version), a JACK host that gives the
# plug-in a URID map and knows its ports by symbol. On a private JACK server with the dummy
# driver (no sound card, 48 kHz, periods of 512 frames), jalv starts Tavine with
#   -c red=0.6 -c green=0.5 -c blue=0.7 -c x2=1
# and its console must then list exactly those four knobs with those values, without a word about
# an unknown control. ecasound, as a JACK client, plays a test file into Tavine and records what
# comes out, which must be what tavine-render makes of it with those knobs. Then `red = 0.3` and
# `set 3 0` (x2 by its port index) are typed into the console, `controls` must show both, and a
# second pass must sound as red 0.3 with x2 off: the console's values reach the plug-in, not only
# jalv's own list.
#
#   tools/hosts/jalv.sh      (from the repository root; a few seconds)
set -euo pipefail

cd "$(dirname "$0")/../.."
source tools/hosts/common.sh

rate=48000
period=512
# Long enough for the impulse, four of the signal's clicks and every tone; JACK runs in real
# time, so each pass costs as long as it records.
record_seconds=1.25

for program in jackd jack_lsp jalv ecasound stdbuf; do
    command -v "$program" > /dev/null || check_fail "jalv: $program is not installed (Debian packages jackd2, jalv, ecasound)"
done

# A server of the check's own: its name is the scratch folder's, clients find it by that name
# alone, and none of them may start a server of their own (one would open the user's sound card).
export HOME="$scratch/home"
mkdir -p "$HOME"
export LV2_PATH="$artefacts/LV2"
export JACK_DEFAULT_SERVER="tavine-check-${scratch##*.}"
export JACK_NO_START_SERVER=1
export JACK_NO_AUDIO_RESERVATION=1
client=tavine

jackd_pid=
jalv_pid=

# The server and jalv go with the check however it ends; jackd removes its sockets and shared
# memory only when it is stopped, not when it is left behind.
stop_jack ()
{
    exec 3>&- 2> /dev/null || true
    local pid
    for pid in $jalv_pid $jackd_pid; do
        kill "$pid" 2> /dev/null || true
        wait "$pid" 2> /dev/null || true
    done
    rm -rf "$scratch"
}
trap stop_jack EXIT
trap 'exit 130' INT TERM

# wait_for WHAT SECONDS COMMAND...: runs COMMAND every tenth of a second until it succeeds.
wait_for ()
{
    local what=$1 seconds=$2 tries=$(($2 * 10))
    shift 2
    until "$@"; do
        tries=$((tries - 1))
        [ "$tries" -gt 0 ] || { echo "    no $what after $seconds s" >&2; return 1; }
        sleep 0.1
    done
}

jack_is_up ()
{
    kill -0 "$jackd_pid" 2> /dev/null && jack_lsp > /dev/null 2>&1
}

# Two audio inputs and two outputs: jalv has instantiated and activated Tavine.
jalv_is_up ()
{
    kill -0 "$jalv_pid" 2> /dev/null && [ "$(jack_lsp 2> /dev/null | grep -c "^$client:audio_")" -eq 4 ]
}

show_logs ()
{
    local log
    for log in "$@"; do
        [ -s "$log" ] && awk -v name="${log##*/}" '{ print "    " name ": " $0 }' "$log"
    done
    return 0
}

started=$(date +%s)

check_step "jalv: a JACK server with the dummy driver"
# Synchronous: with no sound card to keep time, the server waits for every client in each cycle,
# so a loaded machine makes a pass slower, never a recording with a gap. A client may take up to
# five seconds before it is thrown out (the default is half a second), and no realtime
# scheduling, which a container does not grant.
jackd --no-realtime --sync -t 5000 -n "$JACK_DEFAULT_SERVER" -d dummy -r "$rate" -p "$period" > "$scratch/jackd.log" 2>&1 &
jackd_pid=$!
wait_for "JACK server" 10 jack_is_up || { show_logs "$scratch/jackd.log"; check_fail "jalv: jackd did not start"; }

check_step "jalv: -c red=0.6 -c green=0.5 -c blue=0.7 -c x2=1"
# The console reads commands from a pipe that this script keeps open; its answers are written line
# by line (stdbuf), so that they can be waited for.
mkfifo "$scratch/console"
stdbuf -oL jalv -x -n "$client" -c red=0.6 -c green=0.5 -c blue=0.7 -c x2=1 "$uri" \
    < "$scratch/console" > "$scratch/jalv.out" 2> "$scratch/jalv.err" &
jalv_pid=$!
exec 3> "$scratch/console"
wait_for "Tavine in jalv" 10 jalv_is_up || { show_logs "$scratch/jalv.out" "$scratch/jalv.err"; check_fail "jalv did not start Tavine"; }

failures=()

# console COMMAND...: types these commands into jalv's console. The console prints its prompt,
# "> ", before it reads each command, so the answer to the n-th command is what follows the n-th
# prompt, whatever jalv printed before it was ready.
typed=0
console ()
{
    answers_from=$((typed + 1))
    local command
    for command in "$@"; do
        echo "    > $command"
        echo "$command" >&3
        typed=$((typed + 1))
    done
}

# answers: what the console printed for the commands typed last.
answers ()
{
    awk -v from="$answers_from" '{ while (sub(/^> /, "")) prompts++ } prompts >= from && $0 != ""' "$scratch/jalv.out"
}

# answers_are WHAT LINE...: waits until the console has answered with as many lines, and
# whether they are these.
answers_are ()
{
    local what=$1 expected
    shift
    expected=$(printf '%s\n' "$@")
    local lines=$#
    answered () { [ "$(answers | wc -l)" -ge "$lines" ]; }
    wait_for "answer to $what" 5 answered || true
    [ "$(answers)" = "$expected" ] \
        || failures+=("jalv's console did not answer $what with $(paste -sd ' ' <<< "$expected"): $(answers | paste -sd ' ' -)")
}

jalv_has_ended ()
{
    ! kill -0 "$jalv_pid" 2> /dev/null
}

# through_jalv NAME RED X2: plays the signal into Tavine in jalv and records its output, then
# compares that with what tavine-render makes of the signal with red at RED, x2 at X2 and the
# other knobs as -c set them. ecasound both feeds and records Tavine, a loop in JACK's graph that
# costs one period, and Tavine's own latency is in both: the recording must match exactly one
# period later.
through_jalv ()
{
    local name=$1 red=$2 x2=$3 result lag figure
    rm -f "$scratch/$name.wav"
    if ! ecasound -q -G:jack,ecasound,notransport -f:f32_le,2,"$rate" \
        -a:play -i "$scratch/signal.wav" -o jack,"$client" \
        -a:record -i jack,"$client" -o "$scratch/$name.wav" -t:"$record_seconds" > "$scratch/$name.log" 2>&1; then
        show_logs "$scratch/$name.log"
        failures+=("$name: ecasound could not play through Tavine in jalv")
        return 0
    fi
    expected_render "$scratch/signal.wav" "$scratch/$name-expected.wav" \
        --red "$red" --green 0.5 --blue 0.7 --x2="$x2" --no-latency-compensation
    result=$("$audio" compare "$scratch/$name-expected.wav" "$scratch/$name.wav" --max-lag $((2 * period))) || true
    # "best match +512 frames later: -130.1 dBFS"
    lag=$(awk '/^best match/ { print $3 + 0 }' <<< "$result")
    figure=$(awk '/^best match/ { print $6 + 0 }' <<< "$result")
    if [ "${lag:-0}" -eq "$period" ] && awk -v db="$figure" 'BEGIN { exit !(db <= -120) }'; then
        echo "    as tavine-render makes it with red $red and x2 $x2, one period late ($figure dBFS)"
    else
        sed 's/^/    | /' <<< "$result"
        failures+=("$name: Tavine in jalv does not sound as red $red, green 0.5, blue 0.7 and x2 $x2 do, one period late")
    fi
}

"$audio" signal "$scratch/signal.wav" --rate "$rate" --channels 2

# jalv lists the controls it shows, in their ports' order: the knobs and nothing else (the latency
# and "enabled" are not for the user to set).
console controls
answers_are controls "red = 0.600000" "green = 0.500000" "blue = 0.700000" "x2 = 1.000000"
through_jalv first 0.6 on

console "red = 0.3" "set 3 0"
answers_are "red = 0.3 and set 3 0" "red = 0.300000" "x2 = 0.000000"
console controls
answers_are controls "red = 0.300000" "green = 0.500000" "blue = 0.700000" "x2 = 0.000000"
through_jalv second 0.3 off

# Closing the console quits jalv, which deactivates and frees Tavine: that must end cleanly too.
exec 3>&-
status=0
if wait_for "end of jalv" 5 jalv_has_ended; then
    wait "$jalv_pid" || status=$?
    jalv_pid=
    [ "$status" -eq 0 ] || failures+=("jalv ended with status $status when its console closed")
else
    failures+=("jalv did not end within 5 s of its console closing")
fi

if grep -iE 'unknown control|error' "$scratch/jalv.err" > /dev/null; then
    failures+=("jalv complained: $(grep -iE 'unknown control|error' "$scratch/jalv.err" | paste -sd ';')")
fi

echo "jalv: the console's knobs and two passes through JACK in $(($(date +%s) - started)) s"

if [ ${#failures[@]} -gt 0 ]; then
    show_logs "$scratch/jalv.out" "$scratch/jalv.err"
    printf '    %s\n' "${failures[@]}" >&2
    check_fail "jalv: ${#failures[@]} case(s) failed"
fi

echo "jalv: the knobs by symbol and by index, heard as tavine-render makes them"
