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
# - A continuous parameter whose two ends read as words, not numbers (x2: "Off", "On"), gets
#   scale points for them on its control port (below), so that LV2 hosts can show its state.
# - The audio ports are connected by hosts: marked optional, hosts (JUCE's own among them) leave
#   them unconnected and run the plug-in with no channels at all.
# - A program without a name is not published as an LV2 preset: hosts would list a blank entry.
# - The UI's description names ui:noUserResize as extension data and opts:interface as a
#   feature, the wrong way round for the LV2 schema: each is kept only where it belongs. The UI
#   takes the host's ui:touch, to tell it when the user grabs and lets go of a knob.
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
set (lv2ResizeFeature [=[              "\t\t" << resizeFeatureString << " ,\n"
              "\t\tui:touch ,\n"]=])

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
# - The parameters are control input ports (see below for where and why). A port's value is
#   applied when it changes, never every block, so a host that leaves a port alone does not
#   pull back what the editor or a restored state set.
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

            auto* instance = new LV2PluginInstance { sampleRate, tavineMaxBlockLength (features, map), pathToBundle, map };

            if (hostMap == nullptr)
                instance->ignoreEnabledPort();

            return instance;]=])
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
            if (const auto* port = ports.parameterPorts[index])
            {
                const auto value = *port;

                if (std::isfinite (value) && ports.takeKnobPortValue (index, value))
                    parameters.setValueFromPort (index, value);
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
set (lv2AudioAndParameterPortConnection [=[        else if (isPositiveAndBelow (port, (int) parameterPorts.size()))
        {
            parameterPorts[(size_t) port] = static_cast<const float*> (data);
        }
        else if (isPositiveAndBelow (port, indices.getMaxAudioPortIndex()))
        {
            audioBuffers[(size_t) port] = static_cast<float*> (data);
        }]=])
set (lv2OutputForge "        forge.setBuffer (reinterpret_cast<char*> (outputData), outputData->atom.size);")
set (lv2OptionalOutputForge [=[        if (outputData != nullptr)
            forge.setBuffer (reinterpret_cast<char*> (outputData), outputData->atom.size);
        else
            forge.setBuffer (discardedOutput.data(), discardedOutput.size() * sizeof (discardedOutput[0]));]=])
set (lv2PortsPublicEnd [=[    lv2_shared::AtomForge forge;
    PortIndices indices;]=])
set (lv2PortsPublicEndWithParameters [=[    void prepareParameterPorts (const std::vector<float>& defaults)
    {
        parameterPorts.assign (defaults.size(), nullptr);
        knobPorts = std::vector<KnobPort> (defaults.size());

        for (size_t index = 0; index < defaults.size(); ++index)
            knobPorts[index].taken.store (defaults[index]);

        // Room for a message per parameter and more, as the description asks of hosts.
        discardedOutput.assign ((defaults.size() * 72 + 8192) / sizeof (uint64_t) + 1, 0);
    }

    void moveAudioBuffers (int frames) noexcept
    {
        for (auto& buffer : audioBuffers)
            if (buffer != nullptr)
                buffer += frames;
    }

    /** Whether a knob's port holds a value to apply: one that changed since the last block and
        is not on its way back from the editor. A value the UI wrote through the host is the
        editor's own, in force already, and so are the ones the port passes through to get there.
        A write that the host has not passed on within a second counts as refused (a host whose
        automation holds the control, say), and the host's own values count again. */
    bool takeKnobPortValue (size_t index, float value) noexcept
    {
        auto& knob = knobPorts[index];
        auto written = knob.written.load();

        if (value == written)
        {
            knob.written.compare_exchange_strong (written, std::numeric_limits<float>::quiet_NaN());
            knob.taken.store (value);
            return false;
        }

        if (value == knob.taken.load())
            return false;

        knob.taken.store (value);

        if (std::isnan (written))
            return true;

        if (Time::getMillisecondCounter() - knob.writtenAt.load() < knobWriteTimeoutMs)
            return false;

        knob.written.compare_exchange_strong (written, std::numeric_limits<float>::quiet_NaN());
        return true;
    }

    // The UI's side, on its own thread.
    void noteKnobWrite (size_t index, float value) noexcept
    {
        knobPorts[index].writtenAt.store (Time::getMillisecondCounter());
        knobPorts[index].written.store (value);
    }

    void forgetKnobWrites() noexcept
    {
        for (auto& knob : knobPorts)
            knob.written.store (std::numeric_limits<float>::quiet_NaN());
    }

    bool isKnobWriteInFlight (size_t index) const noexcept { return ! std::isnan (knobPorts[index].written.load()); }
    float getTakenKnobValue (size_t index) const noexcept { return knobPorts[index].taken.load(); }

    // What the plug-in last took from a knob's port, and the value the UI last wrote to it
    // (NaN when nothing is on its way).
    struct KnobPort
    {
        std::atomic<float> taken { 0.0f }, written { std::numeric_limits<float>::quiet_NaN() };
        std::atomic<uint32> writtenAt { 0 };
    };

    static constexpr uint32 knobWriteTimeoutMs = 1000;

    /** After a state is restored, what the knobs' ports hold counts as what they said last.
        The restored values are in force; a port that holds something else holds what the host
        kept from before (a session saved when the knobs were not ports keeps their defaults
        there), and only a change the host makes after that is its own. */
    void takeKnobPortsAsTheyAre() noexcept
    {
        for (size_t index = 0; index < parameterPorts.size() && index < knobPorts.size(); ++index)
            if (const auto* port = parameterPorts[index]; port != nullptr && std::isfinite (*port))
                knobPorts[index].taken.store (*port);
    }

    std::vector<const float*> parameterPorts;
    std::vector<KnobPort> knobPorts;
    std::vector<uint64_t> discardedOutput;
    bool enabledPortIgnored = false;

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

        auto parameterIndex = 0;

        for (const auto* param : legacyParameters)
        {
            const auto* ranged = dynamic_cast<const RangedAudioParameter*> (param);
            const auto low = ranged != nullptr ? ranged->getNormalisableRange().start : 0.0f;
            const auto high = ranged != nullptr ? ranged->getNormalisableRange().end : 1.0f;
            const auto byDefault = ranged != nullptr ? ranged->convertFrom0to1 (ranged->getDefaultValue()) : param->getDefaultValue();

            os << " , [\n"
                  "\t\ta lv2:InputPort , lv2:ControlPort ;\n"
                  "\t\tlv2:index " << indices.getPortIndexForParameter (parameterIndex++) << " ;\n"
                  "\t\tlv2:symbol \"" << ParameterStorage::getIri (*param) << "\" ;\n"
                  "\t\tlv2:name \"" << param->getName (1024) << "\" ;\n"
                  "\t\tlv2:default " << String ((double) byDefault, 6) << " ;\n"
                  "\t\tlv2:minimum " << String ((double) low, 6) << " ;\n"
                  "\t\tlv2:maximum " << String ((double) high, 6) << " ;\n";

            // A parameter whose two ends read as words is a switch.
            const auto namedEnds = tavineNamedEnds (*param, "\t\t");

            if (namedEnds.isNotEmpty())
                os << namedEnds << " ;\n";

            os << "\t\tlv2:portProperty lv2:connectionOptional" << (namedEnds.isNotEmpty() ? " , lv2:toggled" : "") << " ;\n"
                  "\t]";
        }

        os << " ;\n"
              "\topts:supportedOption\n"
              "\t\tbufs:maxBlockLength .\n";]=])

# LV2, the knobs as control ports and nothing else, the one form every LV2 host understands:
# - Hosts that read both control ports and parameter properties (Qtractor, MusE) listed every
#   knob twice, and whichever was written last won; hosts that set controls by position
#   (ecasound) met JUCE's own ports first. So the knobs are control input ports only, first in
#   the port list (0 red, 1 green, 2 blue, 3 x2) under their own symbols, and audio and the rest
#   follow. The parameter properties, and the patch messages that announced them on the notify
#   output, are gone. Hosts keep a session's controls by symbol (Ardour) or by name (Qtractor,
#   which falls back on the name when an index moved), and those stay the same.
# - A control port belongs to the host: a knob moved in the editor reaches the host's generic
#   controls and its automation only when the UI writes the port through the host's write
#   function, which JUCE's UI never did. The UI now writes every change made on its thread
#   (mouse, keys, a screen reader, a state restored while it is open), tells the host when a
#   gesture starts and ends (ui:touch) so that touch automation records, and at every idle call
#   writes the value in force to a port the host holds differently (a state restored while the
#   window was closed). The values a port passes through on its way to what the editor wrote
#   are the editor's own, already in force, and are not applied again: they would pull the knob
#   back while it moves.
# - x2 is a switch for hosts (lv2:toggled, with its "Off" and "On").
# - The free-wheeling port is dropped: Tavine processes the same offline, and hosts listed it
#   among the user's controls. The enabled port stays for hosts' bypass (through it Ardour's
#   bypass keeps the latency and crossfades), but a host that gives no URID map (ecasound,
#   lv2apply) knows no port designations, and ecasound fills every control it is not given
#   with 0, which would bypass the plug-in for good: there the port is ignored.
set (lv2StateRestore [=[        processor->setStateInformation (block.getData(), (int) block.getSize());

        return LV2_STATE_SUCCESS;]=])
set (lv2StateRestoreOverPorts [=[        processor->setStateInformation (block.getData(), (int) block.getSize());
        ports.takeKnobPortsAsTheyAre();

        return LV2_STATE_SUCCESS;]=])
set (lv2PortKinds "enum class PortKind { seqInput, seqOutput, latencyOutput, freeWheelingInput, enabledInput };")
set (lv2PortKindsWithoutFreeWheeling "enum class PortKind { seqInput, seqOutput, latencyOutput, enabledInput };")
set (lv2PortIndices [=[struct PortIndices
{
    PortIndices (int numInputsIn, int numOutputsIn)
        : numInputs (numInputsIn), numOutputs (numOutputsIn) {}

    int getPortIndexForAudioInput (int audioIndex) const noexcept
    {
        return audioIndex;
    }

    int getPortIndexForAudioOutput (int audioIndex) const noexcept
    {
        return audioIndex + numInputs;
    }

    int getPortIndexFor (PortKind p) const noexcept { return getMaxAudioPortIndex() + (int) p; }

    // Audio ports are numbered from 0 to numInputs + numOutputs
    int getMaxAudioPortIndex() const noexcept { return numInputs + numOutputs; }

    int numInputs, numOutputs;
};]=])
set (lv2KnobsFirstPortIndices [=[struct PortIndices
{
    PortIndices (int numInputsIn, int numOutputsIn, int numParametersIn)
        : numInputs (numInputsIn), numOutputs (numOutputsIn), numParameters (numParametersIn) {}

    // The parameters' control ports come first, so that hosts that set controls by position
    // reach the knobs with the first values.
    int getPortIndexForParameter (int parameterIndex) const noexcept
    {
        return parameterIndex;
    }

    int getPortIndexForAudioInput (int audioIndex) const noexcept
    {
        return numParameters + audioIndex;
    }

    int getPortIndexForAudioOutput (int audioIndex) const noexcept
    {
        return numParameters + audioIndex + numInputs;
    }

    int getPortIndexFor (PortKind p) const noexcept { return getMaxAudioPortIndex() + (int) p; }

    // Audio ports follow the parameters', up to numParameters + numInputs + numOutputs
    int getMaxAudioPortIndex() const noexcept { return numParameters + numInputs + numOutputs; }

    int numInputs, numOutputs, numParameters;
};]=])
set (lv2PortsConstructor [=[    Ports (LV2_URID_Map map, int numInputsIn, int numOutputsIn)
        : forge (map),
          indices (numInputsIn, numOutputsIn),
          mLV2_ATOM__Sequence (map.map (map.handle, LV2_ATOM__Sequence))
    {
        audioBuffers.resize (static_cast<size_t> (numInputsIn + numOutputsIn), nullptr);
    }]=])
set (lv2PortsConstructorWithKnobs [=[    Ports (LV2_URID_Map map, int numInputsIn, int numOutputsIn, int numParametersIn)
        : forge (map),
          indices (numInputsIn, numOutputsIn, numParametersIn),
          mLV2_ATOM__Sequence (map.map (map.handle, LV2_ATOM__Sequence))
    {
        // Indexed by port, as the wrapper looks the buffers up; the knobs' entries stay empty.
        audioBuffers.resize (static_cast<size_t> (indices.getMaxAudioPortIndex()), nullptr);
    }]=])
set (lv2FreeWheelingConnection [=[        else if (port == indices.getPortIndexFor (PortKind::freeWheelingInput))
        {
            freeWheeling = static_cast<float*> (data);
        }
]=])
set (lv2EnabledCheck [=[        if (enabled != nullptr)
            return *enabled > 0.5f;]=])
set (lv2EnabledCheckUnlessIgnored [=[        if (enabled != nullptr && ! enabledPortIgnored)
            return *enabled > 0.5f;]=])
set (lv2InstancePorts [=[    Ports ports { mapFeature,
                  processor->getTotalNumInputChannels(),
                  processor->getTotalNumOutputChannels() };]=])
set (lv2InstancePortsWithKnobs [=[    Ports ports { mapFeature,
                  processor->getTotalNumInputChannels(),
                  processor->getTotalNumOutputChannels(),
                  (int) LegacyAudioParametersWrapper (*processor, false).size() };]=])
set (lv2InstanceActivate "    void activate() {}")
set (lv2InstanceActivateAndAccess [=[    void activate() {}

    // For the UI, which shares the instance (instance-access) and writes the knobs' ports.
    AudioProcessor& getProcessor() noexcept { return *processor; }
    Ports& getPorts() noexcept { return ports; }

    void ignoreEnabledPort() noexcept { ports.enabledPortIgnored = true; }]=])
set (lv2PatchNotifications [=[    void audioProcessorParameterChanged (AudioProcessor*, int parameterIndex, float value) override
    {
        if (! ignoreCallbacks)
            stateCache.setValueAndBits ((size_t) parameterIndex, value, newClientValue);
    }

    void audioProcessorParameterChangeGestureBegin (AudioProcessor*, int parameterIndex) override
    {
        if (! ignoreCallbacks)
            stateCache.setBits ((size_t) parameterIndex, gestureBegan);
    }

    void audioProcessorParameterChangeGestureEnd (AudioProcessor*, int parameterIndex) override
    {
        if (! ignoreCallbacks)
            stateCache.setBits ((size_t) parameterIndex, gestureEnded);
    }]=])
set (lv2NoPatchNotifications [=[    // Hosts learn of a knob's change through its control port, which the UI writes; a patch
    // message would name a property the plug-in does not declare.
    void audioProcessorParameterChanged (AudioProcessor*, int, float) override {}
    void audioProcessorParameterChangeGestureBegin (AudioProcessor*, int) override {}
    void audioProcessorParameterChangeGestureEnd (AudioProcessor*, int) override {}]=])
set (lv2PropertyDeclarations "        visitAllParameters (groupsAndSymbols, parameterVisitor);")
set (lv2NoPropertyDeclarations [=[        // The knobs are control ports (below), not parameter properties.
        ignoreUnused (parameterVisitor);]=])
set (lv2WritableProperties [=[        if (legacyParameters.size() != 0)
        {
            for (const auto header : { "writable", "readable" })
            {
                os << "\tpatch:" << header;

                bool isFirst = true;

                for (const auto* param : legacyParameters)
                {
                    os << (isFirst ? "" : " ,") << "\n\t\tplug:" << ParameterStorage::getIri (*param);
                    isFirst = false;
                }

                os << " ;\n";
            }
        }

]=])
set (lv2DescribedPortIndices [=[        const PortIndices indices (proc.getTotalNumInputChannels(),
                                   proc.getTotalNumOutputChannels());]=])
set (lv2DescribedPortIndicesWithKnobs [=[        const PortIndices indices (proc.getTotalNumInputChannels(),
                                   proc.getTotalNumOutputChannels(),
                                   (int) legacyParameters.size());]=])
set (lv2FreeWheelingPort [=[              "\t\tunits:unit units:frame ;\n"
              "\t] , [\n"
              "\t\ta lv2:InputPort , lv2:ControlPort ;\n"
              "\t\tlv2:designation lv2:freeWheeling ;\n"
              "\t\tlv2:symbol \"freeWheeling\" ;\n"
              "\t\tlv2:name \"Free Wheeling\" ;\n"
              "\t\tlv2:default 0.0 ;\n"
              "\t\tlv2:minimum 0.0 ;\n"
              "\t\tlv2:maximum 1.0 ;\n"
              "\t\tlv2:index " << indices.getPortIndexFor (PortKind::freeWheelingInput) << " ;\n"
              "\t\tlv2:portProperty lv2:toggled , lv2:connectionOptional , pprop:notOnGUI ;\n"]=])
set (lv2LatencyPortEnd [=[              "\t\tunits:unit units:frame ;\n"]=])
set (lv2UiClass [=[class LV2UIInstance : private Component,
                      private ComponentListener
{]=])
set (lv2UiClassListening [=[class LV2UIInstance : private Component,
                      private ComponentListener,
                      private AudioProcessorListener
{]=])
set (lv2UiConstructorEnd [=[        editor->setScaleFactor (getScaleFactor());
        requestResize();
    }

    ~LV2UIInstance() override
    {
        plugin->editorBeingDeleted (editor.get());
    }]=])
set (lv2UiConstructorEndListening [=[        editor->setScaleFactor (getScaleFactor());
        requestResize();

        hostKnobValues.assign (plugin->getPorts().parameterPorts.size(), std::numeric_limits<float>::quiet_NaN());
        plugin->getProcessor().addListener (this);
    }

    ~LV2UIInstance() override
    {
        plugin->getProcessor().removeListener (this);
        plugin->getPorts().forgetKnobWrites();
        plugin->editorBeingDeleted (editor.get());
    }

    void setTouchFeature (const LV2UI_Touch* feature) noexcept { touchFeature = feature; }]=])
set (lv2UiPortEvent [=[    // This is called by the host when a parameter changes.
    // We don't care, our UI will listen to the processor directly.
    void portEvent (uint32_t, uint32_t, uint32_t, const void*) {}]=])
set (lv2UiKnobPortEvent [=[    // The host tells the UI the value of a control port when it changes, and of every one when
    // the UI opens: what the host holds for each knob. The knobs' ports are the first ones.
    void portEvent (uint32_t portIndex, uint32_t bufferSize, uint32_t format, const void* buffer)
    {
        if (format == 0 && bufferSize == sizeof (float) && buffer != nullptr && portIndex < hostKnobValues.size())
            hostKnobValues[portIndex] = readUnaligned<float> (buffer);
    }]=])
set (lv2UiIdle [=[       #if JUCE_LINUX || JUCE_BSD
        messageThread->processPendingEvents();
       #endif
    }]=])
set (lv2UiIdleWritingKnobs [=[       #if JUCE_LINUX || JUCE_BSD
        messageThread->processPendingEvents();
       #endif

        writeKnobsTheHostHoldsDifferently();
    }]=])
set (lv2UiWrite [=[    void write (uint32_t portIndex, uint32_t bufferSize, uint32_t portProtocol, const void* data)
    {
        writeFunction (controller, portIndex, bufferSize, portProtocol, data);
    }]=])
set (lv2UiWriteKnobs [=[    void write (uint32_t portIndex, uint32_t bufferSize, uint32_t portProtocol, const void* data)
    {
        writeFunction (controller, portIndex, bufferSize, portProtocol, data);
    }

    // What the host holds for a knob's port, as it said or as the UI wrote; until it says, what
    // the plug-in took from the port last.
    float getHostKnobValue (size_t index) const noexcept
    {
        return std::isnan (hostKnobValues[index]) ? plugin->getPorts().getTakenKnobValue (index) : hostKnobValues[index];
    }

    void writeKnob (size_t index)
    {
        if (index >= hostKnobValues.size())
            return;

        const auto* param = plugin->getProcessor().getParameters()[(int) index];
        const auto* ranged = dynamic_cast<const RangedAudioParameter*> (param);
        const auto value = ranged != nullptr ? ranged->convertFrom0to1 (ranged->getValue()) : param->getValue();

        if (value == getHostKnobValue (index))
            return;

        plugin->getPorts().noteKnobWrite (index, value);
        hostKnobValues[index] = value;
        write ((uint32_t) index, sizeof (value), 0, &value);
    }

    // Once the plug-in has taken what the host holds and nothing of the editor's is on its way
    // (otherwise the host's own change may still be coming), a knob whose value in force differs
    // from the host's was set by something the host did not see: a state restored while the
    // window was closed, or on another thread.
    void writeKnobsTheHostHoldsDifferently()
    {
        auto& ports = plugin->getPorts();

        for (size_t index = 0; index < hostKnobValues.size(); ++index)
            if (! ports.isKnobWriteInFlight (index) && ports.getTakenKnobValue (index) == getHostKnobValue (index))
                writeKnob (index);
    }

    void touchKnob (int index, bool grabbed)
    {
        if (touchFeature != nullptr && touchFeature->touch != nullptr && isPositiveAndBelow (index, (int) hostKnobValues.size()))
            touchFeature->touch (touchFeature->handle, (uint32_t) index, grabbed);
    }

    // Changes on this thread are the editor's, or a state the host restores while the window is
    // open; the audio thread's come from the ports, which the host holds already.
    void audioProcessorParameterChanged (AudioProcessor*, int index, float) override
    {
        if (MessageManager::existsAndIsCurrentThread() && index >= 0)
            writeKnob ((size_t) index);
    }

    void audioProcessorParameterChangeGestureBegin (AudioProcessor*, int index) override
    {
        if (MessageManager::existsAndIsCurrentThread())
            touchKnob (index, true);
    }

    void audioProcessorParameterChangeGestureEnd (AudioProcessor*, int index) override
    {
        if (MessageManager::existsAndIsCurrentThread())
            touchKnob (index, false);
    }

    void audioProcessorChanged (AudioProcessor*, const ChangeDetails&) override {}]=])
set (lv2UiMembers "    bool hostRequestedResize = false;")
set (lv2UiMembersWithKnobs [=[    bool hostRequestedResize = false;
    std::vector<float> hostKnobValues; // NaN until the host says
    const LV2UI_Touch* touchFeature = nullptr;]=])
# The UI's instantiation keeps the UI it makes, to hand it the host's ui:touch.
set (lv2UiCreated "            return new LV2UIInstance { pluginUri,")
set (lv2UiCreatedAndKept "            auto* ui = new LV2UIInstance { pluginUri,")
set (lv2UiReturned "                                       scaleFactor };\n        },")
set (lv2UiTouchedAndReturned "                                       scaleFactor };

            ui->setTouchFeature (findMatchingFeatureData<const LV2UI_Touch*> (features, LV2_UI__touch));
            return ui;
        },")

tavine_mend_wrapper (LV2 LV2/juce_LV2_Client.cpp
    lv2InputCopy lv2SafeInputCopy
    lv2SilenceFill lv2SafeSilenceFill
    lv2FirstConfiguration lv2WidestConfiguration
    lv2Homepage lv2MakerHomepage
    lv2Mailbox nothing
    lv2BaseClass lv2SpecificClass
    lv2Description lv2DescriptionAndLicence
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
    lv2PortListEnd lv2PortListWithParameterPorts
    lv2PortKinds lv2PortKindsWithoutFreeWheeling
    lv2PortIndices lv2KnobsFirstPortIndices
    lv2PortsConstructor lv2PortsConstructorWithKnobs
    lv2FreeWheelingConnection nothing
    lv2EnabledCheck lv2EnabledCheckUnlessIgnored
    lv2InstancePorts lv2InstancePortsWithKnobs
    lv2InstanceActivate lv2InstanceActivateAndAccess
    lv2PatchNotifications lv2NoPatchNotifications
    lv2PropertyDeclarations lv2NoPropertyDeclarations
    lv2WritableProperties nothing
    lv2DescribedPortIndices lv2DescribedPortIndicesWithKnobs
    lv2FreeWheelingPort lv2LatencyPortEnd
    lv2UiClass lv2UiClassListening
    lv2UiConstructorEnd lv2UiConstructorEndListening
    lv2UiPortEvent lv2UiKnobPortEvent
    lv2UiIdle lv2UiIdleWritingKnobs
    lv2UiWrite lv2UiWriteKnobs
    lv2UiMembers lv2UiMembersWithKnobs
    lv2UiCreated lv2UiCreatedAndKept
    lv2UiReturned lv2UiTouchedAndReturned
    lv2StateRestore lv2StateRestoreOverPorts)

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
# - Restoring a state sets every parameter, and the wrapper reported each to the host as the
#   user's edit (audioMasterAutomate): a project that was just opened read as modified in
#   Qtractor. The host gave the state itself and reads the values back.
set (vst2ReportedParameterChange [=[        if (hostCallback != nullptr)
            hostCallback (&vstEffect, Vst2::audioMasterAutomate, index, 0, nullptr, newValue);]=])
set (vst2ReportedParameterChangeUnlessRestoring [=[        if (hostCallback != nullptr && ! inStateRestore.get())
            hostCallback (&vstEffect, Vst2::audioMasterAutomate, index, 0, nullptr, newValue);]=])
set (vst2StateRestore [=[            if (byteSize > 0 && data != nullptr)
            {
                if (onlyRestoreCurrentProgramData)
                    processor->setCurrentProgramStateInformation (data, byteSize);
                else
                    processor->setStateInformation (data, byteSize);
            }]=])
set (vst2MarkedStateRestore [=[            if (byteSize > 0 && data != nullptr)
            {
                inStateRestore = true;

                if (onlyRestoreCurrentProgramData)
                    processor->setCurrentProgramStateInformation (data, byteSize);
                else
                    processor->setStateInformation (data, byteSize);

                inStateRestore = false;
            }]=])
set (vst2CallbackFlag "    ThreadLocalValue<bool> inParameterChangedCallback;")
set (vst2CallbackAndRestoreFlags "    ThreadLocalValue<bool> inParameterChangedCallback, inStateRestore;")

set (vst2BlankCdecl "#if ! JUCE_MSVC\n #define __cdecl\n#endif")
set (vst2BlankCdeclUnlessDefined "#if ! JUCE_MSVC && ! defined (__cdecl)\n #define __cdecl\n#endif")

tavine_mend_wrapper (VST VST/juce_VST_Wrapper.cpp
    vst2VendorVersion vst2DecimalVendorVersion
    vst2NoSoundInStop nothing
    vst2BlankCdecl vst2BlankCdeclUnlessDefined
    vst2SetSampleRate vst2SetSampleRateWhileResumed
    vst2ReportedParameterChange vst2ReportedParameterChangeUnlessRestoring
    vst2StateRestore vst2MarkedStateRestore
    vst2CallbackFlag vst2CallbackAndRestoreFlags)

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
