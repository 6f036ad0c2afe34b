#include "engine/DelayLine.h"

#include <gtest/gtest.h>

#include <vector>

using namespace tavine;

TEST (DelayLine, DelaysByItsLengthAndIgnoresUselessLengths)
{
    DelayLine delay (4);
    std::vector<float> x { 1, 2, 3, 4, 5, 6, 7 };
    delay.process (x.data(), (int) x.size());
    EXPECT_EQ (x, (std::vector<float> { 0, 0, 0, 0, 1, 2, 3 }));

    delay.setLength (0);
    delay.setLength (-3);
    delay.setLength (4);
    EXPECT_EQ (delay.getLength(), 4);

    std::vector<float> y { 8, 9 };
    delay.process (y.data(), 2);
    EXPECT_EQ (y, (std::vector<float> { 4, 5 })); // nothing was emptied

    delay.setLength (2);
    std::vector<float> z { 1, 2, 3 };
    delay.process (z.data(), 3);
    EXPECT_EQ (z, (std::vector<float> { 0, 0, 1 })); // a new length starts empty
}
