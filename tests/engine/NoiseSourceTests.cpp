#include "engine/NoiseSource.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace tavine;

TEST (NoiseSource, StaysWithinItsLevel)
{
    NoiseSource noise (-140.0f);
    EXPECT_FLOAT_EQ (noise.getLevel(), 1.0e-7f);

    float lowest = 1.0f, highest = -1.0f;

    for (int i = 0; i < 200000; ++i)
    {
        const float v = noise.next();
        lowest = std::min (lowest, v);
        highest = std::max (highest, v);
    }

    EXPECT_GE (lowest, -1.0e-7f);
    EXPECT_LT (highest, 1.0e-7f);
    EXPECT_LT (lowest, -0.9e-7f); // and it actually uses its range
    EXPECT_GT (highest, 0.9e-7f);
}

TEST (NoiseSource, IsSeededDifferentlyPerInstanceAndRepeatsWithAFixedSeed)
{
    NoiseSource a (-140.0f), b (-140.0f);
    EXPECT_NE (a.next(), b.next());

    a.setSeed (7);
    b.setSeed (7);

    for (int i = 0; i < 100; ++i)
        EXPECT_EQ (a.next(), b.next());
}
