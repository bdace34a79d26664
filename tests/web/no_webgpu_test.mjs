// A browser without WebGPU gets one sentence naming it, and no uncaught error: one without an
// adapter (Chromium on Linux by default) and one without navigator.gpu at all.
import { expectNoPageErrors, fail, runTest, waitForState } from './harness.mjs';

await runTest('no-webgpu', 120000, async ({ openPage, log }) => {
    const browsers = [
        { name: 'no adapter', options: { webgpu: false } },
        { name: 'no navigator.gpu',
          options: { beforeLoad: () => delete Object.getPrototypeOf(navigator).gpu } },
    ];
    for (const { name, options } of browsers) {
        const page = await openPage('index.html', options);
        await waitForState(page, 'no-webgpu', 60000).catch((error) => {
            throw new error.constructor(`${name}: ${error.message}`);
        });
        const message = page.locator('#message');
        if (!(await message.isVisible())) fail(`${name}: #message is not shown`);
        const text = (await message.innerText()).trim();
        if (!/WebGPU/.test(text)) fail(`${name}: #message does not name WebGPU: "${text}"`);
        // Whatever the page still had going on has had a moment to throw.
        await page.waitForTimeout(1000);
        await expectNoPageErrors(page);
        log(`${name}: "${text}"`);
    }
});
