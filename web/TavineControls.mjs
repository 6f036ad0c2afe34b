// How Tavine's knobs and x2 answer the mouse and the keyboard in the web page, as they answer
// in the plug-in's window (editor/ZarivirSlider.cpp, editor/X2Button.cpp and the framework's
// rotary knob): the values a drag, a key or the wheel lead to, and the texts a host shows for
// them. A knob's value is a double, as the framework's knob holds it; its parameter, which the
// engine takes and whose text is shown, is that value in single precision.

const f = Math.fround;

/** A vertical drag of this many pixels takes a knob across its whole range. */
export const pixelsForFullDrag = 250;

/** The value a knob returns to on a double click, Delete or Backspace: the parameters'
    default. */
export const defaultValue = 0;

/** A knob's value as the plug-in shows it: two digits after the point, half up on the exact
    single-precision value ("0.13" for 0.125). */
export function knobText (value)
{
    const v = f (value);
    const hundredths = String (Math.trunc (Math.abs (v) * 100 + 0.5)).padStart (3, '0');
    const text = hundredths.slice (0, -2) + '.' + hundredths.slice (-2);
    return v < 0 ? '-' + text : text;
}

/** A knob's parameter value, in the fewest digits that give the same single-precision number:
    "0.6", where its exact value would read 0.6000000238418579. */
export function parameterNumber (value)
{
    const v = f (value);

    for (let digits = 1; digits <= 9; ++digits)
    {
        const text = String (Number (v.toPrecision (digits)));

        if (f (Number (text)) === v)
            return text;
    }

    return String (v);
}

/** x2's value as the plug-in shows it. */
export function toggleText (on) { return on ? 'On' : 'Off'; }

const clamp = value => Math.min (1, Math.max (0, value));

/** The value a key leads a knob to from `current`, or null for a key the knob leaves to the
    page (Tab and the rest, and every key with a modifier held). `key` is a KeyboardEvent's
    key name. */
export function valueForKey (key, modifiers, current)
{
    if (modifiers.shift || modifiers.ctrl || modifiers.alt || modifiers.meta)
        return null;

    const steps = { ArrowUp: 0.01, ArrowRight: 0.01, ArrowDown: -0.01, ArrowLeft: -0.01, PageUp: 0.1, PageDown: -0.1 };

    if (key in steps)
        return clamp (current + steps[key]);

    if (key === 'Home' || key === 'Delete' || key === 'Backspace')
        return defaultValue;

    if (key === 'End')
        return 1;

    return null;
}

/** A knob's value during a drag that started at `valueOnDown` with the pointer at `startY`
    and has it at `y` now: up raises, down lowers, sideways does nothing. */
export function valueForDrag (valueOnDown, startY, y)
{
    return clamp (valueOnDown + (startY - y) / pixelsForFullDrag);
}

/** The value a turn of the mouse wheel leads to, from a WheelEvent's deltaY and deltaMode.
    One notch moves a knob by 0.15 of the framework's notch (50/256), as the plug-in's knob
    moves on Linux; a browser reports a notch as about 100 pixels or 3 lines. */
export function valueForWheel (current, deltaY, deltaMode)
{
    const notches = deltaMode === 0 ? deltaY / 100 : (deltaMode === 1 ? deltaY / 3 : deltaY);

    if (! Number.isFinite (notches) || notches === 0)
        return current;

    return clamp (current - notches * (50 / 256) * 0.15);
}
