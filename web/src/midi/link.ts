// The editor's MIDI link, shaped like the desktop's MIDI service: one input and one output open,
// short messages and paced SysEx out, every message in, and a device that goes away followed
// until it is back.
import type { Clock } from "../clock.js";
import { CableOutput, type Pacer } from "./cable.js";
import type { MidiBackend, PortInfo } from "./types.js";

export type OpenResult = "ok" | { which: "in" | "out"; error: "busy" | "missing" };

export interface LinkEvents {
    message(bytes: Uint8Array): void;
    // A port of the link went away; sends go nowhere until it is back.
    gone(name: string): void;
    // Both ports are there and open again.
    back(): void;
}

export class MidiLink {
    private cable: CableOutput | null = null;
    private closeInput: (() => void) | null = null;
    private inputPort: PortInfo | null = null;
    private outputPort: PortInfo | null = null;
    private reopening = false;
    private lastFreeAt = 0;
    private closed = true;

    constructor(
        private readonly backend: MidiBackend,
        private readonly pacer: Pacer,
        private readonly clock: Clock,
        private readonly events: LinkEvents,
    ) {
        backend.onStateChange = (port) => void this.follow(port);
    }

    get inputName(): string {
        return this.inputPort?.name ?? "";
    }
    get outputName(): string {
        return this.outputPort?.name ?? "";
    }
    get isOpen(): boolean {
        return this.cable !== null && this.closeInput !== null;
    }
    get isSimulator(): boolean {
        return this.outputPort !== null && this.backend.isSimulator(this.outputPort.id);
    }
    get ports(): { inputs: PortInfo[]; outputs: PortInfo[] } {
        return { inputs: this.backend.inputs(), outputs: this.backend.outputs() };
    }

    async open(inputId: string, outputId: string): Promise<OpenResult> {
        this.close();
        const input = this.backend.inputs().find((p) => p.id === inputId);
        const output = this.backend.outputs().find((p) => p.id === outputId);
        if (!output) return { which: "out", error: "missing" };
        if (!input) return { which: "in", error: "missing" };
        this.inputPort = input;
        this.outputPort = output;
        this.closed = false;
        const result = await this.openPorts();
        if (result !== "ok") this.close();
        return result;
    }

    close(): void {
        this.closed = true;
        this.dropPorts();
        this.inputPort = this.outputPort = null;
    }

    // Returns when the message's last byte is at the device; with the output gone, now.
    sendShort(bytes: Uint8Array): number {
        return this.cable ? this.cable.sendShort(bytes) : this.clock.now();
    }
    sendSysex(bytes: Uint8Array): number {
        if (!this.cable) throw new Error("no MIDI output open");
        return this.cable.sendSysex(bytes);
    }
    // Whether a long SysEx can go in pieces; if not, it goes whole and the browser's MIDI code
    // hands it on at once, which overruns a small interface's buffer.
    get sysexInPieces(): boolean {
        return this.cable !== null && !this.cable.takesWholeSysexOnly;
    }
    get cableFreeAt(): number {
        return this.cable?.cableFreeAt ?? this.clock.now();
    }

    private async openPorts(): Promise<OpenResult> {
        const output = await this.backend.openOutput(this.outputPort!.id);
        if ("error" in output) return { which: "out", error: output.error };
        const input = await this.backend.openInput(this.inputPort!.id, (bytes) => this.events.message(bytes));
        if ("error" in input) return { which: "in", error: input.error };
        // A cable that comes back starts where the old one stood: nothing is handed on early.
        const previous = this.lastFreeAt;
        this.cable = new CableOutput(output.port, this.pacer, this.clock, previous);
        this.closeInput = input.port;
        return "ok";
    }

    private dropPorts(): void {
        this.closeInput?.();
        this.closeInput = null;
        this.lastFreeAt = this.cable?.cableFreeAt ?? this.lastFreeAt;
        this.cable = null;
    }

    // The same device by its id, else by its name (a device plugged in again may get a new id).
    private matches(mine: PortInfo | null, port: PortInfo): boolean {
        return mine !== null && (mine.id === port.id || mine.name === port.name);
    }

    private async follow(port: PortInfo): Promise<void> {
        if (this.closed) return;
        const ours = this.matches(this.inputPort, port) || this.matches(this.outputPort, port);
        if (!ours) return;
        if (!port.connected) {
            if (this.isOpen) {
                this.dropPorts();
                this.events.gone(port.name);
            }
            return;
        }
        if (this.isOpen || this.reopening) return;
        const inputs = this.backend.inputs(), outputs = this.backend.outputs();
        const input = inputs.find((p) => p.connected && this.matches(this.inputPort, p));
        const output = outputs.find((p) => p.connected && this.matches(this.outputPort, p));
        if (!input || !output) return;
        this.inputPort = input;
        this.outputPort = output;
        this.reopening = true;
        try {
            if ((await this.openPorts()) === "ok" && !this.closed) this.events.back();
            else this.dropPorts();
        } finally {
            this.reopening = false;
        }
    }
}
