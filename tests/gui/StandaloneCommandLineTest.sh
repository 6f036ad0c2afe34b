#!/usr/bin/env bash
# The standalone program where there is no window to open: --help and --version answer without
# a display, and with no display (or one that cannot be reached) or a wrong argument the
# program says so in one line on standard error and exits with a non-zero status. A crash
# ends with a signal's status (128 and up), which no expected status here equals.
#
# usage: StandaloneCommandLineTest.sh STANDALONE EXPECTED_VERSION
set -euo pipefail

standalone=$1
version=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The settings file must not be touched by a run that opens no window.
export HOME=$work
failures=0

# Runs the standalone with the given environment changes and arguments; checks its status,
# its standard output (a pattern for the first line) and its standard error (exactly one line
# matching a pattern, or nothing).
check ()
{
    local description=$1 expectedStatus=$2 stdoutPattern=$3 stderrPattern=$4
    shift 4
    local status=0

    timeout 30 env "$@" > "$work/out" 2> "$work/err" || status=$?

    local problem=
    if [ "$status" -ne "$expectedStatus" ]; then
        problem="exit status $status, expected $expectedStatus"
    elif [ -n "$stdoutPattern" ] && ! head -n 1 "$work/out" | grep -Eq "$stdoutPattern"; then
        problem="standard output does not start with /$stdoutPattern/"
    elif [ -z "$stdoutPattern" ] && [ -s "$work/out" ]; then
        problem="unexpected standard output"
    elif [ -n "$stderrPattern" ] && { [ "$(wc -l < "$work/err")" -ne 1 ] || ! grep -Eq "$stderrPattern" "$work/err"; }; then
        problem="standard error is not the one line /$stderrPattern/"
    elif [ -z "$stderrPattern" ] && [ -s "$work/err" ]; then
        problem="unexpected standard error"
    fi

    if [ -n "$problem" ]; then
        echo "FAIL: $description: $problem"
        sed 's/^/  stdout: /' "$work/out"
        sed 's/^/  stderr: /' "$work/err"
        failures=$((failures + 1))
    else
        echo "ok: $description"
    fi
}

noDisplay=(-u DISPLAY)

# A display at :0 is what the framework falls back to when DISPLAY is not set; only without
# one does an unset DISPLAY mean no display at all.
if [ ! -e /tmp/.X11-unix/X0 ]; then
    check "no DISPLAY" 1 "" '^Tavine: cannot open a window: no display \(DISPLAY is not set\)$' \
        "${noDisplay[@]}" "$standalone"
fi

check "an unreachable display" 1 "" '^Tavine: cannot open a window: cannot connect to the display ":4095"$' \
    DISPLAY=:4095 "$standalone"
check "--help without a display" 0 '^Usage: Tavine ' "" "${noDisplay[@]}" "$standalone" --help
check "-h without a display" 0 '^Usage: Tavine ' "" "${noDisplay[@]}" "$standalone" -h
check "--version without a display" 0 "^Tavine ${version//./\\.}\$" "" "${noDisplay[@]}" "$standalone" --version
check "an unknown argument" 2 "" '^Tavine: unknown argument "--bogus" \(see Tavine --help\)$' \
    "${noDisplay[@]}" "$standalone" --bogus
check "a file name" 2 "" '^Tavine: unknown argument "song.wav"' "${noDisplay[@]}" "$standalone" song.wav

if [ -e "$work/.config/Tavine.settings" ]; then
    echo "FAIL: a run without a window wrote the settings file"
    failures=$((failures + 1))
fi

[ "$failures" -eq 0 ]
