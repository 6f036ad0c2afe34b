#pragma once

#include <juce_data_structures/juce_data_structures.h>

/** What the window remembers for its user, whatever the project: the zoom. It is kept in a
    file of its own beside the standalone program's settings (~/.config/Tavine.editor.settings
    on Linux), never in the saved state, so a project sounds and loads the same on every
    machine. The standalone program rewrites its own file whole when it quits, which would
    drop a value written there by an editor.

    TAVINE_SETTINGS_DIR, when set, names another folder for the file: the tests use it to keep
    away from the user's. */
namespace EditorSettings
{
    /** The zooms the window offers, smallest first; 1 is the window's own size. */
    inline constexpr float zooms[] = { 1.0f, 1.25f, 1.5f, 2.0f };

    /** True for a zoom the window offers. */
    bool isOffered (float zoom);

    /** The file the settings are kept in. */
    juce::File file();

    /** The zoom last chosen, or 1 when none was, the file is unreadable or it holds a value
        that is not one of `zooms`. */
    float loadZoom();

    /** Remembers a zoom; false when the file could not be written. */
    bool saveZoom (float zoom);
} // namespace EditorSettings
