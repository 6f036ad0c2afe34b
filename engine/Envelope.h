#pragma once

namespace tavine
{
    /** A one-pole envelope follower's state: how fast it rises, how fast it falls, where it is. */
    struct Envelope
    {
        double attack = 0.0;  ///< fraction of the distance to a higher target covered per sample
        double release = 0.0; ///< per-sample decay multiplier
        double value = 0.0;

        /** One sample: decay (flushing to 0 below 1e-8, so silence ends in exact zeros), then rise
            by `attack` of the way towards a target above the decayed value. */
        double decayThenRise (double target) noexcept
        {
            value *= release;

            if (value < 1.0e-8)
                value = 0.0;

            if (target > value)
                value = value + (target - value) * attack;

            return value;
        }
    };
} // namespace tavine
