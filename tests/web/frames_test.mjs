// The page's capture mode and the native OpenGL capture draw the same moments on the same frame
// clock: each pair within PSNR 30 dB. Both sets of PNGs and a sheet (native | page | difference
// x8) stay in the test's folder.
import { mkdirSync, symlinkSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';
import { expectNoPageErrors, fail, runProgram, runTest } from './harness.mjs';

const moments = [0, 27, 72, 133];
const size = '320x180';
const fps = 2;
const leastPsnr = 30;
const names = moments.map((s) => `at-${s.toFixed(3).padStart(7, '0')}.png`);

await runTest('frames', 1500000, async ({ work, linuxBin, openPage, log }) => {
    symlinkSync(join(linuxBin, 'data'), join(work, 'data'));
    let start = Date.now();
    const native = await runProgram(join(linuxBin, 'ombrel-capture'),
                                    ['--png-dir', 'gl', '--at', moments.join(','), '--size', size,
                                     '--fps', String(fps)],
                                    { cwd: work, timeoutMs: 600000 });
    if (native.code !== 0) fail(`ombrel-capture failed:\n${native.stdout}${native.stderr}`);
    log(`native capture: ${((Date.now() - start) / 1000).toFixed(1)} s`);

    start = Date.now();
    const page = await openPage(`index.html?at=${moments.join(',')}&size=${size}&fps=${fps}`);
    await page.waitForFunction(() => window.ombrelCapture?.done || window.ombrelState === 'failed',
                               null, { timeout: 900000, polling: 1000 })
        .catch(() => fail('the page\'s capture did not finish within 900 s'));
    const capture = await page.evaluate(() => window.ombrelCapture ?? { error: 'the page failed' });
    await expectNoPageErrors(page);
    if (capture.error) fail(`the page's capture: ${capture.error}`);
    const frameMs = capture.frameMs ?? [];
    const meanMs = frameMs.reduce((a, b) => a + b, 0) / Math.max(1, frameMs.length);
    log(`page capture: ${((Date.now() - start) / 1000).toFixed(1)} s ` +
        `(load ${Math.round(capture.loadMs)} ms, ` +
        `${frameMs.length} frames drawn, ${meanMs.toFixed(0)} ms each on average` +
        (capture.steppedFrames !== undefined ? `, ${capture.steppedFrames} stepped)` : ')'));

    mkdirSync(join(work, 'web'));
    const got = capture.frames.map((frame) => frame.name).sort();
    if (got.join() !== names.join()) {
        fail(`the page gave frames ${got.join(', ')}; expected ${names.join(', ')}`);
    }
    for (const frame of capture.frames) {
        writeFileSync(join(work, 'web', frame.name), Buffer.from(frame.png, 'base64'));
    }

    const compare = await runProgram(join(linuxBin, 'ombrel-compare-frames'),
                                     ['gl', 'web', 'sheet.png', ...names], { cwd: work });
    // The tool's verdict holds the two native back ends to 35 dB; the page is held to its own.
    const failures = [];
    log('frame               PSNR dB  pixels off by > 24');
    for (const name of names) {
        const row = compare.stdout.split('\n').find((line) => line.startsWith(`${name} `));
        const [psnrText, share] = (row?.slice(name.length).trim() ?? '').split(/\s+/);
        const psnr = psnrText === 'inf' ? Infinity
            : /^\d+\.\d+$/.test(psnrText) ? Number(psnrText) : NaN;
        if (!Number.isNaN(psnr)) log(`${name}  ${psnrText.padStart(10)}  ${share} %`);
        if (!(psnr >= leastPsnr)) {
            const why = !Number.isNaN(psnr) ? `${psnrText} dB`
                : row ? row.slice(name.length).trim() : 'not compared';
            failures.push(`${name}: ${why}`);
        }
    }
    if (failures.length) {
        fail(`below ${leastPsnr} dB: ${failures.join(', ')}; the frames are in ${work}`);
    }
    if (compare.stderr.trim()) fail(compare.stderr.trim());
});
