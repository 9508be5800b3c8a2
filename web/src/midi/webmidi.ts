// Web MIDI as a MIDI backend, and the list that puts the built-in simulator after its ports.
import type { InputHandler, MidiBackend, OpenOutcome, PortInfo, RawOutput } from "./types.js";

function info(port: MIDIPort): PortInfo {
    return { id: port.id, name: port.name ?? port.id, connected: port.state === "connected" };
}

export class WebMidiBackend implements MidiBackend {
    onStateChange: ((port: PortInfo) => void) | null = null;

    constructor(private readonly access: MIDIAccess) {
        access.addEventListener("statechange", (event) => {
            const port = (event as MIDIConnectionEvent).port;
            if (port) this.onStateChange?.(info(port));
        });
    }

    inputs(): PortInfo[] {
        return [...this.access.inputs.values()].map(info);
    }
    outputs(): PortInfo[] {
        return [...this.access.outputs.values()].map(info);
    }
    isSimulator(): boolean {
        return false;
    }

    async openOutput(id: string): Promise<OpenOutcome<RawOutput>> {
        const output = this.access.outputs.get(id);
        if (!output || output.state !== "connected") return { error: "missing" };
        try {
            await output.open();
        } catch {
            return { error: "busy" }; // another program holds it (Windows' drivers take one user)
        }
        return {
            port: {
                send: (bytes, at) => (at === undefined ? output.send(bytes) : output.send(bytes, at)),
                wholeSysexOnly: true,
            },
        };
    }

    async openInput(id: string, handler: InputHandler): Promise<OpenOutcome<() => void>> {
        const input = this.access.inputs.get(id);
        if (!input || input.state !== "connected") return { error: "missing" };
        try {
            await input.open();
        } catch {
            return { error: "busy" };
        }
        const listener = (event: Event) => {
            const data = (event as MIDIMessageEvent).data;
            if (data) handler(data);
        };
        input.addEventListener("midimessage", listener);
        return { port: () => input.removeEventListener("midimessage", listener) };
    }
}

// Several backends as one: their ports in order, each id marked with its backend.
export class CombinedBackend implements MidiBackend {
    onStateChange: ((port: PortInfo) => void) | null = null;

    constructor(private readonly parts: MidiBackend[]) {
        parts.forEach((part, n) => {
            part.onStateChange = (port) => this.onStateChange?.({ ...port, id: `${n}/${port.id}` });
        });
    }

    private route(id: string): [MidiBackend, string] | null {
        const slash = id.indexOf("/");
        const part = this.parts[Number(id.slice(0, slash))];
        return part && slash > 0 ? [part, id.slice(slash + 1)] : null;
    }
    private list(which: (part: MidiBackend) => PortInfo[]): PortInfo[] {
        return this.parts.flatMap((part, n) => which(part).map((port) => ({ ...port, id: `${n}/${port.id}` })));
    }
    inputs(): PortInfo[] {
        return this.list((part) => part.inputs());
    }
    outputs(): PortInfo[] {
        return this.list((part) => part.outputs());
    }
    isSimulator(id: string): boolean {
        const routed = this.route(id);
        return routed ? routed[0].isSimulator(routed[1]) : false;
    }
    async openOutput(id: string): Promise<OpenOutcome<RawOutput>> {
        const routed = this.route(id);
        return routed ? routed[0].openOutput(routed[1]) : { error: "missing" };
    }
    async openInput(id: string, handler: InputHandler): Promise<OpenOutcome<() => void>> {
        const routed = this.route(id);
        return routed ? routed[0].openInput(routed[1], handler) : { error: "missing" };
    }
}
