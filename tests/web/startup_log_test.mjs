// The page, started with its button, played for a while and ended with Escape, keeps the same
// log.txt as the native program on the same data, once addresses printed with %p are set aside.
import { existsSync, mkdirSync, readFileSync, symlinkSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';
import {
    expectNoPageErrors, fail, pageLog, runProgram, runTest, waitForState,
} from './harness.mjs';

const normalise = (text) =>
    text.replace(/\r/g, '').replace(/^data = [^,]*, /gm, 'data = ADDRESS, ').replace(/\n*$/, '\n');

// ombrel-window under Xvfb with a real-time audio clock and no sound card, ended by Escape.
async function nativeLog(linuxBin, work) {
    const program = join(linuxBin, 'ombrel-window');
    if (!existsSync(program)) fail(`no ${program} (cmake --build --preset linux)`);
    const dir = join(work, 'native');
    mkdirSync(dir);
    symlinkSync(join(linuxBin, 'data'), join(dir, 'data'));
    const script = `
        timeout -k 5 120 "$0" >stdout.txt 2>stderr.txt & pid=$!
        window=$(timeout 60 xdotool search --sync --name "^Ombrel$" | head -n 1)
        sleep 2
        xdotool windowfocus "$window" key Escape
        wait "$pid"`;
    const run = await runProgram(
        'xvfb-run', ['-a', '-s', '-screen 0 2560x1440x24', 'bash', '-c', script, program],
        { cwd: dir, env: { SDL_AUDIODRIVER: 'dummy' }, timeoutMs: 180000 });
    const log = existsSync(join(dir, 'log.txt')) ? readFileSync(join(dir, 'log.txt'), 'utf8') : '';
    if (run.code !== 0 || !log) {
        fail(`the native program ended with code ${run.code}:\n${run.stderr}${log}`);
    }
    return log;
}

await runTest('startup-log', 420000, async ({ work, linuxBin, openPage, log }) => {
    const expected = normalise(await nativeLog(linuxBin, work));

    const opened = Date.now();
    const page = await openPage('index.html');
    await waitForState(page, 'ready', 180000);
    log(`the page was ready ${((Date.now() - opened) / 1000).toFixed(1)} s after it was opened`);
    await page.click('#start');
    await waitForState(page, 'playing', 30000);
    await page.waitForTimeout(2000);
    await page.keyboard.press('Escape');
    await waitForState(page, 'ended', 30000);
    const actual = normalise(await pageLog(page));
    writeFileSync(join(work, 'native.txt'), expected);
    writeFileSync(join(work, 'page.txt'), actual);
    await expectNoPageErrors(page);

    if (actual !== expected) {
        const a = expected.split('\n');
        const b = actual.split('\n');
        let line = 0;
        while (line < a.length && a[line] === b[line]) ++line;
        fail(`the logs differ from line ${line + 1} (native: ${JSON.stringify(a[line] ?? '')}, ` +
             `page: ${JSON.stringify(b[line] ?? '')}); both are in ${work}`);
    }
    log(`same log, ${expected.split('\n').length - 1} lines`);
});
