// The click limits through the built binaries: each format's wrapper has its own way of handing
// a parameter change or a bypass to the processor (VST3's parameter queue, VST2's setParameter
// and effSetBypass, LV2's control and "enabled" ports), and a wrapper that applied a change late,
// twice or behind the processor's back would be heard here.
#include "HostingSupport.h"
#include "support/ChangeScenarios.h"
#include "support/Signals.h"

#include <gtest/gtest.h>

#include <juce_audio_processors/juce_audio_processors.h>

#include <algorithm>
#include <memory>
#include <string>

namespace
{
    using namespace test;

    class HostedChanges : public testing::TestWithParam<Format>
    {
    protected:
        void SetUp() override
        {
            plugin = loadPlugin (GetParam(), sampleRate, 4096);
            ASSERT_NE (plugin, nullptr) << "could not load " << pluginLocation (GetParam());
            ASSERT_TRUE (plugin->setBusesLayout (layout (2, 2)));

            for (int i = 0; i < 4; ++i)
            {
                knobs[i] = findParameter (*plugin, parameterNames[i]);
                ASSERT_NE (knobs[i], nullptr) << parameterNames[i];
            }
        }

        /** Sets the knobs as the host's automation does, then runs the block through the
            format's own bypass or not. */
        void play (const Knobs& k, float* left, float* right, int n)
        {
            const float values[] = { k.red, k.green, k.blue, k.x2 };

            for (int i = 0; i < 4; ++i)
                if (knobs[i]->getValue() != values[i])
                    knobs[i]->setValue (values[i]);

            float* channels[] = { left, right };
            juce::AudioBuffer<float> block (channels, 2, n);
            processMaybeBypassed (*plugin, block, k.bypassed);
        }

        static constexpr double sampleRate = 48000.0;
        std::unique_ptr<juce::AudioPluginInstance> plugin;
        juce::AudioProcessorParameter* knobs[4] {};
    };

    TEST_P (HostedChanges, DoNotClick)
    {
        // The block sizes a host trial plays at; every change, both tones. One instance serves
        // all: each case starts with a prepare, which takes its first setting at once, and plays
        // long enough before its change for the last case's tone to have left the delay.
        for (const int blockSize : { 64, 512, 4096 })
        {
            expectNoChangeClicks (formatLabel (GetParam()) + ", block " + std::to_string (blockSize), true, [this, blockSize] (const Case& c, double frequency) {
                test::prepareKeepingParameters (*plugin, sampleRate, blockSize);
                const auto m = measureChange (c, sampleRate, blockSize, frequency, [this] (const Knobs& k, float* l, float* r, int n) { play (k, l, r, n); });
                plugin->releaseResources();
                return m;
            });
        }
    }

    TEST_P (HostedChanges, ASettingMadeBeforePlaybackSoundsFromTheFirstBlock)
    {
        // An offline render with fixed settings: set, then prepared, then played. The first
        // block already has the whole effect, as a block played a second later does.
        const Knobs full { 1.0f, 1.0f, 1.0f, 1.0f };
        test::prepareKeepingParameters (*plugin, sampleRate, 4096);
        const QuadratureTone tone { 1000.0, sampleRate };
        auto left = tone.channel (4096 + 48000, false), right = tone.channel (4096 + 48000, true);

        for (int start = 0; start < (int) left.size(); start += 4096)
            play (full, left.data() + start, right.data() + start, std::min (4096, (int) left.size() - start));

        // An LV2 host learns the latency only once a block has run.
        const int latency = latencyOnceReported (*plugin, 512);
        ASSERT_EQ (latency, 512);

        // The first 10 ms after the delay against 10 ms a second later: the same level. A fade
        // in would leave the first well below (a third of the way into the glide).
        const auto first = rms (left, (std::size_t) latency, (std::size_t) latency + 480);
        const auto later = rms (left, 48000, 48000 + 480);
        EXPECT_NEAR (first / later, 1.0, 0.01);
        EXPECT_GT (later / rms (tone.channel (480, false), 0, 480), 1.3);
        plugin->releaseResources();
    }

    INSTANTIATE_TEST_SUITE_P (Formats,
                              HostedChanges,
                              testing::ValuesIn (builtFormats()),
                              [] (const auto& instance) { return formatLabel (instance.param); });
} // namespace
