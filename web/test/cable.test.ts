// The cable's pacing: pieces at the pacer's times, short messages behind a SysEx on its way, the
// cable clock carried from one send to the next, and the browser that takes SysEx only whole.
import { describe, test } from "node:test";
import assert from "node:assert/strict";
import { CableOutput } from "../src/midi/cable.js";
import { FakeClock, RecordingOutput, fakePacer, kByteMs } from "./fakes.js";

const sysex = (length: number) => {
    const m = new Uint8Array(length);
    m[0] = 0xf0;
    m[length - 1] = 0xf7;
    return m;
};

describe("cable pacing", () => {
    test("a long SysEx goes in the pacer's pieces, each at its time, and returns when it is at the device", () => {
        const clock = new FakeClock();
        clock.t = 100;
        const out = new RecordingOutput();
        const cable = new CableOutput(out, fakePacer, clock);
        const doneAt = cable.sendSysex(sysex(600));
        assert.deepEqual(out.sent.map((s) => [s.bytes.length, s.at]), [
            [256, undefined], // the first piece goes at once
            [256, 100 + 256 * kByteMs],
            [88, 100 + 256 * kByteMs + 256 * kByteMs],
        ]);
        assert.equal(doneAt, 100 + 256 * kByteMs + 256 * kByteMs + 88 * kByteMs);
        assert.equal(cable.cableFreeAt, doneAt);
    });

    test("a short message waits behind the SysEx still on the cable, and moves the clock on", () => {
        const clock = new FakeClock();
        const out = new RecordingOutput();
        const cable = new CableOutput(out, fakePacer, clock);
        const bankDone = cable.sendSysex(sysex(5121));
        clock.t = 10;
        const ccDone = cable.sendShort(Uint8Array.of(0xb0, 13, 100));
        const last = out.sent[out.sent.length - 1]!;
        assert.deepEqual(last, { bytes: [0xb0, 13, 100], at: bankDone });
        assert.equal(ccDone, bankDone + 3 * kByteMs);
        // The next SysEx starts after the controller.
        const next = cable.sendSysex(sysex(8));
        assert.equal(out.sent[out.sent.length - 1]!.at, ccDone);
        assert.equal(next, ccDone + 8 * kByteMs);
    });

    test("short messages on a free cable go at once, each still taking its cable time", () => {
        const clock = new FakeClock();
        const out = new RecordingOutput();
        const cable = new CableOutput(out, fakePacer, clock);
        cable.sendShort(Uint8Array.of(0xc0, 5));
        clock.t = 50;
        assert.equal(cable.sendShort(Uint8Array.of(0xb0, 1, 2)), 50 + 3 * kByteMs);
        assert.deepEqual(out.sent.map((s) => s.at), [undefined, undefined]);
    });

    test("a browser that refuses a SysEx cut in pieces gets it whole, at the first piece's time, from then on", () => {
        const clock = new FakeClock();
        const out = new RecordingOutput();
        out.wholeSysexOnly = true;
        const cable = new CableOutput(out, fakePacer, clock);
        const first = cable.sendSysex(sysex(1000));
        assert.deepEqual(out.sent.map((s) => [s.bytes.length, s.at]), [[1000, undefined]]);
        assert.equal(first, 1000 * kByteMs, "the cable still counts the whole message");
        assert.ok(cable.takesWholeSysexOnly);
        cable.sendSysex(sysex(600));
        assert.deepEqual(out.sent.map((s) => [s.bytes.length, s.at]), [[1000, undefined], [600, first]]);
    });

    test("any other failure of the output is the caller's to see", () => {
        const clock = new FakeClock();
        const cable = new CableOutput({ send: () => { throw new Error("port closed"); } }, fakePacer, clock);
        assert.throws(() => cable.sendSysex(sysex(600)), /port closed/);
        assert.throws(() => cable.sendShort(Uint8Array.of(0xb0, 1, 1)), /port closed/);
    });
});
