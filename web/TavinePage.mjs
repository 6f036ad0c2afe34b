// Tavine's web page: the plug-in's window in a canvas, with its knobs and x2 as the plug-in's
// answer the mouse, the keys and screen readers; the user's own file (or the demo phrase)
// played live through the engine in an audio worklet, with an A/B comparison against the
// original at the same latency; and the processed file rendered offline, in a worker, by the
// same engine as tavine-render runs it.
//
// Files are decoded at their own sample rate (read from the container), and played in an audio
// context at that rate where the browser allows it, so that what is heard, what is rendered
// and what tavine-render makes of the same file are one and the same.

import { audioFileRate } from './AudioFileRate.mjs';
import { bubble, TavineWindow, artwork, HistoryPanel, layout } from './TavineWindow.mjs';
import { knobText, parameterNumber, toggleText, valueForKey, valueForDrag, valueForWheel, defaultValue } from './TavineControls.mjs';
import { loadTavine } from './TavineEngine.mjs';

const f = Math.fround;
const element = id => document.getElementById (id);

// The rates a browser decodes and plays at (the Web Audio API's range); a file outside it is
// decoded at the fallback rate, resampled.
const lowestRate = 3000, highestRate = 768000, fallbackRate = 48000;

/** What plays: the demo phrase or the user's file, decoded. */
class Material
{
    constructor (name, channels, sampleRate, { format = null, fileName = null, resampledFrom = null } = {})
    {
        Object.assign (this, { name, channels, sampleRate, format, fileName, resampledFrom });
    }

    get duration() { return this.channels[0].length / this.sampleRate; }

    describe()
    {
        const parts = [formatTime (this.duration), this.channels.length === 1 ? 'mono' : 'stereo', this.sampleRate + ' Hz'];

        if (this.format !== null)
            parts.push (this.format);

        const resampled = this.resampledFrom !== null ? ' (resampled: the file\'s own rate, ' + this.resampledFrom + ', is not one this browser decodes at)' : '';
        return this.name + ': ' + parts.join (', ') + resampled;
    }

    /** The name the processed file is offered under. */
    downloadName()
    {
        if (this.fileName === null)
            return 'Tavine demo phrase.wav';

        const dot = this.fileName.lastIndexOf ('.');
        return (dot > 0 ? this.fileName.slice (0, dot) : this.fileName) + ' (Tavine).wav';
    }
}

/** Hands the engine's compiled module to a worklet or a worker through `send`, or, where the
    browser cannot pass a compiled module on, its bytes, which the other side compiles again. */
function withEngine (module, send)
{
    try
    {
        return send (module.compiled);
    }
    catch (error)
    {
        if (error.name !== 'DataCloneError')
            throw error;

        return send (module.bytes.slice (0));
    }
}

/** The demo phrase as tavine-render --demo and tavine_snapshot play it: its rate, its length
    and the knobs' setting (red, green, blue) it is shown with. */
const demo = { sampleRate: 44100, seconds: 10, setting: [0.6, 0.5, 0.7] };

const demoMaterial = module => new Material ('Demo phrase', module.demoPhrase (demo.sampleRate, demo.seconds), demo.sampleRate);

function formatTime (seconds)
{
    const tenths = Math.max (0, Math.floor (seconds * 10));
    const minutes = Math.floor (tenths / 600);
    const rest = tenths - minutes * 600;
    return minutes + ':' + String (Math.floor (rest / 10)).padStart (2, '0') + '.' + (rest % 10);
}

/** Live playback: the material through the engine's worklet, a fader that keeps starts, stops
    and jumps from clicking, and the level match's gain after the engine. The audio context is
    made on the first play, as browsers let a page make sound only after the user asked. */
class Player
{
    constructor (module, listener)
    {
        this.module = module;
        this.listener = listener;
        this.graph = null;
        this.buffer = null;
        this.material = null;
        this.source = null;
        this.wanted = false;
        this.offset = 0;
        this.loop = true;
        this.parameters = { red: 0, green: 0, blue: 0, x2: 0, bypassed: false };
        this.matchLevels = false;
    }

    /** Whether it plays, or is about to: the first start waits for the worklet to load. */
    get playing() { return this.wanted; }

    use (material)
    {
        this.stop();
        this.material = material;
        this.offset = 0;
    }

    /** The position in the material, in seconds. */
    position()
    {
        if (this.source === null)
            return this.offset;

        const elapsed = this.graph.context.currentTime - this.startedAt;
        const duration = this.material.duration;
        return this.loop ? elapsed % duration : Math.min (elapsed, duration);
    }

    // A context at the material's rate, with the engine prepared for it and as many channels as
    // the material has, made again only when either changes.
    async prepareGraph()
    {
        const { sampleRate } = this.material, channels = this.material.channels.length;

        if (this.graph !== null && this.graph.sampleRate === sampleRate && this.graph.channels === channels)
            return this.graph;

        // The old context closes once the fade of what it played has run its course.
        if (this.graph !== null)
        {
            const old = this.graph;
            old.node.port.onmessage = null;
            setTimeout (() => old.context.close(), 100);
            this.graph = null;
        }

        let context;

        try
        {
            context = new AudioContext ({ sampleRate, latencyHint: 'interactive' });
        }
        catch
        {
            // A rate this browser does not play at: its own rate, the source resampling to it.
            context = new AudioContext ({ latencyHint: 'interactive' });
        }

        await context.audioWorklet.addModule (new URL ('./TavineWorklet.mjs', import.meta.url));
        const node = withEngine (this.module, engine => new AudioWorkletNode (context, 'tavine', {
            numberOfInputs: 1, numberOfOutputs: 1, outputChannelCount: [channels], channelCount: channels, channelCountMode: 'explicit',
            processorOptions: { module: engine } }));
        const levelMatch = new GainNode (context);
        node.connect (levelMatch).connect (context.destination);
        node.port.onmessage = ({ data }) => this.heard (data);
        node.port.postMessage ({ type: 'parameters', parameters: this.parameters });

        this.graph = { context, node, levelMatch, sampleRate, channels };
        return this.graph;
    }

    // The material as the context plays it, made once for each material.
    bufferFor (material)
    {
        if (this.buffer?.material !== material)
        {
            const audio = new AudioBuffer ({ length: material.channels[0].length, numberOfChannels: material.channels.length, sampleRate: material.sampleRate });
            material.channels.forEach ((samples, c) => audio.copyToChannel (samples, c));
            this.buffer = { material, audio };
        }

        return this.buffer.audio;
    }

    heard (data)
    {
        if (data.type === 'display' && this.graph !== null)
        {
            const { input, output } = data.levels;
            const matched = this.matchLevels && ! this.parameters.bypassed && output > 1e-10 && input > 1e-10;
            const gain = matched ? Math.min (16, Math.max (1 / 16, Math.sqrt (input / output))) : 1;
            this.graph.levelMatch.gain.setTargetAtTime (gain, this.graph.context.currentTime, 0.1);
        }

        this.listener (data, this.graph?.context ?? null);
    }

    async play()
    {
        if (this.wanted || this.material === null)
            return;

        this.wanted = true;
        const material = this.material;
        let graph;

        try
        {
            graph = await this.prepareGraph();
            await graph.context.resume();
        }
        catch (error)
        {
            this.wanted = false;
            throw error;
        }

        // Stopped, or given other material, while the context started.
        if (this.material !== material || ! this.wanted || this.source !== null)
            return;

        const now = graph.context.currentTime;
        const fader = new GainNode (graph.context, { gain: 0 });
        fader.gain.setTargetAtTime (1, now, 0.005);
        const source = new AudioBufferSourceNode (graph.context, { buffer: this.bufferFor (material), loop: this.loop });
        source.connect (fader).connect (graph.node);
        const offset = this.offset >= material.duration ? 0 : this.offset;
        source.start (now, offset);
        this.startedAt = now - offset;
        this.source = source;
        this.fader = fader;

        source.onended = () => {
            if (this.source === source)
            {
                this.source = null;
                this.wanted = false;
                this.offset = 0;
                this.listener ({ type: 'ended' });
            }
        };
    }

    /** Stops where it is, fading out over a few milliseconds rather than cutting off. */
    stop()
    {
        this.wanted = false;

        if (this.source === null)
            return;

        this.offset = this.position();
        const now = this.graph.context.currentTime;
        this.fader.gain.setTargetAtTime (0, now, 0.005);
        this.source.onended = null;
        this.source.stop (now + 0.05);
        this.source = null;
    }

    async seek (seconds)
    {
        const wasPlaying = this.playing;
        this.stop();
        this.offset = Math.min (Math.max (0, seconds), this.material.duration);

        if (wasPlaying)
            await this.play();
    }

    setLoop (loop)
    {
        this.loop = loop;

        if (this.source !== null)
        {
            // The position stays where it is in the material when the loop is switched off.
            const position = this.position();
            this.source.loop = loop;
            this.startedAt = this.graph.context.currentTime - position;
        }
    }

    setParameters (parameters)
    {
        this.parameters = { ...parameters };
        this.graph?.node.port.postMessage ({ type: 'parameters', parameters: this.parameters });
    }
}

/** The window and its controls: the canvas draws, the elements over it take the pointer, the
    keys and the focus, and tell screen readers what they are and hold. */
class WindowControls
{
    constructor (view, onChange)
    {
        this.view = view;
        this.onChange = onChange;
        this.values = [...view.knobValues];
        this.knobs = [...document.querySelectorAll ('#window .knob')];
        this.x2 = element ('x2');
        this.bubbleTimer = null;

        this.knobs.forEach ((knob, k) => this.wireKnob (knob, k));
        this.wireX2();
        this.knobs.forEach ((_, k) => this.describe (k));
        this.describeX2();
    }

    describe (k)
    {
        this.knobs[k].setAttribute ('aria-valuenow', parameterNumber (this.values[k]));
        this.knobs[k].setAttribute ('aria-valuetext', knobText (this.values[k]));
    }

    describeX2()
    {
        this.x2.setAttribute ('aria-pressed', String (this.view.x2));
        this.x2.title = 'x2: ' + toggleText (this.view.x2);
    }

    // The value bubble: shown with each change, kept while a drag goes on, gone a moment after.
    showBubble (k, stay)
    {
        this.view.bubble = { knob: k, text: knobText (this.values[k]) };
        clearTimeout (this.bubbleTimer);

        if (! stay)
            this.bubbleTimer = setTimeout (() => { this.view.bubble = null; this.onChange (false); }, bubble.hideAfterMs);

        this.onChange (false);
    }

    setKnob (k, value, stay)
    {
        const changed = value !== this.values[k];

        if (changed)
        {
            this.values[k] = value;
            this.view.knobValues[k] = f (value);
            this.describe (k);
        }

        this.showBubble (k, stay);

        if (changed)
            this.onChange (true);
    }

    wireKnob (knob, k)
    {
        let drag = null;

        knob.addEventListener ('keydown', event => {
            const value = valueForKey (event.key, { shift: event.shiftKey, ctrl: event.ctrlKey, alt: event.altKey, meta: event.metaKey }, this.values[k]);

            if (value === null)
                return;

            event.preventDefault();

            if (value !== this.values[k])
                this.setKnob (k, value, false);
        });

        knob.addEventListener ('pointerdown', event => {
            if (event.button !== 0)
                return;

            // Alt-click returns to the default, as the framework's knobs do.
            if (event.altKey && ! (event.shiftKey || event.ctrlKey || event.metaKey))
            {
                this.setKnob (k, defaultValue, false);
                return;
            }

            knob.setPointerCapture (event.pointerId);
            drag = { y: event.clientY, value: this.values[k], pointer: event.pointerId };
        });

        knob.addEventListener ('pointermove', event => {
            if (drag === null || event.pointerId !== drag.pointer)
                return;

            const value = valueForDrag (drag.value, drag.y, event.clientY);

            if (value !== this.values[k])
                this.setKnob (k, value, true);
        });

        const release = event => {
            if (drag === null || event.pointerId !== drag.pointer)
                return;

            drag = null;
            this.showBubble (k, false);
        };

        knob.addEventListener ('pointerup', release);
        knob.addEventListener ('pointercancel', release);
        knob.addEventListener ('dblclick', () => this.setKnob (k, defaultValue, false));

        knob.addEventListener ('wheel', event => {
            event.preventDefault();

            if (drag === null)
            {
                const value = valueForWheel (this.values[k], event.deltaY, event.deltaMode);

                if (value !== this.values[k])
                    this.setKnob (k, value, false);
            }
        }, { passive: false });

        this.wireFocus (knob, k);
    }

    wireX2()
    {
        const held = down => { this.view.x2Held = down; this.onChange (false); };

        this.x2.addEventListener ('click', () => {
            this.view.x2 = ! this.view.x2;
            this.describeX2();
            this.onChange (true);
        });
        this.x2.addEventListener ('pointerdown', event => { if (event.button === 0) held (true); });
        this.x2.addEventListener ('pointerup', () => held (false));
        this.x2.addEventListener ('pointerleave', () => held (false));
        this.wireFocus (this.x2, 'x2');
    }

    // The focus mark shows only while the focus came from the keyboard.
    wireFocus (control, which)
    {
        control.addEventListener ('focus', () => {
            this.view.focus = control.matches (':focus-visible') ? which : null;
            this.onChange (false);
        });
        control.addEventListener ('blur', () => {
            if (this.view.focus === which)
                this.view.focus = null;

            this.onChange (false);
        });
    }

    setting()
    {
        const [red, green, blue] = this.values.map (v => f (v));
        return { red, green, blue, x2: this.view.x2 ? 1 : 0 };
    }
}

/** The artwork at a display scale: the plug-in's own set at 1, its twin at twice the size
    (names ending "_2x") above it. */
async function loadImages (doubled)
{
    const names = [artwork.background, ...artwork.knobs, ...artwork.rings, artwork.x2].map (name => doubled ? name + '_2x' : name);
    const load = async name => {
        const image = new Image();
        image.src = new URL ('artwork/' + name + '.png', import.meta.url).href;
        await image.decode();
        return [name, image];
    };

    return Object.fromEntries (await Promise.all (names.map (load)));
}

const hasImages = (images, doubled) => images[artwork.background + (doubled ? '_2x' : '')] !== undefined;

class Page
{
    constructor (module, images)
    {
        this.module = module;
        this.view = new TavineWindow (images);
        this.canvas = element ('face');
        this.context = this.canvas.getContext ('2d');
        this.rendering = false;
        this.seeking = false;
        this.latestHistory = null;
        this.dirty = true;

        // The page opens at the demo's setting, so that the first thing played shows what
        // Tavine does; a double click takes a knob to the plug-in's default.
        this.view.knobValues = demo.setting.map (f);
        this.controls = new WindowControls (this.view, parametersChanged => {
            this.dirty = true;

            if (parametersChanged)
                this.player.setParameters (this.parameters());
        });

        this.player = new Player (module, (data, context) => this.heard (data, context));
        this.player.setParameters (this.parameters());

        this.wireSource();
        this.wireTransport();
        this.wireDownload();
        this.watchScale();
        this.useMaterial (demoMaterial (module));

        // The history panel ticks ten times a second, as the plug-in's window does, whether or
        // not anything plays.
        setInterval (() => {
            if (! this.rendering && this.latestHistory !== null)
            {
                this.view.history.tick (this.latestHistory);
                this.dirty = true;
            }
        }, 100);

        const frame = () => {
            this.drawIfNeeded();
            this.showPosition();
            requestAnimationFrame (frame);
        };
        requestAnimationFrame (frame);
    }

    parameters()
    {
        return { ...this.controls.setting(), bypassed: element ('compare').querySelector ('input:checked').value === 'original' };
    }

    // The worklet's news: the engine's latency once ready, meters and history as it plays.
    heard (data, context)
    {
        if (data.type === 'ready')
            this.showLatency (data.latency, data.sampleRate, context);
        else if (data.type === 'display' && ! this.rendering)
        {
            this.view.ringLevels = data.meters.slice (0, 3);
            this.latestHistory = data.history;
            this.dirty = true;
        }
        else if (data.type === 'ended')
            element ('play').textContent = 'Play';
        else if (data.type === 'error')
            this.showMessage ('Tavine could not start in this browser: ' + data.message);
    }

    showLatency (latency, sampleRate, context = null)
    {
        const ms = (1000 * latency / sampleRate).toFixed (1);
        let text = 'Tavine adds ' + latency + ' samples of latency (' + ms + ' ms at ' + sampleRate + ' Hz); '
                 + 'the original (B) is delayed as much, so that A and B line up.';

        if (context !== null && context.sampleRate !== this.material.sampleRate)
            text += ' This browser plays at ' + context.sampleRate + ' Hz, so the file is resampled as it plays; the download is not.';

        element ('latency').textContent = text;
    }

    showMessage (text)
    {
        element ('message').textContent = text;
    }

    useMaterial (material)
    {
        const wasPlaying = this.player.playing;
        this.material = material;
        this.player.use (material);
        element ('material').textContent = material.describe();
        element ('position').max = String (material.duration);
        element ('play').textContent = 'Play';

        const engine = this.module.createEngine();
        this.showLatency (engine.prepare (material.sampleRate), material.sampleRate);
        engine.destroy();

        if (wasPlaying)
            this.togglePlay();
    }

    async openFile (file)
    {
        let bytes;

        try
        {
            bytes = await file.arrayBuffer();
        }
        catch
        {
            this.showMessage ('“' + file.name + '” could not be read.');
            return;
        }

        const header = audioFileRate (bytes);
        const ownRate = header?.sampleRate ?? null;
        const rate = ownRate !== null && ownRate >= lowestRate && ownRate <= highestRate ? ownRate : fallbackRate;
        let decoded;

        try
        {
            decoded = await new OfflineAudioContext (1, 1, rate).decodeAudioData (bytes);
        }
        catch
        {
            this.showMessage ('“' + file.name + '” could not be opened: this browser cannot decode it. '
                              + 'WAV, FLAC, MP3, Ogg and AAC files open in most browsers. Nothing else has changed.');
            return;
        }

        if (decoded.numberOfChannels > 2 || decoded.length === 0)
        {
            this.showMessage ('“' + file.name + '” ' + (decoded.length === 0 ? 'holds no audio' : 'has ' + decoded.numberOfChannels + ' channels')
                              + ': Tavine processes mono and stereo sound. Nothing else has changed.');
            return;
        }

        const channels = Array.from ({ length: decoded.numberOfChannels }, (_, c) => decoded.getChannelData (c));
        const resampledFrom = ownRate !== null && ownRate !== rate ? ownRate + ' Hz' : null;
        this.showMessage ('');
        element ('status').textContent = '';
        this.useMaterial (new Material (file.name, channels, decoded.sampleRate, { format: header?.format ?? null, fileName: file.name, resampledFrom }));
    }

    wireSource()
    {
        const input = element ('file');
        input.addEventListener ('change', () => {
            if (input.files.length > 0)
                this.openFile (input.files[0]);

            input.value = '';
        });

        element ('demo').addEventListener ('click', () => {
            this.showMessage ('');
            this.useMaterial (demoMaterial (this.module));
        });

        // A file dropped anywhere on the page opens; anything else dropped is left alone.
        const page = element ('page');
        const carriesFiles = event => event.dataTransfer !== null && [...event.dataTransfer.types].includes ('Files');

        document.addEventListener ('dragover', event => {
            if (! carriesFiles (event))
                return;

            event.preventDefault();
            event.dataTransfer.dropEffect = 'copy';
            page.classList.add ('dropping');
        });
        document.addEventListener ('dragleave', event => {
            if (event.relatedTarget === null)
                page.classList.remove ('dropping');
        });
        document.addEventListener ('drop', event => {
            page.classList.remove ('dropping');

            if (! carriesFiles (event))
                return;

            event.preventDefault();

            if (event.dataTransfer.files.length > 0)
                this.openFile (event.dataTransfer.files[0]);
        });
    }

    togglePlay()
    {
        const button = element ('play');

        if (this.player.playing)
        {
            this.player.stop();
            button.textContent = 'Play';
        }
        else
        {
            button.textContent = 'Pause';
            this.player.play().catch (error => {
                button.textContent = 'Play';
                this.showMessage ('The sound could not start: ' + error.message);
            });
        }
    }

    wireTransport()
    {
        element ('play').addEventListener ('click', () => this.togglePlay());
        element ('loop').addEventListener ('change', event => this.player.setLoop (event.target.checked));

        const position = element ('position');
        position.addEventListener ('input', () => {
            this.seeking = true;
            this.player.seek (Number (position.value));
        });
        position.addEventListener ('change', () => { this.seeking = false; });

        element ('compare').addEventListener ('change', () => this.player.setParameters (this.parameters()));
        element ('match').addEventListener ('change', event => { this.player.matchLevels = event.target.checked; });
    }

    // Called on every animation frame: the page is touched only where the shown position moved.
    showPosition()
    {
        const seconds = this.player.position();
        const bar = element ('position'), time = element ('time');
        const text = formatTime (seconds) + ' / ' + formatTime (this.material.duration);

        if (! this.seeking && bar.value !== String (seconds))
            bar.value = String (seconds);

        if (time.textContent !== text)
            time.textContent = text;
    }

    wireDownload()
    {
        element ('render').addEventListener ('click', () => this.render());
    }

    // The whole material through a new engine in a worker, as tavine-render renders it; the
    // window follows the render from the start of the material, as the picture of a render does.
    render()
    {
        if (this.rendering)
            return;

        const material = this.material;
        const bits = Number (element ('bits').value);
        const progress = element ('progress'), status = element ('status'), button = element ('render');
        const worker = new Worker (new URL ('./TavineRenderWorker.mjs', import.meta.url), { type: 'module' });
        const started = performance.now();

        this.rendering = true;
        this.view.history = new HistoryPanel();
        button.disabled = true;
        progress.hidden = false;
        progress.value = 0;
        status.textContent = 'Rendering…';

        const finish = text => {
            worker.terminate();
            this.rendering = false;
            button.disabled = false;
            progress.hidden = true;
            status.textContent = text;
            this.dirty = true;
        };

        worker.onmessage = ({ data }) => {
            if (data.type === 'progress')
                progress.value = data.share;
            else if (data.type === 'tick')
            {
                this.view.tick (data.meters, data.history);
                this.dirty = true;
            }
            else if (data.type === 'done')
            {
                // One more tick for the audio since the last, as a render's picture takes it.
                this.view.tick (data.meters, data.history);
                this.offerDownload (data.bytes, material.downloadName());
                const seconds = ((performance.now() - started) / 1000).toFixed (1);
                const clipped = data.clipped > 0 ? ' ' + data.clipped + ' samples went past full scale and were clipped: 32-bit float keeps them.' : '';
                finish ('Rendered “' + material.downloadName() + '” (' + (bits === 24 ? '24-bit PCM' : '32-bit float') + ', '
                        + material.sampleRate + ' Hz, ' + (material.channels.length === 1 ? 'mono' : 'stereo') + ') in ' + seconds + ' s.' + clipped);
            }
            else if (data.type === 'error')
            {
                finish ('');
                this.showMessage ('The file could not be rendered: ' + data.message);
            }
        };
        worker.onerror = event => {
            finish ('');
            this.showMessage ('The file could not be rendered: ' + (event.message || 'the render stopped'));
        };

        const channels = material.channels.map (c => c.slice());
        withEngine (this.module, engine => worker.postMessage ({ module: engine, channels, sampleRate: material.sampleRate,
                                                                 setting: this.controls.setting(), bits },
                                                               channels.map (c => c.buffer)));
    }

    offerDownload (bytes, name)
    {
        const url = URL.createObjectURL (new Blob ([bytes], { type: 'audio/wav' }));
        const link = document.createElement ('a');
        link.href = url;
        link.download = name;
        link.hidden = true;
        document.body.append (link);
        link.click();
        link.remove();

        // Some browsers read the address after the click returns.
        setTimeout (() => URL.revokeObjectURL (url), 60000);
    }

    // The canvas holds the window at the display's scale, from the artwork for it, loaded when
    // a screen first asks for it (the window moved to another screen, or the page zoomed).
    async watchScale()
    {
        const scale = window.devicePixelRatio || 1;
        this.canvas.width = Math.round (layout.width * scale);
        this.canvas.height = Math.round (layout.height * scale);
        this.scale = this.canvas.width / layout.width;
        this.dirty = true;
        matchMedia ('(resolution: ' + scale + 'dppx)').addEventListener ('change', () => this.watchScale(), { once: true });

        if (! hasImages (this.view.images, this.scale > 1))
        {
            Object.assign (this.view.images, await loadImages (this.scale > 1));
            this.dirty = true;
        }
    }

    drawIfNeeded()
    {
        if (! this.dirty || ! hasImages (this.view.images, this.scale > 1))
            return;

        this.dirty = false;
        this.view.draw (this.context, this.scale);
    }
}

async function start()
{
    try
    {
        const response = await fetch (new URL ('tavine-engine.wasm', import.meta.url));

        if (! response.ok)
            throw new Error ('the engine is not where the page expects it (' + response.status + ')');

        const bytes = await response.arrayBuffer();
        const compiled = await WebAssembly.compile (bytes);
        const module = await loadTavine (compiled);
        Object.assign (module, { compiled, bytes });
        const images = await loadImages ((window.devicePixelRatio || 1) > 1);
        element ('message').textContent = '';
        window.tavinePage = new Page (module, images);
        document.body.dataset.ready = 'true';
    }
    catch (error)
    {
        // Opened from the disk, the notice the page began with says why.
        if (location.protocol !== 'file:')
            element ('message').textContent = 'Tavine could not start in this browser: ' + error.message;
    }
}

start();
