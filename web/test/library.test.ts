// The Library's logic on the fake core through a real editor: the bank read and its failures,
// arranging and its undo steps, the keyboard's copy and paste, renaming by the device's rule,
// listening, comparing, and Send changes from the store messages to the read-back's verdict.
import { describe, test } from "node:test";
import type { Librarian } from "../src/library/librarian.js";
import assert from "node:assert/strict";
import { settle, fakeBank, fakeDump, fakeNamedBank, fakeRecord, kBankRequest, kByteMs, kRequest } from "./fakes.js";
import { libraryRig } from "./library-rig.js";

const kNames = ["CLEAN", "CRUNCH", "LEAD", "JAZZ", "METAL", "FUNK", "BLUES", "ROCK", "AMBIENT"];
const kRecordSize = 71;

// A bank dump holding these 9 x 71 bytes of records.
function bankOf(records: Uint8Array, byte7 = 0): Uint8Array {
    const bank = fakeBank();
    bank[7] = byte7;
    bank.set(records, 8);
    return bank;
}

async function readRig(byte7 = 0x05) {
    const rig = libraryRig();
    await rig.librarian.readFromPod();
    rig.editor.receive(fakeNamedBank(kNames, byte7));
    rig.link.sysex.length = 0;
    rig.screen.messages.length = 0;
    return rig;
}

describe("reading the bank", () => {
    test("Read from POD asks through the editor, with its progress, and lists every location", async () => {
        const { librarian, link, view, screen, editor } = libraryRig();
        assert.equal(screen.origin, "");
        await librarian.readFromPod();
        assert.deepEqual(link.sysex.map((s) => s.bytes), [[...kBankRequest]]);
        assert.deepEqual(view.transfers, ["Reading the bank from the POD"]);
        assert.equal(screen.commands?.idle, false, "nothing is arranged while the bank is read");
        editor.receive(fakeNamedBank(kNames));
        assert.deepEqual(screen.names(), kNames);
        assert.deepEqual(screen.rows.slice(0, 2).map((r) => [r.location, r.ampModel, r.effect, r.changed]),
            [["1A", "Amp 0", "Effect 0", false], ["1B", "Amp 1", "Effect 0", false]]);
        assert.equal(screen.origin, "Read from the POD at 14:05");
        assert.equal(screen.message_, "Bank read");
        assert.deepEqual(screen.commands, { idle: true, loaded: true, changes: false, undo: "", redo: "" });
    });

    const failures = [
        { name: "no answer in the bank's time", answer: null, text: "No answer from the POD: check both MIDI cables" },
        { name: "an answer that is no bank", answer: Uint8Array.of(0xf0, 0x7e, 0x00, 0xf7), text: "Unrecognised answer on the MIDI input" },
    ];
    for (const f of failures)
        test(`a read that fails says why and loads nothing: ${f.name}`, async () => {
            const { librarian, clock, editor, screen } = libraryRig();
            await librarian.readFromPod();
            if (f.answer) editor.receive(f.answer);
            else await clock.advance(8000 + 10);
            assert.equal(screen.message_, f.text);
            assert.equal(librarian.library.loaded(), false);
            assert.equal(librarian.busy, false);
            assert.deepEqual(screen.rows, []);
            assert.equal(screen.origin, "Nothing read yet: Read from POD, or open a bank file");
        });

    test("a read without a link fails at once and the Library is not left waiting", async () => {
        const { librarian, editor, screen } = libraryRig();
        editor.detach();
        await librarian.readFromPod();
        assert.equal(screen.message_, "Sending to the POD failed");
        assert.equal(librarian.busy, false);
    });

    test("changes not on the POD are discarded only when the user says so", async () => {
        const { librarian, link, screen } = await readRig();
        librarian.drop(0, 1, false);
        await librarian.readFromPod();
        assert.deepEqual(screen.asked, ["The changes to 1A, 1B are not on the POD. Discard them? [Discard/Cancel]"]);
        assert.equal(link.sysex.length, 0, "Cancel asks the device nothing");
        screen.answers.push(true);
        await librarian.readFromPod();
        assert.deepEqual(link.sysex.map((s) => s.bytes), [[...kBankRequest]]);
    });

    test("a single-patch read the editor awaits is not taken for the bank", async () => {
        const { librarian, editor, link, screen } = await readRig();
        editor.readPatch();
        await librarian.readFromPod();
        assert.deepEqual(link.sysex.map((s) => s.bytes), [[...kRequest]]);
        editor.receive(fakeDump("EDIT"));
        assert.deepEqual(screen.names(), kNames);
        assert.equal(librarian.busy, false);
    });
});

describe("arranging", () => {
    const drops = [
        { name: "a drag swaps the two rows", copy: false, names: ["LEAD", "CRUNCH", "CLEAN"], undo: "Undo Swap 1A and 1C", changed: [0, 2] },
        { name: "a Ctrl+drag copies onto the row", copy: true, names: ["CLEAN", "CRUNCH", "CLEAN"], undo: "Undo Copy 1A to 1C", changed: [2] },
    ];
    for (const d of drops)
        test(`${d.name}, one undo step named by the core`, async () => {
            const { librarian, screen } = await readRig();
            assert.equal(librarian.drop(0, 2, d.copy), true);
            assert.deepEqual(screen.names().slice(0, 3), d.names);
            assert.deepEqual(screen.rows.flatMap((r, n) => (r.changed ? [n] : [])), d.changed);
            assert.equal(screen.commands?.undo, d.undo);
            assert.equal(screen.origin, `Read from the POD at 14:05 (${d.changed.length} not on the POD)`);
            librarian.undo();
            assert.deepEqual(screen.names(), kNames);
            assert.equal(screen.message_, d.undo);
            assert.equal(screen.commands?.changes, false);
            librarian.redo();
            assert.deepEqual(screen.names().slice(0, 3), d.names);
        });

    test("a drop onto itself is no step", async () => {
        const { librarian, screen } = await readRig();
        assert.equal(librarian.drop(3, 3, false), false);
        assert.equal(screen.commands?.undo, "");
    });

    test("Ctrl+X then Ctrl+V swaps, once; Ctrl+C then Ctrl+V copies; each says what it did", async () => {
        const { librarian, screen } = await readRig();
        librarian.select([0]);
        librarian.hold(true);
        assert.equal(screen.message_, "1A cut: select another row and press Ctrl+V to swap the two");
        librarian.select([3]);
        librarian.paste();
        assert.deepEqual(screen.names().slice(0, 4), ["JAZZ", "CRUNCH", "LEAD", "CLEAN"]);
        librarian.paste();
        assert.equal(screen.message_, "Nothing to paste: Ctrl+C or Ctrl+X a row first");
        librarian.select([1]);
        librarian.hold(false);
        librarian.select([4]);
        librarian.paste();
        assert.equal(screen.names()[4], "CRUNCH");
        librarian.select([5]);
        librarian.paste();
        assert.equal(screen.names()[5], "CRUNCH", "a copy stays held");
    });

    const refusedPastes = [
        { name: "onto the row it came from", before: (l: Librarian) => l.select([0]), text: "Select one row to paste onto" },
        { name: "with two rows selected", before: (l: Librarian) => l.select([1, 2]), text: "Select one row to paste onto" },
        { name: "after the row held changed", before: (l: Librarian) => {
            l.drop(0, 2, false);
            l.select([4]);
        }, text: "1A changed since it was copied: copy it again" },
    ];
    for (const r of refusedPastes)
        test(`a paste ${r.name} changes nothing and says why`, async () => {
            const { librarian, screen } = await readRig();
            librarian.select([0]);
            librarian.hold(false);
            r.before(librarian);
            const before = librarian.library.records();
            librarian.paste();
            assert.equal(screen.message_, r.text);
            assert.deepEqual(librarian.library.records(), before);
        });

    const names = [
        { name: "NEW NAME", ok: true },
        { name: "SIXTEEN CHARS OK", ok: true },
        { name: "SEVENTEEN CHARS!!", ok: false },
    ];
    for (const n of names)
        test(`rename "${n.name}" ${n.ok ? "is one step" : "is refused by the device's rule"}`, async () => {
            const { librarian, screen } = await readRig();
            assert.equal(librarian.rename(2, n.name), n.ok);
            assert.equal(screen.names()[2], n.ok ? n.name : "LEAD");
            assert.equal(screen.commands?.undo, n.ok ? "Undo Rename 1C" : "");
        });
});

describe("listening and comparing", () => {
    test("a row the device holds as shown is chosen by program change; the main window follows", async () => {
        const { librarian, link, screen, view } = await readRig();
        librarian.listen(2);
        assert.deepEqual(link.shorts(), [[0xc0, 3]]);
        assert.equal(screen.message_, "1C chosen on the POD");
        assert.equal(view.title, "Patch 1C");
        assert.equal(screen.rows[2]!.playing, true);
        assert.equal(screen.rows.filter((r) => r.playing).length, 1);
    });

    test("a changed row goes as the current sound: its record in a single dump with the bank's byte 7, then read back", async () => {
        const { librarian, link, screen } = await readRig(0x05);
        librarian.drop(0, 1, false);
        librarian.listen(0);
        const [dump, request] = link.sysex.map((s) => s.bytes);
        assert.equal(dump!.length, 151);
        assert.equal(dump![7], 0x05);
        assert.deepEqual(dump!.slice(8, 8 + kRecordSize), [...librarian.library.record(0)!]);
        assert.deepEqual(request, [...kRequest]);
        assert.equal(screen.message_, "1A sent to the POD to be heard");
        assert.deepEqual(link.shorts(), []);
    });

    test("two rows selected list every setting they differ in, headed by both", async () => {
        const { librarian, screen } = await readRig();
        assert.equal(screen.hint, "Select two patches to compare them, or one to compare with the current sound");
        librarian.select([0, 1]);
        assert.equal(screen.comparison?.caption, "1A CLEAN and 1B CRUNCH differ in 6 settings");
        assert.deepEqual(screen.comparison?.rows.map((r) => r.control), ["Byte 1", "Byte 2", "Byte 3", "Byte 4", "Byte 5", "Byte 34"]);
        librarian.drop(0, 1, true);
        assert.equal(screen.comparison?.caption, "1A CLEAN and 1B CLEAN are the same");
        librarian.select([0]);
        assert.equal(screen.comparison, null);
    });
});

describe("Send changes", () => {
    test("only the changed locations go, one store each at the cable's pace, then the bank is read back and confirms them", async () => {
        const { librarian, link, clock, screen, view, editor } = await readRig(0x05);
        librarian.drop(0, 2, false);
        const sending = librarian.sendChanges();
        await settle();
        const stores = link.sysex.slice();
        assert.deepEqual(stores.map((s) => [s.bytes.length, s.bytes[7]]), [[152, 0], [152, 2]]);
        assert.deepEqual(stores[0]!.bytes.slice(8, 8 + kRecordSize), [...librarian.library.record(0)!]);
        assert.ok(stores[1]!.doneAt >= stores[0]!.doneAt + 152 * kByteMs - 1e-9, "the second store waits for the first");
        assert.equal(view.transfers.at(-1), "Storing 1A (1 of 2)");
        await clock.advance(stores[0]!.doneAt + 1);
        assert.equal(screen.message_, "Storing 1C (2 of 2)");
        assert.equal(link.sysex.length, 2, "the read-back waits until the last store is carried");
        await clock.advance(stores[1]!.doneAt);
        await sending;
        assert.deepEqual(link.sysex.at(-1)!.bytes, [...kBankRequest]);
        assert.equal(screen.message_, "Reading the bank back to confirm");
        // The device took both.
        editor.receive(bankOf(librarian.library.records(), 0x05));
        assert.equal(screen.message_, "Sent and confirmed: 1A, 1C");
        assert.deepEqual(screen.rows.filter((r) => r.changed), []);
        assert.equal(screen.origin, "Read from the POD at 14:05, sent at 14:05");
        assert.deepEqual(screen.boxes, []);
    });

    const verdicts = [
        { name: "a location the device did not take is named and stays marked", readBack: "one", message: "Not confirmed: 1C",
          box: ["The POD does not hold what was sent to 1C. These stay marked; send them again.", "Library"], changed: ["1C"] },
        { name: "no read-back: sent, but not confirmed, and every location stays marked", readBack: "none",
          message: "Sent, but not confirmed: No answer from the POD: check both MIDI cables",
          box: ["The patches were sent, but the POD's bank could not be read back to confirm them.", "Library"], changed: ["1A", "1C"] },
    ];
    for (const v of verdicts)
        test(v.name, async () => {
            const { librarian, editor, clock, screen } = await readRig();
            librarian.drop(0, 2, false);
            const before = librarian.library.records();
            const sending = librarian.sendChanges();
            await clock.advance(1000);
            await sending;
            if (v.readBack === "one") {
                // 1A arrived, 1C still holds LEAD.
                const records = librarian.library.records();
                records.set(fakeNamedBank(kNames).slice(8 + 2 * kRecordSize, 8 + 3 * kRecordSize), 2 * kRecordSize);
                editor.receive(bankOf(records));
            } else {
                await clock.advance(8000 + 10);
            }
            assert.equal(screen.message_, v.message);
            assert.deepEqual(screen.boxes, [v.box]);
            assert.deepEqual(screen.rows.filter((r) => r.changed).map((r) => r.location), v.changed);
            assert.deepEqual(librarian.library.records(), before, "the arrangement is kept");
            assert.equal(librarian.busy, false);
        });

    test("nothing changed: nothing sent, and it says so", async () => {
        const { librarian, link, screen } = await readRig();
        await librarian.sendChanges();
        assert.equal(screen.message_, "Nothing to send: the POD holds every patch as shown");
        assert.equal(link.sysex.length, 0);
    });

    test("a port that fails mid-send stops there, says where, and leaves the rest marked", async () => {
        const { librarian, link, screen } = await readRig();
        librarian.drop(0, 2, false);
        link.failAfter = 1;
        await librarian.sendChanges();
        assert.equal(screen.message_, "Sending stopped at 1C");
        assert.equal(librarian.busy, false);
        assert.deepEqual(screen.rows.filter((r) => r.changed).map((r) => r.location), ["1A", "1C"]);
    });

    test("a location the main window stored after it changed here is asked about; Skip keeps the device's", async () => {
        const { librarian, link, screen, core } = await readRig();
        librarian.rename(2, "MINE");
        librarian.stored(2, core.raw.singleDump(fakeRecord("THEIRS"), 0)!);
        assert.equal(screen.rows[2]!.playing, true, "a store leaves the device at its location");
        await librarian.sendChanges();
        assert.deepEqual(screen.asked, ["1C was Stored after you changed it here. Send yours over it? [Send/Skip]"]);
        assert.equal(screen.message_, "Nothing sent: 1C skipped");
        assert.equal(link.sysex.length, 0);
    });
});

describe("files", () => {
    test("a bank kept from before is shown as it was, but not taken to be on the device: Listen sends it", async () => {
        const { librarian, link, screen } = libraryRig();
        const kept: Uint8Array[] = [];
        librarian.onChange = () => kept.push(librarian.keptBank()!.arranged);
        const records = fakeNamedBank(kNames, 0x05).slice(8, 8 + 36 * kRecordSize);
        assert.equal(librarian.restoreBank({ device: records, arranged: records.slice(1), byte7: 0x05, origin: "From before" }), false);
        assert.equal(librarian.restoreBank({ device: records, arranged: records, byte7: 0x05, origin: "From before" }), true);
        assert.deepEqual(screen.names(), kNames);
        assert.equal(screen.origin, "From before, kept from an earlier visit");
        librarian.listen(0);
        assert.deepEqual(link.shorts(), [], "no program change for a patch the device may not hold");
        assert.equal(link.sysex[0]!.bytes[7], 0x05);
        librarian.drop(0, 1, false);
        assert.deepEqual(kept.at(-1), librarian.library.records(), "the keeper is told each arrangement");
    });


    test("Save bank as offers the arranged bank with the device's byte 7", async () => {
        const { librarian, screen, core } = await readRig(0x05);
        librarian.drop(0, 1, false);
        librarian.saveBank();
        const [name, bytes] = screen.downloads[0]!;
        assert.equal(name, "POD bank.syx");
        assert.deepEqual(bytes, core.raw.bankDump(librarian.library.records(), 0x05));
        assert.equal(screen.message_, "Bank saved to POD bank.syx");
    });

    test(`a patch of the file pane dropped on a location is put there`, async () => {
        const { librarian, screen } = await readRig();
        const record = fakeRecord("FROM FILE", { 12: 3 });
        librarian.showFile({ title: "x.syx: 1 patch", patches: [{ name: "FROM FILE", fileName: "x.syx", record, failure: "", ampModel: "", effect: "" },
            { name: "BROKEN", fileName: "x.syx", record: null, failure: "cannot", ampModel: "", effect: "" }] });
        assert.equal(librarian.put(1, 4), false, "a patch that cannot be converted is not put");
        assert.equal(librarian.put(0, 4), true);
        assert.equal(screen.names()[4], "FROM FILE");
        assert.equal(screen.commands?.undo, "Undo Put a patch into 2A");
        librarian.holdFile(0);
        assert.equal(screen.message_, "FROM FILE copied from the file: select a row and press Ctrl+V to put it there");
        librarian.select([7]);
        librarian.paste();
        assert.equal(screen.names()[7], "FROM FILE");
        assert.equal(screen.rows.length, 9);
    });
});
