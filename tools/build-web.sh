#!/usr/bin/env bash
# Builds Tavine for the web: the engine compiled to WebAssembly by Debian's emscripten
# (web/CMakeLists.txt), into a folder of static files ready to publish on any static host
# ($TAVINE_WEB_BUILD_DIR/site, default build-web/site). Then, unless --no-test, renders files
# through it in Node.js and checks them against tavine-render's renders of the same files; plays
# it live in an audio worklet in headless Chromium; draws the window there as tavine-render
# pictures it; uses the page as a user would, against tavine-render and tavine_snapshot
# (tests/web/PageInChromium.mjs); and uses it in headless Firefox ESR too. It builds those two
# programs in $TAVINE_BUILD_DIR (default build) unless they are there already.
#
#   tools/build-web.sh [--no-test]
#
# Installs what it needs with apt-get. JUCE's core includes zlib's header, which Debian ships
# for Linux alone, so zlib is built for WebAssembly from Debian's source package, once, and
# kept in $TAVINE_CACHE_DIR (default ~/.cache/tavine) under its version and the compiler's.
set -euo pipefail

cd "$(dirname "$0")/.."
source tools/dependencies.sh
source tools/debian-sources.sh

case "$*" in
    "") run_tests=1 ;;
    --no-test) run_tests=0 ;;
    *) echo "Usage: tools/build-web.sh [--no-test]" >&2 && exit 2 ;;
esac

web_build=${TAVINE_WEB_BUILD_DIR:-build-web}
linux_build=${TAVINE_BUILD_DIR:-build}
cache=${TAVINE_CACHE_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/tavine}

TAVINE_PACKAGES+=("${TAVINE_WEB_PACKAGES[@]}")
tavine_install_dependencies

build_web_zlib ()
{
    (cd zlib-*/ && emconfigure ./configure --static --prefix="$1" > ../zlib.log 2>&1 \
        && emmake make -j2 libz.a >> ../zlib.log 2>&1 && emmake make install >> ../zlib.log 2>&1)
}

web_zlib ()
{
    enable_source_packages

    local description
    description=$(source_description zlib)
    [ -n "$description" ] || { echo "apt-get source knows no zlib" >&2; return 1; }

    local key
    key="${description%.dsc}+$( (declare -f build_web_zlib; emcc --version | head -n 1) | sha256sum | cut -c 1-12)"
    zlib_prefix="$cache/web-zlib/$key"
    build_source_packages "zlib for WebAssembly" "$zlib_prefix" build_web_zlib zlib
}

web_zlib

emcmake cmake -S web -B "$web_build/engine" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DTAVINE_WEB_ZLIB="$zlib_prefix" -DTAVINE_WARNINGS_AS_ERRORS=ON
cmake --build "$web_build/engine"

site="$web_build/site"
rm -rf "$site"
mkdir -p "$site"
cp "$web_build/engine/tavine-engine.wasm" web/*.mjs web/index.html web/TavinePage.css "$site/"

# The window's artwork, as the plug-in compiles it in.
mkdir -p "$site/artwork"
cp resources/*.png "$site/artwork/"
echo "The web build: $site ($(du -sb "$site" | cut -f 1) bytes)"

if [ "$run_tests" -eq 0 ]; then
    exit 0
fi

render="$linux_build/tools/render/tavine-render"
snapshot="$linux_build/tools/snapshot/tavine_snapshot"

if [ ! -x "$render" ] || [ ! -x "$snapshot" ]; then
    cmake -S . -B "$linux_build" -G Ninja -DCMAKE_BUILD_TYPE=Release
    cmake --build "$linux_build" --target tavine_render tavine_snapshot
fi

node tests/web/RenderMatchesNative.mjs "$site/tavine-engine.wasm" "$render"
node tests/web/RatesAndKnobs.mjs

# The browser tests' two drivers, as the lock file pins them; the browsers are Debian's.
(cd tests/web && PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 PUPPETEER_SKIP_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error)
node tests/web/PlaybackInChromium.mjs "$site"
node tests/web/WindowMatchesPicture.mjs "$site" "$render"
node tests/web/PageInChromium.mjs "$site" "$render" "$snapshot"
node tests/web/PageInFirefox.mjs "$site" "$render"
