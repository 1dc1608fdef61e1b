// Plays vending in the page: the WebAssembly program reads what is typed at
// an xterm.js terminal and writes to it, as it would at a terminal in its
// usual line mode. The program waits for a line inside the page thanks to
// asyncify: its read unwinds, the page waits for Enter, the read resumes.
import { ConsoleStdout, Fd, WASI, WASIProcExit, wasi } from '@bjorn3/browser_wasi_shim';
import { FitAddon } from '@xterm/addon-fit';
import { Terminal } from '@xterm/xterm';
import '@xterm/xterm/css/xterm.css';
import * as Asyncify from 'asyncify-wasm';
import './style.css';
import programBytes from './vending.wasm';

const keys = { enter: '\r', erase: '\x7f', backspace: '\b', endOfInput: '\x04', interrupt: '\x03' };
// What a shell reports for a program stopped by Ctrl-C (128 + SIGINT).
const interruptedStatus = 130;

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

class Interrupted extends Error {}

// One run of the program, and the keyboard as its standard input: a line
// is handed over on Enter, or as it stands on Ctrl-D, which on an empty line
// makes one read meet the end of input.
class Run {
    constructor() {
        this.line = '';
        this.handedOver = [];
        this.lineRead = false;
        this.wakeReader = null;
        this.interrupted = false;
    }

    type(data) {
        for (const key of data) {
            if (key === keys.enter) {
                terminal.write('\r\n');
                this.handOver(`${this.line}\n`);
            } else if (key === keys.erase || key === keys.backspace) {
                if (this.line) {
                    this.line = Array.from(this.line).slice(0, -1).join('');
                    terminal.write('\b \b');
                }
            } else if (key === keys.endOfInput) {
                this.handOver(this.line);
            } else if (key === keys.interrupt) {
                terminal.write('^C');
                this.stop();
            } else if (key >= ' ') {
                this.line += key;
                terminal.write(key);
            }
        }
    }

    handOver(text) {
        this.handedOver.push(new TextEncoder().encode(text));
        this.line = '';
        this.wake();
    }

    // Ends the run at its next read, or at once where it waits for one.
    stop() {
        this.interrupted = true;
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
    // over, and never once Ctrl-C has stopped the program.
    async waitForInput() {
        while (!this.interrupted && this.handedOver.length === 0) {
            await new Promise((resolve) => {
                this.wakeReader = resolve;
                // Counted once the terminal shows all that was written.
                terminal.write('', () => vending.waits++);
            });
        }
        if (this.interrupted) {
            throw new Interrupted();
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
                    if (fd === 0 && (this.interrupted || this.handedOver.length === 0)) {
                        return this.waitForInput().then(readLine);
                    }
                    return readLine();
                },
            },
        };
        const instance = await Asyncify.instantiate(module, imports);
        host.initialize(instance);
        try {
            await instance.exports._start();
            return 0;
        } catch (error) {
            if (error instanceof WASIProcExit) {
                return error.code;
            }
            if (error instanceof Interrupted) {
                return interruptedStatus;
            }
            throw error;
        }
    }
}

const programModule = WebAssembly.compile(programBytes);
let run = null;
terminal.onData((data) => run?.type(data));

// Ctrl+V (Cmd+V on a Mac) is the browser's paste, not a control character:
// the terminal takes the pasted text as typed, each line end as Enter. A key
// of code 229 is a phone keyboard's or an input method's, whose text comes
// with the input event below.
const pasteKey = (event) => (event.ctrlKey || event.metaKey) && !event.altKey && event.key.toLowerCase() === 'v';
terminal.attachCustomKeyEventHandler((event) => event.keyCode !== 229 && !pasteKey(event));
// Suggestion strips, voice typing and phone keyboards insert text with no
// key of its own, which the terminal in its screen reader mode leaves to the
// keys. A key held down has given its text already, and a composition gives
// its own at its end.
let keyDown = false;
terminal.textarea.addEventListener('keydown', (event) => (keyDown = event.keyCode !== 229));
terminal.textarea.addEventListener('keyup', () => (keyDown = false));
terminal.textarea.addEventListener('input', (event) => {
    if (event.inputType === 'insertText' && event.data && !event.isComposing && !keyDown) {
        run?.type(event.data);
    }
});

async function newWallet() {
    // A run still waiting for a line ends unseen.
    run?.stop();
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
        // A trap: never an ordinary end.
        terminal.write(`\r\nvending: ${error.message}\r\n`);
        exitStatus = 70;
    }
    if (run !== thisRun) {
        return;
    }
    run = null;
    // Settled once the terminal shows all that the program wrote.
    terminal.write('', () => {
        vending.exitStatus = exitStatus;
        status.textContent = `vending has ended with status ${exitStatus}. New wallet plays again.`;
    });
}

document.getElementById('new-wallet').addEventListener('click', newWallet);
newWallet();
