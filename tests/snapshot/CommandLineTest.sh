#!/usr/bin/env bash
# tavine_snapshot's command line: its numbers are read as tavine-render reads them, whole or not
# at all, and anything else is refused with the usage before anything is drawn; the same command
# draws the same picture.
#
# usage: CommandLineTest.sh SNAPSHOT_TOOL
set -euo pipefail

snapshot=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

refused ()
{
    if "$snapshot" out.png "$@" > said.txt 2>&1; then
        echo "FAIL: tavine_snapshot took $*"
        exit 1
    fi

    if ! grep -q '^usage: tavine_snapshot' said.txt || [ -e out.png ]; then
        echo "FAIL: $* was not refused with the usage alone"
        cat said.txt
        exit 1
    fi
}

# A lenient reader would take each of these as some other number, or as 0, instead of refusing it.
refused --red 0.5.3
refused --blue ""
refused --blue
refused --seconds 10s
refused --seconds abc
refused --seconds

# Not written in full, out of range, not a number, or not a word the toggle knows.
refused --red 0,5
refused --green .5x
refused --red 1.5
refused --red -1
refused --green nan
refused --seconds 601
refused --seconds inf
refused --x2 yes
refused --scale 0.5
refused --scale 4
refused --scale 2x

"$snapshot" first.png --red 2.5e-1 --green 1 --blue .5 --x2 on --seconds 0.5 > /dev/null
"$snapshot" second.png --red 0.25 --green 1.0 --blue 0.5 --x2 on --seconds 5e-1 > /dev/null

if ! cmp -s first.png second.png; then
    echo "FAIL: the same setting, written differently, drew different pictures"
    exit 1
fi

# A PNG's width and height, from its header.
png_size ()
{
    od -An -tu1 -j16 -N8 "$1" | awk '{ print $1 * 16777216 + $2 * 65536 + $3 * 256 + $4 "x" $5 * 16777216 + $6 * 65536 + $7 * 256 + $8 }'
}

"$snapshot" large.png --seconds 0.5 --scale 2 > /dev/null

if [ "$(png_size large.png)" != "900x600" ]; then
    echo "FAIL: --scale 2 drew a picture of $(png_size large.png), not 900x600"
    exit 1
fi

echo "numbers are read whole, the same setting draws the same picture, and --scale 2 draws 900 x 600"
