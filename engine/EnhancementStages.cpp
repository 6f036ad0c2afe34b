#include "EnhancementStages.h"
#include "FilterPairCursor.h"
#include "SampleLanes.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

namespace tavine
{
    namespace
    {
        constexpr float x2Factor = 1.9475f;
        constexpr float redStageDb = 0.95f;
        constexpr float greenStageDb = 1.25f;
        constexpr float blueStageDb = 1.28f;
        constexpr float flushThreshold = 1.0e-8f;

        float stageDecibels (float amount, float stageDb, bool x2) noexcept
        {
            const float d = x2 ? x2Factor : 1.0f;
            return std::sqrt (amount) * (d * stageDb);
        }

        float gainFromDecibels (float decibels) noexcept
        {
            return ::powf (10.0f, decibels / 20.0f);
        }
    } // namespace

    /** The stages' per-sample intermediates for one chunk of a slice: the mid values the peak
        follows, and the filtered stages' outputs as interleaved pairs (left and right, or in mono
        red and blue), so that the mix after the recursions can be vectorised, several samples per
        instruction. */
    struct EnhancementStages::Lanes
    {
        static constexpr int length = 512;

        alignas (32) double mids[length];
        alignas (32) float redPairs[2 * length];
        alignas (32) float bluePairs[2 * length];

        // The gains of each sample while a glide is under way.
        alignas (32) float greens[length];
        alignas (32) float reds[length];
        alignas (32) float blues[length];
    };

    struct EnhancementStages::Kernels
    {
        using Kernel = void (EnhancementStages::*) (float*, float*, float*, float*, int, Envelope&) noexcept;

        template <std::size_t... layouts>
        static constexpr std::array<Kernel, sizeof...(layouts)> table (std::index_sequence<layouts...>) noexcept
        {
            // A glide moves all three gains at once, so a gliding kernel always applies green.
            return { { &EnhancementStages::apply<(layouts & 16) != 0, (layouts & 4) != 0, (layouts & 10) != 0, (layouts & 1) != 0, (layouts & 8) != 0>... } };
        }
    };

    EnhancementStages::EnhancementStages()
        : chunk (std::make_unique<Lanes>())
    {
    }

    EnhancementStages::~EnhancementStages() = default;

    StageSetting StageSetting::fromKnobs (float red, float green, float blue, float x2) noexcept
    {
        // The additions run in exactly this order; the weights sum to 1, so each amount stays
        // within 0..1.
        return { (red * 0.9f + green * 0.05f) + blue * 0.05f,
                 (green * 0.9f + blue * 0.05f) + red * 0.05f,
                 (blue * 0.9f + red * 0.05f) + green * 0.05f,
                 x2 >= 0.5f,
                 false };
    }

    float EnhancementStages::greenGain (float amount, bool x2) noexcept
    {
        return gainFromDecibels (stageDecibels (amount, greenStageDb, x2));
    }

    float EnhancementStages::redMix (float amount, bool x2) noexcept
    {
        return gainFromDecibels (stageDecibels (amount, redStageDb, x2)) - 1.0f;
    }

    float EnhancementStages::blueMix (float amount, bool x2) noexcept
    {
        return gainFromDecibels (stageDecibels (amount, blueStageDb, x2)) - 1.0f;
    }

    double EnhancementStages::blueCornerHzAt (double rate) noexcept
    {
        // A first-order high-pass has a corner only below the Nyquist frequency: designed at or
        // above it, its pole leaves the unit circle and the stage blows up. From a quarter of the
        // rate up the pole would also cross to the negative axis and ring at Nyquist as the corner
        // nears it. So the corner is 10 kHz wherever that is at most a quarter of the rate (40 kHz
        // and up, the common rates untouched) and a quarter of the rate below that: it falls
        // continuously, and the pole never leaves [0, 1).
        return std::min (blueCornerHz, rate * 0.25);
    }

    void EnhancementStages::designStageFilters (double rate, FilterSection& red, FilterSection& blue)
    {
        // Designed at the running rate so that 80 Hz and 10 kHz stay where they belong, as far as
        // the rate allows (see blueCornerHzAt). The memories carry on.
        red.setDesignRate (rate);
        red.design (FilterShape::bandPass, redCentreHz, 0.5);
        blue.setDesignRate (rate);
        blue.design (FilterShape::highPass1, blueCornerHzAt (rate), 0.5);
    }

    void EnhancementStages::prepare (double rate)
    {
        designStageFilters (rate, redFilterLeft, blueFilterLeft);
        designStageFilters (rate, redFilterRight, blueFilterRight);
        glide.prepare (rate);
        jumpToNextSetting();
    }

    void EnhancementStages::reset() noexcept
    {
        for (auto* section : { &redFilterLeft, &redFilterRight, &blueFilterLeft, &blueFilterRight })
            section->clearState();

        jumpToNextSetting();
    }

    StageGains EnhancementStages::gainsFor (const StageSetting& setting) noexcept
    {
        if (setting.bypassed)
            return {};

        // An amount that is not above 0 (NaN included) leaves its stage out; one above 1 counts
        // as 1, so that no gain, and no glide towards it, can become infinite.
        const auto law = [&setting] (CachedLaw& cached, float amount, float off) noexcept {
            return amount > 0.0f ? cached.of (std::min (amount, 1.0f), setting.x2Enabled) : off;
        };

        return { law (greenLaw, setting.greenAmount, 1.0f), law (redLaw, setting.redAmount, 0.0f), law (blueLaw, setting.blueAmount, 0.0f) };
    }

    void EnhancementStages::wake (bool inUse, bool& running, FilterSection& left, FilterSection& right) noexcept
    {
        if (inUse && ! running)
        {
            left.clearState();
            right.clearState();
        }

        running = inUse;
    }

    void EnhancementStages::process (float* left, float* right, float* dryLeft, float* dryRight, int numSamples, const StageSetting& setting, Envelope& peak) noexcept
    {
        const StageGains wanted = gainsFor (setting);

        if (jumpPending)
            glide.jumpTo (wanted);
        else
            glide.glideTo (wanted);

        jumpPending = false;

        const bool gliding = glide.isGliding();
        const bool red = glide.redInUse();
        const bool blue = glide.blueInUse();
        const bool green = glide.getTarget().green != 1.0f;
        wake (red, redRunning, redFilterLeft, redFilterRight);
        wake (blue, blueRunning, blueFilterLeft, blueFilterRight);

        // Each combination of channel count, stages in use and glide is compiled on its own, so
        // that the per-sample loops carry no test for a stage that is off and steady gains cost
        // no more than constants. The table is indexed by stereo, gliding, red, green and blue as
        // the bits 16, 8, 4, 2 and 1.
        static constexpr auto kernels = Kernels::table (std::make_index_sequence<32>());
        const std::size_t layout = (right != nullptr ? 16u : 0u) + (gliding ? 8u : 0u) + (red ? 4u : 0u) + (green ? 2u : 0u) + (blue ? 1u : 0u);
        (this->*kernels[layout]) (left, right, dryLeft, dryRight, numSamples, peak);
    }

    namespace
    {
        /** A gain for the samples from i on: the glide's own, sample by sample, or the one
            constant of a steady slice. */
        template <bool perSample, typename V>
        auto gainAt (const float* perSampleGains, float constant, int i) noexcept
        {
            if constexpr (perSample)
                return lanes::load<V> (perSampleGains + i);
            else
                return constant;
        }
    } // namespace

    template <bool stereo, bool red, bool green, bool blue, bool gliding>
    void EnhancementStages::apply (float* left, float* right, float* dryLeft, float* dryRight, int numSamples, Envelope& peakEnvelope) noexcept
    {
        const StageGains steady = glide.getTarget();
        const float greenFactor = steady.green;
        const float redFactor = steady.red;
        const float blueFactor = steady.blue;

        // Every stage is one chain of its own per sample; stepping them in one loop lets their
        // recursions and the peak's overlap instead of following each other. Sections that are
        // always stepped together share a vector: a stage's left and right in stereo, the red and
        // the blue stage in mono.
        constexpr bool monoPair = ! stereo && red && blue;
        FilterSection::Cursor redLeft (redFilterLeft), blueLeft (blueFilterLeft);
        FilterPairCursor redPair (redFilterLeft, stereo ? redFilterRight : blueFilterLeft);
        FilterPairCursor bluePair (blueFilterLeft, blueFilterRight);

        double* const __restrict mids = chunk->mids;
        float* const __restrict redPairs = chunk->redPairs;
        float* const __restrict bluePairs = chunk->bluePairs;
        float* const __restrict greens = chunk->greens;
        float* const __restrict reds = chunk->reds;
        float* const __restrict blues = chunk->blues;
        const double peakRelease = peakEnvelope.release;
        double peak = peakEnvelope.value;

        for (int done = 0; done < numSamples; done += Lanes::length)
        {
            const int n = std::min (Lanes::length, numSamples - done);
            float* const __restrict outLeft = left + done;
            float* const __restrict outRight = stereo ? right + done : nullptr;
            const float* const inRight = stereo ? right + done : left + done;
            float* const __restrict dryL = dryLeft + done;
            float* const __restrict dryR = dryRight + done;

            // The peak follows the mid values from before the flush; the stages and the analysis
            // work on the flushed samples.
            lanes::forEach (n, [&] (int i, auto kind) noexcept {
                using V = decltype (kind);
                const auto flushed = [] (V v) noexcept { return lanes::select (lanes::magnitude (v) < flushThreshold, V {}, v); };
                const V l = lanes::load<V> (outLeft + i);
                const V r = lanes::load<V> (inRight + i);
                lanes::store (mids + i, lanes::widen (l + r) * 0.5);
                lanes::store (dryL + i, flushed (l));

                if constexpr (stereo)
                    lanes::store (dryR + i, flushed (r));
            });

            // The recursions. Only positive excursions of the mid signal raise the peak.
            for (int i = 0; i < n; ++i)
            {
                peak *= peakRelease;

                if (peak < 1.0e-8)
                    peak = 0.0;

                if (mids[i] > peak)
                    peak = mids[i];

                if constexpr (stereo)
                {
                    const FilterPairCursor::Lanes x { (double) dryL[i], (double) dryR[i] };

                    if constexpr (red)
                        lanes::storeNarrowed (redPairs + 2 * i, redPair.step (x));

                    if constexpr (blue)
                        lanes::storeNarrowed (bluePairs + 2 * i, bluePair.step (x));
                }
                else if constexpr (monoPair)
                {
                    const double x = dryL[i];
                    lanes::storeNarrowed (redPairs + 2 * i, redPair.step (FilterPairCursor::Lanes { x, x }));
                }
                else
                {
                    if constexpr (red)
                        redPairs[i] = (float) redLeft.step (dryL[i]);

                    if constexpr (blue)
                        bluePairs[i] = (float) blueLeft.step (dryL[i]);
                }
            }

            if constexpr (gliding)
                glide.fill (greens, reds, blues, n);

            // The mix. The filtered components are taken before the green gain, so they are not
            // scaled by it. A gliding slice does the same operations with a gain per sample.
            lanes::forEach (n, [&] (int i, auto kind) noexcept {
                using V = decltype (kind);
                const auto greenGain = gainAt<gliding, V> (greens, greenFactor, i);
                [[maybe_unused]] const auto redGain = gainAt<gliding, V> (reds, redFactor, i);
                [[maybe_unused]] const auto blueGain = gainAt<gliding, V> (blues, blueFactor, i);
                const V l = lanes::load<V> (dryL + i);
                V mixL = green ? l * greenGain : l;

                if constexpr (stereo)
                {
                    const V r = lanes::load<V> (dryR + i);
                    V mixR = green ? r * greenGain : r;

                    if constexpr (red)
                    {
                        const auto [yl, yr] = lanes::loadPairs<V> (redPairs + 2 * i);
                        mixL = mixL + redGain * yl;
                        mixR = mixR + redGain * yr;
                    }

                    if constexpr (blue)
                    {
                        const auto [yl, yr] = lanes::loadPairs<V> (bluePairs + 2 * i);
                        mixL = mixL + blueGain * yl;
                        mixR = mixR + blueGain * yr;
                    }

                    lanes::store (outRight + i, mixR);
                }
                else if constexpr (monoPair)
                {
                    const auto [yRed, yBlue] = lanes::loadPairs<V> (redPairs + 2 * i);
                    mixL = mixL + redGain * yRed;
                    mixL = mixL + blueGain * yBlue;
                }
                else
                {
                    if constexpr (red)
                        mixL = mixL + redGain * lanes::load<V> (redPairs + i);

                    if constexpr (blue)
                        mixL = mixL + blueGain * lanes::load<V> (bluePairs + i);
                }

                lanes::store (outLeft + i, mixL);
            });
        }

        peakEnvelope.value = peak;

        // A stage out of use leaves its sections alone; they start from silence when it wakes.
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
} // namespace tavine
