#pragma once

#include "Discontinuity.h"
#include "Signals.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <string>
#include <utility>
#include <vector>

namespace test
{
    /** The discontinuity at or below which a change counts as inaudible: more than 20 dB under
        where a click on a pure tone starts to be heard. */
    constexpr double inaudibleJumpDb = -80.0;

    /** The knobs' positions and the bypass, as a host sets them. */
    struct Knobs
    {
        float red = 0.0f, green = 0.0f, blue = 0.0f, x2 = 0.0f;
        bool bypassed = false;
    };

    /** What the host sets before a block, given how many blocks and seconds that block starts
        after the first changed one (negative before it). */
    using Automation = std::function<Knobs (int blocksSinceChange, double secondsSinceChange)>;

    struct Case
    {
        std::string name;
        Automation automation;
        double seconds = 0.5;     // how long the tone plays
        bool changesLevel = true; // whether the tone ends at another level than it started
    };

    // The first changed block is the first to start 0.3 s in or later: long after the delay
    // has filled and the filters have settled.
    constexpr double changeSeconds = 0.3;

    /** Knobs that change from `before` to `after` and stay there. */
    Case step (std::string name, Knobs before, Knobs after)
    {
        return { std::move (name), [=] (int block, double) { return block < 0 ? before : after; } };
    }

    /** Knobs at `before`, then `after` for exactly one block, then `before` again. */
    Case blip (std::string name, Knobs before, Knobs after)
    {
        return { std::move (name), [=] (int block, double) { return block == 0 ? after : before; }, 0.5, false };
    }

    Knobs only (float Knobs::*knob, float value, float x2 = 0.0f)
    {
        Knobs k;
        k.*knob = value;
        k.x2 = x2;
        return k;
    }

    std::vector<Case> everyChange()
    {
        std::vector<Case> cases;
        const Knobs zero, full { 1.0f, 1.0f, 1.0f, 1.0f };
        const std::pair<const char*, float Knobs::*> knobs[] = { { "red", &Knobs::red }, { "green", &Knobs::green }, { "blue", &Knobs::blue } };

        for (const auto& [name, knob] : knobs)
        {
            const std::string n = name;
            cases.push_back (step (n + " 0 to 1", zero, only (knob, 1.0f)));
            cases.push_back (step (n + " 1 to 0", only (knob, 1.0f), zero));
            cases.push_back (step ("x2 on with " + n + " at 1", only (knob, 1.0f), only (knob, 1.0f, 1.0f)));
            cases.push_back (step ("x2 off with " + n + " at 1", only (knob, 1.0f, 1.0f), only (knob, 1.0f)));
            cases.push_back (blip (n + " off for one block", only (knob, 1.0f), zero));
            cases.push_back (blip (n + " on for one block", zero, only (knob, 1.0f)));

            // A host's automation of a knob from 0 to 1 over a second, sampled once per block.
            cases.push_back ({ n + " ramp 0 to 1 over 1 s", [=] (int, double seconds) {
                                  return only (knob, (float) std::clamp (seconds, 0.0, 1.0));
                              },
                               changeSeconds + 1.1 });
        }

        cases.push_back (step ("all at once, 0 to 1 with x2", zero, full));
        cases.push_back (step ("all at once, 1 with x2 to 0", full, zero));

        Knobs greenBypassed = only (&Knobs::green, 1.0f), fullBypassed = full;
        greenBypassed.bypassed = fullBypassed.bypassed = true;
        cases.push_back (step ("bypass on, green at 1", only (&Knobs::green, 1.0f), greenBypassed));
        cases.push_back (step ("bypass off, green at 1", greenBypassed, only (&Knobs::green, 1.0f)));
        cases.push_back (step ("bypass on, all at 1 with x2", full, fullBypassed));
        cases.push_back (step ("bypass off, all at 1 with x2", fullBypassed, full));
        cases.push_back (blip ("bypass for one block, all at 1 with x2", full, fullBypassed));
        return cases;
    }

    struct Measured
    {
        double before;        // the discontinuity of the steady tone before any change: the floor
        double after;         // from the first changed block on
        double levelChangeDb; // the tone's level at the end against just before the change
    };

    /** Plays the quadrature tone through something that processes stereo blocks in place, the
        knobs set before each block as `play` is told, and measures the discontinuity before and
        after the change. `play` is called with the block's knobs and its samples. */
    inline Measured measureChange (const Case& c, double rate, int blockSize, double frequency, const std::function<void (const Knobs&, float*, float*, int)>& play)
    {
        const QuadratureTone tone { frequency, rate };
        const int total = (int) (c.seconds * rate);
        auto left = tone.channel (total, false), right = tone.channel (total, true);
        const int changeBlock = (int) std::ceil (changeSeconds * rate / blockSize);
        const int changeBlockStart = changeBlock * blockSize;

        for (int block = 0, start = 0; start < total; ++block, start += blockSize)
            play (c.automation (block - changeBlock, (double) (start - changeBlockStart) / rate), left.data() + start, right.data() + start, std::min (blockSize, total - start));

        const auto quarterSecond = (std::size_t) (0.25 * rate);
        const auto fiftyMilliseconds = (std::size_t) (0.05 * rate);
        const auto level = [&] (std::size_t end) { return std::hypot (rms (left, end - fiftyMilliseconds, end), rms (right, end - fiftyMilliseconds, end)); };

        return { discontinuityDb (left, right, frequency, rate, quarterSecond, (std::size_t) changeBlockStart),
                 discontinuityDb (left, right, frequency, rate, (std::size_t) changeBlockStart, left.size()),
                 20.0 * std::log10 (level (left.size()) / level ((std::size_t) changeBlockStart)) };
    }
    /** Plays every change at 1 kHz and at 60 Hz through what `measure` drives, and holds each
        to the limit: nothing above it from the change on, and a level that moved where the
        change moves it, or silence about a change that never arrived would prove nothing. With
        `checkFloor`, the steady tone before the change must also lie far below the limit,
        which proves the measure itself. TAVINE_REPORT_CLICKS=1 prints every figure, after
        `where`, for whoever tunes the glide. */
    inline void expectNoChangeClicks (const std::string& where, bool checkFloor, const std::function<Measured (const Case&, double frequency)>& measure)
    {
        const bool report = std::getenv ("TAVINE_REPORT_CLICKS") != nullptr;

        for (const double frequency : { 1000.0, 60.0 })
        {
            for (const auto& c : everyChange())
            {
                const auto m = measure (c, frequency);
                const auto what = where + ", " + c.name + " at " + std::to_string ((int) frequency) + " Hz";

                if (checkFloor)
                {
                    EXPECT_LT (m.before, -110.0) << what;
                }

                EXPECT_LE (m.after, inaudibleJumpDb) << what;

                if (c.changesLevel)
                {
                    EXPECT_GT (std::abs (m.levelChangeDb), 0.1) << what << ": the change never reached the sound";
                }

                if (report)
                    std::cout << what << ": " << m.after << " dBFS (floor " << m.before << ")\n";
            }
        }
    }
} // namespace test
