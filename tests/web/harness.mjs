// What the browser tests share: our server on build/web, headless Chromium through Playwright,
// the page's state and results, and a run that always stops browsers, server and programs.
// A test is run from its scratch folder: node TEST.mjs WEB_DIR LINUX_BIN_DIR
import { spawn } from 'node:child_process';
import { existsSync, mkdirSync, rmSync } from 'node:fs';
import { createRequire } from 'node:module';
import { fileURLToPath } from 'node:url';
import { join } from 'node:path';

const root = fileURLToPath(new URL('../..', import.meta.url));
const serverScript = join(root, 'tools/web/serve.mjs');

function loadPlaywright() {
    try {
        return createRequire(join(root, 'tools/web/package.json'))('playwright-core');
    } catch {
        throw new Error('playwright-core is not installed: npm ci --prefix tools/web');
    }
}

// SwiftShader's WebGPU (a fallback adapter) and sound without a gesture from a real user, in
// Playwright's headless mode. With webgpu false the browser has navigator.gpu but no adapter, as
// Chromium on Linux has by default. Screenshots show a WebGPU canvas only where the compositor
// runs on Vulkan too (SwiftShader's), else the canvas composites as empty.
export function chromiumFlags({ webgpu = true, compositor = false } = {}) {
    return [
        '--no-sandbox', '--enable-unsafe-swiftshader',
        ...(webgpu ? ['--enable-unsafe-webgpu'] : []),
        ...(compositor ? ['--use-angle=swiftshader', '--ignore-gpu-blocklist', '--enable-gpu',
                          '--enable-features=Vulkan', '--use-vulkan=swiftshader'] : []),
        '--autoplay-policy=no-user-gesture-required',
        '--disable-background-networking', '--disable-component-update', '--disable-sync',
        '--no-first-run', '--disable-quic',
    ];
}

export class TestFailure extends Error {}

const children = new Set();

// Runs a program to its end, killed with its whole process group past timeoutMs or when the test
// stops; resolves to { code, stdout, stderr }.
export function runProgram(command, args, { cwd, env, timeoutMs = 600000 } = {}) {
    return new Promise((resolve, reject) => {
        const child = spawn(command, args, { cwd, env: { ...process.env, ...env }, detached: true,
                                             stdio: ['ignore', 'pipe', 'pipe'] });
        children.add(child);
        let stdout = '';
        let stderr = '';
        child.stdout.on('data', (chunk) => (stdout += chunk));
        child.stderr.on('data', (chunk) => (stderr += chunk));
        const timer = setTimeout(() => killGroup(child), timeoutMs);
        child.on('error', (error) => {
            clearTimeout(timer);
            children.delete(child);
            reject(new TestFailure(error.code === 'ENOENT'
                ? `no ${command} (cmake --preset linux && cmake --build --preset linux)`
                : `${command}: ${error.message}`));
        });
        child.on('close', (code, signal) => {
            clearTimeout(timer);
            children.delete(child);
            if (signal) reject(new TestFailure(`${command} ended by ${signal}:\n${stderr}`));
            else resolve({ code, stdout, stderr });
        });
    });
}

function killGroup(child) {
    try {
        process.kill(-child.pid, 'SIGKILL');
    } catch {
        // already gone
    }
}

export function fail(message) {
    throw new TestFailure(message);
}

// Starts our server on DIR at a free port, or with OMBREL_WEB_SERVER=python Python's own (a
// static server we did not write, as a viewer's may be); resolves to { url, stop }.
export function startServer(dir, timeoutMs = 10000) {
    const python = process.env.OMBREL_WEB_SERVER === 'python';
    const child = python
        ? spawn('python3', ['-u', '-m', 'http.server', '0', '--bind', '127.0.0.1', '--directory', dir],
                { stdio: ['ignore', 'pipe', 'pipe'] })
        : spawn(process.execPath, [serverScript, '--with-parent', '--port', '0', dir],
                { stdio: ['ignore', 'pipe', 'pipe'] });
    let stderr = '';
    child.stderr.on('data', (chunk) => (stderr += chunk));
    const stop = () => {
        if (child.exitCode === null && child.signalCode === null) child.kill('SIGTERM');
    };
    return new Promise((resolve, reject) => {
        let stdout = '';
        const timer = setTimeout(() => {
            stop();
            reject(new Error(`the server printed no address within ${timeoutMs} ms`));
        }, timeoutMs);
        child.stdout.on('data', (chunk) => {
            stdout += chunk;
            const match = python ? /\((http:\/\/127\.0\.0\.1:\d+\/)\)/.exec(stdout)
                                 : /^(http:\/\/127\.0\.0\.1:\d+\/)$/m.exec(stdout);
            if (match) {
                clearTimeout(timer);
                resolve({ url: match[1], stop });
            }
        });
        child.on('exit', (code) => {
            clearTimeout(timer);
            reject(new Error(`the server ended (code ${code}): ${stderr.trim()}`));
        });
    });
}

// Runs body(session) in a fresh folder NAME with the server started, under a deadline
// (OMBREL_TEST_TIMEOUT seconds where ctest sets it, else timeoutMs); prints a failure with the
// page's last console lines, stops browsers, server and programs, and sets the exit code.
// session: { url, work, webDir, linuxBin, openPage(path, options), log(line) }
export async function runTest(name, timeoutMs, body) {
    const [webDir, linuxBin] = process.argv.slice(2);
    if (!webDir || !linuxBin) {
        console.error(`usage: ${name} WEB_DIR LINUX_BIN_DIR`);
        process.exit(2);
    }
    if (!existsSync(join(webDir, 'index.html'))) {
        console.error(`FAIL: ${name}: no index.html in ${webDir} (cmake --build --preset web)`);
        process.exit(1);
    }
    timeoutMs = Number(process.env.OMBREL_TEST_TIMEOUT) * 1000 || timeoutMs;
    const work = join(process.cwd(), name);
    rmSync(work, { recursive: true, force: true });
    mkdirSync(work, { recursive: true });

    const contexts = [];
    const profiles = [];
    const consoleLines = [];
    let server = null;
    const stopAll = async () => {
        for (const child of children) killGroup(child);
        for (const context of contexts.splice(0)) await context.close().catch(() => {});
        server?.stop();
        for (const profile of profiles) rmSync(profile, { recursive: true, force: true });
    };
    let stopping = false;
    for (const signal of ['SIGINT', 'SIGTERM']) {
        process.on(signal, async () => {
            if (stopping) return;
            stopping = true;
            console.error(`FAIL: ${name}: stopped by ${signal}`);
            await stopAll();
            process.exit(1);
        });
    }

    const started = Date.now();
    let deadline;
    try {
        const { chromium } = loadPlaywright();
        server = await startServer(webDir);
        // Each page gets a fresh browser profile of its own in the scratch folder (50 MB,
        // removed at the end).
        const openPage = async (path, { webgpu = true, compositor = false, beforeLoad,
                                        viewport = { width: 1280, height: 720 } } = {}) => {
            const profile = join(work, `profile-${profiles.length}`);
            rmSync(profile, { recursive: true, force: true });
            profiles.push(profile);
            const context = await chromium.launchPersistentContext(profile, {
                executablePath: process.env.OMBREL_CHROMIUM ?? '/usr/bin/chromium',
                args: chromiumFlags({ webgpu, compositor }),
                viewport,
            });
            contexts.push(context);
            const page = context.pages()[0] ?? (await context.newPage());
            page.errors = [];
            page.on('console', (message) => {
                consoleLines.push(message.text());
                if (consoleLines.length > 15) consoleLines.shift();
            });
            page.on('pageerror', (error) => page.errors.push(error.message));
            if (beforeLoad) await page.addInitScript(beforeLoad);
            await page.goto(new URL(path, server.url).href);
            return page;
        };
        const timeout = new Promise((_, reject) => {
            deadline = setTimeout(
                () => reject(new TestFailure(`${name} took longer than ${timeoutMs / 1000} s`)),
                timeoutMs);
        });
        await Promise.race([
            body({ url: server.url, work, webDir, linuxBin, openPage, log: console.log }),
            timeout,
        ]);
        console.log(`ok: ${name} in ${((Date.now() - started) / 1000).toFixed(1)} s`);
        process.exitCode = 0;
    } catch (error) {
        if (stopping) return;
        console.error(`FAIL: ${name}: ${describe(error)}`);
        if (consoleLines.length) {
            console.error("--- the page's last console lines:");
            for (const line of consoleLines) console.error(line);
        }
        process.exitCode = 1;
    } finally {
        clearTimeout(deadline);
        await stopAll();
    }
}

// Playwright's messages carry the browser's whole stderr: the first lines and where it was.
function describe(error) {
    if (error instanceof TestFailure) return error.message;
    const where = (error.stack ?? '').split('\n').find((line) => /_test\.mjs:/.test(line));
    const lines = String(error.message).split('\n');
    return lines.slice(0, 4).join('\n') + (lines.length > 4 ? '\n...' : '') +
        (where ? `\n${where.trim()}` : '');
}

// Waits until window.ombrelState is one of states; a page that failed, or a state that stays
// elsewhere past the time, is a failure naming the state and the page's log.
export async function waitForState(page, states, timeoutMs) {
    const wanted = [].concat(states);
    const end = Date.now() + timeoutMs;
    let state;
    for (;;) {
        state = await page.evaluate(() => window.ombrelState);
        if (wanted.includes(state)) return state;
        if (state === 'failed' || state === 'no-webgpu' || Date.now() > end) break;
        await page.waitForTimeout(100);
    }
    const log = (await pageLog(page)).trimEnd().split('\n').slice(-20).join('\n');
    fail(`the page is '${state}', expected ${wanted.map((s) => `'${s}'`).join(' or ')}` +
         (log ? `; the end of its log:\n${log}` : ''));
}

// The mean of each row of a screenshot (0..255 over R, G and B), decoded by the browser itself.
export async function screenshotRowMeans(page, path) {
    const shot = await page.screenshot({ path });
    const tab = await page.context().newPage();
    try {
        return await tab.evaluate(async (base64) => {
            const bytes = Uint8Array.from(atob(base64), (c) => c.charCodeAt(0));
            const image = await createImageBitmap(new Blob([bytes], { type: 'image/png' }));
            const canvas = new OffscreenCanvas(image.width, image.height);
            const context = canvas.getContext('2d');
            context.drawImage(image, 0, 0);
            const pixels = context.getImageData(0, 0, image.width, image.height).data;
            const means = [];
            for (let y = 0; y < image.height; ++y) {
                let sum = 0;
                for (let i = y * image.width * 4; i < (y + 1) * image.width * 4; i += 4)
                    sum += pixels[i] + pixels[i + 1] + pixels[i + 2];
                means.push(sum / (3 * image.width));
            }
            return means;
        }, shot.toString('base64'));
    } finally {
        await tab.close();
    }
}

// The program's log.txt as the page keeps it ('' when it has none yet).
export async function pageLog(page) {
    return page.evaluate(() => (typeof window.ombrelLog === 'function' ? window.ombrelLog() : ''))
        .catch(() => '');
}

// Uncaught errors, and WebGPU's validation errors where the page collects them.
export async function expectNoPageErrors(page) {
    if (page.errors.length) fail(`uncaught error in the page: ${page.errors.join('; ')}`);
    const gpuErrors = await page.evaluate(() => window.ombrelGpuErrors ?? []);
    if (gpuErrors.length) fail(`WebGPU errors in the page: ${gpuErrors.slice(0, 3).join('; ')}`);
}
