// The page end to end in headless Chromium on the built-in simulator: no MIDI access, the
// simulator offered and chosen, the patch shown, a slider, a patch change, a store, a rename,
// a file opened, Load ALL, the keyboard, a knob turned on the device, and no page error.
// Screenshots at 1280 and 800 pixels wide go to $AMPLIX_WEB_SCREENSHOTS.
// Run: node tests/web/page_simulator.e2e.mjs  (site from $AMPLIX_WEB_DIR, default build/web)
import assert from 'node:assert/strict';
import fs from 'node:fs';
import { stepRunner, builtSiteOrExit, launchChromium, openPage, screenshot, serveStatic } from './harness.mjs';

const site = builtSiteOrExit();

const server = await serveStatic(site);
const browser = await launchChromium();
const { step, report } = stepRunner();

const hook = (page, fn, ...args) => page.evaluate(([fn, args]) => window.amplixTest[fn](...args), [fn, args]);
const outcome = (page) => page.locator('#status-outcome').textContent();
async function waitOutcome(page, text) {
    await page.waitForFunction((t) => document.getElementById('status-outcome')?.textContent === t, text, { timeout: 8000 });
}
async function idle(page) {
    await page.waitForFunction(() => !window.amplixTest.awaitingAnswer(), null, { timeout: 10000 });
}

// Opens the page, takes the simulator the set-up offers; returns the session.
async function startOnSimulator(width, { removeWebMidi = false } = {}) {
    const session = await openPage(browser, `${server.url}index.html?test`);
    const { page, context } = session;
    if (removeWebMidi) {
        await context.addInitScript(() => { delete Navigator.prototype.requestMIDIAccess; });
        await page.reload();
    }
    await page.setViewportSize({ width, height: 800 });
    await page.waitForSelector('#dialog-midi-setup', { timeout: 15000 });
    return session;
}

await step('without MIDI access the set-up offers the simulator, chosen, and says why', async () => {
    for (const removeWebMidi of [false, true]) {
        const session = await startOnSimulator(1280, { removeWebMidi });
        const { page } = session;
        const simulator = await hook(page, 'text', 'SimulatorName');
        assert.equal(await page.locator('#midi-in option:checked').textContent(), simulator);
        assert.equal(await page.locator('#midi-out option:checked').textContent(), simulator);
        const notice = await page.locator('#find-result').textContent();
        assert.match(notice, new RegExp(simulator), `notice: ${notice}`);
        assert.equal(await page.locator('#dialog-midi-setup h2').textContent(), await hook(page, 'text', 'MidiSetupTitle'));
        await screenshot(page, removeWebMidi ? 'setup-no-web-midi' : 'setup-midi-refused');
        session.assertNoPageErrors();
        await session.close();
    }
});

const session = await startOnSimulator(1280);
const { page } = session;
const firstBank = await hook(page, 'bankDump');

await step('OK connects to the simulator and shows its patch at once', async () => {
    await page.click('#dialog-ok');
    await page.waitForFunction(() => document.body.dataset.state === 'connected');
    await idle(page);
    const device = await hook(page, 'decodedEditBuffer');
    assert.equal(await page.locator('#patch-name').textContent(), device.name);
    for (const control of device.controls)
        assert.equal(await hook(page, 'controlState', control.member), control.state, control.member);
    assert.equal(await outcome(page), await hook(page, 'text', 'StatusPatchRead'));
    await screenshot(page, 'page-1280');
});

await step('a slider moved with the keyboard sends its controller and the device follows', async () => {
    const bass = await hook(page, 'parameter', 'Bass');
    const slider = page.locator('[data-member="Bass"]');
    assert.equal(await slider.getAttribute('aria-label'), bass.label);
    await slider.focus();
    const before = await hook(page, 'controlState', 'Bass');
    await page.keyboard.press('ArrowDown');
    await page.keyboard.press('ArrowDown');
    const after = await hook(page, 'controlState', 'Bass');
    assert.equal(after, Math.min(127, before + 2));
    await page.waitForTimeout(100);
    const received = await hook(page, 'received');
    const last = received[received.length - 1];
    assert.deepEqual(last.slice(0, 2), [0xb0, bass.controller]);
    const device = await hook(page, 'decodedEditBuffer');
    const state = device.controls.find((c) => c.member === 'Bass').state;
    assert.ok(Math.abs(state - after) <= 1, `device ${state}, page ${after}`);
    assert.ok((await slider.getAttribute('title')).startsWith(bass.label));
});

await step('Tab reaches every control shown, in order, and never leaves the page stuck', async () => {
    await page.locator('#patch-select').focus();
    const reached = new Set();
    for (let n = 0; n < 80; ++n) {
        await page.keyboard.press('Tab');
        const member = await page.evaluate(() => document.activeElement?.dataset?.member ?? null);
        if (member) reached.add(member);
    }
    const shown = await page.evaluate(() => [...document.querySelectorAll('[data-member]')]
        .filter((el) => el.offsetParent !== null && !el.disabled).map((el) => el.dataset.member));
    for (const member of shown) assert.ok(reached.has(member), `${member} not reached by Tab`);
});

await step('a knob turned on the device moves its control', async () => {
    const treble = await hook(page, 'parameter', 'Treble');
    await hook(page, 'turnKnob', treble.controller, 0);
    await page.waitForFunction((c) => window.amplixTest.controlState('Treble') === 127 - 0 || window.amplixTest.controlState('Treble') === 0, treble.controller);
    const device = await hook(page, 'decodedEditBuffer');
    assert.equal(await hook(page, 'controlState', 'Treble'), device.controls.find((c) => c.member === 'Treble').state);
});

await step('choosing patch 1B sends the program change, names it and reads it', async () => {
    await page.selectOption('#patch-select', '2');
    await page.waitForFunction(() => window.amplixTest.currentProgram() === 2);
    await idle(page);
    assert.equal(await page.locator('#title').textContent(), await hook(page, 'programTitle', 2));
    assert.equal(await page.locator('#patch-name').textContent(), (await hook(page, 'decodedEditBuffer')).name);
});

await step('Save Patch To POD asks the location and stores the patch there', async () => {
    const name = await page.locator('#patch-name').textContent();
    await page.click('#cmd-save-to-pod');
    await page.waitForSelector('#dialog-save-to-pod');
    await page.selectOption('#save-location', { index: 5 });
    await page.click('#dialog-save-to-pod #dialog-ok');
    await waitOutcome(page, await hook(page, 'text', 'StatusStored', '2B'));
    await page.waitForTimeout(150);
    assert.equal(await hook(page, 'locationName', 5), name);
    assert.equal(await page.locator('#title').textContent(), await hook(page, 'programTitle', 6));
});

await step('Change Patch Name renames the patch on the device', async () => {
    await page.click('#cmd-rename');
    await page.waitForSelector('#dialog-rename');
    await page.fill('#rename-name', 'E2E NAME');
    await screenshot(page, 'page-1280-rename');
    await page.click('#dialog-rename #dialog-ok');
    await waitOutcome(page, await hook(page, 'text', 'StatusPatchRenamed'));
    await page.waitForTimeout(150);
    assert.equal((await hook(page, 'decodedEditBuffer')).name.trim(), 'E2E NAME');
    assert.equal((await page.locator('#patch-name').textContent()).trim(), 'E2E NAME');
});

await step('Save and Save All offer the patch and the bank as files of their exact bytes', async () => {
    await idle(page);
    const [patch] = await Promise.all([page.waitForEvent('download'), page.click('#cmd-save')]);
    assert.equal(patch.suggestedFilename(), 'E2E NAME.pod');
    assert.deepEqual([...fs.readFileSync(await patch.path())], await hook(page, 'editBufferDump'));
    await idle(page);
    const [bank] = await Promise.all([page.waitForEvent('download', { timeout: 10000 }), page.click('#cmd-save-all')]);
    assert.equal(bank.suggestedFilename(), `${await hook(page, 'text', 'SaveAllName')}.syx`);
    assert.deepEqual([...fs.readFileSync(await bank.path())], await hook(page, 'bankDump'));
    assert.equal(await outcome(page), await hook(page, 'text', 'StatusBankSaved', bank.suggestedFilename()));
});

await step('File > Open of a .pod file sends the patch to the device', async () => {
    await idle(page);
    const dump = await hook(page, 'singleDump', 'FROM FILE');
    await page.setInputFiles('#open-file', { name: 'from-file.pod', mimeType: 'application/octet-stream', buffer: Buffer.from(dump) });
    await page.waitForFunction(() => window.amplixTest.decodedEditBuffer().name.trim() === 'FROM FILE');
    await idle(page);
    assert.equal(await outcome(page), await hook(page, 'text', 'StatusPatchSent'));
    assert.equal((await page.locator('#patch-name').textContent()).trim(), 'FROM FILE');
});

await step('a patch file dropped on the page is opened as File > Open opens it', async () => {
    await idle(page);
    const dump = await hook(page, 'singleDump', 'DROPPED');
    await page.evaluate((bytes) => {
        const transfer = new DataTransfer();
        transfer.items.add(new File([Uint8Array.from(bytes)], 'dropped.pod'));
        document.body.dispatchEvent(new DragEvent('dragover', { dataTransfer: transfer, bubbles: true, cancelable: true }));
        document.body.dispatchEvent(new DragEvent('drop', { dataTransfer: transfer, bubbles: true, cancelable: true }));
    }, dump);
    await page.waitForFunction(() => window.amplixTest.decodedEditBuffer().name.trim() === 'DROPPED');
    await idle(page);
    assert.equal((await page.locator('#patch-name').textContent()).trim(), 'DROPPED');
});

await step('Load ALL from a bank file asks, then the device takes the whole bank', async () => {
    await page.setInputFiles('#open-file', { name: 'bank.syx', mimeType: 'application/octet-stream', buffer: Buffer.from(firstBank) });
    await page.waitForSelector('#dialog-open-bank');
    assert.equal(await page.locator('#bank-entries option').count(), 36);
    await screenshot(page, 'page-1280-open-bank');
    await page.click('#dialog-load-all');
    await page.waitForSelector('#dialog-overwrite');
    await screenshot(page, 'page-1280-overwrite');
    await page.click('#dialog-overwrite #dialog-ok');
    await waitOutcome(page, await hook(page, 'text', 'StatusSendingBank'));
    await page.waitForFunction(() => window.amplixTest.received().some((m) => m.length === 5121), null, { timeout: 5000 });
    await idle(page);
    assert.equal(await outcome(page), await hook(page, 'text', 'StatusBankSent'));
    assert.deepEqual(await hook(page, 'bankDump'), firstBank);
    assert.equal(await page.locator('#title').textContent(), await hook(page, 'programTitle', 1));
});

// Import files built byte by byte as tests/support/TestPatchFiles.h builds them for the
// importers' own tests: a SoundDiver library and a GuitarPort patch.
const ascii = (text) => [...text].map((c) => c.charCodeAt(0));
const be32 = (n) => [(n >>> 24) & 255, (n >>> 16) & 255, (n >>> 8) & 255, n & 255];
function soundDiverLibrary(names) {
    const out = [...ascii('FORM'), ...be32(0), ...ascii('SSLB'), ...ascii('LHDR'), ...be32(4), ...ascii('LLEN')];
    names.forEach((name, n) => {
        // head: present 1, bank 0, kind 1 (byte 12), the name's length; tail: marker, code 0x37, 55 record bytes
        const record = Array.from({ length: 55 }, (_, k) => (5 + n + 37 * k) & 255);
        const data = [0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, name.length, ...ascii(name), 0x03, 0x37, ...record];
        out.push(...ascii('LENT'), ...be32(data.length), ...data);
    });
    return out;
}
// Version 1, a first chorus (type 0) and a reverb of type 1; amp 9, delay on, the compressor
// and the modulation as asked, a chorus at 2 Hz; the information chunk after it.
function guitarPortPatch(compressorOn, modulationOn) {
    const text = (tag, t) => [...ascii(tag), ...be32(t.length), ...ascii(t), ...(t.length % 2 ? [0] : [])];
    const texts = [...text('IAMP', 'Brit Hi Gain'), ...text('IPUP', 'Neck'), ...text('ICMT', 'x')];
    const reverb = 232 + 20;
    const bytes = new Array(reverb + 24).fill(0);
    bytes.splice(0, 12, ...ascii('FORM'), 0, 0, 0, 0, ...ascii('L6GP'));
    bytes[23] = 0x63;
    bytes[227] = 0;
    bytes[reverb + 11] = 1;
    bytes.splice(28, 4, ...be32(bytes.length - 32));
    [[47, 9], [171, compressorOn ? 1 : 0], [175, 1], [203, 1], [231, modulationOn ? 1 : 0], [247, 1]]
        .forEach(([at, value]) => { bytes[at] = value; });
    bytes.splice(232, 4, 0x40, 0, 0, 0); // 2.0f
    return [...bytes, ...ascii('LIST'), ...be32(4 + texts.length), ...ascii('INFO'), ...texts];
}
const importFile = (name, bytes) =>
    page.setInputFiles('#import-file', { name, mimeType: 'application/octet-stream', buffer: Buffer.from(bytes) });

await step('Import of a SoundDiver library lists its entries; the one chosen goes to the device', async () => {
    await idle(page);
    await importFile('library.lib', soundDiverLibrary(['Clean', 'Second']));
    await page.waitForSelector('#dialog-import');
    assert.deepEqual(await page.locator('#import-entries option').allTextContents(), ['Clean', 'Second']);
    assert.equal(await page.locator('#dialog-import h2').textContent(), await hook(page, 'text', 'ImportTitle'));
    await screenshot(page, 'page-1280-import-sounddiver');
    await page.selectOption('#import-entries', { index: 1 });
    await page.click('#dialog-import #dialog-ok');
    await page.waitForFunction(() => window.amplixTest.decodedEditBuffer().name.trim() === 'Second');
    await idle(page);
    assert.equal((await page.locator('#patch-name').textContent()).trim(), 'Second');
});

await step('Import of a GuitarPort patch asks COMP or MOD only when it has both; each loads its own', async () => {
    const loaded = {};
    for (const [radio, id] of [['COMP', '#choose-comp'], ['MOD', '#choose-mod']]) {
        await idle(page);
        await importFile('Blues Lead.gpt', guitarPortPatch(true, true));
        await page.waitForSelector('#dialog-guitarport');
        assert.equal(await page.locator('#dialog-guitarport input[type=radio]').count(), 2);
        assert.match(await page.locator('#dialog-guitarport').textContent(), /Brit Hi Gain/);
        if (radio === 'COMP') await screenshot(page, 'page-1280-import-guitarport');
        await page.check(id);
        await page.click('#dialog-guitarport #dialog-ok');
        await page.waitForFunction(() => window.amplixTest.decodedEditBuffer().name.trim() === 'Blues Lead');
        await idle(page);
        loaded[radio] = await hook(page, 'editBufferDump');
        await hook(page, 'choosePatch', 2); // something else in the edit buffer before the next
        await idle(page);
    }
    assert.notDeepEqual(loaded.COMP, loaded.MOD, 'COMP and MOD load different patches');
    await importFile('Mod Only.gpt', guitarPortPatch(false, true));
    await page.waitForSelector('#dialog-guitarport');
    assert.equal(await page.locator('#dialog-guitarport input[type=radio]').count(), 0);
    await page.click('#dialog-guitarport #dialog-ok');
    await page.waitForFunction(() => window.amplixTest.decodedEditBuffer().name.trim() === 'Mod Only');
    await idle(page);
});

await step('Import of a file that is no patch says so in the desktop\'s words', async () => {
    await importFile('notes.txt', ascii('nothing a POD could hold'));
    await page.waitForSelector('#dialog-message');
    assert.equal(await page.locator('#message-text').textContent(), 'Not a valid patch file.');
    assert.equal(await page.locator('#dialog-message h2').textContent(), 'Error!');
    await page.click('#dialog-message #dialog-ok');
    await page.waitForSelector('#dialog-message', { state: 'detached' });
});

await step('at 800 pixels wide the panel fits without clipping', async () => {
    await page.setViewportSize({ width: 800, height: 700 });
    await page.waitForTimeout(200);
    const box = await page.locator('#panel').boundingBox();
    assert.ok(box.x >= 0 && box.x + box.width <= 800, JSON.stringify(box));
    const overflow = await page.evaluate(() => document.documentElement.scrollWidth > document.documentElement.clientWidth);
    assert.equal(overflow, false, 'no sideways scrolling');
    await screenshot(page, 'page-800');
    await page.setViewportSize({ width: 1280, height: 800 });
});

await step('no page error, none reported in the status line', async () => {
    session.assertNoPageErrors();
    assert.deepEqual(await hook(page, 'errors'), []);
});

await session.close();
await browser.close();
await server.close();
report();
