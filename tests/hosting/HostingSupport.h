#pragma once

// What the hosting tests share: the three formats, where the built binaries are, one format
// manager for the whole run and the instances it creates, the parameters by name, a message
// loop to pump, and the impulse that shows the delay.

#include "PluginHosting.h"
#include "PluginPaths.h"

#include <gtest/gtest.h>
#include <juce_audio_processors/juce_audio_processors.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace juce
{
    // JUCE's own message dispatch, which its modal loops use; our JUCE is built without modal
    // loops, and a test host needs to pump messages as any host's event loop would.
    bool dispatchNextMessageOnSystemQueue (bool returnIfNoPendingMessages);
} // namespace juce

namespace test
{
    inline constexpr auto lv2Uri = "https://wemb.audio/plugins/tavine";

    enum class Format
    {
        vst3,
        vst2,
        lv2
    };

    /** The name of JUCE's hosting format. */
    inline const char* formatName (Format format)
    {
        switch (format)
        {
            case Format::vst3:
                return "VST3";
            case Format::vst2:
                return "VST";
            case Format::lv2:
                return "LV2";
        }

        return "";
    }

    /** The format's part of a test's name. */
    inline std::string formatLabel (Format format)
    {
        switch (format)
        {
            case Format::vst3:
                return "Vst3";
            case Format::vst2:
                return "Vst2";
            case Format::lv2:
                return "Lv2";
        }

        return {};
    }

    /** The formats built here: LV2 is built on Linux only. */
    inline std::vector<Format> builtFormats()
    {
#if defined(_WIN32)
        return { Format::vst3, Format::vst2 };
#else
        return { Format::vst3, Format::vst2, Format::lv2 };
#endif
    }

    inline juce::String pluginLocation (Format format)
    {
        switch (format)
        {
            // On Linux JUCE hosts a VST3 plug-in by its bundle, three levels above the module
            // itself; on Windows (JUCE 7.0.5) only by the module.
            case Format::vst3:
#if defined(_WIN32)
                return vst3ModulePath();
#else
                return juce::File (vst3ModulePath()).getParentDirectory().getParentDirectory().getParentDirectory().getFullPathName();
#endif
            case Format::vst2:
                return vst2LibraryPath();
            case Format::lv2:
                return lv2Uri;
        }

        return {};
    }

    /** One format manager for the whole run: JUCE's LV2 host unpacks its helper bundles into a
        temporary folder each time it is created, and the lilv world it keeps is costly to load.
        It lives in a test environment (registered once, in HostedPluginTests.cpp) so that it
        goes before JUCE's initialiser in main does. */
    class FormatEnvironment : public testing::Environment
    {
    public:
        void SetUp() override
        {
            manager = std::make_unique<juce::AudioPluginFormatManager>();
            manager->addDefaultFormats();

#if defined(TAVINE_LV2_BUNDLE)
            // The LV2 host finds plug-ins by URI in the bundles on its search path; ours is
            // not installed, so the folder holding the freshly built bundle goes on the path.
            for (auto* format : manager->getFormats())
                if (format->getName() == "LV2")
                    format->searchPathsForPlugins (juce::FileSearchPath (juce::File (TAVINE_LV2_BUNDLE).getParentDirectory().getFullPathName()), false, false);
#endif
        }

        void TearDown() override { manager.reset(); }

        static inline std::unique_ptr<juce::AudioPluginFormatManager> manager;
    };

    inline juce::AudioPluginFormatManager& formatManager()
    {
        return *FormatEnvironment::manager;
    }

    /** A fresh instance of the built plug-in, as a host creates one after its scan; null, with
        a failure, if the format's binary cannot be found or loaded. */
    inline std::unique_ptr<juce::AudioPluginInstance> loadPlugin (Format format, double sampleRate = 44100.0, int blockSize = 512)
    {
        juce::String error;
        auto instance = createPluginInstance (formatManager(), formatName (format), pluginLocation (format), sampleRate, blockSize, error);
        EXPECT_TRUE (error.isEmpty()) << error;
        return instance;
    }

    inline juce::AudioProcessor::BusesLayout layout (int inputs, int outputs)
    {
        juce::AudioProcessor::BusesLayout result;
        result.inputBuses.add (juce::AudioChannelSet::canonicalChannelSet (inputs));
        result.outputBuses.add (juce::AudioChannelSet::canonicalChannelSet (outputs));
        return result;
    }

    /** Processes one block, bypassed or not, through the format's own bypass as a host drives
        it: its bypass parameter (VST3's, VST2's effSetBypass, LV2's "enabled" port) set for the
        block, then the matching process call. */
    /** prepareToPlay, keeping the parameter values set before it. JUCE's LV2 host makes a new
        instance in prepareToPlay, from a state it saves before any block has run; a value set
        before it reaches an LV2 plug-in's control port only with a block, and would be lost. A
        host with values to keep sets them again (for the other formats nothing changes). */
    inline void prepareKeepingParameters (juce::AudioProcessor& processor, double sampleRate, int blockSize)
    {
        std::vector<float> values;

        for (const auto* parameter : processor.getParameters())
            values.push_back (parameter->getValue());

        processor.prepareToPlay (sampleRate, blockSize);

        for (size_t i = 0; i < values.size() && i < (size_t) processor.getParameters().size(); ++i)
            if (auto* parameter = processor.getParameters()[(int) i]; parameter->getValue() != values[i])
                parameter->setValue (values[i]);
    }

    inline void processMaybeBypassed (juce::AudioPluginInstance& plugin, juce::AudioBuffer<float>& block, bool bypassed)
    {
        juce::MidiBuffer midi;
        auto* bypass = plugin.getBypassParameter();
        ASSERT_NE (bypass, nullptr) << "the format offers no bypass of its own";
        bypass->setValue (bypassed ? 1.0f : 0.0f);

        if (bypassed)
            plugin.processBlockBypassed (block, midi);
        else
            plugin.processBlock (block, midi);
    }

    /** The plug-in's own parameters, the three knobs and the x2 toggle, in their order. */
    inline const char* const parameterNames[] = { "red", "green", "blue", "x2" };

    /** Runs the message loop, as a host's event loop would, until the condition holds or the
        time is up; says whether the condition held. Plug-ins post some news to the message
        thread: a VST3 plug-in announces a new latency through an asynchronous component
        restart. */
    template <typename Condition>
    bool pumpMessagesUntil (Condition condition, juce::uint32 timeoutMs = 2000)
    {
        const auto deadline = juce::Time::getMillisecondCounter() + timeoutMs;

        while (! condition())
        {
            if (juce::Time::getMillisecondCounter() > deadline)
                return false;

            if (! juce::dispatchNextMessageOnSystemQueue (true))
                juce::Thread::sleep (1);
        }

        return true;
    }

    /** Runs the message loop for a while, as a host's event loop runs between two events. */
    inline void pumpMessagesFor (juce::uint32 milliseconds)
    {
        pumpMessagesUntil ([] { return false; }, milliseconds);
    }

    /** The latency the host reports once it can know the expected one: a VST3 host learns of a
        new latency from a component restart on the message thread, an LV2 host from the
        latency port once a block has run. */
    inline int latencyOnceReported (juce::AudioProcessor& processor, int expected)
    {
        pumpMessagesUntil ([&] { return processor.getLatencySamples() == expected; });
        return processor.getLatencySamples();
    }

    /** A unit impulse at the first sample of every channel, then silence. */
    inline juce::AudioBuffer<float> impulse (int numChannels, int numSamples)
    {
        juce::AudioBuffer<float> audio (numChannels, numSamples);
        audio.clear();

        for (int channel = 0; channel < numChannels; ++channel)
            audio.setSample (channel, 0, 1.0f);

        return audio;
    }

    /** The impulse of impulse() after processing: on every channel its loudest sample must sit
        exactly the delay after the start, and still be most of the impulse. */
    inline void expectImpulseDelayedBy (const juce::AudioBuffer<float>& audio, int delay)
    {
        for (int channel = 0; channel < audio.getNumChannels(); ++channel)
        {
            const auto* samples = audio.getReadPointer (channel);
            const auto peak = std::max_element (samples, samples + audio.getNumSamples(), [] (float a, float b) { return std::abs (a) < std::abs (b); });
            EXPECT_EQ (peak - samples, delay) << "delay applied to channel " << channel;
            EXPECT_GT (std::abs (*peak), 0.5f) << "channel " << channel;
        }
    }
} // namespace test
