// Serves the browser build's page and data/ from its folder (build/web) on 127.0.0.1: files
// only, no listings.
// Usage: node serve.mjs [--port N] [--with-parent] DIR   (port 0 or none: a free one)
// Prints the address once listening, on a line of its own: http://127.0.0.1:PORT/
// --with-parent ends the server when the process that started it ends (a killed test).
import { createReadStream } from 'node:fs';
import { realpath, stat } from 'node:fs/promises';
import { createServer } from 'node:http';
import { extname, join, posix, resolve, sep } from 'node:path';

const usage = 'usage: serve.mjs [--port N] [--with-parent] DIR';
const types = {
    '.html': 'text/html; charset=utf-8',
    '.js': 'text/javascript; charset=utf-8',
    '.mjs': 'text/javascript; charset=utf-8',
    '.json': 'application/json',
    '.wasm': 'application/wasm',
    '.wgsl': 'text/plain; charset=utf-8',
    '.css': 'text/css; charset=utf-8',
    '.png': 'image/png',
    '.svg': 'image/svg+xml',
    '.ico': 'image/x-icon',
    '.mp3': 'audio/mpeg',
    '.txt': 'text/plain; charset=utf-8',
};

function parseArguments(argv) {
    let port = 0;
    let withParent = false;
    let dir = null;
    for (let i = 0; i < argv.length; ++i) {
        const arg = argv[i];
        if (arg === '-h' || arg === '--help') {
            console.log(`${usage}\nServes DIR on 127.0.0.1 and prints its address.\n` +
                '--with-parent: end when the process that started the server ends.');
            process.exit(0);
        } else if (arg === '--port' && i + 1 < argv.length) {
            port = Number(argv[++i]);
            if (!Number.isInteger(port) || port < 0 || port > 65535) fail(`bad port: ${argv[i]}`);
        } else if (arg === '--with-parent') {
            withParent = true;
        } else if (arg.startsWith('-') || dir !== null) {
            fail(usage);
        } else {
            dir = arg;
        }
    }
    if (dir === null) fail(usage);
    return { port, withParent, dir };
}

function fail(message) {
    console.error(`serve: ${message}`);
    process.exit(2);
}

// The page's own files; build/web is also CMake's build folder, whose other files stay private.
const pageFiles = new Set(['/', '/index.html', '/page.js', '/ombrel.js', '/ombrel.wasm',
                           '/data-files.json']);

// The file a URL path names inside root, or null: only the page and data/, and no escaping root
// through '..' or a link.
async function fileFor(root, urlPath) {
    let path;
    try {
        path = posix.normalize(decodeURIComponent(urlPath));
    } catch {
        return null;
    }
    if (path.includes('\0') || !(pageFiles.has(path) || path.startsWith('/data/'))) return null;
    if (path.endsWith('/')) path += 'index.html';
    try {
        const real = await realpath(join(root, path));
        if (real !== root && !real.startsWith(root + sep)) return null;
        const info = await stat(real);
        return info.isFile() ? { path: real, size: info.size } : null;
    } catch {
        return null;
    }
}

const { port, withParent, dir } = parseArguments(process.argv.slice(2));
let root;
try {
    root = await realpath(resolve(dir));
    if (!(await stat(root)).isDirectory()) throw new Error('not a folder');
} catch {
    fail(`${dir} is not a folder`);
}

const server = createServer(async (request, response) => {
    const url = new URL(request.url, 'http://127.0.0.1');
    const file = request.method === 'GET' || request.method === 'HEAD'
        ? await fileFor(root, url.pathname) : null;
    if (!file) {
        const status = request.method === 'GET' || request.method === 'HEAD' ? 404 : 405;
        response.writeHead(status, { 'Content-Type': 'text/plain; charset=utf-8' });
        response.end(status === 404 ? 'Not found\n' : 'Method not allowed\n');
        return;
    }
    response.writeHead(200, {
        'Content-Type': types[extname(file.path).toLowerCase()] ?? 'application/octet-stream',
        'Content-Length': file.size,
        'Cache-Control': 'no-cache',
    });
    if (request.method === 'HEAD') {
        response.end();
        return;
    }
    const stream = createReadStream(file.path);
    stream.on('error', () => response.destroy());
    stream.pipe(response);
});
server.on('error', (error) => fail(error.message));
server.listen(port, '127.0.0.1', () => {
    console.log(`http://127.0.0.1:${server.address().port}/`);
});
for (const signal of ['SIGINT', 'SIGTERM']) process.on(signal, () => process.exit(0));
if (withParent) {
    const parent = process.ppid;
    setInterval(() => process.ppid !== parent && process.exit(0), 500).unref();
}
