// The MIDI link: opening a pair of ports, what a port that does not open says, and a device that
// goes away and comes back.
import { describe, test } from "node:test";
import assert from "node:assert/strict";
import { MidiLink } from "../src/midi/link.js";
import { FakeBackend, FakeClock, fakePacer, settle } from "./fakes.js";

function rig() {
    const clock = new FakeClock();
    const backend = new FakeBackend(clock);
    backend.inputsList = [{ id: "in1", name: "USB MIDI", connected: true }];
    backend.outputsList = [{ id: "out1", name: "USB MIDI", connected: true }, { id: "out2", name: "Synth", connected: true }];
    const events: string[] = [];
    const heard: number[][] = [];
    const link = new MidiLink(backend, fakePacer, clock, {
        message: (bytes) => heard.push([...bytes]),
        gone: (name) => events.push(`gone ${name}`),
        back: () => events.push("back"),
    });
    return { clock, backend, link, events, heard };
}

describe("MIDI link", () => {
    test("opens both ports, sends on the output and hears the input", async () => {
        const { backend, link, heard } = rig();
        assert.equal(await link.open("in1", "out1"), "ok");
        assert.deepEqual([link.inputName, link.outputName, link.isOpen], ["USB MIDI", "USB MIDI", true]);
        link.sendShort(Uint8Array.of(0xb0, 7, 100));
        assert.deepEqual(backend.outputs_.get("out1")!.sent.map((s) => s.bytes), [[0xb0, 7, 100]]);
        backend.deliver("in1", Uint8Array.of(0xc0, 3));
        assert.deepEqual(heard, [[0xc0, 3]]);
    });

    const failures: [string, (b: FakeBackend) => void, string, string][] = [
        ["a busy output", (b) => b.busy.add("out1"), "out", "busy"],
        ["a missing input", (b) => (b.inputsList = []), "in", "missing"],
        ["an output unplugged", (b) => (b.outputsList[0]!.connected = false), "out", "missing"],
    ];
    for (const [name, arrange, which, error] of failures)
        test(`${name} does not open, says which, and leaves nothing open`, async () => {
            const { backend, link } = rig();
            arrange(backend);
            assert.deepEqual(await link.open("in1", "out1"), { which, error });
            assert.equal(link.isOpen, false);
            assert.equal(backend.listening("in1"), 0);
        });

    test("a device that goes away is said once; back, it is opened again and the cable clock goes on", async () => {
        const { clock, backend, link, events, heard } = rig();
        await link.open("in1", "out1");
        const freeAt = link.sendSysex(new Uint8Array(1000).fill(0x10, 1, 999).fill(0xf0, 0, 1).fill(0xf7, 999));
        backend.setConnected("in1", false);
        backend.setConnected("out1", false);
        await settle();
        assert.deepEqual(events, ["gone USB MIDI"]);
        assert.equal(link.isOpen, false);
        assert.equal(link.sendShort(Uint8Array.of(0xb0, 1, 1)), clock.now(), "sends go nowhere meanwhile");
        assert.throws(() => link.sendSysex(Uint8Array.of(0xf0, 0xf7)));
        backend.setConnected("out1", true);
        await settle();
        assert.deepEqual(events, ["gone USB MIDI"], "not back before both ports are");
        backend.setConnected("in1", true);
        await settle();
        assert.deepEqual(events, ["gone USB MIDI", "back"]);
        assert.ok(link.isOpen);
        assert.equal(backend.listening("in1"), 1, "the old listener is gone, one new one hears");
        backend.deliver("in1", Uint8Array.of(0xc0, 1));
        assert.equal(heard.length, 1);
        assert.ok(link.sendShort(Uint8Array.of(0xb0, 1, 1)) > freeAt);
    });

    test("another device's coming and going is not the link's", async () => {
        const { backend, link, events } = rig();
        await link.open("in1", "out1");
        backend.setConnected("out2", false);
        backend.setConnected("out2", true);
        await settle();
        assert.deepEqual(events, []);
        link.close();
        backend.setConnected("out1", false);
        await settle();
        assert.deepEqual(events, [], "a closed link follows nothing");
    });
});
