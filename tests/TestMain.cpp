#include "support/ScopedSettingsFolder.h"

#include <gtest/gtest.h>
#include <juce_events/juce_events.h>

// Anything that builds parameters, components or images needs JUCE's message manager; one
// initialiser for the whole run keeps that cheap and leak-checked once at the end.
int main (int argc, char** argv)
{
    testing::InitGoogleTest (&argc, argv);
    const juce::ScopedJuceInitialiser_GUI juce;
    const test::ScopedSettingsFolder settings;
    return RUN_ALL_TESTS();
}
