#include "ProgressBar.h"

#include <unistd.h>

bool ProgressBar::isWanted (bool quiet, double durationSeconds)
{
    return ! quiet && durationSeconds > 5.0 && isatty (STDERR_FILENO) != 0;
}

ProgressBar::ProgressBar (bool shouldShow, FILE* output)
    : enabled (shouldShow)
    , destination (output)
{
}

ProgressBar::~ProgressBar()
{
    finish();
}

void ProgressBar::update (double fraction)
{
    if (! enabled)
        return;

    const int percent = juce::jlimit (0, 100, (int) (fraction * 100.0));

    if (percent == shownPercent)
        return;

    shownPercent = percent;
    constexpr int width = 40;
    const int filled = percent * width / 100;

    std::fprintf (destination, "\r  [%s%s] %3d%%", juce::String::repeatedString ("#", filled).toRawUTF8(), juce::String::repeatedString (".", width - filled).toRawUTF8(), percent);
    std::fflush (destination);
}

void ProgressBar::finish()
{
    if (! enabled || shownPercent < 0)
        return;

    std::fprintf (destination, "\r%s\r", juce::String::repeatedString (" ", 60).toRawUTF8());
    std::fflush (destination);
    shownPercent = -1;
}
