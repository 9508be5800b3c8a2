// The page end to end through Chromium's own Web MIDI, on the ALSA sequencer model of a MIDI
// interface with a POD behind it: found and connected by itself, the patch shown, a slider, Load
// ALL arriving whole without overrunning the interface, a store, Save All equal to the device's
// memory, the Library's Send changes confirmed by reading back, and the interface unplugged and back.
// Run: node tests/web/page_webmidi.e2e.mjs  (needs $AMPLIX_ALSASEQ_MODEL, the model library)
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import {
    stepRunner,
    chromiumAvailable, kSkipExitCode, launchChromium, modelEnvironment, openPage, repoRoot, screenshot, serveStatic,
} from './harness.mjs';

const site = path.resolve(process.env.AMPLIX_WEB_DIR || path.join(repoRoot, 'build', 'web'));
const library = process.env.AMPLIX_ALSASEQ_MODEL;
const skip = (why) => {
    console.log(`skipped: ${why}`);
    process.exit(kSkipExitCode);
};
// A missing model or site is a build fault; only a missing Chromium skips.
const fail = (why) => {
    console.log(`FAIL: ${why}`);
    process.exit(1);
};
if (!library || !fs.existsSync(library)) fail('no sequencer model ($AMPLIX_ALSASEQ_MODEL)');
for (const file of ['index.html', 'app/main.js', 'amplix-core.js', 'amplix-core.wasm'])
    if (!fs.existsSync(path.join(site, file))) fail(`${file} is not in ${site}; scripts/build --web builds the site`);
if (!chromiumAvailable()) skip('no Chromium');

const server = await serveStatic(site);
const model = modelEnvironment(library);
const browser = await launchChromium({ model });
const session = await openPage(browser, `${server.url}index.html?test`);
const { page } = session;
const control = model.control;
const hook = (fn, ...args) => page.evaluate(([fn, args]) => window.amplixTest[fn](...args), [fn, args]);
const text = (key, ...args) => hook('text', key, ...args);
const outcome = () => page.locator('#status-outcome').textContent();
const idle = () => page.waitForFunction(() => !window.amplixTest.awaitingAnswer(), null, { timeout: 10000 });
const { step, report } = stepRunner();

await step('finds the POD behind the interface and shows its patch, without asking', async () => {
    await page.waitForFunction(() => document.body.dataset.state === 'connected', null, { timeout: 15000 });
    await idle();
    assert.equal(await page.locator('#dialog-midi-setup').count(), 0);
    assert.match(await page.locator('#status-connection').textContent(), /USB MIDI Interface/);
    const device = await hook('decode', [...(await control.editBuffer())]);
    assert.equal(await page.locator('#patch-name').textContent(), device.name);
    assert.deepEqual(await hook('linkState'), { open: true, pieces: false });
});

await step('the page marks where MIDI access resolved and where the patch first showed, in that order', async () => {
    const [access, shown] = await page.evaluate(() => ['amplix:midi-access', 'amplix:patch-shown']
        .map((name) => performance.getEntriesByName(name, 'mark')[0]?.startTime ?? null));
    assert.ok(access !== null && shown !== null, `marks: ${access}, ${shown}`);
    assert.ok(access < shown, `access at ${access} ms, patch at ${shown} ms`);
});

await step('a slider moved sends its controller to the device', async () => {
    const bass = await hook('parameter', 'Bass');
    await control.clearLog();
    await page.locator('[data-member="Bass"]').focus();
    await page.keyboard.press('End');
    await control.idle(5000);
    const messages = await control.deviceMessages();
    assert.deepEqual([...messages.at(-1)].slice(0, 2), [0xb0, bass.controller]);
});

await step('Load ALL: the device takes every patch, and the interface never overruns', async () => {
    const factory = [...(await control.bankDump())];
    const bank = await hook('rotatedBank', factory);
    assert.notDeepEqual(bank, factory);
    const before = await control.stats();
    await page.setInputFiles('#open-file', { name: 'bank.syx', mimeType: 'application/octet-stream', buffer: Buffer.from(bank) });
    await page.waitForSelector('#dialog-open-bank');
    await page.click('#dialog-load-all');
    await page.click('#dialog-overwrite #dialog-ok');
    await page.waitForFunction((t) => document.getElementById('status-outcome').textContent === t, await text('StatusBankSent'), { timeout: 10000 });
    await control.idle(10000);
    await idle();
    const stats = await control.stats();
    assert.equal(stats.overruns - before.overruns, 0);
    assert.deepEqual([...(await control.bankDump())], bank);
    assert.equal(await control.currentProgram(), 1);
    await screenshot(page, 'page-webmidi');
});

await step('Save Patch To POD stores the sound the device plays at the chosen location', async () => {
    await page.locator('[data-member="Treble"]').focus();
    await page.keyboard.press('Home');
    await control.idle(5000);
    const playing = [...(await control.editBuffer())];
    await page.click('#cmd-save-to-pod');
    await page.waitForSelector('#dialog-save-to-pod');
    await page.selectOption('#save-location', { index: 9 });
    await page.click('#dialog-save-to-pod #dialog-ok');
    await page.waitForFunction((t) => document.getElementById('status-outcome').textContent === t, await text('StatusStored', '3B'), { timeout: 10000 });
    await control.idle(5000);
    await idle();
    assert.equal(await control.currentProgram(), 10);
    // Chosen again at the device, 3B plays exactly the sound that was stored there.
    await control.choosePatch(0);
    await control.choosePatch(10);
    assert.deepEqual([...(await control.editBuffer())], playing);
    await idle();
});

await step('Save All saves exactly what the device holds', async () => {
    await idle();
    const [download] = await Promise.all([page.waitForEvent('download', { timeout: 15000 }), page.click('#cmd-save-all')]);
    assert.deepEqual([...fs.readFileSync(await download.path())], [...(await control.bankDump())]);
});

await step('the Library reads the bank, a drag swaps 1A and 1B, and Send changes is confirmed by reading the device back', async () => {
    await idle();
    const before = [...(await control.bankDump())];
    const beforeStats = await control.stats();
    await page.click('#cmd-library');
    await page.click('#lib-read');
    await page.waitForFunction((t) => document.getElementById('library-message')?.textContent === t, await text('StatusBankRead'), { timeout: 15000 });
    await page.dragAndDrop('#library-device tr[data-location="0"] td.location', '#library-device tr[data-location="1"] td.location');
    await page.click('#lib-send');
    await page.waitForFunction((t) => document.getElementById('library-message')?.textContent === t, await text('LibraryConfirmed', '1A, 1B'), { timeout: 15000 });
    await control.idle(5000);
    const record = (bank, n) => hook('core', 'bankRecord', bank, n);
    const after = [...(await control.bankDump())];
    assert.deepEqual(await record(after, 0), await record(before, 1));
    assert.deepEqual(await record(after, 1), await record(before, 0));
    for (let n = 2; n < 36; ++n) assert.deepEqual(await record(after, n), await record(before, n), `location ${n}`);
    assert.equal((await control.stats()).overruns - beforeStats.overruns, 0);
    await page.click('#cmd-library');
    await idle();
});

await step('the interface unplugged is said, and once back the link opens again and reads the patch', async () => {
    await control.unplug();
    await page.waitForFunction(() => /not connected/.test(document.getElementById('status-outcome').textContent), null, { timeout: 5000 });
    assert.deepEqual(await hook('linkState'), { open: false, pieces: false });
    await control.plugIn();
    await page.waitForFunction(() => window.amplixTest.linkState().open, null, { timeout: 5000 });
    await idle();
    assert.equal(await outcome(), await text('StatusPatchRead'));
});

await step('no page error', async () => {
    session.assertNoPageErrors();
    assert.deepEqual(await hook('errors'), []);
});

await session.close();
await browser.close();
await server.close();
model.dispose();
report();
