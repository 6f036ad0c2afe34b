#!/usr/bin/env bash
# Cross-builds Tavine for 64-bit Windows (the VST3 and VST2 plug-ins and the standalone program)
# with MinGW-w64, builds the setup program with NSIS, tests the results under Wine (the setup
# program included), and packs the zip for installing by hand.
#
#   tools/build-windows.sh            build, test and pack
#   tools/build-windows.sh --no-test  build and pack only
#
# Installs what it needs with apt-get. The libraries JUCE decodes images with (zlib, libpng,
# libjpeg) are built for Windows from Debian's own source packages, once: they are kept in
# $TAVINE_CACHE_DIR (default ~/.cache/tavine) under their Debian source versions.
#
# The Windows build goes to $TAVINE_WINDOWS_BUILD_DIR (default build-windows). The tests compare
# the Windows plug-ins with the Linux ones sample for sample, so the Linux plug-ins are built
# too, in $TAVINE_BUILD_DIR (default build), unless they are there already.
set -euo pipefail

cd "$(dirname "$0")/.."
source tools/dependencies.sh
source tools/debian-sources.sh

run_tests=1

for argument in "$@"; do
    case "$argument" in
        --no-test) run_tests=0 ;;
        *)
            echo "Usage: tools/build-windows.sh [--no-test]" >&2
            exit 2
            ;;
    esac
done

build=${TAVINE_WINDOWS_BUILD_DIR:-build-windows}
linux_build=${TAVINE_BUILD_DIR:-build}
cache=${TAVINE_CACHE_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/tavine}
triple=x86_64-w64-mingw32
toolchain="$PWD/cmake/toolchains/$triple.cmake"

TAVINE_PACKAGES+=("${TAVINE_WINDOWS_PACKAGES[@]}")
tavine_install_dependencies

# --- The libraries, from Debian's source packages -------------------------------------------

windows_sources=(zlib libpng1.6 libjpeg-turbo)

build_zlib ()
{
    (cd zlib-*/ && CHOST=$triple CC=$triple-gcc-posix AR=$triple-ar RANLIB=$triple-ranlib \
        ./configure --static --prefix="$1" > ../zlib.log && make -j2 libz.a >> ../zlib.log && make install >> ../zlib.log)
}

build_libpng ()
{
    (cd libpng1.6-*/ && ./configure --host=$triple CC=$triple-gcc-posix --disable-shared --prefix="$1" \
        CPPFLAGS="-I$1/include" LDFLAGS="-L$1/lib" > ../libpng.log && make -j2 install >> ../libpng.log)
}

build_libjpeg ()
{
    # JUCE compiles its decoder with JPEG_INTERNALS, which needs jpegint.h; the library does not
    # install it. Its Windows jconfig.h leaves out the boolean type once rpcndr.h was read, but
    # JUCE reads the library's headers inside a namespace of its own, where the type must exist.
    (cd libjpeg-turbo-*/ &&
        cmake -S . -B mingw -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
            -DCMAKE_INSTALL_PREFIX="$1" -DENABLE_SHARED=OFF -DWITH_SIMD=OFF -DWITH_TURBOJPEG=OFF > ../libjpeg.log 2>&1 &&
        cmake --build mingw --target install >> ../libjpeg.log 2>&1 &&
        cp jpegint.h "$1/include/" &&
        sed -i 's/^#ifndef __RPCNDR_H__\b.*/#if !defined(__RPCNDR_H__) || defined(__cplusplus)/' "$1/include/jconfig.h" &&
        grep -q "defined(__cplusplus)" "$1/include/jconfig.h")
}

# Builds the three libraries into $1, with the VST 2 interface headers beside them, copied so
# that no MinGW include path points into /usr/include.
build_windows_libraries ()
{
    mkdir -p "$1/include/pluginterfaces"
    build_zlib "$1" && build_libpng "$1" && build_libjpeg "$1" && cp -r /usr/include/pluginterfaces/fst "$1/include/pluginterfaces/"
}

windows_libraries ()
{
    enable_source_packages

    local key="" description
    for package in "${windows_sources[@]}"; do
        description=$(source_description "$package")
        [ -n "$description" ] || { echo "apt-get source knows no $package" >&2; return 1; }
        key+="${description%.dsc}+"
    done

    # The recipe, the compiler and the VST 2 headers copied in below are part of the key: a
    # change to any of them builds the folder anew.
    key+=$( (declare -f build_zlib build_libpng build_libjpeg; $triple-gcc-posix --version | head -n 1
        dpkg-query -W -f='${Version}' fst-dev) | sha256sum | cut -c 1-12)
    prefix="$cache/windows-libraries/$key"
    build_source_packages "zlib, libpng and libjpeg for Windows" "$prefix" build_windows_libraries "${windows_sources[@]}"
}

windows_libraries

# --- The Windows build ------------------------------------------------------------------------

# Debian's JUCE package lives in the build machine's multiarch folder, which a cross build
# does not search.
juce_dir=$(dirname "$(find /usr/lib -path '*/cmake/JUCE-*/JUCEConfig.cmake' -print -quit)")

# A build configured with other libraries (older versions, another recipe) has found them
# once and for all: it starts afresh. ccache keeps that cheap.
if [ -f "$build/CMakeCache.txt" ] && ! grep -qxF "TAVINE_SYSTEM_LIBS_LIBRARY_DIRS:INTERNAL=$prefix/lib" "$build/CMakeCache.txt"; then
    rm "$build/CMakeCache.txt"
fi

# The files in the zip are dated by the commit they were built from.
SOURCE_DATE_EPOCH=$(git log -1 --format=%ct 2> /dev/null || date +%s)
export SOURCE_DATE_EPOCH

cmake -S . -B "$build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DTAVINE_WINDOWS_PREFIX="$prefix" \
    -DJUCE_DIR="$juce_dir" \
    -DCMAKE_BUILD_TYPE=Release \
    -DTAVINE_WARNINGS_AS_ERRORS=ON \
    -DTAVINE_LINUX_BUILD_DIR="$(realpath -m "$linux_build")"
cmake --build "$build"

if [ "$run_tests" -eq 1 ]; then
    # The Linux plug-ins and renderer that the Windows build is compared with, and the locator
    # that finds the Linux build's picture of the editor in the Windows program's window.
    if [ ! -f "$linux_build/CMakeCache.txt" ]; then
        cmake -S . -B "$linux_build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTAVINE_WARNINGS_AS_ERRORS=ON
    fi

    cmake --build "$linux_build" --target tavine_plugin_render Tavine_VST3 Tavine_VST tavine_locate_window

    # The tests install the setup program.
    cmake --build "$build" --target tavine_windows_installer

    # The build's Wine prefix (the one the tests use) is made, or brought up to date, first
    # and in full, so that its setup does not run alongside the first tests. Then one Wine
    # server serves the whole run, instead of one started and stopped around every program:
    # that saves seconds a test. Wine's background services start with it here, away from
    # the tests' output, which CTest would otherwise wait on for as long as they run.
    export WINEPREFIX
    WINEPREFIX="$(realpath -m "$build")/wine"
    mkdir -p "$WINEPREFIX"
    wineserver -k 2> /dev/null || true
    WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" wine wineboot -i > /dev/null 2>&1
    wineserver -w
    wineserver -p > /dev/null 2>&1
    trap 'wineserver -k 2> /dev/null || true' EXIT
    WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" wine wineboot > /dev/null 2>&1

    ctest --test-dir "$build" --output-on-failure --timeout 900
fi

cmake --build "$build" --target tavine_windows_installer tavine_windows_zip
echo
echo "Windows build: $build/Tavine-*-windows-x64-setup.exe, the setup program, and"
echo "$build/Tavine-*-windows-x64.zip, for installing by hand"
