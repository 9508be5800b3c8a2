// The Library kept between visits: the bank with its arrangement and marks, the file pane's files,
// each taken back as it was or refused with a notice, a write only for a real change, and Forget.
import { describe, test } from "node:test";
import assert from "node:assert/strict";
import { forgetKept, kKeepDelayMs } from "../src/keeping.js";
import { LibraryKeeper, kBankRecord, kFilesRecord, type KeptFile } from "../src/library/kept-library.js";
import { fakeNamedBank } from "./fakes.js";
import { libraryRig } from "./library-rig.js";
import { MemoryStore } from "./store-fake.js";

const kNames = ["CLEAN", "CRUNCH", "LEAD", "JAZZ", "METAL", "FUNK", "BLUES", "ROCK", "AMBIENT"];
const text = (key: string, ...args: string[]) => [key, ...args].join("|");

// One visit of the page: a librarian, its keeper on the shared store, and a pane that takes a
// file unless its name says "bad".
function visit(store: MemoryStore) {
    const rig = libraryRig();
    const reopened: KeptFile[][] = [];
    const reopen = async (files: KeptFile[]) => {
        reopened.push(files);
        return {
            opened: files.filter((f) => !f.fileName.includes("bad")),
            refused: files.filter((f) => f.fileName.includes("bad")).map((f) => ({ fileName: f.fileName, reason: "not a patch" })),
        };
    };
    const keeper = new LibraryKeeper(rig.librarian, reopen, store, text, rig.clock);
    rig.librarian.onChange = () => keeper.changed();
    const notices: string[] = [];
    keeper.onNotice = (t) => notices.push(t);
    const later = () => rig.clock.advance(2 * kKeepDelayMs);
    return { ...rig, keeper, reopened, notices, later };
}

async function readAndSwap(store: MemoryStore) {
    const v = visit(store);
    await v.keeper.restore();
    await v.librarian.readFromPod();
    v.editor.receive(fakeNamedBank(kNames, 0x05));
    v.librarian.drop(0, 1, false);
    await v.later();
    return v;
}

describe("keeping the Library's bank", () => {
    test("the arranged bank comes back on the next visit with its marks, its origin and nothing to undo", async () => {
        const store = new MemoryStore();
        const first = await readAndSwap(store);
        assert.deepEqual(store.puts.map((p) => p.name), [kBankRecord], "the read and the drag in one write");

        const second = visit(store);
        assert.deepEqual(await second.keeper.restore(), []);
        assert.deepEqual(second.screen.names(), ["CRUNCH", "CLEAN", ...kNames.slice(2)]);
        assert.deepEqual(second.screen.rows.filter((r) => r.changed).map((r) => r.location), ["1A", "1B"]);
        assert.equal(second.screen.origin, "Read from the POD at 14:05, kept from an earlier visit (2 not on the POD)");
        assert.equal(second.screen.commands?.undo, "");
        assert.deepEqual(second.librarian.keptBank(), first.librarian.keptBank());
        await second.later();
        assert.equal(store.puts.length, 1, "what was taken back is not written again");

        // Its changes go to the device as any others do: the two marked locations, byte 7 kept.
        second.link.sysex.length = 0;
        void second.librarian.sendChanges();
        await second.clock.advance(5000);
        const { raw } = second.core;
        const expected = [0, 1].map((n) => [...raw.storeMessage(raw.singleDump(second.librarian.library.record(n)!, 0x05)!, n)!]);
        assert.deepEqual(second.link.sysex.slice(0, 2).map((s) => s.bytes), expected);
    });

    test("the keeper writes only when the bank shown changes, however often the view refreshes", async () => {
        const store = new MemoryStore();
        const v = await readAndSwap(store);
        for (let n = 0; n < 5; ++n) v.librarian.refresh();
        v.librarian.program(3);
        await v.later();
        assert.equal(store.puts.length, 1);
        v.librarian.undo();
        await v.later();
        assert.equal(store.puts.length, 2);
        assert.deepEqual((store.records.get(kBankRecord) as { arranged: Uint8Array }).arranged, v.librarian.library.deviceRecords());
    });

    // [case, the record kept]
    const damaged: [string, unknown][] = [
        ["not a record", "garbage"],
        ["a record cut short", { device: new Uint8Array(71), arranged: new Uint8Array(71), byte7: 0, origin: "" }],
        ["a record without its origin", { device: new Uint8Array(36 * 71), arranged: new Uint8Array(36 * 71), byte7: 0 }],
    ];
    for (const [name, record] of damaged)
        test(`${name} is refused: the Library starts empty and says so, the record is left until a read`, async () => {
            const store = new MemoryStore();
            store.records.set(kBankRecord, record);
            const v = visit(store);
            assert.deepEqual(await v.keeper.restore(), ["StatusKeptBankRefused"]);
            assert.equal(v.librarian.library.loaded(), false);
            assert.deepEqual(v.screen.rows, []);
            await v.later();
            assert.equal(store.puts.length, 0);
        });

    test("a store that cannot be read is said, and a failing write is said once", async () => {
        const store = new MemoryStore();
        store.failGet = new Error("denied");
        const v = visit(store);
        assert.deepEqual(await v.keeper.restore(), ["StatusLibraryNotKept|denied"]);
        store.failGet = null;
        store.failPut = new Error("QuotaExceededError");
        await v.librarian.readFromPod();
        v.editor.receive(fakeNamedBank(kNames, 0x05));
        await v.later();
        v.librarian.drop(0, 1, false);
        await v.later();
        assert.deepEqual(v.notices, ["StatusLibraryNotKept|QuotaExceededError"]);
    });
});

describe("keeping the file pane's files", () => {
    const file = (fileName: string, ...bytes: number[]) => ({ fileName, bytes: Uint8Array.from(bytes) });

    test("the files opened last come back through the pane, without a write", async () => {
        const store = new MemoryStore();
        const first = visit(store);
        await first.keeper.restore();
        first.keeper.filesOpened([file("a.syx", 1, 2), file("b.pod", 3)]);
        first.keeper.filesOpened([file("c.syx", 4)]);
        await first.later();
        assert.deepEqual(store.puts.map((p) => p.name), [kFilesRecord]);

        const second = visit(store);
        assert.deepEqual(await second.keeper.restore(), []);
        assert.deepEqual(second.reopened, [[file("c.syx", 4)]]);
        await second.later();
        assert.equal(store.puts.length, 1);
    });

    test("a kept file the pane now refuses is said and no longer kept", async () => {
        const store = new MemoryStore();
        store.records.set(kFilesRecord, { files: [file("ok.syx", 1), file("bad.syx", 2)] });
        const v = visit(store);
        assert.deepEqual(await v.keeper.restore(), ["StatusKeptFileRefused|bad.syx|not a patch"]);
        await v.later();
        assert.deepEqual(store.records.get(kFilesRecord), { files: [file("ok.syx", 1)] });
    });

    test("a files record of another shape is said and written again empty", async () => {
        const store = new MemoryStore();
        store.records.set(kFilesRecord, { files: [file("ok.syx", 1), { fileName: 3 }] });
        const v = visit(store);
        assert.deepEqual(await v.keeper.restore(), ["StatusKeptFilesRefused"]);
        assert.deepEqual(v.reopened, [[]]);
        await v.later();
        assert.deepEqual(store.records.get(kFilesRecord), { files: [] });
    });
});

describe("forgetting the Library", () => {
    test("Forget empties the store and the Library, and a change due before it is not written after", async () => {
        const store = new MemoryStore();
        const v = await readAndSwap(store);
        v.keeper.filesOpened([{ fileName: "a.syx", bytes: Uint8Array.of(1) }]);
        v.librarian.showFile({ title: "a.syx: 1 patch", patches: [] });
        v.librarian.drop(2, 3, false); // due, not yet written
        await forgetKept(store, [v.keeper.bank, v.keeper.files], () => {
            v.librarian.forget();
            v.keeper.forgotten();
        });
        await v.later();
        assert.equal(store.records.size, 0);
        assert.equal(v.librarian.library.loaded(), false);
        assert.deepEqual(v.screen.rows, []);
        assert.equal(v.screen.file, null);
        assert.equal(v.screen.origin, "Nothing read yet: Read from POD, or open a bank file");
        assert.equal(v.screen.commands?.undo, "");

        const next = visit(store);
        assert.deepEqual(await next.keeper.restore(), []);
        assert.equal(next.librarian.library.loaded(), false);
    });
});
