#!/usr/bin/env bash
# The standalone program in a real window (run inside a virtual X display): the window must
# show exactly what the editor draws headlessly, a 250-pixel drag upwards must take a knob
# from its minimum to its maximum, a press on x2 let go outside it must change nothing, and a
# click on x2 must switch it on. Without any sound device (as in a build sandbox) the window's
# title and standard error must say that no audio device could be opened.
#
# usage: StandaloneWindowTest.sh STANDALONE SNAPSHOT_TOOL
set -euo pipefail

standalone=$1
snapshot=$2
work=$(mktemp -d)
pid=

cleanup ()
{
    [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# A home of its own: the standalone keeps its settings and the plug-in's state there, and a
# fresh one starts from the defaults. Muting the input avoids the feedback banner over the
# window, which has nothing to do with the editor.
export HOME=$work
mkdir -p "$work/.config"
cat > "$work/.config/Tavine.settings" <<'SETTINGS'
<?xml version="1.0" encoding="UTF-8"?>
<PROPERTIES>
  <VALUE name="shouldMuteInput" val="0"/>
</PROPERTIES>
SETTINGS

"$standalone" > "$work/standalone.log" 2>&1 &
pid=$!

if ! window=$(timeout 30 xdotool search --sync --onlyvisible --name '^Tavine( - no audio device)?$' | head -n 1); then
    echo "FAIL: the standalone window did not appear"
    cat "$work/standalone.log"
    exit 1
fi

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

        if found=$("$snapshot" --locate "$shot" --seconds 0 "$@" 2>/dev/null); then
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
