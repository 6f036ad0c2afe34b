// The user's zoom: the window grows as a whole, draws from the 2x artwork when enlarged, keeps
// the choice for the next window (in its settings file, never in the project), and ignores
// what it does not offer.

#include "editor/EditorLayout.h"
#include "editor/EditorSettings.h"
#include "editor/ZarivirAudioProcessorEditor.h"
#include "support/EditorProbe.h"
#include "support/Images.h"

#include <gtest/gtest.h>

using tavine::EditorProbe;

namespace
{
    class Zoom : public testing::Test
    {
    protected:
        // Every test starts from a user who never chose a zoom.
        void SetUp() override { EditorSettings::file().deleteFile(); }
        void TearDown() override { EditorSettings::file().deleteFile(); }

        ZarivirAudioProcessor processor;
    };
} // namespace

TEST_F (Zoom, TheWindowGrowsAsAWholeAndTheControlsKeepTheirPlaces)
{
    ZarivirAudioProcessorEditor editor (processor);
    EXPECT_EQ (editor.getZoom(), 1.0f);
    EXPECT_EQ (editor.getBounds().getWidth(), EditorLayout::width);
    EXPECT_TRUE (EditorProbe::face (editor).getTransform().isIdentity());

    const struct
    {
        float zoom;
        int width, height;
    } sizes[] = { { 1.25f, 563, 375 }, { 1.5f, 675, 450 }, { 2.0f, 900, 600 }, { 1.0f, 450, 300 } };

    for (const auto& size : sizes)
    {
        editor.setZoom (size.zoom, false);
        EXPECT_EQ (editor.getZoom(), size.zoom);
        EXPECT_EQ (editor.getWidth(), size.width) << size.zoom;
        EXPECT_EQ (editor.getHeight(), size.height) << size.zoom;

        // The controls sit where the artwork has them, on the face the zoom enlarges.
        EXPECT_EQ (EditorProbe::redKnob (editor).getBounds(), EditorLayout::redKnob);
        EXPECT_EQ (EditorProbe::face (editor).getLocalBounds(), juce::Rectangle<int> (EditorLayout::width, EditorLayout::height));
        EXPECT_EQ (editor.getLocalArea (&EditorProbe::face (editor), EditorProbe::redKnob (editor).getBounds().toFloat()), EditorLayout::redKnob.toFloat() * size.zoom);
    }

    // Anything else is not offered, and changes nothing.
    for (const float odd : { 0.0f, 0.5f, 1.75f, 3.0f, std::numeric_limits<float>::quiet_NaN() })
    {
        editor.setZoom (odd, true);
        EXPECT_EQ (editor.getZoom(), 1.0f);
        EXPECT_EQ (editor.getWidth(), EditorLayout::width);
    }

    EXPECT_FALSE (EditorSettings::file().exists());
}

TEST_F (Zoom, At150PercentTheWindowIsDrawnFromTheDoubledArtwork)
{
    ZarivirAudioProcessorEditor normal (processor);
    const auto small = normal.createComponentSnapshot (normal.getLocalBounds());

    ZarivirAudioProcessorEditor zoomed (processor);
    zoomed.setZoom (1.5f, false);
    const auto large = zoomed.createComponentSnapshot (zoomed.getLocalBounds());
    ASSERT_EQ (large.getWidth(), 675);
    ASSERT_EQ (large.getHeight(), 450);

    const auto blown = test::enlarged (small, 675, 450);

    // Measured: 1.9 times the edges of the 1x window enlarged, in the knob panel.
    const auto panel = (EditorLayout::knobPanel.toFloat() * 1.5f).toNearestInt().reduced (2);
    EXPECT_GT (test::edgeEnergy (large, panel), 1.4 * test::edgeEnergy (blown, panel));
}

TEST_F (Zoom, TheChoiceIsRememberedForTheNextWindowAndNotInTheProject)
{
    juce::MemoryBlock before;
    processor.getStateInformation (before);

    {
        ZarivirAudioProcessorEditor editor (processor);
        const auto menu = editor.createZoomMenu();
        juce::PopupMenu::MenuItemIterator items (menu);
        std::vector<juce::String> texts;
        const juce::PopupMenu::Item* oneAndAHalf = nullptr;

        while (items.next())
        {
            const auto& item = items.getItem();

            if (item.isSectionHeader)
                continue;

            texts.push_back (item.text + (item.isTicked ? " (ticked)" : ""));

            if (item.text == "150 %")
                oneAndAHalf = &item;
        }

        EXPECT_EQ (texts, (std::vector<juce::String> { "100 % (ticked)", "125 %", "150 %", "200 %" }));
        ASSERT_NE (oneAndAHalf, nullptr);
        ASSERT_NE (oneAndAHalf->action, nullptr);
        oneAndAHalf->action();
        EXPECT_EQ (editor.getZoom(), 1.5f);
    }

    EXPECT_TRUE (EditorSettings::file().existsAsFile());
    EXPECT_EQ (EditorSettings::loadZoom(), 1.5f);

    ZarivirAudioProcessorEditor reopened (processor);
    EXPECT_EQ (reopened.getZoom(), 1.5f);
    EXPECT_EQ (reopened.getWidth(), 675);

    juce::MemoryBlock after;
    processor.getStateInformation (after);
    EXPECT_EQ (before, after) << "the zoom must not reach the saved state";
}

TEST_F (Zoom, ASettingsFileItCannotUseLeavesTheWindowAtItsOwnSize)
{
    const auto file = EditorSettings::file();
    ASSERT_TRUE (file.getParentDirectory().createDirectory());

    for (const char* content : { "", "not xml at all", "<?xml version=\"1.0\"?><PROPERTIES><VALUE name=\"zoom\" val=\"7\"/></PROPERTIES>", "<?xml version=\"1.0\"?><PROPERTIES><VALUE name=\"zoom\" val=\"nan\"/></PROPERTIES>" })
    {
        ASSERT_TRUE (file.replaceWithText (content));
        EXPECT_EQ (EditorSettings::loadZoom(), 1.0f) << content;
        ZarivirAudioProcessorEditor editor (processor);
        EXPECT_EQ (editor.getWidth(), EditorLayout::width) << content;
    }

    // A value it offers, written by hand, is taken.
    ASSERT_TRUE (file.replaceWithText ("<?xml version=\"1.0\"?><PROPERTIES><VALUE name=\"zoom\" val=\"2\"/></PROPERTIES>"));
    EXPECT_EQ (EditorSettings::loadZoom(), 2.0f);
}
