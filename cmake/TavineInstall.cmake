# What `cmake --install` puts under CMAKE_INSTALL_PREFIX, for packagers and system-wide
# installs: the plug-ins where hosts look for them, the two programs, their manual pages, the
# changelog and the licence. (tools/setup.sh installs into the user's home instead.)
#
# Everything belongs to the component "tavine" except the full licence text, component
# "licence": Debian's package carries the copyright file only, which points to the system's
# copy of the GPL (see cmake/TavinePackage.cmake).

# The documentation folder is named after the package, not after the project's capitalised
# name; set before GNUInstallDirs so that it stays a cache entry a packager can change.
set (CMAKE_INSTALL_DOCDIR "share/doc/tavine" CACHE PATH "Documentation (share/doc/tavine)")
include (GNUInstallDirs)

# Hosts look for system-wide plug-ins in <prefix>/lib/vst3, lib/lxvst and lib/lv2, never in a
# distribution's multiarch library folder (Debian's lib/x86_64-linux-gnu), so the plug-ins do
# not follow CMAKE_INSTALL_LIBDIR.
set (TAVINE_INSTALL_PLUGINDIR "lib" CACHE PATH "Where the vst3, lxvst and lv2 folders go, relative to the prefix")

# A plug-in is loaded, never run: read-only, as distributions install shared objects.
set (pluginPermissions OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)

install (TARGETS Tavine_VST3
    LIBRARY DESTINATION "${TAVINE_INSTALL_PLUGINDIR}/vst3/Tavine.vst3/Contents/${JUCE_TARGET_ARCHITECTURE}-linux"
    PERMISSIONS ${pluginPermissions}
    COMPONENT tavine)

install (TARGETS Tavine_VST
    LIBRARY DESTINATION "${TAVINE_INSTALL_PLUGINDIR}/lxvst"
    PERMISSIONS ${pluginPermissions}
    COMPONENT tavine)

# The LV2 bundle: the library, and the descriptions JUCE's helper writes next to it after
# linking.
install (TARGETS Tavine_LV2
    LIBRARY DESTINATION "${TAVINE_INSTALL_PLUGINDIR}/lv2/Tavine.lv2"
    PERMISSIONS ${pluginPermissions}
    COMPONENT tavine)
install (DIRECTORY "$<TARGET_FILE_DIR:Tavine_LV2>/"
    DESTINATION "${TAVINE_INSTALL_PLUGINDIR}/lv2/Tavine.lv2"
    COMPONENT tavine
    FILES_MATCHING PATTERN "*.ttl")

install (TARGETS Tavine_Standalone tavine_render
    RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}"
    COMPONENT tavine)

# The changelog in Debian's format, which a package needs, kept by hand in packaging/; its
# latest entry must be this version, or a package would say one version and contain another.
file (STRINGS "${PROJECT_SOURCE_DIR}/packaging/changelog" changelogTop LIMIT_COUNT 1)

if (NOT changelogTop MATCHES "^tavine \\(${PROJECT_VERSION}\\) ")
    message (FATAL_ERROR "packaging/changelog starts with \"${changelogTop}\": add an entry for ${PROJECT_VERSION} at its top")
endif()

# Whoever signed the latest entry maintains the package (cmake/TavinePackage.cmake): one place
# for the name and address.
file (STRINGS "${PROJECT_SOURCE_DIR}/packaging/changelog" changelogSignatures REGEX "^ -- ")
list (GET changelogSignatures 0 latestSignature)

if (NOT latestSignature MATCHES "^ -- ([^<>]+ <[^<> ]+@[^<> ]+>)  ")
    message (FATAL_ERROR "packaging/changelog: the latest entry is not signed \" -- Name <address>  date\": ${latestSignature}")
endif()

set (TAVINE_PACKAGE_MAINTAINER "${CMAKE_MATCH_1}")

set_property (DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${PROJECT_SOURCE_DIR}/packaging/changelog")

# Compressed as Debian wants it: best compression, and no name or time stamp inside, so that
# the same changelog always gives the same bytes.
set (packagingDir "${PROJECT_BINARY_DIR}/packaging")
add_custom_command (OUTPUT "${packagingDir}/changelog.gz"
    COMMAND "${CMAKE_COMMAND}" -E copy "${PROJECT_SOURCE_DIR}/packaging/changelog" "${packagingDir}/changelog"
    COMMAND gzip -9nf "${packagingDir}/changelog"
    DEPENDS "${PROJECT_SOURCE_DIR}/packaging/changelog"
    VERBATIM)

set (packagingFiles "${packagingDir}/changelog.gz")

# The manual pages are made from each program's own --help and --version, so they cannot fall
# behind the programs. Both answer without a display, as on a build server.
find_program (TAVINE_HELP2MAN help2man)

function (tavine_add_manual target programName summary)
    set (page "${packagingDir}/${programName}.1")
    add_custom_command (OUTPUT "${page}.gz"
        COMMAND "${CMAKE_COMMAND}" -E env --unset=DISPLAY
                "${TAVINE_HELP2MAN}" --no-info --section 1 --name "${summary}" --output "${page}" "$<TARGET_FILE:${target}>"
        COMMAND gzip -9nf "${page}"
        DEPENDS ${target}
        VERBATIM)
    set (packagingFiles ${packagingFiles} "${page}.gz" PARENT_SCOPE)
    install (FILES "${page}.gz" DESTINATION "${CMAKE_INSTALL_MANDIR}/man1" COMPONENT tavine)
endfunction()

if (TAVINE_SANITIZE OR TAVINE_FUZZ)
    # Instrumented builds are for finding faults, not for installing; their programs are not
    # run to describe themselves.
elseif (TAVINE_HELP2MAN)
    tavine_add_manual (Tavine_Standalone Tavine "stereo enhancer in a window of its own, playing the audio input")
    tavine_add_manual (tavine_render tavine-render "run audio files through the Tavine stereo enhancer")
else()
    message (WARNING "help2man was not found: the manual pages are neither made nor installed (apt-get install help2man)")
endif()

add_custom_target (tavine_packaging_files ALL DEPENDS ${packagingFiles})

install (FILES "${packagingDir}/changelog.gz" "${PROJECT_SOURCE_DIR}/packaging/copyright"
    DESTINATION "${CMAKE_INSTALL_DOCDIR}"
    COMPONENT tavine)
install (FILES "${PROJECT_SOURCE_DIR}/LICENSE"
    DESTINATION "${CMAKE_INSTALL_DOCDIR}"
    COMPONENT licence)
