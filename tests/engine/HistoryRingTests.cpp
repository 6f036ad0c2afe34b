#include "engine/HistoryRing.h"

#include <gtest/gtest.h>

using namespace tavine;

TEST (HistoryRing, WrapsAroundAndCopiesNewestFirst)
{
    HistoryRing<int> ring (401);

    for (int i = 1; i <= 1000; ++i)
        ring.push (i);

    juce::Array<int> dest;
    dest.resize (388);
    ring.copyNewestFirst (dest, 388);

    for (int i = 0; i < 388; ++i)
        EXPECT_EQ (dest[i], 1000 - i);

    ring.setCapacity (401); // unchanged: keeps entries
    ring.copyNewestFirst (dest, 1);
    EXPECT_EQ (dest[0], 1000);

    ring.setCapacity (5);
    ring.copyNewestFirst (dest, 5);

    for (int i = 0; i < 5; ++i)
        EXPECT_EQ (dest[i], 0);
}
