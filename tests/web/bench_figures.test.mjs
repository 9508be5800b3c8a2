// The browser figures' arithmetic: nearest-rank percentiles, the site's size, each input paired
// with the send that answered it, the bank told apart from the read-back after it, and the page's
// probe, which must hand every send on as the page made it.
// Run: node --test tests/web/bench_figures.test.mjs
import assert from 'node:assert/strict';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { test } from 'node:test';
import vm from 'node:vm';
import { gzipSync } from 'node:zlib';
import { bankStores, probe, sendLatencies, siteSizes, summary } from '../../bench/web_figures.mjs';

test('summary: nearest-rank median and p99 of unsorted samples, the samples left as they were', () => {
    const samples = Array.from({ length: 100 }, (_, n) => 100 - n); // 100 .. 1
    assert.deepEqual(summary(samples), { n: 100, median: 50, p99: 99, max: 100 });
    assert.equal(samples[0], 100);
    // Below 100 samples the p99 is the largest; one sample is every figure.
    assert.deepEqual(summary([3, 1, 2]), { n: 3, median: 2, p99: 3, max: 3 });
    assert.deepEqual(summary([7]), { n: 1, median: 7, p99: 7, max: 7 });
    // Numbers, not text: 10 sorts after 9.
    assert.equal(summary([9, 10, 2]).max, 10);
});

test('sendLatencies: each input takes the first control change after it and before the next input', () => {
    const cc = (at, channel = 0) => [at, 0xb0 | channel, 3];
    const sysex = (at) => [at, 0xf0, 152];
    const { latencies, missed } = sendLatencies([10, 20, 30, 40], [
        cc(5),          // before any input: nobody's
        sysex(10.5),    // not a control change
        cc(11, 15),     // answers 10, on channel 16
        cc(12),         // a second send for the same input counts once
        [25, 0xc0, 2],  // a program change answers nothing: 20 is missed
        cc(30),         // at the very moment of 30: its own
        cc(47.5),       // the last input is open-ended
    ]);
    assert.deepEqual(latencies, [1, 0, 7.5]);
    assert.equal(missed, 1);
    assert.deepEqual(sendLatencies([1, 2], []), { latencies: [], missed: 2 });
});

test('siteSizes: every file of nested folders by its path, raw and gzip at level 9, and the totals', (t) => {
    const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'amplix-site-'));
    t.after(() => fs.rmSync(folder, { recursive: true, force: true }));
    const files = {
        'index.html': '<!doctype html>'.repeat(40),
        'app/main.js': 'export {};\n',
        'app/midi/link.js': 'x'.repeat(5000),
        'core.wasm': Buffer.from(Array.from({ length: 3000 }, (_, n) => (n * 7919) % 251)),
    };
    for (const [name, body] of Object.entries(files)) {
        fs.mkdirSync(path.dirname(path.join(folder, name)), { recursive: true });
        fs.writeFileSync(path.join(folder, name), body);
    }
    const sizes = siteSizes(folder);
    assert.deepEqual(sizes.files.map((f) => f.name), ['app/main.js', 'app/midi/link.js', 'core.wasm', 'index.html']);
    for (const file of sizes.files) {
        const bytes = fs.readFileSync(path.join(folder, file.name));
        assert.equal(file.raw, bytes.length, file.name);
        assert.equal(file.gzip, gzipSync(bytes, { level: 9 }).length, file.name);
    }
    assert.equal(sizes.raw, 600 + 11 + 5000 + 3000);
    assert.equal(sizes.gzip, sizes.files.reduce((sum, f) => sum + f.gzip, 0));
    assert.ok(sizes.files.find((f) => f.name === 'app/midi/link.js').gzip < 100, 'compressed, not copied');

    const empty = fs.mkdtempSync(path.join(os.tmpdir(), 'amplix-site-'));
    t.after(() => fs.rmSync(empty, { recursive: true, force: true }));
    fs.mkdirSync(path.join(empty, 'app'));
    assert.throws(() => siteSizes(empty), /no files/);
});

test('bankStores: the bank is the first 36 SysEx, whole only when each is a 152-byte store', () => {
    const stores = Array(36).fill(152);
    assert.deepEqual(bankStores([...stores, 8]), { bytes: 5472, whole: true }); // the read-back request left out
    assert.deepEqual(bankStores(stores.slice(1)), { bytes: 5320, whole: false }); // one store short
    assert.deepEqual(bankStores([5121]), { bytes: 5121, whole: false }); // sent in one piece
    const cut = [...stores];
    cut[17] = 128; // a store cut short
    assert.equal(bankStores(cut).whole, false);
});

test('probe: every send handed on unchanged and recorded, MIDI access passed through and marked, keys and clicks stamped', async () => {
    // A page's globals, as far as the probe touches them, run from the probe's source text as the
    // init script is.
    let clock = 100;
    const handedOn = [], marks = [], listeners = {};
    class MIDIOutput {
        send(...args) {
            handedOn.push(args);
        }
    }
    const access = { inputs: new Map(), outputs: new Map() };
    class Navigator {
        requestMIDIAccess(options) {
            return options?.sysex ? Promise.resolve(access) : Promise.reject(new Error('refused'));
        }
    }
    const page = vm.createContext({
        MIDIOutput, Navigator, navigator: new Navigator(),
        performance: { timeOrigin: 1e12, now: () => clock, mark: (name) => marks.push([name, clock]), getEntriesByName: () => [] },
        addEventListener: (type, listener, capture) => (listeners[type] = { listener, capture }),
    });
    page.window = page;
    vm.runInContext(`(${probe})(${JSON.stringify({ watchPatchName: false })});`, page);
    // The probe's arrays come from the page's realm: compared as plain data.
    const recorded = (key) => JSON.parse(JSON.stringify(page.amplixBench[key]));

    const output = new MIDIOutput();
    const message = Uint8Array.of(0xb0, 13, 64);
    output.send(message);
    clock = 101.5;
    output.send([0xf0, 0, 1, 0xf7], 250.25);
    // The page's own call is kept as it was: without a time stamp, one argument.
    assert.deepEqual(handedOn, [[message], [[0xf0, 0, 1, 0xf7], 250.25]]);
    assert.equal(handedOn[0][0], message);
    assert.deepEqual(recorded('sends'), [[100, 0xb0, 3], [101.5, 0xf0, 4]]);

    clock = 120;
    assert.equal(await page.navigator.requestMIDIAccess({ sysex: true }), access);
    assert.deepEqual(marks, [['bench:midi-access', 120]]);
    await assert.rejects(page.navigator.requestMIDIAccess({}), /refused/);
    assert.equal(marks.length, 1, 'a refusal marks nothing');

    assert.equal(listeners.keydown.capture, true);
    listeners.keydown.listener({ timeStamp: 119.25 });
    listeners.click.listener({ timeStamp: 121, target: { id: 'dialog-ok' } });
    assert.deepEqual(recorded('keys'), [[119.25, 120]]);
    assert.deepEqual(recorded('clicks'), [[1e12 + 121, 'dialog-ok']]);
});
