// WebGPU's errors fail the page's start-up as the native builds' failures do, instead of a clean
// log over a black canvas: a picture past the device's limits is refused before it is asked for,
// and an error WebGPU reports later, while the program starts, stops it with that error.
import { fail, pageLog, runTest, waitForState } from './harness.mjs';

async function startAndFail(page) {
    await waitForState(page, 'ready', 180000);
    await page.click('#start');
    await waitForState(page, 'failed', 60000);
    return (await page.locator('#message').innerText()).trim();
}

await runTest('gpu-errors', 420000, async ({ openPage, log }) => {
    const tooLarge = await openPage('index.html?size=20000x64&fullscreen=0');
    const message = await startAndFail(tooLarge);
    if (!(await pageLog(tooLarge)).includes('ERROR: CreateSwapChain() failed.')) {
        fail(`a 20000x64 picture: the log does not say "ERROR: CreateSwapChain() failed."`);
    }
    log(`a 20000x64 picture: "${message}"`);
    await tooLarge.context().close();

    // The first large texture is made with no usage at all, which WebGPU reports only later.
    const invalid = await openPage('index.html?size=640x360&fullscreen=0', {
        beforeLoad: () => {
            const create = GPUDevice.prototype.createTexture;
            let spoiled = false;
            GPUDevice.prototype.createTexture = function (descriptor) {
                if (!spoiled && descriptor.size.width >= 256) {
                    spoiled = true;
                    return create.call(this, { ...descriptor, usage: 0 });
                }
                return create.call(this, descriptor);
            };
        },
    });
    const said = await startAndFail(invalid);
    if (!/^The presentation could not start: WebGPU: /.test(said)) {
        fail(`an invalid texture at start-up: the page says "${said}"`);
    }
    log(`an invalid texture at start-up: "${said.slice(0, 160)}"`);
});
