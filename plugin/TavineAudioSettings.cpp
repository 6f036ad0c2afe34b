#include "TavineAudioSettings.h"

namespace
{
    bool hasMidi (const juce::AudioProcessor& processor)
    {
        return processor.acceptsMidi() || processor.producesMidi();
    }

    /** The channels of the processor's main bus in its default layout, which is what the
        program plays: the device selector offers no more than that. */
    int mainBusChannels (const juce::AudioProcessor& processor, bool isInput)
    {
        if (const auto* bus = processor.getBus (isInput, 0))
            return bus->getDefaultLayout().size();

        return 0;
    }
} // namespace

TavineAudioSettings::TavineAudioSettings (juce::AudioDeviceManager& devices, const juce::AudioProcessor& processor, juce::Value& inputMuted, bool offerInputMute)
    : offersInputMute (offerInputMute)
    , deviceSelector (devices,
                      0,
                      mainBusChannels (processor, true),
                      0,
                      mainBusChannels (processor, false),
                      processor.acceptsMidi(),
                      processor.producesMidi(),
                      true,
                      false)
    , muteInputButton ("Mute audio input")
    , muteInputLabel ({}, "Feedback:")
{
    setOpaque (true);
    addAndMakeVisible (deviceSelector);

    if (offersInputMute)
    {
        muteInputButton.setClickingTogglesState (true);
        muteInputButton.getToggleStateValue().referTo (inputMuted);
        addAndMakeVisible (muteInputButton);

        muteInputLabel.setJustificationType (juce::Justification::centredRight);
        addAndMakeVisible (muteInputLabel);
        muteInputLabel.attachToComponent (&muteInputButton, true);
    }

    // Laid out at the dialog's width first, which gives the selector its height.
    setSize (500, 550);
    setSize (getWidth(), deviceSelector.getHeight() + getMuteRowHeight());
}

juce::String TavineAudioSettings::getTitle (const juce::AudioProcessor& processor)
{
    return hasMidi (processor) ? "Audio/MIDI Settings" : "Audio Settings";
}

void TavineAudioSettings::showDialog (juce::AudioDeviceManager& devices, const juce::AudioProcessor& processor, juce::Value& inputMuted, bool offerInputMute)
{
    juce::DialogWindow::LaunchOptions options;
    options.content.setOwned (new TavineAudioSettings (devices, processor, inputMuted, offerInputMute));
    options.dialogTitle = getTitle (processor);
    options.dialogBackgroundColour = options.content->getLookAndFeel().findColour (juce::ResizableWindow::backgroundColourId);
    options.escapeKeyTriggersCloseButton = true;
    options.useNativeTitleBar = true;
    options.resizable = false;
    options.launchAsync();
}

void TavineAudioSettings::paint (juce::Graphics& g)
{
    g.fillAll (getLookAndFeel().findColour (juce::ResizableWindow::backgroundColourId));
}

int TavineAudioSettings::getMuteRowHeight() const
{
    // One of the selector's rows, and half a row to set it apart from the device type below.
    return offersInputMute ? deviceSelector.getItemHeight() * 3 / 2 : 0;
}

void TavineAudioSettings::resized()
{
    const juce::ScopedValueSetter<bool> layingOut (isLayingOut, true);
    auto area = getLocalBounds();

    if (offersInputMute)
    {
        // In the selector's columns: labels on the left 35 %, controls from there.
        const auto row = area.removeFromTop (getMuteRowHeight());
        muteInputButton.setBounds (row.proportionOfWidth (0.35f), deviceSelector.getItemHeight() / 2, row.proportionOfWidth (0.6f), deviceSelector.getItemHeight());
    }

    // The selector sets its own height to what it shows, and changes it when the device type
    // changes; childBoundsChanged follows it.
    deviceSelector.setBounds (area);
}

void TavineAudioSettings::childBoundsChanged (juce::Component* child)
{
    if (! isLayingOut && child == &deviceSelector)
        setSize (getWidth(), deviceSelector.getHeight() + getMuteRowHeight());
}
