#!/usr/bin/env bash
# Checks Tavine in Ardour 7, headless (ardour7-lua, Debian package ardour, on its dummy audio
# backend): for each of VST3, VST2 and LV2, a session with Tavine on a mono and on a stereo
# track, its knobs set, a clip on each track, each track bounced, the session saved, closed,
# reopened and bounced again. Both bounces must be what tavine-render makes of the clips with
# the same settings, sample for sample, and the reopened session must show the knobs as set
# (for LV2, where Ardour 7.3 shows defaults after reopening, that is only said).
#
#   tools/hosts/ardour.sh [FORMAT...]    FORMAT: VST3, VST2 or LV2 (default: all three)
#
# Exits 0 when every format passes, 1 with a one-line reason when one fails, 2 when the plug-ins
# are not built. TAVINE_ARDOUR_LUA names another interpreter (default ardour7-lua).
set -euo pipefail

cd "$(dirname "$0")/../.."
source tools/hosts/common.sh

session_script="$PWD/tools/hosts/ardour-session.lua"
interpreter=${TAVINE_ARDOUR_LUA:-ardour7-lua}
# The scanners are helpers of Ardour's own, not on PATH.
scanners=/usr/lib/ardour7
# Ardour 7.3 can crash while it closes a session, even one without plug-ins: a step that finished
# its work and then crashed is run again from where it started, this many times at most.
attempts=3
step_timeout=120

red=0.6 green=0.5 blue=0.7 x2=1
formats=("$@")
[ ${#formats[@]} -gt 0 ] || formats=(VST3 VST2 LV2)

for format in "${formats[@]}"; do
    case "$format" in
        VST3 | VST2 | LV2) ;;
        *) check_fail "Ardour: unknown format $format (VST3, VST2 or LV2)" ;;
    esac
done

if ! command -v "$interpreter" > /dev/null; then
    check_fail "Ardour: $interpreter is not installed (Debian package ardour)"
fi

started=$(date +%s)

# Ardour reads and writes its settings, plug-in caches and scan log under HOME and the XDG
# folders: all of them go to the scratch folder, so the user's are never read or touched.
export HOME="$scratch/home"
export XDG_CONFIG_HOME="$HOME/.config" XDG_CACHE_HOME="$HOME/.cache" XDG_DATA_HOME="$HOME/.local/share"
mkdir -p "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME" "$XDG_DATA_HOME"

# Copies of the plug-ins, so that a rebuild during the check cannot change them between the
# renders; Ardour finds them through these paths only.
plugins="$scratch/plugins"
mkdir -p "$plugins/lv2" "$plugins/vst" "$plugins/vst3"
cp -R "$artefacts/LV2/Tavine.lv2" "$plugins/lv2/"
cp "$artefacts/VST/Tavine.so" "$plugins/vst/"
cp -R "$artefacts/VST3/Tavine.vst3" "$plugins/vst3/"
export LV2_PATH="$plugins/lv2" LXVST_PATH="$plugins/vst" VST3_PATH="$plugins/vst3"
# Ardour takes a scan's cache as current only when it is newer than the plug-in to the second, and
# fresh copies are as new as the scan that follows.
find "$plugins" -exec touch -h -d "@$(($(date +%s) - 60))" {} +

# A session lists VST plug-ins only from the scanners' cache, which Ardour's window fills and
# ardour7-lua does not.
check_step "Ardour: scanning the VST plug-ins"
for scan in "ardour-vst3-scanner $plugins/vst3/Tavine.vst3" "ardour-vst-scanner $plugins/vst/Tavine.so"; do
    read -r scanner bundle <<< "$scan"
    if ! LD_LIBRARY_PATH="$scanners" timeout "$step_timeout" "$scanners/$scanner" --quiet "$bundle" > "$scratch/scan.log" 2>&1; then
        cat "$scratch/scan.log" >&2
        check_fail "Ardour: $scanner could not scan $(basename "$bundle")"
    fi
done

check_step "Ardour: input files and what tavine-render makes of them"
for shape in mono:1 stereo:2; do
    track=${shape%:*}
    "$audio" signal "$scratch/$track-in.wav" --rate 48000 --channels "${shape#*:}"
    expected_render "$scratch/$track-in.wav" "$scratch/$track-expected.wav" --red "$red" --green "$green" --blue "$blue" --x2="$x2"
done

# ardour_step NAME DONE SESSION OUT ARGUMENTS...: runs one step of ardour-session.lua. A step
# that wrote DONE finished its work: if Ardour then exits with an error, it crashed while closing,
# and the step runs again on the session as it was before (OUT emptied). A step that did not
# write DONE failed, and is not tried again. Sets `reason` when it fails.
ardour_step ()
{
    local name=$1 done=$2 session=$3 out=$4 status attempt
    shift 4
    local log="$out.log" before="$session.before"

    rm -rf "$before"
    [ ! -d "$session" ] || cp -a "$session" "$before"

    for ((attempt = 1; attempt <= attempts; ++attempt)); do
        rm -rf "$out" "$done"
        mkdir -p "$out"
        status=0
        timeout "$step_timeout" "$interpreter" "$session_script" "$@" > "$log" 2>&1 || status=$?
        # What the step says of Tavine and its renders, for the log.
        grep '^ardour: ' "$log" | grep -v 'closing the session$' | sed 's/^ardour: /    /' || true

        if [ ! -e "$done" ]; then
            sed 's/^/    | /' "$log"
            local detail
            detail=$(grep -m1 'FAILED\|Error' "$log" | sed 's/^ardour: FAILED: //') || detail=""
            if [ -z "$detail" ]; then
                if [ "$status" -eq 124 ]; then
                    detail="Ardour did not finish within $step_timeout s"
                elif [ "$status" -gt 128 ]; then
                    detail="Ardour died on signal $((status - 128)) before it finished"
                else
                    detail="Ardour exited with status $status before it finished"
                fi
            fi
            reason="the $name step failed: $detail"
            return 1
        fi

        if [ "$status" -eq 0 ]; then
            return 0
        fi

        echo "    Ardour exited with status $status while closing the session after the $name step" \
            "(attempt $attempt of $attempts): running the step again"
        rm -rf "$session"
        [ ! -d "$before" ] || cp -a "$before" "$session"
    done

    reason="Ardour crashed while closing the session after the $name step, $attempts times out of $attempts"
    return 1
}

# compare_render EXPECTED ACTUAL WHAT: says how close ACTUAL is to EXPECTED; sets `reason` when
# it is not EXPECTED.
compare_render ()
{
    local expected=$1 actual=$2 what=$3 result status=0
    result=$("$audio" compare "$expected" "$actual") || status=$?
    local closest
    closest=$(grep -m1 'largest difference' <<< "$result" | sed 's/.*: //') || closest=""

    if [ "$status" -eq 0 ]; then
        echo "    $what: same (${closest:-no difference})"
        return 0
    fi

    awk '{ print "    | " $0 }' <<< "$result"
    reason="$what: different (${closest:-$(tail -n1 <<< "$result")})"
    return 1
}

# check_format FORMAT: the whole check in one format; sets `reason` when it fails.
check_format ()
{
    local format=$1 plugin_type=$1
    local work="$scratch/$format"
    # Ardour calls VST2 on Linux LXVST.
    [ "$format" != VST2 ] || plugin_type=LXVST
    local session="$work/session"
    mkdir -p "$work"

    ardour_step create "$session/create.done" "$session" "$work/create" create "$session" tavine || return 1
    ardour_step first "$work/first/first.done" "$session" "$work/first" \
        first "$session" tavine "$plugin_type" "$red" "$green" "$blue" "$x2" \
        "$scratch/mono-in.wav" "$scratch/stereo-in.wav" "$work/first" || return 1
    ardour_step again "$work/again/again.done" "$session" "$work/again" \
        again "$session" tavine "$work/again" "$red" "$green" "$blue" "$x2" || return 1

    for track in mono stereo; do
        compare_render "$scratch/$track-expected.wav" "$work/first/$track.wav" \
            "$track track, first render against tavine-render" || return 1
        compare_render "$work/first/$track.wav" "$work/again/$track.wav" \
            "$track track, render after reopening against the first" || return 1
    done

    if [ -e "$work/again/knobs.txt" ]; then
        # Every format alike: the LV2's knobs are control ports, which Ardour saves with the
        # session and shows again on reopening.
        reason="the renders match, but the reopened session shows other knob values than were set ($(cat "$work/again/knobs.txt"))"
        return 1
    fi
}

failures=()

for format in "${formats[@]}"; do
    check_step "Ardour: $format"
    format_started=$(date +%s)
    reason=""

    if check_format "$format"; then
        echo "Ardour $format: passed ($(($(date +%s) - format_started)) s)"
    else
        echo "Ardour $format: FAILED: $reason ($(($(date +%s) - format_started)) s)"
        failures+=("$format: $reason")
    fi
done

echo "Ardour: ${#formats[@]} format(s) in $(($(date +%s) - started)) s"

if [ ${#failures[@]} -gt 0 ]; then
    check_fail "Ardour: $(printf '%s; ' "${failures[@]}" | sed 's/; $//')"
fi
