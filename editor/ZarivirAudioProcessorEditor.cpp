#include "ZarivirAudioProcessorEditor.h"

#include "BinaryData.h"
#include "EditorLayout.h"
#include "EditorSettings.h"
#include "ScaledArtwork.h"
#include "plugin/ParameterIds.h"

#include <cmath>

namespace
{
    juce::Image imageFrom (const char* data, int size)
    {
        // The cache decodes each resource once for every open editor in the process.
        return juce::ImageCache::getFromMemory (data, size);
    }

    /** A knob's strips, named after its colour: "red" has red.png, its ring vu_red.png, and
        the two at twice the scale, red_2x.png and vu_red_2x.png. */
    ZarivirSlider::Strips knobStrips (const juce::String& colour)
    {
        const auto named = [] (const juce::String& resourceName) {
            int size = 0;
            const char* data = BinaryData::getNamedResource (resourceName.toRawUTF8(), size);
            jassert (data != nullptr);
            return imageFrom (data, size);
        };

        return { named (colour + "_png"), named ("vu_" + colour + "_png"), named (colour + "_2x_png"), named ("vu_" + colour + "_2x_png") };
    }
} // namespace

// The processor's factory for its window, kept with the window (see ZarivirAudioProcessor.h).
juce::AudioProcessorEditor* ZarivirAudioProcessor::createEditor()
{
    return new ZarivirAudioProcessorEditor (*this);
}

ZarivirAudioProcessorEditor::ZarivirAudioProcessorEditor (ZarivirAudioProcessor& owner)
    : juce::AudioProcessorEditor (owner)
    , processor (owner)
    , backgroundImage (imageFrom (BinaryData::background_png, BinaryData::background_pngSize))
    , backgroundImage2x (imageFrom (BinaryData::background_2x_png, BinaryData::background_2x_pngSize))
    , face (*this)
    , redKnob (knobStrips ("red"), owner.getValueTreeState(), ParameterIds::red)
    , greenKnob (knobStrips ("green"), owner.getValueTreeState(), ParameterIds::green)
    , blueKnob (knobStrips ("blue"), owner.getValueTreeState(), ParameterIds::blue)
    , x2Button (owner.getValueTreeState(), ParameterIds::x2)
    , visualisation (owner.getEngine())
{
    // The children set no look-and-feel of their own and inherit this one: that is how the
    // knobs get their filmstrip drawing.
    setLookAndFeel (&sharedLookAndFeel.get());

    addAndMakeVisible (face);
    face.addAndMakeVisible (redKnob);
    face.addAndMakeVisible (greenKnob);
    face.addAndMakeVisible (blueKnob);
    face.addAndMakeVisible (x2Button);
    face.addAndMakeVisible (visualisation);
    face.addChildComponent (valueBubble);

    // A right-click anywhere but on a control opens the zoom menu: the background and the
    // history panel pass their clicks on to the window.
    face.setInterceptsMouseClicks (false, true);
    visualisation.setInterceptsMouseClicks (false, false);

    // Tab and Shift-Tab go round the three knobs and x2, in that order, and stay in the
    // window; screen readers hear each control by what it does, and the knob's colour.
    setFocusContainerType (FocusContainerType::keyboardFocusContainer);
    setTitle ("Tavine");
    // The rings are described once, with their knobs, and never announced as they move.
    const struct
    {
        ZarivirSlider* knob;
        const char* title;
        const char* description;
    } knobs[] = {
        { &redKnob, "warm (red)", "the ring around it shows how steady the sound is" },
        { &greenKnob, "space (green)", "the ring around it shows how dense the sound is" },
        { &blueKnob, "punch (blue)", "the ring around it shows how strong the sound's transients are" },
    };
    int focusOrder = 0;

    for (auto [knob, title, description] : knobs)
    {
        knob->setTitle (title);
        knob->setDescription (description);
        knob->setExplicitFocusOrder (++focusOrder);
        knob->onUserChange = [this, knob = knob] { valueBubble.show (knob->getTextFromValue (knob->getValue()), knob->getBounds(), knob->isMouseButtonDown()); };
    }

    x2Button.setExplicitFocusOrder (++focusOrder);

    setSize (EditorLayout::width, EditorLayout::height);
    setZoom (EditorSettings::loadZoom(), false);
    startTimer (100);
}

ZarivirAudioProcessorEditor::~ZarivirAudioProcessorEditor()
{
    // Detach before the hold on the shared look-and-feel goes: the last editor's release
    // deletes it, and no component may still point at it then.
    setLookAndFeel (nullptr);
}

ZarivirAudioProcessorEditor::Face::Face (ZarivirAudioProcessorEditor& owner)
    : editor (owner)
{
    setOpaque (true);
}

void ZarivirAudioProcessorEditor::Face::paint (juce::Graphics& g)
{
    // Opaque, so the artwork is drawn at full opacity; it covers the whole face. From the
    // larger image on a high-density display or zoomed, at the full resolution.
    g.setColour (juce::Colours::black);
    ScaledArtwork::draw (g, editor.backgroundImage, editor.backgroundImage2x, editor.backgroundImage.getBounds(), { 0, 0, EditorLayout::width, EditorLayout::height });
}

void ZarivirAudioProcessorEditor::paint (juce::Graphics& g)
{
    // The zoomed face can fall a fraction of a pixel short of the window's whole pixels.
    if (zoom != 1.0f)
        g.fillAll (juce::Colours::black);
}

void ZarivirAudioProcessorEditor::resized()
{
    // Fixed places, whatever size a host asks for: the artwork is drawn for them.
    face.setBounds (0, 0, EditorLayout::width, EditorLayout::height);
    redKnob.setBounds (EditorLayout::redKnob);
    greenKnob.setBounds (EditorLayout::greenKnob);
    blueKnob.setBounds (EditorLayout::blueKnob);
    x2Button.setBounds (EditorLayout::x2Toggle);
    visualisation.setBounds (EditorLayout::displayWindow);
}

void ZarivirAudioProcessorEditor::timerCallback()
{
    // Each ring shows the meter named after its knob: steadiness around red, density around
    // green, transients around blue.
    const auto& engine = processor.getEngine();
    const float meters[] = { engine.getRedMeter(), engine.getGreenMeter(), engine.getBlueMeter() };
    ZarivirSlider* knobs[] = { &redKnob, &greenKnob, &blueKnob };

    for (size_t i = 0; i < 3; ++i)
        knobs[i]->setRingLevel (meters[i]);
}

void ZarivirAudioProcessorEditor::stopTimers()
{
    stopTimer();
    visualisation.stopTimer();
}

void ZarivirAudioProcessorEditor::tickTimers()
{
    timerCallback();
    visualisation.timerCallback();
}

void ZarivirAudioProcessorEditor::setZoom (float newZoom, bool remember)
{
    if (! EditorSettings::isOffered (newZoom))
        return;

    zoom = newZoom;
    face.setTransform (zoom == 1.0f ? juce::AffineTransform() : juce::AffineTransform::scale (zoom));
    // Whole pixels that hold all of the face (563 x 375 at 125 %).
    setSize ((int) std::ceil ((float) EditorLayout::width * zoom), (int) std::ceil ((float) EditorLayout::height * zoom));
    repaint();

    if (remember)
        EditorSettings::saveZoom (zoom);
}

juce::PopupMenu ZarivirAudioProcessorEditor::createZoomMenu()
{
    juce::PopupMenu menu;
    menu.addSectionHeader ("Window size");

    for (const auto option : EditorSettings::zooms)
    {
        juce::PopupMenu::Item item (juce::String (juce::roundToInt (option * 100.0f)) + " %");
        item.setTicked (option == zoom);
        item.setAction ([safe = juce::Component::SafePointer<ZarivirAudioProcessorEditor> (this), option] {
            if (safe != nullptr)
                safe->setZoom (option, true);
        });
        menu.addItem (std::move (item));
    }

    return menu;
}

void ZarivirAudioProcessorEditor::mouseDown (const juce::MouseEvent& event)
{
    if (event.mods.isPopupMenu())
        createZoomMenu().showMenuAsync (juce::PopupMenu::Options().withTargetComponent (this).withMousePosition());
}
