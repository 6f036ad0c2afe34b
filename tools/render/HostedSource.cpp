#include "HostedSource.h"

#include <cstdlib>

namespace juce
{
    // The framework's own step of its message loop; our JUCE is built without modal loops, and
    // a hosted plug-in posts some of its news (a VST3 latency change) to the message thread.
    bool dispatchNextMessageOnSystemQueue (bool returnIfNoPendingMessages);
} // namespace juce

namespace
{
    bool isUri (const juce::String& location)
    {
        return location.contains ("://") || location.startsWith ("urn:");
    }

    /** A VST3 host loads the bundle, not the library inside it; accept either. */
    juce::File enclosingVst3Bundle (const juce::File& file)
    {
        for (auto candidate = file; candidate != candidate.getParentDirectory(); candidate = candidate.getParentDirectory())
            if (candidate.hasFileExtension ("vst3"))
                return candidate;

        return {};
    }

    /** JUCE's LV2 host reads every bundle in ~/.lv2 when it starts, and of two bundles with the
        same URI the first one read wins. To host exactly the bundle asked for, the home folder
        is hidden from it while it starts; the bundle is then read on its own. */
    std::unique_ptr<juce::AudioPluginFormat> createLv2FormatWithoutHomeBundles (const juce::File& emptyHome)
    {
        const auto* previous = std::getenv ("HOME");
        const juce::String savedHome = previous != nullptr ? juce::String (previous) : juce::String();

        setenv ("HOME", emptyHome.getFullPathName().toRawUTF8(), 1);
        auto format = std::make_unique<juce::LV2PluginFormat>();

        if (previous != nullptr)
            setenv ("HOME", savedHome.toRawUTF8(), 1);
        else
            unsetenv ("HOME");

        return format;
    }

    /** Delivers what is waiting on the message queue, and what arrives within a short while. */
    void deliverMessages()
    {
        const auto deadline = juce::Time::getMillisecondCounter() + 50;

        while (juce::Time::getMillisecondCounter() < deadline)
            if (! juce::dispatchNextMessageOnSystemQueue (true))
                juce::Thread::sleep (1);
    }
} // namespace

HostedSource::~HostedSource()
{
    if (instance != nullptr)
        instance->releaseResources();

    instance.reset();
    format.reset();

    if (linkFolder != juce::File())
        linkFolder.deleteRecursively (false);
}

std::unique_ptr<HostedSource> HostedSource::load (const juce::String& location, juce::String& error)
{
    std::unique_ptr<HostedSource> source (new HostedSource());
    juce::String identifier = location;
    juce::String kind;
    const juce::File file (isUri (location) ? juce::String() : location);

    if (isUri (location))
    {
        kind = "LV2";
        source->format = std::make_unique<juce::LV2PluginFormat>();
    }
    else if (! file.exists())
    {
        error = "cannot find the plug-in " + location;
        return nullptr;
    }
    else if (const auto bundle = enclosingVst3Bundle (file); bundle != juce::File())
    {
        kind = "VST3";
        identifier = bundle.getFullPathName();
        source->format = std::make_unique<juce::VST3PluginFormat>();
    }
    else if (file.hasFileExtension ("lv2") && file.isDirectory())
    {
        kind = "LV2";
        source->linkFolder = juce::File::createTempFile ("lv2");

        if (! source->linkFolder.getChildFile ("home").createDirectory())
        {
            error = "cannot make a temporary folder to load " + location + " from";
            return nullptr;
        }

        source->format = createLv2FormatWithoutHomeBundles (source->linkFolder.getChildFile ("home"));

        // Only the bundle asked for, through a link in a folder of its own: its neighbours
        // would be read as well otherwise.
        const auto bundles = source->linkFolder.getChildFile ("bundles");
        bundles.createDirectory();
        file.createSymbolicLink (bundles.getChildFile (file.getFileName()), true);

        const auto before = source->format->searchPathsForPlugins (juce::FileSearchPath (source->linkFolder.getChildFile ("home").getFullPathName()), false, false);
        auto after = source->format->searchPathsForPlugins (juce::FileSearchPath (bundles.getFullPathName()), false, false);

        for (const auto& uri : before)
            after.removeString (uri);

        if (after.isEmpty())
        {
            error = location + " holds no LV2 plug-in, or one whose URI an installed bundle in /usr/lib/lv2 or /usr/local/lib/lv2 already uses";
            return nullptr;
        }

        identifier = after[0];
    }
    else if (file.existsAsFile())
    {
        kind = "VST2";
        source->format = std::make_unique<juce::VSTPluginFormat>();
    }
    else
    {
        error = location + " is not a plug-in: give a .vst3 bundle, a VST2 .so library, an .lv2 bundle or an LV2 URI";
        return nullptr;
    }

    juce::OwnedArray<juce::PluginDescription> found;
    source->format->findAllTypesForFile (found, identifier);

    if (found.isEmpty())
    {
        error = isUri (location) ? "no LV2 plug-in with the URI " + location + " is installed in ~/.lv2, /usr/lib/lv2 or /usr/local/lib/lv2"
                                 : "cannot load " + location + " as a " + kind + " plug-in";
        return nullptr;
    }

    // The rate and block size are set again by prepare(); these are placeholders.
    juce::String instanceError;
    source->instance = source->format->createInstanceFromDescription (*found[0], 44100.0, 512, instanceError);

    if (source->instance == nullptr)
    {
        error = "cannot start " + location + ": " + (instanceError.isNotEmpty() ? instanceError : juce::String ("the plug-in refused"));
        return nullptr;
    }

    source->description = "the " + kind + " plug-in " + location;
    return source;
}

juce::Result HostedSource::prepare (double sampleRate, int maximumBlockSize, int numChannels)
{
    const auto result = PluginSource::prepare (sampleRate, maximumBlockSize, numChannels);

    if (result.failed())
        return result;

    // A host learns a plug-in's latency for the new rate only once it runs: an LV2 plug-in
    // reports it through a port after a block, a VST3 plug-in through a restart request on the
    // message thread. One block of silence and the messages that follow settle it; silence
    // leaves the plug-in as a fresh one would start, but for its noise floor.
    juce::AudioBuffer<float> silence (numChannels, maximumBlockSize);
    silence.clear();
    process (silence);
    deliverMessages();
    return juce::Result::ok();
}
