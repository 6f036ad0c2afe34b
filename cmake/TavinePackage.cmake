# `cpack -G DEB` (in the build folder, after a Release build): a Debian package of what
# cmake/TavineInstall.cmake installs, under /usr. tools/package.sh builds it, checks it with
# lintian and renders through the plug-in it installs.

set (CPACK_GENERATOR DEB)
set (CPACK_PACKAGE_NAME tavine)
set (CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set (CPACK_PACKAGE_VENDOR wemb)
set (CPACK_PACKAGING_INSTALL_PREFIX /usr)

# Only the component "tavine": Debian's copyright file points to the system's copy of the GPL,
# and a second full copy of the licence is what lintian reports as an extra licence file.
set (CPACK_INSTALL_CMAKE_PROJECTS "${PROJECT_BINARY_DIR};${PROJECT_NAME};tavine;/")

# Installed binaries keep no symbol tables; folders get the usual permissions whatever the
# umask of whoever builds the package.
set (CPACK_STRIP_FILES ON)
set (CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# Debian wants a name and an address here; they come from the changelog's latest entry.
set (CPACK_DEBIAN_PACKAGE_MAINTAINER "${TAVINE_PACKAGE_MAINTAINER}")
set (CPACK_DEBIAN_PACKAGE_SECTION sound)
set (CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set (CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)

# The libraries the binaries link, with the versions they need, as dpkg-shlibdeps finds them.
set (CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

# The standalone program loads JACK's library when it runs, if there is one; dpkg-shlibdeps
# cannot see that.
set (CPACK_DEBIAN_PACKAGE_SUGGESTS "libjack-jackd2-0 | libjack0")

set (CPACK_PACKAGE_DESCRIPTION_SUMMARY "stereo enhancer plug-in (VST3, VST2, LV2) and standalone program")
set (CPACK_DEBIAN_PACKAGE_DESCRIPTION [[
Tavine shapes a mix with three knobs: red adds a broad band around 80 Hz,
green raises the overall level and blue lifts the top of the spectrum above
10 kHz; a toggle nearly doubles all three. While it plays, rings around the
knobs and a scrolling panel show how steady, dense and transient the signal
is.

This package contains the plug-in as VST3 (/usr/lib/vst3), VST2
(/usr/lib/lxvst) and LV2 (/usr/lib/lv2), the standalone program Tavine,
which plays the audio input through the effect over ALSA or JACK, and
tavine-render, which runs audio files through it from the command line.
]])

include (CPack)
