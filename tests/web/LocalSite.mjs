// What the browser tests share: a static server on 127.0.0.1 for the web build's site (at /),
// this folder's test pages (at /test/) and a folder of the test's own files (at /files/), and a
// page in Debian's headless Chromium that records every console error, failed response and
// request beyond the server.
import fs from 'node:fs';
import http from 'node:http';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

import { chromium } from 'playwright-core';

const here = path.dirname (fileURLToPath (import.meta.url));
const types = { '.html': 'text/html', '.mjs': 'text/javascript', '.js': 'text/javascript', '.wasm': 'application/wasm',
                '.png': 'image/png', '.wav': 'audio/wav', '.css': 'text/css' };

/** The static server alone, for a browser driven otherwise: its origin, and close(). */
export async function serveSite (site, files = null)
{
    const roots = { '/test/': here, '/files/': files, '/': path.resolve (site) };

    const server = http.createServer ((request, response) => {
        const url = new URL (request.url, 'http://127.0.0.1');
        const prefix = Object.keys (roots).find (p => url.pathname.startsWith (p) && roots[p] !== null);
        const root = prefix !== undefined ? roots[prefix] : null;
        const file = root !== null ? path.join (root, decodeURIComponent (url.pathname.slice (prefix.length))) : null;

        if (file === null || ! file.startsWith (root + path.sep) || ! fs.existsSync (file) || ! fs.statSync (file).isFile())
        {
            response.writeHead (404).end();
            return;
        }

        response.writeHead (200, { 'Content-Type': types[path.extname (file)] ?? 'application/octet-stream' });
        fs.createReadStream (file).pipe (response);
    });

    await new Promise (resolve => server.listen (0, '127.0.0.1', resolve));
    return { origin: 'http://127.0.0.1:' + server.address().port, close: () => server.close() };
}

export async function openSite (site, files = null)
{
    const server = await serveSite (site, files);
    const origin = server.origin;
    const browser = await chromium.launch ({ executablePath: '/usr/bin/chromium', args: ['--autoplay-policy=no-user-gesture-required'] });
    const problems = [];

    return {
        origin,
        problems,

        /** A new page whose problems are recorded; unwatched, a page for another address. */
        async newPage (options = {}, watched = true)
        {
            const page = await browser.newPage (options);

            if (! watched)
                return page;

            page.on ('console', message => { if (message.type() === 'error') problems.push ('console: ' + message.text() + ' ' + JSON.stringify (message.location())); });
            page.on ('pageerror', error => problems.push ('page: ' + error.message));
            page.on ('response', response => { if (response.status() >= 400) problems.push ('HTTP ' + response.status() + ': ' + response.url()); });
            page.on ('request', request => { if (! request.url().startsWith (origin + '/')) problems.push ('request outside the server: ' + request.url()); });
            return page;
        },

        async close()
        {
            await browser.close();
            server.close();
        },
    };
}
