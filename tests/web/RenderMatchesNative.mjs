// The web engine renders a file as tavine-render does: the same input and setting give the same
// samples, bit for bit, and the same history of levels and meter shares, mono and stereo, at
// 44.1 and 48 kHz; and the page's files hold them as tavine-render's do, as 32-bit floats and
// as 24-bit integers rounded without dither; and the demo phrase is the same too. Both builds
// do the engine's arithmetic operation for operation (no fused multiply-add, no fast maths, the
// vector code's scalar forms in WebAssembly), and the maths libraries agree on the few
// functions the designs and the phrase call.
//
//   node RenderMatchesNative.mjs ENGINE.wasm TAVINE_RENDER
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';

import { loadTavine, renderOffline } from '../../web/TavineEngine.mjs';
import { encodeWav } from '../../web/WavFile.mjs';

import { material, tavineRender, writeFloatWav } from './Material.mjs';
import { readWav as readWavBytes } from './WavReading.mjs';

const [wasmPath, renderPath] = process.argv.slice (2);
const module = await loadTavine (fs.readFileSync (wasmPath));
const work = fs.mkdtempSync (path.join (os.tmpdir(), 'tavine-web-'));
const setting = { red: 0.6, green: 0.5, blue: 0.7, x2: 1 };

/** The samples of a WAV file of 32-bit floats, or of 24-bit integers as numbers of steps. */
function readWav (file)
{
    const bytes = fs.readFileSync (file);
    return readWavBytes (bytes.buffer.slice (bytes.byteOffset, bytes.byteOffset + bytes.byteLength));
}

function nativeRender (input, rate)
{
    const inFile = path.join (work, 'in.wav'), meters = path.join (work, 'meters.csv');
    const floats = path.join (work, 'out.wav'), integers = path.join (work, 'out-24.wav');
    writeFloatWav (inFile, input, rate);
    const render = (output, ...options) => tavineRender (renderPath, inFile, output, setting, ...options);
    render (floats, '--meters', meters);
    render (integers, '--bits', '24', '--no-dither');
    const rows = fs.readFileSync (meters, 'utf8').trim().split ('\n').slice (1).map (line => line.split (',').map (Number));
    return { ...readWav (floats), integers: readWav (integers).channels, rows };
}

// What the page's download holds, read back as a player would.
function pageFile (channels, rate, bits)
{
    const file = path.join (work, 'page-' + bits + '.wav');
    fs.writeFileSync (file, encodeWav (channels, rate, bits).bytes);
    const read = readWav (file);
    assert.equal (read.rate, rate, 'the page wrote the wrong rate');
    return read.channels;
}

let failures = 0;

for (const rate of [44100, 48000])
{
    for (const count of [1, 2])
    {
        const label = (count === 1 ? 'mono' : 'stereo') + ' at ' + rate + ' Hz';
        const input = material (rate, count);
        const native = nativeRender (input, rate);

        const { channels: web, history } = renderOffline (module, input, rate, setting);

        try
        {
            assert.equal (native.channels.length, count, label + ': tavine-render changed the channel count');
            let largest = 0, exact = 0;

            for (let c = 0; c < count; ++c)
            {
                assert.equal (web[c].length, native.channels[c].length, label + ': lengths differ');

                for (let i = 0; i < web[c].length; ++i)
                {
                    const difference = Math.abs (web[c][i] - native.channels[c][i]);
                    largest = Math.max (largest, difference);
                    exact += difference === 0 ? 1 : 0;
                }
            }

            assert.equal (exact, count * web[0].length, label + ': ' + (count * web[0].length - exact) + ' samples differ, by up to ' + largest);

            // The CSV's rows run oldest first, with levels to 7 decimals and shares of 255 to 4.
            const newest = native.rows.slice (-history.levels.length).reverse();

            newest.forEach (([, level, steadiness, density, transients], i) => {
                assert.ok (Math.abs (history.levels[i] - level) <= 1e-6 + 1e-5 * level, label + ': history level ' + i + ' differs');
                const code = history.colours[i];
                assert.deepEqual ([(code >> 8) & 0xff, code & 0xff, (code >> 16) & 0xff].map (share => (share / 255).toFixed (4)),
                                  [steadiness, density, transients].map (share => share.toFixed (4)), label + ': history colour ' + i + ' differs');
            });

            assert.deepEqual (pageFile (web, rate, 32), native.channels, label + ': the page\'s float file holds other samples');
            assert.deepEqual (pageFile (web, rate, 24), native.integers, label + ': the page\'s 24-bit file holds other samples');

            console.log (label + ': ' + exact + ' samples bit for bit, ' + newest.length + ' history points the same, '
                         + 'and the page\'s float and 24-bit files hold what tavine-render\'s do');
        }
        catch (error)
        {
            console.error ('FAIL: ' + error.message);
            ++failures;
        }
    }
}

// The page's demo phrase, which it plays without a file of the user's, is tavine-render's, and
// renders at the demo's setting as tavine-render --demo renders it.
try
{
    const demo = path.join (work, 'demo');
    execFileSync (renderPath, ['--demo', '--demo-dir', demo, '--quiet'], { stdio: ['ignore', 'ignore', 'inherit'] });
    const phrase = module.demoPhrase (44100, 10);
    assert.deepEqual (phrase, readWav (path.join (demo, 'demo-input.wav')).channels, 'the demo phrase differs from tavine-render\'s');
    const { channels } = renderOffline (module, phrase, 44100, { red: 0.6, green: 0.5, blue: 0.7, x2: 0 });
    assert.deepEqual (channels, readWav (path.join (demo, 'demo-output.wav')).channels, 'the demo renders otherwise than tavine-render --demo');
    console.log ('the demo phrase and its render are tavine-render --demo\'s, bit for bit');
}
catch (error)
{
    console.error ('FAIL: ' + error.message);
    ++failures;
}

fs.rmSync (work, { recursive: true, force: true });
process.exit (failures === 0 ? 0 : 1);
