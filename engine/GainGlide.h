#pragma once

namespace tavine
{
    /** The three gains the stages apply: green's gain on the signal, and red's and blue's mix,
        the share of each filtered signal added to it. Green at 1 and both mixes at 0 is the dry
        signal, which is also what a bypass fades to. */
    struct StageGains
    {
        float green = 1.0f;
        float red = 0.0f;
        float blue = 0.0f;

        friend bool operator== (const StageGains& a, const StageGains& b) noexcept
        {
            return a.green == b.green && a.red == b.red && a.blue == b.blue;
        }

        friend bool operator!= (const StageGains& a, const StageGains& b) noexcept { return ! (a == b); }
    };

    /** Moves the stage gains from the values in force to new ones over a fixed time, one value
        per sample, so that a knob, x2 or a bypass never steps the output.

        Each glide is a cubic that starts at the value and the rate of change in force and arrives
        at the new value with no rate of change left, exactly `lengthSamples` samples later. A
        gain thus never changes its value or its slope abruptly, even when a new target arrives
        halfway through a glide (as block-rate automation does all the time): a step in either
        is what a listener hears as a click. With no slope to carry in, the cubic is the
        smoothstep 3t² − 2t³, whose steepest slope is only 1.5 times that of a straight ramp of
        the same length, and unlike the straight ramp it has no corners at its ends.

        Between glides the gains are exactly their targets, so steady settings give the same
        samples as if nothing ever glided.
    */
    class GainGlide
    {
    public:
        /** How long a glide takes: long enough that the steepest slope of the largest step
            (everything from 0 to 1 with x2, or back) stays well below what is heard on a pure
            tone, short enough that a knob still answers at once. */
        static constexpr double glideSeconds = 0.03;

        /** Sets the glide's length for a sample rate and ends any glide under way at its target. */
        void prepare (double sampleRate) noexcept;

        /** Takes these gains at once, without a glide. */
        void jumpTo (const StageGains& gains) noexcept;

        /** Starts a glide to these gains from where the gains are now, unless they are the target
            already. */
        void glideTo (const StageGains& gains) noexcept;

        bool isGliding() const noexcept { return step < lengthSamples; }

        /** The gains of the last sample written, or the target when no glide is under way. */
        StageGains getCurrent() const noexcept;
        const StageGains& getTarget() const noexcept { return target; }

        /** Whether red's or blue's mix is anything but 0 at some sample of the glide under way,
            or now: a stage whose mix is 0 throughout needs no filtering. */
        bool redInUse() const noexcept { return inUse (1); }
        bool blueInUse() const noexcept { return inUse (2); }

        /** Writes the gains of the next `numSamples` samples and moves on by as many. The
            samples after the glide's end get the target itself. */
        void fill (float* green, float* red, float* blue, int numSamples) noexcept;

        int getLengthSamples() const noexcept { return lengthSamples; }

    private:
        bool inUse (int gain) const noexcept;

        // One glide for all three gains, each with its own start, slope and end. Doubles, so that
        // a glide's ends are exact and its steps smooth far below a float's resolution.
        double start[3] {};
        double slope[3] {}; // per sample, at the glide's start
        double end[3] {};
        StageGains target;
        int lengthSamples = 1;
        int step = 1; // samples of the glide written so far; lengthSamples when none is under way
    };
} // namespace tavine
