#pragma once

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_audio_utils/juce_audio_utils.h>

/** The standalone program's audio settings: JUCE's device selector, offering MIDI inputs and a
    MIDI output only to a processor that takes or makes MIDI (Tavine does neither), and the
    switch that mutes the audio input against feedback. */
class TavineAudioSettings : public juce::Component
{
public:
    /** The settings for the given devices and processor; the switch, shown when
        `offerInputMute` says the processor's output could feed back into its input, is tied
        to `inputMuted`. */
    TavineAudioSettings (juce::AudioDeviceManager& devices, const juce::AudioProcessor& processor, juce::Value& inputMuted, bool offerInputMute);

    /** What the settings are called in the Options menu and on their dialog. */
    static juce::String getTitle (const juce::AudioProcessor& processor);

    /** Opens the settings in a dialog of their own, closed by its close button or Escape. */
    static void showDialog (juce::AudioDeviceManager& devices, const juce::AudioProcessor& processor, juce::Value& inputMuted, bool offerInputMute);

    void paint (juce::Graphics& g) override;
    void resized() override;
    void childBoundsChanged (juce::Component* child) override;

private:
    int getMuteRowHeight() const;

    const bool offersInputMute;
    juce::AudioDeviceSelectorComponent deviceSelector;
    juce::ToggleButton muteInputButton;
    juce::Label muteInputLabel;
    bool isLayingOut = false;

    JUCE_DECLARE_NON_COPYABLE (TavineAudioSettings)
};
