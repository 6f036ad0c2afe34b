#include "BinaryData.h"
#include "editor/EditorLayout.h"
#include "editor/ZarivirAudioProcessorEditor.h"
#include "plugin/ParameterIds.h"
#include "support/EditorProbe.h"
#include "support/Images.h"
#include "support/RepaintCounter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using tavine::EditorProbe;

namespace
{
    // A few blocks of a steady tone move all three meters away from 0.
    void playBurst (ZarivirAudioProcessor& processor)
    {
        juce::AudioBuffer<float> buffer (2, 4096);
        juce::MidiBuffer midi;

        for (int block = 0; block < 8; ++block)
        {
            for (int ch = 0; ch < 2; ++ch)
                for (int i = 0; i < 4096; ++i)
                    buffer.setSample (ch, i, 0.5f * (float) std::sin ((block * 4096 + i) * 0.14));

            processor.processBlock (buffer, midi);
        }
    }

} // namespace

TEST (Editor, FixedSizeAndChildBounds)
{
    ZarivirAudioProcessor processor;
    ZarivirAudioProcessorEditor editor (processor);

    // The artwork is drawn for these places (the hosting tests hold the size a host sees).
    EXPECT_EQ (editor.getWidth(), EditorLayout::width);
    EXPECT_EQ (editor.getHeight(), EditorLayout::height);
    EXPECT_FALSE (editor.isResizable());
    EXPECT_EQ (EditorProbe::redKnob (editor).getBounds(), EditorLayout::redKnob);
    EXPECT_EQ (EditorProbe::greenKnob (editor).getBounds(), EditorLayout::greenKnob);
    EXPECT_EQ (EditorProbe::blueKnob (editor).getBounds(), EditorLayout::blueKnob);
    EXPECT_EQ (EditorProbe::x2Button (editor).getBounds(), EditorLayout::x2Toggle);
    EXPECT_EQ (EditorProbe::visualisation (editor).getBounds(), EditorLayout::displayWindow);

    // A host asking for another size changes nothing that matters: the children keep their places.
    editor.setSize (800, 600);
    EXPECT_EQ (EditorProbe::redKnob (editor).getBounds(), EditorLayout::redKnob);
    EXPECT_EQ (EditorProbe::visualisation (editor).getBounds(), EditorLayout::displayWindow);

    // Everything sits on the face, which the zoom enlarges; the value label comes last, over
    // everything, and hidden until a knob is changed.
    ASSERT_EQ (editor.getNumChildComponents(), 1);
    EXPECT_EQ (editor.getChildComponent (0), &EditorProbe::face (editor));
    ASSERT_EQ (EditorProbe::face (editor).getNumChildComponents(), 6);
    EXPECT_EQ (EditorProbe::face (editor).getChildComponent (0), &EditorProbe::redKnob (editor));
    EXPECT_EQ (EditorProbe::face (editor).getChildComponent (4), &EditorProbe::visualisation (editor));
    EXPECT_EQ (EditorProbe::face (editor).getChildComponent (5), &EditorProbe::valueBubble (editor));
    EXPECT_FALSE (EditorProbe::valueBubble (editor).isVisible());
    EXPECT_EQ (editor.getTimerInterval(), 100);
    EXPECT_EQ (EditorProbe::visualisation (editor).getTimerInterval(), 100);

    std::unique_ptr<juce::AudioProcessorEditor> fromProcessor (processor.createEditor());
    EXPECT_NE (dynamic_cast<ZarivirAudioProcessorEditor*> (fromProcessor.get()), nullptr);
}

TEST (Editor, RepaintsOnlyTheKnobWhoseMeterChanged)
{
    ZarivirAudioProcessor processor;
    ZarivirAudioProcessorEditor editor (processor);
    auto& red = test::RepaintCounter::installOn (EditorProbe::redKnob (editor));
    auto& green = test::RepaintCounter::installOn (EditorProbe::greenKnob (editor));
    auto& blue = test::RepaintCounter::installOn (EditorProbe::blueKnob (editor));

    editor.timerCallback(); // all meters still 0, as the rings
    EXPECT_EQ (red.count + green.count + blue.count, 0);

    playBurst (processor);
    editor.timerCallback();
    EXPECT_EQ (EditorProbe::ringLevel (EditorProbe::redKnob (editor)), processor.getEngine().getRedMeter());
    EXPECT_EQ (EditorProbe::ringLevel (EditorProbe::greenKnob (editor)), processor.getEngine().getGreenMeter());
    EXPECT_EQ (EditorProbe::ringLevel (EditorProbe::blueKnob (editor)), processor.getEngine().getBlueMeter());

    const int redBefore = red.count, greenBefore = green.count, blueBefore = blue.count;
    EXPECT_GT (greenBefore, 0);

    editor.timerCallback(); // nothing changed since
    EXPECT_EQ (red.count, redBefore);
    EXPECT_EQ (green.count, greenBefore);
    EXPECT_EQ (blue.count, blueBefore);

    EditorProbe::putRingLevel (EditorProbe::greenKnob (editor), -1.0f); // a ring level that differs from the density meter
    editor.timerCallback();
    EXPECT_EQ (red.count, redBefore);
    EXPECT_EQ (green.count, greenBefore + 1);
    EXPECT_EQ (blue.count, blueBefore);
}

TEST (Editor, ANanLevelRepaintsEveryTickAndShowsTheFirstRingFrame)
{
    ZarivirAudioProcessor processor;
    ZarivirAudioProcessorEditor editor (processor);

    auto& knob = EditorProbe::redKnob (editor);

    // A level the engine could never produce stands in for a broken meter.
    knob.setRingLevel (std::numeric_limits<float>::quiet_NaN());
    const auto withNan = knob.createComponentSnapshot (knob.getLocalBounds());
    knob.setRingLevel (0.0f);
    const auto atZero = knob.createComponentSnapshot (knob.getLocalBounds());
    knob.setRingLevel (1.0f);
    const auto atOne = knob.createComponentSnapshot (knob.getLocalBounds());
    EXPECT_TRUE (test::sameImage (withNan, atZero));
    EXPECT_FALSE (test::sameImage (withNan, atOne));

    auto& red = test::RepaintCounter::installOn (knob);
    EditorProbe::putRingLevel (knob, std::numeric_limits<float>::quiet_NaN());
    editor.timerCallback(); // the meter (0) differs from NaN
    EXPECT_EQ (red.count, 1);
    EXPECT_EQ (EditorProbe::ringLevel (knob), 0.0f);
}

TEST (Editor, EditorsShareOneLookAndFeelThatGoesWithTheLast)
{
    ZarivirAudioProcessor first, second;
    juce::WeakReference<juce::LookAndFeel> shared;

    {
        auto a = std::make_unique<ZarivirAudioProcessorEditor> (first);
        auto b = std::make_unique<ZarivirAudioProcessorEditor> (second);
        shared = &EditorProbe::lookAndFeel (*a);
        EXPECT_EQ (&EditorProbe::lookAndFeel (*a), &EditorProbe::lookAndFeel (*b));
        EXPECT_EQ (&EditorProbe::redKnob (*a).getLookAndFeel(), shared.get());

        a.reset();
        EXPECT_NE (shared.get(), nullptr);
        EXPECT_EQ (&EditorProbe::blueKnob (*b).getLookAndFeel(), shared.get());
    }

    EXPECT_EQ (shared.get(), nullptr);
}

TEST (Editor, OpensWithTheToggleShowingItsState)
{
    ZarivirAudioProcessor processor;
    processor.getValueTreeState().getParameter (ParameterIds::x2)->setValueNotifyingHost (1.0f);
    ZarivirAudioProcessorEditor editor (processor);
    EXPECT_TRUE (EditorProbe::x2Button (editor).getToggleState());

    const auto snapshot = editor.createComponentSnapshot (editor.getLocalBounds());
    const auto lowerHalf = juce::ImageCache::getFromMemory (BinaryData::x2button_png, BinaryData::x2button_pngSize).getClippedImage ({ 0, 16, 32, 16 });

    // The button's lower half, drawn over the background at its place.
    juce::Image expected (juce::Image::ARGB, 32, 16, true);
    {
        juce::Graphics g (expected);
        g.drawImageAt (EditorProbe::backgroundImage (editor).getClippedImage (EditorLayout::x2Toggle), 0, 0);
        g.drawImageAt (lowerHalf, 0, 0);
    }

    EXPECT_TRUE (test::sameImage (snapshot.getClippedImage (EditorLayout::x2Toggle).convertedToFormat (juce::Image::ARGB), expected));
}

TEST (Editor, PaintsTheArtworkUnderTheChildren)
{
    ZarivirAudioProcessor processor;
    ZarivirAudioProcessorEditor editor (processor);
    const auto snapshot = editor.createComponentSnapshot (editor.getLocalBounds());

    // Outside every child the window is the background image itself.
    for (auto point : { juce::Point<int> (5, 5), juce::Point<int> (440, 290), juce::Point<int> (225, 200), juce::Point<int> (20, 100) })
        EXPECT_EQ (snapshot.getPixelAt (point.x, point.y).getARGB(), EditorProbe::backgroundImage (editor).getPixelAt (point.x, point.y).getARGB());

    // The history panel covers the display window with its own dark ground.
    EXPECT_EQ (snapshot.getPixelAt (100, 100).getARGB(), 0xff101010u);
}
