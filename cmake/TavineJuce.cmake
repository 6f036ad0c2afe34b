# How our build meets Debian's JUCE.

# Debian's JUCE decodes images and audio files with the system libraries but does not link
# them itself.
if (WIN32)
    # Built for Windows from Debian's sources by tools/build-windows.sh. Nothing of ours reads
    # FLAC or Ogg files on Windows, so JUCE's readers for them are left out (below) and only
    # the image libraries are linked; JUCE names zlib by its bare name, hence the folder.
    pkg_check_modules (TAVINE_SYSTEM_LIBS REQUIRED IMPORTED_TARGET libpng libjpeg zlib)
else()
    pkg_check_modules (TAVINE_SYSTEM_LIBS REQUIRED IMPORTED_TARGET libpng libjpeg zlib flac vorbis vorbisenc vorbisfile ogg)
endif()

add_library (tavine_juce_system_libs INTERFACE)
target_link_libraries (tavine_juce_system_libs INTERFACE PkgConfig::TAVINE_SYSTEM_LIBS)

if (WIN32)
    # For every target: a plug-in links our static libraries, whose usage requirements stop
    # short of their link folders.
    link_directories (${TAVINE_SYSTEM_LIBS_LIBRARY_DIRS})
endif()

# Settings shared by every target that compiles JUCE modules.
add_library (tavine_juce_options INTERFACE)
target_compile_definitions (tavine_juce_options INTERFACE
    JUCE_WEB_BROWSER=0
    JUCE_USE_CURL=0
    JUCE_DISPLAY_SPLASH_SCREEN=0
    JUCE_REPORT_APP_USAGE=0
    JUCE_MODAL_LOOPS_PERMITTED=0
    $<$<BOOL:${WIN32}>:JUCE_USE_FLAC=0>
    $<$<BOOL:${WIN32}>:JUCE_USE_OGGVORBIS=0>)
target_link_libraries (tavine_juce_options INTERFACE tavine_juce_system_libs)

# JUCE's recommended flags add -O3 to every Release compile, after CMAKE_CXX_FLAGS_RELEASE. The
# sanitizer and fuzzing builds ask for light optimisation there (-O1); with -O3 on top, their
# JUCE modules take twice as long to compile, for tests that gain nothing from it.
if (NOT TAVINE_SANITIZE AND NOT TAVINE_FUZZ)
    target_link_libraries (tavine_juce_options INTERFACE juce::juce_recommended_config_flags)
endif()

# The VST 2 interface comes from Debian's fst headers through our own include shim
# (plugin/vst2shim), which also supplies the preset bank layout.
juce_set_vst2_sdk_path ("${PROJECT_SOURCE_DIR}/plugin/vst2shim")

# A few faults of the packaged JUCE 7.0.5 plug-in wrappers are mended by the patches in
# cmake/juce-patches (see TavineJucePatches.cmake); the plug-ins compile the patched copies.
include ("${CMAKE_CURRENT_LIST_DIR}/TavineJucePatches.cmake")

tavine_patch_juce_module (juce_audio_plugin_client "${TAVINE_JUCE_PATCHES}" "${TAVINE_JUCE_PATCHING}")
tavine_use_patched_wrapper (LV2 LV2/juce_LV2_Client.cpp)
tavine_use_patched_wrapper (VST VST/juce_VST_Wrapper.cpp)
tavine_use_patched_wrapper (VST3 VST3/juce_VST3_Wrapper.cpp)
