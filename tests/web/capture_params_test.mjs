// The page's capture parameters are checked as the capture tool checks its options: a request it
// cannot meet ends at once with the tool's reason, instead of stepping for ever or dividing by 0.
import { expectNoPageErrors, fail, runTest } from './harness.mjs';

const refused = [
    ['at=-1&size=64x64', "at -1 is outside the presentation (0 to 150 s)"],
    ['at=100000&size=64x64', "at 100000 is outside the presentation (0 to 150 s)"],
    ['at=1&fps=0&size=64x64', "fps wants a whole number from 1 to 240, not '0'"],
    ['bench=1&from=20&to=10&size=64x64', 'from must not be after to'],
];

await runTest('capture-params', 300000, async ({ openPage, log }) => {
    for (const [query, reason] of refused) {
        const page = await openPage(`index.html?${query}`);
        await page.waitForFunction(() => window.ombrelCapture?.done, null, { timeout: 120000 });
        const { error, frames } = await page.evaluate(() => window.ombrelCapture);
        const want = `The capture could not start: The capture was refused: ${reason}.`;
        if (error !== want) fail(`?${query}: the page says "${error}", not "${want}"`);
        if (frames.length) fail(`?${query}: ${frames.length} frames were written`);
        await expectNoPageErrors(page);
        await page.context().close();
        log(`?${query}: "${error}"`);
    }
});
