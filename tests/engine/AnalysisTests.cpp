#include "engine/EffectEngine.h"
#include "support/EngineDriver.h"
#include "support/EngineProbe.h"
#include "support/LockHeldElsewhere.h"
#include "support/Signals.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <optional>
#include <random>
#include <thread>
#include <vector>

using namespace tavine;

using test::Amounts;

namespace
{
    // Feeds the same signal to both channels, in host-sized blocks.
    void play (EffectEngine& engine, std::vector<float> signal, int blockSize = 512)
    {
        auto right = signal;
        test::processSignal (engine, {}, signal, &right, blockSize);
    }

    void playSilence (EffectEngine& engine, double seconds)
    {
        play (engine, std::vector<float> ((std::size_t) (engine.getSampleRate() * seconds), 0.0f));
    }

    std::vector<float> sineFor (const EffectEngine& engine, double seconds, float amplitude = 0.5f)
    {
        return test::sine (1000.0, engine.getSampleRate(), (int) (engine.getSampleRate() * seconds), amplitude);
    }
} // namespace

TEST (Meters, SteadySineReadsDenseAndSteadyWithoutTransients)
{
    EffectEngine engine;
    play (engine, sineFor (engine, 7.0));

    EXPECT_GT (engine.getGreenMeter(), 0.99f);
    EXPECT_LE (engine.getGreenMeter(), 1.0f);
    EXPECT_GT (engine.getRedMeter(), 0.99f);
    EXPECT_LT (engine.getBlueMeter(), 1.0e-3f);
}

TEST (Meters, OnsetReadsAsATransient)
{
    EffectEngine engine;
    playSilence (engine, 0.5);
    play (engine, sineFor (engine, 0.05));

    EXPECT_GT (engine.getBlueMeter(), 0.05f);
    EXPECT_LT (engine.getRedMeter(), 0.6f);
}

TEST (Meters, SilenceEmptiesTheWindowsAndDecaysTheMetersToZero)
{
    EffectEngine engine;
    play (engine, sineFor (engine, 1.0));
    playSilence (engine, 0.35);

    EXPECT_EQ (EngineProbe::longWindow (engine).getSum(), 0.0);
    EXPECT_EQ (EngineProbe::shortWindow (engine).getSum(), 0.0);
    EXPECT_EQ (engine.getGreenMeter(), 0.0f);

    playSilence (engine, 10.0);
    EXPECT_EQ (engine.getRedMeter(), 0.0f);
    EXPECT_EQ (engine.getBlueMeter(), 0.0f);
}

TEST (Meters, OppositePhaseChannelsReadAsSilence)
{
    EffectEngine engine;
    play (engine, sineFor (engine, 1.0));

    auto left = sineFor (engine, 10.0);
    auto right = left;

    for (auto& s : right)
        s = -s;

    test::processSignal (engine, {}, left, &right);
    EXPECT_EQ (EngineProbe::longWindow (engine).getSum(), 0.0);
    EXPECT_EQ (engine.getGreenMeter(), 0.0f);
    EXPECT_EQ (engine.getRedMeter(), 0.0f);
    EXPECT_EQ (engine.getBlueMeter(), 0.0f);
}

TEST (Meters, MidWithinTheDeadZoneCountsAsSilence)
{
    EffectEngine engine;
    play (engine, sineFor (engine, 1.0, 0.99e-4f));
    EXPECT_EQ (EngineProbe::longWindow (engine).getSum(), 0.0);
    EXPECT_EQ (engine.getGreenMeter(), 0.0f);

    // A negative-only mid never raises the peak, so density stays 0 as well.
    EffectEngine negative;
    play (negative, std::vector<float> (44100, -0.5f));
    EXPECT_EQ (EngineProbe::peakEnvelope (negative).value, 0.0);
    EXPECT_EQ (negative.getGreenMeter(), 0.0f);
}

TEST (Meters, WindowsWakeOnlyAboveTheirThresholds)
{
    // From silence a single sample wakes a window only when its square lifts the mean to
    // 1e-8: 0.0115 for the long window, 0.0030 for the short one at 44.1 kHz.
    const auto sumsAfterImpulse = [] (float height) {
        EffectEngine engine;
        std::vector<float> signal (1024, 0.0f);
        signal[100] = height;
        play (engine, signal);
        return std::pair { EngineProbe::longWindow (engine).getSum(), EngineProbe::shortWindow (engine).getSum() };
    };

    EXPECT_GT (sumsAfterImpulse (0.0116f).first, 0.0);
    EXPECT_EQ (sumsAfterImpulse (0.0114f).first, 0.0);
    EXPECT_GT (sumsAfterImpulse (0.0031f).second, 0.0);
    EXPECT_EQ (sumsAfterImpulse (0.0029f).second, 0.0);
}

TEST (Meters, TransientEnvelopeRisesTowardsFourFifths)
{
    Envelope envelope;
    envelope.attack = 1.0 / 3307.5;
    envelope.release = 1.0 - 1.0 / 13230.0;

    const auto after = [&envelope] (int samples) {
        for (int i = 0; i < samples; ++i)
            envelope.decayThenRise (1.0);

        return envelope.value;
    };

    EXPECT_NEAR (after (441), 0.123, 0.0005);
    EXPECT_NEAR (after (441), 0.227, 0.0005);
    EXPECT_NEAR (after (4410 - 882), 0.649, 0.0005);
    EXPECT_NEAR (after (200000), 0.8000, 0.00005);
    EXPECT_NEAR (1.0 - std::pow (0.8, 0.2), 0.044, 0.0005); // where steadiness then settles
}

TEST (Meters, PeakTakesAboutEighteenSecondsToFallFromFullScale)
{
    // In the engine the peak falls by a factor of e every second, until only the noise floor
    // (at most 1e-7) holds it up.
    EffectEngine engine;
    std::vector<float> impulse (1024, 0.0f);
    impulse[0] = 1.0f;
    play (engine, impulse); // the impulse comes out at 512, then decays for 512 samples
    playSilence (engine, 10.0);
    EXPECT_NEAR (EngineProbe::peakEnvelope (engine).value / std::pow (1.0 - 1.0 / 44100.0, 441000 + 512), 1.0, 1.0e-3);
    playSilence (engine, 10.0);
    EXPECT_LE (EngineProbe::peakEnvelope (engine).value, 1.0e-7);

    // On its own the envelope falls from 1 to exactly 0 in about 18.4 s.
    Envelope peak;
    peak.release = 1.0 - 1.0 / 44100.0;
    peak.value = 1.0;
    int samples = 0;

    while (peak.decayThenRise (0.0) > 0.0)
        ++samples;

    EXPECT_NEAR (samples / 44100.0, 18.4, 0.05);
}

class MeterRelease : public testing::TestWithParam<double>
{
};

TEST_P (MeterRelease, DecaysToOneOverEInATenthOfASecond)
{
    EffectEngine engine;
    engine.prepare (GetParam());
    play (engine, sineFor (engine, 7.0));
    ASSERT_GT (engine.getRedMeter(), 0.99f);

    // Opposite phase silences the mid, so the gate shuts and only the release acts once the
    // delayed in-phase tail has passed and the long window has emptied (0.3 s).
    auto left = sineFor (engine, 0.35), right = left;

    for (auto& s : right)
        s = -s;

    test::processSignal (engine, {}, left, &right, 64);
    const float start = engine.getRedMeter();
    ASSERT_GT (start, 0.0f);

    left.assign ((std::size_t) (engine.getSampleRate() * 0.1), 0.0f);
    right = left;
    test::processSignal (engine, {}, left, &right, 64);
    EXPECT_NEAR (engine.getRedMeter() / start, std::exp (-1.0f), 0.002f);
}

INSTANTIATE_TEST_SUITE_P (Rates, MeterRelease, testing::Values (44100.0, 48000.0, 96000.0));

TEST (History, FirstPointOnThe1102ndSampleAndSilenceReadsZero)
{
    EffectEngine engine;
    std::vector<float> silence (1101, 0.0f);
    play (engine, silence);
    EXPECT_EQ (engine.getHistory().getLevelRing().getPosition(), 0);
    play (engine, std::vector<float> (1, 0.0f));
    EXPECT_EQ (engine.getHistory().getLevelRing().getPosition(), 1);

    playSilence (engine, 2.0);
    juce::Array<float> levels;
    juce::Array<int> colours;
    levels.resize (388);
    colours.resize (388);
    ASSERT_TRUE (engine.copyHistory (levels, colours));

    for (auto level : levels)
        EXPECT_EQ (level, 0.0f);
}

TEST (History, SineLevelsThroughTheEngine)
{
    EffectEngine engine;
    play (engine, sineFor (engine, 1.0, 1.0f));

    juce::Array<float> levels;
    juce::Array<int> colours;
    levels.resize (10);
    colours.resize (10);
    ASSERT_TRUE (engine.copyHistory (levels, colours));
    EXPECT_NEAR (levels[0], 0.7071f, 0.001f);

    EffectEngine oneSided;
    auto left = sineFor (oneSided, 1.0, 1.0f);
    std::vector<float> right (left.size(), 0.0f);
    test::processSignal (oneSided, {}, left, &right);
    ASSERT_TRUE (oneSided.copyHistory (levels, colours));
    EXPECT_NEAR (levels[0], 0.5f, 0.001f);
}

TEST (History, ColourCodePacking)
{
    EXPECT_EQ (SignalAnalysis::packColourCode (1.0f, 0.0f, 0.0f), 0x00FF0000);
    EXPECT_EQ (SignalAnalysis::packColourCode (0.0f, 1.0f, 0.0f), 0x0000FF00);
    EXPECT_EQ (SignalAnalysis::packColourCode (0.0f, 0.0f, 1.0f), 0x000000FF);
    EXPECT_EQ (SignalAnalysis::packColourCode (0.0f, 0.0f, 0.0f), 0);
    EXPECT_EQ (SignalAnalysis::packColourCode (1.0f, 1.0f, 1.0f), 0x00555555);

    // Taken apart, each share comes back under the name of what its meter measures:
    // transients in blue's bits, steadiness in red's, density in green's.
    const auto shares = SignalAnalysis::unpackColourCode (SignalAnalysis::packColourCode (0.1f, 0.6f, 0.3f));
    EXPECT_EQ (shares.transients, 25);
    EXPECT_EQ (shares.steadiness, 153);
    EXPECT_EQ (shares.density, 76);

    // Truncation of the float shares can give 84 instead of 85 for other equal sums.
    for (float sum : { 0.1f, 3.0f, 1102.0f, 0.7f })
    {
        const int code = SignalAnalysis::packColourCode (sum, sum, sum);
        EXPECT_TRUE (code == 0x00555555 || code == 0x00545454) << std::hex << code;
    }

    // A steady sine: its points carry steadiness and density and no transients.
    EffectEngine engine;
    play (engine, sineFor (engine, 3.0));
    juce::Array<float> levels;
    juce::Array<int> colours;
    levels.resize (1);
    colours.resize (1);
    ASSERT_TRUE (engine.copyHistory (levels, colours));
    auto newest = SignalAnalysis::unpackColourCode (colours[0]);
    EXPECT_EQ (newest.transients, 0);
    EXPECT_GT (newest.steadiness, 100);
    EXPECT_GT (newest.density, 100);

    // Each point's sums start afresh: a second into silence, where density is 0 once the long
    // window has emptied, a point owes nothing to the sine's density before it.
    playSilence (engine, 1.0);
    ASSERT_TRUE (engine.copyHistory (levels, colours));
    newest = SignalAnalysis::unpackColourCode (colours[0]);
    EXPECT_EQ (newest.density, 0);
    EXPECT_GT (newest.steadiness, 0);
}

TEST (History, CopySizeLimits)
{
    EffectEngine engine;
    play (engine, sineFor (engine, 2.0));

    juce::Array<float> levels;
    juce::Array<int> colours;

    levels.resize (399);
    colours.resize (400);
    EXPECT_TRUE (engine.copyHistory (levels, colours));

    levels.resize (400);
    colours.fill (-1);
    EXPECT_FALSE (engine.copyHistory (levels, colours));
    EXPECT_NE (colours[0], -1); // the colours were refreshed before the levels failed

    colours.resize (401);
    colours.fill (-1);
    levels.resize (10);
    levels.fill (-1.0f);
    EXPECT_FALSE (engine.copyHistory (levels, colours));

    for (auto c : colours)
        EXPECT_EQ (c, -1);

    for (auto l : levels)
        EXPECT_EQ (l, -1.0f);
}

TEST (History, NewRateZeroesLevelsAndKeepsColours)
{
    EffectEngine engine;
    play (engine, sineFor (engine, 2.0));

    juce::Array<float> levels;
    juce::Array<int> colours;
    levels.resize (20);
    colours.resize (20);
    ASSERT_TRUE (engine.copyHistory (levels, colours));
    const auto coloursBefore = colours;

    engine.prepare (48000.0);
    ASSERT_TRUE (engine.copyHistory (levels, colours));

    for (auto level : levels)
        EXPECT_EQ (level, 0.0f);

    EXPECT_EQ (colours, coloursBefore);
}

TEST (Concurrency, CopyHistoryNeverWaitsForTheAudioThread)
{
    EffectEngine engine;
    std::optional<test::LockHeldElsewhere> audio;
    audio.emplace (EngineProbe::lock (engine));

    juce::Array<float> levels;
    juce::Array<int> colours;
    levels.resize (10);
    colours.resize (10);
    EXPECT_FALSE (engine.copyHistory (levels, colours)); // returns at once instead of blocking

    audio.reset();
    EXPECT_TRUE (engine.copyHistory (levels, colours));
}

TEST (Concurrency, AudioAndMessageThreadsRunSideBySide)
{
    EffectEngine engine;
    std::atomic<bool> done { false };
    std::atomic<int> copies { 0 };

    std::thread audio ([&] {
        std::mt19937 random (11);
        std::uniform_int_distribution<int> blockSize (0, 8192);
        std::uniform_real_distribution<float> noise (-1.0f, 1.0f);
        std::vector<float> left (8192), right (8192);

        for (int block = 0; block < 300; ++block)
        {
            const int n = blockSize (random);

            for (int i = 0; i < n; ++i)
                left[(std::size_t) i] = right[(std::size_t) i] = noise (random);

            test::processBlock (engine, { 1.0f, 1.0f, 1.0f, block % 2 == 0 }, left.data(), (block % 3 == 0) ? nullptr : right.data(), n);

            // Halfway, give the message thread the time it needs on a loaded machine to land
            // a copy between blocks, so that the copies are known to interleave with audio.
            if (block == 150)
                for (int wait = 0; wait < 10000 && copies.load() == 0; ++wait)
                    std::this_thread::sleep_for (std::chrono::milliseconds (1));
        }

        done = true;
    });

    juce::Array<float> levels;
    juce::Array<int> colours;
    levels.resize (388);
    colours.resize (388);

    while (! done)
    {
        if (engine.copyHistory (levels, colours))
            ++copies;

        for (float meter : { engine.getRedMeter(), engine.getGreenMeter(), engine.getBlueMeter() })
        {
            EXPECT_GE (meter, 0.0f);
            EXPECT_LE (meter, 1.0f);
        }
    }

    audio.join();
    EXPECT_GT (copies.load(), 0);
}

TEST (Concurrency, PrepareForANewRateWhileTheMessageThreadCopiesTheHistory)
{
    // A host may change the rate while the editor is open: prepare re-sizes the history while
    // the panel's timer copies it. ThreadSanitizer sees every access of both sides here.
    EffectEngine engine;
    std::atomic<bool> done { false };
    std::atomic<int> prepares { 0 }, copies { 0 };

    std::thread host ([&] {
        const double rates[] = { 48000.0, 22050.0, 96000.0, 44100.0, 11025.0, 192000.0 };
        std::vector<float> left (2048, 0.25f), right (2048, -0.25f);

        for (int turn = 0; turn < 60; ++turn)
        {
            const int copiesBefore = copies.load();
            engine.prepare (rates[turn % 6]);
            ++prepares;
            test::processBlock (engine, { 0.5f, 0.5f, 0.5f, false }, left.data(), right.data(), (int) left.size());

            // On a busy machine this thread could otherwise finish all its turns before the
            // message side is scheduled at all: each turn waits (a while at most) for a copy
            // to get through in between.
            const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds (2);

            while (copies.load() == copiesBefore && std::chrono::steady_clock::now() < giveUp)
                std::this_thread::yield();
        }

        done = true;
    });

    juce::Array<float> levels;
    juce::Array<int> colours;
    levels.resize (388);
    colours.resize (388);

    while (! done)
        copies += engine.copyHistory (levels, colours) ? 1 : 0;

    host.join();
    EXPECT_EQ (prepares.load(), 60);
    EXPECT_GT (copies.load(), 0);
}
