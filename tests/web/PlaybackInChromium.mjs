// The web engine plays live in Debian's Chromium (headless, with its fake audio output): an
// audio worklet runs it on a tone, reports the latency it adds, and sends meters that move and
// a history that scrolls, with no console error and no request beyond the local server.
//
//   node PlaybackInChromium.mjs SITE_DIR
import assert from 'node:assert/strict';
import fs from 'node:fs';
import http from 'node:http';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

import { chromium } from 'playwright-core';

const site = path.resolve (process.argv[2]);
const here = path.dirname (fileURLToPath (import.meta.url));
const types = { '.html': 'text/html', '.mjs': 'text/javascript', '.js': 'text/javascript', '.wasm': 'application/wasm', '.png': 'image/png' };

// The site at /, this folder's pages under /test/.
const server = http.createServer ((request, response) => {
    const url = new URL (request.url, 'http://127.0.0.1');
    const file = url.pathname.startsWith ('/test/') ? path.join (here, url.pathname.slice (6)) : path.join (site, url.pathname);
    const root = url.pathname.startsWith ('/test/') ? here : site;

    if (! file.startsWith (root + path.sep) || ! fs.existsSync (file) || ! fs.statSync (file).isFile())
    {
        response.writeHead (404).end();
        return;
    }

    response.writeHead (200, { 'Content-Type': types[path.extname (file)] ?? 'application/octet-stream' });
    fs.createReadStream (file).pipe (response);
});

await new Promise (resolve => server.listen (0, '127.0.0.1', resolve));
const origin = 'http://127.0.0.1:' + server.address().port;
const browser = await chromium.launch ({ executablePath: '/usr/bin/chromium', args: ['--autoplay-policy=no-user-gesture-required'] });
let failed = false;

try
{
    const page = await browser.newPage();
    const problems = [];
    page.on ('console', message => { if (message.type() === 'error') problems.push ('console: ' + message.text() + ' ' + JSON.stringify (message.location())); });
    page.on ('pageerror', error => problems.push ('page: ' + error.message));
    page.on ('response', response => { if (response.status() >= 400) problems.push ('HTTP ' + response.status() + ': ' + response.url()); });
    page.on ('request', request => { if (! request.url().startsWith (origin + '/')) problems.push ('request outside the server: ' + request.url()); });

    await page.goto (origin + '/test/playback.html');
    await page.waitForFunction (() => window.playback !== undefined, null, { timeout: 30000 });
    const playback = await page.evaluate (() => window.playback);

    assert.deepEqual (problems, []);
    assert.equal (playback.failure, null);
    assert.equal (playback.state, 'running', 'the audio context did not run');
    assert.ok (playback.ready !== null, 'the engine never got ready');
    assert.equal (playback.ready.latency, playback.sampleRate >= 88200 ? 1024 : 512, 'the latency for ' + playback.sampleRate + ' Hz');

    // About 30 displays a second; the tone reaches the meters after the latency.
    assert.ok (playback.displays.length >= 20, 'only ' + playback.displays.length + ' displays in 1.5 s');
    const first = playback.displays[0], last = playback.displays.at (-1);
    assert.ok (last.meters.some (meter => meter > 0), 'the meters did not move: ' + last.meters);
    assert.ok (last.history.levels[0] > 0, 'the history has no level for the tone');
    assert.notDeepEqual (Array.from (first.history.levels.slice (0, 10)), Array.from (last.history.levels.slice (0, 10)), 'the history did not scroll');

    console.log ('live in Chromium at ' + playback.sampleRate + ' Hz: latency ' + playback.ready.latency + ' frames, '
                 + playback.displays.length + ' displays, meters ' + last.meters.map (m => m.toFixed (3)).join (' '));
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
}

process.exit (failed ? 1 : 0);
