// The file pane's listing: every format the editor reads, each patch converted as File > Open or
// File > Import converts it, a patch the importer refuses shown with why, and the pane's title.
import { describe, test } from "node:test";
import assert from "node:assert/strict";
import { Core, type OpenedSource } from "../src/core.js";
import { listing, openFileForPane } from "../src/library/filepane.js";
import { fakeRawCore, fakeNamedBank, fakeRecord } from "./fakes.js";

const none = { text: "", caption: "" };
function source(kind: OpenedSource["kind"], extra: Partial<OpenedSource> = {}): OpenedSource {
    return { kind, bytes: null, failure: null, entries: [], guitarPortAsks: false, guitarPortInformation: [], ...extra };
}
const refused = (text: string) => ({ ...source("Bank"), failure: { text, caption: "Open" } });

// A core whose File > Open takes files starting "BANK" or "POD" and whose File > Import takes
// "LIB": three entries, the second of which the importer cannot convert.
function core(modOrCompSeen: number[] = []) {
    const bank = fakeNamedBank(["A1", "B2", "C3", "D4", "E5", "F6", "G7", "H8", "I9"]);
    const start = (bytes: Uint8Array) => String.fromCharCode(...bytes.slice(0, 4));
    return new Core({
        ...fakeRawCore(),
        openPatchFile: (bytes: Uint8Array) => start(bytes) === "BANK" ? source("Bank", { bytes: bank })
            : start(bytes).startsWith("POD") ? source("SinglePatch") : refused("Not a patch file"),
        openImportFile: (bytes: Uint8Array) => start(bytes) === "LIB " ? source("SoundDiver", {
            entries: ["Warm", "Broken", "Bright"].map((name) => ({ name, label: name, information: [], deviceCode: 0 })),
        }) : start(bytes) === "GPT " ? source("GuitarPort", { guitarPortAsks: true }) : refused("Not a library"),
        sourceDump: (_b: Uint8Array, _n: string, isImport: boolean, entry: number, modOrComp: number) => {
            modOrCompSeen.push(modOrComp);
            if (isImport && entry === 1) return { dump: null, failure: { text: "This patch uses an amp the POD lacks", caption: "Import" } };
            const record = fakeRecord(isImport ? `IMPORTED ${entry}` : "SINGLE", { 12: 1 });
            return { dump: fakeRawCore().singleDump(record, 0), failure: none };
        },
    } as never);
}
const bytes = (text: string) => Uint8Array.from(text, (c) => c.charCodeAt(0));

describe("the file pane", () => {
    test("a bank of the editor's own lists each location's patch by its name, amp model and effect", () => {
        const opened = openFileForPane(core(), "mine.syx", bytes("BANK"));
        assert.ok("patches" in opened);
        assert.equal(opened.singlePatch, false);
        assert.deepEqual(opened.patches.slice(0, 9).map((p) => p.name.trim()), ["A1", "B2", "C3", "D4", "E5", "F6", "G7", "H8", "I9"]);
        assert.equal(opened.patches.length, 36);
        assert.deepEqual([opened.patches[1]!.ampModel, opened.patches[1]!.effect], ["Amp 1", "Effect 0"]);
        assert.deepEqual(opened.patches[2]!.record, fakeRecord("C3", { 12: 2 }));
    });

    test("a single patch file is one patch, and said to be one", () => {
        const opened = openFileForPane(core(), "one.pod", bytes("POD!"));
        assert.ok("patches" in opened);
        assert.equal(opened.singlePatch, true);
        assert.deepEqual(opened.patches.map((p) => p.name.trim()), ["SINGLE"]);
    });

    test("an import lists its entries by the chooser's names; one the importer refuses says why and has no record", () => {
        const opened = openFileForPane(core(), "set.lib", bytes("LIB "));
        assert.ok("patches" in opened);
        assert.deepEqual(opened.patches.map((p) => [p.name, p.record !== null, p.ampModel]),
            [["Warm", true, "Amp 1"], ["Broken", false, "(cannot be converted)"], ["Bright", true, "Amp 1"]]);
        assert.equal(opened.patches[1]!.failure, "This patch uses an amp the POD lacks");
    });

    test("a GuitarPort patch with both effects is taken with MOD, the chooser's first answer", () => {
        const seen: number[] = [];
        openFileForPane(core(seen), "tone.gpt", bytes("GPT "));
        assert.deepEqual(seen, [1]);
    });

    const failures = [
        { name: "a .syx neither format takes says what File > Open says", file: "x.syx", text: "Not a patch file" },
        { name: "any other file says what File > Import says", file: "x.l6t", text: "Not a library" },
    ];
    for (const f of failures)
        test(f.name, () => {
            const opened = openFileForPane(core(), f.file, bytes("JUNK"));
            assert.ok("failure" in opened);
            assert.equal(opened.failure.text, f.text);
        });

    test("files opened together are one collection; the title counts its patches", () => {
        const c = core();
        const one = openFileForPane(c, "one.pod", bytes("POD!"));
        const bank = openFileForPane(c, "mine.syx", bytes("BANK"));
        assert.ok("patches" in one && "patches" in bank);
        assert.equal(listing(c, [{ fileName: "one.pod", patches: one.patches }])!.title, "one.pod: 1 patch");
        const both = listing(c, [{ fileName: "one.pod", patches: one.patches }, { fileName: "mine.syx", patches: bank.patches }])!;
        assert.equal(both.title, "one.pod, mine.syx: 37 patches");
        assert.deepEqual(both.patches.map((p) => p.fileName).slice(0, 2), ["one.pod", "mine.syx"]);
        assert.equal(listing(c, []), null);
    });
});
