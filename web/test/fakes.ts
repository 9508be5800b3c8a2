// Test doubles: a clock turned by hand, ports that record what they carry, and a small core with
// a few rows of each kind, so the page's logic is tested without the built module.
import type { Clock } from "../src/clock.js";
import type { AmplixCore, EffectRow, PacedSend, PanelLayout, PodDevice, ToneParameter } from "../src/core.js";
import type { InputHandler, MidiBackend, OpenOutcome, PortInfo, RawOutput } from "../src/midi/types.js";

export class FakeClock implements Clock {
    t = 0;
    private seq = 0;
    private timers: { at: number; seq: number; fn: () => void }[] = [];

    now(): number {
        return this.t;
    }
    after(ms: number, fn: () => void): () => void {
        const timer = { at: this.t + Math.max(0, ms), seq: this.seq++, fn };
        this.timers.push(timer);
        return () => {
            this.timers = this.timers.filter((t) => t !== timer);
        };
    }
    get pending(): number {
        return this.timers.length;
    }
    // Runs every timer due up to now + ms in time order, letting promises settle between them.
    async advance(ms: number): Promise<void> {
        const until = this.t + ms;
        for (;;) {
            await settle();
            this.timers.sort((a, b) => a.at - b.at || a.seq - b.seq);
            const next = this.timers[0];
            if (!next || next.at > until) break;
            this.timers.shift();
            this.t = Math.max(this.t, next.at);
            next.fn();
        }
        this.t = until;
        await settle();
    }
}

export async function settle(): Promise<void> {
    for (let i = 0; i < 20; ++i) await Promise.resolve();
}

export const kPieceSize = 256;
export const kByteMs = 0.32;

// The cable as the core paces it: pieces of 256 bytes, each when the cable has carried the last.
export const fakePacer = {
    cableTimeMs: (bytes: number) => bytes * kByteMs,
    pacedSend(message: Uint8Array, now: number, cableFreeAt: number): PacedSend {
        const pieces = [];
        let free = cableFreeAt;
        for (let at = 0; at < message.length; at += kPieceSize) {
            const bytes = message.slice(at, at + kPieceSize);
            const handAt = Math.max(now, free);
            pieces.push({ bytes, at: handAt });
            free = handAt + bytes.length * kByteMs;
        }
        return { pieces, doneAt: free };
    },
};

export interface Sent {
    bytes: number[];
    at: number | undefined;
}

export class RecordingOutput implements RawOutput {
    readonly sent: Sent[] = [];
    // Chromium's rule, when set: a SysEx must end in the send that begins it.
    wholeSysexOnly = false;
    send(bytes: Uint8Array, at?: number): void {
        if (this.wholeSysexOnly && bytes[0] === 0xf0 && bytes[bytes.length - 1] !== 0xf7)
            throw new TypeError("System exclusive message is not ended by end of system exclusive byte.");
        this.sent.push({ bytes: [...bytes], at });
    }
}

// A MIDI system of named ports; each output may lead to a device that answers.
export class FakeBackend implements MidiBackend {
    onStateChange: ((port: PortInfo) => void) | null = null;
    inputsList: PortInfo[] = [];
    outputsList: PortInfo[] = [];
    busy = new Set<string>();
    simulatorIds = new Set<string>();
    handlers = new Map<string, Set<InputHandler>>();
    // What an output's device does with a message: answers on inputs, after ms.
    devices = new Map<string, (bytes: Uint8Array) => { input: string; bytes: Uint8Array; ms: number }[]>();
    outputs_ = new Map<string, RecordingOutput>();

    constructor(private readonly clock: FakeClock) {}

    inputs(): PortInfo[] {
        return this.inputsList.map((p) => ({ ...p }));
    }
    outputs(): PortInfo[] {
        return this.outputsList.map((p) => ({ ...p }));
    }
    isSimulator(id: string): boolean {
        return this.simulatorIds.has(id);
    }
    async openOutput(id: string): Promise<OpenOutcome<RawOutput>> {
        const port = this.outputsList.find((p) => p.id === id);
        if (!port || !port.connected) return { error: "missing" };
        if (this.busy.has(id)) return { error: "busy" };
        const recording = this.outputs_.get(id) ?? new RecordingOutput();
        this.outputs_.set(id, recording);
        return {
            port: {
                send: (bytes, at) => {
                    recording.send(bytes, at);
                    const device = this.devices.get(id);
                    if (!device) return;
                    const delay = (at ?? this.clock.now()) - this.clock.now() + bytes.length * kByteMs;
                    for (const answer of device(bytes))
                        this.clock.after(delay + answer.ms, () => this.deliver(answer.input, answer.bytes));
                },
            },
        };
    }
    async openInput(id: string, handler: InputHandler): Promise<OpenOutcome<() => void>> {
        const port = this.inputsList.find((p) => p.id === id);
        if (!port || !port.connected) return { error: "missing" };
        const set = this.handlers.get(id) ?? new Set();
        set.add(handler);
        this.handlers.set(id, set);
        return { port: () => set.delete(handler) };
    }
    deliver(input: string, bytes: Uint8Array): void {
        for (const h of this.handlers.get(input) ?? []) h(bytes);
    }
    listening(input: string): number {
        return this.handlers.get(input)?.size ?? 0;
    }
    setConnected(id: string, connected: boolean): void {
        for (const list of [this.inputsList, this.outputsList])
            for (const p of list) if (p.id === id) p.connected = connected;
        const port = [...this.inputsList, ...this.outputsList].find((p) => p.id === id);
        if (port) this.onStateChange?.({ ...port });
    }
}

// ---- A small core. ----

export const kRequest = Uint8Array.of(0xf0, 0x00, 0x01, 0x0c, 0x01, 0x00, 0x01, 0xf7);
export const kBankRequest = Uint8Array.of(0xf0, 0x00, 0x01, 0x0c, 0x01, 0x00, 0x02, 0xf7);

// A single-patch dump: 151 bytes, F0 ... F7, byte 6 = 1 marks it; bytes 8.. hold a name and values.
export function fakeDump(name: string, values: Record<number, number> = {}): Uint8Array {
    const dump = new Uint8Array(151);
    dump[0] = 0xf0;
    dump[6] = 0x01;
    dump[150] = 0xf7;
    for (let i = 0; i < 16; ++i) dump[8 + i] = name.charCodeAt(i) || 0x20;
    for (const [controller, value] of Object.entries(values)) dump[30 + Number(controller)] = value;
    return dump;
}
export function fakeBank(): Uint8Array {
    const bank = new Uint8Array(5121);
    bank[0] = 0xf0;
    bank[6] = 0x02;
    bank[5120] = 0xf7;
    return bank;
}
export function inquiryReply(channel: number): Uint8Array {
    return Uint8Array.of(0xf0, 0x7e, channel, 0x06, 0x02, 0x00, 0x01, 0x0c, 0xf7);
}

type Row = Partial<ToneParameter> & Pick<ToneParameter, "controller" | "member">;
const rows: Row[] = [
    { controller: 13, member: "Drive", label: "Drive", kind: "ReversedSlider", receive: "Reversed", extra: "PairedDrive2", initial: 64 },
    { controller: 20, member: "Drive2", label: "Drive2", kind: "ReversedSlider", receive: "Reversed", initial: 64 },
    { controller: 12, member: "AmpModel", label: "Amp Model", window: "Frame", kind: "IndexedList", receive: "AmpModel", initial: -1,
      entries: ["Tube Preamp", "Line 6 Clean", "Line 6 Crunch", "Line 6 Drive", "Line 6 Layer", "Small Tweed"] },
    { controller: 19, member: "EffectSel", label: "Effects", kind: "MappedList", receive: "EffectType", initial: -1,
      entries: ["Chorus", "Rotary", "Delay"] },
    { controller: 26, member: "DriveBoost", label: "Vol Boost", kind: "Switch", receive: "Switch", initial: 0 },
    { controller: 50, member: "TremChor", label: "Trem/Chorus", kind: "Switch", receive: "Switch", initial: 0 },
    { controller: 28, member: "Delay", label: "Delay", window: "Delay", kind: "Switch", receive: "Switch", initial: 0 },
    { controller: 18, member: "ReverbLevel", label: "Reverb", window: "Reverb", kind: "ReversedSlider", receive: "Reversed",
      extra: "ChecksReverb", initial: 127, focusOnReceive: true },
    { controller: 36, member: "Reverb", label: "Reverb", window: "Reverb", kind: "Switch", receive: "Switch", initial: 0 },
    { controller: 51, member: "ChFeedback", label: "Feedback", window: "Chorus", kind: "DirectSlider", receive: "Direct",
      extra: "FeedbackLabel", initial: 64 },
    { controller: 30, member: "DelayTime", label: "Delay Time", window: "Delay", kind: "DelayTime", receive: "Ignored",
      extra: "DelayTimeLabel", initial: 0, maximum: 3150, secondController: 62 },
    { controller: 56, member: "RotaryMax", label: "Fast", window: "Rotary", kind: "DirectSlider", receive: "Direct",
      extra: "FastNotAboveSlow", initial: 20 },
    { controller: 57, member: "RotaryMin", label: "Slow", window: "Rotary", kind: "DirectSlider", receive: "Direct",
      extra: "FastNotAboveSlow", initial: 100 },
    { controller: 1, member: "RotaryDepth", label: "Depth", window: "Rotary", kind: "ReversedSlider", receive: "RotaryDepth",
      extra: "ChecksTremChor", initial: 64 },
    { controller: 64, member: "", label: "", kind: "None", receive: "TapTempo", initial: 0 },
];
export const fakeToneMap: ToneParameter[] = rows.map((r) => ({
    label: r.member, window: "Frame", kind: "DirectSlider", receive: "Direct", focusOnReceive: false, extra: "None",
    initial: 0, secondController: 0, entries: [], maximum: r.entries ? r.entries.length - 1 : 127, ...r,
} as ToneParameter));

export const fakeEffects: EffectRow[] = [
    { index: 0, code: 8, delay: false, tremChor: true, window: "Chorus" },
    { index: 1, code: 2, delay: false, tremChor: true, window: "Rotary" },
    { index: 2, code: 5, delay: true, tremChor: false, window: "Frame" },
];

export const fakeTexts: Record<string, string> = {
    AppName: "Amplix 32",
    ButtonOk: "OK",
    ButtonCancel: "Cancel",
    StatusNotConnected: "Not connected (Options, Midi Setup)",
    StatusPatchRead: "Patch read",
    StatusBankRead: "Bank read",
    StatusNoAnswer: "No answer from the POD: check both MIDI cables",
    StatusUnrecognised: "Unrecognised answer on the MIDI input",
    StatusSendFailed: "Sending to the POD failed",
    StatusPatchSent: "Patch sent to the POD",
    StatusBankSent: "Bank sent to the POD",
    StatusPatchRenamed: "Patch renamed",
    StatusStored: "Stored to %1",
    StatusNotStored: "Not stored: no location was chosen",
    StatusPatchSaved: "Patch saved to %1",
    StatusBankSaved: "Bank saved to %1",
    StatusReadingBank: "Reading the bank from the POD",
    StatusSendingBank: "Sending the bank to the POD",
    SysexSendFailed: "Failed to send sysex message!",
    MessageCaption: "Error",
    MidiErrorCaption: "Error!",
    SaveAllName: "POD bank",
    SimulatorName: "Amplix POD Simulator",
    AmpModelLinked: "Amp Model: (Linked)",
    AmpModelUnlinked: "Amp Model: (Unlinked)",
    StatusDeviceGone: "%1 is not connected.",
    StatusDeviceBack: "%1 is back.",
    StatusPageError: "Something went wrong in the page: %1",
};

export const fakeTiming = {
    editBufferTimeoutMs: 1000, bankTimeoutMs: 8000, tapTempoDelayMs: 1000, rotaryDepthReadDelayMs: 800,
    findAnswerMs: 300, findInquiryMs: 100, progressDelayMs: 500,
};

const labels = ["1A", "1B", "1C", "1D", "2A", "2B", "2C", "2D", "3A"];
const decodeName = (dump: Uint8Array) => String.fromCharCode(...dump.slice(8, 24));

export function fakeRawCore(): AmplixCore {
    const byController = new Map(fakeToneMap.map((p) => [p.controller, p]));
    const core = {
        toneMap: () => fakeToneMap,
        texts: () => fakeTexts,
        effectForIndex: (i: number) => fakeEffects[i] ?? null,
        locationLabel: (n: number) => labels[n] ?? "?",
        programTitle: (p: number) => (p === 0 ? "Manual Mode" : `Patch ${labels[p - 1]}`),
        lastProgram: () => 9,
        timing: () => ({ ...fakeTiming }),
        sizes: () => ({ record: 71, singleDump: 151, bankDump: 5121, storeMessage: 152, midiChannels: 16, answersOfOmni: 2 }),
        podLayerAmpModel: () => 4,
        guitarPortChoices: () => ({ compressor: 0, modulation: 1 }),
        connectionSummary: (input: string, output: string, channel: number) =>
            `POD on ${input === output ? input : `${input} / ${output}`}, channel ${channel + 1}`,
        bankListing: (bank: Uint8Array) =>
            Array.from({ length: 9 }, (_, n) => `${labels[n]}  ${String.fromCharCode(...bank.slice(8 + 71 * n, 24 + 71 * n))}`),
        withControl: (dump: Uint8Array, member: string, state: number) => {
            if (dump.length !== 151) return null;
            const copy = dump.slice();
            const p = fakeToneMap.find((r) => r.member === member)!;
            copy[30 + p.controller] = state;
            return copy;
        },
        bankStoreMessages: (bank: Uint8Array) => {
            if (bank.length !== 5121) return null;
            return Array.from({ length: 9 }, (_, n) => {
                const dump = fakeDump("");
                dump.set(bank.slice(8 + 71 * n, 79 + 71 * n), 8);
                dump[7] = bank[7]!;
                return core.storeMessage(dump, n);
            });
        },
        PodDevice: class {
            bankDump() { return new Uint8Array(5121); }
            delete() {}
        },
        controllerMessages: (member: string, state: number) => {
            const p = fakeToneMap.find((r) => r.member === member)!;
            if (p.kind === "ReversedSlider") return [{ controller: p.controller, value: 127 - state }];
            if (p.kind === "Switch") return [{ controller: p.controller, value: state ? 127 : 0 }];
            if (state < 0) return [];
            return [{ controller: p.controller, value: state }];
        },
        valueText: (_m: string, s: number) => String(s),
        labelledValueText: (m: string, s: number) => `${m}: ${s}`,
        positionForValue: (member: string, value: number) =>
            fakeToneMap.find((r) => r.member === member)!.kind === "ReversedSlider" ? 127 - value : value,
        receivedState: (controller: number, value: number) => {
            const p = byController.get(controller);
            if (!p) return null;
            switch (p.receive) {
                case "Reversed": return 127 - value;
                case "Direct": return value;
                case "Switch": return value >= 64 ? 1 : 0;
                default: return null;
            }
        },
        chorusFeedbackLabel: (position: number) => (position < 64 ? "Feedback(-)" : position > 64 ? "Feedback(+)" : "Feedback(0)"),
        delayTimeLabel: (ms: number) => `Delay Time:  ${ms} mS`,
        classifyDump: (m: Uint8Array) =>
            m[0] === 0xf0 && m[6] === 1 && m.length === 151 ? "SinglePatch" : m[0] === 0xf0 && m[6] === 2 && m.length === 5121 ? "Bank" : "Other",
        decodeDump: (dump: Uint8Array) => {
            if (dump.length !== 151) return null;
            return {
                name: decodeName(dump),
                effectCode: dump[30 + 19] ?? 0,
                effectIndex: 0,
                controls: [
                    { member: "Drive", value: dump[30 + 13]!, state: 127 - dump[30 + 13]! },
                    { member: "AmpModel", value: dump[30 + 12]!, state: dump[30 + 12]! },
                    { member: "DelayTime", value: 1250, state: 1250 },
                ],
            };
        },
        recordOfDump: (dump: Uint8Array) => dump.slice(8, 79),
        bankRecord: (bank: Uint8Array, n: number) => (bank.length === 5121 ? bank.slice(8 + 71 * n, 79 + 71 * n) : null),
        applyController: (record: Uint8Array, controller: number, value: number) => {
            const copy = record.slice();
            copy[22 + controller] = value;
            return copy;
        },
        singleDump: (record: Uint8Array, byte7: number) => {
            const dump = fakeDump("");
            dump.set(record, 8);
            dump[7] = byte7;
            return dump;
        },
        storeMessage: (dump: Uint8Array, location: number) => {
            const store = new Uint8Array(152);
            store[0] = 0xf0;
            store[6] = 0x03;
            store[7] = location;
            store.set(dump.slice(8, 150), 8);
            store[151] = 0xf7;
            return store;
        },
        dumpName: decodeName,
        renameDump: (dump: Uint8Array, name: string) => {
            const copy = dump.slice();
            for (let i = 0; i < 16; ++i) copy[8 + i] = name.charCodeAt(i) || 0x20;
            return copy;
        },
        editBufferRequest: () => kRequest,
        bankRequest: () => kBankRequest,
        programChange: (channel: number, program: number) => Uint8Array.of(0xc0 | channel, program),
        controlChange: (channel: number, controller: number, value: number) => Uint8Array.of(0xb0 | channel, controller, value),
        statusBytes: () => ({ sysexStart: 0xf0, sysexEnd: 0xf7, controlChange: 0xb0, programChange: 0xc0 }),
        fileNameForPatch: (name: string) => name.trim().replace(/[^A-Za-z0-9 ]/g, ""),
        acceptsName: (name: string) => name.length <= 16,
        noEffectChoice: () => 3,
        deviceInquiry: (channel: number) => Uint8Array.of(0xf0, 0x7e, channel, 0x06, 0x01, 0xf7),
        readInquiryReply: (m: Uint8Array) =>
            m.length === 9 && m[1] === 0x7e && m[3] === 0x06 && m[4] === 0x02 ? { channel: m[2]!, member: 0, revision: "1.00" } : null,
        describeSearch: () => "",
        ...fakePacer,
    };
    return core as unknown as AmplixCore;
}

// A device model that answers the requests with fixed dumps and echoes program changes.
export function fakeDevice(): PodDevice & { taken: Uint8Array[] } {
    let program = 0;
    let channel = 0;
    const taken: Uint8Array[] = [];
    return {
        taken,
        receive(message: Uint8Array) {
            taken.push(message);
            if (message[0] === 0xf0 && message[6] === 0x01) return [fakeDump("EDIT BUFFER")];
            if ((message[0]! & 0xf0) === 0xc0) {
                program = message[1]!;
                return [message];
            }
            return [];
        },
        choosePatch: (p: number) => {
            program = p;
            return Uint8Array.of(0xc0 | channel, p);
        },
        turnControl: (controller: number, value: number) => Uint8Array.of(0xb0 | channel, controller, value),
        editBufferDump: () => fakeDump("EDIT BUFFER"),
        bankDump: () => fakeBank(),
        currentProgram: () => program,
        channel: () => channel,
        setChannel: (c: number) => {
            channel = c;
            return true;
        },
        delete: () => undefined,
    };
}

export const fakeLayout: PanelLayout = {
    width: 700,
    height: 515,
    windows: [
        { window: "Frame", x: 0, y: 0, w: 700, h: 515 },
        { window: "Reverb", x: 420, y: 0, w: 280, h: 165 },
        { window: "Delay", x: 420, y: 330, w: 280, h: 135 },
    ],
    items: [
        { window: "Frame", kind: "VerticalSlider", name: "Drive", member: "Drive", x: 20, y: 30, w: 32, h: 136, text: "" },
        { window: "Frame", kind: "Static", name: "StaticDrive", member: "", x: 20, y: 10, w: 55, h: 17, text: "Drive" },
        { window: "Frame", kind: "DropDown", name: "AmpModel", member: "AmpModel", x: 20, y: 220, w: 150, h: 150, text: "" },
        { window: "Frame", kind: "CheckBox", name: "DriveBoost", member: "DriveBoost", x: 125, y: 170, w: 90, h: 25, text: "Vol Boost" },
        { window: "Delay", kind: "HorizontalSlider", name: "DelayTime", member: "DelayTime", x: 72, y: 30, w: 188, h: 32, text: "" },
    ],
};

// ---- The librarian, thinly: nine locations, records of 71 bytes, the name in the first 16. ----

export const kLocations = 9;
const kRecord = 71;
const equalBytes = (a: Uint8Array, b: Uint8Array) => a.length === b.length && a.every((v, i) => v === b[i]);

// A record named name; byte 34 holds the amp model, byte 41 the effect's code.
export function fakeRecord(name: string, ampModel = 0, effectCode = 8): Uint8Array {
    const record = new Uint8Array(kRecord);
    for (let i = 0; i < 16; ++i) record[i] = name.charCodeAt(i) || 0x20;
    record[34] = ampModel;
    record[41] = effectCode;
    return record;
}
// A bank dump of the fake's nine locations, byte 7 as given.
export function fakeNamedBank(names: string[], byte7 = 0): Uint8Array {
    const bank = fakeBank();
    bank[7] = byte7;
    names.forEach((name, n) => bank.set(fakeRecord(name, n % 6), 8 + kRecord * n));
    return bank;
}

type Step = { text: string; before: Uint8Array[]; after: Uint8Array[] };

export class FakePatchLibrary {
    private shown: Uint8Array[] = [];
    private device: Uint8Array[] = [];
    private known: boolean[] = [];
    private conflictOf = new Map<number, string>();
    private undone: Step[] = [];
    private done: Step[] = [];
    private isLoaded = false;

    load(records: Uint8Array, onDevice: boolean): boolean {
        if (records.length !== kRecord * kLocations) return false;
        this.shown = Array.from({ length: kLocations }, (_, n) => records.slice(kRecord * n, kRecord * (n + 1)));
        this.device = this.shown.map((r) => r.slice());
        this.known = this.shown.map(() => onDevice);
        this.done = [];
        this.undone = [];
        this.conflictOf.clear();
        this.isLoaded = true;
        return true;
    }
    loaded(): boolean {
        return this.isLoaded;
    }
    record(n: number): Uint8Array | null {
        return this.shown[n]?.slice() ?? null;
    }
    deviceRecord(n: number): Uint8Array | null {
        return this.device[n]?.slice() ?? null;
    }
    records(): Uint8Array {
        const out = new Uint8Array(kRecord * kLocations);
        this.shown.forEach((r, n) => out.set(r, kRecord * n));
        return out;
    }
    name(n: number): string | null {
        const r = this.shown[n];
        return r ? String.fromCharCode(...r.slice(0, 16)) : null;
    }
    changed(n: number): boolean {
        return !!this.shown[n] && !equalBytes(this.shown[n]!, this.device[n]!);
    }
    changedLocations(): number[] {
        return this.shown.map((_, n) => n).filter((n) => this.changed(n));
    }
    private step(text: string, change: (records: Uint8Array[]) => void): boolean {
        const before = this.shown.map((r) => r.slice());
        change(this.shown);
        if (this.shown.every((r, n) => equalBytes(r, before[n]!))) return false;
        this.done.push({ text, before, after: this.shown.map((r) => r.slice()) });
        this.undone = [];
        return true;
    }
    swap(a: number, b: number): boolean {
        if (!this.shown[a] || !this.shown[b]) return false;
        return this.step(`Swap ${labels[a]} and ${labels[b]}`, (r) => ([r[a], r[b]] = [r[b]!, r[a]!]));
    }
    copy(from: number, to: number): boolean {
        if (!this.shown[from] || !this.shown[to]) return false;
        return this.step(`Copy ${labels[from]} to ${labels[to]}`, (r) => (r[to] = r[from]!.slice()));
    }
    put(n: number, record: Uint8Array): boolean {
        if (!this.shown[n] || record.length !== kRecord) return false;
        return this.step(`Put a patch into ${labels[n]}`, (r) => (r[n] = record.slice()));
    }
    rename(n: number, name: string): boolean {
        if (!this.shown[n] || name.length > 16) return false;
        return this.step(`Rename ${labels[n]}`, (r) => {
            for (let i = 0; i < 16; ++i) r[n]![i] = name.charCodeAt(i) || 0x20;
        });
    }
    canUndo(): boolean {
        return this.done.length > 0;
    }
    canRedo(): boolean {
        return this.undone.length > 0;
    }
    undoText(): string {
        return this.done.length ? `Undo ${this.done[this.done.length - 1]!.text}` : "";
    }
    redoText(): string {
        return this.undone.length ? `Redo ${this.undone[this.undone.length - 1]!.text}` : "";
    }
    doneText(): string {
        return this.done[this.done.length - 1]?.text ?? "";
    }
    undo(): boolean {
        const s = this.done.pop();
        if (!s) return false;
        this.shown = s.before.map((r) => r.slice());
        this.undone.push(s);
        return true;
    }
    redo(): boolean {
        const s = this.undone.pop();
        if (!s) return false;
        this.shown = s.after.map((r) => r.slice());
        this.done.push(s);
        return true;
    }
    markSent(n: number): boolean {
        if (!this.shown[n]) return false;
        this.device[n] = this.shown[n]!.slice();
        this.known[n] = true;
        this.conflictOf.delete(n);
        return true;
    }
    onDevice(n: number): boolean {
        return !!this.known[n] && !this.changed(n);
    }
    confirmSent(sent: number[], readBack: Uint8Array): number[] | null {
        if (readBack.length !== kRecord * kLocations) return null;
        const wrong = [];
        for (const n of sent) {
            if (equalBytes(readBack.slice(kRecord * n, kRecord * (n + 1)), this.shown[n]!)) this.markSent(n);
            else wrong.push(n);
        }
        return wrong;
    }
    deviceHolds(n: number, record: Uint8Array, how: string): boolean {
        if (!this.shown[n]) return false;
        if (this.changed(n)) {
            if (!equalBytes(record, this.device[n]!)) this.conflictOf.set(n, how);
        } else {
            this.shown[n] = record.slice();
        }
        this.device[n] = record.slice();
        this.known[n] = true;
        return true;
    }
    conflict(n: number): string | null {
        return this.conflictOf.get(n) ?? null;
    }
    conflicts(): number[] {
        return [...this.conflictOf.keys()].sort((a, b) => a - b);
    }
    conflictQuestion(n: number, how: string): string | null {
        return `${labels[n]} was ${how} from the main window after you changed it here. Send yours over it?`;
    }
    discardChanges(): void {
        this.shown = this.device.map((r) => r.slice());
    }
    delete(): void {}
}

const hex = (bytes: Uint8Array) => [...bytes].map((b) => b.toString(16).padStart(2, "0")).join("");
const sum = (bytes: Uint8Array) => bytes.reduce((s, b) => (s + b) & 0xff, 0);

export const fakeLibraryTexts: Record<string, string> = {
    LibraryTitle: "Amplix 32 Library",
    LibraryReadFromPod: "Read from POD",
    LibrarySendChanges: "Send changes",
    LibrarySaveBank: "Save bank as...",
    LibraryUndo: "Undo",
    LibraryRedo: "Redo",
    LibraryListen: "Listen",
    LibraryRename: "Rename",
    LibraryOpenFile: "Open file...",
    LibraryChangedMark: "changed",
    LibraryColumnLocation: "Location",
    LibraryColumnName: "Name",
    LibraryColumnAmpModel: "Amp Model",
    LibraryColumnEffect: "Effect",
    LibraryColumnChanged: "Not on the POD",
    LibraryPlayingTip: "The POD is at this patch",
    LibraryNothingRead: "Nothing read yet: Read from POD, or open a bank file",
    LibraryReadAt: "Read from the POD at %1",
    LibrarySentAt: "%1, sent at %2",
    LibraryNotOnPod: "%1 (%2 not on the POD)",
    LibraryNoFile: "No file open",
    LibraryFileOnePatch: "%1: 1 patch",
    LibraryFilePatches: "%1: %2 patches",
    LibraryNotConvertible: "(cannot be converted)",
    LibrarySinglePatchOpened: "%1 holds a single patch, not a bank: it is in the file pane, to drag onto a location",
    LibraryCopied: "%1 copied: select another row and press Ctrl+V to copy it there",
    LibraryCut: "%1 cut: select another row and press Ctrl+V to swap the two",
    LibraryFileCopied: "%1 copied from the file: select a row and press Ctrl+V to put it there",
    LibraryPasteWhere: "Select one row to paste onto",
    LibraryNothingHeld: "Nothing to paste: Ctrl+C or Ctrl+X a row first",
    LibraryHeldChanged: "%1 changed since it was copied: copy it again",
    LibraryChosen: "%1 chosen on the POD",
    LibrarySentToHear: "%1 sent to the POD to be heard",
    LibraryNothingToSend: "Nothing to send: the POD holds every patch as shown",
    LibraryNothingSent: "Nothing sent: %1 skipped",
    LibraryStoring: "Storing %1 (%2 of %3)",
    LibrarySendingStopped: "Sending stopped at %1",
    LibraryReadingBack: "Reading the bank back to confirm",
    LibraryConfirmed: "Sent and confirmed: %1",
    LibraryWholeBank: "the whole bank",
    LibraryNotConfirmed: "Not confirmed: %1",
    LibraryNotConfirmedBox: "The POD does not hold what was sent to %1. These stay marked; send them again.",
    LibrarySentUnconfirmed: "Sent, but not confirmed: %1",
    LibrarySentUnconfirmedBox: "The patches were sent, but the POD's bank could not be read back to confirm them.",
    LibraryBoxCaption: "Library",
    LibrarySend: "Send",
    LibrarySkip: "Skip",
    LibraryDiscard: "Discard",
    LibraryReplaceQuestion: "The changes to %1 are not on the POD. Discard them?",
    LibrarySetting: "Setting",
    LibraryCompareHint: "Select two patches to compare them, or one to compare with the current sound",
    LibraryCurrentSound: "Current sound",
    LibrarySame: "%1 and %2 are the same",
    LibraryDifferOne: "%1 and %2 differ in 1 setting",
    LibraryDifferMany: "%1 and %2 differ in %3 settings",
    LinkText: "Link to this patch",
    LinkOpened: "A patch from a link",
    LinkSendToPod: "Send to POD",
    LinkClose: "Close",
    LinkCut: "This link is cut short: copy the whole link and open it again.",
    LinkAltered: "This link was changed on its way: its patch does not match its check. Ask for the link again.",
    LinkForeign: "This link is not an Amplix 32 patch link, or is from another version.",
};

// The fake core with its librarian: a link is "pod1." + the record in hex + "." + a check.
export function fakeLibraryCore(): AmplixCore {
    const raw = fakeRawCore() as unknown as Record<string, unknown>;
    const texts = { ...fakeTexts, ...fakeLibraryTexts };
    const amps = fakeToneMap.find((p) => p.member === "AmpModel")!.entries;
    const effectName = (code: number) => ["Chorus", "Rotary", "Delay"][fakeEffects.findIndex((e) => e.code === code)] ?? "";
    const readRecordName = (r: Uint8Array) => String.fromCharCode(...r.slice(0, 16));
    return {
        ...raw,
        texts: () => texts,
        PatchLibrary: FakePatchLibrary,
        bankDump: (records: Uint8Array, byte7: number) => {
            if (records.length !== kRecord * kLocations) return null;
            const bank = fakeBank();
            bank[7] = byte7;
            bank.set(records, 8);
            return bank;
        },
        bankRecords: (bank: Uint8Array) => (bank.length === 5121 ? bank.slice(8, 8 + kRecord * kLocations) : null),
        libraryRow: (r: Uint8Array, n: number) =>
            r.length === kRecord ? { location: labels[n] ?? "?", name: readRecordName(r), ampModel: amps[r[34]!] ?? "", effect: effectName(r[41]!) } : null,
        comparePatches: (a: Uint8Array, b: Uint8Array) => {
            if (a.length !== kRecord || b.length !== kRecord) return null;
            const rows = [];
            if (readRecordName(a) !== readRecordName(b)) rows.push({ control: "Patch Name", a: readRecordName(a), b: readRecordName(b) });
            for (let i = 16; i < kRecord; ++i) if (a[i] !== b[i]) rows.push({ control: `Byte ${i}`, a: String(a[i]), b: String(b[i]) });
            return rows;
        },
        patchLink: (r: Uint8Array) => (r.length === kRecord ? `pod1.${hex(r)}.${hex(Uint8Array.of(sum(r)))}` : null),
        patchLinkTitle: (r: Uint8Array) => (r.length === kRecord ? `${readRecordName(r).trim()}: a POD patch` : null),
        readPatchLink: (fragment: string) => {
            const text = fragment.replace(/^#/, "");
            const fail = (outcome: "Cut" | "Altered" | "Foreign", key: string) => ({ outcome, record: null, failure: texts[key]! });
            const m = /^pod1\.([0-9a-f]*)\.?([0-9a-f]{0,2})$/.exec(text);
            if (!m) return fail("Foreign", "LinkForeign");
            if (m[1]!.length !== 2 * kRecord || m[2]!.length !== 2) return fail("Cut", "LinkCut");
            const record = Uint8Array.from(m[1]!.match(/../g)!, (p) => parseInt(p, 16));
            if (parseInt(m[2]!, 16) !== sum(record)) return fail("Altered", "LinkAltered");
            return { outcome: "Patch", record, failure: "" };
        },
    } as unknown as AmplixCore;
}
