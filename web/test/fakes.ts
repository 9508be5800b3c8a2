// Test doubles: a clock turned by hand, ports that record what they carry, and a small core with
// a few rows of each kind, so the page's logic is tested without the built module.
import type { Clock } from "../src/clock.js";
import type { AmplixCore, EffectRow, PacedSend, PanelLayout, PodDevice, ToneParameter } from "../src/core.js";
import type { DeviceChange, OpenedLink, PatchLibrary } from "../src/core.js";
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
    LinkText: "Link to this patch",
    LinkTitle: "%1: a POD patch",
    LinkCut: "This link is cut short.",
    LinkAltered: "This link was changed on its way.",
    LinkForeign: "This link is not an Amplix 32 patch link.",
    LibraryReadFromPod: "Read from POD",
    LibrarySendChanges: "Send changes",
    LibraryColumnLocation: "Location",
    LibraryColumnName: "Name",
    LibraryColumnAmpModel: "Amp Model",
    LibraryColumnEffect: "Effect",
    LibraryColumnChanged: "Not on the POD",
    LibraryReadingBack: "Reading the bank back to confirm",
    LibraryConfirmed: "Sent and confirmed: %1",
    LibraryNotConfirmed: "Not confirmed: %1",
    LibraryTitle: "Amplix 32 Library",
    LibrarySaveBank: "Save bank as...",
    LibraryUndo: "Undo",
    LibraryRedo: "Redo",
    LibraryListen: "Listen",
    LibraryRename: "Rename",
    LibraryOpenFile: "Open file...",
    LibraryChangedMark: "changed",
    LibraryPlayingTip: "The POD is at this patch",
    LibraryNothingRead: "Nothing read yet: Read from POD, or open a bank file",
    LibraryReadAt: "Read from the POD at %1",
    LibraryKept: "%1, kept from an earlier visit",
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
    LibraryWholeBank: "the whole bank",
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
    LinkOpened: "A patch from a link",
    LinkSendToPod: "Send to POD",
    LinkClose: "Close",
    ControlSlider: "%1 (slider)",
    ControlCheckBox: "%1 (check box)",
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
        bankDump: (records: Uint8Array, byte7: number) => {
            if (records.length !== 36 * 71) return null;
            const bank = fakeBank();
            bank[7] = byte7;
            bank.set(records, 8);
            return bank;
        },
        fileNameForPatch: (name: string) => name.trim().replace(/[^A-Za-z0-9 ]/g, ""),
        acceptsName: (name: string) => name.length <= 16,
        noEffectChoice: () => 3,
        deviceInquiry: (channel: number) => Uint8Array.of(0xf0, 0x7e, channel, 0x06, 0x01, 0xf7),
        readInquiryReply: (m: Uint8Array) =>
            m.length === 9 && m[1] === 0x7e && m[3] === 0x06 && m[4] === 0x02 ? { channel: m[2]!, member: 0, revision: "1.00" } : null,
        describeSearch: () => "",
        ...fakePacer,
        ...fakeLibraryCalls,
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
        restore: () => ({ bankTaken: false, editBufferTaken: false, notice: "" }),
        reset: () => Uint8Array.of(0xc0 | channel, 1),
        revision: () => taken.length,
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

// ---- The librarian and links, as small as the page's tests need them. ----

// A fake record as the fake dump holds it: the name in bytes 0 to 15, controller c's value in
// byte 22 + c (applyController's place), so the amp model in 34 and the effect in 41.
export function fakeRecord(name: string, values: Record<number, number> = {}): Uint8Array {
    return fakeDump(name, values).slice(8, 79);
}
const recordName = (record: Uint8Array) => String.fromCharCode(...record.slice(0, 16));
const sameBytes = (a: Uint8Array, b: Uint8Array) => a.length === b.length && a.every((v, i) => v === b[i]);
const label = (n: number) => labels[n] ?? "?";
const kLocations = 36;
const joined = (records: Uint8Array[]) => {
    const out = new Uint8Array(kLocations * 71);
    records.forEach((r, n) => out.set(r, n * 71));
    return out;
};

// The core's library model in miniature: whole-library snapshots for undo, marks from the
// device's records, a conflict where the device changed a location the user had changed.
export class FakePatchLibrary implements PatchLibrary {
    private recs: Uint8Array[] = [];
    private device: Uint8Array[] = [];
    private known: boolean[] = [];
    private conflictOf = new Map<number, DeviceChange>();
    private steps: { text: string; before: Uint8Array[]; after: Uint8Array[] }[] = [];
    private done = 0;
    private isLoaded = false;

    load(records: Uint8Array, onDevice: boolean): boolean {
        if (records.length !== kLocations * 71) return false;
        this.recs = Array.from({ length: kLocations }, (_, n) => records.slice(n * 71, (n + 1) * 71));
        this.device = this.recs.map((r) => r.slice());
        this.known = this.recs.map(() => onDevice);
        this.conflictOf.clear();
        this.steps = [];
        this.done = 0;
        this.isLoaded = true;
        return true;
    }
    restore(device: Uint8Array, arranged: Uint8Array): boolean {
        if (arranged.length !== kLocations * 71 || !this.load(device, false)) return false;
        this.recs = Array.from({ length: kLocations }, (_, n) => arranged.slice(n * 71, (n + 1) * 71));
        return true;
    }
    unload() {
        this.load(new Uint8Array(kLocations * 71), false);
        this.recs = [];
        this.device = [];
        this.isLoaded = false;
    }
    loaded() { return this.isLoaded; }
    record(n: number) { return this.recs[n]?.slice() ?? null; }
    deviceRecord(n: number) { return this.device[n]?.slice() ?? null; }
    records() { return joined(this.recs); }
    deviceRecords() { return joined(this.device); }
    name(n: number) { return this.recs[n] ? recordName(this.recs[n]!) : null; }
    changed(n: number) { return !!this.recs[n] && !sameBytes(this.recs[n]!, this.device[n]!); }
    changedLocations() { return this.recs.flatMap((_, n) => (this.changed(n) ? [n] : [])); }
    swap(a: number, b: number) {
        const ra = this.recs[a], rb = this.recs[b];
        return !!ra && !!rb && this.step(`Swap ${label(a)} and ${label(b)}`, [[a, rb], [b, ra]]);
    }
    copy(from: number, to: number) {
        const r = this.recs[from];
        return !!r && this.recs[to] !== undefined && this.step(`Copy ${label(from)} to ${label(to)}`, [[to, r]]);
    }
    put(n: number, record: Uint8Array) {
        return record.length === 71 && this.recs[n] !== undefined && this.step(`Put a patch into ${label(n)}`, [[n, record]]);
    }
    rename(n: number, name: string) {
        const r = this.recs[n]?.slice();
        if (!r) return false;
        for (let i = 0; i < 16; ++i) r[i] = name.charCodeAt(i) || 0x20;
        return this.step(`Rename ${label(n)}`, [[n, r]]);
    }
    canUndo() { return this.done > 0; }
    canRedo() { return this.done < this.steps.length; }
    undoText() { return this.canUndo() ? `Undo ${this.steps[this.done - 1]!.text}` : ""; }
    redoText() { return this.canRedo() ? `Redo ${this.steps[this.done]!.text}` : ""; }
    doneText() { return this.canUndo() ? this.steps[this.done - 1]!.text : ""; }
    undo() {
        if (!this.canUndo()) return false;
        this.recs = this.steps[--this.done]!.before.map((r) => r.slice());
        return true;
    }
    redo() {
        if (!this.canRedo()) return false;
        this.recs = this.steps[this.done++]!.after.map((r) => r.slice());
        return true;
    }
    markSent(n: number) {
        if (!this.recs[n]) return false;
        this.device[n] = this.recs[n]!.slice();
        this.known[n] = true;
        this.conflictOf.delete(n);
        return true;
    }
    onDevice(n: number) { return !!this.known[n] && !this.changed(n); }
    confirmSent(sent: number[], readBack: Uint8Array) {
        if (readBack.length !== kLocations * 71 || sent.some((n) => !this.recs[n])) return null;
        return sent.filter((n) => {
            const held = readBack.slice(n * 71, (n + 1) * 71);
            if (!sameBytes(held, this.recs[n]!)) return true;
            this.markSent(n);
            return false;
        });
    }
    deviceHolds(n: number, record: Uint8Array, how: DeviceChange) {
        if (!this.recs[n] || record.length !== 71) return false;
        if (this.changed(n)) this.conflictOf.set(n, how);
        else this.recs[n] = record.slice();
        this.device[n] = record.slice();
        this.known[n] = true;
        if (!this.changed(n)) this.conflictOf.delete(n);
        return true;
    }
    conflict(n: number) { return this.conflictOf.get(n) ?? null; }
    conflicts() { return [...this.conflictOf.keys()].sort((a, b) => a - b); }
    conflictQuestion(n: number, how: DeviceChange) {
        return this.recs[n] ? `${label(n)} was ${how} after you changed it here. Send yours over it?` : null;
    }
    discardChanges() {
        this.recs = this.device.map((r) => r.slice());
        this.conflictOf.clear();
        this.steps = [];
        this.done = 0;
    }
    delete() {}

    private step(text: string, changes: [number, Uint8Array][]) {
        const before = this.recs.map((r) => r.slice());
        const after = before.map((r) => r.slice());
        for (const [n, r] of changes) after[n] = r.slice();
        if (after.every((r, n) => sameBytes(r, before[n]!))) return false;
        this.steps.splice(this.done, this.steps.length, { text, before, after });
        this.done = this.steps.length;
        this.recs = after.map((r) => r.slice());
        return true;
    }
}

// Links as hex after "fake1.": cut when short, altered when not hex, foreign without the tag.
const kFakeLinkTag = "fake1.";
export const fakeLibraryCalls = {
    PatchLibrary: FakePatchLibrary,
    bankRecords: (bank: Uint8Array) => (bank.length === 5121 ? bank.slice(8, 8 + kLocations * 71) : null),
    libraryRow: (record: Uint8Array, n: number) =>
        record.length === 71 && n >= 0 && n < kLocations
            ? {
                  location: label(n), name: recordName(record), ampModel: `Amp ${record[34]}`,
                  effect: `Effect ${record[41]}`, title: `${label(n)} ${recordName(record).trim()}`,
              }
            : null,
    bankRows: (bank: Uint8Array) =>
        bank.length === 5121
            ? Array.from({ length: kLocations }, (_, n) => {
                  const record = bank.slice(8 + 71 * n, 8 + 71 * (n + 1));
                  return { ...fakeLibraryCalls.libraryRow(record, n)!, record };
              })
            : null,
    comparePatches: (a: Uint8Array, b: Uint8Array) =>
        a.length === 71 && b.length === 71
            ? [...a].flatMap((v, i) => (v === b[i] ? [] : [{ control: `Byte ${i}`, a: String(v), b: String(b[i]) }]))
            : null,
    patchLink: (record: Uint8Array) =>
        record.length === 71 ? kFakeLinkTag + [...record].map((v) => v.toString(16).padStart(2, "0")).join("") : null,
    patchLinkTitle: (record: Uint8Array) => (record.length === 71 ? `${recordName(record).trim()}: a POD patch` : null),
    readPatchLink(fragment: string): OpenedLink {
        const text = fragment.startsWith("#") ? fragment.slice(1) : fragment;
        const refuse = (outcome: "Cut" | "Altered" | "Foreign") =>
            ({ outcome, record: null, failure: fakeTexts[`Link${outcome}`]! });
        if (text.length < kFakeLinkTag.length && kFakeLinkTag.startsWith(text)) return refuse("Cut");
        if (!text.startsWith(kFakeLinkTag)) return refuse("Foreign");
        const hex = text.slice(kFakeLinkTag.length);
        if (!/^[0-9a-f]*$/.test(hex) || hex.length > 142) return refuse("Altered");
        if (hex.length < 142) return refuse("Cut");
        const record = Uint8Array.from({ length: 71 }, (_, i) => parseInt(hex.slice(2 * i, 2 * i + 2), 16));
        return { outcome: "Patch", record, failure: "" };
    },
};

// A bank dump whose first locations hold patches of these names, the amp model of each its
// place modulo 6; byte 7 as given.
export function fakeNamedBank(names: string[], byte7 = 0): Uint8Array {
    const bank = fakeBank();
    bank[7] = byte7;
    names.forEach((name, n) => bank.set(fakeRecord(name, { 12: n % 6 }), 8 + 71 * n));
    return bank;
}
