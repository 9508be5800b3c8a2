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
    assert.deepEqual([store[6], store[7], store.at(-1)], [0x00, 9, 0xf7]);
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
    const cases = [
        [null, edit, false, true, "simulator-bank.syx: not found; the simulator starts with its factory patches"],
        [bank.subarray(0, 10), edit, false, true, "simulator-bank.syx: 10 bytes; a bank has 5121; the simulator starts with its factory patches"],
        [damagedBank, edit, false, true, "simulator-bank.syx: the byte at offset 301 is 0x55, more than a nibble (0x0F) holds; the simulator starts with its factory patches"],
        [edit, edit, false, true, "simulator-bank.syx: a single patch, not a bank; the simulator starts with its factory patches"],
        [bank, null, true, false, "simulator-edit-buffer.pod: not found; the simulator's edit buffer starts as patch 1A"],
        [bank, bank, true, false, "simulator-edit-buffer.pod: a bank, not a single patch; the simulator's edit buffer starts as patch 1A"],
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
