#include "engine/MeanSquareWindow.h"
#include "support/EngineProbe.h"

#include <gtest/gtest.h>

#include <vector>

using namespace tavine;

TEST (MeanSquareWindow, RunningMeanOverItsLength)
{
    MeanSquareWindow window (4);
    EXPECT_DOUBLE_EQ (EngineProbe::push (window, 4.0), 1.0);
    EXPECT_DOUBLE_EQ (EngineProbe::push (window, 4.0), 2.0);
    EngineProbe::push (window, 4.0);
    EXPECT_DOUBLE_EQ (EngineProbe::push (window, 4.0), 4.0);
    EXPECT_DOUBLE_EQ (EngineProbe::push (window, 0.0), 3.0); // the oldest square drops out

    // The ring has wrapped: a clear must empty every slot, not only those since the wrap.
    window.clear();
    EXPECT_EQ (window.getSum(), 0.0);
    EXPECT_DOUBLE_EQ (EngineProbe::push (window, 8.0), 2.0);
    EngineProbe::push (window, 8.0);
    EngineProbe::push (window, 8.0);
    EXPECT_DOUBLE_EQ (EngineProbe::push (window, 8.0), 8.0);
    window.clear();
    EXPECT_DOUBLE_EQ (EngineProbe::push (window, 8.0), 2.0);

    window.setLength (4); // unchanged length: keeps its contents
    EXPECT_DOUBLE_EQ (window.getSum(), 8.0);
    window.setLength (2); // new length: emptied
    EXPECT_EQ (window.getSum(), 0.0);
}

// The window's emptying test compares sums with this threshold instead of dividing: it has to
// sit exactly on the boundary, at every length a rate can give.
TEST (MeanSquareWindow, SmallestSumWithMeanAtLeastSitsOnTheBoundary)
{
    const double floor = (double) 1.0e-8f;
    std::vector<int> lengths { 1, 2, 3, 7, 20, 44, 882, 960, 1920, 3840, 13230, 14400, 28800, 57600, 300000 };

    for (int n = 1; n < 20000; n += 37)
        lengths.push_back (n);

    for (double mean : { floor, 1.0e-3, 0.5 })
    {
        for (int length : lengths)
        {
            const double sum = MeanSquareWindow::smallestSumWithMeanAtLeast (mean, length);
            EXPECT_GE (sum / length, mean) << length;
            EXPECT_LT (std::nextafter (sum, 0.0) / length, mean) << length;
        }
    }
}
