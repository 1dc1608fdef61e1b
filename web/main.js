// Plays vending in the page: the WebAssembly program reads what is typed at
// an xterm.js terminal and writes to it, as it would at a terminal in its
// usual line mode. The program waits for a line inside the page thanks to
// asyncify: its read unwinds, the page waits for Enter, the read resumes.
import { ConsoleStdout, Fd, WASI, WASIProcExit, wasi } from '@bjorn3/browser_wasi_shim';
import { FitAddon } from '@xterm/addon-fit';
import { Terminal } from '@xterm/xterm';
import '@xterm/xterm/css/xterm.css';
import './style.css';
import programBytes from './vending.wasm';

// What a terminal's line mode does with each key that edits or ends the
// line, as stty sets them by default: Ctrl-C and Ctrl-\ stop the program, as
// SIGINT and SIGQUIT would, with the status a shell shows (128 + signal).
// Ctrl+Backspace, which xterm.js gives as Ctrl-H, erases the last word as a
// desktop's text fields do: most browsers keep Ctrl+W for closing the tab.
const eraseWord = (run) => run.eraseTo(Array.from(run.line.replace(/[^ \t]*[ \t]*$/, '')).length);
const lineKeys = {
    '\r': (run) => run.enter(),
    '\x7f': (run) => run.eraseTo(run.typed().length - 1), // Backspace
    '\x15': (run) => run.eraseTo(0), // Ctrl-U: the whole line
    // Ctrl-W: the blanks before the cursor, then the word before them.
    '\x17': eraseWord,
    '\b': eraseWord, // Ctrl+Backspace
    '\x04': (run) => run.handOver(run.line), // Ctrl-D
    '\x03': (run) => run.signal('^C', 130), // Ctrl-C
    '\x1c': (run) => run.signal('^\\', 131), // Ctrl-\
};
// Edits that a phone's keyboard gives as input events alone, under a key of
// code 229, and the keys that make them.
const inputKeys = { insertLineBreak: '\r', insertParagraph: '\r', deleteContentBackward: '\x7f', deleteWordBackward: '\x17' };

// On a phone, a smaller font keeps the prompt on one line.
const fontSize = matchMedia('(max-width: 36rem)').matches ? 10 : 15;
const terminal = new Terminal({ convertEol: true, cursorBlink: true, fontSize, screenReaderMode: true });
const fit = new FitAddon();
terminal.loadAddon(fit);
terminal.open(document.getElementById('terminal'));
fit.fit();
addEventListener('resize', () => fit.fit());
terminal.focus();

// For tests, and for people looking on from the browser's console.
const vending = { terminal, waits: 0, exitStatus: null };
window.vending = vending;

const status = document.getElementById('status');

class Stopped extends Error {}

// One run of the program, and the keyboard as its standard input: a line
// is handed over on Enter, or as it stands on Ctrl-D, which on an empty line
// makes one read meet the end of input.
class Run {
    constructor() {
        this.line = '';
        this.handedOver = [];
        this.lineRead = false;
        this.wakeReader = null;
        this.stopped = null;
    }

    type(data) {
        for (const key of data) {
            if (lineKeys[key]) {
                lineKeys[key](this);
            } else if (key >= ' ') {
                this.line += key;
                terminal.write(key);
            }
        }
    }

    typed() {
        return Array.from(this.line);
    }

    enter() {
        terminal.write('\r\n');
        this.handOver(`${this.line}\n`);
    }

    // Keeps the first LENGTH characters of the line, erasing the rest on the
    // screen one by one, as a terminal echoes an erase.
    eraseTo(length) {
        const typed = this.typed();
        const kept = Math.max(length, 0);
        terminal.write('\b \b'.repeat(typed.length - kept));
        this.line = typed.slice(0, kept).join('');
    }

    signal(echo, status) {
        terminal.write(echo);
        this.stop(status);
    }

    handOver(text) {
        this.handedOver.push(new TextEncoder().encode(text));
        this.line = '';
        this.wake();
    }

    // Ends the run with STATUS at its next read, or at once where it waits
    // for one.
    stop(status) {
        this.stopped = status;
        this.wake();
    }

    wake() {
        const wake = this.wakeReader;
        this.wakeReader = null;
        wake?.();
    }

    // Standard input as the WASI host reads it: at most one handed-over line
    // a read, as from a terminal; an empty one is the end of input.
    stdin() {
        const run = this;
        return new (class extends Fd {
            fd_fdstat_get() {
                const fdstat = new wasi.Fdstat(wasi.FILETYPE_CHARACTER_DEVICE, 0);
                fdstat.fs_rights_base = BigInt(wasi.RIGHTS_FD_READ);
                return { ret: wasi.ERRNO_SUCCESS, fdstat };
            }

            // Called once for each buffer of one read; the read ends with
            // the line, even if a buffer is left.
            fd_read(size) {
                const [next] = run.handedOver;
                if (run.lineRead || size === 0 || !next) {
                    return { ret: wasi.ERRNO_SUCCESS, data: new Uint8Array() };
                }
                const data = next.subarray(0, size);
                if (data.length === next.length) {
                    run.handedOver.shift();
                    run.lineRead = true;
                } else {
                    run.handedOver[0] = next.subarray(size);
                }
                return { ret: wasi.ERRNO_SUCCESS, data };
            }
        })();
    }

    // The read that the program waits in: it resumes once a line is handed
    // over, and never once the run is stopped.
    async waitForInput() {
        while (this.stopped === null && this.handedOver.length === 0) {
            await new Promise((resolve) => {
                this.wakeReader = resolve;
                // Counted once the terminal shows all that was written.
                terminal.write('', () => vending.waits++);
            });
        }
        if (this.stopped !== null) {
            throw new Stopped();
        }
    }

    async play(module) {
        const output = new ConsoleStdout((bytes) => terminal.write(bytes));
        const host = new WASI(['vending'], [], [this.stdin(), output, output]);
        const read = host.wasiImport.fd_read;
        const imports = {
            wasi_snapshot_preview1: {
                ...host.wasiImport,
                fd_read: (fd, ...rest) => {
                    const readLine = () => {
                        this.lineRead = false;
                        return read(fd, ...rest);
                    };
                    if (fd === 0 && (this.stopped !== null || this.handedOver.length === 0)) {
                        return this.waitForInput().then(readLine);
                    }
                    return readLine();
                },
            },
        };
        // Loaded only where WebAssembly is, which it builds on.
        const Asyncify = await import('asyncify-wasm');
        const instance = await Asyncify.instantiate(module, imports);
        host.initialize(instance);
        this.started = true;
        try {
            await instance.exports._start();
            return 0;
        } catch (error) {
            if (error instanceof WASIProcExit) {
                return error.code;
            }
            if (error instanceof Stopped) {
                return this.stopped;
            }
            throw error;
        }
    }
}

const programModule = globalThis.WebAssembly ? WebAssembly.compile(programBytes)
    : Promise.reject(new Error('This browser has no WebAssembly'));
// Told where it is awaited.
programModule.catch(() => {});
let run = null;
terminal.onData((data) => run?.type(data));

// Ctrl+V (Cmd+V on a Mac) is the browser's paste, not a control character:
// the terminal takes the pasted text as typed, each line end as Enter. A key
// of code 229 is a phone keyboard's or an input method's, whose text comes
// with the input event below.
const pasteKey = (event) => (event.ctrlKey || event.metaKey) && !event.altKey && event.key.toLowerCase() === 'v';
terminal.attachCustomKeyEventHandler((event) => event.keyCode !== 229 && !pasteKey(event));
// Suggestion strips, voice typing and phone keyboards give their text and
// edits as input events alone, which the terminal in its screen reader mode
// leaves to the keys: Android's own keyboard gives every key so, under a key
// of code 229. A key that gave its own key event has been taken already, and
// a composition gives its text at its end.
let keyDown = false;
terminal.textarea.addEventListener('keydown', (event) => (keyDown = event.keyCode !== 229));
terminal.textarea.addEventListener('keyup', () => (keyDown = false));
terminal.textarea.addEventListener('input', (event) => {
    if (keyDown || event.isComposing) {
        return;
    }
    if (inputKeys[event.inputType]) {
        run?.type(inputKeys[event.inputType]);
    } else if (/^insert(Text|FromPaste)$/.test(event.inputType) && event.data) {
        run?.type(event.data.replace(/\r?\n/g, '\r'));
    }
});

// A browser without WebAssembly, or with it turned off, cannot play, and
// says so rather than leave the page blank.
function cannotPlay(error) {
    const why = 'vending cannot play in this browser: it runs as WebAssembly, which this browser lacks or has turned '
        + "off (as iPhone's Lockdown Mode, Tor Browser's safer security levels and some managed browsers do).";
    status.textContent = `${why} ${error.message}.`;
    terminal.write(`${why}\r\n${error.message}.\r\n`);
}

let endTold = null;
async function newWallet() {
    // A run still waiting for a line ends unseen, and so does the end of the last.
    run?.stop(0);
    clearTimeout(endTold);
    const thisRun = new Run();
    run = thisRun;
    terminal.reset();
    terminal.focus();
    vending.waits = 0;
    vending.exitStatus = null;
    status.textContent = 'Playing: type a number from 1 to 5 and press Enter.';
    let exitStatus;
    try {
        exitStatus = await thisRun.play(await programModule);
    } catch (error) {
        if (!thisRun.started) {
            return cannotPlay(error);
        }
        // A trap: never an ordinary end.
        terminal.write(`\r\nvending: ${error.message}\r\n`);
        exitStatus = 70;
    }
    if (run !== thisRun) {
        return;
    }
    run = null;
    // Settled once the terminal shows all that the program wrote. The status
    // line tells the end once a screen reader has had the last answer too:
    // xterm.js hands it new text at most once a second, and a screen reader
    // may drop a message that comes within a tenth of a second of other new
    // text. Both the terminal and the status line are assertive, which a
    // screen reader speaks in the order they come; a polite status it would
    // speak ahead of an answer still waiting, or drop for it.
    terminal.write('', () => {
        vending.exitStatus = exitStatus;
        endTold = setTimeout(() => (status.textContent = `vending has ended with status ${exitStatus}. New wallet plays again.`), 1500);
    });
}

document.getElementById('new-wallet').addEventListener('click', newWallet);
newWallet();
