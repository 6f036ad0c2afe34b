# Our mends of the packaged JUCE plug-in wrappers, carried the way Debian carries its own
# changes to upstream code: cmake/juce-patches holds a patch a mend, each with a header that
# says what it mends, why and what shows the fault, applied in the order of its series file to
# copies of the packaged wrapper sources, which the plug-ins compile in place of the packaged
# ones.
#
# A patch that no longer applies exactly (no fuzz, no offset) stops the configuration with its
# name, so that a JUCE update can neither drop nor misplace a mend. A packaged source that is
# not the one the patches were written against (packaged-sources.sha256) is reported, so that
# the mends get reviewed. docs/DEVELOPING.md says how to change a patch.
#
# Needs JUCE_MODULES_DIR (JUCE's CMake package sets it). The web build patches JUCE's core the
# same way, with the series in web/juce-patches.
set (TAVINE_JUCE_PATCHES "${CMAKE_CURRENT_LIST_DIR}/juce-patches")
set (TAVINE_JUCE_PATCHING "${PROJECT_BINARY_DIR}/juce_patching")
get_filename_component (TAVINE_REPOSITORY "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
find_program (TAVINE_PATCH_PROGRAM patch REQUIRED)

# tavine_patch_juce_module (MODULE PATCHES INTO): copies the sources of JUCE's MODULE that the
# folder PATCHES names in its packaged-sources.sha256 into the folder INTO, and applies the
# patches of its series file to them, in order.
function (tavine_patch_juce_module module patches into)
    set (client "${JUCE_MODULES_DIR}/${module}")
    set (changed "")
    file (RELATIVE_PATH shown "${TAVINE_REPOSITORY}" "${patches}")
    file (REMOVE_RECURSE "${into}")

    file (STRINGS "${patches}/packaged-sources.sha256" checksums)

    foreach (line IN LISTS checksums)
        if (NOT line MATCHES "^([0-9a-f]+)  (.+)$")
            message (FATAL_ERROR "${shown}/packaged-sources.sha256: not a checksum line: ${line}")
        endif()

        set (expected "${CMAKE_MATCH_1}")
        set (source "${CMAKE_MATCH_2}")
        file (SHA256 "${client}/${source}" actual)

        if (NOT actual STREQUAL expected)
            list (APPEND changed "${client}/${source}")
        endif()

        # JUCE's sources end their lines with CR LF, which reading them here drops; the
        # patches are written against LF alone.
        file (READ "${client}/${source}" text)
        string (REPLACE "\r" "" text "${text}")
        file (WRITE "${into}/${source}" "${text}")
        set_property (DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${client}/${source}")
    endforeach()

    file (STRINGS "${patches}/series" series REGEX "^[^#]")

    foreach (patch IN LISTS series)
        execute_process (COMMAND "${TAVINE_PATCH_PROGRAM}" --batch --forward --fuzz=0 --no-backup-if-mismatch
                                 --reject-file=- -p1 -d "${into}" -i "${patches}/${patch}"
                         RESULT_VARIABLE failed
                         OUTPUT_VARIABLE output
                         ERROR_VARIABLE output)

        # patch reports a hunk it found elsewhere than the patch says as an offset.
        if (failed OR output MATCHES "offset|fuzz")
            message (FATAL_ERROR "${shown}/${patch} no longer applies exactly to "
                                 "${client}; review the mend against the new source:\n${output}")
        endif()

        set_property (DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${patches}/${patch}")
    endforeach()

    set_property (DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
                  "${patches}/series" "${patches}/packaged-sources.sha256")

    foreach (source IN LISTS changed)
        message (WARNING "Debian's JUCE changed ${source} since the patches in ${shown} "
                         "were written. They still apply exactly, but review each one against the "
                         "new source, then record its checksum in packaged-sources.sha256.")
    endforeach()
endfunction()

# Compiles a format's patched wrapper source in place of the packaged one.
function (tavine_use_patched_wrapper kind source)
    set (patched "${PROJECT_BINARY_DIR}/juce_mended/juce_audio_plugin_client_${kind}_mended.cpp")

    # Copied only when it changed, so that a new configuration rebuilds nothing.
    file (MAKE_DIRECTORY "${PROJECT_BINARY_DIR}/juce_mended")
    file (COPY_FILE "${TAVINE_JUCE_PATCHING}/${source}" "${patched}" ONLY_IF_DIFFERENT)

    # The wrapper target lists the format's entry file, which includes the packaged source;
    # JUCE offers no other way in, so the entry file in the list is swapped for the patched copy.
    get_target_property (wrapperSources juce_audio_plugin_client_${kind} INTERFACE_SOURCES)
    list (FILTER wrapperSources EXCLUDE REGEX "/juce_audio_plugin_client_${kind}2?\\.cpp$")
    list (APPEND wrapperSources "${patched}")
    set_target_properties (juce_audio_plugin_client_${kind} PROPERTIES INTERFACE_SOURCES "${wrapperSources}")
endfunction()
