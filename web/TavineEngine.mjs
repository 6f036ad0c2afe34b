// Tavine's engine in WebAssembly, as the page, its audio worklet and the tests use it: the
// module's C interface (web/TavineWeb.cpp) wrapped in a class, and the offline render of a
// whole file, which runs the engine exactly as tavine-render does. Plain JavaScript with no
// imports, so that it loads in a page, in an AudioWorkletGlobalScope and in Node alike.

/** The longest block an engine takes in one call; longer ones are cut to this length. */
export const maxBlockLength = 4096;

/** tavine-render's block length and the seed it gives its noise floor: an offline render
    processes the same blocks with the same noise, and so gives the same samples. */
export const renderBlockLength = 512;
export const renderNoiseSeed = 0x7a76;

/** Instantiates the module from its bytes (an ArrayBuffer or typed array, or a compiled
    WebAssembly.Module). The module asks its host for a clock alone, besides the notice that
    its memory grew; a request to exit means the engine failed, and throws. */
export async function loadTavine (bytes)
{
    let memory = null;

    const imports = {
        wasi_snapshot_preview1: {
            clock_time_get (clockId, precision, timeOut)
            {
                const nanoseconds = BigInt (Math.round ((globalThis.performance?.now() ?? Date.now()) * 1e6));
                new BigUint64Array (memory.buffer, timeOut, 1)[0] = nanoseconds;
                return 0;
            },
            proc_exit (code) { throw new Error ("the Tavine engine stopped (" + code + ")"); },
        },
        env: { emscripten_notify_memory_growth () {} },
    };

    const result = bytes instanceof WebAssembly.Module ? { instance: await WebAssembly.instantiate (bytes, imports) }
                                                        : await WebAssembly.instantiate (bytes, imports);
    const exports = result.instance.exports;
    memory = exports.memory;
    exports._initialize();
    return new TavineModule (exports);
}

export class TavineModule
{
    constructor (exports) { this.exports = exports; }

    /** A new engine, prepared for 44.1 kHz. */
    createEngine() { return new TavineEngine (this.exports); }

    /** The demo phrase that tavine-render --demo renders and tavine_snapshot draws after: two
        Float32Arrays of `seconds` (up to 600) at `sampleRate` (8 kHz to 768 kHz). */
    demoPhrase (sampleRate, seconds)
    {
        const length = this.exports.tavine_demo_length (sampleRate, seconds);
        const samples = length > 0 ? this.exports.tavine_demo_phrase (sampleRate, seconds) : 0;

        if (samples === 0)
            throw new Error ("no demo phrase of " + seconds + " s at " + sampleRate + " Hz");

        try
        {
            const memory = this.exports.memory.buffer;
            return [0, 1].map (c => new Float32Array (memory, samples + c * length * 4, length).slice());
        }
        finally
        {
            this.exports.tavine_free (samples);
        }
    }
}

export class TavineEngine
{
    constructor (exports)
    {
        this.x = exports;
        this.handle = exports.tavine_create (maxBlockLength);

        if (this.handle === 0)
            throw new Error ("no memory for a Tavine engine");

        this.latency = exports.tavine_prepare (this.handle, 44100);
        this.views = null;
    }

    // Views of the module's two channel buffers, made again only when its memory grew (which
    // replaces the memory's buffer): the worklet calls process 344 times a second and more,
    // and must not leave garbage behind each time.
    channelViews()
    {
        const memory = this.x.memory.buffer;

        if (this.views === null || this.views.memory !== memory)
            this.views = { memory, channels: [0, 1].map (c => new Float32Array (memory, this.x.tavine_channel (this.handle, c), maxBlockLength)) };

        return this.views.channels;
    }

    /** Frees the engine; it must not be used afterwards. */
    destroy()
    {
        this.x.tavine_destroy (this.handle);
        this.handle = 0;
    }

    /** Prepares for a sample rate; returns the latency it adds, in frames. */
    prepare (sampleRate)
    {
        this.latency = this.x.tavine_prepare (this.handle, sampleRate);
        return this.latency;
    }

    /** Restarts the noise floor from a whole-number seed, as TAVINE_NOISE_SEED does for the
        plug-in and tavine-render. */
    setNoiseSeed (seed) { this.x.tavine_set_noise_seed (this.handle, seed); }

    /** The knobs as the plug-in holds them, each 0..1 (x2 on from one half up), and the
        bypass, for the next block. */
    setParameters (red, green, blue, x2, bypassed = false)
    {
        this.x.tavine_set_parameters (this.handle, red, green, blue, x2, bypassed ? 1 : 0);
    }

    /** Processes one block in place: an array of one channel (mono) or two Float32Arrays of
        the same length, each at most maxBlockLength. */
    process (channels)
    {
        const length = channels[0].length;
        const count = Math.min (channels.length, 2);

        if (length > maxBlockLength)
            throw new Error ("a block of " + length + " frames is longer than " + maxBlockLength);

        const before = this.channelViews();

        for (let c = 0; c < count; ++c)
            before[c].set (channels[c]);

        this.x.tavine_process (this.handle, count, length);

        // The views again: the engine does not allocate while it processes, but should its
        // memory ever grow, the old views would be empty.
        const after = this.channelViews();

        for (let c = 0; c < count; ++c)
        {
            const result = after[c], channel = channels[c];

            for (let i = 0; i < length; ++i)
                channel[i] = result[i];
        }
    }

    /** The level rings' values: red, green, blue. */
    meters() { return [0, 1, 2].map (which => this.x.tavine_meter (this.handle, which)); }

    /** The history's newest points, newest first: 399 levels and 400 colour codes. */
    history()
    {
        this.x.tavine_copy_history (this.handle);
        const memory = this.x.memory.buffer;
        return { levels: new Float32Array (memory, this.x.tavine_history_levels (this.handle), 399).slice(),
                 colours: new Int32Array (memory, this.x.tavine_history_colours (this.handle), 400).slice() };
    }
}

/** Renders a whole file as tavine-render does: prepared for its rate, the setting taken at
    once, blocks of renderBlockLength, the input run on by the latency in silence and the output
    moved back by as much, so that it lines up with the input and has its length. `channels`
    are one (mono) or two Float32Arrays; `setting` holds red, green, blue and x2; `onProgress`,
    if given, hears the share done now and then; `onTick`, if given, hears the meters and the
    history whenever 100 ms of audio have gone through, after the block that completed them, as
    the plug-in's window would have ticked while a host played (and as tavine-render's picture
    ticks it). Returns the processed channels, and the meters and the history as the render
    leaves them. */
export function renderOffline (module, channels, sampleRate, setting, { noiseSeed = renderNoiseSeed, onProgress = null, onTick = null } = {})
{
    const engine = module.createEngine();

    try
    {
        engine.setNoiseSeed (noiseSeed);

        const latency = engine.prepare (sampleRate);
        const length = channels[0].length;
        const total = length + latency;
        const outputs = channels.map (() => new Float32Array (length));
        const block = channels.map (() => new Float32Array (renderBlockLength));
        const samplesPerTick = Math.max (1, Math.trunc (sampleRate * 0.1));
        let samplesSinceTick = 0;

        for (let start = 0; start < total; start += renderBlockLength)
        {
            const frames = Math.min (renderBlockLength, total - start);
            const parts = block.map (b => b.subarray (0, frames));

            channels.forEach ((input, c) => {
                parts[c].fill (0);
                if (start < length)
                    parts[c].set (input.subarray (start, Math.min (length, start + frames)));
            });

            engine.setParameters (setting.red, setting.green, setting.blue, setting.x2);
            engine.process (parts);
            samplesSinceTick += frames;

            if (onTick !== null && samplesSinceTick >= samplesPerTick)
            {
                samplesSinceTick %= samplesPerTick;
                onTick (engine.meters(), engine.history());
            }

            // The first `latency` frames of the output are the delay's silence.
            const from = Math.max (0, latency - start);

            outputs.forEach ((output, c) => {
                if (from < frames)
                    output.set (parts[c].subarray (from), start + from - latency);
            });

            if (onProgress !== null && (start / renderBlockLength) % 256 === 0)
                onProgress (start / total);
        }

        if (onProgress !== null)
            onProgress (1);

        return { channels: outputs, meters: engine.meters(), history: engine.history() };
    }
    finally
    {
        engine.destroy();
    }
}
