#!/usr/bin/env bash
# The Windows program on a display at 200 % (Wine told 192 DPI), in a Wine prefix made afresh:
# its window must show, pixel for pixel, the picture of the editor drawn at display scale 2
# (as the Linux build's tavine_snapshot draws it, from the 2x artwork; the Linux build's
# tavine_locate_window looks for it), not the 450 x 300 window enlarged. Runs itself on Xvfb
# when there is no display.
#
#   WindowsHighDpiTest.sh STANDALONE_EXE LOCATE_TOOL PREFIX WINE WINESERVER
set -euo pipefail

if [ "$#" -ne 5 ]; then
    echo "Usage: $0 STANDALONE_EXE LOCATE_TOOL PREFIX WINE WINESERVER" >&2
    exit 2
fi

if [ -z "${TAVINE_HIGH_DPI_ON_DISPLAY:-}" ]; then
    export TAVINE_HIGH_DPI_ON_DISPLAY=1
    exec xvfb-run -a -s "-screen 0 1920x1200x24" bash "$0" "$@"
fi

standalone=$1
locate=$2
prefix=$3
wine=$4
wineserver=$5

export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
rm -rf "$prefix"
mkdir -p "$prefix"
"$wine" wineboot -i > /dev/null 2>&1
"$wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 192 /f > /dev/null 2>&1
"$wineserver" -w

"$wine" "$standalone" > "$prefix/standalone.log" 2>&1 &
trap '"$wineserver" -k 2> /dev/null || true' EXIT

if ! timeout 60 xdotool search --sync --onlyvisible --name '^Tavine' > /dev/null; then
    echo "FAIL: the program's window did not appear"
    cat "$prefix/standalone.log"
    exit 1
fi

for attempt in $(seq 1 20); do
    sleep 1
    import -window root "$prefix/screen.png"

    if found=$("$locate" "$prefix/screen.png" --seconds 0 --red 0 --green 0 --blue 0 --x2 off --scale 2 2> /dev/null); then
        echo "at 192 DPI the window shows the editor drawn at scale 2, pixel for pixel, at $found"
        exit 0
    fi
done

echo "FAIL: at 192 DPI the window does not show the editor drawn at scale 2 ($prefix/screen.png)"
exit 1
