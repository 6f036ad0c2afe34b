#!/usr/bin/env bash
# A Windows plug-in DLL as a Windows host meets it: it exports exactly its format's entry points,
# and it needs no DLL beyond those every Windows has (no C++ runtime, no threads library, no
# image library: those are linked in).
#
#   CheckWindowsBinary.sh OBJDUMP BINARY EXPORT...
set -euo pipefail

objdump=$1
binary=$2
shift 2

headers=$("$objdump" -p "$binary")

# The export table's names, from the lines under "[Ordinal/Name Pointer] Table".
exports=$(awk '/\[Ordinal\/Name Pointer\] Table/ { table = 1; next } table && /^[ \t]*\[/ { print $NF; next } table { table = 0 }' <<< "$headers" | sort)
expected=$(printf '%s\n' "$@" | sort)

status=0

if [ "$exports" != "$expected" ]; then
    echo "$binary exports:"
    sed 's/^/  /' <<< "$exports"
    echo "but should export exactly:"
    sed 's/^/  /' <<< "$expected"
    status=1
fi

# Windows' own DLLs, and the API sets that stand for them.
system='^(advapi32|comctl32|comdlg32|crypt32|d2d1|d3d11|dwmapi|dwrite|dxgi|gdi32|imm32|iphlpapi|kernel32|msvcrt|ole32|oleaut32|opengl32|rpcrt4|setupapi|shell32|shlwapi|user32|uxtheme|version|winhttp|wininet|winmm|ws2_32|wsock32|api-ms-win-[a-z0-9-]+)\.dll$'
dlls=$(sed -n 's/^\s*DLL Name: //p' <<< "$headers" | tr 'A-Z' 'a-z' | sort -u)

if [ -z "$dlls" ]; then
    echo "$binary: no imports found; is it a Windows DLL?"
    status=1
fi

while read -r dll; do
    if [[ ! "$dll" =~ $system ]]; then
        echo "$binary needs $dll, which Windows does not have"
        status=1
    fi
done <<< "$dlls"

echo "$(basename "$binary"): exports $(echo $exports); needs $(echo $dlls)"
exit $status
