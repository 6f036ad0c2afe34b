#pragma once

#include <cmath>
#include <cstring>

#if defined(__SSE2__)
#include <immintrin.h>
#endif

namespace tavine
{
    /** Vectors of two doubles or four floats, for the engine's passes that have no recursion:
        vectorised, they work on several samples per instruction.

        Every operation here works lane by lane and is the same IEEE operation as its scalar
        counterpart (a division, a square root, a comparison and choice), so a value computed in a
        lane is bit for bit the value the scalar code would give. Each operation also has a scalar
        form of the same name, for plain float and double: a loop body written once against these
        names serves whole registers and, through `forEach`, the samples left over at the end.

        The engine's own sources include this header; its public headers do not, so that the
        plug-in, the editor and the tools never see the compiler's vector extensions.
    */
    namespace lanes
    {
        using Doubles = double __attribute__ ((vector_size (16)));
        using Floats = float __attribute__ ((vector_size (16)));
        using DoubleMask = decltype (Doubles {} < Doubles {});
        using FloatMask = decltype (Floats {} < Floats {});
        using Ints = FloatMask;

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
        inline void store (float* destination, float v) noexcept { *destination = v; }
        inline void store (double* destination, double v) noexcept { *destination = v; }

        /** Calls `body (i, Floats {})` for each whole vector of samples in [0, n), then
            `body (i, float {})` for each sample left over. The second argument only names the kind
            of value to work with (`using V = decltype (kind)`), so one generic body is the loop for
            both. */
        template <typename Body>
        __attribute__ ((always_inline)) inline void forEach (int n, Body&& body) noexcept
        {
            const int whole = n / floatWidth * floatWidth;

            for (int i = 0; i < whole; i += floatWidth)
                body (i, Floats {});

            for (int i = whole; i < n; ++i)
                body (i, float {});
        }

        /** Four floats widened to doubles, in two registers, or one float widened to a double. */
        struct WideFloats
        {
            Doubles low, high;

            friend WideFloats operator* (WideFloats a, WideFloats b) noexcept { return { a.low * b.low, a.high * b.high }; }
            friend WideFloats operator* (WideFloats a, double b) noexcept { return { a.low * b, a.high * b }; }
        };

        inline void store (double* destination, WideFloats v) noexcept
        {
            store (destination, v.low);
            store (destination + doubleWidth, v.high);
        }

        /** Stores two doubles as two floats. */
        inline void storeNarrowed (float* destination, Doubles v) noexcept
        {
            using TwoFloats = float __attribute__ ((vector_size (8)));
            const TwoFloats narrowed = __builtin_convertvector(v, TwoFloats);
            std::memcpy (destination, &narrowed, sizeof (narrowed));
        }

        /** The low and the high two lanes of a float register, widened to doubles. */
        inline Doubles widenLow (Floats v) noexcept
        {
#if defined(__SSE2__)
            return (Doubles) _mm_cvtps_pd ((__m128) v);
#else
            return Doubles { (double) v[0], (double) v[1] };
#endif
        }

        inline Doubles widenHigh (Floats v) noexcept
        {
#if defined(__SSE2__)
            return (Doubles) _mm_cvtps_pd (_mm_movehl_ps ((__m128) v, (__m128) v));
#else
            return Doubles { (double) v[2], (double) v[3] };
#endif
        }

        /** Two registers of doubles narrowed to floats, in one register: a0 a1 b0 b1. */
        inline Floats narrow (Doubles a, Doubles b) noexcept
        {
#if defined(__SSE2__)
            return (Floats) _mm_movelh_ps (_mm_cvtpd_ps ((__m128d) a), _mm_cvtpd_ps ((__m128d) b));
#else
            return Floats { (float) a[0], (float) a[1], (float) b[0], (float) b[1] };
#endif
        }

        inline WideFloats widen (Floats v) noexcept { return { widenLow (v), widenHigh (v) }; }
        inline double widen (float v) noexcept { return (double) v; }

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

        inline float select (bool condition, float a, float b) noexcept { return condition ? a : b; }
        inline double select (bool condition, double a, double b) noexcept { return condition ? a : b; }

        /** The magnitude of each lane: its sign bit cleared, as std::abs does. */
        inline Floats magnitude (Floats v) noexcept { return (Floats) ((Ints) v & 0x7fffffff); }
        inline Doubles magnitude (Doubles v) noexcept { return (Doubles) ((DoubleMask) v & 0x7fffffffffffffffLL); }
        inline float magnitude (float v) noexcept { return std::abs (v); }
        inline double magnitude (double v) noexcept { return std::abs (v); }

        /** Whether each lane lies strictly between -bound and bound. */
        inline FloatMask within (Floats v, float bound) noexcept { return (v > -bound) & (v < bound); }
        inline bool within (float v, float bound) noexcept { return v > -bound && v < bound; }

        /** Whether any lane of a comparison came out true. */
        inline bool any (DoubleMask mask) noexcept
        {
#if defined(__SSE2__)
            return _mm_movemask_pd ((__m128d) mask) != 0;
#else
            return (mask[0] | mask[1]) != 0;
#endif
        }

        /** Two values of a kind that belong together, such as a left and a right. */
        template <typename Value>
        struct PairOf
        {
            Value first, second;
        };

        using Pair = PairOf<Floats>;

        /** Two registers of interleaved pairs, a0 b0 a1 b1 and a2 b2 a3 b3, as a0..a3 and b0..b3. */
        inline Pair deinterleave (Floats low, Floats high) noexcept
        {
            return { __builtin_shufflevector (low, high, 0, 2, 4, 6), __builtin_shufflevector (low, high, 1, 3, 5, 7) };
        }

        /** Interleaved pairs from memory, split: four pairs into two registers, or one pair. */
        template <typename Value>
        PairOf<Value> loadPairs (const float* source) noexcept;

        template <>
        inline PairOf<Floats> loadPairs<Floats> (const float* source) noexcept
        {
            return deinterleave (load<Floats> (source), load<Floats> (source + floatWidth));
        }

        template <>
        inline PairOf<float> loadPairs<float> (const float* source) noexcept
        {
            return { source[0], source[1] };
        }

        /** Whether every lane of a comparison came out true. */
        inline bool all (FloatMask mask) noexcept
        {
#if defined(__SSE2__)
            return _mm_movemask_ps ((__m128) mask) == 0xf;
#else
            return (mask[0] & mask[1] & mask[2] & mask[3]) != 0;
#endif
        }

        /** a < b ? a : b and a > b ? a : b, lane by lane: the order matters where a lane is NaN
            or both are zeros of either sign, and is the order of the processor's own min and max. */
        inline Doubles lesser (Doubles a, Doubles b) noexcept
        {
#if defined(__SSE2__)
            return (Doubles) _mm_min_pd ((__m128d) a, (__m128d) b);
#else
            return select (a < b, a, b);
#endif
        }

        inline Doubles greater (Doubles a, Doubles b) noexcept
        {
#if defined(__SSE2__)
            return (Doubles) _mm_max_pd ((__m128d) a, (__m128d) b);
#else
            return select (a > b, a, b);
#endif
        }

        inline Floats lesser (Floats a, Floats b) noexcept
        {
#if defined(__SSE2__)
            return (Floats) _mm_min_ps ((__m128) a, (__m128) b);
#else
            return select (a < b, a, b);
#endif
        }

        inline Floats greater (Floats a, Floats b) noexcept
        {
#if defined(__SSE2__)
            return (Floats) _mm_max_ps ((__m128) a, (__m128) b);
#else
            return select (a > b, a, b);
#endif
        }

        inline float lesser (float a, float b) noexcept { return a < b ? a : b; }
        inline float greater (float a, float b) noexcept { return a > b ? a : b; }
        inline double lesser (double a, double b) noexcept { return a < b ? a : b; }
        inline double greater (double a, double b) noexcept { return a > b ? a : b; }

        /** std::clamp (v, lo, hi) lane by lane: v < lo ? lo : (hi < v ? hi : v). For lo <= hi
            that is lo > m ? lo : m with m = hi < v ? hi : v, NaN and signed zeros included. */
        template <typename Lanes>
        Lanes clamp (Lanes v, Lanes lo, Lanes hi) noexcept
        {
            return greater (lo, lesser (hi, v));
        }

        inline Doubles squareRoot (Doubles v) noexcept
        {
#if defined(__SSE2__)
            return (Doubles) _mm_sqrt_pd ((__m128d) v);
#else
            return Doubles { std::sqrt (v[0]), std::sqrt (v[1]) };
#endif
        }

        inline Floats squareRoot (Floats v) noexcept
        {
#if defined(__SSE2__)
            return (Floats) _mm_sqrt_ps ((__m128) v);
#else
            return Floats { std::sqrt (v[0]), std::sqrt (v[1]), std::sqrt (v[2]), std::sqrt (v[3]) };
#endif
        }

        inline float squareRoot (float v) noexcept { return std::sqrt (v); }
        inline double squareRoot (double v) noexcept { return std::sqrt (v); }
    } // namespace lanes
} // namespace tavine
