#!/usr/bin/env bash
# Checks Tavine in Audacity (3.2, as Debian ships it), headless: Audacity's start-up plug-in scan
# must accept the LV2 and the VST2, and Tavine applied to a clip through Audacity's scripting pipe
# must give what tavine-render gives, sample for sample and aligned, for a stereo and a mono
# track at 44.1, 48 and 96 kHz.
#
#   tools/hosts/audacity.sh [lv2|vst2 ...]     (from the repository root; default: both)
#
# Needs audacity, xvfb and xdotool. Exit status 0 when every check passed; otherwise the last
# line says what failed.
#
# How Audacity 3.2.4 is driven, and why:
# - It runs with a private HOME (and XDG folders, plug-in paths and temporary folder), so that
#   it neither reads nor writes the user's settings, plug-ins or projects.
# - The first launch only scans: the scan runs in a child Audacity that loads the scripting
#   module too and re-creates the pipe's files, so a pipe opened by that launch never answers.
#   The scripting module is switched on from the second launch on.
# - Both formats are named "Tavine"; each run enables one of them in pluginregistry.cfg.
# - Audacity ignores parameters given on a plug-in's command line (`Tavine: red=0.6` applies the
#   defaults: it lists no parameters of VST2 or LV2 plug-ins to its scripting), so the knobs are
#   set through presets: for the VST2 a user preset that holds Tavine's own saved state, which
#   Audacity hands to the plug-in as its chunk; for the LV2 a preset of its control ports'
#   values, in a bundle of its own.
# - Audacity 3.2 does not compensate an LV2's latency (see lv2_latency_ignored); the output is
#   then checked against Tavine's own without compensation.
# - The pipe is /tmp/audacity_script_pipe.{to,from}.UID whatever TMPDIR says, and every
#   Audacity of this user that loads the module takes it over: the check refuses to start while
#   another Audacity of this user runs, and two checks take turns through a lock.

set -euo pipefail

hosts_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=common.sh
source "$hosts_dir/common.sh"

formats=("$@")
[ ${#formats[@]} -gt 0 ] || formats=(lv2 vst2)

for format in "${formats[@]}"; do
    case $format in
        lv2 | vst2) ;;
        *) check_fail "unknown format \"$format\" (lv2 or vst2)" ;;
    esac
done

for tool in audacity Xvfb xdotool flock setsid; do
    command -v "$tool" > /dev/null || check_fail "$tool is not installed (Debian packages: audacity xvfb xdotool)"
done

readonly rates=(44100 48000 96000)
readonly channel_counts=(2 1)
# The knobs by parameter ID, which is also each one's LV2 port symbol.
declare -rA knob=([red]=0.6 [green]=0.5 [blue]=0.7 [x2]=1)
readonly knob_options=(--red "${knob[red]}" --green "${knob[green]}" --blue "${knob[blue]}" --x2="${knob[x2]}")

# Seconds. A scan of a few dozen plug-ins takes a few seconds; the rest answers at once.
readonly scan_timeout=120
readonly start_timeout=60
readonly answer_timeout=60

readonly module=/usr/lib/audacity/modules/mod-script-pipe.so
uid=$(id -u)
readonly pipe_to=/tmp/audacity_script_pipe.to.$uid
readonly pipe_from=/tmp/audacity_script_pipe.from.$uid
readonly preset_name="Tavine host check"

[ -f "$module" ] || check_fail "Audacity's scripting module $module is missing"

home="$scratch/home"
config="$home/.config/audacity"
logs="$scratch/logs"
mkdir -p "$config" "$home/.vst" "$home/.lv2" "$logs"
cp "$artefacts/VST/Tavine.so" "$home/.vst/"
cp -R "$artefacts/LV2/Tavine.lv2" "$home/.lv2/"

vst2_path="$home/.vst/Tavine.so"
# The plug-in's URI is what Audacity registers the LV2 under: the subject that is an lv2:Plugin.
lv2_uri=$(awk '/^</ { subject = $1 } /a lv2:Plugin/ { gsub(/[<>]/, "", subject); print subject; exit }' \
    "$home/.lv2/Tavine.lv2/manifest.ttl")
[ -n "$lv2_uri" ] || check_fail "no lv2:Plugin in Tavine.lv2/manifest.ttl"

xvfb_pid=""
audacity_pid=""
to_fd=""
from_fd=""
pipes_ours=false
failures=()

# start_audacity LOG: starts Audacity on the virtual display with the private HOME, in a process
# group of its own so that the scan's child goes with it.
start_audacity ()
{
    env -u LV2_PATH -u VST_PATH -u LADSPA_PATH \
        HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share" \
        XDG_CACHE_HOME="$home/.cache" XDG_STATE_HOME="$home/.local/state" DISPLAY="$display" \
        setsid audacity > "$1" 2>&1 < /dev/null &
    audacity_pid=$!
}

stop_audacity ()
{
    if [ -n "$to_fd" ]; then
        exec {to_fd}>&- {from_fd}<&-
        to_fd="" from_fd=""
    fi
    [ -n "$audacity_pid" ] || return 0
    kill -- "-$audacity_pid" 2> /dev/null || kill "$audacity_pid" 2> /dev/null || true
    for _ in $(seq 50); do
        kill -0 "$audacity_pid" 2> /dev/null || break
        sleep 0.1
    done
    kill -KILL -- "-$audacity_pid" 2> /dev/null || true
    wait "$audacity_pid" 2> /dev/null || true
    audacity_pid=""
}

cleanup ()
{
    stop_audacity
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2> /dev/null || true
        wait "$xvfb_pid" 2> /dev/null || true
    fi
    # The pipe's files outlive a killed Audacity; they are ours only if our Audacity made them.
    if $pipes_ours; then
        rm -f "$pipe_to" "$pipe_from"
    fi
    rm -rf "$scratch"
}
trap cleanup EXIT
trap 'exit 130' INT TERM
# Anything that stops the check unforeseen says where.
trap 'echo "FAILED: tools/hosts/audacity.sh stopped at line $LINENO" >&2' ERR

# fault MESSAGE: records a failed check and goes on with the next one.
fault ()
{
    echo "FAILED: $*" >&2
    failures+=("$*")
}

# The pids of this user's running Audacity processes, from /proc (procps may not be installed).
audacity_pids ()
{
    local stat
    for stat in /proc/[0-9]*/comm; do
        if [ -O "$stat" ] && [ "$(cat "$stat" 2> /dev/null)" = audacity ]; then
            stat=${stat#/proc/}
            echo "${stat%/comm}"
        fi
    done
}

# Two checks on one machine would share the pipe: the module file serves as the lock, since
# every user of the pipe needs it.
exec {lock_fd}< "$module"
flock -n "$lock_fd" || check_fail "another Audacity check is running (it holds $module)"

if [ -n "$(audacity_pids)" ]; then
    check_fail "Audacity is running as $(id -un) (pid $(audacity_pids | paste -sd ' ' -)); it would share the scripting pipe: close it first"
fi

check_step "starting a virtual display"
Xvfb -displayfd 5 -nolisten tcp -screen 0 1280x1024x24 5> "$scratch/display" > "$logs/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
    [ -s "$scratch/display" ] && break
    kill -0 "$xvfb_pid" 2> /dev/null || check_fail "Xvfb did not start: $(tail -n 1 "$logs/xvfb.log")"
    sleep 0.1
done
[ -s "$scratch/display" ] || check_fail "Xvfb gave no display number in 10 s"
display=":$(cat "$scratch/display")"

# write_settings MODULE LAUNCH: Audacity's settings for a launch, MODULE 1 to load the scripting
# module and 0 not to. Written anew, with a temporary folder of its own, for each launch: one
# that found the last launch's open project would offer to recover it, in a dialog. The version
# that the first launch wrote comes along, or Audacity takes the settings for older ones and
# resets some of them (the welcome dialog's among them). English, for the windows' names.
write_settings ()
{
    mkdir -p "$scratch/audacity-temp-$2"
    cat > "$config/audacity.cfg" << EOF
[Module]
mod-script-pipe=$1
[ModulePath]
mod-script-pipe=$module
[ModuleDateTime]
mod-script-pipe=$(date -r "$module" +%Y-%m-%dT%H:%M:%S)
[Directories]
TempDir=$scratch/audacity-temp-$2
[GUI]
ShowSplashScreen=0
[Locale]
Language=en
[FileFormats/ExportFormat_SF1_Type]
WAV_10000=6
[Quality]
DitherAlgorithm=0
HQDitherAlgorithm=0
EOF
    if [ -f "$scratch/version.cfg" ]; then
        cat "$scratch/version.cfg" >> "$config/audacity.cfg"
    fi
}

# The names of the windows on the display: what a hung Audacity is waiting for shows there.
window_names ()
{
    local window
    for window in $(DISPLAY=$display xdotool search --onlyvisible --name '.' 2> /dev/null); do
        DISPLAY=$display xdotool getwindowname "$window" 2> /dev/null
    done | sort -u | paste -sd ',' -
}

has_window ()
{
    DISPLAY=$display xdotool search --onlyvisible --name "$1" > /dev/null 2>&1
}

# registry_entry PATH: "Enabled Valid Family" of the plug-in Audacity registered under PATH
# (a VST2 is registered as PATH;0, the shell's index), nothing when there is none.
registry_entry ()
{
    awk -v path="$1" '
        function report() { if (found) print enabled + 0, valid + 0, (family == "" ? "stub" : family) }
        /^\[/ { report(); found = 0; enabled = valid = family = ""; next }
        $0 == "Path=" path || $0 == "Path=" path ";0" { found = 1 }
        /^Enabled=/ { enabled = substr($0, 9) }
        /^Valid=/ { valid = substr($0, 7) }
        /^EffectFamily=/ { family = substr($0, 14) }
        END { report() }' "$config/pluginregistry.cfg" 2> /dev/null | head -n 1
}

# enable_only PATH: enables the plug-in registered under PATH and disables every other Tavine,
# since Audacity would offer both formats under one name.
enable_only ()
{
    local registry="$config/pluginregistry.cfg"
    awk -v path="$1" '
        FNR == NR {
            if (/^\[/) section = $0
            if ($0 == "Path=" path || $0 == "Path=" path ";0") wanted[section] = 1
            if ($0 == "Symbol=Tavine") tavine[section] = 1
            next
        }
        /^\[/ { section = $0 }
        /^Enabled=/ && (section in tavine) { $0 = "Enabled=" ((section in wanted) ? 1 : 0) }
        { print }' "$registry" "$registry" > "$registry.new"
    mv "$registry.new" "$registry"
}

# open_pipe: waits for the scripting module of the Audacity just started to make its pipe, and
# for its project window (a command that comes before the project is dropped, and the pipe
# never answers again), then opens both ends read-write, which on Linux never blocks, whatever
# Audacity does.
open_pipe ()
{
    local deadline=$((SECONDS + start_timeout))
    until [ -p "$pipe_to" ] && [ -p "$pipe_from" ] && has_window '^Audacity$'; do
        kill -0 "$audacity_pid" 2> /dev/null || return 1
        [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.2
    done
    pipes_ours=true
    exec {to_fd}<> "$pipe_to" {from_fd}<> "$pipe_from"
}

# ask COMMAND: sends one scripting command and puts its answer in $answer. Fails when Audacity
# reports a failure, dies, or does not answer in time (then $answer says what is on screen).
ask ()
{
    local line status=""
    answer=""
    printf '%s\n' "$1" >&"$to_fd"
    while IFS= read -r -t "$answer_timeout" -u "$from_fd" line; do
        case $line in
            "BatchCommand finished: "*)
                status=${line#BatchCommand finished: }
                # The answer ends with an empty line.
                IFS= read -r -t "$answer_timeout" -u "$from_fd" line || true
                break
                ;;
            *) answer+="$line"$'\n' ;;
        esac
    done
    if [ -z "$status" ]; then
        if kill -0 "$audacity_pid" 2> /dev/null; then
            answer="no answer in ${answer_timeout} s (windows: $(window_names))"
        else
            answer="Audacity quit"
        fi
        return 1
    fi
    [ "$status" = "OK" ]
}

# --- The scan -------------------------------------------------------------------------------

check_step "first launch: Audacity's plug-in scan"
write_settings 0 scan
start_audacity "$logs/scan.log"

# The scan is over when the project window shows: the scan's modal dialog comes before it, and
# the registry is written when that dialog closes.
deadline=$((SECONDS + scan_timeout))
until has_window '^Audacity$'; do
    kill -0 "$audacity_pid" 2> /dev/null || check_fail "Audacity quit during its plug-in scan: $(tail -n 1 "$logs/scan.log")"
    [ "$SECONDS" -lt "$deadline" ] || check_fail "Audacity's plug-in scan did not finish in ${scan_timeout} s (windows: $(window_names))"
    sleep 0.5
done

# Audacity tells of rejected plug-ins in a dialog after the project window opens. The registry
# says the same for each plug-in, so the dialog is only waited for when something was rejected.
rejection_dialog=""
if grep -q '^Valid=0' "$config/pluginregistry.cfg"; then
    for _ in $(seq 20); do
        if has_window '^New Plugins$'; then
            rejection_dialog=" and says so in its \"Incompatible plugin(s) found\" dialog"
            break
        fi
        sleep 0.5
    done
fi
stop_audacity
awk '/^\[/ { keep = ($0 == "[Version]") } keep' "$config/audacity.cfg" > "$scratch/version.cfg"
audacity_version=$(awk -F= '$1 == "Major" { a = $2 } $1 == "Minor" { b = $2 } $1 == "Micro" { c = $2 }
    END { print a "." b "." c }' "$scratch/version.cfg")
echo "Audacity $audacity_version"

# Audacity 3.2 reads an LV2's latency port for the effects it applies, but connects that port
# to a dummy (with every other output control port) before running the plug-in, so it reads 0
# and compensates nothing. Its output is Tavine's, delayed: that is accepted, and said.
lv2_latency_ignored=false
case $audacity_version in
    3.2.*) lv2_latency_ignored=true ;;
esac

declare -A accepted=()
for format in "${formats[@]}"; do
    if [ "$format" = vst2 ]; then
        path=$vst2_path family=VST
    else
        path=$lv2_uri family=LV2
    fi
    read -r enabled valid registered <<< "$(registry_entry "$path")" || true
    echo "$format: registry entry for $path: ${registered:-none} Enabled=${enabled:--} Valid=${valid:--}"
    if [ -z "${registered:-}" ]; then
        fault "$format: Audacity's scan did not register Tavine ($path)"
    elif [ "$registered" != "$family" ] || [ "$valid" != 1 ]; then
        fault "$format: Audacity's scan rejected Tavine (pluginregistry.cfg: $registered, Valid=$valid, Enabled=$enabled)$rejection_dialog"
    elif [ "$enabled" != 1 ]; then
        fault "$format: Audacity's scan accepted Tavine but left it disabled"
    else
        accepted[$format]=1
    fi
done

# --- Processing -----------------------------------------------------------------------------

# le32 NUMBER: NUMBER as four bytes, least significant first.
le32 ()
{
    local byte
    for byte in 0 8 16 24; do
        # shellcheck disable=SC2059
        printf "\\x$(printf '%02x' $((($1 >> byte) & 255)))"
    done
}

# relabel FILE RATE OUT: OUT is FILE with the samples unchanged and RATE in its header. The
# 32-bit float WAV files both tools write start with their format chunk: the rate is at byte 24
# and the bytes per second follow.
relabel ()
{
    local channels
    cp "$1" "$3"
    channels=$(od -An -tu2 -j22 -N2 "$1" | tr -d ' ')
    { le32 "$2"; le32 $(($2 * channels * 4)); } | dd of="$3" bs=1 seek=24 conv=notrunc status=none
}

# check_clip FORMAT RATE CHANNELS: one clip through Tavine in Audacity against tavine-render,
# with the knobs set.
check_clip ()
{
    local format=$1 rate=$2 channels=$3
    local case_name="$format, $rate Hz, $channels channel(s)"
    local dir="$scratch/$format-$rate-$channels"
    mkdir -p "$dir"

    "$audio" signal "$dir/in.wav" --rate "$rate" --channels "$channels"
    expected_render "$dir/in.wav" "$dir/expected.wav" "${knob_options[@]}"

    local command
    for command in "RemoveTracks:" "Import2: Filename=\"$dir/in.wav\"" "SetProject: Rate=$rate" "SelectAll:" \
        "Tavine:${apply_options}" "Export2: Filename=\"$dir/out.wav\" NumChannels=$channels"; do
        if ! ask "$command"; then
            fault "$case_name: \"$command\" failed: $(echo "$answer" | grep -v '^$' | tail -n 1)"
            return
        fi
    done

    if "$audio" compare "$dir/expected.wav" "$dir/out.wav" > "$dir/compare.txt"; then
        echo "$case_name: same ($(grep '^largest' "$dir/compare.txt"))"
        return
    fi

    if [ "$format" = lv2 ] && $lv2_latency_ignored; then
        expected_render "$dir/in.wav" "$dir/expected-late.wav" --no-latency-compensation "${knob_options[@]}"
        if "$audio" compare "$dir/expected-late.wav" "$dir/out.wav" > /dev/null; then
            echo "$case_name: same as Tavine without latency compensation (as Audacity $audacity_version applies LV2 effects)"
            return
        fi
    fi
    sed 's/^/    /' "$dir/compare.txt"

    # compare names the offset at which the files would match; at the tolerance, that offset is
    # the whole fault.
    local lag
    lag=$(awk '/^best match/ && $6 + 0 <= -120 { print $3 + 0 }' "$dir/compare.txt")
    if [ -n "$lag" ]; then
        fault "$case_name: Tavine's output comes $lag frames late in Audacity (latency not compensated)"
        return
    fi

    # A plug-in run at another rate than the clip's differs everywhere; tell that apart.
    local other
    for other in "${rates[@]}"; do
        [ "$other" != "$rate" ] || continue
        relabel "$dir/in.wav" "$other" "$dir/in-$other.wav"
        expected_render "$dir/in-$other.wav" "$dir/expected-$other.wav" "${knob_options[@]}"
        relabel "$dir/expected-$other.wav" "$rate" "$dir/expected-as-$other.wav"
        if "$audio" compare "$dir/expected-as-$other.wav" "$dir/out.wav" > /dev/null; then
            fault "$case_name: Audacity ran Tavine at $other Hz on a $rate Hz clip"
            return
        fi
    done
    fault "$case_name: not what tavine-render makes ($(grep -E '^(largest|best)' "$dir/compare.txt" | paste -sd ';' -))"
}

for format in "${formats[@]}"; do
    [ -n "${accepted[$format]:-}" ] || continue

    if [ "$format" = vst2 ]; then
        check_step "vst2: Tavine in Audacity, knobs ${knob_options[*]}"
        enable_only "$vst2_path"
        # The preset is the chunk Tavine saves for these settings; Audacity's settings file
        # keys a plug-in by base64 of its type, family, vendor and name.
        "$audio" signal "$scratch/state-in.wav" --rate "${rates[0]}" --channels 2
        "$render" "$scratch/state-in.wav" "$scratch/state-out.wav" --quiet --overwrite "${knob_options[@]}" \
            --save-state "$scratch/state.bin" > /dev/null
        vendor=$(awk -v path="$vst2_path;0" '/^\[/ { inside = 0 } $0 == "Path=" path { inside = 1 }
            inside && /^Vendor=/ { print substr($0, 8); exit }' "$config/pluginregistry.cfg")
        key=$(printf 'Effect_VST_%s_Tavine' "$vendor" | base64 -w0 | sed 's/=/\\=/g')
        cat >> "$config/pluginsettings.cfg" << EOF
[pluginsettings/base64\\:$key/private/UserPresets/$preset_name]
Chunk=$(base64 -w0 "$scratch/state.bin")
EOF
        apply_options=" Use_Preset=\"User Preset:$preset_name\""
    else
        check_step "lv2: Tavine in Audacity, knobs ${knob_options[*]}"
        enable_only "$lv2_uri"
        # Audacity offers the presets that apply to a plug-in as its factory presets, and
        # applies their port values (and nothing else) when it applies an effect.
        mkdir -p "$home/.lv2/tavine-host-check.lv2"
        {
            echo "@prefix lv2: <http://lv2plug.in/ns/lv2core#> ."
            echo "@prefix pset: <http://lv2plug.in/ns/ext/presets#> ."
            echo "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> ."
            echo "<urn:tavine:host-check:preset> a pset:Preset ;"
            echo "    lv2:appliesTo <$lv2_uri> ;"
            echo "    rdfs:label \"$preset_name\" ;"
            echo "    lv2:port"
            separator=","
            for id in red green blue x2; do
                [ "$id" != x2 ] || separator="."
                printf '        [ lv2:symbol "%s" ; pset:value %.6f ] %s\n' "$id" "${knob[$id]}" "$separator"
            done
        } > "$home/.lv2/tavine-host-check.lv2/manifest.ttl"
        apply_options=" Use_Preset=\"Factory Preset:$preset_name\""
    fi

    write_settings 1 "$format"
    rm -f "$pipe_to" "$pipe_from"
    start_audacity "$logs/$format.log"
    if ! open_pipe; then
        fault "$format: Audacity's scripting pipe did not open in ${start_timeout} s (windows: $(window_names))"
        stop_audacity
        continue
    fi

    if ! ask "GetInfo: Type=Commands Format=JSON"; then
        fault "$format: Audacity does not answer on its scripting pipe: $answer"
        stop_audacity
        continue
    fi
    if ! grep -q '"id":"Tavine"' <<< "$answer"; then
        fault "$format: Audacity does not offer Tavine as a command"
        stop_audacity
        continue
    fi
    parameters=$(awk '/"id":"Tavine"/ { inside = 1 } inside { print } inside && /"tip":/ { exit }' <<< "$answer" |
        grep -o '"key":"[^"]*"' | cut -d'"' -f4 | paste -sd ' ' -) || true
    echo "$format: Audacity's scripting lists Tavine with parameters: ${parameters:-none}"

    for rate in "${rates[@]}"; do
        for channels in "${channel_counts[@]}"; do
            check_clip "$format" "$rate" "$channels"
        done
    done
    stop_audacity
done

if [ ${#failures[@]} -gt 0 ]; then
    summary=${failures[0]}
    [ ${#failures[@]} -eq 1 ] || summary+=" (and $((${#failures[@]} - 1)) more failure(s) above)"
    check_fail "$summary"
fi
echo "Audacity: all checks passed (${formats[*]})"
