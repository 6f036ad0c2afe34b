// Speed of the sound engine, as a real-time factor (seconds of audio processed per second)
// and as nanoseconds per frame, in the same run. Run: build/bench/tavine_bench
#include "engine/EffectEngine.h"

#include <juce_audio_basics/juce_audio_basics.h>

#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

namespace
{
    enum Channels
    {
        mono = 1,
        stereo = 2
    };

    // Arguments: sample rate, block size, channels, 1 = all stages on with x2, 0 = all at 0.
    void engineProcess (benchmark::State& state)
    {
        const double rate = (double) state.range (0);
        const int blockSize = (int) state.range (1);
        const bool isStereo = state.range (2) == stereo;
        const bool active = state.range (3) != 0;

        EffectEngine engine;
        engine.prepare (rate);
        engine.setNoiseSeed (1);
        engine.setRedAmount (active ? 1.0f : 0.0f);
        engine.setGreenAmount (active ? 1.0f : 0.0f);
        engine.setBlueAmount (active ? 1.0f : 0.0f);
        engine.setX2Enabled (active);

        // A second of noise-like material, walked through block by block.
        std::mt19937 random (7);
        std::uniform_real_distribution<float> noise (-0.5f, 0.5f);
        const int sourceLength = (int) rate;
        std::vector<float> sourceLeft ((std::size_t) sourceLength), sourceRight ((std::size_t) sourceLength);

        for (int i = 0; i < sourceLength; ++i)
        {
            sourceLeft[(std::size_t) i] = noise (random);
            sourceRight[(std::size_t) i] = noise (random);
        }

        std::vector<float> left ((std::size_t) blockSize), right ((std::size_t) blockSize);
        const juce::ScopedNoDenormals noDenormals;
        int position = 0;

        for (auto _ : state)
        {
            if (position + blockSize > sourceLength)
                position = 0;

            std::memcpy (left.data(), sourceLeft.data() + position, sizeof (float) * (std::size_t) blockSize);

            if (isStereo)
                std::memcpy (right.data(), sourceRight.data() + position, sizeof (float) * (std::size_t) blockSize);

            engine.process (left.data(), isStereo ? right.data() : nullptr, blockSize);
            benchmark::DoNotOptimize (left.data());
            benchmark::ClobberMemory();
            position += blockSize;
        }

        const auto frames = (double) state.iterations() * blockSize;
        state.counters["realtime_x"] = benchmark::Counter (frames / rate, benchmark::Counter::kIsRate);
        state.counters["s_per_frame"] = benchmark::Counter (frames, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    }
} // namespace

BENCHMARK (engineProcess)
    ->ArgNames ({ "rate", "block", "channels", "active" })
    ->Args ({ 48000, 512, stereo, 1 })
    ->Args ({ 44100, 512, stereo, 1 })
    ->Args ({ 96000, 512, stereo, 1 })
    ->Args ({ 48000, 512, mono, 1 })
    ->Args ({ 48000, 32, stereo, 1 })
    ->Args ({ 48000, 4096, stereo, 1 })
    ->Args ({ 48000, 512, stereo, 0 });

BENCHMARK_MAIN();
