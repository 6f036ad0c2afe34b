#pragma once

#include "DemoPhrase.h"

#include <juce_graphics/juce_graphics.h>

#include <array>

/** Tavine's window as it looks after a stretch of the demo phrase with a given setting: the
    picture tavine_snapshot writes, and the one the window tests look for on a screen. */
struct WindowSnapshot
{
    std::array<float, 3> knobs { DemoPhrase::red, DemoPhrase::green, DemoPhrase::blue }; // red, green, blue, 0 to 1
    bool x2 = false;
    double seconds = DemoPhrase::seconds; // of the phrase, 0 to 600
    float scale = 1.0f;                   // the display scale the window is drawn at, see EditorPicture

    /** Plays the phrase through a fresh processor with its window open, and draws the window. */
    juce::Image draw() const;
};
