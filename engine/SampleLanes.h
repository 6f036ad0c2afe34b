#pragma once

#include <cmath>
#include <cstring>

#if defined(__SSE2__)
#include <immintrin.h>
#endif

/** Two doubles or four floats: the analysis' passes that have no recursion work through their
    samples a register at a time.

    Every operation here works lane by lane and is the same IEEE operation as its scalar
    counterpart (a division, a square root, a comparison and choice), so a value computed in a
    lane is bit for bit the value the scalar code would give.
*/
namespace lanes
{
    using Doubles = double __attribute__ ((vector_size (16)));
    using Floats = float __attribute__ ((vector_size (16)));
    using DoubleMask = decltype (Doubles {} < Doubles {});
    using FloatMask = decltype (Floats {} < Floats {});

    constexpr int doubleWidth = 2;
    constexpr int floatWidth = 4;

    /** A whole number of lanes of either kind. */
    constexpr int roundUp (int n) noexcept { return (n + floatWidth - 1) / floatWidth * floatWidth; }

    template <typename Lanes, typename Sample>
    Lanes load (const Sample* source) noexcept
    {
        Lanes v;
        std::memcpy (&v, source, sizeof (v));
        return v;
    }

    inline void store (float* destination, Floats v) noexcept { std::memcpy (destination, &v, sizeof (v)); }
    inline void store (double* destination, Doubles v) noexcept { std::memcpy (destination, &v, sizeof (v)); }

    /** Stores two doubles as two floats. */
    inline void storeNarrowed (float* destination, Doubles v) noexcept
    {
        destination[0] = (float) v[0];
        destination[1] = (float) v[1];
    }

    inline Doubles splat (double v) noexcept { return Doubles { v, v }; }
    inline Floats splat (float v) noexcept { return Floats { v, v, v, v }; }

    /** mask ? a : b, lane by lane. */
    inline Doubles select (DoubleMask mask, Doubles a, Doubles b) noexcept
    {
        return (Doubles) ((mask & (DoubleMask) a) | (~mask & (DoubleMask) b));
    }

    inline Floats select (FloatMask mask, Floats a, Floats b) noexcept
    {
        return (Floats) ((mask & (FloatMask) a) | (~mask & (FloatMask) b));
    }

    inline bool all (FloatMask mask) noexcept { return (mask[0] & mask[1] & mask[2] & mask[3]) != 0; }

    /** std::clamp (v, lo, hi) lane by lane: v < lo ? lo : (hi < v ? hi : v). */
    template <typename Lanes>
    Lanes clamp (Lanes v, Lanes lo, Lanes hi) noexcept
    {
        return select (v < lo, lo, select (hi < v, hi, v));
    }

    inline Doubles squareRoot (Doubles v) noexcept
    {
#if defined(__SSE2__)
        __m128d x;
        std::memcpy (&x, &v, sizeof (x));
        x = _mm_sqrt_pd (x);
        std::memcpy (&v, &x, sizeof (x));
#else
        for (int k = 0; k < doubleWidth; ++k)
            v[k] = std::sqrt (v[k]);
#endif
        return v;
    }

    inline Floats squareRoot (Floats v) noexcept
    {
#if defined(__SSE2__)
        __m128 x;
        std::memcpy (&x, &v, sizeof (x));
        x = _mm_sqrt_ps (x);
        std::memcpy (&v, &x, sizeof (x));
#else
        for (int k = 0; k < floatWidth; ++k)
            v[k] = std::sqrt (v[k]);
#endif
        return v;
    }
} // namespace lanes
