#include "support/ScopedSettingsFolder.h"

#include <gtest/gtest.h>
#include <juce_events/juce_events.h>

#include <cstdio>

// Last: Xlib's macros (None, Bool, Status) would break the headers above.
#include <X11/Xlib.h>

// JUCE looks up the window manager's atoms (WM_STATE, _NET_WM_WINDOW_TYPE and others) without
// creating them, and uses some unchecked when it places a window; on a bare virtual display with
// no window manager they do not exist and X rejects the requests. This connection creates them
// and stays open for the whole run (the display would forget them when its last client left).
int main (int argc, char** argv)
{
    testing::InitGoogleTest (&argc, argv);

    Display* display = XOpenDisplay (nullptr);

    if (display == nullptr)
    {
        std::fprintf (stderr, "tavine_window_tests needs a display (run it under xvfb-run)\n");
        return 1;
    }

    for (const char* name : { "WM_PROTOCOLS", "WM_TAKE_FOCUS", "WM_DELETE_WINDOW", "_NET_WM_PING", "WM_CHANGE_STATE", "WM_STATE", "_NET_WM_WINDOW_TYPE", "_NET_WM_WINDOW_TYPE_NORMAL", "_NET_WM_STATE", "_NET_WM_STATE_HIDDEN" })
        XInternAtom (display, name, False);
    XSync (display, False);

    int result;
    {
        const juce::ScopedJuceInitialiser_GUI juce;
        const test::ScopedSettingsFolder settings;
        result = RUN_ALL_TESTS();
    }

    XCloseDisplay (display);
    return result;
}
