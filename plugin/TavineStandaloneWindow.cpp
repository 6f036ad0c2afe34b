#include "TavineStandaloneWindow.h"

#include "TavineAudioSettings.h"

#include <algorithm>

namespace
{
    /** The plug-in's channel configurations, the widest first. The holder opens the device
        with the first one's channels, and the plug-in formats list mono first: in that order
        the program would play on a stereo device's left channel alone. */
    juce::Array<juce::StandalonePluginHolder::PluginInOuts> channelConfigurations()
    {
        using PluginInOuts = juce::StandalonePluginHolder::PluginInOuts;
        const PluginInOuts channels[] = { JucePlugin_PreferredChannelConfigurations };
        juce::Array<PluginInOuts> widestFirst (channels, juce::numElementsInArray (channels));

        std::stable_sort (widestFirst.begin(), widestFirst.end(), [] (const PluginInOuts& a, const PluginInOuts& b) {
            return a.numIns + a.numOuts > b.numIns + b.numOuts;
        });

        return widestFirst;
    }
} // namespace

TavineStandaloneWindow::TavineStandaloneWindow (const juce::String& title, juce::PropertySet* settings)
    : StandaloneFilterWindow (title,
                              juce::LookAndFeel::getDefaultLookAndFeel().findColour (juce::ResizableWindow::backgroundColourId),
                              settings,
                              false,
                              juce::String(),
                              nullptr,
                              channelConfigurations())
{
    hideFrameworkBanner();
    closeUnusedMidiDevices();

    inputBanner.onUnmute = [this] { inputMuted.setValue (false); };

    // A child of the window itself, beside the content, as the framework's Options button is;
    // the window's own add would assert that only the content belongs there.
    Component::addChildComponent (inputBanner);

    inputMuted.addListener (this);
    getDeviceManager().addChangeListener (this);
    updateInputBanner();
}

TavineStandaloneWindow::~TavineStandaloneWindow()
{
    getDeviceManager().removeChangeListener (this);
    inputMuted.removeListener (this);
}

juce::PopupMenu TavineStandaloneWindow::createOptionsMenu() const
{
    juce::PopupMenu menu;
    menu.addItem (audioSettingsItem, TavineAudioSettings::getTitle (*getAudioProcessor()) + "...");
    menu.addSeparator();
    menu.addItem (saveStateItem, "Save current state...");
    menu.addItem (loadStateItem, "Load a saved state...");
    menu.addSeparator();
    menu.addItem (resetStateItem, "Reset to default state");
    return menu;
}

void TavineStandaloneWindow::handleOptionsMenuResult (int item)
{
    switch (item)
    {
        case audioSettingsItem:
            showAudioSettings();
            break;
        case saveStateItem:
            pluginHolder->askUserToSaveState();
            break;
        case loadStateItem:
            pluginHolder->askUserToLoadState();
            break;
        case resetStateItem:
            // The framework builds its content anew around a new processor, and its banner
            // with it.
            resetToDefaultState();
            hideFrameworkBanner();
            updateInputBanner();
            break;
        default:
            break;
    }
}

void TavineStandaloneWindow::showAudioSettings()
{
    TavineAudioSettings::showDialog (getDeviceManager(), *getAudioProcessor(), inputMuted, pluginHolder->getProcessorHasPotentialFeedbackLoop());
}

juce::BorderSize<int> TavineStandaloneWindow::getContentComponentBorder()
{
    // The window lays out, sizes and constrains its content inside this border, so the banner
    // is part of it while it shows.
    auto border = StandaloneFilterWindow::getContentComponentBorder();

    if (inputBanner.isVisible())
        border.setTop (border.getTop() + TavineInputBanner::height);

    return border;
}

void TavineStandaloneWindow::resized()
{
    StandaloneFilterWindow::resized();

    const auto belowTitleBar = StandaloneFilterWindow::getContentComponentBorder().subtractedFrom (getLocalBounds());
    inputBanner.setBounds (belowTitleBar.withHeight (TavineInputBanner::height));
}

void TavineStandaloneWindow::buttonClicked (juce::Button*)
{
    // The Options button, whose listener the framework made this window.
    createOptionsMenu().showMenuAsync (juce::PopupMenu::Options(), [window = juce::Component::SafePointer<TavineStandaloneWindow> (this)] (int item) {
        if (window != nullptr)
            window->handleOptionsMenuResult (item);
    });
}

void TavineStandaloneWindow::changeListenerCallback (juce::ChangeBroadcaster*)
{
    updateInputBanner();
}

void TavineStandaloneWindow::valueChanged (juce::Value&)
{
    updateInputBanner();
}

void TavineStandaloneWindow::hideFrameworkBanner()
{
    // The framework's content shows its banner whenever the Value it shares with the holder
    // says the input is muted. The holder (which mutes the audio, and saves the choice) and
    // this window move to a Value of their own with the same choice, and the one the content
    // still watches is set false, the content told at once, before the window is shown.
    auto& holderValue = pluginHolder->getMuteInputValue();
    juce::Value contentValue (holderValue);
    const juce::Value ownValue (holderValue.getValue());

    holderValue.referTo (ownValue);
    inputMuted.referTo (ownValue);

    contentValue.setValue (false);
    contentValue.getValueSource().sendChangeMessage (true);
}

void TavineStandaloneWindow::closeUnusedMidiDevices()
{
    // The settings offer no MIDI to a processor without it, so a MIDI device that an earlier
    // setting opened could never be closed there.
    auto& devices = getDeviceManager();
    const auto& processor = *getAudioProcessor();

    if (! processor.acceptsMidi())
        for (const auto& input : juce::MidiInput::getAvailableDevices())
            if (devices.isMidiInputDeviceEnabled (input.identifier))
                devices.setMidiInputDeviceEnabled (input.identifier, false);

    if (! processor.producesMidi() && devices.getDefaultMidiOutputIdentifier().isNotEmpty())
        devices.setDefaultMidiOutputDevice ({});
}

bool TavineStandaloneWindow::shouldShowInputBanner()
{
    if (! pluginHolder->getProcessorHasPotentialFeedbackLoop() || ! (bool) inputMuted.getValue())
        return false;

    const auto* device = getDeviceManager().getCurrentAudioDevice();
    return device != nullptr && device->getActiveInputChannels().countNumberOfSetBits() > 0;
}

void TavineStandaloneWindow::updateInputBanner()
{
    const auto show = shouldShowInputBanner();

    if (show == inputBanner.isVisible())
        return;

    inputBanner.setVisible (show);

    // The content keeps its size; the window grows or shrinks by the banner.
    if (auto* content = getContentComponent())
        setContentComponentSize (content->getWidth(), content->getHeight());
}
