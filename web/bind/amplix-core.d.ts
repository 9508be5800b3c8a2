// The interface of the core as the page sees it: amplix-core.js (an ES module built by
// emscripten from the bind_*.cpp files here) and its amplix-core.wasm. Every byte rule, table, label, list
// and message text lives in the core; the page only shows and moves what it gets here.
//
// Bytes travel as Uint8Array both ways; sizes() gives the size of each kind of message. Strings
// are UTF-8 in JavaScript; patch names are the device's 8-bit (Latin-1) characters, one character
// per byte.

export type WindowName =
    | "Frame" | "Chorus" | "Rotary" | "Tremolo" | "Swell" | "Compressor" | "Delay" | "Reverb"
    | "Gate" | "Pedals";

export type ControlKind =
    | "ReversedSlider" | "DirectSlider" | "Switch" | "IndexedList" | "MappedList" | "DelayTime"
    | "None";

export type ReceiveRule =
    | "Ignored" | "Reversed" | "Direct" | "Switch" | "Index" | "TwoEntry" | "RatioSteps"
    | "AmpModel" | "EffectType" | "RotaryDepth" | "TapTempo";

export type ToneExtra =
    | "None" | "PairedDrive2" | "ChecksReverb" | "ChecksWah" | "ChecksTremChor" | "FeedbackLabel"
    | "DelayTimeLabel" | "FastNotAboveSlow";

// One row of the tone map.
export interface ToneParameter {
    controller: number;
    member: string; // "Drive", "ChSpeed", ...; empty for tap tempo
    label: string; // the control's name as the panel labels it: "Drive", "Middle", ...; empty for tap tempo
    window: WindowName;
    kind: ControlKind;
    receive: ReceiveRule;
    focusOnReceive: boolean;
    extra: ToneExtra;
    initial: number; // slider position or check state at set-up; -1: a list without selection
    secondController: number; // delay time: the controller of its low 7 bits; else 0
    entries: string[]; // a list's entries in list order; empty for sliders and switches
    maximum: number; // a slider's top position (127; the delay time 3150); lists: entries - 1
}

// Where things stand on the panel, in pixels at scale 1, as the desktop window places them.
export type PanelItemKind = "VerticalSlider" | "HorizontalSlider" | "CheckBox" | "DropDown" | "Static";
export interface PanelItem {
    window: WindowName;
    kind: PanelItemKind;
    name: string; // the desktop's object name: "Drive", "StaticDrive", ...
    member: string; // the tone-map member the control stands for; empty for a Static
    x: number; y: number; w: number; h: number; // within its window
    text: string; // a check box's caption or a Static's text at set-up
}
export interface PanelWindow {
    window: WindowName;
    x: number; y: number; w: number; h: number; // within the main window's client area
}
export interface PanelLayout {
    width: number; height: number; // the main window's panel
    windows: PanelWindow[]; // the frame's own panel first, then the nine effect windows
    items: PanelItem[];
}

// The effect list's entry as the panel shows it.
export interface EffectRow {
    index: number; code: number;
    delay: boolean; tremChor: boolean;
    window: WindowName; // the modulation slot's window; "Frame" for none
}

// A control's value after a dump: the controller value it stands for (lists: the index; the
// delay time: ms) and the state its control takes (slider position, 0 or 1, list index).
export interface DecodedControl { member: string; value: number; state: number; }
export interface DecodedPatch {
    name: string;
    effectCode: number;
    effectIndex: number;
    controls: DecodedControl[]; // in the order the desktop sets them
}

export interface ControllerMessage { controller: number; value: number; }

export interface Failure { text: string; caption: string; }

export type SourceKind = "SinglePatch" | "Bank" | "SoundDiver" | "Line6Edit" | "GuitarPort";
export interface SourceEntry { name: string; label: string; information: string[]; deviceCode: number; }
export interface OpenedSource {
    kind: SourceKind;
    bytes: Uint8Array | null; // the file's dump as Load ALL sends it (the editor's own files)
    failure: Failure | null;
    entries: SourceEntry[];
    guitarPortAsks: boolean; // the GuitarPort dialog offers COMP or MOD
    guitarPortInformation: string[];
}
export interface SourceDump { dump: Uint8Array | null; failure: Failure; }

export interface DeviceIdentity { channel: number; member: number; revision: string; }
export interface PodSearch {
    outcome: "Found" | "NoAnswer" | "Cancelled";
    channel: number | null; // the one channel that answered the inquiry
    identity: DeviceIdentity | null;
    busyOutputs: string[];
    outputsAsked: number;
    simulatorListed: boolean;
}

// One piece of a paced SysEx: its bytes and the time (ms, the caller's clock) to hand it on.
export interface PacedPiece { bytes: Uint8Array; at: number; }
export interface PacedSend { pieces: PacedPiece[]; doneAt: number; } // doneAt: the last byte is at the device

// The device model, the page's built-in simulator. Call delete() when done with it.
export interface SimulatorRestore {
    bankTaken: boolean;
    editBufferTaken: boolean;
    notice: string; // empty when both parts were taken
}

export interface PodDevice {
    receive(message: Uint8Array): Uint8Array[];
    choosePatch(program: number): Uint8Array;
    turnControl(controller: number, value: number): Uint8Array;
    editBufferDump(): Uint8Array;
    bankDump(): Uint8Array;
    currentProgram(): number;
    channel(): number;
    setChannel(channel: number): boolean;
    // What an earlier visit kept (bank dump, edit-buffer dump; null: not kept); a part refused is
    // said in the notice, named by texts().KeptSimulatorBank or KeptSimulatorEditBuffer, with the
    // reason the core gives for a refused file.
    restore(bank: Uint8Array | null, editBuffer: Uint8Array | null): SimulatorRestore;
    reset(): Uint8Array; // the factory patches at 1A; the program change the device sends
    revision(): number; // grows with every change to a stored patch or the edit buffer
    delete(): void;
}

// The status bytes the page tells messages by: a SysEx from its start, a channel message by
// its type with the channel in the low four bits.
export interface StatusBytes { sysexStart: number; sysexEnd: number; controlChange: number; programChange: number; }

// The desktop's input parser: bytes as a cable carries them in, whole messages out. A SysEx in
// pieces comes out once its end is in; stray data bytes, a SysEx broken off and one longer than
// the receive buffer never do. Call delete() when done with it.
export interface MessageJoiner {
    feed(bytes: Uint8Array): Uint8Array[];
    delete(): void;
}

// The librarian. A location is 0 ("1A") to 35 ("9D"); a record is one Uint8Array of 71 bytes, and a
// whole library (load, records, confirmSent's read-back) is the 36 records one after another, 36 x 71
// bytes, as bankRecords gives them. A wrong size or a location past 9D gives null or false and
// changes nothing.
export type DeviceChange = "Stored" | "BankSent" | "Read"; // how the device came to hold a patch
export interface PatchLibrary {
    load(records: Uint8Array, onDevice: boolean): boolean; // onDevice: read from it, not a file's bank
    // As an earlier visit left it: the device's last known 36 x 71 and the arrangement since, each
    // difference marked, none known to be on the device, nothing to undo. false for a wrong size.
    restore(device: Uint8Array, arranged: Uint8Array): boolean;
    unload(): void; // back to knowing nothing, as before the first load
    loaded(): boolean;
    record(location: number): Uint8Array | null;
    deviceRecord(location: number): Uint8Array | null; // what the device was last known to hold
    records(): Uint8Array; // 36 x 71
    deviceRecords(): Uint8Array; // 36 x 71, what the device was last known to hold
    name(location: number): string | null; // up to its first 00, padding kept
    changed(location: number): boolean;
    changedLocations(): number[];
    // Each is one undo step; false (and no step) when it would change nothing.
    swap(a: number, b: number): boolean;
    copy(from: number, to: number): boolean;
    put(location: number, record: Uint8Array): boolean;
    // As the desktop's table takes an edit: a character beyond 8 bits becomes "?", then the device's
    // rule (up to the first 00 or the 16th character, then spaces). acceptsName is the dialog's check.
    rename(location: number, name: string): boolean;
    canUndo(): boolean;
    canRedo(): boolean;
    undoText(): string; // "Undo Swap 1A and 2B", ...; "" when there is nothing
    redoText(): string; // "Redo Rename 2A"
    doneText(): string; // what the last step did: "Copy 1A to 3C"
    undo(): boolean;
    redo(): boolean;
    markSent(location: number): boolean; // not a step
    onDevice(location: number): boolean;
    // After sending the locations sent, the bank read back (36 x 71): each it holds as sent is marked
    // sent; the others are returned, in order, and keep their marks. null for a wrong size or location.
    confirmSent(sent: number[], readBack: Uint8Array): number[] | null;
    deviceHolds(location: number, record: Uint8Array, how: DeviceChange): boolean;
    conflict(location: number): DeviceChange | null;
    conflicts(): number[];
    // "3A was stored from the main window after you changed it here. Send yours over it?"
    conflictQuestion(location: number, how: DeviceChange): string | null;
    discardChanges(): void;
    delete(): void;
}

// A row of the library as the desktop's table shows it: "1A", the name (padding kept), "Brit Hi Gain",
// "Chorus 2" ("" for a value past the lists); the title heads the compare's columns: "1A Brit Crunch".
export interface LibraryRow { location: string; name: string; ampModel: string; effect: string; title: string; }

// A setting two patches differ in: the panel's label ("Bass", "Chorus > Depth", "Patch Name") and
// both values as the panel shows them.
export interface PatchDifferenceRow { control: string; a: string; b: string; }

// What a link's fragment holds: the record, or why not (the core's text for a cut, altered or
// foreign link, as texts() has it under LinkCut, LinkAltered, LinkForeign).
export interface OpenedLink {
    outcome: "Patch" | "Cut" | "Altered" | "Foreign";
    record: Uint8Array | null;
    failure: string; // "" with a record
}

export interface AmplixCore {
    // Tables.
    toneMap(): ToneParameter[];
    panelLayout(): PanelLayout;
    texts(): Record<string, string>; // every text the page shows, by its name in the core
    effectForIndex(index: number): EffectRow | null;
    locationLabel(location: number): string; // "1A" .. "9D"
    programTitle(program: number): string; // "Manual Mode", "Patch 1A", ...
    lastProgram(): number; // 36
    // Every wait the desktop keeps: how long the device may take to answer the edit-buffer and bank
    // requests (counted from when the request has had its cable time), the reads after a tap tempo and after a
    // rotary depth outside the rotary, Find POD's waits for an answer and for each inquiry, and
    // how long a transfer runs before it shows its progress.
    timing(): {
        editBufferTimeoutMs: number; bankTimeoutMs: number; tapTempoDelayMs: number;
        rotaryDepthReadDelayMs: number; findAnswerMs: number; findInquiryMs: number;
        progressDelayMs: number;
    };
    // The device's message sizes; the channels a device inquiry goes through, and how many of them
    // answering means a device in omni mode.
    sizes(): {
        record: number; singleDump: number; bankDump: number; storeMessage: number;
        midiChannels: number; answersOfOmni: number;
    };
    podLayerAmpModel(): number; // the amp model list's "POD Layer", the one with Drive2
    guitarPortChoices(): { compressor: number; modulation: number }; // sourceDump's modOrComp
    // The status line's connection part: "POD on USB MIDI Interface, channel 1", "Simulator", ...
    connectionSummary(inputName: string, outputName: string, channel: number): string;

    // Controls.
    controllerMessages(member: string, state: number): ControllerMessage[];
    valueText(member: string, state: number): string;
    labelledValueText(member: string, state: number): string;
    positionForValue(member: string, value: number): number;
    // The state a control takes when the device sends this controller; null where the controller
    // does more than move a control (amp model, effect, rotary depth, tap tempo) or nothing.
    receivedState(controller: number, value: number): number | null;
    chorusFeedbackLabel(position: number): string;
    delayTimeLabel(ms: number): string;

    // Records and messages. A wrong size or kind of input gives null, never a guess.
    classifyDump(message: Uint8Array): "SinglePatch" | "Bank" | "Other";
    decodeDump(dump: Uint8Array): DecodedPatch | null; // a single-patch dump; null for anything else
    recordOfDump(dump: Uint8Array): Uint8Array | null; // the patch record of a single-patch dump
    bankRecord(bank: Uint8Array, location: number): Uint8Array | null;
    applyController(record: Uint8Array, controller: number, value: number): Uint8Array | null;
    singleDump(record: Uint8Array, byte7: number): Uint8Array | null;
    // The dump with the control in that state, as the device stores what it sends; every other
    // byte, byte 7 included, as it was.
    withControl(dump: Uint8Array, member: string, state: number): Uint8Array | null;
    // A bank as the store messages, one a location, that put its patches into the device: what
    // Web MIDI can pace, where it refuses a SysEx cut in pieces.
    bankStoreMessages(bank: Uint8Array): Uint8Array[] | null;
    bankListing(bank: Uint8Array): string[]; // the bank chooser's lines, "1A  Clean Sparkle"
    bankDump(records: Uint8Array, byte7: number): Uint8Array | null; // every location's record, one after the other
    storeMessage(dump: Uint8Array, location: number): Uint8Array | null;
    dumpName(dump: Uint8Array): string;
    renameDump(dump: Uint8Array, name: string): Uint8Array | null; // null: not a dump, or a name acceptsName refuses
    editBufferRequest(): Uint8Array;
    bankRequest(): Uint8Array;
    programChange(channel: number, program: number): Uint8Array;
    controlChange(channel: number, controller: number, value: number): Uint8Array;

    // Files.
    openPatchFile(bytes: Uint8Array): OpenedSource; // File > Open
    openImportFile(bytes: Uint8Array, fileName: string): OpenedSource; // File > Import
    sourceDump(bytes: Uint8Array, fileName: string, isImport: boolean, entry: number,
               modOrComp: number): SourceDump;
    noEffectChoice(): number;
    fileNameForPatch(latin1Name: string): string; // without extension; "" when nothing is left
    acceptsName(name: string): boolean; // the rename dialog's rule: 16 characters, Latin-1 only

    // The device and the cable.
    deviceInquiry(channel: number): Uint8Array; // 127: every device
    readInquiryReply(message: Uint8Array): DeviceIdentity | null;
    describeDevice(identity: DeviceIdentity): string;
    pacedSend(message: Uint8Array, now: number, cableFreeAt: number): PacedSend;
    cableTimeMs(bytes: number): number;
    // Find POD's report: "Found a POD (software 1.00) on channel 3: in ..., out ..." or how many
    // outputs were asked without an answer.
    describeSearch(search: PodSearch, inputName: string, outputName: string): string;
    PodDevice: { new (): PodDevice };

    // MIDI's own bytes.
    statusBytes(): StatusBytes;
    MessageJoiner: { new (): MessageJoiner };
    // The librarian. Call delete() on a PatchLibrary when done with it.
    PatchLibrary: { new (): PatchLibrary };
    bankRecords(bank: Uint8Array): Uint8Array | null; // a bank dump's 36 records, 36 x 71 bytes
    libraryRow(record: Uint8Array, location: number): LibraryRow | null;
    // A bank dump's 36 rows with their records, as libraryRow and bankRecords give them one by one.
    bankRows(bank: Uint8Array): (LibraryRow & { record: Uint8Array })[] | null;
    comparePatches(a: Uint8Array, b: Uint8Array): PatchDifferenceRow[] | null;

    // Patches as links: the fragment (without "#") carries the whole record; the title names the
    // patch ("Brit Crunch: a POD patch"); the link's own text is texts().LinkText.
    patchLink(record: Uint8Array): string | null;
    patchLinkTitle(record: Uint8Array): string | null;
    readPatchLink(fragment: string): OpenedLink; // takes location.hash as it is, "#" or not
}

// In the browser the module fetches amplix-core.wasm beside itself; under node pass its bytes.
declare function createAmplixCore(options?: {
    locateFile?(path: string): string;
    wasmBinary?: ArrayBuffer | Uint8Array;
}): Promise<AmplixCore>;
export default createAmplixCore;
