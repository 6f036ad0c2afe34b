#include "ReferenceEngine.h"

#include "engine/EnhancementStages.h"
#include "engine/SignalAnalysis.h"

#include <algorithm>
#include <cmath>
#include <cstring>

using namespace tavine;

namespace reference
{

    DelayLine::DelayLine (int initialLength)
    {
        setLength (initialLength);
    }

    void DelayLine::setLength (int newLength)
    {
        if (newLength <= 0 || newLength == length)
            return;

        length = newLength;
        buffer.assign ((std::size_t) newLength, 0.0f);
        position = 0;
    }

    MeanSquareWindow::MeanSquareWindow (int initialLength)
    {
        setLength (initialLength);
    }

    void MeanSquareWindow::setLength (int newLength)
    {
        if (newLength <= 0 || newLength == length)
            return;

        length = newLength;
        squares.assign ((std::size_t) newLength, 0.0);
        position = 0;
        sum = 0.0;
    }

    void MeanSquareWindow::clear() noexcept
    {
        sum = 0.0;
        std::fill (squares.begin(), squares.end(), 0.0);
        position = 0;
    }

    HistoryBuffer::HistoryBuffer (double windowMs, double interval)
        : windowMilliseconds (windowMs)
        , windowLength (windowLengthFor (44100.0, windowMs))
        , powers ((std::size_t) std::max (1, windowLength), 0.0)
        , pointInterval (interval)
    {
        windowLength = std::max (1, windowLength);
    }

    int HistoryBuffer::windowLengthFor (double rate, double windowMs) noexcept
    {
        return (int) ((rate * windowMs) * 0.001);
    }

    void HistoryBuffer::setSampleRate (double newRate)
    {
        rate = newRate;

        const int newLength = windowLengthFor (newRate, windowMilliseconds);

        if (newLength > 0 && newLength != windowLength)
        {
            windowLength = newLength;
            powers.assign ((std::size_t) newLength, 0.0);
        }

        std::fill (powers.begin(), powers.end(), 0.0);
        powerSum = 0.0;
        windowPosition = 0;
        levelRing.clear();
        samplesSincePoint = 0;
    }

    namespace
    {
        constexpr float flushThreshold = 1.0e-8f;

        // Below this the analysis treats the mid signal as silence, so that the noise floor and
        // dither-level residue never wake the windows.
        constexpr float midDeadZone = 1.0e-4f;

        float finiteOrSilence (float sample) noexcept
        {
            return std::isfinite (sample) ? sample : 0.0f;
        }
    } // namespace

    ReferenceEngine::ReferenceEngine()
        : redLeftCopy (new float[(std::size_t) maxSliceLength])
        , blueLeftCopy (new float[(std::size_t) maxSliceLength])
        , redRightCopy (new float[(std::size_t) maxSliceLength])
        , blueRightCopy (new float[(std::size_t) maxSliceLength])
        , greenGains (new float[(std::size_t) maxSliceLength])
        , redGains (new float[(std::size_t) maxSliceLength])
        , blueGains (new float[(std::size_t) maxSliceLength])
    {
        peakEnvelope.release = 1.0 - 1.0 / 44100.0;
        prepare (44100.0);
        reset();
    }

    void ReferenceEngine::prepare (double newSampleRate)
    {
        jumpPending = true;

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

        // The sections are designed at the running rate so that 80 Hz and 10 kHz stay where they
        // belong. Below 40 kHz the blue corner is a quarter of the rate instead, so that it stays
        // well below the Nyquist frequency. Their memories carry on.
        for (auto* section : { &redFilterLeft, &redFilterRight })
        {
            section->setDesignRate (newSampleRate);
            section->design (FilterShape::bandPass, 80.0, 0.5);
        }

        for (auto* section : { &blueFilterLeft, &blueFilterRight })
        {
            section->setDesignRate (newSampleRate);
            section->design (FilterShape::highPass1, std::min (10000.0, newSampleRate / 4.0), 0.5);
        }

        longWindow.setLength ((int) (newSampleRate * 0.3));
        shortWindow.setLength ((int) (newSampleRate * 0.02));

        transientEnvelope.attack = 1.0 / (newSampleRate * 0.075);
        transientEnvelope.release = 1.0 - 1.0 / (newSampleRate * 0.3);
        glide.prepare (newSampleRate);

        const int delayLength = 512 * (int) (newSampleRate / 44100.0);
        delayLeft.setLength (delayLength);
        delayRight.setLength (delayLength);
    }

    void ReferenceEngine::reset()
    {
        for (auto* section : { &redFilterLeft, &redFilterRight, &blueFilterLeft, &blueFilterRight })
            section->clearState();

        jumpPending = true;
        peakEnvelope.value = 0.0;
        longWindow.clear();
        shortWindow.clear();
        blueMeter.store (0.0f, std::memory_order_relaxed);
        redMeter.store (0.0f, std::memory_order_relaxed);
        greenMeter.store (0.0f, std::memory_order_relaxed);
    }

    void ReferenceEngine::process (float* left, float* right, int numSamples) noexcept
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

    void ReferenceEngine::processSlice (float* left, float* right, int numSamples) noexcept
    {
        const bool x2 = x2Enabled;

        for (int i = 0; i < numSamples; ++i)
        {
            // One draw serves both channels, so the floor is identical in left and right.
            const float v = noise.next();
            left[i] = finiteOrSilence (left[i]) + v;

            if (right != nullptr)
                right[i] = finiteOrSilence (right[i]) + v;
        }

        delayLeft.process (left, numSamples);

        if (right != nullptr)
            delayRight.process (right, numSamples);

        {
            const juce::ScopedLock lock (engineLock);
            analyse (left, right, numSamples);
        }

        // The gains the setting asks for; bypassed, the dry signal. A change glides there.
        tavine::StageGains wanted;

        if (! bypassed)
        {
            wanted.green = greenAmount > 0.0f ? EnhancementStages::greenGain (greenAmount, x2) : 1.0f;
            wanted.red = redAmount > 0.0f ? EnhancementStages::redMix (redAmount, x2) : 0.0f;
            wanted.blue = blueAmount > 0.0f ? EnhancementStages::blueMix (blueAmount, x2) : 0.0f;
        }

        if (jumpPending)
            glide.jumpTo (wanted);
        else
            glide.glideTo (wanted);

        jumpPending = false;

        // A filtered stage runs while its mix is anything but 0 during the slice; when it starts
        // again after a pause, its sections start from silence.
        const bool redRuns = glide.redInUse();
        const bool blueRuns = glide.blueInUse();

        if (redRuns && ! redRunning)
        {
            redFilterLeft.clearState();
            redFilterRight.clearState();
        }

        if (blueRuns && ! blueRunning)
        {
            blueFilterLeft.clearState();
            blueFilterRight.clearState();
        }

        redRunning = redRuns;
        blueRunning = blueRuns;
        glide.fill (greenGains.get(), redGains.get(), blueGains.get(), numSamples);

        // The filtered copies are taken before the green gain, so the red and blue components
        // added back are not scaled by it.
        if (redRuns)
        {
            std::memcpy (redLeftCopy.get(), left, sizeof (float) * (std::size_t) numSamples);
            redFilterLeft.processInPlace (redLeftCopy.get(), numSamples);

            if (right != nullptr)
            {
                std::memcpy (redRightCopy.get(), right, sizeof (float) * (std::size_t) numSamples);
                redFilterRight.processInPlace (redRightCopy.get(), numSamples);
            }
        }

        if (blueRuns)
        {
            std::memcpy (blueLeftCopy.get(), left, sizeof (float) * (std::size_t) numSamples);
            blueFilterLeft.processInPlace (blueLeftCopy.get(), numSamples);

            if (right != nullptr)
            {
                std::memcpy (blueRightCopy.get(), right, sizeof (float) * (std::size_t) numSamples);
                blueFilterRight.processInPlace (blueRightCopy.get(), numSamples);
            }
        }

        // A gain of exactly 1 or a mix of exactly 0 changes no sample, so steady stages that are
        // off need no test here.
        for (int i = 0; i < numSamples; ++i)
            left[i] *= greenGains[(std::size_t) i];

        if (right != nullptr)
            for (int i = 0; i < numSamples; ++i)
                right[i] *= greenGains[(std::size_t) i];

        if (redRuns)
        {
            for (int i = 0; i < numSamples; ++i)
                left[i] += redGains[(std::size_t) i] * redLeftCopy[(std::size_t) i];

            if (right != nullptr)
                for (int i = 0; i < numSamples; ++i)
                    right[i] += redGains[(std::size_t) i] * redRightCopy[(std::size_t) i];
        }

        if (blueRuns)
        {
            for (int i = 0; i < numSamples; ++i)
                left[i] += blueGains[(std::size_t) i] * blueLeftCopy[(std::size_t) i];

            if (right != nullptr)
                for (int i = 0; i < numSamples; ++i)
                    right[i] += blueGains[(std::size_t) i] * blueRightCopy[(std::size_t) i];
        }
    }

    void ReferenceEngine::analyse (float* left, float* right, int numSamples) noexcept
    {
        // Peak pass first, over the whole slice: every sample of the second pass sees the peak
        // reached at the end of it. Only positive excursions of the mid signal count.
        double peak = peakEnvelope.value;

        for (int i = 0; i < numSamples; ++i)
        {
            peak *= peakEnvelope.release;

            if (peak < 1.0e-8)
                peak = 0.0;

            const float r = right != nullptr ? right[i] : left[i];
            const double mid = (double) (left[i] + r) * 0.5;

            if (mid > peak)
                peak = mid;
        }

        peakEnvelope.value = peak;

        const float meterRelease = 1.0f - 1.0f / (float) (sampleRate * 0.001 * 100.0);
        const float peakValue = (float) peak;
        const double windowFloor = (double) 1.0e-8f;

        float blue = blueMeter.load (std::memory_order_relaxed);
        float red = redMeter.load (std::memory_order_relaxed);
        float green = greenMeter.load (std::memory_order_relaxed);

        for (int i = 0; i < numSamples; ++i)
        {
            float l = left[i];

            if (std::abs (l) < flushThreshold)
                left[i] = l = 0.0f;

            float r = l;

            if (right != nullptr)
            {
                r = right[i];

                if (std::abs (r) < flushThreshold)
                    right[i] = r = 0.0f;
            }

            float mid = (r + l) * 0.5f;

            if (mid > -midDeadZone && mid < midDeadZone)
                mid = 0.0f;

            const double square = (double) mid * (double) mid;

            // A window whose mean falls below the floor is emptied outright; this also catches a
            // running sum that rounding has pushed slightly below zero.
            double meanLong = longWindow.push (square);

            if (meanLong != 0.0 && meanLong < windowFloor)
            {
                longWindow.clear();
                meanLong = 0.0;
            }

            double meanShort = shortWindow.push (square);

            if (meanShort != 0.0 && meanShort < windowFloor)
            {
                shortWindow.clear();
                meanShort = 0.0;
            }

            float excess = 0.0f;

            if (meanLong > 0.0)
                excess = (float) std::clamp (meanShort / meanLong - 1.0, 0.0, 1.0);

            const double transient = transientEnvelope.decayThenRise ((double) (excess * excess));

            if (peakValue > 0.0f)
                green = std::clamp ((float) std::sqrt (std::max (meanLong, 0.0)) * 1.4142f / peakValue, 0.0f, 1.0f);
            else
                green = 0.0f;

            // Near-silent material would otherwise read as perfectly steady: the gate fades the
            // steadiness and transient targets out below a density of 0.0025.
            const float gate = std::min (std::sqrt (green) * 20.0f, 1.0f);
            const float transientLevel = std::min ((float) transient, 1.0f) * gate;

            if (transientLevel > blue)
                blue = transientLevel;
            else
                blue *= meterRelease;

            // The fifth root makes even small transient levels pull steadiness down hard.
            const float steadiness = (1.0f - ::powf (transientLevel, 0.2f)) * gate;

            if (steadiness > red)
                red = steadiness;
            else
                red *= meterRelease;

            blueMeter.store (blue, std::memory_order_relaxed);
            redMeter.store (red, std::memory_order_relaxed);
            greenMeter.store (green, std::memory_order_relaxed);

            redMeterSum += red;
            blueMeterSum += blue;
            greenMeterSum += green;

            if (history.pushSample (l, r))
                history.pushColourCode (takeColourCode());
        }
    }

    int ReferenceEngine::takeColourCode() noexcept
    {
        const int code = SignalAnalysis::packColourCode (blueMeterSum, redMeterSum, greenMeterSum);
        blueMeterSum = redMeterSum = greenMeterSum = 0.0f;
        return code;
    }

    bool ReferenceEngine::copyHistory (juce::Array<float>& levels, juce::Array<int>& colours)
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
} // namespace reference
