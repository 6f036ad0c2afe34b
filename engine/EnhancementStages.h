#pragma once

#include "Envelope.h"
#include "FilterSection.h"
#include "GainGlide.h"

#include <memory>

namespace tavine
{
    /** What the stages are set to: an amount from 0 to 1 for each, and the x2 switch. */
    struct StageSetting
    {
        float redAmount = 0.0f;
        float greenAmount = 0.0f;
        float blueAmount = 0.0f;
        bool x2Enabled = false;

        /** A host's bypass: the stages fade to the dry signal, whatever the amounts. */
        bool bypassed = false;

        /** The setting for the knobs' positions, each 0..1: every knob drives its own stage
            with 90 % and leaks 5 % into each of the other two. x2 is on from one half up, as its
            text and its button show it. Non-finite positions are the caller's to refuse. */
        static StageSetting fromKnobs (float red, float green, float blue, float x2) noexcept;
    };

    /** The three enhancement stages over one slice of delayed input.

        Red adds an 80 Hz band-pass of the signal, blue a first-order high-pass, each scaled by its
        mix law; green scales the signal itself; x2 deepens all three. Whenever the setting
        changes, the gains glide to their new values (GainGlide), so that nothing the user does
        steps the output. A stage whose mix is 0 and stays there costs nothing: its sections stop,
        and when the stage wakes they start again from silence, under a glide that rises from 0,
        rather than from a memory of audio long gone.

        The stages also flush the input (samples whose magnitude is below 1e-8 become 0) into the
        caller's dry buffers, which the analysis and the bypass read afterwards, and follow the peak
        of the mid signal for the analysis: that recursion shares the filters' loop, where it
        overlaps with theirs at no cost.
    */
    class EnhancementStages
    {
    public:
        /** Centre of the red stage's band-pass and, where the rate allows it, corner of the blue
            stage's high-pass. */
        static constexpr double redCentreHz = 80.0;
        static constexpr double blueCornerHz = 10000.0;

        EnhancementStages();
        ~EnhancementStages();

        /** The blue stage's corner at a sample rate: 10 kHz from 40 kHz up, a quarter of the rate
            below, so that the high-pass stays a stable, non-ringing filter at every rate. */
        static double blueCornerHzAt (double rate) noexcept;

        /** Designs one channel's red and blue sections for a rate, as `prepare` designs the
            stages' own; their memories are kept. */
        static void designStageFilters (double rate, FilterSection& red, FilterSection& blue);

        /** The stage laws: green's gain on the signal; red's and blue's mix, the share of the
            filtered signal added, which is the stage's gain in its band less 1. */
        static float greenGain (float amount, bool x2) noexcept;
        static float redMix (float amount, bool x2) noexcept;
        static float blueMix (float amount, bool x2) noexcept;

        /** The gains a setting asks for once any glide has ended. */
        StageGains gainsFor (const StageSetting& setting) noexcept;

        /** Designs the sections for a rate; their memories carry on. The next setting is taken
            at once. */
        void prepare (double rate);

        /** Clears the sections' memories. The next setting is taken at once. */
        void reset() noexcept;

        /** Takes the setting of the next slice at once, without a glide: the setting a host
            makes before it starts to play is the sound from the first sample on, not a fade. */
        void jumpToNextSetting() noexcept { jumpPending = true; }

        /** One slice, of at most the engine's slice length. Reads `left` and `right` (null in
            mono), writes the flushed input to `dryLeft` and, in stereo, `dryRight`, and the
            enhanced signal back to `left` and `right`. `peak` follows the mid signal's positive
            excursions; the analysis takes the value it reaches at the slice's end for every sample
            of the slice. */
        void process (float* left, float* right, float* dryLeft, float* dryRight, int numSamples, const StageSetting& setting, Envelope& peak) noexcept;

    private:
        friend struct EngineProbe;

        struct Lanes;
        struct Kernels;

        template <bool stereo, bool red, bool green, bool blue, bool gliding>
        void apply (float* left, float* right, float* dryLeft, float* dryRight, int numSamples, Envelope& peak) noexcept;

        /** A stage's gain law with its last answer kept: the law costs a power of ten, which for
            small host blocks would otherwise be a noticeable share of every block. */
        class CachedLaw
        {
        public:
            using Law = float (*) (float amount, bool x2) noexcept;

            explicit CachedLaw (Law l) noexcept
                : law (l)
            {
            }

            float of (float amount, bool x2) noexcept
            {
                if (! known || amount != lastAmount || x2 != lastX2)
                {
                    lastAmount = amount;
                    lastX2 = x2;
                    lastValue = law (amount, x2);
                    known = true;
                }

                return lastValue;
            }

        private:
            Law law;
            bool known = false;
            float lastAmount = 0.0f;
            bool lastX2 = false;
            float lastValue = 0.0f;
        };

        /** Starts a stage's sections from silence when the stage wakes: what they held when it
            went to sleep belongs to audio long gone, and would ring out as a transient. */
        static void wake (bool inUse, bool& running, FilterSection& left, FilterSection& right) noexcept;

        CachedLaw greenLaw { greenGain }, redLaw { redMix }, blueLaw { blueMix };
        GainGlide glide;
        bool jumpPending = true;
        bool redRunning = false, blueRunning = false;
        std::unique_ptr<Lanes> chunk;
        FilterSection redFilterLeft, redFilterRight;
        FilterSection blueFilterLeft, blueFilterRight;
    };
} // namespace tavine
