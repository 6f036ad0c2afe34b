// The engine for the web page: a small C interface over tavine::EffectEngine, compiled to
// WebAssembly. The page's audio worklet plays through it and the page renders files offline
// through it, so the browser runs the very code the plug-ins run; nothing of the sound is done
// again in JavaScript.
//
// The module is self-contained (no JavaScript runtime of the compiler's), so that an audio
// worklet, which can load no scripts of its own, instantiates it from its bytes alone. The
// caller owns each engine it creates; the samples go through two channel buffers inside the
// module's memory, which the caller fills, processes in place and reads back.

#include "engine/EffectEngine.h"
#include "tools/common/DemoPhraseSamples.h"

#include <cmath>
#include <memory>
#include <new>

#define TAVINE_WEB_EXPORT(name) extern "C" __attribute__ ((export_name (#name), used))

namespace
{
    // The history as the page draws it: the newest 400 colours and 399 levels.
    constexpr int historyColours = 400;
    constexpr int historyLevels = 399;

    struct WebEngine
    {
        explicit WebEngine (int capacityIn)
            : capacity (capacityIn)
            , left (new float[(size_t) capacityIn]())
            , right (new float[(size_t) capacityIn]())
        {
            levels.resize (historyLevels);
            colours.resize (historyColours);
        }

        tavine::EffectEngine engine;
        const int capacity;
        std::unique_ptr<float[]> left, right;
        juce::Array<float> levels;
        juce::Array<int> colours;
    };
} // namespace

/** A new engine, prepared for 44.1 kHz, with room for blocks of up to `capacity` frames; null
    when the capacity is not from 1 to 65536 or the memory is not there. */
TAVINE_WEB_EXPORT (tavine_create)
WebEngine* tavine_create (int capacity)
{
    if (capacity < 1 || capacity > 65536)
        return nullptr;

    return new (std::nothrow) WebEngine (capacity);
}

TAVINE_WEB_EXPORT (tavine_destroy)
void tavine_destroy (WebEngine* web)
{
    delete web;
}

/** Prepares the engine for a sample rate (one out of range is ignored, as a host's is) and
    returns the latency it adds, in frames. */
TAVINE_WEB_EXPORT (tavine_prepare)
int tavine_prepare (WebEngine* web, double sampleRate)
{
    web->engine.prepare (sampleRate);
    return web->engine.getDelayLength();
}

/** Restarts the noise floor from a fixed seed, as tavine-render's TAVINE_NOISE_SEED does, so
    that a render repeats exactly. The seed is a whole number within 2^53. */
TAVINE_WEB_EXPORT (tavine_set_noise_seed)
void tavine_set_noise_seed (WebEngine* web, double seed)
{
    if (std::isfinite (seed))
        web->engine.setNoiseSeed ((juce::int64) seed);
}

/** The four parameters as the plug-in's knobs hold them, each 0..1 (x2 on from one half up),
    and the bypass: taken for the next block, through the engine's glides. */
TAVINE_WEB_EXPORT (tavine_set_parameters)
void tavine_set_parameters (WebEngine* web, float red, float green, float blue, float x2, int bypassed)
{
    web->engine.setKnobs (red, green, blue, x2);
    web->engine.setBypassed (bypassed != 0);
}

/** Where the caller puts a block's samples and finds the result: channel 0 or 1. */
TAVINE_WEB_EXPORT (tavine_channel)
float* tavine_channel (WebEngine* web, int channel)
{
    return channel == 0 ? web->left.get() : web->right.get();
}

/** Processes the block in the channel buffers in place: one channel (mono, as the plug-in
    processes a mono track) or two. Returns 0, or -1 for a block longer than the buffers. */
TAVINE_WEB_EXPORT (tavine_process)
int tavine_process (WebEngine* web, int numChannels, int numSamples)
{
    if (numSamples < 0 || numSamples > web->capacity)
        return -1;

    web->engine.process (web->left.get(), numChannels > 1 ? web->right.get() : nullptr, numSamples);
    return 0;
}

/** The level rings' values: 0 red, 1 green, 2 blue. */
TAVINE_WEB_EXPORT (tavine_meter)
float tavine_meter (WebEngine* web, int which)
{
    switch (which)
    {
        case 0:
            return web->engine.getRedMeter();
        case 1:
            return web->engine.getGreenMeter();
        case 2:
            return web->engine.getBlueMeter();
        default:
            return 0.0f;
    }
}

/** Copies the history's newest points, newest first, into the buffers below: returns 1, or 0
    when the engine was busy (never here, where one thread does everything). */
TAVINE_WEB_EXPORT (tavine_copy_history)
int tavine_copy_history (WebEngine* web)
{
    return web->engine.copyHistory (web->levels, web->colours) ? 1 : 0;
}

/** The history's levels (399) and colour codes (400) from the last copy. */
TAVINE_WEB_EXPORT (tavine_history_levels)
const float* tavine_history_levels (WebEngine* web)
{
    return web->levels.data();
}

TAVINE_WEB_EXPORT (tavine_history_colours)
const int* tavine_history_colours (WebEngine* web)
{
    return web->colours.data();
}

/** The demo phrase's length in frames at a rate, for `seconds`; 0 for a rate outside 8 kHz to
    768 kHz or a length outside 0 to 600 seconds. */
TAVINE_WEB_EXPORT (tavine_demo_length)
int tavine_demo_length (double sampleRate, double seconds)
{
    if (! (sampleRate >= 8000.0 && sampleRate <= 768000.0 && seconds >= 0.0 && seconds <= 600.0))
        return 0;

    return DemoPhrase::lengthFor (sampleRate, seconds);
}

/** The demo phrase the page plays without a file of the user's: its left channel and then its
    right, tavine_demo_length frames each, in memory the caller frees with tavine_free. Null for
    arguments tavine_demo_length refuses, or without the memory. */
TAVINE_WEB_EXPORT (tavine_demo_phrase)
float* tavine_demo_phrase (double sampleRate, double seconds)
{
    const int length = tavine_demo_length (sampleRate, seconds);

    if (length == 0)
        return nullptr;

    auto* const samples = new (std::nothrow) float[2 * (size_t) length];

    if (samples != nullptr)
        DemoPhrase::write (samples, samples + length, length, sampleRate);

    return samples;
}

TAVINE_WEB_EXPORT (tavine_free)
void tavine_free (float* samples)
{
    delete[] samples;
}
