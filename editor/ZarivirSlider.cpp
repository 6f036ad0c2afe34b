#include "ZarivirSlider.h"

ZarivirSlider::ZarivirSlider (Strips stripsToDraw, juce::AudioProcessorValueTreeState& state, const juce::String& parameterID)
    : strips (std::move (stripsToDraw))
{
    // The attachment gives the knob its range, value, value texts and double-click default,
    // and turns drags (and the keys' changes, see keyPressed) into parameter gestures.
    attachment = std::make_unique<juce::AudioProcessorValueTreeState::SliderAttachment> (state, parameterID, *this);

    setSliderStyle (juce::Slider::RotaryVerticalDrag);
    setTextBoxStyle (juce::Slider::NoTextBox, true, 0, 0);
    setWantsKeyboardFocus (true);
}

ZarivirSlider::~ZarivirSlider() = default;

std::optional<double> ZarivirSlider::valueForKey (const juce::KeyPress& key, double current)
{
    if (key.getModifiers().isAnyModifierKeyDown())
        return {};

    const auto code = key.getKeyCode();
    double target;

    if (code == juce::KeyPress::upKey || code == juce::KeyPress::rightKey)
        target = current + 0.01;
    else if (code == juce::KeyPress::downKey || code == juce::KeyPress::leftKey)
        target = current - 0.01;
    else if (code == juce::KeyPress::pageUpKey)
        target = current + 0.1;
    else if (code == juce::KeyPress::pageDownKey)
        target = current - 0.1;
    else if (code == juce::KeyPress::homeKey || code == juce::KeyPress::deleteKey || code == juce::KeyPress::backspaceKey)
        target = 0.0;
    else if (code == juce::KeyPress::endKey)
        target = 1.0;
    else
        return {};

    return juce::jlimit (0.0, 1.0, target);
}

bool ZarivirSlider::keyPressed (const juce::KeyPress& key)
{
    const auto target = valueForKey (key, getValue());

    // Tab and anything else go on to the window, which moves the focus.
    if (! target.has_value())
        return false;

    if (*target != getValue())
    {
        // One gesture a key press, as a host records one mouse drag.
        const ScopedDragNotification gesture (*this);
        const juce::ScopedValueSetter<bool> fromKey (changingFromKey, true);
        setValue (*target, juce::sendNotificationSync);
    }

    return true;
}

void ZarivirSlider::valueChanged()
{
    if ((changingFromKey || isMouseButtonDown()) && onUserChange != nullptr)
        onUserChange();
}

void ZarivirSlider::setRingLevel (float level)
{
    if (! (level == ringLevel))
    {
        ringLevel = level;
        repaint();
    }
}

void ZarivirSlider::mouseUp (const juce::MouseEvent& event)
{
    juce::Slider::mouseUp (event);

    if (onUserChange != nullptr)
        onUserChange();
}

void ZarivirSlider::paint (juce::Graphics& g)
{
    juce::Slider::paint (g);

    if (showsFocusMark())
        FocusMark::drawAround (g, getLocalBounds().toFloat(), true);
}
