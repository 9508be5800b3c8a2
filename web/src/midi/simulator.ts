// The built-in POD: the core's device model behind one input and one output, answering after its
// reply has had its time on the cable, as a device at the end of a real cable does.
import type { Clock } from "../clock.js";
import type { PodDevice } from "../core.js";
import type { InputHandler, MidiBackend, OpenOutcome, PortInfo, RawOutput } from "./types.js";

export const kSimulatorPortId = "simulator";

const kSysexStart = 0xf0;
const kSysexEnd = 0xf7;

// Pieces of a SysEx handed on one after another, joined into the message the device reads.
export class MessageJoiner {
    private pending: number[] | null = null;

    push(bytes: Uint8Array): Uint8Array[] {
        const whole: Uint8Array[] = [];
        if (this.pending === null && bytes[0] !== kSysexStart) {
            whole.push(bytes);
            return whole;
        }
        for (const byte of bytes) {
            if (byte === kSysexStart) this.pending = [];
            if (this.pending === null) continue; // stray bytes between messages
            this.pending.push(byte);
            if (byte === kSysexEnd) {
                whole.push(Uint8Array.from(this.pending));
                this.pending = null;
            }
        }
        return whole;
    }
}

export class SimulatorBackend implements MidiBackend {
    onStateChange: ((port: PortInfo) => void) | null = null;
    readonly device: PodDevice;
    private handler: InputHandler | null = null;
    private readonly joiner = new MessageJoiner();
    // When the device's own cable back to the page is free again.
    private replyFreeAt = 0;
    // When the cable to the device has carried everything handed to it.
    private arrivalFreeAt = 0;
    // Every message the device has taken, for the tests' view of the wire.
    readonly received: Uint8Array[] = [];

    constructor(
        private readonly name: string,
        makeDevice: () => PodDevice,
        private readonly cableTimeMs: (bytes: number) => number,
        private readonly clock: Clock,
    ) {
        this.device = makeDevice();
    }

    private port(): PortInfo {
        return { id: kSimulatorPortId, name: this.name, connected: true };
    }
    inputs(): PortInfo[] {
        return [this.port()];
    }
    outputs(): PortInfo[] {
        return [this.port()];
    }
    isSimulator(id: string): boolean {
        return id === kSimulatorPortId;
    }

    async openOutput(id: string): Promise<OpenOutcome<RawOutput>> {
        if (id !== kSimulatorPortId) return { error: "missing" };
        return { port: { send: (bytes, at) => this.carryToDevice(bytes, at) } };
    }

    async openInput(id: string, handler: InputHandler): Promise<OpenOutcome<() => void>> {
        if (id !== kSimulatorPortId) return { error: "missing" };
        this.handler = handler;
        return {
            port: () => {
                if (this.handler === handler) this.handler = null;
            },
        };
    }

    // What the user does on the device itself: a knob turned, a patch chosen.
    turnKnob(controller: number, value: number): void {
        this.reply(this.device.turnControl(controller, value), this.clock.now());
    }
    choosePatch(program: number): void {
        this.reply(this.device.choosePatch(program), this.clock.now());
    }

    private carryToDevice(bytes: Uint8Array, at?: number): void {
        const now = this.clock.now();
        const copy = Uint8Array.from(bytes);
        this.arrivalFreeAt = Math.max(this.arrivalFreeAt, at ?? now) + this.cableTimeMs(copy.length);
        const arrival = this.arrivalFreeAt;
        this.clock.after(arrival - now, () => {
            for (const message of this.joiner.push(copy)) {
                this.received.push(message);
                for (const answer of this.device.receive(message)) this.reply(answer, arrival);
            }
        });
    }

    private reply(message: Uint8Array, from: number): void {
        if (!message.length) return;
        const copy = Uint8Array.from(message);
        this.replyFreeAt = Math.max(this.replyFreeAt, from) + this.cableTimeMs(copy.length);
        this.clock.after(this.replyFreeAt - this.clock.now(), () => this.handler?.(copy));
    }
}
