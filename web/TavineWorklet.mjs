// Tavine's engine as an audio worklet: the page's live playback. Each render quantum (128
// frames, one or two channels) goes through the engine in place, on the audio thread, with
// nothing shared with the page but messages: the page sends the knobs and the bypass, the
// worklet sends back the meters and the history at the display's rate, and once, when the
// engine is ready, the latency it adds. Until then the worklet plays silence, so the first
// thing heard is already processed.
//
// For the page's level-matched comparison it also follows the mean square of what comes in
// and of what Tavine makes of it, over the last few seconds; the page turns the processed
// sound down or up by their ratio. What comes out while bypassed is the input itself, so
// the processed level holds still then.

import { loadTavine } from './TavineEngine.mjs';

// How often the page hears the meters and the history: at a screen's pace, so that the rings
// move smoothly. The history panel ticks ten times a second, as the plug-in's window does; the
// page ticks it from the newest of these.
const displayRate = 30;

// The time constant of the levels the comparison matches: long enough that the gain does not
// pump with the beat, short enough to follow a song from verse to chorus.
const levelSeconds = 3;

function meanSquare (channels)
{
    let sum = 0;

    for (const channel of channels)
        for (let i = 0; i < channel.length; ++i)
            sum += channel[i] * channel[i];

    return sum / (channels.length * channels[0].length);
}

class TavineProcessor extends AudioWorkletProcessor
{
    constructor (options)
    {
        super();
        this.engine = null;
        this.parameters = { red: 0, green: 0, blue: 0, x2: 0, bypassed: false };
        this.framesPerDisplay = Math.round (sampleRate / displayRate);
        this.framesSinceDisplay = 0;
        this.inputLevel = 0;
        this.outputLevel = 0;

        this.port.onmessage = ({ data }) => {
            if (data.type === 'parameters')
            {
                this.parameters = { ...this.parameters, ...data.parameters };
                this.engine?.setParameters (this.parameters.red, this.parameters.green, this.parameters.blue,
                                            this.parameters.x2, this.parameters.bypassed);
            }
        };

        loadTavine (options.processorOptions.module).then (module => {
            const engine = module.createEngine();
            const latency = engine.prepare (sampleRate);
            const p = this.parameters;
            engine.setParameters (p.red, p.green, p.blue, p.x2, p.bypassed);
            this.engine = engine;
            this.port.postMessage ({ type: 'ready', latency, sampleRate });
        }, error => this.port.postMessage ({ type: 'error', message: String (error) }));
    }

    process (inputs, outputs)
    {
        const input = inputs[0], output = outputs[0];

        for (let c = 0; c < output.length; ++c)
        {
            // An input with fewer channels than the output (mono into stereo) is copied up.
            const source = input.length > 0 ? input[Math.min (c, input.length - 1)] : null;

            if (source !== null && this.engine !== null)
                output[c].set (source);
            else
                output[c].fill (0);
        }

        if (this.engine === null || output.length === 0)
            return true;

        const channels = output.length > 2 ? output.slice (0, 2) : output;
        const keep = Math.exp (-channels[0].length / (levelSeconds * sampleRate));
        this.inputLevel = keep * this.inputLevel + (1 - keep) * meanSquare (channels);
        this.engine.process (channels);

        if (! this.parameters.bypassed)
            this.outputLevel = keep * this.outputLevel + (1 - keep) * meanSquare (channels);

        this.framesSinceDisplay += channels[0].length;

        if (this.framesSinceDisplay >= this.framesPerDisplay)
        {
            this.framesSinceDisplay = 0;
            this.port.postMessage ({ type: 'display', meters: this.engine.meters(), history: this.engine.history(),
                                     levels: { input: this.inputLevel, output: this.outputLevel } });
        }

        return true;
    }
}

registerProcessor ('tavine', TavineProcessor);
