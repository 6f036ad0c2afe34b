#include "X2Button.h"

#include "BinaryData.h"
#include "ScaledArtwork.h"

namespace
{
    /** What a screen reader meets: a toggle button whose value is the parameter's text, which
        it can read, set ("On", "Off", or anything the parameter reads as text) and toggle. */
    class X2AccessibilityHandler : public juce::AccessibilityHandler
    {
    public:
        explicit X2AccessibilityHandler (X2Button& buttonToWrap)
            : juce::AccessibilityHandler (buttonToWrap,
                                          juce::AccessibilityRole::toggleButton,
                                          juce::AccessibilityActions()
                                              .addAction (juce::AccessibilityActionType::press, [&buttonToWrap] { buttonToWrap.setAsGesture (! buttonToWrap.getToggleState()); })
                                              .addAction (juce::AccessibilityActionType::toggle, [&buttonToWrap] { buttonToWrap.setAsGesture (! buttonToWrap.getToggleState()); }),
                                          Interfaces { std::make_unique<Value> (buttonToWrap) })
            , button (buttonToWrap)
        {
        }

        juce::AccessibleState getCurrentState() const override
        {
            const auto state = juce::AccessibilityHandler::getCurrentState().withCheckable();
            return button.getToggleState() ? state.withChecked() : state;
        }

    private:
        class Value : public juce::AccessibilityTextValueInterface
        {
        public:
            explicit Value (X2Button& b)
                : button (b)
            {
            }

            bool isReadOnly() const override { return false; }
            juce::String getCurrentValueAsString() const override { return button.getValueText(); }
            void setValueAsString (const juce::String& text) override { button.setFromText (text); }

        private:
            X2Button& button;
        };

        X2Button& button;
    };
} // namespace

X2Button::X2Button (juce::AudioProcessorValueTreeState& state, const juce::String& parameterID)
    : FocusMark::Wearer<juce::Button> ("X2Button")
    , parameter (*state.getParameter (parameterID))
    , buttonImage (juce::ImageCache::getFromMemory (BinaryData::x2button_png, BinaryData::x2button_pngSize))
    , buttonImage2x (juce::ImageCache::getFromMemory (BinaryData::x2button_2x_png, BinaryData::x2button_2x_pngSize))
{
    // The attachment turns the button on from a parameter value of one half, and makes each
    // click set the parameter to exactly 1 or 0 as one gesture.
    attachment = std::make_unique<juce::AudioProcessorValueTreeState::ButtonAttachment> (state, parameterID, *this);
    setClickingTogglesState (true);
    setWantsKeyboardFocus (true);
    setTitle ("x2");
}

X2Button::~X2Button() = default;

void X2Button::paintButton (juce::Graphics& g, bool, bool isButtonDown)
{
    if (! buttonImage.isValid())
        return;

    const bool lit = getToggleState() || isButtonDown;
    const int width = buttonImage.getWidth();
    const int halfHeight = buttonImage.getHeight() / 2;

    ScaledArtwork::draw (g, buttonImage, buttonImage2x, { 0, lit ? halfHeight : 0, width, halfHeight }, { 0, 0, width, halfHeight });

    if (showsFocusMark())
        FocusMark::drawAround (g, getLocalBounds().toFloat(), false);
}

void X2Button::setAsGesture (bool on)
{
    // The attachment hears the change on this thread and sets the toggle state at once.
    parameter.beginChangeGesture();
    parameter.setValueNotifyingHost (on ? 1.0f : 0.0f);
    parameter.endChangeGesture();
}

juce::String X2Button::getValueText() const
{
    return parameter.getCurrentValueAsText();
}

void X2Button::setFromText (const juce::String& valueText)
{
    setAsGesture (parameter.getValueForText (valueText) >= 0.5f);
}

bool X2Button::keyPressed (const juce::KeyPress& key)
{
    if (key.getModifiers().isAnyModifierKeyDown() || (key.getKeyCode() != juce::KeyPress::spaceKey && key.getKeyCode() != juce::KeyPress::returnKey))
        return false;

    setAsGesture (! getToggleState());
    return true;
}

std::unique_ptr<juce::AccessibilityHandler> X2Button::createAccessibilityHandler()
{
    return std::make_unique<X2AccessibilityHandler> (*this);
}
