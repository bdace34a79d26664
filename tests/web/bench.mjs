// Frame time of the page in headless Chromium (SwiftShader's WebGPU) beside the native capture's
// on llvmpipe, on the same span and frame clock, and the page's load time. A measurement, not a
// test: ctest does not run it.
// Usage, from a scratch folder:
//   node bench.mjs WEB_DIR LINUX_BIN_DIR [--from S] [--to S] [--size WxH] [--fps N]
import { symlinkSync } from 'node:fs';
import { join } from 'node:path';
import { parseArgs } from 'node:util';
import { expectNoPageErrors, fail, runProgram, runTest } from './harness.mjs';

const { values: span } = parseArgs({
    args: process.argv.slice(4),
    options: {
        from: { type: 'string', default: '20' },
        to: { type: 'string', default: '22' },
        size: { type: 'string', default: '1280x720' },
        fps: { type: 'string', default: '30' },
    },
});

await runTest('bench', 3600000, async ({ work, linuxBin, openPage, log }) => {
    symlinkSync(join(linuxBin, 'data'), join(work, 'data'));
    const native = await runProgram(join(linuxBin, 'ombrel-capture'),
                                    ['--bench', '--from', span.from, '--to', span.to, '--size',
                                     span.size, '--fps', span.fps], { cwd: work });
    if (native.code !== 0) fail(`ombrel-capture --bench failed:\n${native.stderr}`);
    log(native.stdout.slice(native.stdout.indexOf('ombrel-capture --bench')).trimEnd());

    const query = new URLSearchParams({ ...span, bench: '1' });
    const page = await openPage(`index.html?${query}`);
    await page.waitForFunction(() => window.ombrelCapture?.done || window.ombrelState === 'failed',
                               null, { timeout: 0, polling: 1000 });
    const capture = await page.evaluate(() => window.ombrelCapture ?? { error: 'the page failed' });
    await expectNoPageErrors(page);
    if (capture.error) fail(`the page's capture: ${capture.error}`);
    // Like the native figures: the first frame (the programs' compilation) apart.
    const [first, ...rest] = capture.frameMs;
    if (!rest.length) fail('the page drew fewer than two frames');
    const mean = rest.reduce((a, b) => a + b, 0) / rest.length;
    log(`\nthe page, ${span.size}, ${rest.length} frames after the first (headless Chromium)`);
    log(`whole frame (wall)  mean ${mean.toFixed(2)} ms, min ${Math.min(...rest).toFixed(2)} ms, ` +
        `max ${Math.max(...rest).toFixed(2)} ms`);
    log(`frames per second: ${(1000 / mean).toFixed(3)}`);
    log(`first frame: ${first.toFixed(0)} ms; load (data fetched, program ready): ` +
        `${Math.round(capture.loadMs)} ms`);
    if (capture.steppedFrames !== undefined) {
        log(`stepped through ${capture.steppedFrames} earlier frames; the capture took ` +
            `${capture.seconds.toFixed(1)} s`);
    }
});
