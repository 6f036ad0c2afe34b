# Debian packages Tavine needs to build, test and install. Sourced by setup.sh, test.sh and
# package.sh.
#
# tavine_install_dependencies installs whatever is missing (using sudo when not root) and
# leaves the machine alone when everything is there.

TAVINE_PACKAGES=(
    build-essential cmake ninja-build ccache pkg-config
    patch                    # applies our mends to copies of JUCE's plug-in wrappers
    juce-modules-source      # JUCE 7 with its CMake package; pulls in X11, ALSA, FreeType, PNG, JPEG, FLAC, Vorbis
    fst-dev                  # the VST 2 interface headers
    lv2-dev lilv-utils       # the LV2 interface and its schema checker, and lv2ls/lv2info to check the bundle
    sordi                    # sord_validate and sordi, which read the bundle's description against the schema
    libgtest-dev libbenchmark-dev
    xvfb xauth xdotool imagemagick   # a display, a mouse and screenshots for the tests that open windows
    fonts-dejavu-core        # the typeface the artwork is drawn with
    libsndfile1-dev          # the renderer's audio files
    help2man                 # the manual pages, made from the programs' --help
    libjack-jackd2-dev       # the standalone program's JACK support (the library itself is loaded when it runs)
)

# What tools/package.sh needs beyond the build: dpkg-shlibdeps (dpkg-dev) for the package's
# dependencies, file (CPack finds the binaries with it) and lintian to check the package.
TAVINE_PACKAGING_PACKAGES=(dpkg-dev file lintian)

tavine_install_dependencies ()
{
    local missing=()
    local package

    for package in "${TAVINE_PACKAGES[@]}"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$package")
        fi
    done

    if [ "${#missing[@]}" -eq 0 ]; then
        return 0
    fi

    echo "Installing: ${missing[*]}"

    local sudo=()

    if [ "$(id -u)" -ne 0 ]; then
        sudo=(sudo)
    fi

    "${sudo[@]}" apt-get update -q
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
}

# What tools/build-windows.sh needs: MinGW-w64 (POSIX threads) to cross-build, Wine to run the
# results, a display for the editor tests and the setup wizard, dpkg-dev for apt-get source,
# and NSIS for the setup program.
TAVINE_WINDOWS_PACKAGES=(
    g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-x86-64-dev binutils-mingw-w64-x86-64
    wine64 wine
    dpkg-dev
    nsis
)

# What tools/build-web.sh needs: emscripten (Debian's, on its clang, wasm-ld and binaryen),
# Node.js, Chromium and Firefox ESR to run the tests of what it builds (npm's playwright-core
# and puppeteer-core drive Debian's browsers; neither downloads one), and dpkg-dev for apt-get
# source.
TAVINE_WEB_PACKAGES=(emscripten nodejs chromium firefox-esr dpkg-dev)

# What tools/host-check.sh needs: the hosts it drives, and a display for Audacity.
TAVINE_HOST_CHECK_PACKAGES=(
    lilv-utils               # lv2apply
    ardour                   # ardour7-lua, Ardour's headless Lua session
    audacity                 # with its scripting module, mod-script-pipe
    ecasound                 # automates the LV2 with its controller envelopes, and sets its controls by position
    jalv jackd2              # jalv's console sets and reads the knobs by symbol, on a JACK server with no sound card
    xvfb xdotool             # Audacity's display, and a look at its windows for dialogs
)
