// Shared rig for the browser tests: a static server, Debian's Chromium through playwright-core,
// Web MIDI permissions, the ALSA sequencer model preloaded and driven over its control socket.
//
// Use (node >= 18, ES modules):
//   import { serveStatic, launchChromium, openPage, ModelControl, modelEnvironment } from '<repo>/tests/web/harness.mjs';
//   const site = await serveStatic(folder);                       // site.url = 'http://127.0.0.1:<port>/'
//   const model = modelEnvironment(process.env.AMPLIX_ALSASEQ_MODEL); // null: no model, plain Chromium
//   const browser = await launchChromium({ model });
//   const session = await openPage(browser, site.url + 'index.html');  // midi + midi-sysex granted
//   ... session.page (playwright Page), await model.control.stats() ...
//   session.assertNoPageErrors(); await session.screenshot('name');  // into $AMPLIX_WEB_SCREENSHOTS
//   await session.close(); await browser.close(); await site.close(); model?.dispose();
// Environment: AMPLIX_CHROMIUM (default /usr/bin/chromium), AMPLIX_WEB_NODE_MODULES (default
// <repo>/web/node_modules), AMPLIX_WEB_SCREENSHOTS (screenshots are skipped when unset).
import fs from 'node:fs';
import net from 'node:net';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';
import { serveFolder } from '../../web/tools/serve.mjs';

export const repoRoot = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '..', '..');
export const chromiumPath = process.env.AMPLIX_CHROMIUM || '/usr/bin/chromium';
// What CTest takes as "skipped" from a browser test.
export const kSkipExitCode = 77;

// The flags that let Debian's Chromium run headless here as root, with nothing reaching out
// to the network on its own.
export const chromiumFlags = [
    '--headless',
    '--no-sandbox',
    '--disable-gpu',
    '--disable-quic',
    '--no-first-run',
    '--disable-background-networking',
    '--disable-component-update',
    '--disable-sync',
];

// Serves folder as a static site on 127.0.0.1 at a free port, as any static host would: no
// cross-origin isolation, so the page is seen to need none. Only files inside folder are served.
export async function serveStatic(folder) {
    const { server, url } = await serveFolder(folder);
    const { port } = server.address();
    return {
        port,
        url,
        origin: `http://127.0.0.1:${port}`,
        close: () =>
            new Promise((resolve) => {
                server.closeAllConnections?.();
                server.close(() => resolve());
            }),
    };
}

// Runs named steps one after the other, each failure kept with its stack; report() prints them
// all and ends the process, failed when any step failed.
export function stepRunner() {
    const steps = [];
    let failures = 0;
    return {
        async step(name, body) {
            try {
                await body();
                steps.push(`ok   ${name}`);
            } catch (error) {
                ++failures;
                steps.push(`FAIL ${name}\n     ${String(error.stack || error).split('\n').slice(0, 6).join('\n     ')}`);
            }
        },
        report() {
            console.log(steps.join('\n'));
            process.exit(failures ? 1 : 0);
        },
    };
}

let playwright;
async function chromiumDriver() {
    if (!playwright) {
        const modules = process.env.AMPLIX_WEB_NODE_MODULES || path.join(repoRoot, 'web', 'node_modules');
        const entry = path.join(modules, 'playwright-core', 'index.mjs');
        playwright = await import(pathToFileURL(entry).href);
    }
    return playwright.chromium;
}

// The built site a page test runs on ($AMPLIX_WEB_DIR, default build/web), with these files at
// least: a site that is not there is a build fault, not a reason to skip. Without Chromium the
// test is skipped. Exits the test either way.
export function builtSiteOrExit(extra = []) {
    const site = path.resolve(process.env.AMPLIX_WEB_DIR || path.join(repoRoot, 'build', 'web'));
    for (const file of ['index.html', 'app/main.js', 'amplix-core.js', 'amplix-core.wasm', ...extra]) {
        if (!fs.existsSync(path.join(site, file))) {
            console.log(`FAIL: ${file} is not in ${site}; scripts/build --web builds the site`);
            process.exit(1);
        }
    }
    if (!chromiumAvailable()) {
        console.log('skipped: no Chromium');
        process.exit(kSkipExitCode);
    }
    return site;
}

export function chromiumAvailable() {
    try {
        fs.accessSync(chromiumPath, fs.constants.X_OK);
        return true;
    } catch {
        return false;
    }
}

// A fresh folder for one run's control socket and log; dispose() removes it.
// library: the path of libamplix_alsaseq_model.so. Returns null without a library.
export function modelEnvironment(library) {
    if (!library) return null;
    const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'amplix-web-'));
    const socket = path.join(folder, 'control.sock');
    const log = path.join(folder, 'device.log');
    return {
        library,
        socket,
        log,
        control: new ModelControl(socket),
        env: { LD_PRELOAD: library, AMPLIX_ALSASEQ_CONTROL: socket, AMPLIX_ALSASEQ_LOG: log },
        dispose: () => fs.rmSync(folder, { recursive: true, force: true }),
    };
}

// Chromium through playwright-core; with model (from modelEnvironment) every process of it has
// the sequencer model preloaded, and the one that opens the sequencer serves model.socket.
export async function launchChromium({ model = null, args = [], env = {} } = {}) {
    const chromium = await chromiumDriver();
    return chromium.launch({
        executablePath: chromiumPath,
        headless: true,
        args: [...chromiumFlags, ...args],
        env: { ...process.env, ...(model ? model.env : {}), ...env },
    });
}

// A new context and page with midi and midi-sysex granted for url's origin. Every uncaught page
// error and every console error is collected; a test calls assertNoPageErrors() at its end.
// initScript (a function or source text) runs in every document of the page before its own scripts.
export async function openPage(browser, url, { permissions = ['midi', 'midi-sysex'], initScript = null } = {}) {
    const context = await browser.newContext();
    await context.grantPermissions(permissions, { origin: new URL(url).origin });
    if (initScript) await context.addInitScript(initScript);
    const page = await context.newPage();
    const pageErrors = [];
    const consoleErrors = [];
    page.on('pageerror', (error) => pageErrors.push(error));
    page.on('console', (message) => {
        if (message.type() === 'error') consoleErrors.push(message.text());
    });
    await page.goto(url);
    return {
        context,
        page,
        pageErrors,
        consoleErrors,
        assertNoPageErrors() {
            if (pageErrors.length)
                throw new Error('uncaught page errors:\n' + pageErrors.map((e) => e.stack || String(e)).join('\n'));
        },
        screenshot: (name) => screenshot(page, name),
        close: () => context.close(),
    };
}

// Into $AMPLIX_WEB_SCREENSHOTS/<name>.png; returns the file, or null when the variable is unset.
export async function screenshot(page, name) {
    const folder = process.env.AMPLIX_WEB_SCREENSHOTS;
    if (!folder) return null;
    fs.mkdirSync(folder, { recursive: true });
    const file = path.join(folder, `${name.replace(/[^\w.-]+/g, '_')}.png`);
    await page.screenshot({ path: file });
    return file;
}

// One command line to the model's control socket, its one reply line back. Rejects on an
// "error ..." reply, a closed socket or after timeoutMs.
export function controlCommand(socket, command, { timeoutMs = 15000 } = {}) {
    return new Promise((resolve, reject) => {
        const connection = net.createConnection(socket);
        let reply = '';
        const timer = setTimeout(() => {
            connection.destroy();
            reject(new Error(`control "${command}": no reply in ${timeoutMs} ms`));
        }, timeoutMs);
        const finish = (error, value) => {
            clearTimeout(timer);
            connection.destroy();
            if (error) reject(error);
            else resolve(value);
        };
        connection.setEncoding('latin1');
        connection.on('connect', () => connection.write(command + '\n'));
        connection.on('data', (chunk) => {
            reply += chunk;
            const end = reply.indexOf('\n');
            if (end < 0) return;
            const line = reply.slice(0, end);
            if (line === 'ok' || line.startsWith('ok ')) finish(null, line.slice(3));
            else finish(new Error(`control "${command}": ${line}`));
        });
        connection.on('error', (error) => finish(error));
        connection.on('close', () => finish(new Error(`control "${command}": connection closed`)));
    });
}

export function fromHex(text) {
    if (text.length % 2 || /[^0-9A-Fa-f]/.test(text)) throw new Error(`not hex: ${text.slice(0, 40)}`);
    return Uint8Array.from(text.match(/../g) ?? [], (pair) => parseInt(pair, 16));
}

export function toHex(bytes) {
    return Array.from(bytes, (b) => b.toString(16).padStart(2, '0').toUpperCase()).join('');
}

// The model's control commands, typed: hex replies come back as Uint8Array.
export class ModelControl {
    constructor(socket) {
        this.socket = socket;
    }
    command(line, options) {
        return controlCommand(this.socket, line, options);
    }
    // Until the browser's MIDI code has opened the sequencer and the socket answers.
    async waitUntilServing(timeoutMs = 15000) {
        const end = Date.now() + timeoutMs;
        for (;;) {
            try {
                await this.command('plugged', { timeoutMs: 2000 });
                return;
            } catch (error) {
                if (Date.now() > end) throw new Error(`model control socket never answered: ${error.message}`);
                await new Promise((resolve) => setTimeout(resolve, 100));
            }
        }
    }
    unplug() {
        return this.command('unplug');
    }
    plugIn() {
        return this.command('plugin');
    }
    async pluggedIn() {
        return (await this.command('plugged')) === '1';
    }
    // { eventsToPort, largestEventToPort, overruns, largestBufferFill, bytesToDevice,
    //   bytesFromDevice, eventsFromPort, largestEventFromPort }, all numbers.
    async stats() {
        const stats = {};
        for (const field of (await this.command('stats')).split(' ')) {
            const [key, value] = field.split('=');
            stats[key] = Number(value);
        }
        return stats;
    }
    // Polls stats() until predicate(stats) holds; rejects with the last stats after timeoutMs.
    // Timestamped sends leave the cable quiet between messages, so idle() alone can come early.
    async waitForStats(predicate, timeoutMs = 10000) {
        const end = Date.now() + timeoutMs;
        for (;;) {
            const stats = await this.stats();
            if (predicate(stats)) return stats;
            if (Date.now() > end) throw new Error(`model stats never as awaited: ${JSON.stringify(stats)}`);
            await new Promise((resolve) => setTimeout(resolve, 20));
        }
    }
    async bankDump() {
        return fromHex(await this.command('bank'));
    }
    async editBuffer() {
        return fromHex(await this.command('edit'));
    }
    async currentProgram() {
        return Number(await this.command('program'));
    }
    // Every complete message the device received since the start, reset or clearLog().
    async deviceMessages() {
        const reply = await this.command('log');
        return reply ? reply.split(' ').map(fromHex) : [];
    }
    clearLog() {
        return this.command('clearlog');
    }
    // The user turns a knob on the device; returns the control change it sends.
    async turnKnob(controller, value) {
        return fromHex(await this.command(`knob ${controller} ${value}`));
    }
    // The user chooses program 0..36 on the device; returns the program change it sends.
    async choosePatch(program) {
        return fromHex(await this.command(`choose ${program}`));
    }
    // Until both cables are quiet; rejects when that takes longer than ms.
    idle(ms = 10000) {
        return this.command(`idle ${ms}`, { timeoutMs: ms + 5000 });
    }
    reset() {
        return this.command('reset');
    }
}
