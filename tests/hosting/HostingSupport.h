#pragma once

// What the hosting tests share: the three formats, where the built binaries are, one format
// manager for the whole run, and a message loop to pump.

#include <gtest/gtest.h>
#include <juce_audio_processors/juce_audio_processors.h>

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
                return TAVINE_VST3_MODULE;
#else
                return juce::File (TAVINE_VST3_MODULE).getParentDirectory().getParentDirectory().getParentDirectory().getFullPathName();
#endif
            case Format::vst2:
                return TAVINE_VST2_LIBRARY;
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

    /** Runs the message loop, as a host's event loop would, until the condition holds or two
        seconds have passed. Plug-ins post some news to the message thread: a VST3 plug-in
        announces a new latency through an asynchronous component restart. */
    template <typename Condition>
    bool pumpMessagesUntil (Condition condition)
    {
        const auto deadline = juce::Time::getMillisecondCounter() + 2000;

        while (! condition())
        {
            if (juce::Time::getMillisecondCounter() > deadline)
                return false;

            if (! juce::dispatchNextMessageOnSystemQueue (true))
                juce::Thread::sleep (1);
        }

        return true;
    }
} // namespace test
