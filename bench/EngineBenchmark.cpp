// Speed of the sound engine, as a real-time factor (seconds of audio processed per second)
// and as nanoseconds per frame, in the same run, and the memory one engine allocates.
// Run: build/bench/tavine_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
#include "engine/EffectEngine.h"

#include <juce_audio_basics/juce_audio_basics.h>

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <cstring>
#include <memory>
#include <random>
#include <vector>

using namespace tavine;

// The C library's own count of the bytes in use (small blocks from the heap, large ones
// mapped), so that what an engine asks for while it is built and prepared can be measured
// without replacing the allocator. Chunk headers are included.
namespace
{
    std::size_t bytesInUse()
    {
        const auto info = mallinfo2();
        return info.uordblks + info.hblkhd;
    }

    enum Channels
    {
        mono = 1,
        stereo = 2
    };

    enum Setting
    {
        allAtZero = 0,
        allFullWithX2 = 1,
        gliding = 2 // every block asks for other gains, so a glide is always under way
    };

    // Arguments: sample rate, block size, channels, setting.
    void engineProcess (benchmark::State& state)
    {
        const double rate = (double) state.range (0);
        const int blockSize = (int) state.range (1);
        const bool isStereo = state.range (2) == stereo;
        const auto setting = (Setting) state.range (3);
        const bool active = setting != allAtZero;

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

            if (setting == gliding)
            {
                // Between full and half amounts, block after block, with x2 off and on.
                const bool full = (position / blockSize) % 2 == 0;
                engine.setRedAmount (full ? 1.0f : 0.5f);
                engine.setGreenAmount (full ? 1.0f : 0.5f);
                engine.setBlueAmount (full ? 1.0f : 0.5f);
                engine.setX2Enabled (full);
            }

            engine.process (left.data(), isStereo ? right.data() : nullptr, blockSize);
            benchmark::DoNotOptimize (left.data());
            benchmark::ClobberMemory();
            position += blockSize;
        }

        const auto frames = (double) state.iterations() * blockSize;
        state.counters["realtime_x"] = benchmark::Counter (frames / rate, benchmark::Counter::kIsRate);
        state.counters["s_per_frame"] = benchmark::Counter (frames, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    }

    // Bytes one engine allocates for a rate: the engine object itself plus everything it sizes
    // in its constructor and in prepare (a fresh engine is first built for 44100 Hz).
    void engineMemory (benchmark::State& state)
    {
        const double rate = (double) state.range (0);
        std::size_t bytes = 0;

        for (auto _ : state)
        {
            const auto before = bytesInUse();
            auto engine = std::make_unique<EffectEngine>();
            engine->prepare (rate);
            const auto during = bytesInUse() - before;
            engine.reset();
            bytes = during;
        }

        state.counters["bytes"] = (double) bytes;
    }
} // namespace

BENCHMARK (engineMemory)->ArgName ("rate")->Arg (44100)->Arg (192000)->Iterations (1);

BENCHMARK (engineProcess)
    ->ArgNames ({ "rate", "block", "channels", "setting" })
    ->Args ({ 48000, 512, stereo, allFullWithX2 })
    ->Args ({ 44100, 512, stereo, allFullWithX2 })
    ->Args ({ 96000, 512, stereo, allFullWithX2 })
    ->Args ({ 48000, 512, mono, allFullWithX2 })
    ->Args ({ 48000, 32, stereo, allFullWithX2 })
    ->Args ({ 48000, 128, stereo, allFullWithX2 })
    ->Args ({ 48000, 4096, stereo, allFullWithX2 })
    ->Args ({ 48000, 512, stereo, allAtZero })
    ->Args ({ 48000, 512, stereo, gliding })
    ->Args ({ 48000, 32, stereo, gliding });

BENCHMARK_MAIN();
