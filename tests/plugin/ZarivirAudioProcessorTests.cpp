#include "plugin/ParameterIds.h"
#include "plugin/ParameterText.h"
#include "plugin/ZarivirAudioProcessor.h"
#include "support/AllocationCounter.h"
#include "support/EngineProbe.h"
#include "support/Signals.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <random>
#include <vector>
#include <xmmintrin.h>

namespace
{
    juce::RangedAudioParameter& parameter (ZarivirAudioProcessor& processor, const char* id)
    {
        auto* p = processor.getValueTreeState().getParameter (id);
        EXPECT_NE (p, nullptr) << id;
        return *p;
    }

    void setParameters (ZarivirAudioProcessor& processor, float red, float green, float blue, float x2)
    {
        parameter (processor, ParameterIds::red).setValueNotifyingHost (red);
        parameter (processor, ParameterIds::green).setValueNotifyingHost (green);
        parameter (processor, ParameterIds::blue).setValueNotifyingHost (blue);
        parameter (processor, ParameterIds::x2).setValueNotifyingHost (x2);
    }

    void runBlock (ZarivirAudioProcessor& processor, int channels, int samples)
    {
        juce::AudioBuffer<float> buffer (channels, samples);
        buffer.clear();
        juce::MidiBuffer midi;
        processor.processBlock (buffer, midi);
    }
} // namespace

TEST (ZarivirAudioProcessor, IdentityAndFixedAnswers)
{
    ZarivirAudioProcessor processor;
    EXPECT_EQ (processor.getName(), "Tavine");
    EXPECT_EQ (processor.getTailLengthSeconds(), 0.0);
    EXPECT_FALSE (processor.acceptsMidi());
    EXPECT_FALSE (processor.producesMidi());
    EXPECT_TRUE (processor.hasEditor());
    EXPECT_EQ (processor.getNumPrograms(), 1);
    EXPECT_EQ (processor.getCurrentProgram(), 0);
    EXPECT_EQ (processor.getProgramName (0), "");
    EXPECT_FALSE (processor.supportsDoublePrecisionProcessing());
}

TEST (ZarivirAudioProcessor, FourParametersInOrderWithTheirIdentity)
{
    ZarivirAudioProcessor processor;
    const auto& params = processor.getParameters();
    ASSERT_EQ (params.size(), 4);

    // Spelled out: these are what hosts and saved projects know the parameters by.
    const char* ids[] = { "red", "green", "blue", "x2" };

    for (int i = 0; i < 4; ++i)
    {
        EXPECT_STREQ (ParameterIds::all[(size_t) i], ids[i]);

        auto* ranged = dynamic_cast<juce::RangedAudioParameter*> (params[i]);
        ASSERT_NE (ranged, nullptr);
        EXPECT_EQ (ranged->getParameterID(), ids[i]);
        EXPECT_EQ (ranged->getName (512), ids[i]);
        EXPECT_EQ (ranged->getLabel(), "");
        EXPECT_EQ (ranged->getValue(), 0.0f);
        EXPECT_EQ (ranged->getDefaultValue(), 0.0f);
        EXPECT_TRUE (ranged->isAutomatable());
        EXPECT_FALSE (ranged->isMetaParameter());
        EXPECT_EQ (ranged->getNormalisableRange().start, 0.0f);
        EXPECT_EQ (ranged->getNormalisableRange().end, 1.0f);
        EXPECT_EQ (ranged->getNormalisableRange().interval, 0.0f);
        EXPECT_EQ (ranged->getNormalisableRange().skew, 1.0f);
    }

    EXPECT_EQ (processor.getValueTreeState().getParameter ("Red"), nullptr); // IDs are case-sensitive
}

TEST (ZarivirAudioProcessor, KnobTextAndParsing)
{
    ZarivirAudioProcessor processor;
    auto& red = parameter (processor, ParameterIds::red);

    EXPECT_EQ (red.getText (0.25f, 512), "0.25");
    EXPECT_EQ (red.getText (0.0f, 512), "0.00");
    EXPECT_EQ (red.getText (0.5f, 512), "0.50");
    EXPECT_EQ (red.getText (1.0f, 512), "1.00");
    EXPECT_EQ (red.getText (0.125f, 512), "0.13");
    EXPECT_EQ (red.getText (0.005f, 512), "0.00"); // the float lies just below 0.005
    EXPECT_EQ (red.getText (0.015f, 512), "0.01");

    EXPECT_FLOAT_EQ (red.getValueForText (" 0.3"), 0.3f);
    EXPECT_EQ (red.getValueForText ("abc"), 0.0f);
    EXPECT_EQ (red.getValueForText ("2"), 1.0f); // the parameter limits it
    EXPECT_EQ (red.getValueForText ("50%"), 1.0f);
    EXPECT_FLOAT_EQ (red.getValueForText ("2.5e-1xyz"), 0.25f);
}

TEST (ZarivirAudioProcessor, NumbersAreReadLikeDecimalTextAndNothingElse)
{
    const auto inf = std::numeric_limits<double>::infinity();
    const std::pair<const char*, double> cases[] = {
        { "0.25", 0.25 },
        { " 0.25", 0.25 },
        { "\t+.5", 0.5 },
        { "5.", 5.0 },
        { "-0.75", -0.75 },
        { "1e-05", 1.0e-5 },
        { "2.5E+1x", 25.0 },
        { "1e", 1.0 },
        { "1e+", 1.0 },
        { "50%", 50.0 },
        { "abc", 0.0 },
        { "", 0.0 },
        { "e5", 0.0 },
        { ".", 0.0 },
        { "-", 0.0 },
        { "nan", 0.0 },
        { "inf", 0.0 },
        { "0x10", 0.0 },
        { "1,5", 1.0 },
        { "1e400", inf },
        { "-1e400", -inf },
        { "1e-400", 0.0 },
        { "0e999999999999", 0.0 },
        { "1e4095999999999999", inf },
        { "1e-4095999999999999", 0.0 }
    };

    for (const auto& [text, expected] : cases)
        EXPECT_EQ (ParameterText::parseNumber (text), expected) << text;
}

TEST (ZarivirAudioProcessor, ToggleTextAndParsing)
{
    ZarivirAudioProcessor processor;
    auto& x2 = parameter (processor, ParameterIds::x2);

    EXPECT_EQ (x2.getText (0.49f, 512), "Off");
    EXPECT_EQ (x2.getText (0.5f, 512), "On");
    EXPECT_EQ (x2.getText (1.0f, 512), "On");

    for (const char* on : { "1", "on", "On", "ON", " on ", "\t\r\n\v\fon\n" })
        EXPECT_EQ (x2.getValueForText (on), 1.0f) << on;

    for (const char* off : { "Off", "0", "1.0", "true", "yes", "", "o n", "on!" })
        EXPECT_EQ (x2.getValueForText (off), 0.0f) << off;
}

TEST (ZarivirAudioProcessor, EveryBlockHandsTheParametersToTheEngine)
{
    ZarivirAudioProcessor processor;
    setParameters (processor, 0.0f, 1.0f, 0.0f, 0.5f);
    runBlock (processor, 2, 0); // even an empty block updates the amounts

    // The knobs cross-mix into the stage amounts (StageSetting::fromKnobs): green at 1 gives its
    // own stage 0.9 and each of the others 0.05.
    EXPECT_EQ (tavine::EngineProbe::setting (processor.getEngine()).redAmount, 0.05f);
    EXPECT_EQ (tavine::EngineProbe::setting (processor.getEngine()).greenAmount, 0.9f);
    EXPECT_EQ (tavine::EngineProbe::setting (processor.getEngine()).blueAmount, 0.05f);
    EXPECT_TRUE (tavine::EngineProbe::setting (processor.getEngine()).x2Enabled);

    setParameters (processor, 0.0f, 0.0f, 0.0f, 0.0f);
    runBlock (processor, 1, 16);
    EXPECT_EQ (tavine::EngineProbe::setting (processor.getEngine()).greenAmount, 0.0f);
    EXPECT_FALSE (tavine::EngineProbe::setting (processor.getEngine()).x2Enabled);
}

TEST (ZarivirAudioProcessor, NonFiniteParameterValuesCountAsZero)
{
    ZarivirAudioProcessor processor;
    setParameters (processor, 1.0f, 1.0f, 1.0f, 1.0f);
    parameter (processor, ParameterIds::green).setValue (std::numeric_limits<float>::quiet_NaN());
    runBlock (processor, 2, 64);

    // Green counts as 0: red's stage gets 0.9 from its knob and 0.05 from blue's, green's
    // stage only 0.05 from each of the others.
    EXPECT_EQ (tavine::EngineProbe::setting (processor.getEngine()).redAmount, 0.95f);
    EXPECT_EQ (tavine::EngineProbe::setting (processor.getEngine()).greenAmount, 0.1f);
    EXPECT_TRUE (std::isfinite (tavine::EngineProbe::setting (processor.getEngine()).blueAmount));
}

TEST (ZarivirAudioProcessor, ReportsTheDelayAsLatencyAtEveryRate)
{
    ZarivirAudioProcessor processor;
    EXPECT_EQ (processor.getLatencySamples(), 512);

    // 22050 gives no delay of its own, so it keeps the 2048 samples of the rate before it.
    for (const auto& [rate, latency] : { std::pair { 48000.0, 512 }, { 96000.0, 1024 }, { 192000.0, 2048 }, { 22050.0, 2048 }, { 44100.0, 512 } })
    {
        processor.prepareToPlay (rate, 512);
        EXPECT_EQ (processor.getLatencySamples(), latency) << rate;
        EXPECT_EQ (processor.getLatencySamples(), processor.getEngine().getDelayLength());
    }
}

TEST (ZarivirAudioProcessor, LeavesMidiAndExtraChannelsAloneAndRestoresTheFpuState)
{
    ZarivirAudioProcessor processor;
    setParameters (processor, 1.0f, 1.0f, 1.0f, 1.0f);

    juce::AudioBuffer<float> buffer (3, 256);

    for (int ch = 0; ch < 3; ++ch)
        for (int i = 0; i < 256; ++i)
            buffer.setSample (ch, i, 0.25f);

    juce::MidiBuffer midi;
    midi.addEvent (juce::MidiMessage::noteOn (1, 60, 0.5f), 3);
    midi.addEvent (juce::MidiMessage::controllerEvent (2, 7, 100), 200);
    const auto midiBefore = midi;

    const auto statusBefore = _mm_getcsr(); // the host's control word, denormals not flushed
    ASSERT_EQ (statusBefore & 0x8040u, 0u);
    processor.processBlock (buffer, midi);
    EXPECT_EQ (_mm_getcsr(), statusBefore);

    EXPECT_EQ (midi.getNumEvents(), 2);
    auto it = midi.cbegin();
    auto itBefore = midiBefore.cbegin();

    for (; it != midi.cend(); ++it, ++itBefore)
    {
        EXPECT_EQ ((*it).samplePosition, (*itBefore).samplePosition);
        EXPECT_EQ ((*it).getMessage().getRawDataSize(), (*itBefore).getMessage().getRawDataSize());
    }

    for (int i = 0; i < 256; ++i)
        EXPECT_EQ (buffer.getSample (2, i), 0.25f);
}

TEST (ZarivirAudioProcessor, MonoAndStereoBlocksReachTheEngine)
{
    ZarivirAudioProcessor processor;
    juce::MidiBuffer midi;

    juce::AudioBuffer<float> mono (1, 2048);
    mono.clear();
    mono.setSample (0, 0, 0.5f);
    processor.processBlock (mono, midi);
    EXPECT_NEAR (mono.getSample (0, 512), 0.5f, 1.0e-6f); // delayed, hence processed

    juce::AudioBuffer<float> none (0, 64);
    processor.processBlock (none, midi); // nothing to do, and no crash
}

TEST (ZarivirAudioProcessor, AudioThreadNeverAllocates)
{
    if (! test::ScopedAllocationCounter::isAvailable())
        GTEST_SKIP() << "allocation counting is off under sanitizers";

    ZarivirAudioProcessor processor;
    processor.prepareToPlay (48000.0, 8192);
    setParameters (processor, 1.0f, 1.0f, 1.0f, 1.0f);

    std::mt19937 random (5);
    std::uniform_real_distribution<float> noise (-1.0f, 1.0f);
    juce::AudioBuffer<float> stereo (2, 8192), mono (1, 8192);

    for (auto* buffer : { &stereo, &mono })
        for (int ch = 0; ch < buffer->getNumChannels(); ++ch)
            for (int i = 0; i < 8192; ++i)
                buffer->setSample (ch, i, noise (random));

    juce::MidiBuffer midi;
    const int sizes[] = { 0, 1, 2, 7, 64, 511, 512, 4095, 4096, 4097, 8192 };

    // This thread plays the host's audio thread; the counter sees only its allocations.
    long allocations = 0, frees = 0;

    for (int round = 0; round < 40; ++round)
    {
        // The knobs move between rounds (as the host's automation moves them, on its own
        // thread), so gains glide and stages sleep and wake within the rounds.
        const float knob = round % 3 == 0 ? 0.0f : 0.5f * (float) (round % 3);
        setParameters (processor, knob, 1.0f - knob, knob, round % 4 < 2 ? 1.0f : 0.0f);

        for (int size : sizes)
        {
            auto& buffer = (round % 2 == 0) ? stereo : mono;
            juce::AudioBuffer<float> view (buffer.getArrayOfWritePointers(), buffer.getNumChannels(), size);

            const test::ScopedAllocationCounter counter;

            if (round % 5 == 4)
                processor.processBlockBypassed (view, midi);
            else
                processor.processBlock (view, midi);

            allocations += counter.getAllocations();
            frees += counter.getFrees();
        }
    }

    EXPECT_EQ (allocations, 0);
    EXPECT_EQ (frees, 0);
}

TEST (ZarivirAudioProcessor, MetersDecayToExactlyZeroInSilence)
{
    // The meters decay by a factor per sample. Without denormals flushed, a decaying float
    // ends up in the denormal range, where the factor rounds it back to itself: the meter
    // would stay above 0 for good, and every later sample would pay for denormal arithmetic.
    // So the processor must flush denormals around the engine, whatever the host's FPU mode.
    ZarivirAudioProcessor processor;
    processor.prepareToPlay (8000.0, 4000);
    ASSERT_EQ (_mm_getcsr() & 0x8040u, 0u); // the host's control word, denormals not flushed

    juce::AudioBuffer<float> buffer (2, 4000);
    juce::MidiBuffer midi;

    // Clicks on silence raise the transient meter, then a steady tone the steadiness.
    for (int i = 0; i < 4000; ++i)
        for (int ch = 0; ch < 2; ++ch)
            buffer.setSample (ch, i, i % 1000 == 0 ? 0.9f : 0.0f);

    processor.processBlock (buffer, midi);
    EXPECT_GT (processor.getEngine().getBlueMeter(), 0.01f);

    for (int block = 0; block < 4; ++block)
    {
        for (int i = 0; i < 4000; ++i)
            for (int ch = 0; ch < 2; ++ch)
                buffer.setSample (ch, i, 0.5f * (float) std::sin (0.2 * (block * 4000 + i)));

        processor.processBlock (buffer, midi);
    }

    EXPECT_GT (processor.getEngine().getRedMeter(), 0.5f);

    // Twelve seconds of silence: 120 time constants, far past the smallest normal float.
    for (int block = 0; block < 24; ++block)
    {
        buffer.clear();
        processor.processBlock (buffer, midi);
    }

    EXPECT_EQ (processor.getEngine().getRedMeter(), 0.0f);
    EXPECT_EQ (processor.getEngine().getBlueMeter(), 0.0f);
}

TEST (ZarivirAudioProcessor, BypassPassesTheInputDelayedByTheLatency)
{
    ZarivirAudioProcessor processor;
    processor.prepareToPlay (96000.0, 512);
    setParameters (processor, 1.0f, 1.0f, 1.0f, 1.0f);
    const int latency = processor.getLatencySamples();
    ASSERT_EQ (latency, 1024);

    const auto input = test::sine (1000.0, 96000.0, 4096, 0.5f);
    juce::AudioBuffer<float> buffer (2, 4096);

    for (int ch = 0; ch < 2; ++ch)
        for (int i = 0; i < 4096; ++i)
            buffer.setSample (ch, i, input[(std::size_t) i]);

    juce::MidiBuffer midi;
    processor.processBlockBypassed (buffer, midi);

    for (int ch = 0; ch < 2; ++ch)
        for (int i = 0; i < 4096; ++i)
            ASSERT_NEAR (buffer.getSample (ch, i), i < latency ? 0.0f : input[(std::size_t) (i - latency)], 2.0e-7f) << ch << ", " << i;
}

namespace
{
    /** Sets an environment variable for as long as it lives, then removes it. */
    struct ScopedEnvironment
    {
        ScopedEnvironment (const char* nameToSet, const char* value)
            : name (nameToSet)
        {
#if defined(_WIN32)
            _putenv_s (name, value);
#else
            setenv (name, value, 1);
#endif
        }

        ~ScopedEnvironment()
        {
#if defined(_WIN32)
            _putenv_s (name, "");
#else
            unsetenv (name);
#endif
        }

        const char* name;
    };

    /** What a fresh processor sends out for silence with every knob at 0: its noise floor. */
    std::vector<float> noiseFloorOfAFreshProcessor()
    {
        ZarivirAudioProcessor processor;
        processor.prepareToPlay (48000.0, 1024);
        juce::AudioBuffer<float> buffer (2, 2048);
        buffer.clear();
        juce::MidiBuffer midi;
        processor.processBlock (buffer, midi);
        return { buffer.getReadPointer (0) + processor.getLatencySamples(), buffer.getReadPointer (0) + 2048 };
    }
} // namespace

TEST (ZarivirAudioProcessor, NoiseIsSeededPerInstanceUnlessATestFixesTheSeed)
{
    const auto heard = [] (const std::vector<float>& noise) { return std::count_if (noise.begin(), noise.end(), [] (float v) { return v != 0.0f; }); };

    // Each instance has noise of its own...
    const auto first = noiseFloorOfAFreshProcessor();
    EXPECT_GT (heard (first), 500);
    EXPECT_NE (first, noiseFloorOfAFreshProcessor());

    // ...unless a test asks for a fixed seed: then every instance has the same.
    {
        const ScopedEnvironment seed ("TAVINE_NOISE_SEED", "-20261209");
        const auto fixed = noiseFloorOfAFreshProcessor();
        EXPECT_GT (heard (fixed), 500);
        EXPECT_EQ (fixed, noiseFloorOfAFreshProcessor());
    }

    // Anything but a whole number is ignored.
    for (const auto* text : { "12abc", "1.5", "", "-", "1234567890123456789012" })
    {
        const ScopedEnvironment seed ("TAVINE_NOISE_SEED", text);
        EXPECT_NE (noiseFloorOfAFreshProcessor(), noiseFloorOfAFreshProcessor()) << text;
    }
}
