#!/usr/bin/env bash
# The setup program's wizard as a user clicks through it, on a virtual display, in a Wine prefix
# made afresh: Return on every page (the default button each time), the pages' titles noted as
# they come, a picture of the components page kept, and the installation it makes checked.
#
#   InstallerWizard.sh SETUP PREFIX PICTURE WINE WINESERVER
#
# Runs itself on Xvfb when there is no display.
set -euo pipefail

if [ "$#" -ne 5 ]; then
    echo "Usage: $0 SETUP PREFIX PICTURE WINE WINESERVER" >&2
    exit 2
fi

setup=$1
prefix=$2
picture=$3
wine=$4
wineserver=$5

if [ -z "${TAVINE_WIZARD_ON_DISPLAY:-}" ]; then
    export TAVINE_WIZARD_ON_DISPLAY=1
    exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"
fi

export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
rm -rf "$prefix"
mkdir -p "$prefix"
"$wine" wineboot -i > /dev/null 2>&1
"$wineserver" -w

title="Tavine"
expected=("Welcome" "Licence" "Components" "VST2 Folder" "Finished")

"$wine" "$setup" &
wizard=$!

# The title of the wizard's window, once it shows one of its pages.
page_title ()
{
    local window name
    for window in $(xdotool search --name "^$title [0-9.]+ Setup: " 2> /dev/null); do
        name=$(xdotool getwindowname "$window" 2> /dev/null) || continue
        echo "${name#*Setup: }"
        return 0
    done
    return 1
}

seen=()
deadline=$((SECONDS + 120))

while kill -0 "$wizard" 2> /dev/null && [ "$SECONDS" -lt "$deadline" ]; do
    page=$(page_title) || { sleep 0.2; continue; }

    # The installing page passes by itself, and quickly.
    if [ "$page" = "Installing" ] || { [ "${#seen[@]}" -gt 0 ] && [ "${seen[-1]}" = "$page" ]; }; then
        sleep 0.2
        continue
    fi

    seen+=("$page")
    echo "page: $page"
    # Let the page draw before it is pictured and left.
    sleep 1

    if [ "$page" = "Components" ]; then
        window=$(xdotool search --name "^$title [0-9.]+ Setup: Components" | head -n 1)
        import -window "$window" "$picture.part.png"
        mv "$picture.part.png" "$picture"
    fi

    xdotool key Return
    sleep 0.5
done

status=0

if kill -0 "$wizard" 2> /dev/null; then
    echo "FAILED: the wizard did not finish in time"
    kill "$wizard" 2> /dev/null || true
    status=1
fi

wait "$wizard" || { echo "FAILED: setup exited with $?"; status=1; }
"$wineserver" -w

if [ "${seen[*]}" != "${expected[*]}" ]; then
    echo "FAILED: the pages came as: ${seen[*]}; expected: ${expected[*]}"
    status=1
fi

for file in \
    "Program Files/Common Files/VST3/Tavine.vst3/Contents/x86_64-win/Tavine.vst3" \
    "Program Files/VSTPlugins/Tavine.dll" \
    "Program Files/Tavine/Tavine.exe" \
    "Program Files/Tavine/Uninstall.exe"; do
    [ -f "$prefix/drive_c/$file" ] || { echo "FAILED: the wizard did not install C:\\$file"; status=1; }
done

[ -f "$picture" ] || { echo "FAILED: no picture of the components page"; status=1; }

[ "$status" -eq 0 ] && echo "the wizard's pages came in order and installed Tavine; the components page: $picture"
exit $status
