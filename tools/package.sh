#!/usr/bin/env bash
# Builds Tavine's Debian package and checks it as a packager would: lintian must accept it,
# and the package unpacked into a scratch root must work from there, with nothing of the
# build tree: its tavine-render renders the demo through its own VST3, and its VST2 and LV2
# render the same input.
#
# usage: tools/package.sh        (the package lands in $TAVINE_BUILD_DIR/package, else build/package)
set -euo pipefail

cd "$(dirname "$0")/.."
source tools/dependencies.sh
TAVINE_PACKAGES+=("${TAVINE_PACKAGING_PACKAGES[@]}")
tavine_install_dependencies

build=${TAVINE_BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build "$build" --target Tavine_VST3 Tavine_VST Tavine_LV2 Tavine_Standalone tavine_render tavine_packaging_files

version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail ()
{
    echo "FAIL: $*" >&2
    exit 1
}

echo
echo "== the install rules, into a prefix of our own"
cmake --install "$build" --prefix "$work/prefix" > /dev/null

for file in lib/vst3/Tavine.vst3/Contents/x86_64-linux/Tavine.so lib/lxvst/Tavine.so \
    lib/lv2/Tavine.lv2/manifest.ttl lib/lv2/Tavine.lv2/dsp.ttl lib/lv2/Tavine.lv2/libTavine.so \
    bin/Tavine bin/tavine-render share/man/man1/tavine-render.1.gz share/man/man1/Tavine.1.gz \
    share/doc/tavine/copyright share/doc/tavine/changelog.gz share/doc/tavine/LICENSE; do
    [ -e "$work/prefix/$file" ] || fail "cmake --install did not install $file"
done

echo "installs every file under the prefix"

echo
echo "== the Debian package"
rm -rf "$build/package"
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$build/package" > "$work/cpack.log" || {
    cat "$work/cpack.log"
    fail "cpack could not build the package"
}
package=$(ls "$build"/package/tavine_*.deb)
dpkg-deb --info "$package" | sed -n '/Package:/,$p'

echo
echo "== lintian"
# Running as root (in CI) earns a note on standard error that is not about the package.
lintian --fail-on error "$package" 2> >(grep -v 'running with root privileges' >&2) || fail "lintian rejects the package"
echo "lintian: no errors"

echo
echo "== the package unpacked into a scratch root"
root=$work/root
dpkg-deb --extract "$package" "$root"

# Nothing outside /usr, and no file in the package that the install rules did not put there.
if outside=$(dpkg-deb --contents "$package" | awk '{ print $6 }' | grep -v '^\./usr/'); then
    fail "the package installs outside /usr: $outside"
fi

# The installed binaries must run from where they are, not from the build tree.
for binary in "$root"/usr/bin/* "$root"/usr/lib/vst3/Tavine.vst3/Contents/*/Tavine.so \
    "$root"/usr/lib/lxvst/Tavine.so "$root"/usr/lib/lv2/Tavine.lv2/libTavine.so; do
    if readelf --dynamic "$binary" | grep -Eq '\((RPATH|RUNPATH)\)'; then
        fail "$binary has a library search path: $(readelf --dynamic "$binary" | grep -E 'R(UN)?PATH')"
    fi
done

[ "$(env -u DISPLAY "$root/usr/bin/tavine-render" --version)" = "tavine-render $version" ] || fail "tavine-render --version does not say $version"
[ "$(env -u DISPLAY "$root/usr/bin/Tavine" --version)" = "Tavine $version" ] || fail "Tavine --version does not say $version"

echo "the binaries carry no search path into the build tree, and say version $version"

# The demo through the VST3 that the package installed, by the tavine-render that it installed.
demo=$work/demo
env -u DISPLAY "$root/usr/bin/tavine-render" --demo --demo-dir "$demo" --plugin "$root/usr/lib/vst3/Tavine.vst3" | tee "$work/demo.log"

# Where the demo put its files, as it says.
input=$(awk '$1 == "input" { print $2 }' "$work/demo.log")
output=$(awk '$1 == "output" { print $2 }' "$work/demo.log")
[ -s "$input" ] && [ -s "$output" ] || fail "the demo did not say where its input and output are, or left them empty"

# The installed VST2 and LV2 load and render the same input to a file of the same layout and
# length. (Their samples differ from the VST3's in the noise floor each instance seeds for
# itself; the hosting tests compare the formats' sound within that.)
for plugin in "$root/usr/lib/lxvst/Tavine.so" "$root/usr/lib/lv2/Tavine.lv2"; do
    env -u DISPLAY "$root/usr/bin/tavine-render" "$input" "$work/other.wav" --overwrite \
        --red 0.6 --green 0.5 --blue 0.7 --quiet --plugin "$plugin"
    [ "$(stat -c %s "$work/other.wav")" = "$(stat -c %s "$output")" ] || fail "$plugin does not render a file like the VST3's"
done

echo "the installed VST2 and LV2 render the demo's input as the installed VST3 does"
echo
echo "Package: $package"
