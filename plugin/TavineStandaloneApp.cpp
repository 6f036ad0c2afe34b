#include "TavineStandaloneApp.h"

#include <iostream>

#if JUCE_JACK
#include <dlfcn.h>
#endif

namespace
{
    constexpr int exitNoWindow = 1;
    constexpr int exitBadCommandLine = 2;

    const char* const usage = R"(Usage: Tavine [--help | --version]

Opens Tavine's window and plays the audio input through Tavine to the audio output (on
Linux through ALSA, or JACK while a JACK server runs). The Options button in the title bar
chooses the audio devices and saves, loads or resets the setting. The input starts muted, so
that speakers cannot feed back into it: while a device is open a banner says so, and its
Unmute button, or the switch Mute audio input under Options, Audio Settings, turns the input
on. The devices, the mute and the last setting are kept in ~/.config/Tavine.settings.

  --help, -h    show this text and exit
  --version     show the version and exit

Exit status: 0 when the window was closed, 1 when no window could be opened (no display),
2 when the command line was wrong.
)";

    /** libjack reports every failure on standard error, and JUCE asks it for a server's ports
        each time it scans for devices: with no server running, that is five lines a scan and
        three scans at the start. The program says in one line what matters to the user (that
        no device could be opened), so libjack's messages go nowhere. The library stays
        loaded, and JUCE's own dlopen gets this copy. */
    void silenceJackMessages()
    {
#if JUCE_JACK
        auto* jack = dlopen ("libjack.so.0", RTLD_LAZY);

        if (jack == nullptr)
            return;

        using PrintFunction = void (*) (const char*);
        using SetPrintFunction = void (*) (PrintFunction);

        for (const auto* setter : { "jack_set_error_function", "jack_set_info_function" })
            if (auto* set = reinterpret_cast<SetPrintFunction> (dlsym (jack, setter)))
                set ([] (const char*) {});
#endif
    }
} // namespace

TavineStandaloneApp::TavineStandaloneApp()
{
    // Where and how the framework's own standalone application keeps its settings, so that
    // a user's saved devices and setting carry over.
    juce::PropertiesFile::Options options;
    options.applicationName = getApplicationName();
    options.filenameSuffix = ".settings";
    options.osxLibrarySubFolder = "Application Support";
    options.folderName = "~/.config";
    appProperties.setStorageParameters (options);
}

const juce::String TavineStandaloneApp::getApplicationName()
{
    return juce::CharPointer_UTF8 (JucePlugin_Name);
}

const juce::String TavineStandaloneApp::getApplicationVersion()
{
    return JucePlugin_VersionString;
}

bool TavineStandaloneApp::moreThanOneInstanceAllowed()
{
    return true;
}

void TavineStandaloneApp::anotherInstanceStarted (const juce::String&)
{
}

void TavineStandaloneApp::initialise (const juce::String&)
{
    // The command line is read before anything touches the display, so that --help and
    // --version work on a server or in a build.
    const auto arguments = getCommandLineParameterArray();

    if (arguments.contains ("--help") || arguments.contains ("-h"))
    {
        std::cout << usage;
        return stopWithStatus (0);
    }

    if (arguments.contains ("--version"))
    {
        std::cout << getApplicationName() << " " << getApplicationVersion() << std::endl;
        return stopWithStatus (0);
    }

    if (! arguments.isEmpty())
    {
        std::cerr << getApplicationName() << ": unknown argument \"" << arguments[0] << "\" (see " << getApplicationName() << " --help)" << std::endl;
        return stopWithStatus (exitBadCommandLine);
    }

    if (const auto problem = findDisplayProblem(); problem.isNotEmpty())
    {
        std::cerr << getApplicationName() << ": cannot open a window: " << problem << std::endl;
        return stopWithStatus (exitNoWindow);
    }

    // Before the window's device manager first scans for devices.
    silenceJackMessages();
    mainWindow = std::make_unique<TavineStandaloneWindow> (getApplicationName(), appProperties.getUserSettings());

    // The device manager tells its listeners whenever a device opens or closes: from the
    // settings dialog, or when a device goes away while playing.
    mainWindow->getDeviceManager().addChangeListener (this);
    showAudioDeviceState();

    mainWindow->setVisible (true);
}

void TavineStandaloneApp::shutdown()
{
    if (mainWindow != nullptr)
        mainWindow->getDeviceManager().removeChangeListener (this);

    mainWindow = nullptr;
    appProperties.saveIfNeeded();
}

void TavineStandaloneApp::systemRequestedQuit()
{
    if (mainWindow != nullptr)
        mainWindow->pluginHolder->savePluginState();

    // An open dialog (the audio settings, a file chooser) is dismissed before quitting.
    if (juce::ModalComponentManager::getInstance()->cancelAllModalComponents())
    {
        juce::Timer::callAfterDelay (100, [] {
            if (auto* app = juce::JUCEApplicationBase::getInstance())
                app->systemRequestedQuit();
        });
    }
    else
    {
        quit();
    }
}

juce::String TavineStandaloneApp::findDisplayProblem()
{
    // The framework connects to the X server the first time anything asks for the desktop;
    // when it cannot, it finds no screen, and its window would use the missing screen's area.
    if (juce::Desktop::getInstance().getDisplays().getPrimaryDisplay() != nullptr)
        return {};

    const auto displayName = juce::SystemStats::getEnvironmentVariable ("DISPLAY", {});

    if (displayName.isEmpty())
        return "no display (DISPLAY is not set)";

    return "cannot connect to the display \"" + displayName + "\"";
}

juce::String TavineStandaloneApp::findAudioDeviceProblem (juce::AudioDeviceManager& devices)
{
    if (devices.getCurrentAudioDevice() != nullptr)
        return {};

    juce::StringArray typeNames;

    for (auto* type : devices.getAvailableDeviceTypes())
    {
        type->scanForDevices();

        if (! type->getDeviceNames (false).isEmpty())
            return "no audio device could be opened: choose one under Options, Audio Settings";

        typeNames.add (type->getTypeName());
    }

    if (typeNames.isEmpty())
        return "no audio device: this build has no audio system to play through";

    // "ALSA lists", "ALSA and JACK list": JACK lists nothing while no JACK server runs.
    const auto last = typeNames.size() - 1;

    if (last == 0)
        return "no audio device: " + typeNames[0] + " lists no output device";

    return "no audio device: " + typeNames.joinIntoString (", ", 0, last) + " and " + typeNames[last] + " list no output device";
}

void TavineStandaloneApp::changeListenerCallback (juce::ChangeBroadcaster*)
{
    showAudioDeviceState();
}

void TavineStandaloneApp::showAudioDeviceState()
{
    const auto problem = findAudioDeviceProblem (mainWindow->getDeviceManager());

    // The title bar is the one place in the framework's window that is ours to write in; the
    // rest is the editor and the framework's own controls.
    mainWindow->setName (problem.isEmpty() ? getApplicationName() : getApplicationName() + " - no audio device");

    // Said once per new state, not on every change the device manager announces.
    if (problem.isNotEmpty() && problem != reportedAudioProblem)
        std::cerr << getApplicationName() << ": " << problem << std::endl;

    reportedAudioProblem = problem;
}

void TavineStandaloneApp::stopWithStatus (int status)
{
    // Quitting from initialise ends the program before the message loop starts.
    setApplicationReturnValue (status);
    quit();
}

// In a standalone plug-in build with a custom application this defines only the factory the
// framework's entry point calls.
START_JUCE_APPLICATION (TavineStandaloneApp)
