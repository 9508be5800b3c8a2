// The Library and patch links end to end in headless Chromium on the built-in simulator: the bank
// read, a drag that swaps, Send changes confirmed by reading back (the simulator then holds the
// new arrangement), the keyboard's copy, paste, undo and rename, a comparison, a link opened in a
// second page and sent (the simulator's edit buffer is the record byte for byte), damaged links
// refused with nothing sent, and a collection of over 1000 patches in the file pane (its time is
// printed as a figure). Screenshots at 1280 and 800 pixels wide go to $AMPLIX_WEB_SCREENSHOTS.
// Run: node tests/web/page_library.e2e.mjs  (site from $AMPLIX_WEB_DIR, default build/web)
import assert from 'node:assert/strict';
import fs from 'node:fs';
import { stepRunner, builtSiteOrExit, launchChromium, openPage, screenshot, serveStatic } from './harness.mjs';

const site = builtSiteOrExit();

const server = await serveStatic(site);
const browser = await launchChromium();
const { step, report } = stepRunner();

const hook = (page, fn, ...args) => page.evaluate(([fn, args]) => window.amplixTest[fn](...args), [fn, args]);
const core = (page, name, ...args) => hook(page, 'core', name, ...args);
const text = (page, key, ...args) => hook(page, 'text', key, ...args);
const kRecord = 71;

async function waitText(page, selector, expected, timeout = 15000) {
    await page.waitForFunction(([s, t]) => document.querySelector(s)?.textContent === t, [selector, expected], { timeout });
}
async function idle(page) {
    await page.waitForFunction(() => !window.amplixTest.awaitingAnswer(), null, { timeout: 15000 });
}
const rowNames = (page) => page.$$eval('#library-device tbody tr td.name', (cells) => cells.map((c) => c.textContent));
const row = (n) => `#library-device tr[data-location="${n}"]`;
const recordsOf = (flat) => Array.from({ length: flat.length / kRecord }, (_, n) => flat.slice(kRecord * n, kRecord * (n + 1)));

// The page on the simulator, connected and idle.
async function startOnSimulator(width, hash = '') {
    const session = await openPage(browser, `${server.url}index.html?test${hash}`);
    const { page } = session;
    await page.setViewportSize({ width, height: 900 });
    await page.waitForSelector('#dialog-midi-setup', { timeout: 15000 });
    await page.click('#dialog-ok');
    await page.waitForFunction(() => document.body.dataset.state === 'connected');
    await idle(page);
    return session;
}

const session = await startOnSimulator(1280);
const { page } = session;
const firstBank = await hook(page, 'bankDump');
const firstRecords = recordsOf(await core(page, 'bankRecords', firstBank));
const firstNames = await Promise.all(firstRecords.map((_, n) => hook(page, 'locationName', n)));

await step('Read from POD lists the 36 patches the simulator holds, with the progress on the status line', async () => {
    await page.click('#cmd-library');
    assert.equal(await page.locator('#library').isVisible(), true);
    await page.click('#lib-read');
    await waitText(page, '#library-message', await text(page, 'StatusBankRead'));
    assert.deepEqual(await rowNames(page), firstNames);
    const first = await page.$$eval(`${row(0)} td`, (cells) => cells.slice(0, 4).map((c) => c.textContent));
    const expected = await core(page, 'libraryRow', firstRecords[0], 0);
    assert.deepEqual(first, [expected.location, expected.name, expected.ampModel, expected.effect]);
    assert.equal(await page.locator('#library-device tr.changed').count(), 0);
    assert.match(await page.locator('#library-origin').textContent(), /\d\d:\d\d/);
    await idle(page);
});

await step('a drag swaps two rows as one undo step, both marked changed', async () => {
    await page.dragAndDrop(`${row(0)} td.location`, `${row(2)} td.location`);
    const names = await rowNames(page);
    assert.equal(names[0], firstNames[2]);
    assert.equal(names[2], firstNames[0]);
    const changed = await page.$$eval('#library-device tr.changed', (rows) => rows.map((r) => r.dataset.location));
    assert.deepEqual(changed, ['0', '2']);
    assert.equal(await page.locator('#lib-undo').isEnabled(), true);
    assert.notEqual(await page.locator('#lib-undo').getAttribute('title'), '');
    const done = await page.locator('#library-message').textContent();
    assert.ok(done && (await page.locator('#lib-undo').getAttribute('title')).endsWith(done), 'the undo names the step the message says was done');
});

await step('Send changes stores the two locations and the read-back confirms them: the simulator holds the new arrangement', async () => {
    const before = (await hook(page, 'received')).length;
    await page.click('#lib-send');
    await waitText(page, '#library-message', await text(page, 'LibraryConfirmed', '1A, 1C'));
    const sent = (await hook(page, 'received')).slice(before);
    const stores = sent.filter((m) => m.length === 152);
    assert.equal(stores.length, 2, 'only the changed locations are stored');
    const held = recordsOf(await core(page, 'bankRecords', await hook(page, 'bankDump')));
    const expected = firstRecords.slice();
    [expected[0], expected[2]] = [expected[2], expected[0]];
    assert.deepEqual(held, expected);
    assert.equal(await page.locator('#library-device tr.changed').count(), 0);
    assert.equal(await page.locator('#lib-send').isEnabled(), false);
});

await step('Enter on a row the device holds chooses it there, and the row is marked as the one the POD is at', async () => {
    await page.click(`${row(4)} td.location`);
    await page.keyboard.press('Enter');
    await page.waitForFunction(() => window.amplixTest.currentProgram() === 5);
    await idle(page);
    assert.equal(await page.locator('#library-message').textContent(), await text(page, 'LibraryChosen', '2A'));
    const playing = await page.$$eval('#library-device td.name.playing', (cells) => cells.map((c) => c.closest('tr').dataset.location));
    assert.deepEqual(playing, ['4']);
    assert.equal(await page.locator('#patch-name').textContent(), firstNames[4]);
});

await step('the keyboard copies, pastes, undoes and renames in place', async () => {
    await page.click(`${row(5)} td.location`);
    await page.keyboard.press('Control+c');
    await page.keyboard.press('ArrowDown');
    await page.keyboard.press('Control+v');
    assert.equal((await rowNames(page))[6], firstNames[5]);
    await page.keyboard.press('Control+z');
    assert.equal((await rowNames(page))[6], firstNames[6]);
    await page.keyboard.press('F2');
    await page.waitForSelector('#library-rename');
    await page.keyboard.press('Control+a');
    await page.keyboard.type('E2E NAME');
    await page.keyboard.press('Enter');
    assert.equal((await rowNames(page))[6].trimEnd(), 'E2E NAME');
    assert.equal(await page.evaluate(() => document.activeElement?.dataset.location), '6', 'the focus stays on the row');
    await page.keyboard.press('Control+z');
    assert.equal((await rowNames(page))[6], firstNames[6]);
    // Tab goes from the row to its own link, and from there on out of the table.
    await page.keyboard.press('Tab');
    assert.deepEqual(await page.evaluate(() => [document.activeElement?.tagName, document.activeElement?.closest('tr')?.dataset.location]), ['A', '6']);
    await page.keyboard.press('Tab');
    assert.equal(await page.evaluate(() => document.activeElement?.closest('#library-device')), null);
});

await step('two rows selected are compared setting by setting, headed by both', async () => {
    await page.click(`${row(0)} td.location`);
    await page.click(`${row(1)} td.location`, { modifiers: ['Control'] });
    const differences = await core(page, 'comparePatches', firstRecords[2], firstRecords[1]);
    const caption = await page.locator('#library-compare-caption').textContent();
    const titles = [`1A ${firstNames[2].trim()}`, `1B ${firstNames[1].trim()}`];
    const expected = differences.length === 1 ? await text(page, 'LibraryDifferOne', ...titles)
        : differences.length ? await text(page, 'LibraryDifferMany', ...titles, differences.length)
        : await text(page, 'LibrarySame', ...titles);
    assert.equal(caption, expected);
    assert.equal(await page.locator('#library-compare tbody tr').count(), differences.length);
});

await step('a patch of the file pane dropped on a location is put there', async () => {
    // Dropped on the pane, a bank file is listed there; the editor does not open it.
    await page.evaluate((bytes) => {
        const data = new DataTransfer();
        data.items.add(new File([Uint8Array.from(bytes)], 'first.syx'));
        document.getElementById('library-file-pane').dispatchEvent(new DragEvent('drop', { dataTransfer: data, bubbles: true, cancelable: true }));
    }, firstBank);
    await waitText(page, '#library-file-title', await text(page, 'LibraryFilePatches', 'first.syx', 36));
    assert.equal(await page.locator('#library-file tbody tr').count(), 36);
    assert.equal(await page.locator('#dialog-open-bank').count(), 0);
    await page.dragAndDrop('#library-file tr[data-file-patch="4"] td.name', `${row(8)} td.location`);
    assert.equal((await rowNames(page))[8], firstNames[4]);
    assert.deepEqual((await hook(page, 'libraryRecords')).slice(8 * kRecord, 9 * kRecord), firstRecords[4]);
    await page.keyboard.press('Control+z');
});

await step('Save bank as downloads the arranged bank', async () => {
    const [download] = await Promise.all([page.waitForEvent('download'), page.click('#lib-save')]);
    assert.equal(download.suggestedFilename(), `${await text(page, 'SaveAllName')}.syx`);
    const bytes = [...fs.readFileSync(await download.path())];
    assert.deepEqual(bytes, await core(page, 'bankDump', await hook(page, 'libraryRecords'), firstBank[7]));
});

await step('screenshots with the library open at 1280 and 800 pixels wide: nothing clipped or overlapping', async () => {
    for (const width of [1280, 800]) {
        await page.setViewportSize({ width, height: 900 });
        await page.waitForTimeout(100);
        await screenshot(page, `library-${width}`);
        // Each button of the library bar lies inside the view and clear of the others.
        const boxes = await page.$$eval('#library .library-bar button', (bs) => bs.map((b) => b.getBoundingClientRect().toJSON()));
        for (const [i, a] of boxes.entries()) {
            assert.ok(a.right <= width && a.left >= 0, `button ${i} inside at ${width}`);
            for (const b of boxes.slice(i + 1))
                assert.ok(a.right <= b.left || b.right <= a.left || a.bottom <= b.top || b.bottom <= a.top, `buttons overlap at ${width}`);
        }
        // Every column of both panes shows without scrolling sideways.
        for (const pane of ['#library-device-pane', '#library-file-pane']) {
            const hidden = await page.$eval(`${pane} .library-scroll`, (e) => e.scrollWidth - e.clientWidth);
            assert.ok(hidden <= 1, `${pane} hides ${hidden} px of its columns at ${width}`);
        }
        const pane = await page.locator('#library-device-pane').boundingBox();
        assert.ok(pane.x >= 0 && pane.x + pane.width <= width, `the device pane inside at ${width}`);
    }
    await page.setViewportSize({ width: 1280, height: 900 });
});

await step('figure: a collection of 1008 patches (28 banks) listed in the file pane', async () => {
    const files = Array.from({ length: 28 }, (_, n) => ({ fileName: `bank${n + 1}.syx`, bytes: firstBank }));
    const ms = await hook(page, 'listFiles', files);
    assert.equal(await page.locator('#library-file tbody tr').count(), 1008);
    console.log(`figure: 1008 patches listed in the file pane in ${ms.toFixed(1)} ms`);
});

const linkRow = 3;
const linkHref = await page.locator(`${row(linkRow)} a.patch-link`).getAttribute('href');
const linkRecord = (await hook(page, 'libraryRecords')).slice(linkRow * kRecord, (linkRow + 1) * kRecord);

await step('each row and the current sound offer "Link to this patch" with a relative fragment and the patch named in its title', async () => {
    const link = page.locator(`${row(linkRow)} a.patch-link`);
    assert.equal(await link.textContent(), await text(page, 'LinkText'));
    assert.equal(linkHref, `#${await core(page, 'patchLink', linkRecord)}`);
    assert.equal(await link.getAttribute('title'), await core(page, 'patchLinkTitle', linkRecord));
    const current = page.locator('#current-link');
    assert.equal(await current.isVisible(), true);
    const currentRecord = await core(page, 'recordOfDump', await hook(page, 'editBufferDump'));
    assert.equal(await current.getAttribute('href'), `#${await core(page, 'patchLink', currentRecord)}`);
});

let second = null;
await step('a link opened in a second page shows the patch beside the current sound, and Send to POD sends exactly its dump', async () => {
    second = await startOnSimulator(1280, linkHref);
    const p = second.page;
    await p.waitForSelector('#patch-link:not([hidden])');
    assert.equal(await p.locator('#link-name').textContent(), firstNames[linkRow]);
    const row = await core(p, 'libraryRow', linkRecord, 0);
    assert.equal(await p.locator('#link-kind').textContent(), [row.ampModel, row.effect].filter(Boolean).join(' · '));
    assert.ok(await p.locator('#link-settings tbody tr').count() > 5);
    await p.waitForFunction(() => document.getElementById('link-compare-caption')?.textContent !== '');
    const before = (await hook(p, 'received')).length;
    await p.click('#link-send');
    await p.waitForFunction((n) => window.amplixTest.received().length > n, before);
    await idle(p);
    const sent = (await hook(p, 'received')).slice(before);
    const expectedDump = await core(p, 'singleDump', linkRecord, 0);
    assert.deepEqual(sent[0], expectedDump, 'the 151-byte edit-buffer dump of that record');
    assert.equal(sent[0].length, 151);
    assert.deepEqual(await core(p, 'recordOfDump', await hook(p, 'editBufferDump')), linkRecord);
    assert.equal(await p.locator('#patch-name').textContent(), firstNames[linkRow]);
    await screenshot(p, 'link-opened-1280');
    await p.setViewportSize({ width: 800, height: 900 });
    await screenshot(p, 'link-opened-800');
});

await step('damaged links are refused with the core\'s words, and nothing is sent', async () => {
        const p = second.page;
        const fragment = linkHref.slice(1);
        const middle = Math.floor(fragment.length / 2);
        // Another character the link itself uses, so the link stays well formed but says something else.
        const flip = [...fragment.slice(middle - 8, middle + 8)].find((c) => c !== fragment[middle] && /[0-9A-Za-z]/.test(c));
        const cases = [
            { name: 'cut', hash: `#${fragment.slice(0, fragment.length - 12)}`, outcome: 'Cut' },
            { name: 'altered', hash: `#${fragment.slice(0, middle)}${flip}${fragment.slice(middle + 1)}`, outcome: 'Altered' },
            { name: 'foreign', hash: '#chapter-3', outcome: 'Foreign' },
        ];
        for (const c of cases) {
            const opened = await core(p, 'readPatchLink', c.hash);
            assert.equal(opened.outcome, c.outcome, c.name);
            const count = (await hook(p, 'received')).length;
            await p.evaluate((h) => { location.hash = h; }, c.hash);
            await waitText(p, '#link-refused', opened.failure);
            assert.equal(await p.locator('#link-send').isVisible(), false, c.name);
            await p.waitForTimeout(200);
            assert.equal((await hook(p, 'received')).length, count, `${c.name}: nothing sent`);
        }
        await screenshot(p, 'link-refused-800');
        assert.deepEqual(await hook(p, 'errors'), []);
        second.assertNoPageErrors();
});
await second?.close();

await step('the Library\'s bank, its changes and the file pane are there after a reload with the network cut, and Forget empties them', async () => {
    await page.dragAndDrop(`${row(3)} td.location`, `${row(4)} td.location`);
    const names = await rowNames(page);
    const records = await hook(page, 'libraryRecords');
    const fileTitle = await page.locator('#library-file-title').textContent();
    const origin = await page.locator('#library-origin').textContent();
    await hook(page, 'flushKept');
    // The first visit's worker has taken the page: the reload comes from its cache.
    await page.waitForFunction(() => navigator.serviceWorker.controller !== null, null, { timeout: 15000 });
    await session.context.setOffline(true);
    try {
        await page.reload();
        await page.waitForSelector('#dialog-midi-setup', { timeout: 15000 });
        await page.click('#dialog-ok');
        await page.waitForFunction(() => document.body.dataset.state === 'connected');
        await idle(page);
        await page.click('#cmd-library');
        assert.deepEqual(await rowNames(page), names);
        assert.deepEqual(await hook(page, 'libraryRecords'), records);
        const changed = await page.$$eval('#library-device tr.changed', (rows) => rows.map((r) => r.dataset.location));
        assert.deepEqual(changed, ['3', '4']);
        const kept = await text(page, 'LibraryKept', origin.replace(/ \(.*\)$/, '').replace(/, sent at .*$/, ''));
        assert.equal(await page.locator('#library-origin').textContent(), await text(page, 'LibraryNotOnPod', kept, 2));
        assert.equal(await page.locator('#library-file-title').textContent(), fileTitle);
        assert.equal(await page.locator('#library-file tbody tr').count(), 1008);
        assert.equal(await page.locator('#lib-undo').isEnabled(), false);
        await screenshot(page, 'library-kept-1280');
    } finally {
        await session.context.setOffline(false);
    }

    await page.click('#cmd-forget');
    assert.equal(await page.locator('#forget-question').textContent(), await text(page, 'ForgetQuestion'));
    await page.click('#dialog-forget #dialog-ok');
    await waitText(page, '#status-outcome', await text(page, 'StatusForgotten'));
    assert.equal(await page.locator('#library-device tbody tr td.name').count(), 0);
    assert.equal(await page.locator('#library-file tbody tr').count(), 0);
    assert.equal(await page.locator('#library-origin').textContent(), await text(page, 'LibraryNothingRead'));
    await page.reload();
    await page.waitForSelector('#dialog-midi-setup', { timeout: 15000 });
    await page.click('#dialog-ok');
    await page.waitForFunction(() => document.body.dataset.state === 'connected');
    await page.click('#cmd-library');
    assert.equal(await page.locator('#library-device tbody tr td.name').count(), 0);
    assert.equal(await page.locator('#library-file tbody tr').count(), 0);
});

await step('no page errors', async () => {
    assert.deepEqual(await hook(page, 'errors'), []);
    session.assertNoPageErrors();
});

await session.close();
await browser.close();
await server.close();
report();
