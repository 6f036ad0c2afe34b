#include "EffectEngine.h"
#include "FifthRoot.h"
#include "SampleLanes.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace
{
    constexpr float x2Factor = 1.9475f;
    constexpr float redStageDb = 0.95f;
    constexpr float greenStageDb = 1.25f;
    constexpr float blueStageDb = 1.28f;
    constexpr float flushThreshold = 1.0e-8f;

    // Below this the analysis treats the mid signal as silence, so that the noise floor and
    // dither-level residue never wake the windows.
    constexpr float midDeadZone = 1.0e-4f;

    float stageDecibels (float amount, float stageDb, bool x2) noexcept
    {
        const float d = x2 ? x2Factor : 1.0f;
        return std::sqrt (amount) * (d * stageDb) / 20.0f;
    }

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

    // No real signal comes near this (120 dB above full scale); beyond it the analysis' squares
    // and running sums, and the gains, could overflow and leave the meters broken for good.
    constexpr float largestInput = 1.0e6f;

    // A NaN or infinite sample from a host is silence; an absurdly loud one is limited.
    float sanitised (float sample) noexcept
    {
        return std::isfinite (sample) ? std::clamp (sample, -largestInput, largestInput) : 0.0f;
    }
} // namespace

EffectEngine::EffectEngine()
    : scratch (new float[(std::size_t) (scratchLanes * maxSliceLength)])
    , stageLanes (std::make_unique<StageLanes>())
    , analysisLanes (std::make_unique<AnalysisLanes>())
{
    peakEnvelope.release = 1.0 - 1.0 / 44100.0;
    prepare (44100.0);
    reset();
}

float EffectEngine::greenGain (float amount, bool x2) noexcept
{
    return ::powf (10.0f, stageDecibels (amount, greenStageDb, x2));
}

float EffectEngine::redMix (float amount, bool x2) noexcept
{
    return ::powf (10.0f, stageDecibels (amount, redStageDb, x2)) - 1.0f;
}

float EffectEngine::blueMix (float amount, bool x2) noexcept
{
    return ::powf (10.0f, stageDecibels (amount, blueStageDb, x2)) - 1.0f;
}

double EffectEngine::blueCorner (double rate) noexcept
{
    // A first-order high-pass has a corner only below the Nyquist frequency: designed at or
    // above it, its pole leaves the unit circle and the stage blows up. From a quarter of the
    // rate up the pole would also cross to the negative axis and ring at Nyquist as the corner
    // nears it. So the corner is 10 kHz wherever that is at most a quarter of the rate (40 kHz
    // and up, the common rates untouched) and a quarter of the rate below that: it falls
    // continuously, and the pole never leaves [0, 1).
    return std::min (blueCornerHz, rate * 0.25);
}

void EffectEngine::designStageFilters (double rate, FilterSection& red, FilterSection& blue)
{
    // Designed at the running rate so that 80 Hz and 10 kHz stay where they belong, as far as
    // the rate allows (see blueCorner). The memories carry on.
    red.setDesignRate (rate);
    red.design (bandPass, redCentre, 0.5);
    blue.setDesignRate (rate);
    blue.design (highPass1, blueCorner (rate), 0.5);
}

void EffectEngine::prepare (double newSampleRate)
{
    if (newSampleRate == sampleRate)
        return;

    // A host that hands over 0, a negative, NaN or an absurd rate would otherwise put
    // infinities into the envelopes or ask for gigabytes of window: keep the last set-up.
    if (! std::isfinite (newSampleRate) || newSampleRate < minSampleRate || newSampleRate > maxSampleRate)
        return;

    sampleRate = newSampleRate;

    {
        // The message thread may be copying the history right now.
        const juce::ScopedLock lock (engineLock);
        history.setSampleRate (newSampleRate);
    }

    designStageFilters (newSampleRate, redFilterLeft, blueFilterLeft);
    designStageFilters (newSampleRate, redFilterRight, blueFilterRight);

    longWindow.setLength ((int) (newSampleRate * 0.3));
    shortWindow.setLength ((int) (newSampleRate * 0.02));
    longQuietBelow = MeanSquareWindow::smallestSumWithMeanAtLeast (windowFloor, longWindow.getLength());
    shortQuietBelow = MeanSquareWindow::smallestSumWithMeanAtLeast (windowFloor, shortWindow.getLength());

    transientEnvelope.attack = 1.0 / (newSampleRate * 0.075);
    transientEnvelope.release = 1.0 - 1.0 / (newSampleRate * 0.3);

    const int delayLength = 512 * (int) (newSampleRate / 44100.0);
    delayLeft.setLength (delayLength);
    delayRight.setLength (delayLength);
}

void EffectEngine::reset()
{
    for (auto* section : { &redFilterLeft, &redFilterRight, &blueFilterLeft, &blueFilterRight })
        section->clearState();

    peakEnvelope.value = 0.0;
    longWindow.clear();
    shortWindow.clear();
    blueMeter.store (0.0f, std::memory_order_relaxed);
    redMeter.store (0.0f, std::memory_order_relaxed);
    greenMeter.store (0.0f, std::memory_order_relaxed);
}

void EffectEngine::process (float* left, float* right, int numSamples) noexcept
{
    if (left == nullptr)
        return;

    numSamples = std::max (0, numSamples);

    // The scratch buffers hold one slice; a longer host block is worked through slice by slice,
    // which gives the same audio as one long block.
    int done = 0;

    do
    {
        const int sliceLength = std::min (scratchCapacity, numSamples - done);
        processSlice (left + done, right != nullptr ? right + done : nullptr, sliceLength);
        done += sliceLength;
    } while (done < numSamples);
}

void EffectEngine::processSlice (float* left, float* right, int numSamples) noexcept
{
    // One draw serves both channels, so the floor is identical in left and right.
    float* const draws = noiseDraws();
    noise.fill (draws, numSamples);

    for (auto* channel : { left, right })
    {
        if (channel == nullptr)
            continue;

        for (int i = 0; i < numSamples; ++i)
            channel[i] = sanitised (channel[i]) + draws[i];
    }

    delayLeft.process (left, numSamples);

    if (right != nullptr)
        delayRight.process (right, numSamples);

    // The stages only need the flushed samples, which need nothing from the rest of the
    // analysis: they run before it, outside the lock, and leave the flushed input behind for it.
    const int layout = (right != nullptr ? 8 : 0) + (redAmount > 0.0f ? 4 : 0) + (greenAmount > 0.0f ? 2 : 0) + (blueAmount > 0.0f ? 1 : 0);

    switch (layout)
    {
        case 0:
            applyStages<false, false, false, false> (left, right, numSamples);
            break;
        case 1:
            applyStages<false, false, false, true> (left, right, numSamples);
            break;
        case 2:
            applyStages<false, false, true, false> (left, right, numSamples);
            break;
        case 3:
            applyStages<false, false, true, true> (left, right, numSamples);
            break;
        case 4:
            applyStages<false, true, false, false> (left, right, numSamples);
            break;
        case 5:
            applyStages<false, true, false, true> (left, right, numSamples);
            break;
        case 6:
            applyStages<false, true, true, false> (left, right, numSamples);
            break;
        case 7:
            applyStages<false, true, true, true> (left, right, numSamples);
            break;
        case 8:
            applyStages<true, false, false, false> (left, right, numSamples);
            break;
        case 9:
            applyStages<true, false, false, true> (left, right, numSamples);
            break;
        case 10:
            applyStages<true, false, true, false> (left, right, numSamples);
            break;
        case 11:
            applyStages<true, false, true, true> (left, right, numSamples);
            break;
        case 12:
            applyStages<true, true, false, false> (left, right, numSamples);
            break;
        case 13:
            applyStages<true, true, false, true> (left, right, numSamples);
            break;
        case 14:
            applyStages<true, true, true, false> (left, right, numSamples);
            break;
        default:
            applyStages<true, true, true, true> (left, right, numSamples);
            break;
    }

    {
        const juce::ScopedLock lock (engineLock);
        analyse (dryLeft(), right != nullptr ? dryRight() : nullptr, numSamples);
    }

    // Bypassed, everything above still runs, so the filters, meters and history follow the
    // audio and leaving bypass carries on seamlessly; only the dry, delayed signal goes out.
    if (bypassed)
    {
        std::copy (dryLeft(), dryLeft() + numSamples, left);

        if (right != nullptr)
            std::copy (dryRight(), dryRight() + numSamples, right);
    }
}

template <bool stereo, bool red, bool green, bool blue>
void EffectEngine::applyStages (float* left, float* right, int numSamples) noexcept
{
    using lanes::Doubles;
    using lanes::Floats;

    const bool x2 = x2Enabled;
    const float greenFactor = green ? greenLaw.of (greenAmount, x2) : 1.0f;
    const float redFactor = red ? redLaw.of (redAmount, x2) : 0.0f;
    const float blueFactor = blue ? blueLaw.of (blueAmount, x2) : 0.0f;

    // Every stage is one chain of its own per sample; stepping them in one loop lets their
    // recursions and the peak's overlap instead of following each other. Two sections that
    // see the same samples share a vector: a stage's left and right in stereo, the red and
    // the blue stage in mono.
    constexpr bool monoPair = ! stereo && red && blue;
    FilterSection::Cursor redLeft (redFilterLeft), blueLeft (blueFilterLeft);
    FilterSection::PairCursor redPair (redFilterLeft, stereo ? redFilterRight : blueFilterLeft);
    FilterSection::PairCursor bluePair (blueFilterLeft, blueFilterRight);

    StageLanes& stage = *stageLanes;
    double* const __restrict mids = stage.mids;
    float* const __restrict redPairs = stage.redPairs;
    float* const __restrict bluePairs = stage.bluePairs;
    const double peakRelease = peakEnvelope.release;
    double peak = peakEnvelope.value;

    const Floats flushBelow = lanes::splat (flushThreshold), silence = lanes::splat (0.0f);
    const auto flushed = [&] (Floats v) noexcept { return lanes::select (lanes::magnitude (v) < flushBelow, silence, v); };
    const auto flushedSample = [] (float v) noexcept { return std::abs (v) < flushThreshold ? 0.0f : v; };

    for (int done = 0; done < numSamples; done += StageLanes::length)
    {
        const int n = std::min (StageLanes::length, numSamples - done);
        float* const __restrict outLeft = left + done;
        float* const __restrict outRight = stereo ? right + done : nullptr;
        const float* const inRight = stereo ? right + done : left + done;
        float* const __restrict dryL = dryLeft() + done;
        float* const __restrict dryR = dryRight() + done;
        const int whole = n / lanes::floatWidth * lanes::floatWidth;

        // The mid values the peak follows, taken before the flush, and the flushed samples
        // the stages and the analysis work on.
        for (int i = 0; i < whole; i += lanes::floatWidth)
        {
            const Floats l = lanes::load<Floats> (outLeft + i);
            const Floats r = lanes::load<Floats> (inRight + i);
            const Floats sum = l + r;
            lanes::store (mids + i, Doubles { (double) sum[0], (double) sum[1] } * 0.5);
            lanes::store (mids + i + 2, Doubles { (double) sum[2], (double) sum[3] } * 0.5);
            lanes::store (dryL + i, flushed (l));

            if constexpr (stereo)
                lanes::store (dryR + i, flushed (r));
        }

        for (int i = whole; i < n; ++i)
        {
            mids[i] = (double) (outLeft[i] + inRight[i]) * 0.5;
            dryL[i] = flushedSample (outLeft[i]);

            if constexpr (stereo)
                dryR[i] = flushedSample (inRight[i]);
        }

        // The recursions. Only positive excursions of the mid signal raise the peak, and every
        // sample of the analysis sees the peak reached at the end of the slice.
        for (int i = 0; i < n; ++i)
        {
            peak *= peakRelease;

            if (peak < 1.0e-8)
                peak = 0.0;

            if (mids[i] > peak)
                peak = mids[i];

            if constexpr (stereo)
            {
                const FilterSection::PairCursor::Lanes x { (double) dryL[i], (double) dryR[i] };

                if constexpr (red)
                    lanes::storeNarrowed (redPairs + 2 * i, redPair.step (x));

                if constexpr (blue)
                    lanes::storeNarrowed (bluePairs + 2 * i, bluePair.step (x));
            }
            else if constexpr (monoPair)
            {
                const double x = dryL[i];
                lanes::storeNarrowed (redPairs + 2 * i, redPair.step (FilterSection::PairCursor::Lanes { x, x }));
            }
            else
            {
                if constexpr (red)
                    redPairs[i] = (float) redLeft.step (dryL[i]);

                if constexpr (blue)
                    bluePairs[i] = (float) blueLeft.step (dryL[i]);
            }
        }

        // The mix, a register at a time. The filtered components are taken before the green
        // gain, so they are not scaled by it.
        const Floats greenGains = lanes::splat (greenFactor);
        const Floats redMixes = lanes::splat (redFactor), blueMixes = lanes::splat (blueFactor);

        for (int i = 0; i < whole; i += lanes::floatWidth)
        {
            const Floats l = lanes::load<Floats> (dryL + i);
            Floats mixL = green ? l * greenGains : l;

            if constexpr (stereo)
            {
                const Floats r = lanes::load<Floats> (dryR + i);
                Floats mixR = green ? r * greenGains : r;

                if constexpr (red)
                {
                    const auto [yl, yr] = lanes::deinterleave (lanes::load<Floats> (redPairs + 2 * i), lanes::load<Floats> (redPairs + 2 * i + 4));
                    mixL = mixL + redMixes * yl;
                    mixR = mixR + redMixes * yr;
                }

                if constexpr (blue)
                {
                    const auto [yl, yr] = lanes::deinterleave (lanes::load<Floats> (bluePairs + 2 * i), lanes::load<Floats> (bluePairs + 2 * i + 4));
                    mixL = mixL + blueMixes * yl;
                    mixR = mixR + blueMixes * yr;
                }

                lanes::store (outRight + i, mixR);
            }
            else if constexpr (monoPair)
            {
                const auto [yRed, yBlue] = lanes::deinterleave (lanes::load<Floats> (redPairs + 2 * i), lanes::load<Floats> (redPairs + 2 * i + 4));
                mixL = mixL + redMixes * yRed;
                mixL = mixL + blueMixes * yBlue;
            }
            else
            {
                if constexpr (red)
                    mixL = mixL + redMixes * lanes::load<Floats> (redPairs + i);

                if constexpr (blue)
                    mixL = mixL + blueMixes * lanes::load<Floats> (bluePairs + i);
            }

            lanes::store (outLeft + i, mixL);
        }

        for (int i = whole; i < n; ++i)
        {
            float mixL = green ? dryL[i] * greenFactor : dryL[i];

            if constexpr (stereo)
            {
                float mixR = green ? dryR[i] * greenFactor : dryR[i];

                if constexpr (red)
                {
                    mixL += redFactor * redPairs[2 * i];
                    mixR += redFactor * redPairs[2 * i + 1];
                }

                if constexpr (blue)
                {
                    mixL += blueFactor * bluePairs[2 * i];
                    mixR += blueFactor * bluePairs[2 * i + 1];
                }

                outRight[i] = mixR;
            }
            else if constexpr (monoPair)
            {
                mixL += redFactor * redPairs[2 * i];
                mixL += blueFactor * redPairs[2 * i + 1];
            }
            else
            {
                if constexpr (red)
                    mixL += redFactor * redPairs[i];

                if constexpr (blue)
                    mixL += blueFactor * bluePairs[i];
            }

            outLeft[i] = mixL;
        }
    }

    peakEnvelope.value = peak;

    // A stage at 0 leaves its sections' memories where they were.
    if constexpr (monoPair)
        redPair.storeInto (redFilterLeft, blueFilterLeft);
    else if constexpr (red && stereo)
        redPair.storeInto (redFilterLeft, redFilterRight);
    else if constexpr (red)
        redLeft.storeInto (redFilterLeft);

    if constexpr (blue && stereo)
        bluePair.storeInto (blueFilterLeft, blueFilterRight);
    else if constexpr (blue && ! monoPair)
        blueLeft.storeInto (blueFilterLeft);
}

void EffectEngine::analyse (const float* left, const float* right, int numSamples) noexcept
{
    const float meterRelease = 1.0f - 1.0f / (float) (sampleRate * 0.001 * 100.0);
    const float peakValue = (float) peakEnvelope.value;

    for (int done = 0; done < numSamples; done += AnalysisLanes::length)
    {
        const int chunkLength = std::min (AnalysisLanes::length, numSamples - done);
        analyseChunk (left + done, right != nullptr ? right + done : nullptr, chunkLength, meterRelease, peakValue);
    }
}

void EffectEngine::analyseChunk (const float* left, const float* right, int numSamples, float meterRelease, float peakValue) noexcept
{
    AnalysisLanes& chunk = *analysisLanes;
    double* const __restrict squares = chunk.squares;
    double* const __restrict longSums = chunk.longSums;
    double* const __restrict shortSums = chunk.shortSums;
    float* const __restrict excessSquares = chunk.excessSquares;
    float* const __restrict densities = chunk.densities;
    float* const __restrict gates = chunk.gates;
    float* const __restrict transients = chunk.transientLevels;
    double* const __restrict pointPowers = chunk.pointPowers;
    const bool hasPeak = peakValue > 0.0f;

    // The squared mid values, and the history's power of each sample pair, a register at a
    // time: the dead zone is a choice, not a branch, since for most material which side of it
    // a sample falls on is a coin toss.
    {
        using lanes::Floats;
        const Floats zero = lanes::splat (0.0f), low = lanes::splat (-midDeadZone), high = lanes::splat (midDeadZone);
        const float* const other = right != nullptr ? right : left;
        const int whole = numSamples / lanes::floatWidth * lanes::floatWidth;

        for (int i = 0; i < whole; i += lanes::floatWidth)
        {
            const Floats l = lanes::load<Floats> (left + i), r = lanes::load<Floats> (other + i);
            Floats mid = (r + l) * 0.5f;
            mid = lanes::select ((mid > low) & (mid < high), zero, mid);
            const auto first = lanes::widenLow (mid), second = lanes::widenHigh (mid);
            lanes::store (squares + i, first * first);
            lanes::store (squares + i + lanes::doubleWidth, second * second);

            const Floats power = (l * l + r * r) * 0.5f;
            lanes::store (pointPowers + i, lanes::widenLow (power));
            lanes::store (pointPowers + i + lanes::doubleWidth, lanes::widenHigh (power));
        }

        for (int i = whole; i < numSamples; ++i)
        {
            float mid = (other[i] + left[i]) * 0.5f;

            if (mid > -midDeadZone && mid < midDeadZone)
                mid = 0.0f;

            squares[i] = (double) mid * (double) mid;
            pointPowers[i] = HistoryBuffer::powerOf (left[i], other[i]);
        }
    }

    // The two windows' running sums: the only recursion here is one addition and one
    // subtraction per window and sample. Whether a window empties is decided on the sum; only
    // a sum near or below the floor needs its mean worked out first.
    {
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
    }

    // Means, excess, density and gate, a register of samples at a time. The lanes past the
    // end of the chunk get empty windows, so that they compute harmless values nobody reads.
    const int lanesLength = lanes::roundUp (numSamples);

    for (int i = numSamples; i < lanesLength; ++i)
        longSums[i] = shortSums[i] = 0.0;

    // First what is worked out in double precision: the means, the excess and the square root
    // of the long mean (the density's, before it is narrowed). The excess lane holds the
    // excess, the density lane the root, until the pass after.
    {
        using lanes::Doubles;
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
            lanes::storeNarrowed (excessSquares + i, lanes::select (hasLong, lanes::clamp (ratio, zero, one), zero));

            if (hasPeak)
                lanes::storeNarrowed (densities + i, lanes::squareRoot (lanes::greater (zero, meanLong)));
        }
    }

    // Then the single-precision rest.
    {
        using lanes::Floats;
        const Floats zero = lanes::splat (0.0f), one = lanes::splat (1.0f);
        const Floats peak = lanes::splat (peakValue);
        const Floats fullGate = lanes::splat (gateOpensFully);

        for (int i = 0; i < lanesLength; i += lanes::floatWidth)
        {
            const Floats excess = lanes::load<Floats> (excessSquares + i);
            lanes::store (excessSquares + i, excess * excess);

            const Floats density = hasPeak ? lanes::clamp (lanes::load<Floats> (densities + i) * 1.4142f / peak, zero, one) : zero;
            lanes::store (densities + i, density);

            // Near-silent material would otherwise read as perfectly steady: the gate fades the
            // red and blue targets out below a density of 0.0025.
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

    {
        // The recursion alone, into the long sums' lane, which is used up by now; the levels
        // follow a register at a time.
        Envelope transient = transientEnvelope;
        double* const __restrict envelopeValues = longSums;

        for (int i = 0; i < numSamples; ++i)
            envelopeValues[i] = transient.decayThenRise ((double) excessSquares[i]);

        transientEnvelope = transient;

        for (int i = numSamples; i < lanesLength; ++i)
            envelopeValues[i] = 0.0;

        // min ((float) value, 1) * gate.
        const lanes::Floats one = lanes::splat (1.0f);

        for (int i = 0; i < lanesLength; i += lanes::floatWidth)
        {
            const auto values = lanes::narrow (lanes::load<lanes::Doubles> (envelopeValues + i), lanes::load<lanes::Doubles> (envelopeValues + i + lanes::doubleWidth));
            lanes::store (transients + i, lanes::lesser (one, values) * lanes::load<lanes::Floats> (gates + i));
        }
    }

    // The fifth root makes even small transient levels pull steadiness down hard. The
    // excess lane, used up by now, takes the powers; the gates lane becomes the steadiness lane.
    {
        float* const __restrict powers = excessSquares;
        fifthRoot::powersOf (transients, powers, lanesLength);

        const lanes::Floats one = lanes::splat (1.0f);

        for (int i = 0; i < lanesLength; i += lanes::floatWidth)
            lanes::store (gates + i, (one - lanes::load<lanes::Floats> (powers + i)) * lanes::load<lanes::Floats> (gates + i));
    }

    const float* const steadiness = gates;

    // Then the meters and the history, in sample order.
    float blue = blueMeter.load (std::memory_order_relaxed);
    float red = redMeter.load (std::memory_order_relaxed);
    float blueSum = blueMeterSum, redSum = redMeterSum, greenSum = greenMeterSum;
    HistoryBuffer::Cursor points (history);

    for (int i = 0; i < numSamples; ++i)
    {
        const float transientLevel = transients[i];

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

int EffectEngine::takeColourCode() noexcept
{
    const int code = packColourCode (blueMeterSum, redMeterSum, greenMeterSum);
    blueMeterSum = redMeterSum = greenMeterSum = 0.0f;
    return code;
}

int EffectEngine::packColourCode (float blueSum, float redSum, float greenSum) noexcept
{
    const float total = (blueSum + redSum) + greenSum;

    if (! (total > 0.0f))
        return 0;

    const auto share = [total] (float sum) { return ((int) ((sum * 255.0f) / total)) & 0xff; };
    return share (blueSum) * 65536 + share (redSum) * 256 + share (greenSum);
}

bool EffectEngine::copyHistory (juce::Array<float>& levels, juce::Array<int>& colours)
{
    const juce::ScopedTryLock lock (engineLock);

    if (! lock.isLocked())
        return false;

    const auto& colourRing = history.getColourRing();
    const auto& levelRing = history.getLevelRing();

    if (colours.size() >= colourRing.getCapacity())
        return false;

    colourRing.copyNewestFirst (colours, colours.size());

    // One entry fewer for the levels than for the colours: the display relies on this limit.
    if (levels.size() >= levelRing.getCapacity() - 1)
        return false;

    levelRing.copyNewestFirst (levels, levels.size());
    return true;
}
