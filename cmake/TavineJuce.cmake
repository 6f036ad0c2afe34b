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
target_link_libraries (tavine_juce_options INTERFACE
    tavine_juce_system_libs
    juce::juce_recommended_config_flags)

# The VST 2 interface comes from Debian's fst headers through our own include shim
# (plugin/vst2shim), which also supplies the preset bank layout.
juce_set_vst2_sdk_path ("${PROJECT_SOURCE_DIR}/plugin/vst2shim")

# A few faults of the packaged JUCE 7.0.5 plug-in wrappers are mended in our build: we
# compile a mended copy of a wrapper's source in place of the packaged one. Each mend names
# the exact text it replaces, and configuring fails loudly if the packaged source no longer
# contains it, so a JUCE update cannot silently drop a mend.
#
#   tavine_mend_wrapper (KIND SOURCE  ORIGINAL_VAR REPLACEMENT_VAR  [ORIGINAL_VAR REPLACEMENT_VAR]...)
#
# The texts are passed by variable name: C++ is full of semicolons, which CMake would take
# for list separators.
function (tavine_mend_wrapper kind relativeSource)
    set (original "${JUCE_MODULES_DIR}/juce_audio_plugin_client/${relativeSource}")
    get_filename_component (entryName "${relativeSource}" NAME_WE)
    set (mended "${PROJECT_BINARY_DIR}/juce_mended/juce_audio_plugin_client_${kind}_mended.cpp")

    file (READ "${original}" source)

    set (edits ${ARGN})
    list (LENGTH edits count)
    math (EXPR last "${count} - 1")

    foreach (index RANGE 0 ${last} 2)
        math (EXPR next "${index} + 1")
        list (GET edits ${index} beforeName)
        list (GET edits ${next} afterName)
        set (before "${${beforeName}}")
        set (after "${${afterName}}")
        string (FIND "${source}" "${before}" found)

        if (found EQUAL -1)
            message (FATAL_ERROR "The packaged ${relativeSource} changed; review its mend in cmake/TavineJuce.cmake:\n${before}")
        endif()

        string (REPLACE "${before}" "${after}" source "${source}")
    endforeach()

    # The copy lives elsewhere, so the wrapper's relative includes go through the module path.
    string (REPLACE "#include \"../utility/" "#include \"juce_audio_plugin_client/utility/" source "${source}")

    # Written through a scratch file so an unchanged result keeps its time stamp.
    file (WRITE "${mended}.new" "${source}")
    file (COPY_FILE "${mended}.new" "${mended}" ONLY_IF_DIFFERENT)
    set_property (DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${original}")

    # The format's wrapper target lists every format's entry file; ours replaces its own.
    get_target_property (wrapperSources juce_audio_plugin_client_${kind} INTERFACE_SOURCES)
    list (FILTER wrapperSources EXCLUDE REGEX "/juce_audio_plugin_client_${kind}2?\\.cpp$")
    list (APPEND wrapperSources "${mended}")
    set_target_properties (juce_audio_plugin_client_${kind} PROPERTIES INTERFACE_SOURCES "${wrapperSources}")
endfunction()

# LV2:
# - The wrapper copies every declared audio input without checking whether the host
#   connected it; a host running a mono track may leave the second input unconnected, and
#   the copy from a null port crashes. Likewise the silence written while suspended.
# - An LV2 plug-in has a fixed set of ports, which the wrapper takes from the first channel
#   configuration: ours would be mono only. It takes the widest (the last), two in and two out.
# - The maintainer's links: the maker's homepage (TAVINE_MAKER_HOMEPAGE) in place of the
#   website, which stays empty for the other formats; with no e-mail the wrapper would write an
#   empty link (<>), which LV2 tools resolve to the description file itself.
# - The plug-in is a specific kind of plug-in (TAVINE_LV2_CLASS), declared a doap:Project so
#   that its maintainer, release and licence (TAVINE_LICENCE_URI) are in their domain.
# - Ranges and defaults are written as floats: the stream writes 0 and 1 as integers, and LV2
#   wants floats there.
# - A continuous parameter whose two ends read as words, not numbers (x2: "Off", "On"), gets
#   scale points for them, so that LV2 hosts can show its state. JUCE writes scale points only
#   for parameters with steps, and x2 has none.
# - The audio ports are connected by hosts: marked optional, hosts (JUCE's own among them) leave
#   them unconnected and run the plug-in with no channels at all.
# - A program without a name is not published as an LV2 preset: hosts would list a blank entry.
# - The UI's description names ui:noUserResize as extension data and opts:interface as a
#   feature, the wrong way round for the LV2 schema: each is kept only where it belongs.
set (lv2InputCopy "            audio.copyFrom (i, 0, ports.getBufferForAudioInput (i), audio.getNumSamples());")
set (lv2SafeInputCopy "        {
            if (const auto* input = ports.getBufferForAudioInput (i))
                audio.copyFrom (i, 0, input, audio.getNumSamples());
            else
                audio.clear (i, 0, audio.getNumSamples());
        }")
set (lv2SilenceFill "                    std::fill (ptr, ptr + numSteps, 0.0f);")
set (lv2SafeSilenceFill "                    if (ptr != nullptr) std::fill (ptr, ptr + numSteps, 0.0f);")
set (lv2FirstConfiguration "channelConfigurations[0]")
set (lv2WidestConfiguration "channelConfigurations[numElementsInArray (channelConfigurations) - 1]")
set (lv2Homepage [=["\t\tfoaf:homepage <" JucePlugin_ManufacturerWebsite "> ;\n"]=])
set (lv2MakerHomepage [=["\t\tfoaf:homepage <" TAVINE_MAKER_HOMEPAGE "> ;\n"]=])
set (lv2Mailbox [=["\t\tfoaf:mbox <" JucePlugin_ManufacturerEmail "> ;\n"]=])
set (nothing "")
set (lv2BaseClass [=[              "lv2:Plugin"]=])
set (lv2SpecificClass [=[              "lv2:Plugin , " TAVINE_LV2_CLASS " , doap:Project"]=])
set (lv2Description [=["\tdoap:description \"" JucePlugin_Desc "\" ;\n"]=])
set (lv2DescriptionAndLicence [=["\tdoap:description \"" JucePlugin_Desc "\" ;\n"
              "\tdoap:license <" TAVINE_LICENCE_URI "> ;\n"]=])
set (lv2DefaultValue [=[<< rangedParam->convertFrom0to1 (rangedParam->getDefaultValue()) <<]=])
set (lv2DefaultFloat [=[<< String ((double) rangedParam->convertFrom0to1 (rangedParam->getDefaultValue()), 6) <<]=])
set (lv2MinimumValue [=[<< rangedParam->getNormalisableRange().start <<]=])
set (lv2MinimumFloat [=[<< String ((double) rangedParam->getNormalisableRange().start, 6) <<]=])
set (lv2MaximumValue [=[<< rangedParam->getNormalisableRange().end;]=])
set (lv2MaximumFloat [=[<< String ((double) rangedParam->getNormalisableRange().end, 6);]=])
set (lv2DiscreteOnly [=[            if (param.isDiscrete() && 2 <= numSteps && numSteps < stepLimit)]=])
set (lv2NamedEnds [=[            const auto lowText = param.getText (0.0f, 1024), highText = param.getText (1.0f, 1024);

            if (! param.isDiscrete() && lowText != highText
                && ! lowText.containsAnyOf ("0123456789") && ! highText.containsAnyOf ("0123456789"))
            {
                const auto* ranged = dynamic_cast<const RangedAudioParameter*> (&param);
                const auto low = ranged != nullptr ? ranged->getNormalisableRange().start : 0.0f;
                const auto high = ranged != nullptr ? ranged->getNormalisableRange().end : 1.0f;

                os << "\t ;\n"
                      "\tlv2:scalePoint [\n"
                      "\t\trdfs:label \"" << lowText << "\" ;\n"
                      "\t\trdf:value " << String ((double) low, 6) << " ;\n"
                      "\t] , [\n"
                      "\t\trdfs:label \"" << highText << "\" ;\n"
                      "\t\trdf:value " << String ((double) high, 6) << " ;\n"
                      "\t]";
            }
            else if (param.isDiscrete() && 2 <= numSteps && numSteps < stepLimit)]=])
set (lv2OptionalPorts "                    const auto optionalBus = ! bus->isEnabledByDefault();")
set (lv2ConnectedPorts "                    constexpr auto optionalBus = false;")
set (lv2Preset [=[            os << "<" << getPresetUri (i) << ">\n"]=])
set (lv2NamedPreset [=[            if (proc.getProgramName (i).isEmpty())
                continue;

            os << "<" << getPresetUri (i) << ">\n"]=])
set (lv2NoUserResizeAsExtension [=[              "\t\tui:noUserResize ,\n" // resize and noUserResize are always present in the extension data array]=])
# The one text that must be told apart from an identical line by the line before it.
set (lv2InterfaceAsFeature [=[              "\t\t" << resizeFeatureString << " ,\n"
              "\t\topts:interface ,\n"]=])
set (lv2ResizeFeature [=[              "\t\t" << resizeFeatureString << " ,\n"]=])

tavine_mend_wrapper (LV2 LV2/juce_LV2_Client.cpp
    lv2InputCopy lv2SafeInputCopy
    lv2SilenceFill lv2SafeSilenceFill
    lv2FirstConfiguration lv2WidestConfiguration
    lv2Homepage lv2MakerHomepage
    lv2Mailbox nothing
    lv2BaseClass lv2SpecificClass
    lv2Description lv2DescriptionAndLicence
    lv2DefaultValue lv2DefaultFloat
    lv2MinimumValue lv2MinimumFloat
    lv2MaximumValue lv2MaximumFloat
    lv2DiscreteOnly lv2NamedEnds
    lv2OptionalPorts lv2ConnectedPorts
    lv2Preset lv2NamedPreset
    lv2NoUserResizeAsExtension nothing
    lv2InterfaceAsFeature lv2ResizeFeature)

# VST2:
# - The version fields: hosts and saved projects know this plug-in by the decimal reading of
#   its version (110 for 1.1.0), which JUCE 7 no longer gives for versions from 1.0 up.
# - "No sound when stopped" is claimed for every effect without a tail; ours delays the
#   signal, so a host trusting the flag would cut the last delay's worth of audio.
# - The wrapper blanks out __cdecl for every compiler but Microsoft's; MinGW defines it
#   itself, and the redefinition is a warning in the Windows build.
set (vst2VendorVersion "return convertHexVersionToDecimal (JucePlugin_VersionCode);")
set (vst2DecimalVendorVersion "return JucePlugin_VSTChunkStructureVersion;")
set (vst2NoSoundInStop "        if (processor->getTailLengthSeconds() == 0.0)
            vstEffect.flags |= Vst2::effFlagsNoSoundInStop;")

set (vst2BlankCdecl "#if ! JUCE_MSVC\n #define __cdecl\n#endif")
set (vst2BlankCdeclUnlessDefined "#if ! JUCE_MSVC && ! defined (__cdecl)\n #define __cdecl\n#endif")

tavine_mend_wrapper (VST VST/juce_VST_Wrapper.cpp
    vst2VendorVersion vst2DecimalVendorVersion
    vst2NoSoundInStop nothing
    vst2BlankCdecl vst2BlankCdeclUnlessDefined)

# VST3:
# - The latency depends on the sample rate, which a VST 3 host hands over in setupProcessing;
#   the wrapper only records it there and prepares the processor later, in setActive. Hosts
#   that ask for the latency between the two (JUCE's own host does) would read the previous
#   rate's value. Preparing when the set-up arrives is within the wrapper's rules: the
#   component is inactive then, and the wrapper already passes a latency change made during
#   setupProcessing on to the host.
set (vst3SetupOnly "        preparePlugin (processSetup.sampleRate, processSetup.maxSamplesPerBlock, CallPrepareToPlay::no);")
set (vst3SetupPrepares "        preparePlugin (processSetup.sampleRate, processSetup.maxSamplesPerBlock, CallPrepareToPlay::yes);")

tavine_mend_wrapper (VST3 VST3/juce_VST3_Wrapper.cpp
    vst3SetupOnly vst3SetupPrepares)
