// The core module as the page loads it, under node: what crosses the binding arrives whole and
// means what the core means. Run by CTest with the built module's folder as its argument.
import assert from "node:assert/strict";
import { readFileSync } from "node:fs";
import { join } from "node:path";
import { pathToFileURL } from "node:url";
import { test } from "node:test";

const dir = process.argv[2] ?? process.env.AMPLIX_CORE_MODULE_DIR;
const { default: createAmplixCore } = await import(pathToFileURL(join(dir, "amplix-core.js")).href);
const core = await createAmplixCore({ wasmBinary: readFileSync(join(dir, "amplix-core.wasm")) });

const sizes = core.sizes();
// The status bytes as the core has them: the joiner's cases are built of them.
const { sysexStart: S, sysexEnd: E, controlChange: CC, programChange: PC } = core.statusBytes();
const kClock = 0xf8; // a real-time byte, which the device never sends
const concat = (parts) => Uint8Array.from(parts.flatMap((p) => [...p]));

test("the tone map and lists arrive with every row's names, kinds and entries", () => {
    const map = core.toneMap();
    const drive = map.find((p) => p.member === "Drive");
    assert.deepEqual([drive.controller, drive.label, drive.window, drive.kind, drive.maximum], [13, "Drive", "Frame", "ReversedSlider", 127]);
    const amp = map.find((p) => p.member === "AmpModel");
    assert.equal(amp.entries.length, 32);
    assert.equal(amp.maximum, 31);
    assert.equal(map.find((p) => p.member === "DelayTime").maximum, 3150);
    const windows = new Set(map.map((p) => p.window));
    assert.equal(windows.size, 10);
    assert.equal(core.effectForIndex(7).window, "Rotary");
    assert.equal(core.effectForIndex(99), null);
});

test("the texts arrive by name, placeholders and all", () => {
    const texts = core.texts();
    assert.equal(texts.OverwriteTitle, "Overwrite POD patches!");
    assert.equal(texts.OverwriteLine1, "WARNING! This operation will ");
    assert.equal(texts.SimulatorName, "Amplix POD Simulator");
    assert.equal(texts.StatusProgress, "%1 of %2 bytes");
    assert.ok(Object.keys(texts).length > 100);
});

test("the panel's layout names every control of the tone map, each in its own window", () => {
    const layout = core.panelLayout();
    assert.deepEqual([layout.width, layout.height], [700, 515]);
    assert.equal(layout.windows.length, 10);
    const map = core.toneMap().filter((p) => p.member && p.kind !== "None");
    for (const p of map) {
        const item = layout.items.find((i) => i.member === p.member);
        assert.ok(item, p.member);
        assert.equal(item.window, p.window, p.member);
    }
    const label = layout.items.find((i) => i.name === "StaticAmpModel");
    assert.equal(label.text, core.texts().AmpModelLinked);
    assert.deepEqual(layout.items.find((i) => i.name === "Drive"), {
        window: "Frame", kind: "VerticalSlider", name: "Drive", member: "Drive", x: 20, y: 30, w: 32, h: 136, text: "",
    });
});

test("controls send the core's controllers and read in its terms", () => {
    assert.deepEqual(core.controllerMessages("Drive", 0), [{ controller: 13, value: 127 }]);
    assert.equal(core.controllerMessages("DelayTime", 1250).length, 2);
    assert.deepEqual(core.controllerMessages("NoSuchControl", 3), []);
    assert.equal(core.valueText("DelayTime", 1250), "1250 ms");
    assert.equal(core.labelledValueText("Bass", 0), "Bass: 127");
    assert.equal(core.receivedState(13, 100), 27);
    assert.equal(core.receivedState(12, 3), null); // the amp model reads the patch instead
});

test("a dump decodes, and messages are built, only from bytes of the right size", () => {
    const device = new core.PodDevice();
    const dump = device.editBufferDump();
    const patch = core.decodeDump(dump);
    assert.equal(patch.name.trim(), "Clean Sparkle");
    assert.ok(patch.controls.some((c) => c.member === "Drive"));
    assert.equal(core.decodeDump(device.bankDump()), null);
    assert.equal(core.decodeDump(dump.subarray(0, 150)), null);
    assert.equal(core.singleDump(new Uint8Array(70), 0), null);
    assert.equal(core.storeMessage(dump, 36), null);

    const record = core.recordOfDump(dump);
    assert.deepEqual(core.singleDump(record, dump[7]), dump);
    const store = core.storeMessage(dump, 9);
    assert.equal(store.length, sizes.storeMessage);
    assert.deepEqual([store[6], store[7], store.at(-1)], [0x00, 9, E]);
    assert.deepEqual(core.bankRecord(device.bankDump(), 0), core.recordOfDump(device.editBufferDump()));
    device.delete();
});

test("names keep the device's 8-bit characters and the rename rule", () => {
    const device = new core.PodDevice();
    const renamed = core.renameDump(device.editBufferDump(), "Café Crunch");
    assert.equal(core.dumpName(renamed), "Café Crunch     ");
    assert.equal(core.decodeDump(renamed).name, "Café Crunch     ");
    assert.equal(core.acceptsName("Sixteen chars ok"), true);
    assert.equal(core.acceptsName("Seventeen chars x"), false);
    assert.equal(core.acceptsName("Euro €"), false);
    assert.equal(core.acceptsName("tab\there"), false);
    assert.equal(core.renameDump(device.editBufferDump(), "Euro €"), null);
    assert.equal(core.fileNameForPatch("a/b: Café"), "a_b_ Café");
    device.delete();
});

test("a controller applied to a record changes what the device would play", () => {
    const device = new core.PodDevice();
    const record = core.recordOfDump(device.editBufferDump());
    const louder = core.applyController(record, 13, 0);
    device.receive(core.controlChange(0, 13, 0));
    assert.deepEqual(louder, core.recordOfDump(device.editBufferDump()));
    assert.equal(core.applyController(new Uint8Array(3), 13, 0), null);
    device.delete();
});

test("files open with the core's choosers and messages", () => {
    const device = new core.PodDevice();
    const bank = device.bankDump();
    const opened = core.openPatchFile(bank);
    assert.equal(opened.kind, "Bank");
    assert.equal(opened.entries.length, 36);
    assert.equal(opened.entries[35].label, "9D");
    const entry = core.sourceDump(bank, "bank.syx", false, 1, core.noEffectChoice());
    assert.deepEqual(core.recordOfDump(entry.dump), core.bankRecord(bank, 1));

    const garbage = new TextEncoder().encode("not a patch file at all ".repeat(10));
    assert.deepEqual(core.openPatchFile(garbage).failure, { text: "Error!  Invalid File format.", caption: "Error!!" });
    assert.equal(core.openPatchFile(bank.subarray(0, 5000)).failure.text, "Error reading from file!");
    assert.ok(core.openImportFile(garbage, "x.lib").failure.text.length > 0);
    assert.equal(core.sourceDump(bank, "bank.syx", false, 36, core.noEffectChoice()).dump, null);
    device.delete();
});

test("a bank goes as 36 store messages that leave the device holding that bank", () => {
    const source = new core.PodDevice();
    const target = new core.PodDevice();
    const bank = core.bankDump(concat(Array.from({ length: 36 }, (_, n) => core.bankRecord(source.bankDump(), 35 - n))), 0x05);
    const messages = core.bankStoreMessages(bank);
    assert.equal(messages.length, 36);
    messages.forEach((m, n) => assert.deepEqual([m.length, m[7], m[8]], [sizes.storeMessage, n, 0x05]));
    for (const m of messages)
        assert.deepEqual(target.receive(m), []);
    for (let n = 0; n < 36; ++n)
        assert.deepEqual(core.bankRecord(target.bankDump(), n), core.bankRecord(bank, n), `location ${n}`);
    assert.equal(core.bankStoreMessages(source.editBufferDump()), null);
    assert.equal(core.bankListing(bank)[0], "1A  " + core.dumpName(core.singleDump(core.bankRecord(bank, 0), 0)).replace(/\0.*$/, ""));
    assert.deepEqual(core.openPatchFile(bank).bytes, bank);
    source.delete();
    target.delete();
});

test("a control stored into a dump keeps every other byte", () => {
    const device = new core.PodDevice();
    const dump = device.editBufferDump();
    const changed = core.withControl(dump, "AmpModel", 12);
    assert.equal(changed[7], dump[7]);
    assert.equal(core.decodeDump(changed).controls.find((c) => c.member === "AmpModel").value, 12);
    const differing = [...changed].flatMap((b, i) => (b === dump[i] ? [] : [i]));
    assert.ok(differing.length > 0 && differing.length <= 2, `bytes ${differing}`);
    assert.equal(core.withControl(dump, "NoSuchControl", 1), null);
    device.delete();
});

test("a long SysEx is scheduled in 256-byte pieces at the cable's pace", () => {
    const bank = new core.PodDevice().bankDump();
    const sent = core.pacedSend(bank, 1000, 0);
    assert.equal(sent.pieces.length, 21);
    assert.deepEqual(concat(sent.pieces.map((p) => p.bytes)), bank);
    sent.pieces.forEach((p, n) => assert.ok(Math.abs(p.at - (1000 + n * 256 * 0.32)) < 1e-6, `piece ${n}`));
    assert.ok(Math.abs(sent.doneAt - (1000 + core.cableTimeMs(bank.length))) < 1e-6);
    // What the cable still carries holds the first piece back.
    const after = core.pacedSend(core.editBufferRequest(), 1000, 1500);
    assert.equal(after.pieces[0].at, 1500);
});

test("the simulator answers as the device does", () => {
    const device = new core.PodDevice();
    const [dump] = device.receive(core.editBufferRequest());
    assert.equal(core.classifyDump(dump), "SinglePatch");
    const [reply] = device.receive(core.deviceInquiry(127));
    const identity = core.readInquiryReply(reply);
    assert.equal(core.describeDevice(identity), "a POD (software 1.00)");
    device.receive(core.programChange(0, 9));
    assert.equal(device.currentProgram(), 9);
    assert.equal(core.programTitle(9), "Amplix 32 - Patch 3A");
    device.delete();
});

test("the status bytes are the ones the core's messages start with", () => {
    const status = core.statusBytes();
    assert.deepEqual(Object.keys(status).sort(), ["controlChange", "programChange", "sysexEnd", "sysexStart"]);
    const request = core.editBufferRequest();
    assert.deepEqual([request[0], request.at(-1)], [status.sysexStart, status.sysexEnd]);
    assert.equal(core.controlChange(5, 13, 1)[0], status.controlChange | 5);
    assert.equal(core.programChange(15, 2)[0], status.programChange | 15);
});

test("the joiner hands on whole messages, whatever the pieces", () => {
    const request = [...core.editBufferRequest()];
    const big = new Uint8Array(5300).fill(0x01);
    big[0] = S;
    big[big.length - 1] = E;
    const cases = [
        ["a short message passes through", [[CC, 13, 100]], [[CC, 13, 100]]],
        ["a SysEx in three pieces", [request.slice(0, 2), request.slice(2, 5), request.slice(5)], [request]],
        ["stray bytes between messages are dropped", [[S, 1, E, 0x40, 0x41], [0x42, S, 2, E]], [[S, 1, E], [S, 2, E]]],
        ["a short message and a SysEx in one piece", [[PC, 5, ...request]], [[PC, 5], request]],
        ["running status", [[CC, 13, 100, 14], [101]], [[CC, 13, 100], [CC, 14, 101]]],
        ["a clock byte inside a SysEx comes out on its own", [[S, 1, kClock, 2, E]], [[kClock], [S, 1, 2, E]]],
        ["a new start drops a SysEx cut short", [[S, 1, 2], [S, 3, E]], [[S, 3, E]]],
        ["a control change breaks one off and gets through", [[S, 1, 2], [CC, 7, 9], [3, E]], [[CC, 7, 9]]],
        ["one longer than the receive buffer never does", [[...big], [PC, 1]], [[PC, 1]]],
        ["an empty piece gives nothing", [[]], []],
    ];
    for (const [what, pieces, expected] of cases) {
        const joiner = new core.MessageJoiner();
        const whole = pieces.flatMap((p) => joiner.feed(Uint8Array.from(p)).map((m) => [...m]));
        assert.deepEqual(whole, expected, what);
        joiner.delete();
    }
});

test("a bank paced in pieces comes out of the joiner as the bank, once its last piece is in", () => {
    const device = new core.PodDevice();
    const bank = device.bankDump();
    const joiner = new core.MessageJoiner();
    const pieces = core.pacedSend(bank, 0, 0).pieces.map((p) => joiner.feed(p.bytes));
    assert.deepEqual(pieces.slice(0, -1).flat(), []);
    assert.equal(pieces.at(-1).length, 1);
    assert.ok(pieces.at(-1)[0] instanceof Uint8Array);
    assert.deepEqual(pieces.at(-1)[0], bank);
    // Each joiner keeps its own SysEx in progress.
    const other = new core.MessageJoiner();
    assert.deepEqual(joiner.feed(Uint8Array.of(S, 1)), []);
    assert.deepEqual(other.feed(Uint8Array.of(E)), []);
    assert.deepEqual(joiner.feed(Uint8Array.of(E)), [Uint8Array.of(S, 1, E)]);
    joiner.delete();
    other.delete();
    device.delete();
});

// ---- The librarian and links ----

const simulatorRecords = () => {
    const device = new core.PodDevice();
    const records = core.bankRecords(device.bankDump());
    device.delete();
    return records;
};
const recordAt = (records, n) => records.slice(n * sizes.record, (n + 1) * sizes.record);

test("a link carries a record through the module and back byte for byte, ready to send", () => {
    const records = simulatorRecords();
    assert.equal(records.length, 36 * 71);
    const device = new core.PodDevice();
    const bank = device.bankDump();
    device.delete();
    const all = core.bankRecords(bank);
    for (let n = 0; n < 36; ++n) assert.deepEqual(recordAt(all, n), core.bankRecord(bank, n), `record ${n}`);
    for (let n = 0; n < 36; ++n) {
        const record = recordAt(records, n);
        const link = core.patchLink(record);
        assert.match(link, /^amplix1\.[A-Za-z0-9_-]{100}$/);
        for (const fragment of [link, `#${link}`]) {
            const opened = core.readPatchLink(fragment);
            assert.deepEqual([opened.outcome, opened.failure], ["Patch", ""]);
            assert.deepEqual(opened.record, record);
        }
        // What "Send to POD" sends: the edit-buffer dump of exactly that record.
        const dump = core.singleDump(core.readPatchLink(link).record, 0);
        assert.equal(dump.length, sizes.singleDump);
        assert.deepEqual(core.recordOfDump(dump), record);
    }
    const named = core.renameDump(core.singleDump(recordAt(records, 0), 0), "Caf\u00e9 Crunch");
    assert.equal(core.patchLinkTitle(core.recordOfDump(named)), "Caf\u00e9 Crunch: a POD patch");
    assert.equal(core.patchLink(new Uint8Array(70)), null);
    assert.equal(core.patchLinkTitle(new Uint8Array(72)), null);
});

test("a cut, altered or foreign link gives no record and the core's own words", () => {
    const texts = core.texts();
    assert.equal(texts.LinkText, "Link to this patch");
    const link = core.patchLink(recordAt(simulatorRecords(), 4));
    const flipped = link.slice(0, 60) + (link[60] === "A" ? "B" : "A") + link.slice(61);
    const cases = [
        [link.slice(0, 50), "Cut", texts.LinkCut],
        ["", "Cut", texts.LinkCut],
        [flipped, "Altered", texts.LinkAltered],
        [`${link}=`, "Altered", texts.LinkAltered],
        [`amplix2.${link.slice(8)}`, "Foreign", texts.LinkForeign],
        ["#/settings", "Foreign", texts.LinkForeign],
    ];
    for (const [fragment, outcome, failure] of cases) {
        const opened = core.readPatchLink(fragment);
        assert.deepEqual(opened, { outcome, record: null, failure }, fragment);
        assert.ok(failure.length > 0);
    }
    assert.notEqual(texts.LinkCut, texts.LinkAltered);
});

test("the library swaps, undoes and redoes across the binding, and refuses what does not fit", () => {
    const records = simulatorRecords();
    const library = new core.PatchLibrary();
    assert.equal(library.loaded(), false);
    assert.equal(library.load(records.slice(1), true), false);
    assert.equal(library.loaded(), false);
    assert.equal(library.load(records, true), true);
    assert.deepEqual(library.records(), records);

    assert.equal(library.swap(0, 5), true);
    assert.deepEqual(library.record(0), recordAt(records, 5));
    assert.deepEqual(library.record(5), recordAt(records, 0));
    assert.deepEqual(library.deviceRecord(0), recordAt(records, 0));
    assert.deepEqual(library.changedLocations(), [0, 5]);
    assert.equal(library.undoText(), "Undo Swap 1A and 2B");
    assert.equal(library.undo(), true);
    assert.deepEqual(library.records(), records);
    assert.deepEqual(library.changedLocations(), []);
    assert.equal(library.redoText(), "Redo Swap 1A and 2B");
    assert.equal(library.redo(), true);
    assert.equal(library.doneText(), "Swap 1A and 2B");

    // Past 9D, a record of the wrong size: nothing happens, nothing is a step.
    const before = library.records();
    assert.equal(library.swap(0, 36), false);
    assert.equal(library.copy(-1, 3), false);
    assert.equal(library.put(2, new Uint8Array(70)), false);
    assert.equal(library.record(36), null);
    assert.equal(library.name(-1), null);
    assert.equal(library.confirmSent([0, 40], records), null);
    assert.equal(library.deviceHolds(0, recordAt(records, 0), "Guessed"), false);
    assert.deepEqual(library.records(), before);
    assert.equal(library.undoText(), "Undo Swap 1A and 2B");

    // Renaming as the desktop's table does: 8-bit characters kept, others '?', padded to 16.
    assert.equal(library.rename(3, "Caf\u00e9 \u4e2d"), true);
    assert.equal(library.name(3), "Caf\u00e9 ?          ");
    assert.equal(library.undoText(), "Undo Rename 1D");

    // Sent and read back: 2B is held as sent, 1A is not.
    const readBack = library.records();
    readBack.set(recordAt(records, 0), 0);
    assert.deepEqual(library.confirmSent([0, 5], readBack), [0]);
    assert.equal(library.onDevice(5), true);
    assert.equal(library.onDevice(0), false);

    // The device stored another patch where the user changed one: a conflict, and its question.
    assert.equal(library.deviceHolds(0, recordAt(records, 9), "Stored"), true);
    assert.equal(library.conflict(0), "Stored");
    assert.deepEqual(library.conflicts(), [0]);
    assert.equal(library.conflictQuestion(0, "Stored"),
                 "1A was stored from the main window after you changed it here. Send yours over it?");
    library.discardChanges();
    assert.deepEqual(library.changedLocations(), []);
    assert.equal(library.canUndo(), false);
    assert.equal(library.conflict(0), null);

    // Taken back as an earlier visit left it: the device's side and the arrangement, apart.
    library.swap(0, 5);
    const kept = new core.PatchLibrary();
    assert.equal(kept.restore(library.deviceRecords(), records.slice(1)), false);
    assert.equal(kept.loaded(), false);
    assert.equal(kept.restore(library.deviceRecords(), library.records()), true);
    assert.deepEqual(kept.records(), library.records());
    assert.deepEqual(kept.deviceRecords(), library.deviceRecords());
    assert.deepEqual(kept.changedLocations(), [0, 5]);
    assert.equal(kept.onDevice(1), false);
    assert.equal(kept.canUndo(), false);
    kept.unload();
    assert.equal(kept.loaded(), false);
    kept.delete();
    library.delete();
});

test("a bank's rows in one call are its records' rows one by one", () => {
    const bank = new core.PodDevice().bankDump();
    const records = core.bankRecords(bank);
    const rows = core.bankRows(bank);
    assert.equal(rows.length, 36);
    rows.forEach((row, n) => {
        const record = recordAt(records, n);
        assert.deepEqual(row, { ...core.libraryRow(record, n), record });
    });
    assert.equal(core.bankRows(bank.subarray(0, 5120)), null);
    assert.equal(core.bankRows(core.singleDump(recordAt(records, 0), 0)), null);
});

test("a row shows the amp model and effect the panel shows for the same record", () => {
    const map = core.toneMap();
    const ampNames = map.find((p) => p.member === "AmpModel").entries;
    const effectNames = map.find((p) => p.member === "EffectSel").entries;
    const records = simulatorRecords();
    for (const n of [0, 13, 35]) {
        const record = recordAt(records, n);
        const panel = core.decodeDump(core.singleDump(record, 0));
        const amp = panel.controls.find((c) => c.member === "AmpModel").state;
        const row = core.libraryRow(record, n);
        assert.deepEqual(row, {
            location: core.locationLabel(n), name: panel.name, ampModel: ampNames[amp],
            effect: effectNames[panel.effectIndex], title: `${core.locationLabel(n)} ${panel.name.trim()}`,
        });
    }
    assert.equal(core.libraryRow(new Uint8Array(71), 36), null);
    assert.equal(core.libraryRow(new Uint8Array(3), 0), null);
    assert.equal(core.bankRecords(new Uint8Array(100)), null);
});

test("the compare lists each setting that differs by the panel's label, with both values", () => {
    const a = recordAt(simulatorRecords(), 0);
    assert.deepEqual(core.comparePatches(a, a), []);
    const bass = (record) =>
        core.decodeDump(core.singleDump(record, 0)).controls.find((c) => c.member === "Bass");
    const state = (record) => bass(record).state;
    const b = core.applyController(a, 14, bass(a).value < 64 ? 127 : 0);
    const differences = core.comparePatches(a, b);
    assert.deepEqual(differences, [
        { control: "Bass", a: core.valueText("Bass", state(a)), b: core.valueText("Bass", state(b)) },
    ]);
    assert.equal(core.comparePatches(a, new Uint8Array(70)), null);
});

// A device unlike the factory's: a renamed patch stored at 2B, the edit buffer's drive turned.
function usedDevice() {
    const device = new core.PodDevice();
    const renamed = core.renameDump(device.editBufferDump(), "Kept Patch");
    device.receive(core.storeMessage(renamed, 5));
    device.receive(core.controlChange(0, 13, 3));
    return device;
}

test("what a visit keeps of the simulator, the next takes back whole", () => {
    const before = usedDevice();
    const after = new core.PodDevice();
    const restored = after.restore(before.bankDump(), before.editBufferDump());
    assert.deepEqual(restored, { bankTaken: true, editBufferTaken: true, notice: "" });
    assert.deepEqual(after.bankDump(), before.bankDump());
    assert.deepEqual(after.editBufferDump(), before.editBufferDump());
    assert.notDeepEqual(after.bankDump(), new core.PodDevice().bankDump());
    before.delete();
    after.delete();
});

test("a damaged or missing part leaves the factory patches and says why, as the desktop does", () => {
    const used = usedDevice();
    const bank = used.bankDump(), edit = used.editBufferDump();
    const factory = new core.PodDevice();
    const damagedBank = Uint8Array.from(bank);
    damagedBank[301] = 0x55;
    const { KeptSimulatorBank: B, KeptSimulatorEditBuffer: E } = core.texts();
    const cases = [
        [null, edit, false, true, `${B}: not found; the simulator starts with its factory patches`],
        [bank.subarray(0, 10), edit, false, true, `${B}: 10 bytes; a bank has ${sizes.bankDump}; the simulator starts with its factory patches`],
        [damagedBank, edit, false, true, `${B}: the byte at offset 301 is 0x55, more than a nibble (0x0F) holds; the simulator starts with its factory patches`],
        [edit, edit, false, true, `${B}: a single patch, not a bank; the simulator starts with its factory patches`],
        [bank, null, true, false, `${E}: not found; the simulator's edit buffer starts as patch 1A`],
        [bank, bank, true, false, `${E}: a bank, not a single patch; the simulator's edit buffer starts as patch 1A`],
    ];
    for (const [keptBank, keptEdit, bankTaken, editBufferTaken, notice] of cases) {
        const device = new core.PodDevice();
        assert.deepEqual(device.restore(keptBank, keptEdit), { bankTaken, editBufferTaken, notice }, notice);
        assert.deepEqual(device.bankDump(), bankTaken ? bank : factory.bankDump(), notice);
        if (editBufferTaken) assert.deepEqual(device.editBufferDump(), edit, notice);
        else assert.deepEqual(core.recordOfDump(device.editBufferDump()), core.bankRecord(device.bankDump(), 0), notice);
        device.delete();
    }
    used.delete();
    factory.delete();
});

test("the revision moves with every change to the memory and only then; a reset is the factory at 1A", () => {
    const device = usedDevice();
    const start = device.revision();
    device.receive(core.editBufferRequest());
    device.receive(core.controlChange(0, 13, 3)); // the value it already has
    assert.equal(device.revision(), start);
    device.receive(core.controlChange(0, 13, 90));
    assert.ok(device.revision() > start);
    const turned = device.revision();
    assert.deepEqual([...device.reset()], [0xc0, 1]);
    assert.ok(device.revision() > turned);
    const factory = new core.PodDevice();
    assert.deepEqual(device.bankDump(), factory.bankDump());
    assert.deepEqual(device.editBufferDump(), factory.editBufferDump());
    assert.equal(device.currentProgram(), 1);
    device.delete();
    factory.delete();
});
