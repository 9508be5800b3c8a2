// The page's logic on the built core under node: the panel plan from its real geometry, and the
// editor talking to the built-in device through the simulator port, the cable paced as in the page.
// Skipped when the core has not been built, unless AMPLIX_WEB_DIR names where it must be (CI).
import { describe, test } from "node:test";
import assert from "node:assert/strict";
import { Core } from "../src/core.js";
import { Editor } from "../src/editor.js";
import { MidiLink } from "../src/midi/link.js";
import { SimulatorBackend, kSimulatorPortId } from "../src/midi/simulator.js";
import { planPanel } from "../src/panel.js";
import { builtCore as raw, skipWithoutCore as skip } from "./built-core.js";
import { FakeClock, fakeRawCore } from "./fakes.js";
import { FakeView } from "./view-fake.js";

describe("on the built core", { skip }, () => {
    test("every control of the tone map stands once on the panel, inside its window", () => {
        const core = new Core(raw!);
        const plan = planPanel(raw!.panelLayout(), core.toneMap);
        const members = core.toneMap.filter((p) => p.member && p.kind !== "None").map((p) => p.member);
        const controls = plan.items.filter((i) => i.member);
        for (const member of members)
            assert.equal(controls.filter((i) => i.member === member).length, 1, member);
        for (const item of plan.items) {
            const window = plan.windows.find((w) => w.window === item.window)!;
            assert.ok(item.x >= 0 && item.y >= 0 && item.x + item.w <= window.w + 1 && item.y + item.h <= window.h + 1, item.name);
            if (item.member) assert.ok(item.label.length > 0, item.name);
        }
        assert.ok(plan.items.some((i) => i.name === "StaticChFeedback" && i.kind === "Static"));
        assert.ok(plan.items.some((i) => i.name === "StaticDelayTime" && i.kind === "Static"));
    });

    test("the fake core of the other tests tells messages by the core's status bytes", () => {
        assert.deepEqual(fakeRawCore().statusBytes(), raw!.statusBytes());
    });

    // The editor, the link and the device, on a hand-turned clock.
    async function session() {
        const clock = new FakeClock();
        const core = new Core(raw!);
        const view = new FakeView();
        const editor = new Editor(core, view, clock);
        const sim = new SimulatorBackend("Amplix POD Simulator", () => new raw!.PodDevice(), () => new raw!.MessageJoiner(),
            (n) => raw!.cableTimeMs(n), clock);
        const link = new MidiLink(sim, raw!, clock, { message: (b) => editor.receive(b), gone: () => {}, back: () => {} });
        assert.equal(await link.open(kSimulatorPortId, kSimulatorPortId), "ok");
        editor.setUp();
        editor.attach(link, 0, "Simulator");
        return { clock, core, view, editor, sim };
    }

    test("the device's patch is read into the panel within the request's time", async () => {
        const { clock, view, editor, sim } = await session();
        editor.readPatch();
        await clock.advance(100);
        const device = raw!.decodeDump(sim.device.editBufferDump())!;
        assert.equal(view.patchName, device.name);
        for (const c of device.controls) assert.equal(view.control(c.member), c.state, c.member);
        assert.equal(editor.awaitingAnswer, false);
    });

    test("a control moved on the panel changes the device's edit buffer", async () => {
        const { clock, view, editor, sim } = await session();
        editor.readPatch();
        await clock.advance(100);
        view.setControl("Bass", 27); // 100 on the wire: the record holds even values only
        editor.userChanged("Bass");
        await clock.advance(10);
        const bass = raw!.decodeDump(sim.device.editBufferDump())!.controls.find((c) => c.member === "Bass")!;
        assert.equal(bass.state, 27);
    });

    test("Load ALL sends a bank the device takes whole, after its 1.6 s on the cable", async () => {
        const { clock, view, editor, sim, core } = await session();
        const other = new raw!.PodDevice();
        const bank = other.bankDump();
        // A bank whose first patch the device does not have yet: renamed through the core.
        const first = raw!.renameDump(raw!.singleDump(raw!.bankRecord(bank, 0)!, 0)!, "LOADED ALL")!;
        assert.ok(first);
        view.answers.push("all", true);
        const { record } = raw!.sizes();
        const locations = raw!.lastProgram();
        const records = new Uint8Array(record * locations);
        for (let n = 0; n < locations; ++n) records.set(raw!.bankRecord(bank, n)!, record * n);
        records.set(raw!.recordOfDump(first)!, 0);
        const newBank = raw!.bankDump(records, 0)!;
        const opening = editor.openFile("bank.syx", newBank);
        const nameAt = (n: number) => raw!.decodeDump(raw!.singleDump(raw!.bankRecord(sim.device.bankDump(), n)!, 0)!)!.name.trim();
        await clock.advance(1000);
        assert.notEqual(nameAt(0), "LOADED ALL", "not before the cable has carried it");
        await clock.advance(1500);
        await opening;
        assert.equal(nameAt(0), "LOADED ALL");
        // Read back afterwards: the device plays 1A, and the status says what was sent.
        assert.equal(view.patchName.trim(), "LOADED ALL");
        assert.equal(view.outcome, core.text("StatusBankSent"));
        other.delete();
    });

    test("a bank file offers its patches under the core's labels and names", async () => {
        const { view, editor, sim } = await session();
        const bank = sim.device.bankDump();
        view.answers.push(null);
        await editor.openFile("bank.syx", bank);
        assert.equal(view.bankLines.length, raw!.lastProgram());
        assert.deepEqual(view.bankLines, raw!.bankListing(bank));
        assert.ok(view.bankLines[0]!.startsWith(`${raw!.locationLabel(0)}  `), view.bankLines[0]);
    });

    test("the amp model link shows the core's caption both ways; Drive2 only with POD Layer", async () => {
        const { clock, view, editor, core } = await session();
        editor.readPatch();
        await clock.advance(100);
        editor.toggleAmpLink();
        assert.equal(view.statics.get("StaticAmpModel"), core.text("AmpModelUnlinked"));
        editor.toggleAmpLink();
        assert.equal(view.statics.get("StaticAmpModel"), core.text("AmpModelLinked"));
        view.setControl("AmpModel", raw!.podLayerAmpModel());
        editor.userChanged("AmpModel");
        assert.ok(!view.hidden.has("Drive2"));
        view.setControl("AmpModel", raw!.podLayerAmpModel() + 1);
        editor.userChanged("AmpModel");
        assert.ok(view.hidden.has("Drive2"));
    });
});

describe("the fake core beside the built one", { skip }, () => {
    test("names only texts and library calls the core has", async () => {
        const { fakeLibraryCalls, fakeTexts } = await import("./fakes.js");
        const texts = raw!.texts();
        for (const key of Object.keys(fakeTexts)) assert.ok(key in texts, `texts().${key}`);
        const calls = raw as unknown as Record<string, unknown>;
        for (const name of Object.keys(fakeLibraryCalls)) assert.equal(typeof calls[name], "function", name);
        const library = new raw!.PatchLibrary();
        const fake = new fakeLibraryCalls.PatchLibrary();
        const methods = (o: object) =>
            Object.getOwnPropertyNames(Object.getPrototypeOf(o)).filter((m) => m !== "constructor" && m !== "step");
        for (const m of methods(fake)) assert.equal(typeof (library as unknown as Record<string, unknown>)[m], "function", m);
        library.delete();
    });
});
