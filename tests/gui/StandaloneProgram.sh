# Shared by the standalone program's window tests: starting the program and waiting for its
# window, stopping it, and the window's size. Sourced, never run; needs $standalone and $work.

pid=

# Starts the program and sets `pid`, and `window` once its window shows (within 30 s).
start_standalone ()
{
    "$standalone" > "$work/standalone.log" 2>&1 &
    pid=$!

    if ! window=$(timeout 30 xdotool search --sync --onlyvisible --name '^Tavine( - no audio device)?$' | head -n 1); then
        echo "FAIL: the standalone window did not appear"
        cat "$work/standalone.log"
        exit 1
    fi
}

stop_standalone ()
{
    kill "$pid"
    wait "$pid" 2> /dev/null || true
    pid=
}

# window_width WINDOW and window_height WINDOW: its size on the screen, frame included.
window_width ()
{
    xdotool getwindowgeometry "$1" | sed -n 's/^ *Geometry: \([0-9]*\)x.*/\1/p'
}

window_height ()
{
    xdotool getwindowgeometry "$1" | sed -n 's/^ *Geometry: [0-9]*x\([0-9]*\).*/\1/p'
}
