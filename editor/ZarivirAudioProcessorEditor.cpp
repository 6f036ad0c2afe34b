#include "ZarivirAudioProcessorEditor.h"

#include "BinaryData.h"
#include "EditorLayout.h"
#include "ScaledArtwork.h"
#include "plugin/ParameterIds.h"

namespace
{
    juce::Image imageFrom (const char* data, int size)
    {
        // The cache decodes each resource once for every open editor in the process.
        return juce::ImageCache::getFromMemory (data, size);
    }
} // namespace

ZarivirAudioProcessorEditor::ZarivirAudioProcessorEditor (ZarivirAudioProcessor& owner)
    : juce::AudioProcessorEditor (owner)
    , processor (owner)
    , backgroundImage (imageFrom (BinaryData::background_png, BinaryData::background_pngSize))
    , backgroundImage2x (imageFrom (BinaryData::background_2x_png, BinaryData::background_2x_pngSize))
    , redKnob (imageFrom (BinaryData::red_png, BinaryData::red_pngSize),
               imageFrom (BinaryData::vu_red_png, BinaryData::vu_red_pngSize),
               *owner.parameters,
               ParameterIds::red,
               imageFrom (BinaryData::red_2x_png, BinaryData::red_2x_pngSize),
               imageFrom (BinaryData::vu_red_2x_png, BinaryData::vu_red_2x_pngSize))
    , greenKnob (imageFrom (BinaryData::green_png, BinaryData::green_pngSize),
                 imageFrom (BinaryData::vu_green_png, BinaryData::vu_green_pngSize),
                 *owner.parameters,
                 ParameterIds::green,
                 imageFrom (BinaryData::green_2x_png, BinaryData::green_2x_pngSize),
                 imageFrom (BinaryData::vu_green_2x_png, BinaryData::vu_green_2x_pngSize))
    , blueKnob (imageFrom (BinaryData::blue_png, BinaryData::blue_pngSize),
                imageFrom (BinaryData::vu_blue_png, BinaryData::vu_blue_pngSize),
                *owner.parameters,
                ParameterIds::blue,
                imageFrom (BinaryData::blue_2x_png, BinaryData::blue_2x_pngSize),
                imageFrom (BinaryData::vu_blue_2x_png, BinaryData::vu_blue_2x_pngSize))
    , x2Button (*owner.parameters, ParameterIds::x2)
    , visualisation (owner.engine)
{
    // The children set no look-and-feel of their own and inherit this one: that is how the
    // knobs get their filmstrip drawing.
    setLookAndFeel (&sharedLookAndFeel.get());

    addAndMakeVisible (redKnob);
    addAndMakeVisible (greenKnob);
    addAndMakeVisible (blueKnob);
    addAndMakeVisible (x2Button);
    addAndMakeVisible (visualisation);
    addChildComponent (valueBubble);

    // Tab and Shift-Tab go round the three knobs and x2, in that order, and stay in the
    // window; screen readers hear each control by what it does, and the knob's colour.
    setFocusContainerType (FocusContainerType::keyboardFocusContainer);
    setTitle ("Tavine");
    const std::pair<ZarivirSlider*, const char*> knobs[] = { { &redKnob, "warm (red)" }, { &greenKnob, "space (green)" }, { &blueKnob, "punch (blue)" } };
    int focusOrder = 0;

    for (auto [knob, title] : knobs)
    {
        knob->setTitle (title);
        knob->setExplicitFocusOrder (++focusOrder);
        knob->onUserChange = [this, knob = knob] { valueBubble.show (knob->getTextFromValue (knob->getValue()), knob->getBounds(), knob->isMouseButtonDown()); };
    }

    x2Button.setExplicitFocusOrder (++focusOrder);

    setSize (EditorLayout::width, EditorLayout::height);
    startTimer (100);
}

ZarivirAudioProcessorEditor::~ZarivirAudioProcessorEditor()
{
    // Detach before the hold on the shared look-and-feel goes: the last editor's release
    // deletes it, and no component may still point at it then.
    setLookAndFeel (nullptr);
}

void ZarivirAudioProcessorEditor::paint (juce::Graphics& g)
{
    // Opaque, so the artwork is drawn at full opacity; it covers the whole window.
    g.setColour (juce::Colours::black);

    // From the larger image on a high-density display, at the full resolution.
    ScaledArtwork::draw (g, backgroundImage, backgroundImage2x, backgroundImage.getBounds(), { 0, 0, EditorLayout::width, EditorLayout::height });
}

void ZarivirAudioProcessorEditor::resized()
{
    // Fixed places, whatever size a host asks for: the artwork is drawn for them.
    redKnob.setBounds (EditorLayout::redKnob);
    greenKnob.setBounds (EditorLayout::greenKnob);
    blueKnob.setBounds (EditorLayout::blueKnob);
    x2Button.setBounds (EditorLayout::x2Toggle);
    visualisation.setBounds (EditorLayout::displayWindow);
}

void ZarivirAudioProcessorEditor::timerCallback()
{
    const auto& engine = processor.engine;
    const float meters[] = { engine.getRedMeter(), engine.getGreenMeter(), engine.getBlueMeter() };
    ZarivirSlider* knobs[] = { &redKnob, &greenKnob, &blueKnob };

    for (size_t i = 0; i < 3; ++i)
    {
        // An unchanged level costs nothing; a level that is not a number never compares
        // equal and repaints on every tick (its ring shows the first frame).
        if (! (meters[i] == knobs[i]->ringLevel))
        {
            knobs[i]->ringLevel = meters[i];
            knobs[i]->repaint();
        }
    }
}
