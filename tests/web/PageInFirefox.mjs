// The web page in a second browser, Debian's Firefox ESR (headless, driven over WebDriver BiDi by
// npm's puppeteer-core, pinned beside playwright-core; no browser is downloaded): another
// JavaScript engine, another WebAssembly compiler, another audio stack and other decoders. The
// page loads with no console error and nothing fetched from elsewhere; the keys move a knob
// and switch x2; a FLAC file opens at its own 96 kHz; the page's download holds tavine-render's
// samples bit for bit; and it plays, the rings moving.
//
//   node PageInFirefox.mjs SITE_DIR TAVINE_RENDER
import assert from 'node:assert/strict';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';

import puppeteer from 'puppeteer-core';

import { serveSite } from './LocalSite.mjs';
import { material, tavineRender, writeFloatWav } from './Material.mjs';
import { readWav } from './WavReading.mjs';

const [siteDir, renderPath] = process.argv.slice (2);
const work = fs.mkdtempSync (path.join (os.tmpdir(), 'tavine-firefox-'));
const server = await serveSite (siteDir, work);
const browser = await puppeteer.launch ({ browser: 'firefox', executablePath: '/usr/bin/firefox-esr', headless: true,
                                          extraPrefsFirefox: { 'media.autoplay.default': 0 } });
const problems = [];
let failed = false;

const until = async (page, test, what, seconds = 30) => {
    for (const end = Date.now() + seconds * 1000; ! await page.evaluate (test);)
    {
        if (Date.now() > end)
            throw new Error ('waited in vain for ' + what);

        await new Promise (resolve => setTimeout (resolve, 100));
    }
};

try
{
    const page = await browser.newPage();
    page.on ('console', message => { if (message.type() === 'error') problems.push ('console: ' + message.text()); });
    page.on ('pageerror', error => problems.push ('page: ' + error.message));
    // What the page makes itself (its empty icon, the download's blob) is not fetched from anywhere.
    const local = url => url.startsWith (server.origin + '/') || url.startsWith ('data:') || url.startsWith ('blob:');
    page.on ('request', request => { if (! local (request.url())) problems.push ('request outside the server: ' + request.url()); });

    await page.goto (server.origin + '/index.html');
    await until (page, () => document.body.dataset.ready === 'true', 'the page to start');

    // The keys, from the first control Tab reaches.
    await page.keyboard.press ('Tab');
    await page.keyboard.press ('ArrowUp');
    await page.keyboard.press ('PageDown');
    assert.equal (await page.$eval ('.knob', knob => knob.getAttribute ('aria-valuetext')), '0.51');
    await page.focus ('#x2');
    await page.keyboard.press (' ');
    assert.equal (await page.$eval ('#x2', button => button.getAttribute ('aria-pressed')), 'true');

    // A FLAC file at 96 kHz, made by tavine-render's bypass from float material.
    const flacSource = path.join (work, 'source-96000.wav'), flac = path.join (work, 'high.flac');
    writeFloatWav (flacSource, material (96000, 2, 1), 96000);
    tavineRender (renderPath, flacSource, flac, { red: 0, green: 0, blue: 0, x2: 0 }, '--automate', 'bypass:on@0');
    const input = await page.$ ('#file');
    await input.uploadFile (flac);
    await until (page, () => document.getElementById ('material').textContent.startsWith ('high.flac'), 'the FLAC file to open');
    assert.match (await page.$eval ('#material', element => element.textContent), /^high\.flac: 0:01\.0, stereo, 96000 Hz, FLAC$/);

    // The download, taken where the page hands it to the browser, against tavine-render's.
    const song = path.join (work, 'song.wav'), native = path.join (work, 'native.wav');
    writeFloatWav (song, material (48000, 2), 48000);
    await input.uploadFile (song);
    await until (page, () => document.getElementById ('material').textContent.startsWith ('song.wav'), 'the WAV file to open');
    const setting = await page.evaluate (() => window.tavinePage.controls.setting());
    const bytes = await page.evaluate (async () => {
        const offered = new Promise (resolve => {
            const create = URL.createObjectURL;
            URL.createObjectURL = blob => { resolve (blob); return create (blob); };
        });
        document.getElementById ('bits').value = '32';
        document.getElementById ('render').click();
        return Array.from (new Uint8Array (await (await offered).arrayBuffer()));
    });
    tavineRender (renderPath, song, native, setting);
    const ours = readWav (new Uint8Array (bytes).buffer), theirs = readWav (new Uint8Array (fs.readFileSync (native)).buffer);
    assert.equal (ours.rate, 48000);
    assert.deepEqual (ours.channels, theirs.channels, 'Firefox\'s download holds other samples than tavine-render\'s');

    await page.click ('#play');
    await until (page, () => window.tavinePage.view.ringLevels.some (level => level > 0), 'the rings to move', 10);
    await page.close();

    assert.deepEqual (problems, []);
    console.log ('in ' + (await browser.version()) + ': the keys, FLAC at 96 kHz, ' + ours.channels[0].length * 2
                 + ' samples of the download as tavine-render\'s, and playback');
}
catch (error)
{
    console.error ('FAIL: ' + error.message);
    failed = true;
}
finally
{
    await browser.close();
    server.close();
    fs.rmSync (work, { recursive: true, force: true });
}

process.exit (failed ? 1 : 0);
