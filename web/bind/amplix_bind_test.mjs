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
