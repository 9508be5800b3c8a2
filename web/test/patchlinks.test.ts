// A patch opened from a link: shown by name with its settings beside the current sound, sent as
// exactly its edit-buffer dump or stored where the user says; a damaged link sends nothing.
import { describe, test } from "node:test";
import assert from "node:assert/strict";
import { Core, type LibraryRow, type PatchDifferenceRow } from "../src/core.js";
import { LinkOpener, type LinkScreen, type LinkedPatch } from "../src/library/patchlinks.js";
import { FakeClock, fakeDump, fakeRawCore, fakeRecord } from "./fakes.js";
import { RecordingLink } from "./library-rig.js";
import { FakeView } from "./view-fake.js";

class FakeLinkScreen implements LinkScreen {
    patch: LinkedPatch | null = null;
    refused = "";
    caption = "";
    differences: PatchDifferenceRow[] = [];
    hidden = 0;
    showPatch(patch: LinkedPatch): void {
        this.patch = patch;
        this.refused = "";
    }
    showRefused(text: string): void {
        this.patch = null;
        this.refused = text;
    }
    showDifferences(caption: string, rows: PatchDifferenceRow[]): void {
        this.caption = caption;
        this.differences = rows;
    }
    hide(): void {
        ++this.hidden;
    }
}

function rig(raw: object = {}) {
    const core = new Core({ ...fakeRawCore(), ...raw } as never);
    const link = new RecordingLink(new FakeClock());
    const view = new FakeView();
    const screen = new FakeLinkScreen();
    let reads = 0;
    const opener = new LinkOpener(core, () => link, view, screen, () => ++reads);
    const record = fakeRecord("BRIT CRUNCH", { 12: 2, 19: 5 });
    const fragment = `#${core.raw.patchLink(record)}`;
    return { core, link, view, screen, opener, record, fragment, reads: () => reads };
}

describe("a link opened", () => {
    test("shows the patch by name, amp model, effect and settings, and reads the current sound beside it", () => {
        const { opener, screen, fragment, reads } = rig();
        opener.open(fragment);
        const row: LibraryRow = screen.patch!.row;
        assert.deepEqual([row.name.trim(), row.ampModel, row.effect], ["BRIT CRUNCH", "Amp 2", "Effect 5"]);
        assert.deepEqual(screen.patch!.settings.map((s) => s.label), ["Drive", "Amp Model", "Delay Time"]);
        assert.equal(reads(), 1);
    });

    test("two settings of one name are told apart by their kind, as the panel tells them", () => {
        const controls = [{ member: "Drive", value: 1, state: 1 }, { member: "ReverbLevel", value: 2, state: 2 }, { member: "Reverb", value: 1, state: 1 }];
        const { opener, screen, fragment } = rig({ decodeDump: () => ({ name: "X", effectCode: 8, effectIndex: 0, controls }) });
        opener.open(fragment);
        assert.deepEqual(screen.patch!.settings.map((s) => s.label), ["Drive", "Reverb (slider)", "Reverb (check box)"]);
    });

    test("Send to POD sends exactly the record's 151-byte edit-buffer dump, and nothing else", () => {
        const { opener, link, fragment, record, view, reads } = rig();
        opener.open(fragment);
        assert.equal(opener.sendToPod(), true);
        assert.equal(link.sysex.length, 1);
        const dump = link.sysex[0]!.bytes;
        assert.equal(dump.length, 151);
        assert.deepEqual(dump.slice(8, 79), [...record]);
        assert.deepEqual(dump, [...rig().core.raw.singleDump(record, 0)!]);
        assert.equal(view.outcome, "Patch sent to the POD");
        assert.equal(reads(), 2, "the panel reads back what the device now plays");
    });

    test("the differences from the current sound are listed as the panel labels them", () => {
        const { opener, screen, fragment, core } = rig();
        opener.open(fragment);
        opener.currentSound(core.raw.singleDump(fakeRecord("BRIT CRUNCH", { 12: 2, 19: 5 }), 0)!);
        assert.equal(screen.caption, "BRIT CRUNCH and Current sound are the same");
        opener.currentSound(core.raw.singleDump(fakeRecord("BRIT CRUNCH", { 12: 3, 19: 5 }), 0)!);
        assert.equal(screen.caption, "BRIT CRUNCH and Current sound differ in 1 setting");
        assert.deepEqual(screen.differences.map((d) => [d.control, d.a, d.b]), [["Byte 34", "2", "3"]]);
        opener.currentSound(fakeDump("OTHER"));
        assert.match(screen.caption, /^BRIT CRUNCH and Current sound differ in \d+ settings$/);
    });

    const stores = [
        { name: "a location chosen is stored to", answer: 3, sent: 1, outcome: "Stored to 1D" },
        { name: "Cancel stores nothing", answer: null, sent: 0, outcome: "" },
    ];
    for (const s of stores)
        test(`storing: ${s.name}`, async () => {
            const { opener, link, view, fragment, record } = rig();
            const stored: number[] = [];
            opener.onStored = (location) => stored.push(location);
            opener.open(fragment);
            view.answers.push(s.answer);
            await opener.store();
            assert.deepEqual(view.asked, ["location"]);
            assert.equal(link.sysex.length, s.sent);
            if (s.sent) {
                assert.deepEqual([link.sysex[0]!.bytes.length, link.sysex[0]!.bytes[7]], [152, 3]);
                assert.deepEqual(link.sysex[0]!.bytes.slice(8, 79), [...record]);
                assert.deepEqual(stored, [3]);
            }
            assert.equal(view.outcome, s.outcome);
        });
});

describe("a damaged link", () => {
    const damaged = [
        { name: "cut short", fragment: (f: string) => f.slice(0, f.length - 20), text: "This link is cut short." },
        { name: "altered on the way", fragment: (f: string) => `${f.slice(0, -1)}z`,
          text: "This link was changed on its way." },
        { name: "from elsewhere", fragment: () => "#section-2", text: "This link is not an Amplix 32 patch link." },
    ];
    for (const d of damaged)
        test(`${d.name}: says so, and neither Send to POD nor a store sends anything`, async () => {
            const { opener, screen, link, view, fragment } = rig();
            opener.open(fragment);
            opener.open(d.fragment(fragment));
            assert.equal(screen.refused, d.text);
            assert.equal(opener.opened, null, "the patch opened before is gone with it");
            assert.equal(opener.sendToPod(), false);
            view.answers.push(0);
            assert.equal(await opener.store(), false);
            assert.deepEqual(view.asked, [], "no location is even asked");
            assert.equal(link.sysex.length, 0);
        });

    test("an empty fragment shows nothing at all", () => {
        const { opener, screen } = rig();
        opener.open("#");
        opener.open("");
        assert.equal(screen.hidden, 2);
        assert.equal(screen.refused, "");
    });
});
