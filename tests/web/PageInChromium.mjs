// The web page (web/index.html) in Debian's headless Chromium, as a user meets it: it loads
// with no console error and no request beyond the local server; its knobs and x2 answer the
// mouse, the keys and the accessibility tree as the plug-in's do; a file opens at its own
// rate, and one the browser cannot decode gets a message and changes nothing; the file its
// download button gives holds tavine-render's samples of the same file, bit for bit; the
// window after that render looks as tavine_snapshot draws it; and it plays.
//
//   node PageInChromium.mjs SITE_DIR TAVINE_RENDER TAVINE_SNAPSHOT
import assert from 'node:assert/strict';
import { execFileSync, spawn } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';

import { openSite } from './LocalSite.mjs';
import { material, tavineRender, writeFloatWav } from './Material.mjs';
import { readWav } from './WavReading.mjs';

const [siteDir, renderPath, snapshotPath] = process.argv.slice (2);
const work = fs.mkdtempSync (path.join (os.tmpdir(), 'tavine-page-'));
const site = await openSite (siteDir, work);
const demoSetting = { red: 0.6, green: 0.5, blue: 0.7 };

// The window after a render may differ from the snapshot's by a few levels where the artwork's
// translucent edges blend (as in WindowMatchesPicture.mjs). In the history panel, bars may
// also end a pixel higher or lower: the page renders in tavine-render's blocks of 512 and runs
// on by the latency, the snapshot in blocks of 441 and not, so the panels tick at other moments
// of the phrase and their ranges settle a little apart (measured: 1.3 % of the panel's pixels
// more than 4 levels off at scale 1).
const nearAllowed = 4, windowShare = 0.01, historyShare = 0.02;

const bytesOf = file => { const b = fs.readFileSync (file); return b.buffer.slice (b.byteOffset, b.byteOffset + b.byteLength); };

const render = (input, output, setting, ...options) => tavineRender (renderPath, input, output, setting, ...options);

async function openPage (options = {})
{
    const page = await site.newPage (options);
    await page.goto (site.origin + '/index.html');
    await page.waitForSelector ('body[data-ready]', { timeout: 30000 });
    return page;
}

// A file opened from the page's picker, once the page says it plays it.
async function openFile (page, file)
{
    await page.setInputFiles ('#file', file);
    await page.waitForFunction (name => document.getElementById ('material').textContent.startsWith (name + ':'), path.basename (file));
}

// The page's download, saved into the work folder under the name the page offers.
async function download (page, bits)
{
    await page.selectOption ('#bits', String (bits));
    const [offered] = await Promise.all ([page.waitForEvent ('download', { timeout: 120000 }), page.click ('#render')]);
    const file = path.join (work, 'downloaded-' + offered.suggestedFilename());
    await offered.saveAs (file);
    return { name: offered.suggestedFilename(), file };
}

// A screenshot of the window's canvas, which the browser puts on whole pixels wherever the
// text above it leaves it.
async function windowShot (page)
{
    const box = await page.locator ('#face').boundingBox();
    return page.screenshot ({ clip: { x: Math.round (box.x), y: Math.round (box.y), width: 450, height: 300 } });
}

const checks = [];
const check = (name, run) => checks.push ({ name, run });

check ('served as the README says it starts, and opened from the disk it says to serve it', async () => {
    const port = 18000 + (process.pid % 1000);
    const server = spawn ('python3', ['-m', 'http.server', '--directory', siteDir, '--bind', '127.0.0.1', String (port)], { stdio: 'ignore' });

    try
    {
        const page = await site.newPage ({}, false);
        const problems = [];
        page.on ('console', message => { if (message.type() === 'error') problems.push (message.text()); });
        page.on ('pageerror', error => problems.push (error.message));

        for (let attempt = 0; ; ++attempt)
        {
            try
            {
                await page.goto ('http://127.0.0.1:' + port + '/');
                break;
            }
            catch (error)
            {
                if (attempt === 50)
                    throw error;

                await new Promise (resolve => setTimeout (resolve, 100));
            }
        }

        await page.waitForSelector ('body[data-ready]', { timeout: 30000 });
        assert.deepEqual (problems, []);
        assert.equal (await page.textContent ('#message'), '');

        await page.goto ('file://' + path.resolve (siteDir, 'index.html'));
        await page.waitForTimeout (500);
        assert.match (await page.textContent ('#message'), /Serve the folder instead: python3 -m http\.server/);
        await page.close();
    }
    finally
    {
        server.kill();
    }
});

// What a visitor's browser fetches, at each display scale: a few hundred kilobytes, where the
// larger artwork only comes to high-density screens.
check ('the page is small to fetch', async () => {
    for (const scale of [1, 2])
    {
        const page = await site.newPage ({ deviceScaleFactor: scale });
        const sizes = new Map();
        page.on ('response', async response => { sizes.set (response.url(), (await response.body()).length); });
        await page.goto (site.origin + '/index.html');
        await page.waitForSelector ('body[data-ready]', { timeout: 30000 });
        await page.waitForLoadState ('networkidle');
        const total = [...sizes.values()].reduce ((a, b) => a + b, 0);
        const largest = [...sizes].sort ((a, b) => b[1] - a[1]).slice (0, 3).map (([url, bytes]) => path.basename (url) + ' ' + Math.round (bytes / 1024) + ' kB');
        console.log ('  at scale ' + scale + ': ' + sizes.size + ' files, ' + Math.round (total / 1024) + ' kB; the largest ' + largest.join (', '));
        assert.ok (total < 3 * 1024 * 1024, 'the page fetches ' + total + ' bytes');
        await page.close();
    }
});

check ('the window after rendering the demo looks as tavine_snapshot draws it', async () => {
    for (const scale of [1, 2])
    {
        const snapshot = path.join (work, 'snapshot-' + scale + '.png');
        execFileSync (snapshotPath, [snapshot, '--scale', String (scale)], { stdio: ['ignore', 'ignore', 'inherit'] });

        const page = await openPage ({ deviceScaleFactor: scale });
        await download (page, 32);
        await page.waitForFunction (() => ! window.tavinePage.rendering);
        const shot = await windowShot (page);
        const panel = { x: 31 * scale, y: 35 * scale, width: 388 * scale, height: 150 * scale };
        const [window, history] = await page.evaluate (async ([shotUrl, referenceUrl, threshold, panel]) => {
            const { difference, loadImage } = await import ('/test/PixelDifference.mjs');
            const ours = await loadImage (shotUrl), theirs = await loadImage (referenceUrl);
            return [difference (ours, theirs, { threshold, skip: panel }), difference (ours, theirs, { threshold, only: panel })];
        }, ['data:image/png;base64,' + shot.toString ('base64'), '/files/snapshot-' + scale + '.png', nearAllowed, panel]);
        await page.close();

        assert.deepEqual ([window.width, window.height, window.referenceWidth, window.referenceHeight], [450, 300, 450, 300].map (n => n * scale),
                          'the screenshot\'s and the snapshot\'s sizes at scale ' + scale);
        console.log ('  at scale ' + scale + ': ' + window.differing + ' of ' + window.pixels + ' pixels around the history panel differ, by at most '
                     + window.largest + ' levels; in it, ' + history.beyond + ' of ' + history.pixels + ' by more than ' + nearAllowed);
        assert.ok (window.largest <= nearAllowed && window.differing <= windowShare * window.pixels,
                   window.differing + ' pixels around the panel differ, by up to ' + window.largest + ', first at ' + JSON.stringify (window.where));
        assert.ok (history.beyond <= historyShare * history.pixels, history.beyond + ' pixels of the panel differ by more than ' + nearAllowed);
    }
});

const knobNames = ['warm (red)', 'space (green)', 'punch (blue)'];

// What Chromium's accessibility tree holds for the window's controls: role, name, the value a
// screen reader reads (the slider's number) and whether x2 is pressed.
async function accessibleControls (page)
{
    const cdp = await page.context().newCDPSession (page);
    const { nodes } = await cdp.send ('Accessibility.getFullAXTree');
    await cdp.detach();
    const property = (node, name) => node.properties?.find (p => p.name === name)?.value.value;
    return nodes.filter (n => ['slider', 'button'].includes (n.role?.value) && (knobNames.includes (n.name?.value) || n.name?.value === 'x2'))
                .map (n => ({ role: n.role.value, name: n.name.value, value: n.value?.value, pressed: property (n, 'pressed') }));
}

check ('the knobs and x2 answer the keys, the mouse and the accessibility tree as the plug-in\'s do', async () => {
    const page = await openPage();
    const valueText = name => page.getByRole ('slider', { name }).getAttribute ('aria-valuetext');
    const texts = () => Promise.all (knobNames.map (valueText));
    const engineSetting = () => page.evaluate (() => window.tavinePage.player.parameters);
    const f = Math.fround;

    assert.deepEqual (await accessibleControls (page), [
        { role: 'slider', name: 'warm (red)', value: f (0.6), pressed: undefined },
        { role: 'slider', name: 'space (green)', value: 0.5, pressed: undefined },
        { role: 'slider', name: 'punch (blue)', value: f (0.7), pressed: undefined },
        { role: 'button', name: 'x2', value: undefined, pressed: 'false' },
    ]);
    assert.deepEqual (await texts(), ['0.60', '0.50', '0.70']);

    // The keys, on the first control Tab reaches; the focus mark shows, as focus came from Tab.
    await page.keyboard.press ('Tab');
    assert.equal (await page.evaluate (() => document.activeElement.getAttribute ('aria-label')), 'warm (red)');
    assert.equal (await page.evaluate (() => window.tavinePage.view.focus), 0, 'no focus mark on the knob Tab reached');
    const afterKeys = [];

    for (const key of ['ArrowUp', 'ArrowRight', 'ArrowDown', 'ArrowLeft', 'ArrowLeft', 'PageUp', 'PageDown', 'PageDown', 'Shift+ArrowUp',
                       'Control+End', 'End', 'ArrowUp', 'PageUp', 'Home', 'ArrowDown', 'End', 'Delete', 'End', 'Backspace'])
    {
        await page.keyboard.press (key);
        afterKeys.push (await valueText ('warm (red)'));
    }

    assert.deepEqual (afterKeys, ['0.61', '0.62', '0.61', '0.60', '0.59', '0.69', '0.59', '0.49', '0.49',
                                  '0.49', '1.00', '1.00', '1.00', '0.00', '0.00', '1.00', '0.00', '1.00', '0.00']);

    // Tab goes round the knobs to x2, which Space and Enter switch.
    await page.keyboard.press ('Tab');
    await page.keyboard.press ('Tab');
    await page.keyboard.press ('Tab');
    assert.equal (await page.evaluate (() => document.activeElement.id), 'x2');
    assert.equal (await page.evaluate (() => window.tavinePage.view.focus), 'x2');
    await page.keyboard.press ('Space');
    assert.equal ((await accessibleControls (page))[3].pressed, 'true');
    await page.keyboard.press ('Enter');
    assert.equal ((await accessibleControls (page))[3].pressed, 'false');

    // The mouse: a vertical drag of 250 pixels spans the range, sideways does nothing, a double
    // click returns to 0; the value shows in the bubble while the drag goes on.
    const centre = async name => {
        const box = await page.getByRole ('slider', { name }).boundingBox();
        return { x: box.x + box.width / 2, y: box.y + box.height / 2 };
    };
    const drag = async (name, dx, dy, during = null) => {
        const { x, y } = await centre (name);
        await page.mouse.move (x, y);
        await page.mouse.down();
        await page.mouse.move (x + dx, y + dy, { steps: 8 });
        const seen = during !== null ? await during() : null;
        await page.mouse.up();
        return seen;
    };

    const bubble = await drag ('space (green)', 0, 100, () => page.evaluate (() => window.tavinePage.view.bubble));
    assert.deepEqual (bubble, { knob: 1, text: '0.10' });
    assert.equal (await valueText ('space (green)'), '0.10', 'a drag of 100 pixels down from 0.5');
    await drag ('space (green)', 120, 0);
    assert.equal (await valueText ('space (green)'), '0.10', 'a drag sideways');
    await drag ('space (green)', 0, -50);
    assert.equal (await valueText ('space (green)'), '0.30', 'a drag of 50 pixels up');
    await drag ('space (green)', 0, -400);
    assert.equal (await valueText ('space (green)'), '1.00', 'a drag past the top');
    assert.equal (await page.evaluate (() => window.tavinePage.view.focus), null, 'a focus mark after a click');

    const punch = await centre ('punch (blue)');
    await page.mouse.dblclick (punch.x, punch.y);
    assert.equal (await valueText ('punch (blue)'), '0.00', 'a double click');
    await page.mouse.move (punch.x, punch.y);
    await page.mouse.wheel (0, -100);
    await page.waitForFunction (() => document.querySelectorAll ('.knob')[2].getAttribute ('aria-valuetext') !== '0.00');
    assert.equal (await valueText ('punch (blue)'), '0.03', 'one notch of the wheel up');

    await page.click ('#x2');
    assert.equal ((await accessibleControls (page))[3].pressed, 'true');

    // What the engine is given is what the controls show.
    const setting = await engineSetting();
    assert.deepEqual ([setting.red, setting.green, setting.blue, setting.x2, setting.bypassed], [0, 1, f (0.15 * 50 / 256), 1, false]);
    await page.close();
});

check ('a file opens at its own rate, and one the browser cannot decode changes nothing', async () => {
    const page = await openPage();
    const shown = () => page.textContent ('#material');
    const input = path.join (work, 'source.wav');
    writeFloatWav (input, material (44100, 2, 2), 44100);

    // The same sound in other containers and at other rates, through tavine-render's bypass.
    for (const [name, rate] of [['high.flac', 96000], ['low.ogg', 22050], ['voice.mp3', 32000]])
    {
        const resampled = path.join (work, 'at-' + rate + '.wav');
        writeFloatWav (resampled, material (rate, 2, 2), rate);
        render (resampled, path.join (work, name), { red: 0, green: 0, blue: 0, x2: false }, '--automate', 'bypass:on@0');
        await openFile (page, path.join (work, name));
        assert.match (await shown(), new RegExp ('^' + name.replace ('.', '\\.') + ': 0:02\\.\\d, stereo, ' + rate + ' Hz, '), 'the file\'s description');
        assert.equal (await page.evaluate (() => window.tavinePage.material.sampleRate), rate, name + ' was not decoded at its own rate');
    }

    const before = await shown();
    const broken = path.join (work, 'broken.mp3');
    fs.writeFileSync (broken, Buffer.from (Array.from ({ length: 4096 }, (_, i) => (i * 7919) % 251)));
    await page.setInputFiles ('#file', broken);
    await page.waitForFunction (() => document.getElementById ('message').textContent !== '');
    assert.match (await page.textContent ('#message'), /^“broken\.mp3” could not be opened: this browser cannot decode it\./);
    assert.equal (await shown(), before, 'an undecodable file changed what plays');

    const surround = path.join (work, 'surround.wav');
    writeFloatWav (surround, material (48000, 3, 0.5), 48000);
    await page.setInputFiles ('#file', surround);
    await page.waitForFunction (() => document.getElementById ('message').textContent.startsWith ('“surround'));
    assert.match (await page.textContent ('#message'), /has 3 channels: Tavine processes mono and stereo sound/);
    assert.equal (await shown(), before);

    // And the page goes on working: a good file dropped on the page opens and clears the message.
    await page.evaluate (async () => {
        const bytes = await (await fetch ('/files/source.wav')).arrayBuffer();
        const carrying = new DataTransfer();
        carrying.items.add (new File ([bytes], 'dropped.wav', { type: 'audio/wav' }));
        document.getElementById ('face').dispatchEvent (new DragEvent ('drop', { dataTransfer: carrying, bubbles: true, cancelable: true }));
    });
    await page.waitForFunction (() => document.getElementById ('material').textContent.startsWith ('dropped.wav'));
    assert.equal (await page.textContent ('#message'), '');
    assert.match (await shown(), /^dropped\.wav: 0:02\.0, stereo, 44100 Hz, WAV$/);
    await page.close();
});

check ('the downloaded file holds tavine-render\'s samples, mono and stereo, at 44.1 and 48 kHz', async () => {
    const page = await openPage();

    for (const rate of [44100, 48000])
    {
        for (const count of [1, 2])
        {
            const label = (count === 1 ? 'mono' : 'stereo') + ' at ' + rate + ' Hz';
            const input = path.join (work, 'song-' + count + '-' + rate + '.wav');
            writeFloatWav (input, material (rate, count), rate);
            await openFile (page, input);

            // x2 on for stereo, off for mono, and the red knob a step up from the keys.
            const x2 = count === 2;

            if (x2 !== await page.evaluate (() => window.tavinePage.view.x2))
                await page.click ('#x2');

            await page.focus ('.knob');
            await page.keyboard.press (rate === 48000 ? 'ArrowUp' : 'ArrowDown');
            const setting = await page.evaluate (() => window.tavinePage.controls.setting());

            for (const bits of count === 2 && rate === 48000 ? [32, 24] : [32])
            {
                const { name, file } = await download (page, bits);
                assert.equal (name, path.basename (input, '.wav') + ' (Tavine).wav');
                const native = path.join (work, 'native-' + bits + '.wav');
                render (input, native, { ...setting, x2 }, ...(bits === 24 ? ['--bits', '24', '--no-dither'] : []));

                const ours = readWav (bytesOf (file)), theirs = readWav (bytesOf (native));
                assert.equal (ours.rate, rate, label + ': the download\'s rate');
                assert.equal (ours.channels.length, count, label + ': the download\'s channels');
                assert.deepEqual (ours.channels, theirs.channels, label + ', ' + bits + '-bit: the download holds other samples than tavine-render\'s');
                console.log ('  ' + label + ', ' + bits + '-bit: ' + ours.channels[0].length * count + ' samples as tavine-render\'s');
            }
        }
    }

    await page.close();
});

check ('it plays: the rings move, the history scrolls, and A/B and the level match take effect', async () => {
    const page = await openPage();
    const state = () => page.evaluate (() => ({ rings: window.tavinePage.view.ringLevels, levels: Array.from (window.tavinePage.view.history.levels.slice (0, 40)),
                                               playing: window.tavinePage.player.playing, time: document.getElementById ('time').textContent,
                                               bypassed: window.tavinePage.player.parameters.bypassed,
                                               gain: window.tavinePage.player.graph?.levelMatch.gain.value ?? null }));
    await page.click ('#play');
    await page.waitForFunction (() => window.tavinePage.view.ringLevels.some (level => level > 0), null, { timeout: 10000 });
    const early = await state();
    await page.waitForTimeout (1000);
    const later = await state();

    assert.ok (later.playing && later.rings.some (level => level > 0), 'the rings stay at rest');
    assert.notDeepEqual (later.levels, early.levels, 'the history did not scroll');
    assert.notEqual (later.time.split (' / ')[0], '0:00.0', 'the position did not move');
    assert.match (await page.textContent ('#latency'), /^Tavine adds 512 samples of latency \(11\.6 ms at 44100 Hz\)/);

    await page.check ('#match');
    await page.waitForTimeout (1500);
    const matched = await state();
    assert.ok (Math.abs (matched.gain - 1) > 0.01, 'the level match left the gain at ' + matched.gain);

    await page.check ('input[value=original]');
    await page.waitForTimeout (1000);
    const original = await state();
    assert.equal (original.bypassed, true);
    assert.ok (Math.abs (original.gain - 1) < 0.01, 'the original is not at its own level: ' + original.gain);

    await page.click ('#play');
    const paused = await state();
    await page.waitForTimeout (300);
    assert.equal (paused.playing, false);
    assert.equal ((await state()).time, paused.time, 'the position moves while paused');

    // A short file plays to its end and stops, or, looped, goes round.
    const short = path.join (work, 'short.wav');
    writeFloatWav (short, material (44100, 1, 0.6), 44100);
    await openFile (page, short);
    await page.uncheck ('#loop');
    await page.click ('#play');
    await page.waitForFunction (() => ! window.tavinePage.player.playing, null, { timeout: 5000 });
    assert.equal (await page.textContent ('#play'), 'Play');
    await page.check ('#loop');
    await page.click ('#play');
    await page.waitForTimeout (1500);
    const looped = await state();
    assert.ok (looped.playing, 'a looped file stopped');
    assert.match (looped.time, /^0:00\.\d \/ 0:00\.6$/, 'the position of a looped file');

    // Another file of the same rate and channels, opened while playing, is what plays next.
    const silent = path.join (work, 'silent.wav');
    writeFloatWav (silent, [new Float32Array (44100)], 44100);
    await openFile (page, silent);
    await page.waitForTimeout (300);
    await startRecording (page);
    await page.waitForTimeout (500);
    const heard = await stopRecording (page);
    const level = Math.sqrt (heard.reduce ((sum, x) => sum + x * x, 0) / heard.length);
    assert.ok (heard.length > 0.3 * 44100 && level < 1e-4, 'after opening a silent file, ' + heard.length + ' samples at an RMS of ' + level);
    assert.ok (await page.evaluate (() => window.tavinePage.player.playing), 'opening a file while playing stopped playback');
    await page.close();
});

// What the page plays, as it leaves for the speakers: the first channel, recorded by a worklet
// of the test's own from now until stopRecording.
async function startRecording (page)
{
    await page.evaluate (async () => {
        const { context, levelMatch } = window.tavinePage.player.graph;
        await context.audioWorklet.addModule ('/test/Recorder.mjs');
        const recorder = new AudioWorkletNode (context, 'recorder', { channelCount: 1, channelCountMode: 'explicit', processorOptions: { seconds: 10 } });
        levelMatch.connect (recorder).connect (context.destination);
        window.testRecorder = recorder;
    });
}

async function stopRecording (page)
{
    return page.evaluate (async () => {
        const recorder = window.testRecorder;
        const samples = await new Promise (resolve => { recorder.port.onmessage = ({ data }) => resolve (data); recorder.port.postMessage ('stop'); });
        recorder.disconnect();
        return Array.from (samples);
    });
}

check ('pausing, playing and moving the position are not heard as clicks', async () => {
    // A tone, listened to as the original: what comes out is the tone itself, so that anything
    // but a smooth change shows in the residual of the tone's own prediction,
    // x[n] - 2 cos (w) x[n-1] + x[n-2], which is 0 for a steady sine.
    const rate = 44100, hz = 1000, amplitude = 0.5;
    const tone = path.join (work, 'tone.wav');
    writeFloatWav (tone, [Float32Array.from ({ length: rate * 4 }, (_, i) => amplitude * Math.sin (2 * Math.PI * hz * i / rate))], rate);

    const page = await openPage();
    await openFile (page, tone);
    await page.check ('input[value=original]');
    await page.click ('#play');
    await page.waitForFunction (() => window.tavinePage.player.source !== null);

    await startRecording (page);
    await page.evaluate (async () => {
        const wait = ms => new Promise (resolve => setTimeout (resolve, ms));

        await wait (400);
        document.getElementById ('play').click(); // pause
        await wait (400);
        document.getElementById ('play').click(); // play on
        await wait (400);
        // Moved as a user moves it: the position bar, dragged to a place and let go.
        const moveTo = seconds => {
            const bar = document.getElementById ('position');
            bar.value = String (seconds);
            bar.dispatchEvent (new Event ('input'));
            bar.dispatchEvent (new Event ('change'));
        };

        moveTo (2.5);
        await wait (400);
        moveTo (0.25);
        await wait (400);
    });
    const recording = await stopRecording (page);
    await page.close();

    const c = 2 * Math.cos (2 * Math.PI * hz / rate);
    let largest = 0, at = 0, quiet = 0;

    for (let n = 2; n < recording.length; ++n)
    {
        const residual = Math.abs (recording[n] - c * recording[n - 1] + recording[n - 2]);

        if (residual > largest)
            largest = residual, at = n;

        quiet += Math.abs (recording[n]) < 1e-4 ? 1 : 0;
    }

    // The pause is there (a stretch of silence), and every change is smooth: a cut would leave
    // a residual near the tone's amplitude; the page's 5 ms fades leave well under 1 % of it.
    console.log ('  ' + (recording.length / rate).toFixed (2) + ' s recorded, ' + (quiet / rate).toFixed (2) + ' s of it silent; the largest residual '
                 + (20 * Math.log10 (largest / amplitude)).toFixed (1) + ' dB from the tone, at ' + (at / rate).toFixed (3) + ' s');
    assert.ok (quiet > 0.2 * rate, 'the pause was not heard');
    assert.ok (largest < 0.01 * amplitude, 'a click of ' + largest + ' at ' + (at / rate).toFixed (3) + ' s');
});

let failures = 0;

try
{
    for (const { name, run } of checks)
    {
        try
        {
            await run();
            console.log ('ok: ' + name);
        }
        catch (error)
        {
            console.error ('FAIL: ' + name + ': ' + error.message);
            ++failures;
        }
    }

    try
    {
        assert.deepEqual (site.problems, []);
    }
    catch (error)
    {
        console.error ('FAIL: the pages had problems: ' + error.message);
        ++failures;
    }
}
finally
{
    await site.close();
    fs.rmSync (work, { recursive: true, force: true });
}

process.exit (failures === 0 ? 0 : 1);
