// The processor as the wrappers drive it: parameters set through their objects before a block,
// the bypass through processBlockBypassed, a saved state restored while the tone plays. None of
// it may click; and a setting made before playback is the sound from the first sample.
#include "plugin/ParameterIds.h"
#include "plugin/ZarivirAudioProcessor.h"
#include "support/ChangeScenarios.h"
#include "support/Signals.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>
#include <string>
#include <tuple>

namespace
{
    void setKnobs (ZarivirAudioProcessor& processor, const test::Knobs& knobs)
    {
        auto& parameters = processor.getValueTreeState();
        const std::pair<const char*, float> values[] = { { ParameterIds::red, knobs.red }, { ParameterIds::green, knobs.green }, { ParameterIds::blue, knobs.blue }, { ParameterIds::x2, knobs.x2 } };

        for (const auto& [id, value] : values)
            if (auto* parameter = parameters.getParameter (id); parameter->getValue() != value)
                parameter->setValueNotifyingHost (value);
    }

    void play (ZarivirAudioProcessor& processor, const test::Knobs& knobs, float* left, float* right, int n)
    {
        setKnobs (processor, knobs);
        float* channels[] = { left, right };
        juce::AudioBuffer<float> block (channels, 2, n);
        juce::MidiBuffer midi;

        if (knobs.bypassed)
            processor.processBlockBypassed (block, midi);
        else
            processor.processBlock (block, midi);
    }

    juce::MemoryBlock stateOf (const test::Knobs& knobs)
    {
        ZarivirAudioProcessor source;
        setKnobs (source, knobs);
        juce::MemoryBlock state;
        source.getStateInformation (state);
        return state;
    }
} // namespace

class ProcessorChangesDoNotClick : public testing::TestWithParam<std::tuple<double, int>>
{
};

TEST_P (ProcessorChangesDoNotClick, AtEitherTone)
{
    const auto [rate, blockSize] = GetParam();
    test::expectNoChangeClicks (std::to_string ((int) rate) + " Hz, block " + std::to_string (blockSize), false, [rate = rate, blockSize = blockSize] (const test::Case& c, double frequency) {
        ZarivirAudioProcessor processor;
        processor.prepareToPlay (rate, blockSize);
        return test::measureChange (c, rate, blockSize, frequency, [&] (const test::Knobs& k, float* l, float* r, int n) { play (processor, k, l, r, n); });
    });
}

INSTANTIATE_TEST_SUITE_P (RatesAndBlocks,
                          ProcessorChangesDoNotClick,
                          testing::Combine (testing::Values (44100.0, 48000.0, 96000.0), testing::Values (32, 64, 512, 4096)),
                          [] (const auto& parameters) { return std::to_string ((int) std::get<0> (parameters.param)) + "HzBlock" + std::to_string (std::get<1> (parameters.param)); });

TEST (ProcessorChangesDoNotClick, RestoringAStateWhilePlaying)
{
    // A host loads a preset or undoes to a saved state mid-song: every knob and x2 move at once,
    // through the state block instead of the parameters.
    for (const int blockSize : { 64, 4096 })
    {
        for (const auto& c : { test::step ("state restored, all to 1 with x2", {}, { 1.0f, 1.0f, 1.0f, 1.0f }), test::step ("state restored, all to 0", { 1.0f, 1.0f, 1.0f, 1.0f }, {}) })
        {
            ZarivirAudioProcessor processor;
            processor.prepareToPlay (44100.0, blockSize);
            test::Knobs restored { -1.0f };

            const auto m = test::measureChange (c, 44100.0, blockSize, 1000.0, [&] (const test::Knobs& k, float* l, float* r, int n) {
                if (k.red != restored.red)
                {
                    const auto state = stateOf (k);
                    processor.setStateInformation (state.getData(), (int) state.getSize());
                    restored = k;
                }

                play (processor, k, l, r, n);
            });

            EXPECT_LE (m.after, test::inaudibleJumpDb) << c.name << ", block " << blockSize;

            if (std::getenv ("TAVINE_REPORT_CLICKS") != nullptr)
                std::cout << "44100 Hz, block " << blockSize << ", " << c.name << " at 1000 Hz: " << m.after << " dBFS\n";
        }
    }
}

TEST (ZarivirAudioProcessor, ASettingMadeBeforePlaybackDoesNotFadeIn)
{
    // An offline render, or a project that starts with the knobs up: the first block after
    // prepareToPlay, and after a host's reset, already has the full gain, not a glide to it.
    const float gain = tavine::EnhancementStages::greenGain (0.9f, true); // green's own share

    for (const bool afterReset : { false, true })
    {
        ZarivirAudioProcessor processor;
        processor.prepareToPlay (48000.0, 2048);
        const int latency = processor.getLatencySamples();

        if (afterReset)
        {
            // Played with the knobs at 0, stopped (the host resets), then set and started.
            juce::AudioBuffer<float> silence (2, 2048);
            silence.clear();
            juce::MidiBuffer midi;
            processor.processBlock (silence, midi);
            processor.reset();
        }

        setKnobs (processor, { 0.0f, 1.0f, 0.0f, 1.0f });
        const auto tone = test::QuadratureTone { 1000.0, 48000.0 }.channel (2048, false);
        auto left = tone, right = tone;
        play (processor, { 0.0f, 1.0f, 0.0f, 1.0f }, left.data(), right.data(), 2048);

        // A fade-in would leave the first 10 ms after the delay well below the last 10 ms (at
        // a third of the glide, 60 % of the way up from the dry level).
        const auto rmsFrom = [&] (int begin) { return test::rms (left, (std::size_t) begin, (std::size_t) (begin + 480)); };
        const auto first = rmsFrom (latency), last = rmsFrom (2048 - 480);
        EXPECT_NEAR (first / last, 1.0, 0.01) << (afterReset ? "after a reset" : "after prepareToPlay");
        EXPECT_NEAR (last / test::rms (tone, 0, 480), gain, 0.03); // red and blue's 5 % lift a little
    }
}
