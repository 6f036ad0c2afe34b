#pragma once

#include <cstdint>
#include <random>

/** Turns float samples into the whole numbers of an integer file: TPDF dither of up to one
    least significant bit either side (unless switched off), rounding to the nearest step, and
    limiting to the range the bits hold, counting every sample that had to be limited.

    With 0 bits (a float or compressed file) samples pass unchanged and only those beyond full
    scale are counted: a compressed file's decoder will limit them.

    The dither is seeded, so the same render gives the same file.
*/
class Quantiser
{
public:
    Quantiser (int bits, bool dither, std::uint32_t seed = 0x7461u);

    /** Quantises `count` samples into whole numbers scaled to the bits (a 16-bit file's full
        scale is 32768). */
    void quantise (const float* samples, int* wholeNumbers, std::size_t count) noexcept;

    /** Counts the samples beyond full scale, for formats written as floats. */
    void inspect (const float* samples, std::size_t count) noexcept;

    std::int64_t getClippedSamples() const noexcept { return clipped; }
    std::int64_t getSamplesSeen() const noexcept { return seen; }

    /** The largest magnitude among the samples seen, 1 being full scale. */
    float getPeak() const noexcept { return peak; }

private:
    double scale;
    std::int64_t lowest, highest;
    bool dither;
    std::mt19937 random;
    std::uniform_real_distribution<double> uniform { 0.0, 1.0 };
    std::int64_t clipped = 0, seen = 0;
    float peak = 0.0f;
};
