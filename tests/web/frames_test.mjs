// The page's capture mode and the native OpenGL capture draw the same moments on the same frame
// clock, each twice: as is, and without the particles' draw (still simulated). Compared as the
// Windows lane compares them (ombrel-compare-frames): the frames without particles pixel by
// pixel, the whole ones pixel by pixel until 20 s and over 16x16 blocks after, where the
// particles' paths part between GPUs. The page's pixels are held to wider limits: its shaders,
// rasterizer and maths library are others, and the show's beat and level thresholds turn their
// last-bit differences into slightly other flashes and shakes (30.5 dB and 2.9 % at worst here).
// The PNGs (gl/, web/ and -still/) and a sheet (native | page | difference x8) stay in the
// test's folder.
import { mkdirSync, symlinkSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';
import { expectNoPageErrors, fail, runProgram, runTest } from './harness.mjs';

const moments = [0, 12, 20, 27, 44, 56, 72, 89, 100, 116, 133, 140];
const size = '480x270';
const fps = 2;
const names = moments.map((s) => `at-${s.toFixed(3).padStart(7, '0')}.png`);

await runTest('frames', 1500000, async ({ work, linuxBin, openPage, log }) => {
    symlinkSync(join(linuxBin, 'data'), join(work, 'data'));
    const common = ['--at', moments.join(','), '--size', size, '--fps', String(fps)];
    const query = `index.html?at=${moments.join(',')}&size=${size}&fps=${fps}`;
    for (const [dir, extra] of [['gl', []], ['gl-still', ['--no-particles']]]) {
        const start = Date.now();
        const native = await runProgram(join(linuxBin, 'ombrel-capture'),
                                        ['--png-dir', dir, ...extra, ...common],
                                        { cwd: work, timeoutMs: 600000 });
        if (native.code !== 0) fail(`ombrel-capture failed:\n${native.stdout}${native.stderr}`);
        log(`native capture (${dir}): ${((Date.now() - start) / 1000).toFixed(1)} s`);
    }
    for (const [dir, extra] of [['web', ''], ['web-still', '&particles=0']]) {
        await capturePage(await openPage(query + extra), join(work, dir), log);
    }

    let failed = false;
    const limits = ['--pixel-limits', '29', '4'];
    for (const [args, what] of [[['gl-still', 'web-still'], 'without particles'],
                                [['--coarse-after', '20', 'gl', 'web', 'sheet.png', names[3],
                                  names[6], names[9]], 'whole']]) {
        const compare = await runProgram(join(linuxBin, 'ombrel-compare-frames'),
                                         [...limits, ...args], { cwd: work });
        log(`${what}:\n${compare.stdout.trimEnd()}`);
        if (compare.stderr.trim()) fail(compare.stderr.trim());
        failed ||= compare.code !== 0;
    }
    if (failed) fail(`the page's frames differ from the native ones; they are in ${work}`);
});

// Runs the page's capture to its end and writes its frames into `dir`.
async function capturePage(page, dir, log) {
    const start = Date.now();
    await page.waitForFunction(() => window.ombrelCapture?.done || window.ombrelState === 'failed',
                               null, { timeout: 900000, polling: 1000 })
        .catch(() => fail('the page\'s capture did not finish within 900 s'));
    const capture = await page.evaluate(() => window.ombrelCapture ?? { error: 'the page failed' });
    await expectNoPageErrors(page);
    if (capture.error) fail(`the page's capture: ${capture.error}`);
    const frameMs = capture.frameMs ?? [];
    const meanMs = frameMs.reduce((a, b) => a + b, 0) / Math.max(1, frameMs.length);
    log(`page capture (${dir}): ${((Date.now() - start) / 1000).toFixed(1)} s ` +
        `(load ${Math.round(capture.loadMs)} ms, ` +
        `${frameMs.length} frames drawn, ${meanMs.toFixed(0)} ms each on average, ` +
        `${capture.steppedFrames} stepped)`);
    const got = capture.frames.map((frame) => frame.name).sort();
    if (got.join() !== names.join()) {
        fail(`the page gave frames ${got.join(', ')}; expected ${names.join(', ')}`);
    }
    mkdirSync(dir);
    for (const frame of capture.frames) {
        writeFileSync(join(dir, frame.name), Buffer.from(frame.png, 'base64'));
    }
    await page.close();
}
