#!/usr/bin/env bash
# One commit, one setup program: the binaries carry no link time, and building the setup
# program again from the same staged folder gives the same bytes.
#
#   CheckReproducible.sh OBJDUMP SETUP MAKENSIS MAKENSIS_ARGUMENTS... -- BINARY...
set -euo pipefail

objdump=$1
setup=$2
makensis=$3
shift 3

nsis_arguments=()
while [ "$#" -gt 0 ] && [ "$1" != "--" ]; do
    nsis_arguments+=("$1")
    shift
done
shift

status=0

for binary in "$@"; do
    stamp=$("$objdump" -p "$binary" | sed -n 's/^Time\/Date[[:space:]]*//p' | head -n 1)
    if [ "$stamp" != "Thu Jan  1 00:00:00 1970" ]; then
        echo "$binary carries a link time: $stamp"
        status=1
    fi
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$makensis" -V1 -NOCD "${nsis_arguments[@]/@OUTFILE@/$work/again.exe}"

if ! cmp "$setup" "$work/again.exe"; then
    echo "building the setup program again gave other bytes"
    status=1
fi

[ "$status" -eq 0 ] && echo "no link times; the setup program built again is the same, byte for byte"
exit $status
