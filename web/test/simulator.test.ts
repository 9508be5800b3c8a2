// The built-in device behind its ports: pieces joined into messages by the core's joiner, answers
// after their cable time.
import { describe, test } from "node:test";
import assert from "node:assert/strict";
import { CableOutput } from "../src/midi/cable.js";
import { SimulatorBackend, kSimulatorPortId } from "../src/midi/simulator.js";
import { builtCore, skipWithoutCore as skip } from "./built-core.js";
import { FakeClock, fakeDevice, fakePacer, kByteMs, kRequest } from "./fakes.js";

const joiner = () => new builtCore!.MessageJoiner();

describe("simulator port", { skip }, () => {
    const make = () => {
        const clock = new FakeClock();
        const device = fakeDevice();
        const sim = new SimulatorBackend("Amplix POD Simulator", () => device, joiner, fakePacer.cableTimeMs, clock);
        return { clock, device, sim };
    };

    test("lists one input and one output under its name, and knows them as itself", () => {
        const { sim } = make();
        assert.deepEqual(sim.inputs(), [{ id: kSimulatorPortId, name: "Amplix POD Simulator", connected: true }]);
        assert.deepEqual(sim.outputs(), sim.inputs());
        assert.ok(sim.isSimulator(kSimulatorPortId));
    });

    test("answers the edit-buffer request once request and dump have had their cable time", async () => {
        const { clock, sim } = make();
        const arrived: [number, number][] = [];
        const input = await sim.openInput(kSimulatorPortId, (bytes) => arrived.push([clock.now(), bytes.length]));
        const output = await sim.openOutput(kSimulatorPortId);
        assert.ok("port" in input && "port" in output);
        output.port.send(kRequest);
        const due = kRequest.length * kByteMs + 151 * kByteMs;
        await clock.advance(due - 0.01);
        assert.deepEqual(arrived, []);
        await clock.advance(0.02);
        assert.deepEqual(arrived, [[due, 151]]);
    });

    test("takes a paced bank in pieces as one message, at the time its last byte arrives", async () => {
        const { clock, device, sim } = make();
        const output = await sim.openOutput(kSimulatorPortId);
        assert.ok("port" in output);
        const bank = new Uint8Array(5121);
        bank[0] = 0xf0;
        bank[5120] = 0xf7;
        const doneAt = new CableOutput(output.port, fakePacer, clock).sendSysex(bank);
        await clock.advance(doneAt - 1);
        assert.equal(device.taken.length, 0);
        await clock.advance(2);
        assert.equal(device.taken.length, 1);
        assert.equal(device.taken[0]!.length, 5121);
        assert.equal(sim.received.length, 1);
    });

    test("a program change and a request in one piece reach the device as two messages, both answered", async () => {
        const { clock, device, sim } = make();
        const heard: number[][] = [];
        const input = await sim.openInput(kSimulatorPortId, (bytes) => heard.push([...bytes]));
        const output = await sim.openOutput(kSimulatorPortId);
        assert.ok("port" in input && "port" in output);
        output.port.send(Uint8Array.of(0xc0, 5, ...kRequest));
        await clock.advance(100);
        assert.deepEqual(device.taken.map((m) => [...m]), [[0xc0, 5], [...kRequest]]);
        assert.deepEqual(sim.received.map((m) => [...m]), [[0xc0, 5], [...kRequest]]);
        assert.deepEqual(heard.map((m) => m.length), [2, 151]);
        assert.deepEqual(heard[0], [0xc0, 5]);
    });

    test("a knob turned on the device arrives after its own cable time; a closed input hears nothing", async () => {
        const { clock, sim } = make();
        const heard: number[][] = [];
        const input = await sim.openInput(kSimulatorPortId, (bytes) => heard.push([...bytes]));
        assert.ok("port" in input);
        sim.turnKnob(13, 90);
        await clock.advance(3 * kByteMs);
        assert.deepEqual(heard, [[0xb0, 13, 90]]);
        input.port();
        sim.choosePatch(4);
        await clock.advance(10);
        assert.equal(heard.length, 1);
    });

    test("what is handed on first arrives first, even when the browser runs a long timer late", async () => {
        // Chromium may fire a timer set long ago after a short one set since.
        const clock = new FakeClock();
        const late: typeof clock.after = (ms, fn) => FakeClock.prototype.after.call(clock, ms > 100 ? ms + 90 : ms, fn);
        const lateClock = { now: () => clock.now(), after: late };
        const device = fakeDevice();
        const sim = new SimulatorBackend("sim", () => device, joiner, fakePacer.cableTimeMs, lateClock);
        const output = await sim.openOutput(kSimulatorPortId);
        assert.ok("port" in output);
        const cable = new CableOutput(output.port, fakePacer, lateClock);
        const bank = new Uint8Array(5121);
        bank[0] = 0xf0;
        bank[5120] = 0xf7;
        const doneAt = cable.sendSysex(bank);
        await clock.advance(doneAt);
        cable.sendSysex(kRequest);
        await clock.advance(200);
        assert.deepEqual(device.taken.map((m) => m.length), [5121, kRequest.length]);
    });

    test("any other port id is missing", async () => {
        const { sim } = make();
        assert.deepEqual(await sim.openOutput("elsewhere"), { error: "missing" });
        assert.deepEqual(await sim.openInput("elsewhere", () => undefined), { error: "missing" });
    });
});
