// The simulator's memory kept between visits: bursts written once, writes never overlapping, a
// failing store said once, a record taken back or refused with the core's words, and Forget.
import { describe, test } from "node:test";
import assert from "node:assert/strict";
import { existsSync, readFileSync } from "node:fs";
import { pathToFileURL } from "node:url";
import { Core, type AmplixCore, type PodDevice } from "../src/core.js";
import { SimulatorKeeper, kKeepDelayMs, kSimulatorRecord, type KeptSimulator } from "../src/kept-simulator.js";
import { forgetKept } from "../src/keeping.js";
import { FakeClock, settle } from "./fakes.js";
import { MemoryStore } from "./store-fake.js";

// A device whose whole memory is one number, grown by each change.
class CountingDevice {
    state = 0;
    restored: (Uint8Array | null)[] = [];
    change(): void {
        ++this.state;
    }
    revision(): number {
        return this.state;
    }
    bankDump(): Uint8Array {
        return Uint8Array.of(0xf0, this.state & 0x7f, this.state >> 7, 0xf7);
    }
    editBufferDump(): Uint8Array {
        return Uint8Array.of(0xf0, 1, this.state & 0x7f, 0xf7);
    }
    restore(bank: Uint8Array | null, editBuffer: Uint8Array | null) {
        this.restored = [bank, editBuffer];
        this.state += 100;
        return { bankTaken: true, editBufferTaken: true, notice: "" };
    }
}

const text = (key: string, ...args: string[]) => [key, ...args].join("|");

function rig() {
    const clock = new FakeClock();
    const device = new CountingDevice();
    const store = new MemoryStore();
    const keeper = new SimulatorKeeper(device, store, text, clock);
    const notices: string[] = [];
    keeper.onNotice = (t) => notices.push(t);
    const touch = () => {
        device.change();
        keeper.touched();
    };
    const writtenStates = () => store.puts.map((p) => (p.value as KeptSimulator).bank[1]! + 128 * (p.value as KeptSimulator).bank[2]!);
    return { clock, device, store, keeper, notices, touch, writtenStates };
}

describe("keeping the simulator's memory", () => {
    // [case, change times in ms, the device's state in each write]
    const bursts: [string, number[], number[]][] = [
        ["one change is written once, a moment later", [0], [1]],
        ["a burst within the delay is one write of its last state", [0, 10, 20, 390], [4]],
        // A long drag is kept as it goes: a write each delay, the last with the final state.
        ["a 1 s drag, a controller each 30 ms", Array.from({ length: 34 }, (_, k) => 30 * k), [14, 28, 34]],
        ["two bursts apart are two writes", [0, 5, 2000, 2005], [2, 4]],
    ];
    for (const [name, times, states] of bursts)
        test(name, async () => {
            const { clock, touch, writtenStates, store } = rig();
            for (const at of times) {
                await clock.advance(at - clock.now());
                touch();
            }
            await clock.advance(3 * kKeepDelayMs);
            assert.deepEqual(writtenStates(), states);
            assert.ok(store.puts.every((p) => p.name === kSimulatorRecord));
        });

    test("nothing changed is nothing written, a touch without a change included", async () => {
        const { clock, keeper, store } = rig();
        keeper.touched();
        await keeper.flush();
        await clock.advance(2 * kKeepDelayMs);
        assert.equal(store.puts.length, 0);
        assert.equal(clock.pending, 0);
    });

    test("changes made while a write is under way follow it, never beside it", async () => {
        const { clock, touch, store, writtenStates } = rig();
        let release!: () => void;
        store.hold = new Promise((r) => (release = r));
        touch();
        await clock.advance(kKeepDelayMs);
        assert.equal(store.putsUnderWay, 1);
        touch();
        touch();
        await clock.advance(2 * kKeepDelayMs);
        assert.equal(store.putsUnderWay, 1);
        store.hold = null;
        release();
        await clock.advance(2 * kKeepDelayMs);
        assert.deepEqual(writtenStates(), [1, 3]);
        assert.equal(store.mostPutsUnderWay, 1);
    });

    test("a flush writes at once and leaves no write due", async () => {
        const { clock, touch, keeper, writtenStates } = rig();
        touch();
        touch();
        await keeper.flush();
        assert.deepEqual(writtenStates(), [2]);
        assert.equal(clock.pending, 0);
    });

    test("a store that refuses is said once, tried again at the next change, and said again after a success", async () => {
        const { clock, touch, store, notices, writtenStates } = rig();
        store.failPut = new Error("QuotaExceededError");
        for (let n = 0; n < 3; ++n) {
            touch();
            await clock.advance(kKeepDelayMs);
        }
        assert.deepEqual(notices, ["StatusSimulatorNotKept|QuotaExceededError"]);
        assert.equal(clock.pending, 0);
        store.failPut = null;
        touch();
        await clock.advance(kKeepDelayMs);
        assert.deepEqual(writtenStates(), [4]);
        store.failPut = new Error("gone");
        touch();
        await clock.advance(kKeepDelayMs);
        assert.deepEqual(notices, ["StatusSimulatorNotKept|QuotaExceededError", "StatusSimulatorNotKept|gone"]);
    });

    test("Forget clears every record, the other parts' too, resets, and writes nothing of the reset", async () => {
        const { clock, touch, store, keeper, device } = rig();
        store.records.set("bank", Uint8Array.of(1));
        store.records.set("files", [Uint8Array.of(2)]);
        touch();
        await keeper.flush();
        touch(); // due, but forgotten before it is written
        await forgetKept(store, [keeper.writer], () => {
            device.state = 1000;
            keeper.touched();
        });
        await clock.advance(3 * kKeepDelayMs);
        assert.equal(store.records.size, 0);
        assert.equal(store.puts.length, 1);
        touch();
        await clock.advance(kKeepDelayMs);
        assert.equal(store.puts.length, 2);
        assert.equal(store.records.size, 1);
    });

    test("Forget that the store refuses leaves the device and the record as they were", async () => {
        const { touch, store, keeper, device } = rig();
        touch();
        await keeper.flush();
        store.failClear = new Error("denied");
        let reset = false;
        await assert.rejects(forgetKept(store, [keeper.writer], () => (reset = true)), /denied/);
        assert.equal(reset, false);
        assert.equal(device.state, 1);
        assert.ok(store.records.has(kSimulatorRecord));
    });

    test("a record taken back is not written again until the device changes", async () => {
        const { clock, store, keeper, device } = rig();
        store.records.set(kSimulatorRecord, { bank: Uint8Array.of(1, 2), editBuffer: Uint8Array.of(3) });
        assert.equal(await keeper.restore(), "");
        assert.deepEqual(device.restored, [Uint8Array.of(1, 2), Uint8Array.of(3)]);
        keeper.touched();
        await clock.advance(2 * kKeepDelayMs);
        assert.equal(store.puts.length, 0);
    });

    test("each shape a kept record may have reaches the core as bytes, null or nothing", async () => {
        const empty = new Uint8Array(0);
        const cases: [string, unknown, (Uint8Array | null)[]][] = [
            ["a string", "garbage", [empty, empty]],
            ["null", null, [empty, empty]],
            ["a part missing", { bank: Uint8Array.of(1) }, [Uint8Array.of(1), null]],
            ["a part of another type", { bank: [1, 2, 3], editBuffer: "x" }, [empty, empty]],
        ];
        for (const [name, record, expected] of cases) {
            const { store, keeper, device } = rig();
            store.records.set(kSimulatorRecord, record);
            await keeper.restore();
            assert.deepEqual(device.restored, expected, name);
        }
    });
});

const dir = process.env.AMPLIX_WEB_DIR
    ? pathToFileURL(`${process.env.AMPLIX_WEB_DIR.replace(/\/$/, "")}/`)
    : new URL("../../web/", import.meta.url);
const built = existsSync(new URL("amplix-core.js", dir)) && existsSync(new URL("amplix-core.wasm", dir));
if (!built && process.env.AMPLIX_WEB_DIR)
    throw new Error(`no amplix-core.js and amplix-core.wasm in ${process.env.AMPLIX_WEB_DIR}`);
const skip = built ? false : "the core is not built (amplix-core.js beside the page)";
async function load(): Promise<AmplixCore> {
    const module = (await import(new URL("amplix-core.js", dir).href)) as { default: (o: object) => Promise<AmplixCore> };
    return module.default({ wasmBinary: readFileSync(new URL("amplix-core.wasm", dir)) });
}
const raw: AmplixCore | null = built ? await load() : null;

describe("the simulator's memory on the built core", { skip }, () => {
    const keeperOf = (device: PodDevice, store: MemoryStore, clock = new FakeClock()) => {
        const core = new Core(raw!);
        return new SimulatorKeeper(device, store, (key, ...args) => core.text(key, ...args), clock);
    };

    const factory = raw ? new raw.PodDevice().bankDump() : new Uint8Array(0);
    // [case, the record kept, the status line's notice]
    const refused: [string, unknown, string][] = [
        ["not a record at all", "garbage",
         "The simulator's bank kept by this browser: the file is empty; the simulator starts with its factory patches"],
        ["the bank without its edit buffer", { bank: factory.slice(), editBuffer: "x" },
         "The simulator's edit buffer kept by this browser: the file is empty; the simulator's edit buffer starts as patch 1A"],
    ];
    for (const [name, record, notice] of refused)
        test(`${name} leaves the factory patches and says why`, async () => {
            const store = new MemoryStore();
            store.records.set(kSimulatorRecord, record);
            const device = new raw!.PodDevice();
            device.receive(raw!.controlChange(0, 13, 5));
            assert.equal(await keeperOf(device, store).restore(), notice);
            assert.deepEqual(device.bankDump(), factory);
            assert.deepEqual(raw!.recordOfDump(device.editBufferDump()), raw!.bankRecord(factory, 0));
            device.delete();
        });

    test("a store that cannot be read leaves the factory patches and says why", async () => {
        const store = new MemoryStore();
        store.failGet = new Error("The operation failed for reasons unrelated to the database itself");
        const device = new raw!.PodDevice();
        assert.equal(await keeperOf(device, store).restore(),
            "The operation failed for reasons unrelated to the database itself; the simulator starts with its factory patches");
        assert.deepEqual(device.bankDump(), factory);
        device.delete();
    });
});
