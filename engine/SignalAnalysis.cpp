#include "SignalAnalysis.h"
#include "FifthRoot.h"
#include "SampleLanes.h"

#include <algorithm>
#include <cmath>

namespace tavine
{
    namespace
    {
        // Below this the analysis treats the mid signal as silence, so that the noise floor and
        // dither-level residue never wake the windows.
        constexpr float midDeadZone = 1.0e-4f;

        // A window whose mean falls below this is emptied outright (the single-precision 1e-8,
        // widened); this also catches a running sum that rounding has pushed slightly below zero.
        constexpr double windowFloor = (double) 1.0e-8f;

        // The smallest density whose gate, min (sqrt (density) * 20, 1), comes out as exactly 1.
        // Both steps round monotonically, so every density from here up gives 1 as well and the
        // square root can be skipped; found once by stepping over neighbouring floats.
        float smallestFullGate() noexcept
        {
            const auto gateOf = [] (float d) { return std::min (std::sqrt (d) * 20.0f, 1.0f); };
            float d = 0.0025f;

            while (gateOf (std::nextafter (d, 0.0f)) == 1.0f)
                d = std::nextafter (d, 0.0f);

            while (gateOf (d) != 1.0f)
                d = std::nextafter (d, 1.0f);

            return d;
        }

        const float gateOpensFully = smallestFullGate();
    } // namespace

    /** The per-sample intermediates for one chunk of a slice. The analysis runs in passes: the
        recursions (windows, transient envelope, meters) each in a tight loop of their own, and
        everything between them vectorised, several samples per instruction. A chunk's worth
        stays in the first-level cache from one pass to the next; to keep it small, a lane that a
        pass has used up carries a later pass's values, under that value's own name. */
    struct SignalAnalysis::Lanes
    {
        static constexpr int length = 512;

        double* squares() noexcept { return doubles[0]; }
        double* pointPowers() noexcept { return doubles[1]; }
        double* longSums() noexcept { return doubles[2]; }
        double* shortSums() noexcept { return doubles[3]; }
        double* transientValues() noexcept { return doubles[2]; } // the long sums' lane, used up by then

        float* excesses() noexcept { return floats[0]; }
        float* fifthRoots() noexcept { return floats[0]; } // the excesses' lane, used up by then
        float* densities() noexcept { return floats[1]; }
        float* gates() noexcept { return floats[2]; }
        float* steadiness() noexcept { return floats[2]; } // written over the gates it is made from
        float* transientLevels() noexcept { return floats[3]; }

    private:
        alignas (32) double doubles[4][length];
        alignas (32) float floats[4][length];
    };

    SignalAnalysis::SignalAnalysis()
        : chunk (std::make_unique<Lanes>())
    {
    }

    SignalAnalysis::~SignalAnalysis() = default;

    void SignalAnalysis::prepare (double rate)
    {
        longWindow.setLength ((int) (rate * 0.3));
        shortWindow.setLength ((int) (rate * 0.02));
        longQuietBelow = MeanSquareWindow::smallestSumWithMeanAtLeast (windowFloor, longWindow.getLength());
        shortQuietBelow = MeanSquareWindow::smallestSumWithMeanAtLeast (windowFloor, shortWindow.getLength());

        transientEnvelope.attack = 1.0 / (rate * 0.075);
        transientEnvelope.release = 1.0 - 1.0 / (rate * 0.3);

        meterRelease = 1.0f - 1.0f / (float) (rate * 0.001 * 100.0);
    }

    void SignalAnalysis::reset() noexcept
    {
        longWindow.clear();
        shortWindow.clear();
        blueMeter.store (0.0f, std::memory_order_relaxed);
        redMeter.store (0.0f, std::memory_order_relaxed);
        greenMeter.store (0.0f, std::memory_order_relaxed);
    }

    void SignalAnalysis::analyse (const float* left, const float* right, int numSamples, float peakValue, HistoryBuffer& history) noexcept
    {
        for (int done = 0; done < numSamples; done += Lanes::length)
        {
            const int chunkLength = std::min (Lanes::length, numSamples - done);
            analyseChunk (left + done, right != nullptr ? right + done : nullptr, chunkLength, peakValue, history);
        }
    }

    void SignalAnalysis::analyseChunk (const float* left, const float* right, int numSamples, float peakValue, HistoryBuffer& history) noexcept
    {
        // The passes between the recursions run over whole vectors; the lanes past the end of the
        // chunk compute harmless values that nobody reads.
        const int lanesLength = lanes::roundUp (numSamples);
        const bool hasPeak = peakValue > 0.0f;

        squareMidsAndPowers (left, right, numSamples);
        runWindows (numSamples);
        compareWindows (lanesLength, hasPeak);
        densitiesAndGates (lanesLength, peakValue, hasPeak);
        followTransients (numSamples, lanesLength);
        steadinessFromTransients (lanesLength);
        updateMetersAndHistory (numSamples, history);
    }

    void SignalAnalysis::squareMidsAndPowers (const float* left, const float* right, int numSamples) noexcept
    {
        // The squared mid values, and the history's power of each sample pair. The dead zone is a
        // choice, not a branch, since for most material which side of it a sample falls on is a
        // coin toss.
        double* const __restrict squares = chunk->squares();
        double* const __restrict pointPowers = chunk->pointPowers();
        const float* const other = right != nullptr ? right : left;

        lanes::forEach (numSamples, [&] (int i, auto kind) noexcept {
            using V = decltype (kind);
            const V l = lanes::load<V> (left + i), r = lanes::load<V> (other + i);
            V mid = (r + l) * 0.5f;
            mid = lanes::select (lanes::within (mid, midDeadZone), V {}, mid);
            const auto wide = lanes::widen (mid);
            lanes::store (squares + i, wide * wide);

            // The power as HistoryBuffer::powerOf gives it.
            lanes::store (pointPowers + i, lanes::widen ((l * l + r * r) * 0.5f));
        });
    }

    void SignalAnalysis::runWindows (int numSamples) noexcept
    {
        // The two windows' running sums: the only recursion here is one addition and one
        // subtraction per window and sample. Whether a window empties is decided on the sum; only
        // a sum near or below the floor needs its mean worked out first.
        const double* const __restrict squares = chunk->squares();
        double* const __restrict longSums = chunk->longSums();
        double* const __restrict shortSums = chunk->shortSums();
        MeanSquareWindow::Cursor longRun (longWindow), shortRun (shortWindow);

        const auto settle = [] (MeanSquareWindow::Cursor& run, double sum) noexcept {
            const double mean = sum / run.getLength();

            if (mean != 0.0 && mean < windowFloor)
            {
                run.clear();
                return 0.0;
            }

            return sum;
        };

        for (int i = 0; i < numSamples; ++i)
        {
            double longSum = longRun.pushSum (squares[i]);

            if (longSum < longQuietBelow)
                longSum = settle (longRun, longSum);

            double shortSum = shortRun.pushSum (squares[i]);

            if (shortSum < shortQuietBelow)
                shortSum = settle (shortRun, shortSum);

            longSums[i] = longSum;
            shortSums[i] = shortSum;
        }

        longRun.storeInto (longWindow);
        shortRun.storeInto (shortWindow);

        // The lanes past the end get empty windows.
        for (int i = numSamples; i < lanes::roundUp (numSamples); ++i)
            longSums[i] = shortSums[i] = 0.0;
    }

    void SignalAnalysis::compareWindows (int lanesLength, bool hasPeak) noexcept
    {
        // What is worked out in double precision: the means, the excess of the short mean over
        // the long one, and the square root of the long mean (the density's, before it is
        // narrowed; the density lane holds the root until the next pass).
        using lanes::Doubles;
        const double* const __restrict longSums = chunk->longSums();
        const double* const __restrict shortSums = chunk->shortSums();
        float* const __restrict excesses = chunk->excesses();
        float* const __restrict densities = chunk->densities();
        const Doubles longLength = lanes::splat ((double) longWindow.getLength());
        const Doubles shortLength = lanes::splat ((double) shortWindow.getLength());
        const Doubles zero = lanes::splat (0.0), one = lanes::splat (1.0);

        for (int i = 0; i < lanesLength; i += lanes::doubleWidth)
        {
            const Doubles meanLong = lanes::load<Doubles> (longSums + i) / longLength;
            const Doubles meanShort = lanes::load<Doubles> (shortSums + i) / shortLength;

            // A lane whose long window is empty divides by 1 instead, and its result is dropped.
            const auto hasLong = meanLong > zero;
            const Doubles ratio = meanShort / lanes::select (hasLong, meanLong, one) - one;
            lanes::storeNarrowed (excesses + i, lanes::select (hasLong, lanes::clamp (ratio, zero, one), zero));

            if (hasPeak)
                lanes::storeNarrowed (densities + i, lanes::squareRoot (lanes::greater (zero, meanLong)));
        }
    }

    void SignalAnalysis::densitiesAndGates (int lanesLength, float peakValue, bool hasPeak) noexcept
    {
        // The single-precision rest: the squared excess (the transients' target), the density
        // against the peak, and the gate.
        using lanes::Floats;
        float* const __restrict excesses = chunk->excesses();
        float* const __restrict densities = chunk->densities();
        float* const __restrict gates = chunk->gates();
        const Floats zero = lanes::splat (0.0f), one = lanes::splat (1.0f);
        const Floats peak = lanes::splat (peakValue);
        const Floats fullGate = lanes::splat (gateOpensFully);

        for (int i = 0; i < lanesLength; i += lanes::floatWidth)
        {
            const Floats excess = lanes::load<Floats> (excesses + i);
            lanes::store (excesses + i, excess * excess);

            const Floats density = hasPeak ? lanes::clamp (lanes::load<Floats> (densities + i) * 1.4142f / peak, zero, one) : zero;
            lanes::store (densities + i, density);

            // Near-silent material would otherwise read as perfectly steady: the gate fades the
            // steadiness and transients targets out below a density of 0.0025.
            const auto full = density >= fullGate;
            Floats gate = one;

            if (! lanes::all (full))
            {
                const Floats faded = lanes::squareRoot (density) * 20.0f;
                gate = lanes::select (full, one, lanes::select (one < faded, one, faded));
            }

            lanes::store (gates + i, gate);
        }
    }

    void SignalAnalysis::followTransients (int numSamples, int lanesLength) noexcept
    {
        // The recursion runs alone, sample by sample; the levels, min ((float) value, 1) * gate,
        // are then worked out vectorised.
        const float* const __restrict excessSquares = chunk->excesses();
        const float* const __restrict gates = chunk->gates();
        double* const __restrict values = chunk->transientValues();
        float* const __restrict transientLevels = chunk->transientLevels();
        Envelope transient = transientEnvelope;

        for (int i = 0; i < numSamples; ++i)
            values[i] = transient.decayThenRise ((double) excessSquares[i]);

        transientEnvelope = transient;

        for (int i = numSamples; i < lanesLength; ++i)
            values[i] = 0.0;

        const lanes::Floats one = lanes::splat (1.0f);

        for (int i = 0; i < lanesLength; i += lanes::floatWidth)
        {
            const auto levels = lanes::narrow (lanes::load<lanes::Doubles> (values + i), lanes::load<lanes::Doubles> (values + i + lanes::doubleWidth));
            lanes::store (transientLevels + i, lanes::lesser (one, levels) * lanes::load<lanes::Floats> (gates + i));
        }
    }

    void SignalAnalysis::steadinessFromTransients (int lanesLength) noexcept
    {
        // The fifth root makes even small transient levels pull steadiness down hard.
        float* const __restrict roots = chunk->fifthRoots();
        float* const __restrict steadiness = chunk->steadiness(); // the gates' lane, read as it is overwritten
        fifthRoot::powersOf (chunk->transientLevels(), roots, lanesLength);

        const lanes::Floats one = lanes::splat (1.0f);

        for (int i = 0; i < lanesLength; i += lanes::floatWidth)
        {
            const lanes::Floats gate = lanes::load<lanes::Floats> (steadiness + i);
            lanes::store (steadiness + i, (one - lanes::load<lanes::Floats> (roots + i)) * gate);
        }
    }

    void SignalAnalysis::updateMetersAndHistory (int numSamples, HistoryBuffer& history) noexcept
    {
        // Sample by sample, so that each history point's colour code sums the meters up to the
        // sample that completed the point.
        const float* const __restrict transientLevels = chunk->transientLevels();
        const float* const __restrict steadiness = chunk->steadiness();
        const float* const __restrict densities = chunk->densities();
        const double* const __restrict pointPowers = chunk->pointPowers();
        float blue = blueMeter.load (std::memory_order_relaxed);
        float red = redMeter.load (std::memory_order_relaxed);
        float blueSum = blueMeterSum, redSum = redMeterSum, greenSum = greenMeterSum;
        HistoryBuffer::Cursor points (history);

        for (int i = 0; i < numSamples; ++i)
        {
            const float transientLevel = transientLevels[i];

            if (transientLevel > blue)
                blue = transientLevel;
            else
                blue *= meterRelease;

            if (steadiness[i] > red)
                red = steadiness[i];
            else
                red *= meterRelease;

            const float green = densities[i];
            blueMeter.store (blue, std::memory_order_relaxed);
            redMeter.store (red, std::memory_order_relaxed);
            greenMeter.store (green, std::memory_order_relaxed);

            redSum += red;
            blueSum += blue;
            greenSum += green;

            if (points.pushPower (pointPowers[i]))
            {
                history.pushColourCode (packColourCode (blueSum, redSum, greenSum));
                blueSum = redSum = greenSum = 0.0f;
            }
        }

        points.storeInto (history);
        blueMeterSum = blueSum;
        redMeterSum = redSum;
        greenMeterSum = greenSum;
    }

    int SignalAnalysis::packColourCode (float blueSum, float redSum, float greenSum) noexcept
    {
        const float total = (blueSum + redSum) + greenSum;

        if (! (total > 0.0f))
            return 0;

        const auto share = [total] (float sum) { return ((int) ((sum * 255.0f) / total)) & 0xff; };
        return share (blueSum) * 65536 + share (redSum) * 256 + share (greenSum);
    }
} // namespace tavine
