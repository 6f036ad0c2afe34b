#pragma once

#include "ResponseMeasurement.h"

#include "../artwork/Lettering.h"

#include <juce_graphics/juce_graphics.h>

#include <vector>

/** One measured curve: a knob setting and its gains at the plot's frequencies. */
struct ResponseCurve
{
    ResponseMeasurement::Setting setting;
    std::vector<double> gainsDb;
};

/** Draws the curves on a log-frequency axis from 20 Hz to 20 kHz: x2 off on the left, on on
    the right, each knob in its colour, solid at 1 and dashed at 0.5, with a legend. */
namespace ResponsePlot
{
    juce::Image draw (const std::vector<double>& frequencies, const std::vector<ResponseCurve>& curves, const Lettering& lettering);
}
