#pragma once

#include <juce_core/juce_core.h>

#include <cstdlib>

namespace test
{
    /** Sends the window's remembered settings (its zoom, see EditorSettings) to a folder of the
        run's own for as long as it lives, never to the user's: a zoom chosen there would change
        every window the tests open, and the tests' choices would change the user's. */
    class ScopedSettingsFolder
    {
    public:
        ScopedSettingsFolder()
            : folder (juce::File::getSpecialLocation (juce::File::tempDirectory).getNonexistentChildFile ("tavine-test-settings", {}, false))
        {
            folder.createDirectory();
            setVariable (folder.getFullPathName());
        }

        ~ScopedSettingsFolder()
        {
            folder.deleteRecursively();
        }

        const juce::File folder;

    private:
        static void setVariable (const juce::String& value)
        {
#if defined(_WIN32)
            _putenv_s ("TAVINE_SETTINGS_DIR", value.toRawUTF8());
#else
            setenv ("TAVINE_SETTINGS_DIR", value.toRawUTF8(), 1);
#endif
        }

        JUCE_DECLARE_NON_COPYABLE (ScopedSettingsFolder)
    };
} // namespace test
