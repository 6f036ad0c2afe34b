# Debian's source packages, for the libraries Debian builds for Linux alone that a build of ours
# for another target needs (Windows with MinGW, the web with emscripten): apt-get source fetches
# them, checked against Debian's signed index. Sourced, never run.

tavine_source_sudo=()

if [ "$(id -u)" -ne 0 ]; then
    tavine_source_sudo=(sudo)
fi

# Makes apt-get source work: adds bookworm's source index when apt knows none.
enable_source_packages ()
{
    if apt-get source --print-uris -qq zlib > /dev/null 2>&1; then
        return 0
    fi

    echo "Enabling Debian's source packages (bookworm main) for apt-get source"
    "${tavine_source_sudo[@]}" tee /etc/apt/sources.list.d/tavine-debian-sources.sources > /dev/null <<'SOURCES'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SOURCES
    "${tavine_source_sudo[@]}" apt-get update -q
}

# The file name of the source description apt-get would fetch, which carries the exact Debian
# version: zlib_1.2.13.dfsg-1.dsc.
source_description ()
{
    apt-get source --print-uris -qq "$1" | grep -o "[^/' ]*\.dsc" | head -n 1 | sed 's/%2[bB]/+/g'
}

# Fetches and unpacks the source packages named into the current folder. apt-get has checked
# the files against Debian's signed index; dpkg-source's own signature warnings (no Debian
# keyring here) go to sources.log.
unpack_source_packages ()
{
    apt-get source -qq --download-only "$@" > /dev/null

    local description
    for description in *.dsc; do
        dpkg-source -x "$description" > /dev/null 2>> sources.log
    done
}

# build_source_packages WHAT PREFIX RECIPE PACKAGE...: unless PREFIX holds a finished build,
# unpacks the PACKAGEs in a scratch folder and runs the function RECIPE there with PREFIX, where
# it installs what it builds. A build that fails leaves no PREFIX behind, and its logs in the
# scratch folder; WHAT names the build in what this says.
build_source_packages ()
{
    local what=$1 prefix=$2 recipe=$3
    shift 3

    if [ -f "$prefix/.complete" ]; then
        echo "$what: $prefix (cached)"
        return 0
    fi

    echo "Building $what from Debian's sources into $prefix"
    local work
    work=$(mktemp -d)
    rm -rf "$prefix"
    mkdir -p "$prefix"

    (cd "$work" && unpack_source_packages "$@" && "$recipe" "$prefix") \
        || { echo "Building $what failed; the logs are in $work" >&2; rm -rf "$prefix"; return 1; }

    rm -rf "$work"
    touch "$prefix/.complete"
}
