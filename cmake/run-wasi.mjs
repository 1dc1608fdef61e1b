// Runs a WebAssembly program built for WASI with Node.js's own WASI host,
// with this process's standard input, output and error, and ends with its
// exit status.
// Usage: node --no-warnings run-wasi.mjs [--max-memory=MIB] PROGRAM.wasm [ARG...]
//   --max-memory  caps the program's memory, as a limit on address space
//                 would a native program's
import { readFile } from 'node:fs/promises';
import { basename } from 'node:path';
import { setFlagsFromString } from 'node:v8';
import { WASI } from 'node:wasi';

const args = process.argv.slice(2);
const cap = /^--max-memory=([0-9]+)$/.exec(args[0] ?? '');
if (cap) {
    args.shift();
    // In pages of 64 KiB, before any module is compiled.
    setFlagsFromString(`--wasm-max-mem-pages=${Number(cap[1]) * 16}`);
}
const [program, ...programArgs] = args;
if (!program) {
    console.error('usage: run-wasi.mjs [--max-memory=MIB] PROGRAM.wasm [ARG...]');
    process.exit(2);
}

const wasi = new WASI({ version: 'preview1', args: [basename(program, '.wasm'), ...programArgs], returnOnExit: true });
// Each host function is wrapped in a plain one: handed to the module as they
// are, V8's fast calls into them crash Node 20 once the program's memory has
// grown by a few MiB.
const host = Object.fromEntries(Object.entries(wasi.wasiImport).map(([name, call]) => [name, (...values) => call(...values)]));
try {
    const { instance } = await WebAssembly.instantiate(await readFile(program), { wasi_snapshot_preview1: host });
    process.exitCode = wasi.start(instance);
} catch (error) {
    // A trap (an unreachable instruction, memory out of bounds) or a program
    // that is not one: never an ordinary end.
    console.error(`${basename(program)}: ${error.message}`);
    process.exitCode = 70;
}
