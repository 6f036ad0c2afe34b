// Tavine's window, drawn in a canvas as the plug-in draws it: the same artwork (the 2x set at
// display scales above 1), the same places (editor/EditorLayout.h), knob and ring frames picked
// as the look-and-feel picks them, the x2 button's two looks, and the history panel with its
// range that follows the material. The panel keeps state between ticks, as the plug-in's does:
// tick it ten times a second of audio with the engine's meters and history.

const f = Math.fround;

export const layout = {
    width: 450,
    height: 300,
    knobSize: 64,
    knobs: [{ x: 65, y: 221 }, { x: 193, y: 221 }, { x: 321, y: 221 }],
    x2: { x: 209, y: 7, width: 32, height: 16 },
    display: { x: 31, y: 35, width: 388, height: 150 },
};

/** The artwork's file names, each with an "_2x" twin at twice the size. */
export const artwork = {
    background: 'background',
    knobs: ['red', 'green', 'blue'],
    rings: ['vu_red', 'vu_green', 'vu_blue'],
    x2: 'x2button',
};

/** The frame of a filmstrip for a value from 0 to 1, as the knob's look-and-feel picks it. */
export function frameFor (value, lastFrame)
{
    const position = f (f (lastFrame * value) + 0.5);

    if (! (position >= 1))
        return 0;

    return position >= lastFrame ? lastFrame : Math.trunc (position);
}

/** A history point's colour from its meter shares: steadiness green, density red, transients
    blue, each channel within 64..159 on the dark panel. */
export function colourForCode (code)
{
    const steadiness = f (((code >> 8) & 0xff) / 255), density = f ((code & 0xff) / 255), transients = f (((code >> 16) & 0xff) / 255);
    const channel = (steadinessWeight, transientsWeight, densityWeight) =>
        (Math.trunc (f (f (f (steadiness * steadinessWeight) + f (transients * transientsWeight)) + f (density * densityWeight))) >> 1) + 64;

    return [channel (0, 0, 191), channel (191, 96, 0), channel (44, 191, 48)];
}

/** The history panel: one column per pixel, newest on the right. */
export class HistoryPanel
{
    constructor()
    {
        const columns = layout.display.width;
        this.levels = new Float32Array (columns);
        this.colours = Array.from ({ length: columns }, () => [64, 64, 64]);
        this.rangeLowDb = f (-30);
        this.rangeHighDb = f (0);
    }

    /** One tick of the panel's timer, with the engine's history (newest first). */
    tick (history)
    {
        const n = this.levels.length;
        const level = this.levels;
        let sum = f (0), count = f (0), low = f (10), high = f (0);

        for (let i = 0; i < n; ++i)
        {
            const c = f (history.levels[i]);

            if (c < f (1.0e-8))
            {
                level[i] = -80;
                continue;
            }

            count = f (count + 1);
            sum = f (sum + c);
            const mean = f (sum / count);

            // Recent points count fully, old ones only a fifth: the range follows what plays now.
            const weight = f (f (f (Math.sqrt (f (1 - f (i / (n - 1))))) * f (0.8)) + f (0.2));
            const lower = f (mean - f (f (mean - c) * weight));
            const upper = f (f (f (c - mean) * weight) + mean);

            if (lower < low)
                low = lower;

            if (upper > high)
                high = upper;

            level[i] = f (10 * f (Math.log10 (c)));
            this.colours[i] = colourForCode (history.colours[i]);
        }

        if (low < 10 && low > 0)
        {
            const mean = f (sum / count);
            const spread = Math.max (Math.min (f (mean - low), f (high - mean)), f (0.01));
            const lowTarget = Math.max (Math.min (f (mean - spread), f (f (0.9) * low)), f (1.0e-8));
            const highTarget = Math.max (f (mean + spread), f (f (1.1) * high));

            // 5 % of the way per tick: a time constant of about two seconds.
            this.rangeLowDb = f (f (f (f (10 * f (Math.log10 (lowTarget))) * f (0.05))) + f (this.rangeLowDb * f (0.95)));
            this.rangeHighDb = f (f (f (f (10 * f (Math.log10 (highTarget))) * f (0.05))) + f (this.rangeHighDb * f (0.95)));
        }

        for (let i = 0; i < n; ++i)
        {
            const v = f (f (level[i] - this.rangeLowDb) / f (this.rangeHighDb - this.rangeLowDb));
            level[i] = v < 0 ? 0 : Math.min (v, 1);
        }
    }

    /** Draws the panel with its top left at the context's origin, in window pixels. */
    draw (context)
    {
        const { width, height } = layout.display;
        context.fillStyle = '#101010';
        context.fillRect (0, 0, width, height);
        const bottom = height - 1;

        for (let x = 0; x < width; ++x)
        {
            const i = width - 1 - x;
            const v = Math.min (1, Math.max (0, this.levels[i]));
            const top = f (f (f (height - 2) * f (1 - v)) + 1);

            if (top < bottom)
            {
                const [red, green, blue] = this.colours[i];
                context.fillStyle = 'rgb(' + red + ',' + green + ',' + blue + ')';
                context.fillRect (x, top, 1, bottom - top);
            }
        }
    }
}

/** The mark around the control with the keyboard focus: a dark outline under a thin gold one,
    round around a knob, a rounded rectangle around x2. */
function focusMark (context, x, y, width, height, round)
{
    const outline = (inset, thickness, colour) => {
        context.beginPath();

        if (round)
            context.ellipse (x + width / 2, y + height / 2, width / 2 - inset, height / 2 - inset, 0, 0, 2 * Math.PI);
        else
            context.roundRect (x + inset, y + inset, width - 2 * inset, height - 2 * inset, 3);

        context.lineWidth = thickness;
        context.strokeStyle = colour;
        context.stroke();
    };

    outline (0.75, 1.5, 'rgba(0,0,0,0.6)');
    outline (1.5, 1, 'rgb(255,214,120)');
}

/** The small label with a knob's value while the user changes it, centred over the knob, over
    the knob's word on the panel. */
export const bubble = { width: 40, height: 15, top: 206, hideAfterMs: 1200 };

function valueBubble (context, centreX, text)
{
    const x = centreX - bubble.width / 2, y = bubble.top;
    context.beginPath();
    context.roundRect (x, y, bubble.width, bubble.height, 4);
    context.fillStyle = 'rgba(24,24,26,0.9)';
    context.fill();
    context.beginPath();
    context.roundRect (x + 0.5, y + 0.5, bubble.width - 1, bubble.height - 1, 4);
    context.lineWidth = 1;
    context.strokeStyle = 'rgba(255,255,255,0.25)';
    context.stroke();
    context.fillStyle = 'rgb(255,214,120)';
    context.font = 'bold 9.5px sans-serif';
    context.textAlign = 'center';
    context.textBaseline = 'middle';
    context.fillText (text, centreX, y + bubble.height / 2);
}

/** The whole window. `images` maps each artwork name to a loaded image (anything a canvas
    draws), and each name with "_2x" to its twin at twice the size: the first set is needed to
    draw at scale 1, the second at scales above it. */
export class TavineWindow
{
    constructor (images)
    {
        this.images = images;
        this.knobValues = [0, 0, 0];
        this.ringLevels = [0, 0, 0];
        this.x2 = false;

        // x2 lights up while the mouse holds it down, as the plug-in's button does.
        this.x2Held = false;
        this.history = new HistoryPanel();

        // The control wearing the focus mark (a knob's index, or 'x2'), or null: the mark shows
        // only while the focus came from the keyboard.
        this.focus = null;

        // The value bubble over a knob while the user changes it: { knob, text }, or null.
        this.bubble = null;
    }

    /** One tick of the window's timers: the rings show the meters, the panel takes the history. */
    tick (meters, history)
    {
        this.ringLevels = meters.slice (0, 3);
        this.history.tick (history);
    }

    /** Draws the window into a context at a display scale (the canvas is 450 x 300 times it). */
    draw (context, scale = 1)
    {
        const doubled = scale > 1;
        const image = (name) => this.images[doubled ? name + '_2x' : name];
        const factor = doubled ? 2 : 1;

        // An image's size at the window's scale, from whichever set is there.
        const heightOf = (name) => image (name).height / factor;

        context.save();
        context.setTransform (scale, 0, 0, scale, 0, 0);
        context.imageSmoothingEnabled = true;
        context.imageSmoothingQuality = 'high';

        // A piece of an image, given in the 1x image's pixels, into a place in the window.
        const piece = (name, sx, sy, sw, sh, dx, dy, dw, dh) =>
            context.drawImage (image (name), sx * factor, sy * factor, sw * factor, sh * factor, dx, dy, dw, dh);

        piece (artwork.background, 0, 0, image (artwork.background).width / factor, heightOf (artwork.background), 0, 0, layout.width, layout.height);

        const size = layout.knobSize;

        layout.knobs.forEach (({ x, y }, k) => {
            const lastFrame = heightOf (artwork.knobs[k]) / size - 1;
            piece (artwork.knobs[k], 0, frameFor (this.knobValues[k], lastFrame) * size, size, size, x, y, size, size);
            piece (artwork.rings[k], 0, frameFor (this.ringLevels[k], lastFrame) * size, size, size, x, y, size, size);
        });

        const { x, y, width, height } = layout.x2;
        piece (artwork.x2, 0, this.x2 || this.x2Held ? height : 0, width, height, x, y, width, height);

        if (this.focus === 'x2')
            focusMark (context, x, y, width, height, false);
        else if (this.focus !== null)
            focusMark (context, layout.knobs[this.focus].x, layout.knobs[this.focus].y, size, size, true);

        context.save();
        context.translate (layout.display.x, layout.display.y);
        this.history.draw (context);
        context.restore();

        if (this.bubble !== null)
            valueBubble (context, layout.knobs[this.bubble.knob].x + size / 2, this.bubble.text);

        context.restore();
    }
}
