// How fast Tavine's web engine runs in Debian's Chromium on this machine, beside the native
// engine in the same run, each as × real time (seconds of audio processed per second): stereo
// at 48 kHz in blocks of 128 frames (a browser's audio quantum), every stage at full and x2 on.
//
//   node bench/web/WebSpeed.mjs SITE_DIR TAVINE_BENCH [SECONDS]
//
// The worklet's figure is the whole offline audio graph (source, worklet, engine); the copying
// worklet's is the graph alone, so the two give the engine's share; "called directly" is the
// engine from the page's thread, blocks copied in and out as the worklet copies them.
import { execFileSync } from 'node:child_process';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

import { openSite } from '../../tests/web/LocalSite.mjs';

const [siteDir, benchPath, seconds = '60'] = process.argv.slice (2);
const here = path.dirname (fileURLToPath (import.meta.url));

const native = JSON.parse (execFileSync (benchPath, ['--benchmark_filter=engineProcess/rate:48000/block:128/channels:2/setting:1$',
                                                     '--benchmark_format=json', '--benchmark_min_time=2'], { encoding: 'utf8' }))
                   .benchmarks[0].realtime_x;

const site = await openSite (siteDir, here);
let web;

try
{
    const page = await site.newPage();
    await page.goto (site.origin + '/files/speed.html?seconds=' + seconds);
    await page.waitForFunction (() => window.speed !== undefined, null, { timeout: 600000 });
    web = await page.evaluate (() => window.speed);
}
finally
{
    await site.close();
}

if (web.failure !== undefined)
{
    console.error ('the web engine did not run: ' + web.failure);
    process.exit (1);
}

// Seconds of processing per second of audio add: the engine's share is the worklet's less the
// copying graph's.
const engineInWorklet = 1 / (1 / web.worklet - 1 / web.passthrough);
const rows = [['native engine (tavine_bench)', native], ['web engine in its worklet, whole graph', web.worklet],
              ['the same graph with a copying worklet', web.passthrough], ['web engine in its worklet, graph taken out', engineInWorklet],
              ['web engine called directly from the page', web.direct]];

for (const [name, ratio] of rows)
    console.log (name.padEnd (44) + ratio.toFixed (0).padStart (6) + ' x real time' + (name.startsWith ('native') ? '' : '   (' + (ratio / native).toFixed (2) + ' of native)'));
