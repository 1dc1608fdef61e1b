// Plays the sessions of browser_sessions.json on the web page in ENGINE, an
// engine of browser_engines.json, key by key: opened from disk, from a static
// server on the loopback, and from that server in a phone's viewport (with
// touch where the engine's driver can give it). Compares what its terminal
// shows, and the exit status, with what a real terminal shows for the native
// program given the same keys; audits the page's accessibility at the first
// screen and after the sessions, and where the driver can take WebAssembly
// away before the page loads, checks that the page then says why it cannot
// play. The page must ask for nothing outside its folder, and raise no error.
// Prints how long its first screen took. Every wait has a time limit, there
// to catch a hang.
// Usage: node browser_session.mjs ENGINE PAGE_DIR NATIVE_PROGRAM PYTHON NODE_MODULES SCREENSHOT
import { execFile, execFileSync, spawn } from 'node:child_process';
import { promisify } from 'node:util';
import { readFile, writeFile } from 'node:fs/promises';
import { createServer } from 'node:http';
import { createRequire } from 'node:module';
import { dirname, join, normalize } from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';

const [engineName, pageDir, nativeProgram, python, modules, screenshot] = process.argv.slice(2);
const here = dirname(fileURLToPath(import.meta.url));
const require = createRequire(join(modules, 'x'));
const data = async (name) => JSON.parse(await readFile(join(here, name), 'utf8'));
const [sessions, engines] = [await data('browser_sessions.json'), await data('browser_engines.json')];
const axeSource = await readFile(require.resolve('axe-core/axe.min.js'), 'utf8');
const limit = 30000;
// How long a screen reader is given to speak an answer.
const answerTime = 4000;
const delay = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

const fail = (message) => console.error(message) ?? (process.exitCode = 1);

// Waits until CHECK gives a true value, or fails, naming WHAT, once the time
// limit is over; WAITFOR, until CONDITION, run in the page with ARGUMENT, holds.
async function until(check, what) {
    for (const deadline = Date.now() + limit; !(await check()); await delay(20)) {
        if (Date.now() > deadline) {
            throw new Error(`timed out waiting for ${what}`);
        }
    }
}
const waitFor = (page, condition, argument) => until(() => page.run(condition, argument), condition);

// Each driver opens the engine's browser and gives the page as the test uses
// it. Key names are those of browser_sessions.json, with modifiers before a +.
const drivers = {
    // Chromium through its DevTools protocol, Firefox through WebDriver BiDi.
    async puppeteer(engine, device) {
        const executablePath = execFileSync('sh', ['-c', `command -v ${engine.command}`]).toString().trim();
        const browser = await require('puppeteer-core').launch({ ...engine, headless: !engine.screenReader, executablePath, timeout: 30000, protocolTimeout: 30000 });
        // Stopped, should the test end first, by this handler: puppeteer's
        // own passes over every other browser in its list, as each one it
        // kills leaves the list. A browser still starting is left to it.
        process.on('exit', () => { try { process.kill(-browser.process().pid, 'SIGKILL'); } catch { /* closed already */ } });
        const page = await browser.newPage();
        // Firefox before 141 lacks the screen orientation override that
        // puppeteer sends with a viewport, which it sets all the same.
        await page.setViewport(device ?? { width: 1280, height: 800 }).catch((error) => error.message.includes('setScreenOrientationOverride') || Promise.reject(error));
        return {
            open: (url) => page.goto(url, { timeout: limit }),
            run: (script, ...args) => page.evaluate(script, ...args),
            press: async ([modifier, name]) => {
                await (modifier && page.keyboard.down(modifier));
                await page.keyboard.press(name);
                await (modifier && page.keyboard.up(modifier));
            },
            type: (text) => page.keyboard.type(text),
            click: (selector) => (device?.hasTouch ? page.tap(selector) : page.click(selector)),
            preload: (script) => page.evaluateOnNewDocument(script),
            screenshot: (path) => page.screenshot({ path }),
            close: () => browser.close(),
        };
    },
    // WebKit through WebKitWebDriver, WebDriver's classic protocol, which
    // starts it on a display of its own.
    async webdriver(engine, device) {
        const { Builder, Key } = require('selenium-webdriver');
        // A port free on the loopback, for its service.
        const port = await new Promise((resolve) => createServer().listen(0, '127.0.0.1', function () { resolve(this.address().port); this.close(); }));
        const service = spawn('xvfb-run', ['-a', engine.command, `--port=${port}`], { detached: true, stdio: 'ignore' });
        // Stopped with the page, or should a failure come first, with the test.
        const stop = () => { try { process.kill(-service.pid); } catch { /* already stopped */ } };
        process.on('exit', stop);
        await until(() => fetch(`http://127.0.0.1:${port}/status`).catch(() => null), engine.command);
        const driver = await new Builder().usingServer(`http://127.0.0.1:${port}`).forBrowser('MiniBrowser').build();
        await driver.manage().window().setRect(device ?? { width: 1280, height: 800 });
        const keys = { Enter: Key.ENTER, Backspace: Key.BACK_SPACE, Control: Key.CONTROL };
        return {
            open: (url) => driver.get(url),
            run: (script, ...args) => driver.executeScript(script, ...args),
            press: ([modifier, name]) => (modifier ? driver.actions().keyDown(keys[modifier]).sendKeys(keys[name] ?? name).keyUp(keys[modifier])
                : driver.actions().sendKeys(keys[name])).perform(),
            type: (text) => driver.actions().sendKeys(text).perform(),
            click: async (selector) => (await driver.findElement({ css: selector })).click(),
            screenshot: async (path) => writeFile(path, await driver.takeScreenshot(), 'base64'),
            close: () => driver.quit().finally(stop),
        };
    },
};

// A key of a session is a key name, a text typed key by key, or a text that
// arrives in another way: "insert:" by input events alone, "compose:" as an
// input method's composition, "ime:" each character after a key down of key
// code 229, as a phone keyboard gives it at a person's pace, "paste:" by
// Ctrl+C from another field, then Ctrl+V into the terminal; or "229:" an
// edit given as Android's keyboard gives it, a key of code 229 and an input
// event of that type alone, which a terminal has as the key it names.
const ways = /^(insert|compose|ime|paste|229):(.*)$/s;
// The edits whose key a terminal has under another name: those input events,
// and Ctrl+Backspace, which the page takes as the word erase.
const editKeys = { insertLineBreak: 'Enter', insertParagraph: 'Enter', deleteContentBackward: 'Backspace', deleteWordBackward: 'Control+W', 'Control+Backspace': 'Control+W' };
// What a terminal is given for KEY.
const typedAs = (key) => editKeys[key] ?? key.replace(ways, (_, way, text) => (way === '229' ? editKeys[text] : text));
// Run in the page: gives TEXT, or an edit of INPUT_TYPE, as a phone's
// keyboard does, between a key down and up of code 229.
const give229 = (text, inputType) => {
    const field = document.activeElement;
    const key = (type) => field.dispatchEvent(Object.defineProperty(new KeyboardEvent(type, { key: 'Unidentified', bubbles: true }), 'keyCode', { value: 229 }));
    key('keydown');
    (inputType ? field.dispatchEvent(new InputEvent('input', { inputType, bubbles: true })) : document.execCommand('insertText', false, text));
    key('keyup');
};
const enterBy = {
    insert: (page, text) => page.run((data) => document.activeElement.dispatchEvent(new InputEvent('input', { inputType: 'insertText', data, bubbles: true })), text),
    compose: async (page, text) => {
        await page.run((t) => {
            const field = window.vending.terminal.textarea;
            field.dispatchEvent(new CompositionEvent('compositionstart', { data: '' }));
            field.value += t;
            field.dispatchEvent(new CompositionEvent('compositionupdate', { data: t }));
            field.dispatchEvent(new InputEvent('input', { data: t, inputType: 'insertCompositionText', isComposing: true }));
            field.dispatchEvent(new CompositionEvent('compositionend', { data: t }));
        }, text);
        await delay(120);
    },
    ime: async (page, text) => {
        for (const character of text) {
            await page.run(give229, character);
            await delay(120);
        }
    },
    229: (page, inputType) => page.run(give229, null, inputType),
    paste: async (page, text) => {
        await page.run((t) => document.body.appendChild(Object.assign(document.createElement('textarea'), { id: 'clip', value: t })).select(), text);
        await page.press(['Control', 'c']);
        await page.run(() => document.getElementById('clip').remove() ?? window.vending.terminal.focus());
        await page.press(['Control', 'v']);
    },
};
// The named keys of a session, and of a paste, each its modifier and key.
const namedKeys = { Enter: [null, 'Enter'], Backspace: [null, 'Backspace'], 'Control+Backspace': ['Control', 'Backspace'],
    ...Object.fromEntries(Array.from('CDUW\\', (key) => [`Control+${key}`, ['Control', key.toLowerCase()]])) };

// The text a terminal in the page shows, scrollback and all: the page's own,
// or given the bytes of a pseudo-terminal, another of the same size.
const screenText = (bytes) => new Promise((resolve) => {
    const { terminal } = window.vending;
    const shown = bytes === null ? terminal : new terminal.constructor({ cols: terminal.cols, rows: terminal.rows });
    shown.write(bytes === null ? '' : Uint8Array.from(bytes, (c) => c.charCodeAt(0)), () => {
        const { active } = shown.buffer;
        resolve(Array.from({ length: active.length }, (_, y) => active.getLine(y).translateToString(true)).join('\n').trimEnd());
    });
});

// What a terminal shows for the native program given the same keys, played
// once for each session, all at once, whatever the engine or the page's size.
const nativeBytes = sessions.map(async ({ keys }) => {
    const typed = JSON.stringify(keys.map(typedAs));
    const command = [join(here, 'terminal_session.py'), '--keys', typed, nativeProgram];
    return JSON.parse((await promisify(execFile)(python, command, { timeout: 60000 })).stdout);
});

// Types the keys, each once the page has settled: a line handed over is
// answered when the program waits again or has ended. Where a screen reader
// listens, gives it time to speak each answer (a key pressed while it speaks
// cuts it short, as it would for a person), and notes the answers, the first
// screen among them: when each came, and what it brought to the screen.
async function play(page, keys, listened) {
    let line = '';
    const answers = listened ? [{ at: listened, text: await page.run(screenText, null) }] : [];
    await delay(listened ? answerTime : 0);
    for (const key of keys) {
        const [waits, before, at] = [await page.run(() => window.vending.waits), await page.run(screenText, null), Date.now()];
        const [, way, text] = ways.exec(key) ?? [];
        await (way ? enterBy[way](page, text) : namedKeys[key] ? page.press(namedKeys[key]) : page.type(key));
        const typed = typedAs(key);
        const handsOver = /^(Enter|Control\+[C\\])$/.test(typed) || typed.includes('\n') || (typed === 'Control+D' && !line);
        line = typed === 'Backspace' ? line.slice(0, -1) : namedKeys[typed] ? '' : (line + typed).split('\n').pop();
        if (handsOver) {
            await waitFor(page, (w) => window.vending.waits > w || window.vending.exitStatus !== null, waits);
            answers.push({ at, text: (await page.run(screenText, null)).slice(before.length) });
            await delay(listened ? answerTime : 0);
        }
    }
    // Each session ends the program.
    await waitFor(page, () => window.vending.exitStatus !== null);
    const end = { at: answers.at(-1)?.at, text: await page.run(() => document.getElementById('status').textContent) };
    return { text: await page.run(screenText, null), status: await page.run(() => window.vending.exitStatus), answers, end };
}

// Orca, the screen reader, started for the test on its display and session
// bus; ready once the accessibility registry has its listener for inserted
// text. Gives a function that ends it and reads what it spoke: it writes its
// log (beside the screenshot, to look at) in blocks, so the log is whole only
// once Orca has ended.
async function startScreenReader() {
    const log = screenshot.replace(/png$/, 'orca.log');
    const orca = spawn('orca', ['--replace', `--debug-file=${log}`], { stdio: 'ignore' });
    process.on('exit', () => orca.kill('SIGKILL'));
    const call = async (...args) => (await promisify(execFile)('gdbus', ['call', ...args])).stdout;
    const events = async () => {
        const [, bus] = /'([^']*)'/.exec(await call('--session', '-d', 'org.a11y.Bus', '-o', '/org/a11y/bus', '-m', 'org.a11y.Bus.GetAddress'));
        return call('--address', bus, '-d', 'org.a11y.atspi.Registry', '-o', '/org/a11y/atspi/registry', '-m', 'org.a11y.atspi.Registry.GetRegisteredEvents');
    };
    await until(() => events().then((listened) => listened.includes('Object:TextChanged:Insert'), () => false), 'Orca to listen');
    return async () => {
        orca.kill('SIGTERM');
        await until(() => orca.exitCode !== null || orca.signalCode !== null, 'Orca to end');
        return readFile(log, 'utf8');
    };
}
let stopScreenReader = null;

// Fails unless Orca spoke each answer that brought text, and then the end,
// once and whole after its key, and after the one before (on a busy machine,
// maybe after the next key): its log gives each utterance in a line of its
// own, with its time of day.
function checkSpoken(said, mode, { answers, end }) {
    const spoken = [...said.matchAll(/^(\d\d):(\d\d):(\d\d)\.(\d{3})\d* - SPEECH OUTPUT: '(.*?)' ?(?:\{|$)/gm)]
        .map(([, hour, minute, second, ms, said]) => ({ at: new Date().setHours(hour, minute, second, ms), said }));
    const heard = [...answers.filter(({ text }) => text.trim()), end]
        .map(({ text, at }) => [text, spoken.filter((u) => u.at >= at && u.said === text.replace(/\s+/g, ' ').trim()).map((u) => u.at)]);
    const unheard = heard.filter(([, times], i) => times.length !== 1 || times[0] < (heard[i - 1]?.[1][0] ?? 0));
    (unheard.length ? fail : console.log)(`${mode}: Orca spoke each answer and the end once, whole and in order${unheard.map(([text]) => `, but not: ${text}`).join('')}`);
}

// The accessibility rules of axe-core that the page breaks, as it is now,
// once a screen reader can find the dialogue: the terminal's rows stand in
// xterm.js's accessibility tree, and every screen here shows the menu.
async function audit(page, mode) {
    await waitFor(page, () => document.querySelector('.xterm-accessibility-tree')?.textContent.includes('1 - Water $0.50'));
    await page.run(axeSource);
    const broken = await page.run(async () => (await window.axe.run(document)).violations.map((v) => `${v.id} (${v.help}: ${v.nodes.map((n) => n.target).join(', ')})`));
    (broken.length ? fail : console.log)(`${mode}: the dialogue in the accessibility tree; axe-core finds ${broken.length} accessibility rules broken ${broken.join(', ')}`);
}

// Run in the page, before its script where the driver can: notes each error
// that nothing caught.
const watchErrors = () => ['error', 'unhandledrejection'].forEach((type) =>
    addEventListener(type, (event) => (window.pageErrors ??= []).push(`${event.message ?? event.reason}`)));
const errorsAndRequests = (page) => page.run(() => [window.pageErrors ?? [], performance.getEntriesByType('resource').map((entry) => entry.name)]);

async function playAll(engine, url, folder, mode, device) {
    const page = await drivers[engine.driver](engine, device);
    try {
        await page.preload?.(watchErrors);
        await page.open(url);
        await waitFor(page, () => window.vending?.waits > 0);
        // How long the page took to show its first screen, by its clock from
        // the start of its loading.
        console.log(`${mode}: the first screen after ${Math.round(await page.run(() => performance.now()))} ms`);
        await (page.preload || page.run(watchErrors));
        await audit(page, mode);
        // On a phone, the sessions of its ways of entering text; with a
        // screen reader, those for it.
        const played = [...sessions.entries()].filter(([, { keys, spoken }]) => (stopScreenReader ? spoken
            : !device || keys.some((key) => ways.test(key))));
        const heard = [];
        for (const [index, { name, keys }] of played) {
            // A screen reader hears the first screen of a new wallet, after
            // a run stopped: it keeps quiet about text the same as the last it
            // was given, such as the first screen the page opened with.
            if (stopScreenReader) {
                await page.press(namedKeys['Control+C']);
                await waitFor(page, () => window.vending.exitStatus !== null);
                await delay(answerTime);
            }
            const listened = stopScreenReader && Date.now();
            if (index !== played[0][0] || listened) {
                await page.click('#new-wallet');
                await waitFor(page, () => window.vending.waits > 0);
            }
            const shown = await play(page, keys, listened);
            const native = await nativeBytes[index];
            const expected = { text: await page.run(screenText, native.screen), status: native.status };
            const same = shown.text === expected.text && shown.status === expected.status;
            (same ? console.log : fail)(same ? `${mode}, ${name}: as at a terminal, status ${shown.status}`
                : `${mode}, ${name}: the page showed (status ${shown.status})\n${shown.text}\nwhere a terminal shows (status ${expected.status})\n${expected.text}`);
            heard.push([`${mode}, ${name}`, shown]);
            await (index === 2 && !device && page.screenshot(screenshot));
        }
        if (stopScreenReader) {
            const said = await stopScreenReader();
            heard.forEach(([session, shown]) => checkSpoken(said, session, shown));
        }
        await audit(page, `${mode}, after the sessions`);
        const [errors, asked] = await errorsAndRequests(page);
        const outside = asked.filter((name) => !name.startsWith(folder) && !name.startsWith('data:'));
        (errors.length || outside.length ? fail : console.log)(`${mode}: errors in the page: ${errors.join('; ') || 'none'}; asked for outside its folder: ${outside.join(' ') || 'nothing'}`);
        if (page.preload) {
            await page.preload(() => delete window.WebAssembly);
            await page.open(url);
            await waitFor(page, () => document.getElementById('status').textContent.includes('WebAssembly'));
            const [said, [errors]] = [await page.run(screenText, null), await errorsAndRequests(page)];
            (said.includes('WebAssembly') && !errors.length ? console.log : fail)(
                `${mode}, without WebAssembly: the page says\n${said}\nerrors in the page: ${errors.join('; ') || 'none'}`);
        }
    } finally {
        await page.close();
    }
}

// The page's folder as any static host serves it, below a folder of its own.
const server = createServer(async (request, response) => {
    const path = normalize(decodeURIComponent(new URL(request.url, 'http://x').pathname));
    try {
        // Nothing outside the page's own folder, which readFile refuses.
        const body = await readFile(path.startsWith('/vending/') ? join(pageDir, path.slice('/vending/'.length) || 'index.html') : '');
        const type = { html: 'text/html', js: 'text/javascript', css: 'text/css' }[path.split('.').pop()];
        response.writeHead(200, type ? { 'Content-Type': type } : {}).end(body);
    } catch {
        response.writeHead(404).end();
    }
});
await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
const served = `http://127.0.0.1:${server.address().port}/vending/`;
const folder = pathToFileURL(pageDir).href + '/';

const started = Date.now();
// A wait that no limit above covers (a browser that never answers, say) ends
// the test well before ctest would, saying so; the lines printed until then
// tell where it stopped.
setTimeout(() => { fail('the browser test had not ended after 240 s'); process.exit(); }, 240000).unref();
const engine = engines.find(({ name }) => name === engineName);
try {
    stopScreenReader = engine.screenReader && (await startScreenReader());
    await playAll(engine, `${folder}index.html`, folder, `${engine.name}, from disk`);
    if (!engine.screenReader) {
        await playAll(engine, served, served, `${engine.name}, from a static server`);
        await playAll(engine, served, served, `${engine.name}, on a phone, served`, engine.phone);
    }
} catch (error) {
    fail(`${engine.name}: ${error.stack}`);
}
console.log(`the browser test in ${engine.name} took ${((Date.now() - started) / 1000).toFixed(1)} s`);
// The server, and a browser that a failure left open, end with the test.
process.exit();
