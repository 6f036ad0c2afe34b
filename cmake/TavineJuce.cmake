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
set (lv2NamedEnds [=[            if (const auto namedEnds = tavineNamedEnds (param, "\t"); namedEnds.isNotEmpty())
            {
                os << "\t ;\n" << namedEnds;
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

# LV2, for the hosts that users open and that ask less of a plug-in than JUCE's wrapper expects:
# - Instantiation with whatever the host gives. Audacity writes the maximum block length as its
#   native 8-byte size under atom:Int (which LV2 defines as 4 bytes); lv2apply gives no features
#   at all, no URID map among them. The wrapper refused both. Now an 8-byte integer is read as
#   one, a host without a map gets a map of the plug-in's own (nothing the plug-in maps then
#   reaches the host, so any consistent numbering does), and without a usable bound the
#   processor is prepared for a generous block. The three features become optional.
# - Blocks longer than the processor was prepared for (a host that gave no bound, or broke
#   the one it gave) are processed in slices of the prepared length rather than by growing
#   buffers on the audio thread.
# - The parameters are also control input ports, after the existing ports so that no index
#   moves: Audacity and lv2apply set an effect's parameters only through control ports. Hosts
#   that know parameters as properties (and saved sessions that automate them) keep them so;
#   the ports are marked neither for their generic windows nor for automation, so that such
#   hosts need not list every parameter twice. A port's value is applied when it changes,
#   never every block, so a host that leaves a port alone does not pull back what the editor,
#   a patch message or a restored state set.
# - The atom ports are optional: a host without atom support (lv2apply) leaves them
#   unconnected, and what the plug-in would write there goes to a buffer of its own.
set (lv2MatchingOption [=[static const LV2_Options_Option* findMatchingOption (const LV2_Options_Option* options, LV2_URID urid)
{
    for (auto option = options; option->value != nullptr; ++option)
        if (option->key == urid)
            return option;

    return nullptr;
}]=])
set (lv2MatchingOptionAndHostSupport [=[static const LV2_Options_Option* findMatchingOption (const LV2_Options_Option* options, LV2_URID urid)
{
    for (auto option = options; option->value != nullptr; ++option)
        if (option->key == urid)
            return option;

    return nullptr;
}

// The block length a host that sets no bound gets prepared for, and the most any host gets:
// longer blocks are processed in slices of this length.
constexpr int64_t tavineDefaultBlockLength = 8192;
constexpr int64_t tavineLongestBlock = 65536;

// Scale points for a continuous parameter whose two ends read as words, not numbers (x2: "Off",
// "On"), so that hosts can show its state: JUCE writes scale points only for parameters with
// steps. Empty for any other parameter.
static String tavineNamedEnds (const AudioProcessorParameter& param, const String& indent)
{
    const auto lowText = param.getText (0.0f, 1024), highText = param.getText (1.0f, 1024);

    if (param.isDiscrete() || lowText == highText || lowText.containsAnyOf ("0123456789") || highText.containsAnyOf ("0123456789"))
        return {};

    const auto* ranged = dynamic_cast<const RangedAudioParameter*> (&param);
    const auto low = ranged != nullptr ? ranged->getNormalisableRange().start : 0.0f;
    const auto high = ranged != nullptr ? ranged->getNormalisableRange().end : 1.0f;

    return indent + "lv2:scalePoint [\n"
         + indent + "\trdfs:label \"" + lowText + "\" ;\n"
         + indent + "\trdf:value " + String ((double) low, 6) + " ;\n"
         + indent + "] , [\n"
         + indent + "\trdfs:label \"" + highText + "\" ;\n"
         + indent + "\trdf:value " + String ((double) high, 6) + " ;\n"
         + indent + "]";
}

static LV2_URID_Map tavineOwnUridMap()
{
    return { nullptr, [] (LV2_URID_Map_Handle, const char* uri) -> LV2_URID
    {
        static std::mutex mutex;
        static std::map<std::string, LV2_URID> urids;
        const std::lock_guard<std::mutex> lock (mutex);
        return urids.emplace (uri, (LV2_URID) urids.size() + 1).first->second;
    } };
}

static int64_t tavineMaxBlockLength (const LV2_Feature* const* features, LV2_URID_Map map)
{
    const auto* options = findMatchingFeatureData<const LV2_Options_Option*> (features, LV2_OPTIONS__options);

    if (options == nullptr || ! hasFeature (features, LV2_BUF_SIZE__boundedBlockLength))
        return tavineDefaultBlockLength;

    const lv2_shared::NumericAtomParser parser { map };
    const auto* option = findMatchingOption (options, parser.map (LV2_BUF_SIZE__maxBlockLength));
    auto length = parser.parseNumericOption<int64_t> (option);

    if (! length.hasValue() && option != nullptr && option->type == parser.mLV2_ATOM__Int && option->size == sizeof (int64_t))
        length = readUnaligned<int64_t> (option->value);

    if (! length.hasValue() || *length < 1)
        return tavineDefaultBlockLength;

    return jmin (*length, tavineLongestBlock);
}]=])
set (lv2Instantiation [=[            const auto* mapFeature = findMatchingFeatureData<const LV2_URID_Map*> (features, LV2_URID__map);

            if (mapFeature == nullptr)
            {
                // The host doesn't provide the 'urid map' feature
                jassertfalse;
                return nullptr;
            }

            const auto boundedBlockLength = hasFeature (features, LV2_BUF_SIZE__boundedBlockLength);

            if (! boundedBlockLength)
            {
                // The host doesn't provide the 'bounded block length' feature
                jassertfalse;
                return nullptr;
            }

            const auto* options = findMatchingFeatureData<const LV2_Options_Option*> (features, LV2_OPTIONS__options);

            if (options == nullptr)
            {
                // The host doesn't provide the 'options' feature
                jassertfalse;
                return nullptr;
            }

            const lv2_shared::NumericAtomParser parser { *mapFeature };
            const auto blockLengthUrid = mapFeature->map (mapFeature->handle, LV2_BUF_SIZE__maxBlockLength);
            const auto blockSize = parser.parseNumericOption<int64_t> (findMatchingOption (options, blockLengthUrid));

            if (! blockSize.hasValue())
            {
                // The host doesn't specify a maximum block size
                jassertfalse;
                return nullptr;
            }

            return new LV2PluginInstance { sampleRate, *blockSize, pathToBundle, *mapFeature };]=])
set (lv2TolerantInstantiation [=[            const auto* hostMap = findMatchingFeatureData<const LV2_URID_Map*> (features, LV2_URID__map);
            const auto map = hostMap != nullptr ? *hostMap : tavineOwnUridMap();

            return new LV2PluginInstance { sampleRate, tavineMaxBlockLength (features, map), pathToBundle, map };]=])
set (lv2RequiredFeatures [=[              "\tlv2:optionalFeature\n"
              "\t\tlv2:hardRTCapable ;\n"
              "\tlv2:extensionData\n"
              "\t\tstate:interface ;\n"
              "\tlv2:requiredFeature\n"
              "\t\turid:map ,\n"
              "\t\topts:options ,\n"
              "\t\tbufs:boundedBlockLength ;\n";]=])
set (lv2OptionalFeatures [=[              "\tlv2:optionalFeature\n"
              "\t\tlv2:hardRTCapable ,\n"
              "\t\turid:map ,\n"
              "\t\topts:options ,\n"
              "\t\tbufs:boundedBlockLength ;\n"
              "\tlv2:extensionData\n"
              "\t\tstate:interface ;\n";]=])
set (lv2RunCallback "            static_cast<LV2PluginInstance*> (instance)->run (sampleCount);")
set (lv2SlicedRunCallback "            static_cast<LV2PluginInstance*> (instance)->runInSlices (sampleCount);")
set (lv2RunStart [=[    void run (uint32_t numSteps)
    {
        // If this is hit, the host is trying to process more samples than it told us to prepare
        jassert (static_cast<int> (numSteps) <= processor->getBlockSize());

        midi.clear();
        playHead.invalidate();]=])
set (lv2SlicedRunStart [=[    void runInSlices (uint32_t numSteps)
    {
        // Each slice reads the input events again and writes the output events anew; hosts
        // that run longer blocks than they announced give the plug-in no atom ports anyway.
        const auto sliceLength = (uint32_t) jmax (1, processor->getBlockSize());
        uint32_t done = 0;

        for (; numSteps - done > sliceLength; done += sliceLength)
        {
            run (sliceLength);
            ports.moveAudioBuffers ((int) sliceLength);
        }

        run (numSteps - done);
        ports.moveAudioBuffers (-(int) done);
    }

    void run (uint32_t numSteps)
    {
        // If this is hit, the host is trying to process more samples than it told us to prepare
        jassert (static_cast<int> (numSteps) <= processor->getBlockSize());

        midi.clear();
        playHead.invalidate();

        for (size_t index = 0; index < ports.parameterPorts.size(); ++index)
        {
            const auto* port = ports.parameterPorts[index];

            if (port != nullptr && std::isfinite (*port) && *port != ports.lastParameterPortValues[index])
            {
                ports.lastParameterPortValues[index] = *port;
                parameters.setValueFromPort (index, *port);
            }
        }]=])
set (lv2ParameterStorageOptions [=[    struct Options
    {
        bool parameterValue, gestureBegin, gestureEnd;
    };]=])
set (lv2ParameterStorageOptionsAndPorts [=[    void setValueFromPort (size_t index, float value) noexcept
    {
        if (index < indexToUridMap.size())
            setValueFromHost (indexToUridMap[index], value);
    }

    struct Options
    {
        bool parameterValue, gestureBegin, gestureEnd;
    };]=])
set (lv2InstanceStart [=[        processor->addListener (this);
        processor->setPlayHead (&playHead);
        prepare (sampleRate, (int) maxBlockSize);]=])
set (lv2InstanceStartWithPorts [=[        processor->addListener (this);
        processor->setPlayHead (&playHead);
        prepare (sampleRate, (int) maxBlockSize);

        const LegacyAudioParametersWrapper parameterList (*processor, false);
        std::vector<float> defaults;

        for (const auto* param : parameterList)
        {
            const auto* ranged = dynamic_cast<const RangedAudioParameter*> (param);
            defaults.push_back (ranged != nullptr ? ranged->convertFrom0to1 (ranged->getDefaultValue()) : param->getDefaultValue());
        }

        ports.prepareParameterPorts (defaults);]=])
set (lv2AudioPortConnection [=[        else if (isPositiveAndBelow (port, indices.getMaxAudioPortIndex()))
        {
            audioBuffers[(size_t) port] = static_cast<float*> (data);
        }]=])
set (lv2AudioAndParameterPortConnection [=[        else if (isPositiveAndBelow (port, indices.getMaxAudioPortIndex()))
        {
            audioBuffers[(size_t) port] = static_cast<float*> (data);
        }
        else if (isPositiveAndBelow (port - firstParameterPort(), (int) parameterPorts.size()))
        {
            parameterPorts[(size_t) (port - firstParameterPort())] = static_cast<const float*> (data);
        }]=])
set (lv2OutputForge "        forge.setBuffer (reinterpret_cast<char*> (outputData), outputData->atom.size);")
set (lv2OptionalOutputForge [=[        if (outputData != nullptr)
            forge.setBuffer (reinterpret_cast<char*> (outputData), outputData->atom.size);
        else
            forge.setBuffer (discardedOutput.data(), discardedOutput.size() * sizeof (discardedOutput[0]));]=])
set (lv2PortsPublicEnd [=[    lv2_shared::AtomForge forge;
    PortIndices indices;]=])
set (lv2PortsPublicEndWithParameters [=[    int firstParameterPort() const noexcept { return indices.getPortIndexFor (PortKind::enabledInput) + 1; }

    void prepareParameterPorts (const std::vector<float>& defaults)
    {
        parameterPorts.assign (defaults.size(), nullptr);
        lastParameterPortValues = defaults;

        // Room for a message per parameter and more, as the description asks of hosts.
        discardedOutput.assign ((defaults.size() * 72 + 8192) / sizeof (uint64_t) + 1, 0);
    }

    void moveAudioBuffers (int frames) noexcept
    {
        for (auto& buffer : audioBuffers)
            if (buffer != nullptr)
                buffer += frames;
    }

    std::vector<const float*> parameterPorts;
    std::vector<float> lastParameterPortValues;
    std::vector<uint64_t> discardedOutput;

    lv2_shared::AtomForge forge;
    PortIndices indices;]=])
set (lv2AtomInputSymbol [=[              "\t\tlv2:symbol \"in\" ;\n"]=])
set (lv2OptionalAtomInputSymbol [=[              "\t\tlv2:symbol \"in\" ;\n"
              "\t\tlv2:portProperty lv2:connectionOptional ;\n"]=])
set (lv2AtomOutputSymbol [=[              "\t\tlv2:symbol \"out\" ;\n"]=])
set (lv2OptionalAtomOutputSymbol [=[              "\t\tlv2:symbol \"out\" ;\n"
              "\t\tlv2:portProperty lv2:connectionOptional ;\n"]=])
set (lv2PortListEnd [=[              "\t] ;\n"
              "\topts:supportedOption\n"
              "\t\tbufs:maxBlockLength .\n";]=])
set (lv2PortListWithParameterPorts [=[              "\t]";

        auto parameterPortIndex = indices.getPortIndexFor (PortKind::enabledInput);

        for (const auto* param : legacyParameters)
        {
            const auto* ranged = dynamic_cast<const RangedAudioParameter*> (param);
            const auto low = ranged != nullptr ? ranged->getNormalisableRange().start : 0.0f;
            const auto high = ranged != nullptr ? ranged->getNormalisableRange().end : 1.0f;
            const auto byDefault = ranged != nullptr ? ranged->convertFrom0to1 (ranged->getDefaultValue()) : param->getDefaultValue();

            os << " , [\n"
                  "\t\ta lv2:InputPort , lv2:ControlPort ;\n"
                  "\t\tlv2:index " << ++parameterPortIndex << " ;\n"
                  "\t\tlv2:symbol \"" << ParameterStorage::getIri (*param) << "\" ;\n"
                  "\t\tlv2:name \"" << param->getName (1024) << "\" ;\n"
                  "\t\tlv2:default " << String ((double) byDefault, 6) << " ;\n"
                  "\t\tlv2:minimum " << String ((double) low, 6) << " ;\n"
                  "\t\tlv2:maximum " << String ((double) high, 6) << " ;\n";

            if (const auto namedEnds = tavineNamedEnds (*param, "\t\t"); namedEnds.isNotEmpty())
                os << namedEnds << " ;\n";

            os << "\t\tlv2:portProperty lv2:connectionOptional , pprop:notOnGUI , pprop:notAutomatic ;\n"
                  "\t]";
        }

        os << " ;\n"
              "\topts:supportedOption\n"
              "\t\tbufs:maxBlockLength .\n";]=])

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
    lv2InterfaceAsFeature lv2ResizeFeature
    lv2MatchingOption lv2MatchingOptionAndHostSupport
    lv2Instantiation lv2TolerantInstantiation
    lv2RequiredFeatures lv2OptionalFeatures
    lv2RunCallback lv2SlicedRunCallback
    lv2RunStart lv2SlicedRunStart
    lv2ParameterStorageOptions lv2ParameterStorageOptionsAndPorts
    lv2InstanceStart lv2InstanceStartWithPorts
    lv2AudioPortConnection lv2AudioAndParameterPortConnection
    lv2OutputForge lv2OptionalOutputForge
    lv2PortsPublicEnd lv2PortsPublicEndWithParameters
    lv2AtomInputSymbol lv2OptionalAtomInputSymbol
    lv2AtomOutputSymbol lv2OptionalAtomOutputSymbol
    lv2PortListEnd lv2PortListWithParameterPorts)

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

# - A rate set while the plug-in is resumed waits, in the wrapper, for the next resume. Audacity
#   resumes every new instance at 44.1 kHz and then sets the clip's rate without suspending: the
#   plug-in would process 48 and 96 kHz audio with its 44.1 kHz filters and latency. A new rate
#   while resumed now suspends and resumes around it, under the processing lock, as a host
#   that follows the rules would have done.
set (vst2SetSampleRate [=[    pointer_sized_int handleSetSampleRate (VstOpCodeArguments args)
    {
        sampleRate = args.opt;
        return 0;
    }]=])
set (vst2SetSampleRateWhileResumed [=[    pointer_sized_int handleSetSampleRate (VstOpCodeArguments args)
    {
        if (isProcessing && processor != nullptr && (double) args.opt != sampleRate)
        {
            const ScopedLock lock (processor->getCallbackLock());
            suspend();
            sampleRate = args.opt;
            resume();
            return 0;
        }

        sampleRate = args.opt;
        return 0;
    }]=])
set (vst2BlankCdecl "#if ! JUCE_MSVC\n #define __cdecl\n#endif")
set (vst2BlankCdeclUnlessDefined "#if ! JUCE_MSVC && ! defined (__cdecl)\n #define __cdecl\n#endif")

tavine_mend_wrapper (VST VST/juce_VST_Wrapper.cpp
    vst2VendorVersion vst2DecimalVendorVersion
    vst2NoSoundInStop nothing
    vst2BlankCdecl vst2BlankCdeclUnlessDefined
    vst2SetSampleRate vst2SetSampleRateWhileResumed)

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
