#!/usr/bin/env bash
# The LV2 bundle's description as strict LV2 tools read it, with the tools Debian ships:
# - the LV2 schema (lv2_validate, that is sord_validate over the installed LV2 vocabularies)
#   finds no error in our files;
# - ranges and defaults are floats, as LV2 wants them, never integers;
# - the plug-in names its licence, its maker's homepage and a specific plug-in class;
# - every audio port is one that hosts connect, not an optional one;
# - x2 names its two ends "Off" and "On", so that LV2 hosts can show its state;
# - the knobs are the first four ports, control inputs under their own symbols and names, x2 a
#   toggle, and the only controls a host offers the user: no parameter properties that hosts
#   would list beside them, and no free-wheeling port;
# - no preset with an empty label, which hosts would list as a blank entry.
#
# usage: CheckLv2Metadata.sh BUNDLE URI
set -euo pipefail

bundle=$(realpath "$1")
uri=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

fail ()
{
    echo "FAIL: $*"
    failures=$((failures + 1))
}

lv2="http://lv2plug.in/ns/lv2core#"
xsd="http://www.w3.org/2001/XMLSchema#"

# 1. The schema. Errors in the installed vocabularies themselves are not ours: they are
#    counted once with a file that says nothing, and our files may add none.
errors_with ()
{
    lv2_validate "$@" > "$work/validate.log" 2>&1 || true
    sed -n 's/^Found \([0-9]*\) errors.*/\1/p' "$work/validate.log"
}

echo "@prefix lv2: <${lv2}> ." > "$work/nothing.ttl"
baseline=$(errors_with "$work/nothing.ttl")
ours=$(errors_with "$bundle/manifest.ttl" "$bundle/dsp.ttl" "$bundle/ui.ttl")

if [ -z "$baseline" ] || [ -z "$ours" ]; then
    fail "lv2_validate gave no count of errors:"
    cat "$work/validate.log"
elif [ "$ours" -ne "$baseline" ]; then
    fail "the LV2 schema finds $((ours - baseline)) error(s) in the bundle:"
    grep -A4 '^error' "$work/validate.log" || true
fi

# 2. The statements themselves, one per line.
for file in manifest dsp ui; do
    sordi -i turtle -o ntriples "$bundle/$file.ttl" "file://$bundle/" > "$work/$file.nt"
done

cat "$work"/*.nt > "$work/all.nt"

if grep -E "<${lv2}(default|minimum|maximum)> \"[^\"]*\"\\^\\^<${xsd}integer>" "$work/all.nt"; then
    fail "ranges or defaults written as integers (above); LV2 wants floats"
fi

if grep -E "<http://www.w3.org/1999/02/22-rdf-syntax-ns#value> \"[^\"]*\"\\^\\^<${xsd}integer>" "$work/all.nt"; then
    fail "scale point values written as integers (above)"
fi

grep -q -F "<${uri}> <http://usefulinc.com/ns/doap#license> <http://spdx.org/licenses/GPL-3.0-or-later> ." "$work/all.nt" \
    || fail "no doap:license naming GPL-3.0-or-later"

if grep -F '<http://www.w3.org/2000/01/rdf-schema#label> "" .' "$work/all.nt"; then
    fail "an empty label (above): hosts would list a blank entry"
fi

scale_points=$(grep -c -F "<${lv2}scalePoint>" "$work/all.nt" || true)

if [ "$scale_points" -ne 2 ]; then
    fail "x2 has $scale_points scale points, not 2"
fi

for label in Off On; do
    grep -q -F "<http://www.w3.org/2000/01/rdf-schema#label> \"$label\" ." "$work/dsp.nt" || fail "no scale point labelled \"$label\""
done

# 3. The plug-in as an LV2 host sees it through lilv, with the installed vocabularies on
#    the path so that the classes are known.
LV2_PATH="$(dirname "$bundle"):/usr/lib/lv2" lv2info "$uri" > "$work/info.txt"

class=$(sed -n 's/^[[:space:]]*Class:[[:space:]]*\(.*\)$/\1/p' "$work/info.txt" | head -n 1)

if [ -z "$class" ] || [ "$class" = "Plugin" ]; then
    fail "the plug-in class is '${class}', the base class; a specific one belongs there"
fi

grep -q -E '^[[:space:]]*Author Homepage:[[:space:]]+https?://' "$work/info.txt" || fail "no maintainer homepage"

# Each port is a block that starts with "Port N:"; an audio port must not be optional.
optional=$(awk '
    /^[[:space:]]*Port [0-9]+:/ { if (audio && optional) print port; port = $0; audio = 0; optional = 0; next }
    /AudioPort/ { audio = 1 }
    /connectionOptional/ { optional = 1 }
    END { if (audio && optional) print port }
' "$work/info.txt")

if [ -n "$optional" ]; then
    fail "audio ports marked optional, which hosts leave unconnected:" $optional
fi

audio_ports=$(grep -c -F "${lv2}AudioPort" "$work/info.txt" || true)

if [ "$audio_ports" -ne 4 ]; then
    fail "$audio_ports audio ports, not two in and two out"
fi

# 4. The controls hosts offer the user.
if grep -q -E "<http://lv2plug.in/ns/ext/patch#(writable|readable)>|<${lv2}Parameter>" "$work/all.nt"; then
    fail "parameter properties beside the control ports: hosts that read both list every knob twice"
fi

if grep -q -F "<${lv2}freeWheeling>" "$work/all.nt"; then
    fail "a free-wheeling port, which hosts list among the user's controls"
fi

# "index symbol name toggled" for each port, from lv2info's blocks in index order.
awk '
    function flush() { if (port != "") print port, symbol, name, toggled }
    /^[[:space:]]*Port [0-9]+:/ { flush(); port = $2; sub(":", "", port); symbol = "-"; name = "-"; toggled = 0; next }
    /^[[:space:]]*Symbol:/ { symbol = $2 }
    /^[[:space:]]*Name:/ { name = $2 }
    /lv2core#toggled/ { toggled = 1 }
    END { flush() }
' "$work/info.txt" > "$work/ports.txt"

expected_knobs="0 red red 0
1 green green 0
2 blue blue 0
3 x2 x2 1"

if [ "$(head -n 4 "$work/ports.txt")" != "$expected_knobs" ]; then
    fail "the first four ports are not the knobs red, green, blue and the toggle x2:"
    head -n 4 "$work/ports.txt"
fi

for index in 0 1 2 3; do
    sed -n "/^[[:space:]]*Port $index:/,/^[[:space:]]*Port $((index + 1)):/p" "$work/info.txt" | grep -q "ControlPort" \
        || fail "port $index is not a control port"
done

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) of the LV2 description failed"
    exit 1
fi

echo "the LV2 description of $uri passes every check (class: $class)"
