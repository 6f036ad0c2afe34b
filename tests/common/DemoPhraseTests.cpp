#include "DemoPhrase.h"

#include <gtest/gtest.h>

#include <cmath>

// The README's screenshot and the renderer's demo are made from this phrase: the same command
// has to give the same picture and the same files on every run.
TEST (DemoPhrase, IsTheSameStereoPhraseOnEveryCall)
{
    const auto first = makeDemoPhrase (44100.0, 1.5);
    const auto second = makeDemoPhrase (44100.0, 1.5);

    ASSERT_EQ (first.getNumChannels(), 2);
    ASSERT_EQ (first.getNumSamples(), 66150);
    ASSERT_EQ (second.getNumSamples(), first.getNumSamples());

    float peak = 0.0f;
    bool channelsDiffer = false;

    for (int i = 0; i < first.getNumSamples(); ++i)
    {
        for (int channel = 0; channel < 2; ++channel)
        {
            const float sample = first.getSample (channel, i);
            ASSERT_TRUE (std::isfinite (sample)) << i;
            ASSERT_EQ (sample, second.getSample (channel, i)) << "channel " << channel << ", sample " << i;
            peak = std::max (peak, std::abs (sample));
        }

        channelsDiffer = channelsDiffer || first.getSample (0, i) != first.getSample (1, i);
    }

    EXPECT_GT (peak, 0.25f) << "loud enough to move every meter";
    EXPECT_TRUE (channelsDiffer) << "stereo, so that the spatial stage has something to show";
}

TEST (DemoPhrase, AlwaysHoldsAtLeastOneSample)
{
    EXPECT_EQ (makeDemoPhrase (44100.0, 0.0).getNumSamples(), 1);
    EXPECT_EQ (makeDemoPhrase (48000.0, 0.25).getNumSamples(), 12000);
}
