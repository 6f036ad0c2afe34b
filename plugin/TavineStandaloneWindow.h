#pragma once

#include "TavineInputBanner.h"

#include <juce_audio_plugin_client/juce_audio_plugin_client.h>
#include <juce_audio_plugin_client/utility/juce_CreatePluginFilter.h>
#include <juce_audio_utils/juce_audio_utils.h>

#include <juce_audio_plugin_client/Standalone/juce_StandaloneFilterWindow.h>

/** The standalone program's window: JUCE's window around the editor, with its Options button,
    its device handling and its settings, and three things of its own.

    - The Options menu opens TavineAudioSettings, which offers MIDI only to a processor that
      takes or makes it; the framework's dialog always lists MIDI inputs. MIDI devices that an
      earlier setting opened are closed when the processor has no use for them.
    - The muted input is announced by TavineInputBanner, which names the switch and can unmute,
      and only while a device with inputs is open: with no device there is nothing to mute, and
      the title says so instead. The framework's own banner, which shows whenever the input is
      muted, is kept hidden.
    - The banner sits between the title bar and the editor: the window grows by its height
      while it shows, and the editor keeps its size.

    The input stays muted until the user unmutes it, and the choice is kept where the framework
    keeps it ("shouldMuteInput" in the settings). */
class TavineStandaloneWindow : public juce::StandaloneFilterWindow,
                               private juce::ChangeListener,
                               private juce::Value::Listener
{
public:
    /** The Options menu's items. */
    enum OptionsItem
    {
        audioSettingsItem = 1,
        saveStateItem,
        loadStateItem,
        resetStateItem
    };

    /** A window with the plug-in's channel configurations, keeping its devices, the mute and
        the plug-in's state in `settings`, which must outlive it. */
    TavineStandaloneWindow (const juce::String& title, juce::PropertySet* settings);
    ~TavineStandaloneWindow() override;

    /** The menu the Options button opens. */
    juce::PopupMenu createOptionsMenu() const;

    /** Does what the Options menu's item does. */
    void handleOptionsMenuResult (int item);

    /** Opens the audio settings dialog. */
    void showAudioSettings();

    juce::BorderSize<int> getContentComponentBorder() override;
    void resized() override;

private:
    void buttonClicked (juce::Button* button) override;
    void changeListenerCallback (juce::ChangeBroadcaster* source) override;
    void valueChanged (juce::Value& value) override;

    void hideFrameworkBanner();
    void closeUnusedMidiDevices();
    bool shouldShowInputBanner();
    void updateInputBanner();

    juce::Value inputMuted;
    TavineInputBanner inputBanner;

    JUCE_DECLARE_NON_COPYABLE (TavineStandaloneWindow)
};
