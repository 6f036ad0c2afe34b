#pragma once

#include "TavineStandaloneWindow.h"

#include <memory>

/** The standalone program: TavineStandaloneWindow, JUCE's window around the editor with our
    audio settings and input banner, and its settings in ~/.config/Tavine.settings, as the
    framework's own standalone application keeps them. What the application adds is for the
    cases that framework application does not cover: it answers --help and --version without a
    display, refuses to start without one (the framework's window would dereference the
    missing screen), and says so when no audio device could be opened instead of running
    silently with empty device lists.
*/
class TavineStandaloneApp : public juce::JUCEApplication,
                            private juce::ChangeListener
{
public:
    TavineStandaloneApp();

    const juce::String getApplicationName() override;
    const juce::String getApplicationVersion() override;
    bool moreThanOneInstanceAllowed() override;
    void anotherInstanceStarted (const juce::String& commandLine) override;

    void initialise (const juce::String& commandLine) override;
    void shutdown() override;
    void systemRequestedQuit() override;

    /** Why no window can be opened, or an empty string when one can. */
    static juce::String findDisplayProblem();

    /** Why the audio device manager has no open device, or an empty string when it has one. */
    static juce::String findAudioDeviceProblem (juce::AudioDeviceManager& devices);

private:
    void changeListenerCallback (juce::ChangeBroadcaster* source) override;
    void showAudioDeviceState();
    void stopWithStatus (int status);

    juce::ApplicationProperties appProperties;
    std::unique_ptr<TavineStandaloneWindow> mainWindow;
    juce::String reportedAudioProblem;
};
