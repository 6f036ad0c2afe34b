#!/usr/bin/env bash
# The standalone program and JACK (run inside a virtual X display). The program links no JACK
# library, since JUCE loads libjack when it looks for devices. With no JACK server it still
# opens its window, without a word from libjack on standard error. With a server of the test's
# own (jackd's dummy back end at 48 kHz, no sound card needed) and JACK chosen in its settings,
# it opens JACK: its title says nothing of a missing device, its two inputs and two outputs are
# connected to the server's capture and playback ports, and the banner about the muted input
# (the input starts muted) makes the window 40 pixels taller than with no device.
#
# Each server is named for this run and the program is pointed at it (JACK_DEFAULT_SERVER),
# so no other JACK server on the machine takes part. Without jackd the test is skipped.
#
# usage: StandaloneJackTest.sh STANDALONE
set -euo pipefail

standalone=$1
work=$(mktemp -d)
server=tavine-standalone-test-$$
source "$(dirname "$0")/StandaloneProgram.sh"
jackPid=

cleanup ()
{
    [ -n "$pid" ] && kill "$pid" 2> /dev/null || true
    [ -n "$jackPid" ] && kill "$jackPid" 2> /dev/null || true
    [ -n "$jackPid" ] && wait "$jackPid" 2> /dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

for tool in jackd jack_wait jack_lsp; do
    if ! command -v "$tool" > /dev/null; then
        echo "SKIP: $tool is not installed (Debian: jackd2)"
        exit 77
    fi
done

if readelf -d "$standalone" | grep -q 'NEEDED.*libjack'; then
    echo "FAIL: the program links libjack, so it would not start where JACK is not installed"
    readelf -d "$standalone" | grep NEEDED
    exit 1
fi

export HOME=$work
export JACK_DEFAULT_SERVER=$server
mkdir -p "$work/.config"

# No server: the window opens, and standard error has nothing from libjack.
start_standalone
sleep 1
height_without_device=$(window_height "$window")
title_without_server=$(xdotool getwindowname "$window")
stop_standalone

if grep -v '^Tavine: ' "$work/standalone.log" | grep -qi 'jack'; then
    echo "FAIL: without a JACK server, libjack's messages reach standard error"
    cat "$work/standalone.log"
    exit 1
fi

echo "without a JACK server the program starts (\"$title_without_server\"), and libjack says nothing"

# A server of our own, and JACK chosen as the framework's settings keep the choice.
jackd -n "$server" -d dummy -r 48000 -p 256 > "$work/jackd.log" 2>&1 &
jackPid=$!

if ! jack_wait -s "$server" -w -t 10 > "$work/jack_wait.log" 2>&1; then
    echo "FAIL: the test's JACK server did not start"
    cat "$work/jackd.log"
    exit 1
fi

cat > "$work/.config/Tavine.settings" <<'SETTINGS'
<?xml version="1.0" encoding="UTF-8"?>
<PROPERTIES>
  <VALUE name="audioSetup">
    <DEVICESETUP deviceType="JACK" audioOutputDeviceName="system" audioInputDeviceName="system"/>
  </VALUE>
</PROPERTIES>
SETTINGS

start_standalone

# The program connects its ports once it has opened the device.
for attempt in $(seq 1 20); do
    jack_lsp -s "$server" -c > "$work/ports" 2> /dev/null || true
    grep -q '^Tavine:out_2$' "$work/ports" && break
    sleep 0.5
done

title=$(xdotool getwindowname "$window")
if [ "$title" != "Tavine" ]; then
    echo "FAIL: with JACK running and chosen, the title reads \"$title\""
    cat "$work/standalone.log"
    exit 1
fi

# Each of the program's ports and the server port it must be connected to, in jack_lsp -c's
# layout: a port, then the ports connected to it, indented.
for pair in in_1:capture_1 in_2:capture_2 out_1:playback_1 out_2:playback_2; do
    port=Tavine:${pair%%:*}
    peer=system:${pair#*:}

    if ! awk -v port="$port" -v peer="$peer" '
            /^[^ ]/ { current = $0 }
            /^ / && current == port && $1 == peer { found = 1 }
            END { exit found ? 0 : 1 }' "$work/ports"; then
        echo "FAIL: $port is not connected to $peer"
        cat "$work/ports"
        exit 1
    fi
done

echo "with a JACK server the program opens JACK, in stereo: its ports are connected"

height=$(window_height "$window")
if [ "$height" != $((height_without_device + 40)) ]; then
    echo "FAIL: with the input muted on JACK the window is $height pixels tall, not $height_without_device + 40 for the banner"
    exit 1
fi

echo "the banner about the muted input shows over the editor while JACK plays"
stop_standalone
