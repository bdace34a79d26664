// The web bundle as a viewer meets it, unpacked from its zip: served by Python's static server,
// the page shows Start after fetching its gzipped data (the bytes it took are printed) and plays
// pictures that are neither black nor still; opened from the file system, it plays too.
// Run from a scratch folder: OMBREL_WEB_SERVER=python node web_test.mjs UNPACKED_DIR LINUX_BIN_DIR
import { join } from 'node:path';
import { pathToFileURL } from 'node:url';
import {
    expectNoPageErrors, fail, runTest, screenshotRowMeans, waitForState,
} from '../web/harness.mjs';

const mean = (rows) => rows.reduce((a, b) => a + b, 0) / rows.length;

// Starts the page, waits out the fade-in and returns two screenshots' row means a second apart.
async function playTwoPictures(page, work, name) {
    await page.click('#start');
    await waitForState(page, 'playing', 30000);
    await page.waitForTimeout(4000);
    const first = await screenshotRowMeans(page, join(work, `${name}-1.png`));
    await page.waitForTimeout(1000);
    const second = await screenshotRowMeans(page, join(work, `${name}-2.png`));
    await expectNoPageErrors(page);
    const change = mean(first.map((row, y) => Math.abs(row - second[y])));
    if (!(mean(first) > 2 && mean(second) > 2)) {
        fail(`${name}: the picture is black (row means ${mean(first).toFixed(2)}, ` +
             `${mean(second).toFixed(2)}; ${name}-1.png, ${name}-2.png)`);
    }
    if (!(change > 0.2)) fail(`${name}: the picture does not move (mean change ${change.toFixed(3)})`);
    return `brightness ${mean(first).toFixed(1)} then ${mean(second).toFixed(1)}, change ${change.toFixed(2)}`;
}

await runTest('release-web', 400000, async ({ webDir, work, openPage, log }) => {
    const query = '?size=640x360&fullscreen=0';
    const served = await openPage(`index.html${query}`, { compositor: true });
    await waitForState(served, 'ready', 180000);
    const bytes = await served.evaluate(() => performance.getEntriesByType('navigation')
        .concat(performance.getEntriesByType('resource'))
        .reduce((sum, entry) => sum + entry.transferSize, 0));
    log(`served: ${(bytes / 1e6).toFixed(2)} MB transferred before Start showed`);
    if (!(bytes > 1e6 && bytes < 20e6)) fail(`${bytes} bytes transferred: not the gzipped data`);
    log(`served: ${await playTwoPictures(served, work, 'served')}`);

    const opened = await openPage(pathToFileURL(join(webDir, 'index.html')).href + query,
                                  { compositor: true });
    await waitForState(opened, 'ready', 180000);
    log(`from the file system: ${await playTwoPictures(opened, work, 'file')}`);
});
