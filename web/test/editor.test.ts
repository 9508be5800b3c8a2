// The editor as the page drives it: requests and their time-outs on a hand-turned clock, what the
// device's controllers and program changes do to the panel, what the user's changes send, and
// the patch commands from request to the message that goes out.
import { describe, test } from "node:test";
import assert from "node:assert/strict";
import { Core } from "../src/core.js";
import { Editor, type EditorLink } from "../src/editor.js";
import { CableOutput } from "../src/midi/cable.js";
import { FakeClock, RecordingOutput, fakeBank, fakeDump, fakePacer, fakeRawCore, kBankRequest, kByteMs, kRequest } from "./fakes.js";
import { FakeView } from "./view-fake.js";
import type { OpenedSource } from "../src/core.js";

class FakeLink implements EditorLink {
    isOpen = true;
    readonly out = new RecordingOutput();
    readonly cable: CableOutput;
    constructor(clock: FakeClock, busyUntil = 0) {
        this.cable = new CableOutput(this.out, fakePacer, clock, busyUntil);
    }
    sendShort(bytes: Uint8Array): number {
        return this.cable.sendShort(bytes);
    }
    sendSysex(bytes: Uint8Array): number {
        return this.cable.sendSysex(bytes);
    }
    get cableFreeAt(): number {
        return this.cable.cableFreeAt;
    }
    // Whole messages as the device gets them: the pieces of a SysEx joined again.
    get messages(): number[][] {
        const whole: number[][] = [];
        for (const s of this.out.sent) {
            const last = whole[whole.length - 1];
            if (last && last[0] === 0xf0 && last[last.length - 1] !== 0xf7) last.push(...s.bytes);
            else whole.push([...s.bytes]);
        }
        return whole;
    }
    get requests(): number {
        return this.messages.filter((m) => m.length === kRequest.length && m[6] === kRequest[6]).length;
    }
    clear(): void {
        this.out.sent.length = 0;
    }
}

function rig(options: { busyUntil?: number; channel?: number; raw?: object } = {}) {
    const clock = new FakeClock();
    const view = new FakeView();
    const core = new Core({ ...fakeRawCore(), ...options.raw } as never);
    const editor = new Editor(core, view, clock);
    editor.setUp();
    const link = new FakeLink(clock, options.busyUntil);
    editor.attach(link, options.channel ?? 0, "POD on USB, channel 1");
    return { clock, view, core, editor, link };
}
const cc = (controller: number, value: number, channel = 0) => Uint8Array.of(0xb0 | channel, controller, value);

describe("requests and time-outs", () => {
    test("one request at a time: a read asked while one is awaited rides on it", () => {
        const { editor, link } = rig();
        editor.readPatch();
        editor.readPatch();
        editor.saveFile();
        assert.equal(link.requests, 1);
        assert.ok(editor.awaitingAnswer);
    });

    test("the time-out starts once the request has had its cable time, then says no answer came", async () => {
        const { clock, view, editor, link } = rig({ busyUntil: 1640 });
        editor.readPatch();
        const doneAt = 1640 + kRequest.length * kByteMs;
        assert.equal(link.out.sent[0]!.at, 1640, "the request waits behind what the cable still carries");
        await clock.advance(doneAt + 999);
        assert.ok(editor.awaitingAnswer);
        await clock.advance(2);
        assert.equal(editor.awaitingAnswer, false);
        assert.equal(view.outcome, "No answer from the POD: check both MIDI cables");
    });

    test("an answer ends its time-out: the old timer never ends the next request", async () => {
        const { clock, view, editor } = rig();
        editor.readPatch();
        await clock.advance(500);
        editor.receive(fakeDump("CLEAN"));
        assert.equal(view.outcome, "Patch read");
        assert.equal(view.patchName.trim(), "CLEAN");
        editor.readPatch();
        await clock.advance(600); // past the first request's time-out, not the second's
        assert.ok(editor.awaitingAnswer);
        assert.notEqual(view.outcome, "No answer from the POD: check both MIDI cables");
    });

    test("SysEx nobody asked for is not taken; an unknown answer ends the request with its text", () => {
        const { view, editor } = rig();
        editor.receive(fakeDump("STRAY"));
        assert.equal(view.patchName, "");
        editor.readPatch();
        editor.receive(Uint8Array.of(0xf0, 0x7e, 0, 0xf7));
        assert.equal(view.outcome, "Unrecognised answer on the MIDI input");
        assert.equal(editor.awaitingAnswer, false);
    });

    test("Save All reads the bank with its own time-out and offers it as POD bank.syx", async () => {
        const { clock, view, editor, link } = rig();
        editor.saveAllFile();
        assert.deepEqual(link.messages, [[...kBankRequest]]);
        assert.deepEqual(view.transfers, ["Reading the bank from the POD"]);
        await clock.advance(7000);
        assert.ok(editor.awaitingAnswer, "a bank may take 8 s");
        editor.receive(fakeBank());
        assert.deepEqual(view.downloads, [["POD bank.syx", 5121]]);
        assert.equal(view.outcome, "Bank saved to POD bank.syx");
    });

    test("without a link a request fails at once and says so", () => {
        const { view, editor } = rig();
        editor.detach();
        editor.readPatch();
        assert.equal(editor.awaitingAnswer, false);
        assert.equal(view.outcome, "Sending to the POD failed");
        assert.deepEqual(view.messages, [["Failed to send sysex message!", "Error"]]);
        assert.equal(view.connection, "Not connected (Options, Midi Setup)");
    });
});

describe("what the device sends", () => {
    const cases: { name: string; message: Uint8Array; states: Record<string, number>; statics?: Record<string, string>; focus?: string[] }[] = [
        { name: "a reversed slider takes 127 - v, and Drive moves Drive2 with it", message: cc(13, 100), states: { Drive: 27, Drive2: 27 } },
        { name: "the reverb level checks the Reverb box and takes the focus", message: cc(18, 0), states: { ReverbLevel: 127, Reverb: 1 }, focus: ["ReverbLevel"] },
        { name: "a switch is on from 64", message: cc(26, 64), states: { DriveBoost: 1 } },
        { name: "the chorus feedback shows its sign", message: cc(51, 30), states: { ChFeedback: 30 }, statics: { StaticChFeedback: "Feedback(-)" } },
        { name: "another channel's controller changes nothing", message: cc(13, 100, 1), states: { Drive: 64 } },
        { name: "an ignored controller changes nothing", message: cc(30, 99), states: { DelayTime: 0 } },
    ];
    for (const c of cases)
        test(c.name, () => {
            const { view, editor, link } = rig();
            editor.receive(c.message);
            for (const [member, state] of Object.entries(c.states)) assert.equal(view.control(member), state, member);
            for (const [name, text] of Object.entries(c.statics ?? {})) assert.equal(view.statics.get(name), text);
            assert.deepEqual(view.focused, c.focus ?? []);
            assert.equal(link.messages.length, 0, "nothing is sent back");
        });

    test("an amp model from the device shows, with Drive2 for POD Layer, and the patch is read", () => {
        const { view, editor, link } = rig();
        assert.ok(view.hidden.has("Drive2"));
        editor.receive(cc(12, 4));
        assert.equal(view.control("AmpModel"), 4);
        assert.equal(view.hidden.has("Drive2"), false);
        assert.equal(link.requests, 1);
    });

    test("the rotary depth moves its slider only with the rotary chosen; otherwise the patch is read 800 ms later", async () => {
        const { clock, view, editor, link } = rig();
        editor.receive(cc(1, 27));
        assert.equal(view.control("RotaryDepth"), 64);
        await clock.advance(799);
        assert.equal(link.requests, 0);
        await clock.advance(2);
        assert.equal(link.requests, 1);

        const rotary = rig();
        rotary.view.setControl("EffectSel", 1);
        rotary.editor.receive(cc(1, 27));
        assert.equal(rotary.view.control("RotaryDepth"), 100);
        assert.equal(rotary.view.control("TremChor"), 1);
        assert.equal(rotary.link.requests, 0);
    });

    test("tap tempo and the effect read the patch: the tempo a second later, the effect at once", async () => {
        const { clock, editor, link } = rig();
        editor.receive(cc(64, 127));
        await clock.advance(999);
        assert.equal(link.requests, 0);
        await clock.advance(2);
        assert.equal(link.requests, 1);
        const effect = rig();
        effect.editor.receive(cc(19, 2));
        assert.equal(effect.link.requests, 1);
    });

    test("a program change names the patch in the title and reads it; one past the last is ignored", () => {
        const { view, editor, link } = rig({ channel: 3 });
        editor.receive(Uint8Array.of(0xc3, 2));
        assert.equal(view.title, "Patch 1B");
        assert.equal(link.requests, 1);
        const other = rig();
        other.editor.receive(Uint8Array.of(0xc0, 10));
        assert.equal(other.view.title, "Amplix 32");
        assert.equal(other.link.requests, 0);
    });
});

describe("the user's changes", () => {
    test("Drive sends itself, and Drive2 too with POD Layer", () => {
        const { view, editor, link } = rig();
        view.setControl("Drive", 27);
        editor.userChanged("Drive");
        assert.deepEqual(link.messages, [[0xb0, 13, 100]]);
        link.clear();
        view.setControl("AmpModel", 4);
        view.setControl("Drive2", 7);
        editor.userChanged("Drive");
        assert.deepEqual(link.messages, [[0xb0, 13, 100], [0xb0, 20, 120]]);
    });

    test("the reverb level checks the Reverb box without a send of its own", () => {
        const { view, editor, link } = rig({ channel: 2 });
        view.setControl("ReverbLevel", 27);
        editor.userChanged("ReverbLevel");
        assert.deepEqual(link.messages, [[0xb2, 18, 100]]);
        assert.equal(view.control("Reverb"), 1);
    });

    test("Fast never goes above Slow: a move past it stops there, and a move that ends where it was sends nothing", () => {
        const { view, editor, link } = rig();
        view.setControl("RotaryMax", 110);
        editor.userChanged("RotaryMax");
        assert.equal(view.control("RotaryMax"), 100);
        assert.deepEqual(link.messages, [[0xb0, 56, 100]]);
        link.clear();
        view.setControl("RotaryMax", 105);
        editor.userChanged("RotaryMax");
        assert.equal(view.control("RotaryMax"), 100);
        assert.deepEqual(link.messages, []);
        view.setControl("RotaryMin", 50);
        editor.userChanged("RotaryMin");
        assert.equal(view.control("RotaryMin"), 100, "Slow may not go below Fast either");
    });

    test("choosing an effect shows its window alone, sets Delay and Trem/Chorus, sends it and reads the patch", () => {
        const { view, editor, link } = rig();
        view.setControl("EffectSel", 1);
        editor.userChanged("EffectSel");
        assert.equal(view.windows.get("Rotary"), true);
        assert.equal(view.windows.get("Chorus"), false);
        assert.deepEqual([view.control("TremChor"), view.control("Delay")], [1, 0]);
        assert.equal(view.disabled.has("TremChor"), false);
        assert.deepEqual(link.messages, [[0xb0, 19, 1], [...kRequest]]);
        view.setControl("EffectSel", 2);
        editor.userChanged("EffectSel");
        assert.deepEqual([view.windows.get("Rotary"), view.control("Delay"), view.control("TremChor")], [false, 1, 0]);
        assert.ok(view.disabled.has("TremChor"));
    });

    test("the delay time shows its label as it moves", () => {
        const { view, editor } = rig();
        view.setControl("DelayTime", 730);
        editor.userChanged("DelayTime");
        assert.equal(view.statics.get("StaticDelayTime"), "Delay Time:  730 mS");
    });

    test("unlinked, the amp model sends no controller: the patch read comes back with it", () => {
        const { view, editor, link } = rig();
        editor.toggleAmpLink();
        view.setControl("AmpModel", 3);
        editor.userChanged("AmpModel");
        assert.deepEqual(link.messages, [[...kRequest]]);
        editor.receive(fakeDump("CLEAN", { 12: 0 }));
        const sent = link.messages[1]!;
        assert.equal(sent.length, 151);
        assert.equal(sent[30 + 12], 3, "the amp model is stored in the dump sent back");
    });
});

describe("patch commands", () => {
    test("Save Patch To POD reads the patch, asks the location, stores it there and names it in the title", async () => {
        const { view, editor, link, clock } = rig();
        view.answers.push(2);
        editor.saveToPod();
        editor.receive(fakeDump("CLEAN"));
        await clock.advance(0);
        assert.deepEqual(view.asked, ["location"]);
        const store = link.messages[1]!;
        assert.deepEqual([store.length, store[7]], [152, 2]);
        assert.equal(view.outcome, "Stored to 1C");
        assert.equal(view.title, "Patch 1C");
    });

    test("Save Patch To POD cancelled sends nothing more", async () => {
        const { view, editor, link, clock } = rig();
        editor.saveToPod();
        editor.receive(fakeDump("CLEAN"));
        await clock.advance(0);
        assert.equal(link.messages.length, 1);
    });

    test("a rename shows at once, then the patch read goes back with the new name", async () => {
        const { view, editor, link, clock } = rig();
        editor.readPatch();
        editor.receive(fakeDump("OLD NAME"));
        view.answers.push("NEW NAME");
        await editor.rename();
        assert.equal(view.patchName, "NEW NAME");
        assert.equal(view.asked[0], "name:OLD NAME        ");
        editor.receive(fakeDump("OLD NAME"));
        await clock.advance(0);
        const sent = link.messages[link.messages.length - 1]!;
        assert.equal(String.fromCharCode(...sent.slice(8, 16)), "NEW NAME");
        assert.equal(view.outcome, "Patch renamed");
    });

    test("Save offers the patch under its name as .pod", () => {
        const { view, editor } = rig();
        editor.saveFile();
        editor.receive(fakeDump("Big Clean!"));
        assert.deepEqual(view.downloads, [["Big Clean.pod", 151]]);
        assert.equal(view.outcome, "Patch saved to Big Clean.pod");
    });

    test("choosing a patch sends the program change, names it and reads it", () => {
        const { view, editor, link } = rig({ channel: 1 });
        editor.choosePatch(0);
        assert.deepEqual(link.messages, [[0xc1, 0], [...kRequest]]);
        assert.equal(view.title, "Manual Mode");
    });

    const bankSource = (entries: number): OpenedSource => ({
        kind: "Bank", bytes: entries ? fakeBank() : null, failure: null, guitarPortAsks: false, guitarPortInformation: [],
        entries: Array.from({ length: entries }, (_, n) => ({ name: `P${n}`, label: "", information: [], deviceCode: 0 })),
    });
    const files = {
        openPatchFile: (bytes: Uint8Array) => bytes.length === 5121 ? bankSource(36)
            : bytes.length === 151 ? { ...bankSource(0), kind: "SinglePatch" }
            : { ...bankSource(0), kind: "SinglePatch", failure: { text: "Not a patch file", caption: "Error!!" } },
        sourceDump: () => ({ dump: fakeDump("FROM FILE"), failure: { text: "", caption: "" } }),
        openImportFile: () => ({ ...bankSource(0), kind: "SoundDiver", failure: { text: "Not a library", caption: "Import" } }),
    };

    test("Load ALL asks first, then sends the bank paced, titles 1A and reads the patch back", async () => {
        const { view, editor, link, clock } = rig({ raw: files });
        view.answers.push("all", true);
        const opening = editor.openFile("bank.syx", fakeBank());
        await clock.advance(1600);
        assert.equal(view.outcome, "Sending the bank to the POD", "while the cable carries it");
        assert.equal(link.requests, 0);
        await clock.advance(100);
        await opening;
        assert.deepEqual(view.asked, ["bank:9", "overwrite"]);
        const pieces = link.out.sent.filter((s) => s.bytes[0] !== 0xf0 || s.bytes.length > 8);
        assert.equal(pieces.length, 21, "5121 bytes in pieces of 256");
        assert.equal(link.messages[0]!.length, 5121);
        assert.equal(view.title, "Patch 1A");
        assert.deepEqual(view.transfers, ["Sending the bank to the POD"]);
        assert.equal(view.outcome, "Bank sent to the POD");
        assert.equal(link.requests, 1);
    });

    test("where a SysEx goes only whole, Load ALL sends one store message per location at the cable's pace, then 1A", async () => {
        const { view, editor, link, clock } = rig({ raw: files, channel: 2 });
        Object.assign(link, { sysexInPieces: false });
        link.out.wholeSysexOnly = true;
        view.answers.push("all", true);
        const opening = editor.openFile("bank.syx", fakeBank());
        await clock.advance(600);
        await opening;
        const stores = link.messages.filter((m) => m.length === 152);
        assert.deepEqual(stores.map((m) => m[7]), [0, 1, 2, 3, 4, 5, 6, 7, 8]);
        assert.ok(link.messages.every((m) => m.length !== 5121));
        assert.deepEqual(link.messages[9], [0xc2, 1]);
        const times = link.out.sent.slice(0, 9).map((s) => s.at ?? 0);
        times.forEach((at, n) => assert.ok(Math.abs(at - n * 152 * kByteMs) < 1e-6, `store ${n} at ${at}`));
        assert.equal(view.outcome, "Bank sent to the POD");
        assert.equal(link.requests, 1);
    });

    test("Load ALL refused at the warning sends nothing", async () => {
        const { view, editor, link } = rig({ raw: files });
        view.answers.push("all", false);
        await editor.openFile("bank.syx", fakeBank());
        assert.equal(link.messages.length, 0);
    });

    test("a single patch file is shown, sent and read back", async () => {
        const { view, editor, link } = rig({ raw: files });
        await editor.openFile("clean.pod", fakeDump("X"));
        assert.equal(view.patchName.trim(), "FROM FILE");
        assert.equal(link.messages[0]!.length, 151);
        assert.equal(view.outcome, "Patch sent to the POD");
        assert.equal(link.requests, 1);
    });

    const importCases: { kind: string; asks?: boolean; answer: number | null; expected: [number, number] | null }[] = [
        { kind: "SoundDiver", answer: 2, expected: [2, 3] },
        { kind: "Line6Edit", answer: 1, expected: [1, 3] },
        { kind: "SoundDiver", answer: null, expected: null },
        { kind: "GuitarPort", asks: true, answer: 0, expected: [0, 0] },
        { kind: "GuitarPort", asks: false, answer: 3, expected: [0, 3] },
        { kind: "GuitarPort", asks: true, answer: null, expected: null },
    ];
    for (const c of importCases)
        test(`Import of a ${c.kind} file${c.asks ? " that asks COMP or MOD" : ""}: answer ${c.answer}`, async () => {
            const taken: unknown[][] = [];
            const raw = {
                openImportFile: () => ({ ...bankSource(4), kind: c.kind, guitarPortAsks: c.asks ?? false }),
                sourceDump: (...args: unknown[]) => {
                    taken.push(args);
                    return { dump: fakeDump("IMPORTED"), failure: { text: "", caption: "" } };
                },
            };
            const { view, editor, link } = rig({ raw });
            view.answers.push(c.answer);
            await editor.importFile("patch.lib", new Uint8Array(10));
            assert.deepEqual(view.asked, [c.kind === "GuitarPort" ? `guitarport:${c.asks}` : `${c.kind}:4`]);
            if (!c.expected) {
                assert.deepEqual([taken.length, link.messages.length], [0, 0]);
                return;
            }
            assert.deepEqual(taken.map((a) => [a[1], a[2], a[3], a[4]]), [["patch.lib", true, ...c.expected]]);
            assert.equal(view.patchName.trim(), "IMPORTED");
            assert.equal(view.outcome, "Patch sent to the POD");
        });

    test("a file that is no patch says why in the core's words; a dropped one the import's, unless it is named .pod", async () => {
        const { view, editor } = rig({ raw: files });
        await editor.openFile("x.pod", new Uint8Array(3));
        await editor.dropFile("x.lib", new Uint8Array(3));
        await editor.dropFile("y.syx", new Uint8Array(3));
        assert.deepEqual(view.messages, [["Not a patch file", "Error!!"], ["Not a library", "Import"], ["Not a patch file", "Error!!"]]);
    });
});
