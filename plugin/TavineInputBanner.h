#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

/** The strip the standalone program shows over the editor while the audio input is muted and
    a device with inputs is open: it says that the input is muted and where the switch is, and
    its button unmutes. The program mutes the input until the user turns it on, because near
    speakers the input would feed back, and whether the user listens on headphones cannot be
    known. */
class TavineInputBanner : public juce::Component
{
public:
    /** Two lines of text at the window's smallest width. */
    static constexpr int height = 40;

    TavineInputBanner();

    /** Called when the user presses Unmute. */
    std::function<void()> onUnmute;

    void paint (juce::Graphics& g) override;
    void resized() override;

private:
    juce::Label message;
    juce::TextButton unmuteButton;

    JUCE_DECLARE_NON_COPYABLE (TavineInputBanner)
};
