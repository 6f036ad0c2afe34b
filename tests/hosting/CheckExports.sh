#!/usr/bin/env bash
# Each built plug-in binary exports its format's entry points and nothing else: two plug-ins
# in one host process that export the same names can end up calling each other's code.
#
# usage: CheckExports.sh BINARY ENTRY_POINT...
set -euo pipefail

binary=$1
shift
expected=$(printf '%s\n' "$@" | sort)

# Every symbol the binary defines in its dynamic symbol table, whatever its kind: code, data,
# weak and unique symbols alike.
exported=$(nm -D --defined-only --format=posix "$binary" | awk '{ print $1 }' | sort)

if [ "$exported" != "$expected" ]; then
    echo "FAIL: $binary exports $(printf '%s\n' "$exported" | grep -c .) symbols; only its entry points belong there."
    echo "Unexpected:"
    comm -13 <(printf '%s\n' "$expected") <(printf '%s\n' "$exported") | head -n 40 | sed 's/^/    /'
    echo "Missing:"
    comm -23 <(printf '%s\n' "$expected") <(printf '%s\n' "$exported") | sed 's/^/    /'
    exit 1
fi

echo "$binary exports exactly: $(printf '%s ' $expected)"
