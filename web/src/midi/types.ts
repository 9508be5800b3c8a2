// The MIDI ports as the page sees them, whatever carries them: Web MIDI or the built-in simulator.
export interface PortInfo {
    id: string;
    name: string;
    connected: boolean;
}

// An output as the browser has it: bytes handed on now, or at a time of the caller's clock.
export interface RawOutput {
    send(bytes: Uint8Array, at?: number): void;
    // Web MIDI in Chromium refuses a SysEx that does not end in the send() that begins it.
    readonly wholeSysexOnly?: boolean;
}

export type InputHandler = (bytes: Uint8Array) => void;
export type OpenOutcome<T> = { port: T } | { error: "busy" | "missing" };

export interface MidiBackend {
    inputs(): PortInfo[];
    outputs(): PortInfo[];
    openOutput(id: string): Promise<OpenOutcome<RawOutput>>;
    // Every message of the input goes to the handler until the returned close is called.
    openInput(id: string, handler: InputHandler): Promise<OpenOutcome<() => void>>;
    // A port came, went or changed; the lists say what is there now.
    onStateChange: ((port: PortInfo) => void) | null;
    isSimulator(id: string): boolean;
}
