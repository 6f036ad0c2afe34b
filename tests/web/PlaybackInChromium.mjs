// The web engine plays live in Debian's Chromium (headless, with its fake audio output): an
// audio worklet runs it on a tone, reports the latency it adds, and sends meters that move and
// a history that scrolls, with no console error and no request beyond the local server.
//
//   node PlaybackInChromium.mjs SITE_DIR
import assert from 'node:assert/strict';

import { openSite } from './LocalSite.mjs';

const site = await openSite (process.argv[2]);
let failed = false;

try
{
    const page = await site.newPage();
    await page.goto (site.origin + '/test/playback.html');
    await page.waitForFunction (() => window.playback !== undefined, null, { timeout: 30000 });
    const playback = await page.evaluate (() => window.playback);

    assert.deepEqual (site.problems, []);
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
    await site.close();
}

process.exit (failed ? 1 : 0);
