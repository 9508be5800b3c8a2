// The page installed and offline in headless Chromium, and the simulator's memory kept between
// visits: the manifest and the service worker's cache, a reload with the network cut, a new
// deploy that replaces the cache (an unchanged one fetches nothing), a stored patch there after a
// reload, a damaged record refused in the status line's words, Forget, and storage refused.
// Run: node tests/web/page_offline.e2e.mjs  (site from $AMPLIX_WEB_DIR, default build/web)
import assert from 'node:assert/strict';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { pathToFileURL } from 'node:url';
import { stepRunner, builtSiteOrExit, launchChromium, openPage, repoRoot, screenshot } from './harness.mjs';
import { serveFolder } from '../../web/tools/serve.mjs';

const built = builtSiteOrExit(['service-worker.js', 'manifest.webmanifest']);
const { writeWorker, siteFiles } = await import(pathToFileURL(path.join(repoRoot, 'web', 'tools', 'offline-files.mjs')).href);

// A copy of the site in a folder of its own, below a path as on a real host, so a deploy can be
// changed under the running page.
const root = fs.mkdtempSync(path.join(os.tmpdir(), 'amplix-offline-'));
const site = path.join(root, 'tools', 'amplix');
fs.cpSync(built, site, { recursive: true });
const { server, url: origin } = await serveFolder(root);
const siteUrl = `${origin}tools/amplix/`;
const requests = [];
server.on('request', (request) => requests.push(new URL(request.url, origin).pathname.replace('/tools/amplix/', '')));

const browser = await launchChromium();
const { step, report } = stepRunner();
const session = await openPage(browser, `${siteUrl}index.html?test`);
const { page, context } = session;

const hook = (fn, ...args) => page.evaluate(([fn, args]) => window.amplixTest[fn](...args), [fn, args]);
const outcome = () => page.locator('#status-outcome').textContent();
async function waitOutcome(text) {
    await page.waitForFunction((t) => document.getElementById('status-outcome')?.textContent === t, text, { timeout: 8000 });
}
async function idle() {
    await page.waitForFunction(() => !window.amplixTest.awaitingAnswer(), null, { timeout: 10000 });
}
// The page (re)loaded and connected to the simulator the set-up offers.
async function connectSimulator() {
    await page.waitForSelector('#dialog-midi-setup', { timeout: 15000 });
    await page.click('#dialog-ok');
    await page.waitForFunction(() => document.body.dataset.state === 'connected');
    await idle();
}
// The page's IndexedDB as the test sees it, beside the page's own use of it: a record read
// (bytes as plain arrays), written (parts given as arrays become bytes), or every name kept.
function records(op, name = '', value = null) {
    return page.evaluate(async ([op, name, value]) => {
        const db = await new Promise((resolve, reject) => {
            const open = indexedDB.open('amplix32');
            open.onsuccess = () => resolve(open.result);
            open.onerror = () => reject(open.error);
        });
        try {
            const tx = db.transaction('records', op === 'put' ? 'readwrite' : 'readonly');
            const store = tx.objectStore('records');
            const bytes = (v) => (Array.isArray(v) ? Uint8Array.from(v) : v);
            const request = op === 'get' ? store.get(name)
                : op === 'names' ? store.getAllKeys()
                : store.put(value && typeof value === 'object' ? Object.fromEntries(Object.entries(value).map(([k, v]) => [k, bytes(v)])) : value, name);
            const result = await new Promise((resolve, reject) => {
                request.onsuccess = () => resolve(request.result);
                request.onerror = () => reject(request.error);
            });
            await new Promise((resolve) => { tx.oncomplete = resolve; tx.onabort = resolve; });
            if (result && typeof result === 'object' && !Array.isArray(result))
                return Object.fromEntries(Object.entries(result).map(([k, v]) => [k, v instanceof Uint8Array ? [...v] : v]));
            return result;
        } finally {
            db.close();
        }
    }, [op, name, value]);
}
// Polls check (async, run here) until it gives a value.
async function until(check, what, timeoutMs = 15000) {
    const deadline = Date.now() + timeoutMs;
    for (;;) {
        const value = await check();
        if (value) return value;
        if (Date.now() > deadline) throw new Error(`not seen in ${timeoutMs} ms: ${what}`);
        await page.waitForTimeout(100);
    }
}
const same = (a, b) => JSON.stringify(a) === JSON.stringify(b);
async function waitKept(bank, editBuffer) {
    try {
        return await until(async () => {
            const kept = await records('get', 'simulator');
            return kept && same(kept.bank, bank) && same(kept.editBuffer, editBuffer) ? kept : null;
        }, "the simulator's record as the device holds it", 5000);
    } catch (error) {
        const kept = await records('get', 'simulator');
        const differ = (a, b) => (a && b ? a.findIndex((x, i) => x !== b[i]) : 'absent');
        throw new Error(`${error.message}; bank differs at ${differ(kept?.bank, bank)}, edit buffer at ${differ(kept?.editBuffer, editBuffer)}; now ${differ(await hook('bankDump'), bank)}; outcome ${await outcome()}`);
    }
}
const cacheNames = () => page.evaluate(() => caches.keys());
async function cachedPaths(name) {
    return page.evaluate(async ([name, base]) => {
        const cache = await caches.open(name);
        return (await cache.keys()).map((r) => r.url.slice(base.length)).sort();
    }, [name, siteUrl]);
}

let factoryBank, firstCache;

await step('the site is installable: its manifest, icon, and a worker that caches every file', async () => {
    await connectSimulator();
    factoryBank = await hook('bankDump');
    const manifestHref = await page.locator('link[rel=manifest]').getAttribute('href');
    assert.equal(manifestHref, 'manifest.webmanifest');
    const manifest = await page.evaluate(async (href) => {
        const response = await fetch(href);
        return { type: response.headers.get('content-type'), body: await response.json() };
    }, manifestHref);
    assert.equal(manifest.type, 'application/manifest+json');
    assert.equal(manifest.body.name, 'Amplix 32');
    assert.equal(manifest.body.start_url, './');
    const icon = manifest.body.icons[0];
    assert.deepEqual([icon.src, icon.sizes, icon.type], ['amplix32.svg', 'any', 'image/svg+xml']);
    assert.ok(fs.readFileSync(path.join(site, icon.src), 'utf8').includes('<svg'));

    await page.waitForFunction(() => navigator.serviceWorker.controller !== null, null, { timeout: 15000 });
    const names = await cacheNames();
    assert.equal(names.length, 1, JSON.stringify(names));
    firstCache = names[0];
    assert.ok(firstCache.startsWith(`amplix32 ${siteUrl} `), firstCache);
    assert.deepEqual(await cachedPaths(firstCache), ['', ...siteFiles(site)].sort());
});

await step('with the network cut the page loads again and works on the simulator', async () => {
    await context.setOffline(true);
    const before = requests.length;
    try {
        await page.reload();
        await connectSimulator();
        assert.equal(await outcome(), await hook('text', 'StatusPatchRead'));
        const device = await hook('decodedEditBuffer');
        assert.equal(await page.locator('#patch-name').textContent(), device.name);
        await page.click('#cmd-read');
        await waitOutcome(await hook('text', 'StatusPatchRead'));
    } finally {
        await context.setOffline(false);
    }
    assert.deepEqual(requests.slice(before), []);
    session.assertNoPageErrors();
});

await step('a patch stored into the simulator is there after a reload, edit buffer and all', async () => {
    await page.click('#cmd-rename');
    await page.fill('#rename-name', 'KEPT PATCH');
    await page.click('#dialog-rename #dialog-ok');
    await waitOutcome(await hook('text', 'StatusPatchRenamed'));
    await idle();
    await page.click('#cmd-save-to-pod');
    await page.selectOption('#save-location', { index: 9 });
    await page.click('#dialog-save-to-pod #dialog-ok');
    await waitOutcome(await hook('text', 'StatusStored', '3B'));
    await idle();
    // The store message has its time on the cable before the device holds it.
    await until(async () => (await hook('locationName', 9)).trim() === 'KEPT PATCH', 'the patch stored at 3B', 5000);
    const bank = await hook('bankDump');
    const editBuffer = await hook('editBufferDump');
    // Written by itself, a moment after the change.
    await waitKept(bank, editBuffer);

    await page.reload();
    await connectSimulator();
    assert.equal(await outcome(), await hook('text', 'StatusPatchRead'));
    assert.deepEqual(await hook('bankDump'), bank, 'the bank after the reload');
    assert.deepEqual(await hook('editBufferDump'), editBuffer, 'the edit buffer after the reload');
    assert.equal((await hook('locationName', 9)).trim(), 'KEPT PATCH');
    assert.equal((await page.locator('#patch-name').textContent()).trim(), 'KEPT PATCH');
});

await step('an unchanged deploy fetches nothing but the worker; a changed one replaces the cache', async () => {
    let before = requests.length;
    await page.reload();
    await connectSimulator();
    // The browser compares the worker in its own time after a navigation; asked now, it fetches
    // the worker and, finding it unchanged, nothing else.
    await page.evaluate(async () => (await navigator.serviceWorker.getRegistration()).update());
    await page.waitForTimeout(1000);
    const fetched = requests.slice(before);
    assert.ok(fetched.includes('service-worker.js'), JSON.stringify(fetched));
    assert.deepEqual(fetched.filter((r) => r !== 'service-worker.js'), []);
    assert.deepEqual(await cacheNames(), [firstCache]);

    fs.appendFileSync(path.join(site, 'style.css'), '\n/* deploy 2 */\n');
    const { version } = writeWorker(site);
    assert.ok(!firstCache.endsWith(version));
    before = requests.length;
    await page.reload();
    await connectSimulator();
    const [second] = await until(async () => {
        const names = await cacheNames();
        return names.length === 1 && names[0] !== firstCache ? names : null;
    }, 'a new cache in place of the old');
    assert.ok(second.endsWith(` ${version}`), second);
    const refetched = requests.slice(before);
    for (const file of siteFiles(site)) assert.ok(refetched.includes(file), `${file} not fetched for the new cache`);
    await page.reload();
    await connectSimulator();
    const style = await page.evaluate(async () => (await fetch('style.css')).text());
    assert.ok(style.endsWith('/* deploy 2 */\n'));
    assert.deepEqual(await cachedPaths(second), ['', ...siteFiles(site)].sort());
});

await step('a damaged record leaves the factory patches and says why in the status line', async () => {
    await hook('flushKept');
    await records('put', 'simulator', { bank: factoryBank.slice(0, 10), editBuffer: factoryBank.slice(0, 151) });
    const notice = `${await hook('text', 'KeptSimulatorBank')}: 10 bytes; a bank has ${factoryBank.length}; the simulator starts with its factory patches`;
    await page.reload();
    await page.waitForSelector('#dialog-midi-setup', { timeout: 15000 });
    assert.equal(await outcome(), notice);
    await page.click('#dialog-ok');
    await page.waitForFunction(() => document.body.dataset.state === 'connected');
    await idle();
    // The read after connecting keeps the word on the line, as the desktop's start-up read does.
    assert.equal(await outcome(), notice);
    assert.deepEqual(await hook('bankDump'), factoryBank);
    await screenshot(page, 'offline-damaged-record-1280');
});

await step('Forget asks, then clears every record and puts the simulator back to its factory patches', async () => {
    await page.click('#cmd-save-to-pod');
    await page.selectOption('#save-location', { index: 4 });
    await page.click('#dialog-save-to-pod #dialog-ok');
    await idle();
    await until(async () => !same(await hook('bankDump'), factoryBank), 'the patch stored at 2A', 5000);
    await hook('flushKept');
    await records('put', 'bank', { bytes: [1, 2, 3] });
    assert.notDeepEqual((await records('get', 'simulator')).bank, factoryBank);

    const forget = page.locator('#cmd-forget');
    assert.equal(await forget.textContent(), await hook('text', 'Forget'));
    await forget.click();
    await page.waitForSelector('#dialog-forget');
    assert.equal(await page.locator('#forget-question').textContent(), await hook('text', 'ForgetQuestion'));
    await page.setViewportSize({ width: 800, height: 700 });
    await screenshot(page, 'offline-forget-800');
    await page.click('#dialog-forget #dialog-cancel');
    assert.deepEqual((await records('names')).sort(), ['bank', 'simulator']);

    await page.setViewportSize({ width: 1280, height: 800 });
    await forget.click();
    await page.click('#dialog-forget #dialog-ok');
    await waitOutcome(await hook('text', 'StatusForgotten'));
    await idle();
    assert.equal(await outcome(), await hook('text', 'StatusForgotten'));
    assert.deepEqual(await hook('bankDump'), factoryBank);
    assert.equal(await page.locator('#title').textContent(), await hook('programTitle', 1));
    await page.waitForTimeout(800); // past the keeping delay: nothing of the reset is written
    assert.deepEqual(await records('names'), []);
    await screenshot(page, 'offline-forgotten-1280');

    await page.reload();
    await connectSimulator();
    assert.equal(await outcome(), await hook('text', 'StatusPatchRead'));
    assert.deepEqual(await hook('bankDump'), factoryBank);
});

await step('a browser that refuses storage leaves the page working and says the changes are not kept', async () => {
    const refusing = await openPage(browser, `${siteUrl}index.html?test`, {
        initScript: () => {
            IDBFactory.prototype.open = () => { throw new DOMException('storage is turned off', 'SecurityError'); };
        },
    });
    try {
        const other = refusing.page;
        await other.waitForSelector('#dialog-midi-setup', { timeout: 15000 });
        const notice = "storage is turned off; the simulator's latest changes are not kept";
        assert.equal(await other.locator('#status-outcome').textContent(), notice);
        await other.click('#dialog-ok');
        await other.waitForFunction(() => document.body.dataset.state === 'connected');
        await other.waitForFunction(() => !window.amplixTest.awaitingAnswer());
        assert.equal(await other.locator('#status-outcome').textContent(), notice);
        assert.equal(await other.locator('#patch-name').textContent(),
            (await other.evaluate(() => window.amplixTest.decodedEditBuffer())).name);
        refusing.assertNoPageErrors();
    } finally {
        await refusing.close();
    }
});

await step('no page error, none reported in the status line', async () => {
    session.assertNoPageErrors();
    assert.deepEqual(await hook('errors'), []);
});

await session.close();
await browser.close();
server.closeAllConnections?.();
await new Promise((resolve) => server.close(resolve));
fs.rmSync(root, { recursive: true, force: true });
report();
