// The size a host is asked for, through the formats' own editor interfaces: the window's own
// 450 x 300, the user's remembered zoom, and a VST3 host's display scale on top.

#include "HeadlessEditor.h"
#include "HostingSupport.h"
#include "editor/EditorSettings.h"

#include <gtest/gtest.h>

namespace test
{
    namespace
    {
        class EditorSize : public testing::TestWithParam<Format>
        {
        protected:
            void SetUp() override
            {
                EditorSettings::file().deleteFile();
                plugin = loadPlugin (GetParam());
                ASSERT_NE (plugin, nullptr) << "could not load " << pluginLocation (GetParam());
            }

            void TearDown() override { EditorSettings::file().deleteFile(); }

            std::unique_ptr<juce::AudioPluginInstance> plugin;
        };
    } // namespace

    TEST_P (EditorSize, IsTheWindowsOwnThenTheRememberedZoom)
    {
        auto editor = makeHeadlessEditor (GetParam(), *plugin);
        ASSERT_NE (editor, nullptr);

        ASSERT_TRUE (editor->open());
        EXPECT_EQ (editor->sizeForHost (1.0f), juce::Rectangle<int> (450, 300));
        editor->close();

        // A zoom chosen in another window opens the next at that size, and the host is asked
        // for it.
        ASSERT_TRUE (EditorSettings::saveZoom (1.5f));
        ASSERT_TRUE (editor->open());
        EXPECT_EQ (editor->sizeForHost (1.0f), juce::Rectangle<int> (675, 450));
        editor->close();
    }

    // A VST3 host on a high-density display gives the view its content scale; the window asks
    // for that many more pixels (and paints them from the 2x artwork: the editor's own tests
    // show what it paints at a physical scale of 2).
    class Vst3EditorSize : public EditorSize
    {
    };

    TEST_P (Vst3EditorSize, TakesTheHostsContentScaleOnTopOfTheZoom)
    {
        auto editor = makeHeadlessEditor (GetParam(), *plugin);
        ASSERT_TRUE (editor->open());
        EXPECT_EQ (editor->sizeForHost (2.0f), juce::Rectangle<int> (900, 600));
        editor->close();

        // At 125 % the window is 563 x 375 (562.5 rounded up), then doubled.
        ASSERT_TRUE (EditorSettings::saveZoom (1.25f));
        ASSERT_TRUE (editor->open());
        EXPECT_EQ (editor->sizeForHost (2.0f), juce::Rectangle<int> (1126, 750));
        editor->close();
    }

    INSTANTIATE_TEST_SUITE_P (Formats,
                              EditorSize,
                              testing::Values (Format::vst3, Format::vst2),
                              [] (const auto& instance) { return formatLabel (instance.param); });

    // VST2 has no display scale of its own to give.
    INSTANTIATE_TEST_SUITE_P (Formats,
                              Vst3EditorSize,
                              testing::Values (Format::vst3),
                              [] (const auto& instance) { return formatLabel (instance.param); });
} // namespace test
