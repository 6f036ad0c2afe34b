// The window the web page draws (web/TavineWindow.mjs, in a canvas of Debian's Chromium) after a
// render looks as tavine-render's picture of the same render, at display scales 1 and 2: the
// same size, and no pixel further than 4 levels (of 255) from it in any channel, on at most 1 %
// of the pixels. What differs is the rounding of the artwork's translucent edges, which the
// browser blends otherwise than JUCE's software renderer (measured: 2 levels, on 0.3 % of them).
//
//   node WindowMatchesPicture.mjs SITE_DIR TAVINE_RENDER
import assert from 'node:assert/strict';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';

import { openSite } from './LocalSite.mjs';
import { material, tavineRender, writeFloatWav } from './Material.mjs';

const [siteDir, renderPath] = process.argv.slice (2);
const work = fs.mkdtempSync (path.join (os.tmpdir(), 'tavine-window-'));
const setting = { red: 0.6, green: 0.5, blue: 0.7, x2: 1 };
const largestAllowed = 4, shareAllowed = 0.01;

// Four seconds, long enough for the history's range to move off its start.
writeFloatWav (path.join (work, 'in.wav'), material (44100, 2, 4), 44100);

const site = await openSite (siteDir, work);
let failed = false;

try
{
    for (const scale of [1, 2])
    {
        tavineRender (renderPath, path.join (work, 'in.wav'), path.join (work, 'out.wav'), setting,
                      '--picture', path.join (work, 'picture-' + scale + '.png'), '--scale', String (scale));

        const page = await site.newPage();
        const query = new URLSearchParams ({ input: '/files/in.wav', reference: '/files/picture-' + scale + '.png', scale, ...setting });
        await page.goto (site.origin + '/test/window.html?' + query);
        await page.waitForFunction (() => window.comparison !== undefined, null, { timeout: 60000 });
        const comparison = await page.evaluate (() => window.comparison);
        await page.close();

        assert.equal (comparison.failure, undefined, comparison.failure);
        assert.deepEqual ([comparison.width, comparison.height], [comparison.referenceWidth, comparison.referenceHeight], 'the sizes differ');
        assert.ok (comparison.largest <= largestAllowed, 'at scale ' + scale + ' a pixel is ' + comparison.largest + ' levels off, first at ' + JSON.stringify (comparison.where));
        assert.ok (comparison.differing <= shareAllowed * comparison.pixels, 'at scale ' + scale + ', ' + comparison.differing + ' pixels differ');

        console.log ('window at scale ' + scale + ': ' + comparison.differing + ' of ' + comparison.pixels + ' pixels differ, by at most '
                     + comparison.largest + ' levels');
    }

    assert.deepEqual (site.problems, []);
}
catch (error)
{
    console.error ('FAIL: ' + error.message);
    failed = true;
}
finally
{
    await site.close();
    fs.rmSync (work, { recursive: true, force: true });
}

process.exit (failed ? 1 : 0);
