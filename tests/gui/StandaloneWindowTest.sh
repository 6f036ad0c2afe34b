#!/usr/bin/env bash
# The standalone program in a real window (run inside a virtual X display): the window must
# show exactly what the editor draws headlessly, a 250-pixel drag upwards must take a knob
# from its minimum to its maximum, a press on x2 let go outside it must change nothing, a
# click on x2 must switch it on, and 150 % from the right-click menu must grow the window and
# be there again at the next start. Without any sound device (as in a build sandbox) the window's
# title and standard error must say that no audio device could be opened.
#
# usage: StandaloneWindowTest.sh STANDALONE SNAPSHOT_TOOL LOCATE_TOOL
set -euo pipefail

standalone=$1
snapshot=$2
locate=$3
work=$(mktemp -d)
source "$(dirname "$0")/StandaloneProgram.sh"

cleanup ()
{
    [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# A home of its own: the standalone keeps its settings and the plug-in's state there, and a
# fresh one starts from the defaults. With the input left unmuted the standalone shows no banner
# about muting it (against feedback) over the window, which has nothing to do with the editor.
export HOME=$work
mkdir -p "$work/.config"

# The program also plays through JACK when a JACK server runs; pointed at a server name that
# none has, it sees only the machine's sound cards, whatever else runs on the machine.
export JACK_DEFAULT_SERVER=tavine-no-server-$$
cat > "$work/.config/Tavine.settings" <<'SETTINGS'
<?xml version="1.0" encoding="UTF-8"?>
<PROPERTIES>
  <VALUE name="shouldMuteInput" val="0"/>
</PROPERTIES>
SETTINGS

start_standalone

width_at_100=$(window_width "$window")

# The title and standard error agree on whether a device is playing; with no sound device in
# the system at all, none can be.
title=$(xdotool getwindowname "$window")
if [ "$title" = "Tavine - no audio device" ]; then
    if ! grep -q '^Tavine: no audio device' "$work/standalone.log"; then
        echo "FAIL: the title says there is no audio device but standard error does not"
        cat "$work/standalone.log"
        exit 1
    fi
    echo "no audio device: said in the title and on standard error"
elif [ ! -e /dev/snd ] || grep -q 'no audio device' "$work/standalone.log"; then
    echo "FAIL: the title \"$title\" does not say that there is no audio device"
    cat "$work/standalone.log"
    exit 1
fi

# Finds the window showing the given setting; prints "x y" of the editor on the screen.
expect_window ()
{
    local shot=$work/screen-$RANDOM.png
    local found

    for attempt in 1 2 3 4 5 6 7 8 9 10; do
        import -window root "$shot"

        if found=$("$locate" "$shot" --seconds 0 "$@" 2>/dev/null); then
            echo "$found"
            return 0
        fi

        sleep 0.5
    done

    echo "FAIL: the window does not show the editor with $*" >&2
    return 1
}

read -r x y < <(expect_window --red 0 --green 0 --blue 0 --x2 off)
echo "editor found at $x,$y"

# Drag the red knob 250 pixels straight up, in steps, as a hand would.
xdotool mousemove $((x + 97)) $((y + 253)) mousedown 1
for step in $(seq 1 25); do
    xdotool mousemove $((x + 97)) $((y + 253 - step * 10))
    sleep 0.02
done
xdotool mouseup 1
expect_window --red 1 --green 0 --blue 0 --x2 off > /dev/null
echo "a 250-pixel drag takes the red knob to its maximum"

# Pressed, x2 shows its lit half; dragged off and let go there, it changes nothing.
xdotool mousemove $((x + 225)) $((y + 15)) mousedown 1
expect_window --red 1 --green 0 --blue 0 --x2 on > /dev/null
for step in $(seq 1 10); do
    xdotool mousemove $((x + 225 + step * 6)) $((y + 15 + step * 8))
    sleep 0.02
done
xdotool mouseup 1
sleep 0.3
expect_window --red 1 --green 0 --blue 0 --x2 off > /dev/null
echo "a press on x2 let go outside it leaves x2 off"

xdotool mousemove $((x + 225)) $((y + 15)) click 1
sleep 0.3
xdotool mousemove $((x + 5)) $((y + 5))
expect_window --red 1 --green 0 --blue 0 --x2 on > /dev/null
echo "a click on x2 switches it on"

# The window at a zoom, where the editor was found at 100 %: it grows to the right and down.
# A window scaled by a fractional zoom and a picture drawn at that scale may round a few pixels
# one level apart, so this compares with a tolerance of 1 %.
expect_zoomed_window ()
{
    local scale=$1 width=$2 height=$3
    shift 3
    "$snapshot" "$work/expected.png" --seconds 0 --scale "$scale" "$@" > /dev/null
    convert "$work/expected.png" -alpha off "$work/expected-rgb.png"

    for attempt in 1 2 3 4 5 6 7 8 9 10; do
        import -window root "$work/screen.png"
        convert "$work/screen.png" -crop "${width}x${height}+$x+$y" +repage "$work/seen.png"

        if [ "$(compare -metric AE -fuzz 1% "$work/seen.png" "$work/expected-rgb.png" null: 2>&1)" = "0" ]; then
            return 0
        fi

        sleep 0.5
    done

    echo "FAIL: the window does not show the editor at $scale with $*" >&2
    return 1
}

# The zoom: a right-click on the background opens the window-size menu; 150 % makes the
# window and what it shows half as large again, drawn as a display at 150 % shows it, and the
# next start of the program opens at that size.
xdotool mousemove $((x + 15)) $((y + 120)) click 3
sleep 0.5
xdotool key Down Down Down Return
sleep 0.5
xdotool mousemove $((x + 5)) $((y + 5))
expect_zoomed_window 1.5 675 450 --red 1 --green 0 --blue 0 --x2 on
echo "150 % from the right-click menu draws the window half as large again"

if ! grep -q 'name="zoom" val="1.5"' "$work/.config/Tavine.editor.settings" 2> /dev/null; then
    echo "FAIL: the zoom was not remembered in ~/.config/Tavine.editor.settings"
    cat "$work/.config/Tavine.editor.settings" 2> /dev/null || true
    exit 1
fi

# Started again, the window must show again.
stop_standalone
start_standalone

# The program may open its window elsewhere, and with the setting it last saved: the window's
# width says which zoom it opened at, 225 pixels wider than at 100 % (its frame and title bar
# stay as they are).
width=$(window_width "$window")
if [ "$width" != $((width_at_100 + 225)) ]; then
    echo "FAIL: the next start opened a window $width pixels wide, not $((width_at_100 + 225))"
    exit 1
fi

echo "the next start opens at 150 % again"
