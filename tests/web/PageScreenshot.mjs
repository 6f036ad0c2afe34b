// Takes the README's picture of the web page: the page after rendering the demo phrase at its
// setting, as a visitor sees it at a display scale of 1, in Debian's headless Chromium.
//
//   node PageScreenshot.mjs SITE_DIR OUTPUT.png
import { openSite } from './LocalSite.mjs';

const [siteDir, output] = process.argv.slice (2);
const site = await openSite (siteDir);

try
{
    const page = await site.newPage ({ viewport: { width: 520, height: 1000 } });
    await page.goto (site.origin + '/index.html');
    await page.waitForSelector ('body[data-ready]', { timeout: 30000 });
    await Promise.all ([page.waitForEvent ('download'), page.click ('#render')]);
    await page.waitForFunction (() => ! window.tavinePage.rendering);
    await page.locator ('main').screenshot ({ path: output });
    console.log (output);
}
finally
{
    await site.close();
}
