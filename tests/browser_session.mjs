// Plays the sessions of browser_sessions.json on the web page in headless
// Chromium, key by key, opened from disk, from a static server on the
// loopback, and from that server in a phone's viewport with touch, and
// compares what its terminal shows, and the exit status, with what a real
// terminal shows for the native program given the same keys.
// The page must show its first screen within 2 s and ask for nothing
// outside its folder. Every wait has a time limit.
// Usage: node browser_session.mjs PAGE_DIR NATIVE_PROGRAM PYTHON CHROMIUM NODE_MODULES SCREENSHOT
import { execFileSync } from 'node:child_process';
import { readFile } from 'node:fs/promises';
import { createServer } from 'node:http';
import { createRequire } from 'node:module';
import { dirname, join, normalize } from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';

const [pageDir, nativeProgram, python, chromiumPath, modules, screenshot] = process.argv.slice(2);
const here = dirname(fileURLToPath(import.meta.url));
let chromium;
try {
    ({ chromium } = createRequire(join(modules, 'x'))('playwright-core'));
} catch {
    console.log(`skipped: needs the npm package playwright-core in ${modules} (npm ci)`);
    process.exit(0);
}
const sessions = JSON.parse(await readFile(join(here, 'browser_sessions.json'), 'utf8'));
const limit = { timeout: 10000 };

function fail(message) {
    console.error(message);
    process.exitCode = 1;
}

// The text a terminal in the page shows, scrollback and all: the page's own,
// or given the bytes of a pseudo-terminal, another of the same size.
const screenText = (bytes) =>
    new Promise((resolve) => {
        const textOf = (terminal) => {
            const buffer = terminal.buffer.active;
            const lines = [];
            for (let y = 0; y < buffer.length; y++) {
                lines.push(buffer.getLine(y).translateToString(true));
            }
            return lines.join('\n').trimEnd();
        };
        const { terminal } = window.vending;
        if (bytes === null) {
            terminal.write('', () => resolve(textOf(terminal)));
            return;
        }
        const reference = new terminal.constructor({ cols: terminal.cols, rows: terminal.rows });
        reference.write(Uint8Array.from(bytes, (c) => c.charCodeAt(0)), () => resolve(textOf(reference)));
    });

// A key of a session is a key name, a text typed key by key, or a text that
// arrives in another way: "insert:" by input events alone, "compose:" as an
// input method's composition, "ime:" each character after a key down of key
// code 229, as a phone keyboard gives it at a person's pace, and "paste:" by
// Ctrl+V from the clipboard. Each way is one of the browser's own, through
// its DevTools protocol.
const ways = /^(insert|compose|ime|paste):(.*)$/s;
const delay = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
const enterBy = {
    insert: (page, cdp, text) => page.keyboard.insertText(text),
    compose: async (page, cdp, text) => {
        await cdp.send('Input.imeSetComposition', { text, selectionStart: text.length, selectionEnd: text.length });
        await cdp.send('Input.insertText', { text });
    },
    ime: async (page, cdp, text) => {
        for (const character of text) {
            const key = { windowsVirtualKeyCode: 229, key: 'Unidentified' };
            await cdp.send('Input.dispatchKeyEvent', { type: 'rawKeyDown', ...key });
            await cdp.send('Input.insertText', { text: character });
            await cdp.send('Input.dispatchKeyEvent', { type: 'keyUp', ...key });
            await delay(120);
        }
    },
    paste: async (page, cdp, text) => {
        await page.evaluate((t) => navigator.clipboard.writeText(t), text);
        await page.keyboard.press('Control+V');
    },
};

// What a terminal shows for the native program given the same keys, played
// once for each session whatever the page's size.
const nativeBytes = new Map();
async function nativeScreen(page, keys) {
    const typed = JSON.stringify(keys.map((key) => key.replace(ways, '$2')));
    if (!nativeBytes.has(typed)) {
        const command = [join(here, 'terminal_session.py'), '--keys', typed, nativeProgram];
        nativeBytes.set(typed, JSON.parse(execFileSync(python, command, { timeout: 60000 })));
    }
    const { screen, status } = nativeBytes.get(typed);
    return { text: await page.evaluate(screenText, screen), status };
}

const namedKeys = new Set(['Enter', 'Backspace', 'Control+C', 'Control+D']);

// Types the keys, each once the page has settled: a line handed over is
// answered when the program waits again or has ended.
async function play(page, keys) {
    const cdp = await page.context().newCDPSession(page);
    let line = '';
    for (const key of keys) {
        const waits = await page.evaluate(() => window.vending.waits);
        const [, way, text] = ways.exec(key) ?? [];
        if (way) {
            await enterBy[way](page, cdp, text);
        } else if (namedKeys.has(key)) {
            await page.keyboard.press(key);
        } else {
            await page.keyboard.type(key);
        }
        const handsOver = key === 'Enter' || key.includes('\n') || (key === 'Control+D' && !line) || key === 'Control+C';
        if (key === 'Backspace') {
            line = line.slice(0, -1);
        } else {
            line = namedKeys.has(key) ? '' : (line + key.replace(ways, '$2')).split('\n').pop();
        }
        if (handsOver) {
            await page.waitForFunction((w) => window.vending.waits > w || window.vending.exitStatus !== null, waits, limit);
        }
    }
    // Each session ends the program.
    await page.waitForFunction(() => window.vending.exitStatus !== null, null, limit);
    return { text: await page.evaluate(screenText, null), status: await page.evaluate(() => window.vending.exitStatus) };
}

async function playAll(browser, url, folder, mode, device) {
    const context = await browser.newContext(device);
    await context.grantPermissions(['clipboard-read', 'clipboard-write']);
    const page = await context.newPage();
    const outside = [];
    page.on('request', (request) => {
        if (!request.url().startsWith(folder) && !request.url().startsWith('data:')) {
            outside.push(request.url());
        }
    });
    page.on('pageerror', (error) => fail(`${mode}: the page failed: ${error.message}`));
    const start = Date.now();
    await page.goto(url, limit);
    await page.waitForFunction(() => window.vending?.waits > 0, null, limit);
    const firstScreen = Date.now() - start;
    if (firstScreen > 2000) {
        fail(`${mode}: the first screen took ${firstScreen} ms`);
    }
    console.log(`${mode}: the first screen after ${firstScreen} ms`);
    for (const [index, { name, keys }] of sessions.entries()) {
        if (index > 0) {
            await page[device.hasTouch ? 'tap' : 'click']('#new-wallet');
            await page.waitForFunction(() => window.vending.waits > 0, null, limit);
        }
        const shown = await play(page, keys);
        const expected = await nativeScreen(page, keys);
        if (shown.text !== expected.text || shown.status !== expected.status) {
            fail(`${mode}, ${name}: the page showed (status ${shown.status})\n${shown.text}\n` +
                `where a terminal shows (status ${expected.status})\n${expected.text}`);
        } else {
            console.log(`${mode}, ${name}: as at a terminal, status ${shown.status}`);
        }
        if (index === 2 && mode === 'from disk') {
            await page.screenshot({ path: screenshot });
        }
    }
    if (outside.length) {
        fail(`${mode}: the page asked for what is outside its folder: ${outside.join(' ')}`);
    }
    await context.close();
}

// The page's folder as any static host serves it, below a folder of its own.
const server = createServer(async (request, response) => {
    const path = normalize(decodeURIComponent(new URL(request.url, 'http://x').pathname));
    try {
        if (!path.startsWith('/vending/')) {
            throw new Error('outside');
        }
        const body = await readFile(join(pageDir, path.slice('/vending/'.length) || 'index.html'));
        const type = { html: 'text/html', js: 'text/javascript', css: 'text/css' }[path.split('.').pop()];
        response.writeHead(200, type ? { 'Content-Type': type } : {}).end(body);
    } catch {
        response.writeHead(404).end();
    }
});
await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
const served = `http://127.0.0.1:${server.address().port}/vending/`;

const browser = await chromium.launch({
    executablePath: chromiumPath,
    timeout: 30000,
    args: ['--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
        '--disable-component-update', '--disable-sync'],
});
const started = Date.now();
try {
    const folder = pathToFileURL(pageDir).href + '/';
    await playAll(browser, `${folder}index.html`, folder, 'from disk', {});
    await playAll(browser, served, served, 'from a static server', {});
    const phone = { viewport: { width: 390, height: 844 }, isMobile: true, hasTouch: true };
    await playAll(browser, served, served, 'on a phone, served', phone);
} finally {
    await browser.close();
    server.close();
}
console.log(`the browser test took ${((Date.now() - started) / 1000).toFixed(1)} s`);
