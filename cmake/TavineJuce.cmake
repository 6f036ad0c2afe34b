# How our build meets Debian's JUCE.

# Debian's JUCE decodes images and audio files with the system libraries but does not link
# them itself.
pkg_check_modules (TAVINE_SYSTEM_LIBS REQUIRED IMPORTED_TARGET libpng libjpeg zlib flac vorbis vorbisenc vorbisfile ogg)

add_library (tavine_juce_system_libs INTERFACE)
target_link_libraries (tavine_juce_system_libs INTERFACE PkgConfig::TAVINE_SYSTEM_LIBS)

# Settings shared by every target that compiles JUCE modules.
add_library (tavine_juce_options INTERFACE)
target_compile_definitions (tavine_juce_options INTERFACE
    JUCE_WEB_BROWSER=0
    JUCE_USE_CURL=0
    JUCE_DISPLAY_SPLASH_SCREEN=0
    JUCE_REPORT_APP_USAGE=0
    JUCE_MODAL_LOOPS_PERMITTED=0)
target_link_libraries (tavine_juce_options INTERFACE
    tavine_juce_system_libs
    juce::juce_recommended_config_flags)

# The VST 2 interface comes from Debian's fst headers through our own include shim
# (plugin/vst2shim), which also supplies the preset bank layout.
juce_set_vst2_sdk_path ("${PROJECT_SOURCE_DIR}/plugin/vst2shim")

# JUCE 7.0.5's LV2 wrapper copies every declared audio input without checking whether the
# host connected it; a host running a mono layout may leave the second input unconnected,
# and the copy from a null port crashes. We compile a mended copy of the wrapper instead of
# the packaged one (see the mends below); configuring fails loudly if the packaged source no
# longer matches.
function (tavine_mend_lv2_wrapper)
    set (original "${JUCE_MODULES_DIR}/juce_audio_plugin_client/LV2/juce_LV2_Client.cpp")
    set (mended "${PROJECT_BINARY_DIR}/juce_mended/juce_audio_plugin_client_LV2.cpp")

    file (READ "${original}" source)

    set (unsafeCopy "            audio.copyFrom (i, 0, ports.getBufferForAudioInput (i), audio.getNumSamples());")
    set (safeCopy
"        {
            if (const auto* input = ports.getBufferForAudioInput (i))
                audio.copyFrom (i, 0, input, audio.getNumSamples());
            else
                audio.clear (i, 0, audio.getNumSamples());
        }")

    set (unsafeFill "                    std::fill (ptr, ptr + numSteps, 0.0f);")
    set (safeFill "                    if (ptr != nullptr) std::fill (ptr, ptr + numSteps, 0.0f);")

    # An LV2 plug-in has a fixed set of ports, and the wrapper takes them from the first of the
    # channel configurations: ours would be a mono plug-in. It takes the widest (the last)
    # instead, two in and two out; a host running a mono track leaves the second ports
    # unconnected, which the mends above make safe.
    set (firstConfiguration "channelConfigurations[0]")
    set (widestConfiguration "channelConfigurations[numElementsInArray (channelConfigurations) - 1]")

    foreach (pattern IN ITEMS unsafeCopy unsafeFill firstConfiguration)
        string (FIND "${source}" "${${pattern}}" found)

        if (found EQUAL -1)
            message (FATAL_ERROR "The packaged LV2 wrapper changed; review the mend in cmake/TavineJuce.cmake")
        endif()
    endforeach()

    string (REPLACE "${unsafeCopy}" "${safeCopy}" source "${source}")
    string (REPLACE "${unsafeFill}" "${safeFill}" source "${source}")
    string (REPLACE "${firstConfiguration}" "${widestConfiguration}" source "${source}")

    # Written through a scratch file so an unchanged result keeps its time stamp.
    file (WRITE "${mended}.new" "${source}")
    file (COPY_FILE "${mended}.new" "${mended}" ONLY_IF_DIFFERENT)
    set_property (DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${original}")

    get_target_property (wrapperSources juce_audio_plugin_client_LV2 INTERFACE_SOURCES)
    list (FILTER wrapperSources EXCLUDE REGEX "juce_audio_plugin_client_LV2\\.cpp$")
    list (APPEND wrapperSources "${mended}")
    set_target_properties (juce_audio_plugin_client_LV2 PROPERTIES INTERFACE_SOURCES "${wrapperSources}")
endfunction()

tavine_mend_lv2_wrapper()
