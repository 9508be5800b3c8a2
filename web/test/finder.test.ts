// Find POD's decisions: which output and input make the pair, which channel, and what it reports
// when outputs are busy, the device takes every channel, or nothing answers in time.
import { describe, test } from "node:test";
import assert from "node:assert/strict";
import { findPod } from "../src/midi/finder.js";
import { FakeBackend, FakeClock, fakeDump, fakeRawCore, inquiryReply, kByteMs, kRequest } from "./fakes.js";
import type { FinderCore } from "../src/midi/finder.js";

const core = fakeRawCore() as unknown as FinderCore;
const timing = { answerMs: 300, inquiryMs: 100 };

function system(clock: FakeClock) {
    const backend = new FakeBackend(clock);
    backend.inputsList = [
        { id: "i0", name: "Keyboard", connected: true },
        { id: "i1", name: "USB MIDI In", connected: true },
        { id: "sim", name: "Amplix POD Simulator", connected: true },
    ];
    backend.outputsList = [
        { id: "o0", name: "Synth", connected: true },
        { id: "o1", name: "USB MIDI Out", connected: true },
        { id: "sim", name: "Amplix POD Simulator", connected: true },
    ];
    backend.simulatorIds.add("sim");
    return backend;
}

// A POD on that output, answering on that input; channels it answers the inquiry on.
function pod(backend: FakeBackend, output: string, input: string, channels: number[], answerMs = 50) {
    backend.devices.set(output, (bytes) => {
        if (bytes.length === kRequest.length && bytes[6] === 0x01) return [{ input, bytes: fakeDump("CLEAN"), ms: answerMs }];
        if (bytes[1] === 0x7e && channels.includes(bytes[2]!)) return [{ input, bytes: inquiryReply(bytes[2]!), ms: 5 }];
        return [];
    });
}

async function run(backend: FakeBackend, clock: FakeClock, cancel = { cancelled: false }) {
    const promise = findPod(backend, core, clock, timing, cancel);
    await clock.advance(10_000);
    return promise;
}

describe("find POD", () => {
    test("the output whose request brings a dump, the input that brought it, and the one channel that answers", async () => {
        const clock = new FakeClock();
        const backend = system(clock);
        pod(backend, "o1", "i1", [2]);
        const found = await run(backend, clock);
        assert.equal(found.search.outcome, "Found");
        assert.deepEqual([found.outputId, found.inputId, found.outputName, found.inputName], ["o1", "i1", "USB MIDI Out", "USB MIDI In"]);
        assert.equal(found.search.channel, 2);
        assert.deepEqual(found.search.identity, { channel: 2, member: 0, revision: "1.00" });
        assert.equal(found.search.outputsAsked, 2);
        assert.ok(found.search.simulatorListed);
        // The simulator is never asked, and every input is let go afterwards.
        assert.equal(backend.outputs_.has("sim"), false);
        assert.equal(backend.listening("i0") + backend.listening("i1"), 0);
    });

    test("two channels answering is a device in omni mode: found, without a channel; every channel asked once, in one go", async () => {
        const clock = new FakeClock();
        const backend = system(clock);
        pod(backend, "o0", "i0", [0, 1, 2, 3]);
        const found = await run(backend, clock);
        assert.equal(found.search.outcome, "Found");
        assert.equal(found.search.channel, null);
        const inquiries = backend.outputs_.get("o0")!.sent.filter((s) => s.bytes[1] === 0x7e);
        assert.deepEqual(inquiries.map((s) => s.bytes[2]), [...Array(16).keys()]);
    });

    test("a busy output is named and not asked; without an answer the report counts the outputs asked", async () => {
        const clock = new FakeClock();
        const backend = system(clock);
        backend.busy.add("o0");
        const found = await run(backend, clock);
        assert.equal(found.search.outcome, "NoAnswer");
        assert.deepEqual(found.search.busyOutputs, ["Synth"]);
        assert.equal(found.search.outputsAsked, 1);
        assert.equal(found.outputId, null);
    });

    test("the answer time starts when the request is at the device, and a later answer is none", async () => {
        const clock = new FakeClock();
        const backend = system(clock);
        pod(backend, "o0", "i0", [0], 299); // just inside: 300 ms after the request arrived
        assert.equal((await run(backend, clock)).search.outcome, "Found");

        const late = new FakeClock();
        const backend2 = system(late);
        pod(backend2, "o0", "i0", [0], 310 + 151 * kByteMs);
        const found = await run(backend2, late);
        assert.notEqual(found.outputId, "o0");
    });

    test("a dump on another output's wait, or an inquiry reply on another input, does not count", async () => {
        const clock = new FakeClock();
        const backend = system(clock);
        // Output 0's device answers the request on input 1, and the inquiry only on input 0.
        backend.devices.set("o0", (bytes) => {
            if (bytes[6] === 0x01 && bytes[1] !== 0x7e) return [{ input: "i1", bytes: fakeDump("X"), ms: 20 }];
            if (bytes[1] === 0x7e) return [{ input: "i0", bytes: inquiryReply(bytes[2]!), ms: 5 }];
            return [];
        });
        const found = await run(backend, clock);
        assert.equal(found.inputId, "i1");
        assert.equal(found.search.identity, null);
        assert.equal(found.search.channel, null);
    });

    test("a search stopped before any output answers is cancelled", async () => {
        const clock = new FakeClock();
        const backend = system(clock);
        const found = await run(backend, clock, { cancelled: true });
        assert.equal(found.search.outcome, "Cancelled");
        assert.equal(found.search.outputsAsked, 0);
    });
});
