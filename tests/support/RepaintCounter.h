#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace test
{
    /** Counts a component's repaint requests. A component hands every repaint to its cached
        image first; this one only counts them. Install with installOn; the component owns it. */
    class RepaintCounter : public juce::CachedComponentImage
    {
    public:
        static RepaintCounter& installOn (juce::Component& component)
        {
            auto* counter = new RepaintCounter();
            component.setCachedComponentImage (counter);
            counter->count = 0; // installing it invalidates it once
            return *counter;
        }

        void paint (juce::Graphics&) override {}
        bool invalidateAll() override { return ++count > 0; }
        bool invalidate (const juce::Rectangle<int>&) override { return ++count > 0; }
        void releaseResources() override {}

        int count = 0;
    };
} // namespace test
