#!/usr/bin/env bash
# The setup program as administrators and scripts use it, silently, in a Wine prefix made
# afresh for each run: a whole installation checked file by file and key by key, the
# plug-ins hosted from where it put them, a move of the VST2 folder, an upgrade refused while
# a host holds the DLL, a bad command line, a smaller choice of components, and an uninstall
# that leaves the user's files and the shared folders alone.
#
#   InstallerTests.sh KEY=VALUE...
#
#   setup=      the setup program          stage=     the staged folder it was built from
#   version=    the version it installs    prefix=    the Wine prefix to make (deleted first)
#   wine=       wine                       wineserver= wineserver
#   version_info= hold_library=            the helper programs (Windows)
#   host_tests= vst3_tests= vst2_tests=    the hosting test programs (Windows)
#   compare=    CompareWithLinux.sh, then after it its first four arguments (compare_args=)
set -euo pipefail

for argument in "$@"; do
    case "$argument" in
        *=*) declare "${argument%%=*}=${argument#*=}" ;;
        *)
            echo "Usage: $0 KEY=VALUE..." >&2
            exit 2
            ;;
    esac
done

for key in setup stage version prefix wine wineserver version_info hold_library host_tests vst3_tests vst2_tests; do
    if [ -z "${!key:-}" ]; then
        echo "$0: $key= is missing" >&2
        exit 2
    fi
done

if [ ! -f "$setup" ]; then
    echo "$setup does not exist: build the target tavine_windows_installer first" >&2
    exit 1
fi

export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY

drive_c="$prefix/drive_c"
common_vst3="$drive_c/Program Files/Common Files/VST3"
default_vst2="$drive_c/Program Files/VSTPlugins"
moved_vst2="$drive_c/My Plug-ins/VST2"
program="$drive_c/Program Files/Tavine"
shortcut="$drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Tavine.lnk"
bundle_binary="Tavine.vst3/Contents/x86_64-win/Tavine.vst3"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tavine'
settings_key='HKLM\Software\wemb\Tavine'

failures=0

fail ()
{
    echo "FAILED: $*"
    failures=$((failures + 1))
}

phase ()
{
    echo
    echo "--- $*"
}

# Runs a Windows program in the prefix and waits for every process it started.
run ()
{
    local status=0
    "$wine" "$@" || status=$?
    "$wineserver" -w
    return $status
}

setup_exits_with ()
{
    local expected=$1 status=0
    shift
    run "$setup" "$@" || status=$?
    [ "$status" -eq "$expected" ] || fail "setup $* exited with $status, not $expected"
}

# A registry value from the 64-bit view, or nothing when it is not there.
registry_value ()
{
    { "$wine" reg query "$1" /v "$2" /reg:64 2> /dev/null || true; } | tr -d '\r' |
        sed -n "s/^ *$2 \{1,\}REG_[A-Z_]* \{1,\}//p"
}

registry_key_exists ()
{
    "$wine" reg query "$1" /reg:64 > /dev/null 2>&1
}

expect_value ()
{
    local actual
    actual=$(registry_value "$1" "$2")
    [ "$actual" = "$3" ] || fail "$1\\$2 is '$actual', not '$3'"
}

expect_same_file ()
{
    if [ ! -f "$2" ]; then
        fail "$2 is missing"
    elif ! cmp -s "$1" "$2"; then
        fail "$2 differs from $1"
    fi
}

expect_no_file ()
{
    [ ! -e "$1" ] || fail "$1 is still there"
}

# Every file under the folders Tavine touches, with its size, contents and time of writing: a
# file rewritten with the same bytes changes this too.
fingerprint ()
{
    find "$common_vst3" "$default_vst2" "$moved_vst2" "$program" "$shortcut" -type f -printf '%p %s %T@\n' 2> /dev/null | sort
    find "$common_vst3" "$default_vst2" "$moved_vst2" "$program" -type f -exec md5sum {} + 2> /dev/null | sort
    { "$wine" reg query "$settings_key" /reg:64 2> /dev/null || true; } | tr -d '\r'
    { "$wine" reg query "$uninstall_key" /reg:64 2> /dev/null || true; } | tr -d '\r'
}

phase "a fresh Wine prefix"
rm -rf "$prefix"
mkdir -p "$prefix"
"$wine" wineboot -i > /dev/null 2>&1
"$wineserver" -w

phase "silent installation of every component"
setup_exits_with 0 /S

expect_same_file "$stage/VST3/$bundle_binary" "$common_vst3/$bundle_binary"
expect_same_file "$stage/VST2/Tavine.dll" "$default_vst2/Tavine.dll"
expect_same_file "$stage/Standalone/Tavine.exe" "$program/Tavine.exe"
expect_same_file "$stage/LICENSE.txt" "$program/LICENSE.txt"
[ -f "$program/Uninstall.exe" ] || fail "no uninstaller in $program"
[ -f "$shortcut" ] || fail "no Start menu shortcut at $shortcut"
leftovers=$(find "$drive_c" -name '*.new' | head -n 5)
[ -z "$leftovers" ] || fail "files unpacked beside their targets were left: $leftovers"

expect_value "$uninstall_key" DisplayName "Tavine"
expect_value "$uninstall_key" DisplayVersion "$version"
expect_value "$uninstall_key" Publisher "wemb"
expect_value "$uninstall_key" DisplayIcon 'C:\Program Files\Tavine\Uninstall.exe,0'
expect_value "$uninstall_key" InstallLocation 'C:\Program Files\Tavine'
expect_value "$uninstall_key" UninstallString '"C:\Program Files\Tavine\Uninstall.exe"'
expect_value "$uninstall_key" QuietUninstallString '"C:\Program Files\Tavine\Uninstall.exe" /S'
expect_value "$uninstall_key" NoModify 0x1
expect_value "$uninstall_key" NoRepair 0x1
expect_value "$settings_key" Vst2Folder 'C:\Program Files\VSTPlugins'
expect_value "$settings_key" Components "VST3 VST2 Standalone"

# Windows shows EstimatedSize, in KiB, as the app's size: within a tenth of what is on disk.
estimated=$(( $(registry_value "$uninstall_key" EstimatedSize) ))
actual=$(( $(du -cbs "$common_vst3/Tavine.vst3" "$default_vst2/Tavine.dll" "$program" | tail -n 1 | cut -f 1) / 1024 ))
if [ $((estimated * 10)) -lt $((actual * 9)) ] || [ $((estimated * 10)) -gt $((actual * 11)) ]; then
    fail "EstimatedSize is $estimated KiB, but $actual KiB were installed"
fi

echo "installed: $(fingerprint | head -n 6 | cut -d ' ' -f 1 | sed "s|$drive_c|C:|" | tr '\n' ' ')"

phase "version information, as Explorer's Properties show it"
version_strings ()
{
    "$wine" "$version_info" "$1" | tr -d '\r'
}

expected_plugin=$(printf '%s\n' "FixedFileVersion: $version.0" "FixedProductVersion: $version.0" \
    "FileDescription: Tavine" "FileVersion: $version" "ProductName: Tavine" "ProductVersion: $version")
expected_program=$(printf '%s\n' "FixedFileVersion: $version.0" "FixedProductVersion: $version.0" "CompanyName: wemb" \
    "FileDescription: Tavine" "FileVersion: $version" "ProductName: Tavine" "ProductVersion: $version")
expected_installer=$(printf '%s\n' "FixedFileVersion: $version.0" "FixedProductVersion: $version.0" "CompanyName: wemb" \
    "FileDescription: Tavine $version installer" "FileVersion: $version" "ProductName: Tavine" "ProductVersion: $version" \
    "LegalCopyright: 2026 wemb, GPL-3.0-or-later")

for check in \
    "plugin|C:\\Program Files\\Common Files\\VST3\\Tavine.vst3\\Contents\\x86_64-win\\Tavine.vst3" \
    "plugin|C:\\Program Files\\VSTPlugins\\Tavine.dll" \
    "program|C:\\Program Files\\Tavine\\Tavine.exe" \
    "installer|C:\\Program Files\\Tavine\\Uninstall.exe" \
    "installer|Z:$(realpath "$setup" | tr / '\\')"; do
    kind=${check%%|*}
    file=${check#*|}
    expected_name="expected_$kind"
    actual_strings=$(version_strings "$file" || true)
    if [ "$actual_strings" != "${!expected_name}" ]; then
        fail "the version information of $file is"$'\n'"$actual_strings"$'\n'"not"$'\n'"${!expected_name}"
    else
        echo "$file: $(grep -c . <<< "$actual_strings") entries as expected"
    fi
done

phase "the installed plug-ins, hosted from where setup put them"
export TAVINE_TEST_VST3_MODULE='C:\Program Files\Common Files\VST3\Tavine.vst3\Contents\x86_64-win\Tavine.vst3'
export TAVINE_TEST_VST2_LIBRARY='C:\Program Files\VSTPlugins\Tavine.dll'
run "$vst3_tests" --gtest_brief=1 || fail "the VST3 interface tests failed on the installed plug-in"
run "$vst2_tests" --gtest_brief=1 || fail "the VST2 interface tests failed on the installed plug-in"
# The editor tests need a display; the build's own run has them.
run "$host_tests" --gtest_brief=1 "--gtest_filter=-*HostedEditor*" || fail "the hosting tests failed on the installed plug-ins"
unset TAVINE_TEST_VST3_MODULE TAVINE_TEST_VST2_LIBRARY

if [ -n "${compare:-}" ]; then
    read -r -a linux_side <<< "$compare_args"
    bash "$compare" "${linux_side[@]}" \
        'C:\Program Files\Common Files\VST3\Tavine.vst3\Contents\x86_64-win\Tavine.vst3' \
        'C:\Program Files\VSTPlugins\Tavine.dll' "$wine" ||
        fail "the installed plug-ins do not sound like the Linux build"
fi

phase "installing again with another VST2 folder, then with none given"
setup_exits_with 0 /S '/VST2DIR=C:\My Plug-ins\VST2\'
expect_same_file "$stage/VST2/Tavine.dll" "$moved_vst2/Tavine.dll"
expect_no_file "$default_vst2/Tavine.dll"
expect_value "$settings_key" Vst2Folder 'C:\My Plug-ins\VST2'

setup_exits_with 0 /S
expect_same_file "$stage/VST2/Tavine.dll" "$moved_vst2/Tavine.dll"
expect_no_file "$default_vst2/Tavine.dll"
expect_value "$settings_key" Vst2Folder 'C:\My Plug-ins\VST2'

# Keeps the installed Tavine.dll loaded in a Wine process, as a host that has it open does,
# until release_vst2.
hold_vst2 ()
{
    rm -f "$drive_c/release-library"
    "$wine" "$hold_library" 'C:\My Plug-ins\VST2\Tavine.dll' 'C:\release-library' > "$prefix/hold.log" 2>&1 &
    holder=$!
    for _ in $(seq 1 100); do
        grep -q loaded "$prefix/hold.log" 2> /dev/null && return 0
        sleep 0.2
    done
    fail "the helper could not load the installed Tavine.dll: $(cat "$prefix/hold.log")"
}

release_vst2 ()
{
    touch "$drive_c/release-library"
    wait "$holder" || fail "the helper holding Tavine.dll failed"
    "$wineserver" -w
}

phase "an upgrade while a host holds Tavine.dll"
# What an older installation recorded, to see that a refused upgrade leaves it alone.
"$wine" reg add "$settings_key" /v Version /d 1.0.0 /f /reg:64 > /dev/null
"$wine" reg add "$uninstall_key" /v DisplayVersion /d 1.0.0 /f /reg:64 > /dev/null
hold_vst2

before=$(fingerprint)
status=0
"$wine" "$setup" /S || status=$?
[ "$status" -eq 3 ] || fail "setup exited with $status while Tavine.dll was held, not 3 (files in use)"
after=$(fingerprint)
if [ "$before" != "$after" ]; then
    fail "a refused upgrade changed the installation:"$'\n'"$(diff <(echo "$before") <(echo "$after") || true)"
fi
leftovers=$(find "$drive_c" -name '*.new' | head -n 5)
[ -z "$leftovers" ] || fail "a refused upgrade left files unpacked beside their targets: $leftovers"

release_vst2

# The same with the uninstaller, run where it lies so that its exit code comes back. A batch
# file passes the command line as an administrator types it: the _?= folder must not be quoted.
printf '%s\r\n' '@"C:\Program Files\Tavine\Uninstall.exe" /S _?=C:\Program Files\Tavine' '@exit /b %errorlevel%' > "$drive_c/uninstall-in-place.bat"
hold_vst2
before=$(fingerprint)
status=0
"$wine" cmd /c 'C:\uninstall-in-place.bat' || status=$?
[ "$status" -eq 3 ] || fail "the uninstaller exited with $status while Tavine.dll was held, not 3 (files in use)"
after=$(fingerprint)
[ "$before" = "$after" ] || fail "a refused uninstall changed the installation"
release_vst2

phase "a command line setup does not understand"
before=$(fingerprint)
setup_exits_with 2 /S /COMPONENTS=VST3,VST4
setup_exits_with 2 /S '/VST2DIR=Plug-ins'
after=$(fingerprint)
[ "$before" = "$after" ] || fail "a refused command line changed the installation"

phase "the VST3 plug-in alone"
setup_exits_with 0 /S /COMPONENTS=vst3
expect_same_file "$stage/VST3/$bundle_binary" "$common_vst3/$bundle_binary"
expect_no_file "$moved_vst2/Tavine.dll"
expect_no_file "$program/Tavine.exe"
expect_no_file "$shortcut"
expect_value "$settings_key" Components "VST3"
expect_value "$settings_key" Vst2Folder ""
expect_value "$settings_key" Version "$version"
[ -d "$moved_vst2" ] || fail "the VST2 folder itself was removed"

phase "everything again, then a silent uninstall as Windows' settings run it"
setup_exits_with 0 /S
expect_same_file "$stage/VST2/Tavine.dll" "$default_vst2/Tavine.dll"
echo "the user's own" > "$default_vst2/Other plug-in.dll"
echo "the user's own" > "$common_vst3/Other.vst3"

quiet=$(registry_value "$uninstall_key" QuietUninstallString)
uninstaller=$(sed 's/^"\([^"]*\)".*/\1/' <<< "$quiet")
[ "$quiet" = "\"$uninstaller\" /S" ] || fail "QuietUninstallString is '$quiet'"
# The uninstaller hands over to a copy of itself in the temporary folder, which can delete
# the original; run waits for that copy too.
status=0
run "$uninstaller" /S || status=$?
[ "$status" -eq 0 ] || fail "the uninstaller exited with $status"

remaining=$(find "$drive_c" -iname '*tavine*' | head -n 10)
[ -z "$remaining" ] || fail "Tavine's files remain:"$'\n'"$remaining"
registry_key_exists "$uninstall_key" && fail "the Uninstall key remains"
registry_key_exists "$settings_key" && fail "$settings_key remains"
registry_key_exists 'HKLM\Software\wemb' && fail "HKLM\\Software\\wemb remains"
[ -f "$default_vst2/Other plug-in.dll" ] || fail "the user's file in the VST2 folder was removed"
[ -f "$common_vst3/Other.vst3" ] || fail "the user's file in the VST3 folder was removed"
[ -d "$moved_vst2" ] || fail "the earlier VST2 folder was removed"

echo
if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi

echo "setup and uninstaller: every check passed"
