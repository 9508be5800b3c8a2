// The built-in POD: the core's device model behind one input and one output, answering after its
// reply has had its time on the cable, as a device at the end of a real cable does.
import type { Clock } from "../clock.js";
import type { MessageJoiner, PodDevice } from "../core.js";
import type { InputHandler, MidiBackend, OpenOutcome, PortInfo, RawOutput } from "./types.js";

export const kSimulatorPortId = "simulator";

export class SimulatorBackend implements MidiBackend {
    onStateChange: ((port: PortInfo) => void) | null = null;
    readonly device: PodDevice;
    private handler: InputHandler | null = null;
    // The core's input parser, so the device reads what the desktop's would: a SysEx in pieces
    // whole, nothing of one broken off.
    private readonly joiner: MessageJoiner;
    // When the device's own cable back to the page is free again.
    private replyFreeAt = 0;
    // When the cable to the device has carried everything handed to it.
    private arrivalFreeAt = 0;
    // Every message the device has taken, for the tests' view of the wire.
    readonly received: Uint8Array[] = [];
    // Told after anything that may have changed the device's memory, so it can be kept.
    onDeviceTouched: (() => void) | null = null;
    private readonly toDevice: CableQueue;
    private readonly toPage: CableQueue;

    constructor(
        private readonly name: string,
        makeDevice: () => PodDevice,
        makeJoiner: () => MessageJoiner,
        private readonly cableTimeMs: (bytes: number) => number,
        private readonly clock: Clock,
    ) {
        this.device = makeDevice();
        this.joiner = makeJoiner();
        this.toDevice = new CableQueue(clock, (bytes, at) => this.arrive(bytes, at));
        this.toPage = new CableQueue(clock, (bytes) => this.handler?.(bytes));
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
        this.operate((device) => device.turnControl(controller, value));
    }
    choosePatch(program: number): void {
        this.operate((device) => device.choosePatch(program));
    }
    // Anything done to the device itself (a knob, a reset); what it says goes to the page.
    operate(action: (device: PodDevice) => Uint8Array): void {
        this.reply(action(this.device), this.clock.now());
        this.onDeviceTouched?.();
    }

    // Both cables keep their order: what is handed on first arrives first, whatever order the
    // browser's timers fire in (it may run a short late timer before a long early one).
    private carryToDevice(bytes: Uint8Array, at?: number): void {
        this.arrivalFreeAt = Math.max(this.arrivalFreeAt, at ?? this.clock.now()) + this.cableTimeMs(bytes.length);
        this.toDevice.push(this.arrivalFreeAt, Uint8Array.from(bytes));
    }

    private arrive(bytes: Uint8Array, at: number): void {
        for (const message of this.joiner.feed(bytes)) {
            this.received.push(message);
            for (const answer of this.device.receive(message)) this.reply(answer, at);
        }
        this.onDeviceTouched?.();
    }

    private reply(message: Uint8Array, from: number): void {
        if (!message.length) return;
        this.replyFreeAt = Math.max(this.replyFreeAt, from) + this.cableTimeMs(message.length);
        this.toPage.push(this.replyFreeAt, Uint8Array.from(message));
    }
}

// Messages due at rising times, handed on in that order by one timer at a time.
class CableQueue {
    private readonly items: { at: number; bytes: Uint8Array }[] = [];
    private cancel: (() => void) | null = null;
    private dueAt = Infinity;

    constructor(
        private readonly clock: Clock,
        private readonly deliver: (bytes: Uint8Array, at: number) => void,
    ) {}

    push(at: number, bytes: Uint8Array): void {
        this.items.push({ at, bytes });
        this.schedule();
    }

    private schedule(): void {
        const head = this.items[0];
        if (!head || head.at >= this.dueAt) return;
        this.cancel?.();
        this.dueAt = head.at;
        this.cancel = this.clock.after(head.at - this.clock.now(), () => this.drain());
    }

    private drain(): void {
        this.cancel = null;
        this.dueAt = Infinity;
        const now = this.clock.now();
        while (this.items.length && this.items[0]!.at <= now + 0.5) {
            const item = this.items.shift()!;
            this.deliver(item.bytes, item.at);
        }
        this.schedule();
    }
}
