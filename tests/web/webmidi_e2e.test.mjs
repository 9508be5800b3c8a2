// Chromium's own Web MIDI code on the ALSA sequencer model: the interface's ports, requests and
// answers, what a bank sent from a page does to the interface's buffer, unplugging.
// Run: node webmidi_e2e.test.mjs <path of libamplix_alsaseq_model.so>
import assert from 'node:assert/strict';
import path from 'node:path';
import { after, before, describe, test } from 'node:test';
import { fileURLToPath } from 'node:url';

import {
    chromiumAvailable,
    chromiumPath,
    kSkipExitCode,
    launchChromium,
    modelEnvironment,
    openPage,
    serveStatic,
    toHex,
} from './harness.mjs';

const kInterface = 'USB MIDI Interface MIDI 1';
const kThrough = 'Midi Through Port-0';
const kByteTimeMs = 0.32; // the cable: 31250 baud, ten bits a byte
const kEditBufferRequest = [0xf0, 0x00, 0x01, 0x0c, 0x01, 0x00, 0x01, 0xf7];
const kDeviceInquiry = [0xf0, 0x7e, 0x7f, 0x06, 0x01, 0xf7];
const kSingleDumpHeader = [0xf0, 0x00, 0x01, 0x0c, 0x01, 0x01, 0x01];
const kStoreHeader = [0xf0, 0x00, 0x01, 0x0c, 0x01, 0x01, 0x00];
const kSingleDumpSize = 151;
const kBankDumpSize = 5121;
const kPatches = 36;
const kRecordNibbles = 142;
const kDumpDataOffset = 8;
const kPiece = 256;
const kInterfaceBuffer = 4096;

if (!chromiumAvailable()) {
    console.log(`SKIP: no Chromium at ${chromiumPath}`);
    process.exit(kSkipExitCode);
}
const library = process.argv[2] || process.env.AMPLIX_ALSASEQ_MODEL;
assert.ok(library, 'the model library is the first argument');

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// A bank unlike the factory one: every location holds the factory patch of the next.
function rotatedBank(factory) {
    const bank = Uint8Array.from(factory);
    for (let n = 0; n < kPatches; ++n) {
        const from = kDumpDataOffset + kRecordNibbles * ((n + 1) % kPatches);
        bank.set(factory.subarray(from, from + kRecordNibbles), kDumpDataOffset + kRecordNibbles * n);
    }
    return bank;
}

// The bank's patches as 36 store messages, each a whole SysEx of 152 bytes.
function storeMessages(bank) {
    const messages = [];
    for (let n = 0; n < kPatches; ++n) {
        const nibbles = bank.subarray(kDumpDataOffset + kRecordNibbles * n, kDumpDataOffset + kRecordNibbles * (n + 1));
        messages.push([...kStoreHeader, n, bank[7], ...nibbles, 0xf7]);
    }
    return messages;
}

function pieces(bytes, size) {
    const all = [];
    for (let at = 0; at < bytes.length; at += size) all.push(Array.from(bytes.subarray(at, at + size)));
    return all;
}

let site;
let model;
let browser;
let session;
let page;

async function waitForMessages(count, limitMs = 5000) {
    const got = [];
    const end = Date.now() + limitMs;
    while (got.length < count && Date.now() < end) {
        got.push(...(await page.evaluate(() => fixture.takeReceived())));
        if (got.length < count) await sleep(20);
    }
    return got;
}

async function waitForStates(count, limitMs = 5000) {
    const got = [];
    const end = Date.now() + limitMs;
    while (got.length < count && Date.now() < end) {
        got.push(...(await page.evaluate(() => fixture.takeStateChanges())));
        if (got.length < count) await sleep(20);
    }
    return got;
}

before(async () => {
    site = await serveStatic(path.join(path.dirname(fileURLToPath(import.meta.url)), 'fixtures'));
    model = modelEnvironment(library);
    browser = await launchChromium({ model });
    session = await openPage(browser, site.url + 'webmidi.html');
    page = session.page;
});

after(async () => {
    if (session) {
        await session.screenshot('webmidi_e2e');
        session.assertNoPageErrors();
        assert.deepEqual(session.consoleErrors, []);
    }
    await browser?.close();
    await site?.close();
    model?.dispose();
});

describe('Web MIDI on the sequencer model', () => {
    test('lists the interface and Midi Through as connected inputs and outputs', async () => {
        const ports = await page.evaluate(() => fixture.open());
        await model.control.waitUntilServing();
        for (const kind of ['inputs', 'outputs']) {
            assert.deepEqual(
                ports[kind].map((port) => [port.name, port.state]),
                [
                    [kThrough, 'connected'],
                    [kInterface, 'connected'],
                ],
                kind
            );
        }
        await page.evaluate((name) => fixture.listen(name), kInterface);
        await waitForStates(2); // the input opened by listening, the output by the first send
        await page.evaluate(() => fixture.takeStateChanges());
    });

    test('the edit-buffer request brings the device edit buffer as one 151-byte dump', async () => {
        await page.evaluate(([name, bytes]) => fixture.send(name, bytes), [kInterface, kEditBufferRequest]);
        const [dump] = await waitForMessages(1);
        assert.ok(dump, 'no dump came');
        assert.equal(dump.data.length, kSingleDumpSize);
        assert.deepEqual(dump.data.slice(0, kSingleDumpHeader.length), kSingleDumpHeader);
        assert.equal(toHex(dump.data), toHex(await model.control.editBuffer()));
        await page.evaluate(() => fixture.takeStateChanges());
        assert.deepEqual(await model.control.deviceMessages(), [Uint8Array.from(kEditBufferRequest)]);
    });

    test('a device inquiry to all channels brings the POD identity reply', async () => {
        await page.evaluate(([name, bytes]) => fixture.send(name, bytes), [kInterface, kDeviceInquiry]);
        const [reply] = await waitForMessages(1);
        assert.ok(reply, 'no reply came');
        // Family 0000, member 0100 (a POD), software 1.00; the channel is the one asked.
        assert.deepEqual(
            reply.data,
            [0xf0, 0x7e, 0x7f, 0x06, 0x02, 0x00, 0x01, 0x0c, 0x00, 0x00, 0x00, 0x01, 0x30, 0x31, 0x30, 0x30, 0xf7]
        );
    });

    test('the user at the device: a turned knob and a chosen patch reach the page', async () => {
        assert.equal(toHex(await model.control.turnKnob(13, 100)), 'B00D64');
        assert.equal(toHex(await model.control.choosePatch(5)), 'C005');
        const got = await waitForMessages(2);
        assert.deepEqual(
            got.map((m) => toHex(m.data)),
            ['B00D64', 'C005']
        );
        assert.equal(await model.control.currentProgram(), 5);
    });
});

describe('a bank from the page to the device', () => {
    let factory;
    let bank;

    before(async () => {
        await model.control.reset();
        await waitForStates(4); // the reset takes the interface away and brings it back
        factory = await model.control.bankDump();
        bank = rotatedBank(factory);
        assert.notEqual(toHex(bank), toHex(factory));
        assert.equal(bank.length, kBankDumpSize);
    });

    test('cannot go as 256-byte pieces: Chromium refuses a SysEx without its F7', async () => {
        const refused = await page.evaluate(
            ([name, parts, byteTime]) => {
                try {
                    fixture.sendPaced(name, parts, byteTime);
                    return null;
                } catch (error) {
                    return `${error.name}: ${error.message}`;
                }
            },
            [kInterface, pieces(bank, kPiece), kByteTimeMs]
        );
        assert.equal(
            refused,
            "TypeError: Failed to execute 'send' on 'MIDIOutput': " +
                'System exclusive message is not ended by end of system exclusive message.'
        );
        await sleep(100);
        assert.equal((await model.control.stats()).bytesToDevice, 0);
    });

    // Chromium cuts a send into 256-byte sequencer events and writes them all at once, whatever
    // the timestamp: the interface's 4096-byte buffer takes about 16 of them and drops the rest
    // (how many it drains meanwhile depends on how fast Chromium writes).
    for (const [what, later] of [
        ['in one send()', 0],
        ['in one send() with a timestamp', 200],
    ]) {
        test(`overruns the interface ${what}, and the device keeps its bank`, async () => {
            await model.control.clearLog();
            const before = await model.control.stats();
            await page.evaluate(
                ([name, bytes, delay]) => fixture.send(name, bytes, delay ? performance.now() + delay : undefined),
                [kInterface, Array.from(bank), later]
            );
            await sleep(later + 100);
            await model.control.idle(10000);
            const stats = await model.control.stats();
            const events = Math.ceil(kBankDumpSize / kPiece);
            assert.equal(stats.eventsToPort - before.eventsToPort, events);
            assert.equal(stats.largestEventToPort, kPiece);
            const overruns = stats.overruns - before.overruns;
            assert.ok(overruns > 0 && overruns <= events - kInterfaceBuffer / kPiece, `${overruns} overruns`);
            // Full up to less than a piece: the interface drains while the next piece arrives.
            assert.ok(stats.largestBufferFill > kInterfaceBuffer - kPiece && stats.largestBufferFill <= kInterfaceBuffer,
                `largest buffer fill ${stats.largestBufferFill}`);
            assert.ok(stats.bytesToDevice - before.bytesToDevice < kBankDumpSize);
            // Cut short: never the bank. When the interface has drained by the time the last
            // piece (the F7 alone) comes, the device sees the first 4096 bytes ended by it.
            for (const message of await model.control.deviceMessages())
                assert.ok(message.length < kBankDumpSize, `a ${message.length}-byte message reached the device`);
            assert.equal(toHex(await model.control.bankDump()), toHex(factory));
            console.log(`# bank ${what}: ${stats.overruns - before.overruns} overruns, ` +
                `${stats.bytesToDevice - before.bytesToDevice} of ${kBankDumpSize} bytes reached the device`);
        });
    }

    test('arrives whole as 36 store messages timestamped at the cable pace, with no overrun', async () => {
        await model.control.reset(); // counters from zero: the buffer's fill is this test's own
        await waitForStates(4);
        const before = await model.control.stats();
        const messages = storeMessages(bank);
        const bytes = messages.reduce((sum, m) => sum + m.length, 0);
        const started = Date.now();
        const sent = await page.evaluate(
            ([name, parts, byteTime]) => fixture.sendPaced(name, parts, byteTime),
            [kInterface, messages, kByteTimeMs]
        );
        await model.control.waitForStats((s) => s.bytesToDevice - before.bytesToDevice >= bytes, 20000);
        const elapsed = Date.now() - started;
        await model.control.idle(5000);
        const stats = await model.control.stats();
        assert.equal(stats.overruns - before.overruns, 0);
        assert.equal(stats.bytesToDevice - before.bytesToDevice, bytes);
        assert.equal((await model.control.deviceMessages()).length, kPatches);
        assert.equal(toHex(await model.control.bankDump()), toHex(bank));
        assert.ok(stats.largestBufferFill < kInterfaceBuffer / 4, `buffer filled to ${stats.largestBufferFill}`);
        const cableMs = bytes * kByteTimeMs;
        // The sends return at once; the last is due when the cable has carried the rest.
        assert.ok(sent.returned - sent.start < 100, `send() calls took ${sent.returned - sent.start} ms`);
        assert.ok(elapsed >= cableMs, `${elapsed} ms, shorter than the cable's ${cableMs} ms`);
        console.log(`# 36 store messages, ${bytes} bytes: on the device after ${elapsed} ms ` +
            `(cable ${cableMs.toFixed(0)} ms), largest buffer fill ${stats.largestBufferFill}`);
    });
});

describe('unplugging the interface', () => {
    test('shows both ports disconnected, and connected and working again once plugged in', async () => {
        await page.evaluate(() => fixture.takeStateChanges());
        await model.control.unplug();
        const gone = await waitForStates(2);
        assert.deepEqual(
            gone.map((c) => [c.name, c.type, c.state]).sort(),
            [
                [kInterface, 'input', 'disconnected'],
                [kInterface, 'output', 'disconnected'],
            ]
        );
        // Chromium's maps leave disconnected ports out.
        const listed = await page.evaluate(() => fixture.ports());
        for (const kind of ['inputs', 'outputs'])
            assert.deepEqual(listed[kind].map((p) => [p.name, p.state]), [[kThrough, 'connected']], kind);

        await model.control.plugIn();
        const back = await waitForStates(2);
        assert.deepEqual(
            back.map((c) => [c.name, c.type, c.state]).sort(),
            [
                [kInterface, 'input', 'connected'],
                [kInterface, 'output', 'connected'],
            ]
        );
        await page.evaluate(() => fixture.takeReceived());
        await page.evaluate(([name, bytes]) => fixture.send(name, bytes), [kInterface, kEditBufferRequest]);
        const [dump] = await waitForMessages(1);
        assert.ok(dump, 'no dump after plugging back in');
        assert.equal(toHex(dump.data), toHex(await model.control.editBuffer()));
    });
});
