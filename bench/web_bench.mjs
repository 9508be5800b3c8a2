// The browser edition's figures: the built site's size, the time from navigation to the device's
// patch on screen through Chromium's own Web MIDI (on the ALSA sequencer model of a MIDI interface
// with a POD behind it), a slider's change to MIDIOutput.send(), and Load ALL against the time its
// bytes take on the cable, and the Library's file pane listing 1008 patches. Prints "key value"
// lines, each figure beside its target.
// Run: node bench/web_bench.mjs [<libamplix_alsaseq_model.so>] [--out <file>]
//   site from $AMPLIX_WEB_DIR (default build/web); the model from the argument or
//   $AMPLIX_ALSASEQ_MODEL; AMPLIX_BENCH_QUICK=1 makes fewer runs. Without the model only the
//   site's size is measured.
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { chromiumAvailable, launchChromium, modelEnvironment, openPage, repoRoot, serveStatic } from '../tests/web/harness.mjs';
import { bankStores, probe, sendLatencies, siteSizes, summary } from './web_figures.mjs';

const args = process.argv.slice(2);
const outAt = args.indexOf('--out');
const outFile = outAt >= 0 ? args.splice(outAt, 2)[1] : null;
const library = args[0] || process.env.AMPLIX_ALSASEQ_MODEL || '';
const site = path.resolve(process.env.AMPLIX_WEB_DIR || path.join(repoRoot, 'build', 'web'));
const quick = process.env.AMPLIX_BENCH_QUICK === '1';
const runs = { startup: quick ? 3 : 10, keys: quick ? 100 : 500, inputs: quick ? 100 : 500, banks: quick ? 1 : 3, listings: quick ? 3 : 10 };

// What the page sends a bank as over Web MIDI: one store message of 152 bytes per location.
const kStores = 36;
const kStoreBytes = 152;
const kByteMs = 0.32; // 10 bits at 31250 baud
const targets = { siteGzipBytes: 1.5e6, patchAfterAccessMs: 1000, sendP99Ms: 2, bankRatio: 1.05, listingMs: 100 };

const lines = [];
function put(key, value) {
    const line = `${key} ${value}`;
    lines.push(line);
    console.log(line);
}
const loadAverage = () => os.loadavg().map((l) => l.toFixed(2)).join(' ');
const fixed = (ms, digits = 3) => ms.toFixed(digits);

// ---- 1. The site: every file, raw and gzip at level 9. ----

function measureSite() {
    const { files, raw, gzip } = siteSizes(site);
    for (const file of files) put(`site_file:${file.name}`, `${file.raw} ${file.gzip}`);
    put('site_files', files.length);
    put('site_raw_bytes', raw);
    put('site_gzip_bytes', gzip);
    put('site_gzip_target_bytes', targets.siteGzipBytes);
}

// ---- The probe every measured page carries, set up before the page's own scripts. ----

const probeScript = (options) => `(${probe})(${JSON.stringify(options)});`;

// ---- 2. Navigation to the patch on screen, each run in a fresh browser context. ----

async function measureStartup(browser, server, control) {
    const fromNavigation = [], fromAccess = [], toAccess = [], searches = [], reads = [];
    let source = '';
    for (let run = 0; run < runs.startup; ++run) {
        await control?.idle(5000).catch(() => {});
        const session = await openPage(browser, `${server.url}index.html`, { initScript: probeScript({ watchPatchName: true }) });
        const { page } = session;
        await page.waitForFunction(() => document.body.dataset.state === 'connected', null, { timeout: 20000 });
        const marks = await page.waitForFunction(() => {
            const first = (name) => performance.getEntriesByName(name)[0]?.startTime ?? null;
            const own = { access: first('amplix:midi-access'), shown: first('amplix:patch-shown') };
            if (own.access !== null && own.shown !== null) return { ...own, source: 'page marks' };
            const probed = { access: first('bench:midi-access'), shown: first('bench:patch-name') };
            // A page without marks of its own: give it a moment to prove it has none.
            if (probed.access !== null && probed.shown !== null && performance.now() - probed.shown > 500)
                return { ...probed, source: 'probe (no page marks)' };
            return null;
        }, null, { timeout: 20000, polling: 50 }).then((handle) => handle.jsonValue());
        // The search for the device ends with the editor's own patch request: the last SysEx
        // handed on before the patch showed.
        const requested = await page.evaluate((shown) => window.amplixBench.sends
            .filter(([at, status]) => status === 0xf0 && at <= shown).at(-1)?.[0] ?? null, marks.shown);
        if (control) await control.waitUntilServing();
        session.assertNoPageErrors();
        await session.close();
        source = marks.source;
        toAccess.push(marks.access);
        fromNavigation.push(marks.shown);
        fromAccess.push(marks.shown - marks.access);
        searches.push((requested ?? marks.shown) - marks.access);
        reads.push(marks.shown - (requested ?? marks.shown));
        put(`startup_run_${run + 1}`, `access ${fixed(marks.access, 1)} patch requested ${fixed(requested ?? NaN, 1)} ` +
            `shown ${fixed(marks.shown, 1)} ms after navigation`);
    }
    const nav = summary(fromNavigation), access = summary(fromAccess), granted = summary(toAccess);
    put('startup_runs', runs.startup);
    put('startup_marks', source);
    put('startup_first_ms', fixed(fromNavigation[0], 1));
    put('startup_nav_median_ms', fixed(nav.median, 1));
    put('startup_nav_max_ms', fixed(nav.max, 1));
    put('startup_access_median_ms', fixed(granted.median, 1));
    put('startup_access_max_ms', fixed(granted.max, 1));
    put('startup_after_access_median_ms', fixed(access.median, 1));
    put('startup_after_access_max_ms', fixed(access.max, 1));
    put('startup_after_access_target_ms', targets.patchAfterAccessMs);
    put('startup_search_median_ms', fixed(summary(searches).median, 1));
    put('startup_read_median_ms', fixed(summary(reads).median, 1));
}

// ---- 3. and 4. On one page, connected to the model. ----

async function connectedPage(browser, server, control) {
    const session = await openPage(browser, `${server.url}index.html?test`, { initScript: probeScript({ watchPatchName: false }) });
    const { page } = session;
    await page.waitForFunction(() => document.body.dataset.state === 'connected', null, { timeout: 20000 });
    await control.waitUntilServing();
    await control.idle(10000);
    await page.waitForFunction(() => !window.amplixTest?.awaitingAnswer(), null, { timeout: 10000 });
    return session;
}

async function measureSliderLatency(page) {
    const slider = page.locator('[data-member="Drive"]');
    await slider.focus();
    await page.keyboard.press('Home');
    await page.waitForTimeout(50);
    // Key presses through Chromium's input path, each stamped by the browser when it arose.
    await page.evaluate(() => {
        window.amplixBench.keys.length = 0;
        window.amplixBench.sends.length = 0;
    });
    for (let n = 0; n < runs.keys; ++n) await page.keyboard.press(n % 2 ? 'ArrowLeft' : 'ArrowRight');
    await page.waitForTimeout(50);
    const keyed = await page.evaluate(() => ({ keys: window.amplixBench.keys, sends: window.amplixBench.sends }));
    const keys = sendLatencies(keyed.keys.map(([stamped]) => stamped), keyed.sends);
    const handled = sendLatencies(keyed.keys.map(([, seen]) => seen), keyed.sends);
    // Input events dispatched in the page, as a dragged slider fires them.
    const dispatched = await page.evaluate(async (count) => {
        const input = document.querySelector('[data-member="Drive"]');
        const moments = [];
        window.amplixBench.sends.length = 0;
        for (let n = 0; n < count; ++n) {
            input.value = String(n % 2 ? 0 : 1);
            moments.push(performance.now());
            input.dispatchEvent(new Event('input', { bubbles: true }));
            // Let the cable carry each change (0.96 ms) before the next.
            await new Promise((resolve) => setTimeout(resolve, 2));
        }
        return { moments, sends: window.amplixBench.sends };
    }, runs.inputs);
    const inputs = sendLatencies(dispatched.moments, dispatched.sends);
    for (const [name, result] of [['key', keys], ['key_in_page', handled], ['input', inputs]]) {
        const s = summary(result.latencies);
        put(`send_${name}_samples`, s.n);
        put(`send_${name}_missed`, result.missed);
        put(`send_${name}_p50_ms`, fixed(s.median));
        put(`send_${name}_p99_ms`, fixed(s.p99));
        put(`send_${name}_max_ms`, fixed(s.max));
    }
    put('send_p99_target_ms', targets.sendP99Ms);
}

// The page's clock against this process's, both as milliseconds since the epoch: the offset
// read in the quickest of a few round trips.
async function pageClockOffset(page) {
    let best = { trip: Infinity, offset: 0 };
    for (let n = 0; n < 10; ++n) {
        const before = performance.timeOrigin + performance.now();
        const inPage = await page.evaluate(() => performance.timeOrigin + performance.now());
        const after = performance.timeOrigin + performance.now();
        if (after - before < best.trip) best = { trip: after - before, offset: inPage - (before + after) / 2 };
    }
    return best;
}

async function measureBankSend(page, control) {
    const bankBytes = kStores * kStoreBytes;
    const cableMs = bankBytes * kByteMs;
    const times = [];
    let overruns = 0, whole = true, sentBytes = 0;
    for (let run = 0; run < runs.banks; ++run) {
        await control.idle(10000);
        const factory = await control.bankDump();
        // A bank unlike the device's, when the test hook is there to make one, so its arrival shows.
        const rotated = await page.evaluate((bytes) => window.amplixTest?.rotatedBank?.(bytes) ?? null, [...factory]);
        const bank = Uint8Array.from(rotated ?? factory);
        await page.setInputFiles('#open-file', { name: 'bank.syx', mimeType: 'application/octet-stream', buffer: Buffer.from(bank) });
        await page.waitForSelector('#dialog-open-bank');
        await page.click('#dialog-load-all');
        await page.waitForSelector('#dialog-overwrite #dialog-ok');
        const clock = await pageClockOffset(page);
        const before = await control.stats();
        const sendsBefore = await page.evaluate(() => window.amplixBench.sends.length);
        await page.click('#dialog-overwrite #dialog-ok');
        const giveUp = Date.now() + 20000;
        while ((await control.stats()).bytesToDevice - before.bytesToDevice < bankBytes) {
            if (Date.now() > giveUp) throw new Error('the bank never reached the device whole');
            await new Promise((resolve) => setTimeout(resolve, 2));
        }
        const arrived = performance.timeOrigin + performance.now();
        const clicked = await page.evaluate(() => window.amplixBench.clicks.at(-1)[0]);
        const ms = arrived - (clicked - clock.offset);
        times.push(ms);
        put(`bank_send_run_${run + 1}`, `${fixed(ms, 1)} ms (clock offset read within ${fixed(clock.trip / 2, 2)} ms)`);
        await control.idle(10000);
        const after = await control.stats();
        overruns += after.overruns - before.overruns;
        // The SysEx handed on up to the bank's last store; the patch is read back after it.
        const stores = await page.evaluate((from) => window.amplixBench.sends.slice(from)
            .filter(([, status]) => status === 0xf0).map(([, , length]) => length), sendsBefore);
        const sent = bankStores(stores, kStores, kStoreBytes);
        sentBytes = sent.bytes;
        whole &&= sent.whole && Buffer.from(await control.bankDump()).equals(Buffer.from(bank));
        // The page reads the patch back once the bank is out; the next run starts after that.
        await page.waitForFunction(() => !document.getElementById('dialog-overwrite') && !window.amplixTest?.awaitingAnswer(),
            null, { timeout: 10000 });
    }
    const s = summary(times);
    put('bank_send_runs', runs.banks);
    put('bank_sysex_bytes_sent', sentBytes);
    put('bank_cable_ms', fixed(cableMs, 1));
    put('bank_send_median_ms', fixed(s.median, 1));
    put('bank_send_max_ms', fixed(s.max, 1));
    put('bank_send_ratio', fixed(s.median / cableMs));
    put('bank_send_max_ratio', fixed(s.max / cableMs));
    put('bank_send_target_ratio', targets.bankRatio);
    put('bank_overruns', overruns);
    put('bank_whole', whole ? 1 : 0);
}

// ---- 5. The Library's file pane: 28 banks opened together, 1008 patches listed and laid out. ----

async function measureFilePane(page) {
    await page.click('#cmd-library');
    const bank = await page.evaluate(() => window.amplixTest.bankDump());
    const files = Array.from({ length: 28 }, (_, n) => ({ fileName: `bank${n + 1}.syx`, bytes: bank }));
    const times = [];
    for (let run = 0; run < runs.listings; ++run) {
        times.push(await page.evaluate((f) => window.amplixTest.listFiles(f), files));
        const rows = await page.locator('#library-file tbody tr').count();
        if (rows !== 1008) throw new Error(`the file pane lists ${rows} patches, not 1008`);
    }
    const s = summary(times);
    put('file_pane_patches', 1008);
    put('file_pane_runs', runs.listings);
    put('file_pane_median_ms', fixed(s.median, 1));
    put('file_pane_max_ms', fixed(s.max, 1));
    put('file_pane_target_ms', targets.listingMs);
}

// ---- The run. ----

put('load_before', loadAverage());
measureSite();
if (!library || !fs.existsSync(library)) put('browser_skipped', `no sequencer model (${library || 'none given'})`);
else if (!chromiumAvailable()) put('browser_skipped', 'no Chromium');
else {
    const server = await serveStatic(site);
    const model = modelEnvironment(path.resolve(library));
    const browser = await launchChromium({ model });
    try {
        put('chromium', browser.version());
        await measureStartup(browser, server, model.control);
        const session = await connectedPage(browser, server, model.control);
        await measureSliderLatency(session.page);
        await measureBankSend(session.page, model.control);
        await measureFilePane(session.page);
        session.assertNoPageErrors();
        await session.close();
    } finally {
        await browser.close();
        await server.close();
        model.dispose();
    }
}
put('load_after', loadAverage());
if (outFile) fs.writeFileSync(outFile, lines.join('\n') + '\n');
