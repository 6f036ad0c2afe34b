#pragma once

#include <juce_core/juce_core.h>

namespace tavine
{
    /** A very quiet white-noise floor added to the input.

        It keeps the filters and the analysis from ever seeing a perfectly constant signal, and so
        keeps their recursions out of the denormal range. One draw feeds both channels.
    */
    class NoiseSource
    {
    public:
        /** Builds the source at the given level in decibels (full scale = 0 dB). */
        explicit NoiseSource (float levelDb);

        /** The next noise value, in [-level, level). */
        float next() noexcept { return (random.nextFloat() - 0.5f) * 2.0f * level; }

        /** The next `numSamples` values, exactly as that many calls of `next` would give them.
            The generator's steps are run four at a time from one state (jumped ahead with the
            composed constants, all modulo 2^48 like the generator itself), so that consecutive
            draws do not wait for each other. */
        void fill (float* destination, int numSamples) noexcept;

        float getLevel() const noexcept { return level; }

        /** Restarts the sequence from a fixed seed, for reproducible renders and tests. */
        void setSeed (juce::int64 seed) noexcept { random.setSeed (seed); }

    private:
        float level;
        juce::Random random { 1 };

        JUCE_DECLARE_NON_COPYABLE (NoiseSource)
    };
} // namespace tavine
