// The page's hub, as the desktop's frame window is: what each control sends, what the device
// reports, the dump requests and their time-outs, the patch commands and the files. No DOM here:
// the view is an interface, so the tests drive the editor as the page does.
import type { Clock } from "./clock.js";
import { chooseFromImport, chooseFromOwnFile, type FileChoice } from "./choosing.js";
import { BankTaker, type LibraryFollower } from "./library/follower.js";
import type { Core, EffectRow, OpenedSource, SourceDump, SourceEntry, ToneParameter, WindowName } from "./core.js";

export type Chooser = "SoundDiver" | "Line6Edit";

export interface EditorView {
    control(member: string): number;
    setControl(member: string, state: number): void;
    focusControl(member: string): void;
    setControlVisible(member: string, visible: boolean): void;
    setControlEnabled(member: string, enabled: boolean): void;
    setWindowVisible(window: WindowName, visible: boolean): void;
    setStaticText(name: string, text: string): void;
    setPatchName(name: string): void;
    setTitle(title: string): void;
    showConnection(text: string): void;
    showOutcome(text: string): void;
    beginTransfer(text: string, total: number, startsAt: number): void;
    endTransfer(): void;

    chooseLocation(): Promise<number | null>;
    confirmOverwriteAll(): Promise<boolean>;
    chooseFromBank(lines: string[]): Promise<number | "all" | null>;
    chooseEntry(chooser: Chooser, entries: SourceEntry[]): Promise<number | null>;
    chooseGuitarPortEffect(source: OpenedSource): Promise<number | null>;
    askPatchName(current: string): Promise<string | null>;
    message(text: string, caption: string): Promise<void>;
    download(fileName: string, bytes: Uint8Array): void;
}

// What the editor needs of the MIDI link.
export interface EditorLink {
    sendShort(bytes: Uint8Array): number;
    sendSysex(bytes: Uint8Array): number;
    readonly isOpen: boolean;
    // False where a long SysEx can only go whole (Web MIDI): a bank then goes as store messages.
    readonly sysexInPieces?: boolean;
}

type RequestEnd = "SinglePatch" | "Bank" | "All";

export class Editor {
    private link: EditorLink | null = null;
    private channel = 0;
    private waiting = false;
    private requestNumber = 0;
    private cancelTimeout: (() => void) | null = null;
    private timedOut = false;
    private readOutcome = "";
    private saveFlag = false;
    private saveAllFlag = false;
    private nameFlag = false;
    private saveToPodFlag = false;
    private ampModelFlag = -1;
    private pendingName: string | null = null;
    private ampLinked = true;
    // The state each control showed when the editor last knew: a move is measured from it.
    private readonly shown = new Map<string, number>();
    // The last single-patch dump read or sent.
    private dump: Uint8Array | null = null;
    private patchName = "";
    private readonly rotaryRow: EffectRow | undefined;
    // Every failure of the page's own work, so a test or the error handler can see it.
    onError: ((error: unknown) => void) | null = null;
    // The Library: it follows what the device plays and holds, and takes a bank it asked for.
    follower: LibraryFollower | null = null;
    readonly bankTaker = new BankTaker();

    constructor(
        private readonly core: Core,
        private readonly view: EditorView,
        private readonly clock: Clock,
    ) {
        this.rotaryRow = core.effects.find((row) => row.window === "Rotary");
    }

    get currentDump(): Uint8Array | null {
        return this.dump;
    }
    get awaitingAnswer(): boolean {
        return this.waiting;
    }
    get midiChannel(): number {
        return this.channel;
    }
    get ampModelLinked(): boolean {
        return this.ampLinked;
    }

    // The controls at set-up, as the desktop's windows set them up.
    setUp(): void {
        for (const p of this.core.toneMap) {
            if (!p.member) continue;
            this.setControl(p.member, p.initial);
        }
        for (const row of this.core.effects) if (row.window !== "Frame") this.view.setWindowVisible(row.window, false);
        this.view.setControlVisible("Drive2", false);
        this.view.setTitle(this.core.text("AppName"));
        this.showAmpLink();
        this.view.showConnection(this.core.text("StatusNotConnected"));
    }

    attach(link: EditorLink, channel: number, summary: string): void {
        this.detach();
        this.link = link;
        this.channel = channel;
        this.view.showConnection(summary);
    }
    detach(): void {
        if (this.waiting) this.endRequest("All");
        this.link = null;
        this.view.showConnection(this.core.text("StatusNotConnected"));
    }
    setChannel(channel: number): void {
        this.channel = channel;
    }

    // ---- The user's changes on the panel. ----

    userChanged(member: string): void {
        const p = this.core.parameter(member);
        if (!p) return;
        const state = this.view.control(member);
        switch (p.receive) {
            case "AmpModel":
                this.userAmpModel(state);
                return;
            case "EffectType":
                this.userEffect(state);
                return;
        }
        switch (p.extra) {
            case "PairedDrive2":
                this.send(p);
                if (this.view.control("AmpModel") === this.core.podLayerAmpModel()) this.sendMember("Drive2");
                break;
            case "ChecksReverb":
                this.send(p);
                this.setControl("Reverb", 1);
                break;
            case "ChecksWah":
                this.send(p);
                this.setControl("Wah", 1);
                break;
            case "ChecksTremChor":
                this.send(p);
                this.setControl("TremChor", 1);
                break;
            case "FeedbackLabel":
                this.send(p);
                this.view.setStaticText(`Static${member}`, this.core.raw.chorusFeedbackLabel(state));
                break;
            case "DelayTimeLabel":
                this.view.setStaticText(`Static${member}`, this.core.raw.delayTimeLabel(state));
                this.send(p);
                break;
            case "FastNotAboveSlow":
                this.keepFastNotAboveSlow(member);
                break;
            default:
                this.send(p);
        }
        this.shown.set(member, this.view.control(member));
    }

    // A move that takes "Fast" above "Slow" stops where the other slider stands; a jump past it
    // still leaves the moved one somewhere new, and then that is sent.
    private keepFastNotAboveSlow(member: string): void {
        const other = member === "RotaryMax" ? "RotaryMin" : "RotaryMax";
        if (this.view.control("RotaryMax") <= this.view.control("RotaryMin")) {
            this.sendMember(member);
            return;
        }
        const before = this.shown.get(member);
        this.setControl(member, this.view.control(other));
        if (this.view.control(member) !== before) this.sendMember(member);
    }

    private userAmpModel(index: number): void {
        this.view.setControlVisible("Drive2", index === this.core.podLayerAmpModel());
        // Unlinked, the amp model goes into the device's patch by a read-modify-write round
        // trip, so every other setting of the patch stays as it was.
        if (this.ampLinked) this.sendMember("AmpModel");
        else this.ampModelFlag = index;
        this.shown.set("AmpModel", index);
        this.readPatch();
    }

    private userEffect(index: number): void {
        const row = this.core.effects[index];
        if (!row) return;
        this.showEffect(row);
        this.sendMember("EffectSel");
        this.shown.set("EffectSel", index);
        this.readPatch();
    }

    toggleAmpLink(): void {
        this.ampLinked = !this.ampLinked;
        this.showAmpLink();
    }
    private showAmpLink(): void {
        this.view.setStaticText("StaticAmpModel", this.core.text(this.ampLinked ? "AmpModelLinked" : "AmpModelUnlinked"));
    }

    private sendMember(member: string): void {
        const p = this.core.parameter(member);
        if (p) this.send(p);
    }
    // Live sends are fire-and-forget: without a link they go nowhere.
    private send(p: ToneParameter): void {
        const messages = this.core.raw.controllerMessages(p.member, this.view.control(p.member));
        if (!this.link) return;
        for (const m of messages)
            this.link.sendShort(this.core.raw.controlChange(this.channel, m.controller, m.value));
    }

    private setControl(member: string, state: number): void {
        this.view.setControl(member, state);
        this.shown.set(member, this.view.control(member));
    }

    // Only one window of the modulation slot shows: the one of the effect chosen.
    private showEffect(row: EffectRow): void {
        for (const slot of this.core.effects) if (slot.window !== "Frame") this.view.setWindowVisible(slot.window, false);
        this.setControl("Delay", row.delay ? 1 : 0);
        this.setControl("TremChor", row.tremChor ? 1 : 0);
        this.view.setControlEnabled("TremChor", row.tremChor);
        if (row.window !== "Frame") this.view.setWindowVisible(row.window, true);
    }

    // ---- What the device sends. ----

    receive(bytes: Uint8Array): void {
        if (!bytes.length) return;
        const { sysexStart, controlChange, programChange } = this.core.status;
        if (bytes[0] === sysexStart) {
            this.receiveSysex(bytes);
            return;
        }
        const status = bytes[0]!;
        if (status === (controlChange | this.channel) && bytes.length >= 3) this.receiveController(bytes[1]!, bytes[2]!);
        else if (status === (programChange | this.channel) && bytes.length >= 2) this.receiveProgram(bytes[1]!);
    }

    private receiveController(controller: number, value: number): void {
        const p = this.core.controller(controller);
        if (!p || p.receive === "Ignored") return;
        if (p.focusOnReceive) this.view.focusControl(p.member);
        switch (p.receive) {
            case "AmpModel":
                this.setControl("AmpModel", value);
                this.view.setControlVisible("Drive2", value === this.core.podLayerAmpModel());
                this.readPatch();
                return;
            case "EffectType":
                // The effect list and windows change when the patch dump arrives.
                this.readPatch();
                return;
            case "RotaryDepth":
                // The device sends this controller for other things too; outside the rotary effect
                // the patch is read back a little later instead.
                if (this.rotaryRow && this.view.control("EffectSel") === this.rotaryRow.index) {
                    this.setControl(p.member, this.core.raw.positionForValue(p.member, value));
                    this.setControl("TremChor", 1);
                } else {
                    this.clock.after(this.core.timing.rotaryDepthReadDelayMs, () => this.readPatch());
                }
                return;
            case "TapTempo":
                this.clock.after(this.core.timing.tapTempoDelayMs, () => this.readPatch());
                return;
        }
        const state = this.core.raw.receivedState(controller, value);
        if (state === null) {
            this.readPatch(); // only the patch can say what the control shows
            return;
        }
        this.setControl(p.member, state);
        switch (p.extra) {
            case "PairedDrive2":
                this.setControl("Drive2", this.core.raw.positionForValue("Drive2", value));
                break;
            case "ChecksReverb":
                this.setControl("Reverb", 1);
                break;
            case "ChecksWah":
                this.setControl("Wah", 1);
                break;
            case "FeedbackLabel":
                this.view.setStaticText(`Static${p.member}`, this.core.raw.chorusFeedbackLabel(state));
                break;
            default:
                break;
        }
    }

    private receiveProgram(program: number): void {
        if (program > this.core.raw.lastProgram()) return;
        this.view.setTitle(this.core.raw.programTitle(program));
        this.follower?.program(program);
        this.readPatch();
    }

    // ---- Requests and their answers. ----

    readPatch(): void {
        this.requestDump(this.core.raw.editBufferRequest(), this.core.timing.editBufferTimeoutMs, false);
    }
    readBank(): void {
        this.requestDump(this.core.raw.bankRequest(), this.core.timing.bankTimeoutMs, true);
    }
    // The outcome stays on the status line through the read that follows.
    readBackAfter(outcome: string): void {
        this.view.showOutcome(outcome);
        this.readOutcome = outcome;
        this.readPatch();
    }

    private requestDump(request: Uint8Array, timeoutMs: number, bank: boolean): void {
        // One request at a time: a later caller's flags ride on the dump already awaited.
        if (this.waiting) return;
        this.waiting = true;
        this.timedOut = false;
        const failed: RequestEnd = bank ? "Bank" : "SinglePatch";
        let doneAt: number;
        try {
            if (!this.link || !this.link.isOpen) throw new Error("no link");
            doneAt = this.link.sendSysex(request);
        } catch {
            this.bankTaker.hand(null, this.core.text("StatusSendFailed"));
            this.endRequest(failed);
            this.view.showOutcome(this.core.text("StatusSendFailed"));
            void this.view.message(this.core.text("SysexSendFailed"), this.core.text("MessageCaption"));
            return;
        }
        if (bank) this.view.beginTransfer(this.core.text("StatusReadingBank"), this.core.bankDumpSize, doneAt);
        // The time-out starts once the request is at the device, and carries its request's
        // number, so a late one never acts on a later request.
        const number = ++this.requestNumber;
        this.cancelTimeout = this.clock.after(doneAt - this.clock.now() + timeoutMs, () => this.timeout(number));
    }

    private timeout(number: number): void {
        if (!this.waiting || number !== this.requestNumber) return;
        this.timedOut = true;
        this.view.showOutcome(this.core.text("StatusNoAnswer"));
        this.endRequest("All");
    }

    private requestAnswered(): void {
        ++this.requestNumber;
        this.cancelTimeout?.();
        this.cancelTimeout = null;
        this.view.endTransfer();
    }

    private endRequest(which: RequestEnd): void {
        this.requestAnswered();
        this.readOutcome = "";
        this.waiting = false;
        if (which !== "SinglePatch") this.saveAllFlag = false;
        if (which !== "SinglePatch") this.bankTaker.hand(null, this.core.text(this.link ? "StatusNoAnswer" : "StatusNotConnected"));
        if (which !== "Bank") {
            this.saveFlag = this.nameFlag = this.saveToPodFlag = false;
            this.ampModelFlag = -1;
            this.pendingName = null;
        }
    }

    private receiveSysex(message: Uint8Array): void {
        // Only an awaited answer is taken, as the desktop takes SysEx only into its armed buffer.
        if (!this.waiting) return;
        this.requestAnswered();
        const kind = this.core.raw.classifyDump(message);
        if (kind === "SinglePatch" && this.core.raw.decodeDump(message)) {
            this.singlePatchArrived(Uint8Array.from(message));
            return;
        }
        if (kind === "Bank" && this.core.raw.bankRecord(message, 0)) {
            this.view.showOutcome(this.core.text("StatusBankRead"));
            if (this.saveAllFlag) this.saveBankFile(Uint8Array.from(message));
            this.bankTaker.hand(Uint8Array.from(message), "");
        } else {
            this.view.showOutcome(this.core.text("StatusUnrecognised"));
            this.bankTaker.hand(null, this.core.text("StatusUnrecognised"));
        }
        this.endRequest("All");
    }

    private singlePatchArrived(received: Uint8Array): void {
        let dump = received;
        this.view.showOutcome(this.readOutcome || this.core.text("StatusPatchRead"));
        const save = this.saveFlag, toPod = this.saveToPodFlag;
        if (this.nameFlag && this.pendingName !== null) {
            // The dump just read goes back with the new name; every other byte as the device sent it.
            const renamed = this.core.raw.renameDump(dump, this.pendingName);
            if (renamed) {
                dump = renamed;
                if (this.sendSysex(dump) !== null) this.view.showOutcome(this.core.text("StatusPatchRenamed"));
            }
        }
        if (this.ampModelFlag >= 0) {
            dump = this.core.withControl(dump, "AmpModel", this.ampModelFlag);
            this.sendSysex(dump);
        }
        this.dump = dump;
        if (save) this.savePatchFile(dump);
        this.showDump(dump);
        this.endRequest("SinglePatch");
        if (toPod) void this.writeToPod(dump).catch((e) => this.onError?.(e));
    }

    // A single-patch dump on the panel and in the effect windows, sending nothing.
    showDump(dump: Uint8Array): void {
        const patch = this.core.raw.decodeDump(dump);
        if (!patch) return;
        this.patchName = patch.name;
        this.view.setPatchName(patch.name);
        // The effect first: it presets the Delay and Trem/Chorus boxes, which the record then sets.
        const effect = this.core.effects.find((row) => row.code === patch.effectCode);
        if (effect) {
            this.showEffect(effect);
            this.setControl("EffectSel", effect.index);
        }
        for (const control of patch.controls) {
            const p = this.core.parameter(control.member);
            if (!p) continue;
            this.setControl(control.member, control.state);
            if (p.receive === "AmpModel")
                this.view.setControlVisible("Drive2", control.value === this.core.podLayerAmpModel());
            else if (p.extra === "DelayTimeLabel")
                // the label shows the time even above the slider's end
                this.view.setStaticText(`Static${p.member}`, this.core.raw.delayTimeLabel(control.value));
            else if (p.extra === "FeedbackLabel")
                this.view.setStaticText(`Static${p.member}`, this.core.raw.chorusFeedbackLabel(control.state));
        }
        this.follower?.shown(dump);
        performance.mark("amplix:patch-shown"); // read by bench/web_bench.mjs
    }

    // A SysEx of the editor's own; a bank shows its progress while the cable carries it.
    private sendSysex(message: Uint8Array): number | null {
        try {
            if (!this.link || !this.link.isOpen) throw new Error("no link");
            const startsAt = Math.max(this.clock.now(), (this.link as { cableFreeAt?: number }).cableFreeAt ?? 0);
            const doneAt = this.link.sendSysex(message);
            const kind = this.core.raw.classifyDump(message);
            if (kind === "Bank") {
                this.view.beginTransfer(this.core.text("StatusSendingBank"), message.length, startsAt);
                this.clock.after(doneAt - this.clock.now(), () => this.view.endTransfer());
            }
            if (kind === "SinglePatch") this.dump = message;
            return doneAt;
        } catch {
            this.view.showOutcome(this.core.text("StatusSendFailed"));
            void this.view.message(this.core.text("SysexSendFailed"), this.core.text("MidiErrorCaption"));
            return null;
        }
    }

    // A browser that takes a SysEx only whole hands a bank dump to the interface at once, more
    // than its buffer holds, and the device gets a bank cut short. The store messages, one a
    // location, each at the cable's pace, arrive whole; then 1A is chosen, where a bank leaves
    // the device.
    private sendBankAsStores(bank: Uint8Array): number | null {
        const stores = this.core.bankStoreMessages(bank);
        if (!stores || !this.link || !this.link.isOpen) return this.sendSysex(bank);
        const startsAt = Math.max(this.clock.now(), (this.link as { cableFreeAt?: number }).cableFreeAt ?? 0);
        const total = stores.reduce((sum, m) => sum + m.length, 0);
        this.view.beginTransfer(this.core.text("StatusSendingBank"), total, startsAt);
        try {
            for (const store of stores) this.link.sendSysex(store);
            const doneAt = this.link.sendShort(this.core.raw.programChange(this.channel, 1));
            this.clock.after(doneAt - this.clock.now(), () => this.view.endTransfer());
            return doneAt;
        } catch {
            this.view.endTransfer();
            this.view.showOutcome(this.core.text("StatusSendFailed"));
            void this.view.message(this.core.text("SysexSendFailed"), this.core.text("MidiErrorCaption"));
            return null;
        }
    }

    // ---- Commands. ----

    choosePatch(program: number): void {
        if (!this.link) return;
        this.link.sendShort(this.core.raw.programChange(this.channel, program));
        // The device echoes the change and the echo reads the patch; a device that does not echo
        // is read all the same.
        this.receiveProgram(program);
    }

    saveToPod(): void {
        this.saveToPodFlag = true;
        this.readPatch();
    }

    private async writeToPod(dump: Uint8Array): Promise<void> {
        const location = await this.view.chooseLocation();
        if (location === null) return;
        if (location < 0 || location > this.core.raw.lastProgram() - 1) {
            this.view.showOutcome(this.core.text("StatusNotStored"));
            return;
        }
        const store = this.core.raw.storeMessage(dump, location);
        if (!store || this.sendSysex(store) === null) return;
        this.view.showOutcome(this.core.text("StatusStored", this.core.raw.locationLabel(location)));
        this.view.setTitle(this.core.raw.programTitle(location + 1));
        this.follower?.stored(location, dump);
    }

    async rename(): Promise<void> {
        const name = await this.view.askPatchName(this.patchName);
        if (name === null) return;
        // The strip shows the new name at once, before the device has it.
        this.patchName = name;
        this.view.setPatchName(name);
        this.nameFlag = true;
        this.pendingName = name;
        this.readPatch();
    }

    saveFile(): void {
        this.saveFlag = true;
        this.readPatch();
    }
    saveAllFile(): void {
        this.saveAllFlag = true;
        this.readBank();
    }

    private savePatchFile(dump: Uint8Array): void {
        const base = this.core.raw.fileNameForPatch(this.core.raw.dumpName(dump)) || this.core.text("SaveAllName");
        const name = `${base}.pod`;
        this.view.download(name, dump);
        this.view.showOutcome(this.core.text("StatusPatchSaved", name));
    }
    private saveBankFile(bank: Uint8Array): void {
        const name = `${this.core.text("SaveAllName")}.syx`;
        this.view.download(name, bank);
        this.view.showOutcome(this.core.text("StatusBankSaved", name));
    }

    // File > Open: a single patch goes to the device; a bank offers its patches and Load ALL.
    async openFile(fileName: string, bytes: Uint8Array): Promise<void> {
        await this.take(await chooseFromOwnFile(this.core, this.view, fileName, bytes));
    }
    // File > Import: the patch chosen goes to the device.
    async importFile(fileName: string, bytes: Uint8Array): Promise<void> {
        await this.take(await chooseFromImport(this.core, this.view, fileName, bytes));
    }
    private async take(choice: FileChoice): Promise<void> {
        if (!choice) return;
        if ("bank" in choice) await this.loadAll(choice.bank);
        else await this.finishImport(choice.dump);
    }

    // A file dropped on the page: the editor's own files open, anything else is imported.
    async dropFile(fileName: string, bytes: Uint8Array): Promise<void> {
        const own = this.core.raw.openPatchFile(bytes);
        if (!own.failure && (own.kind === "SinglePatch" || own.kind === "Bank")) return this.openFile(fileName, bytes);
        const foreign = this.core.raw.openImportFile(bytes, fileName);
        if (!foreign.failure || !/\.(pod|syx)$/i.test(fileName)) return this.importFile(fileName, bytes);
        await this.view.message(own.failure!.text, own.failure!.caption);
    }

    private async finishImport(result: SourceDump): Promise<void> {
        if (!result.dump) {
            await this.view.message(result.failure.text, result.failure.caption);
            return;
        }
        const dump = Uint8Array.from(result.dump);
        this.dump = dump;
        this.showDump(dump);
        if (this.sendSysex(dump) === null) return;
        this.readBackAfter(this.core.text("StatusPatchSent"));
    }

    private async loadAll(bank: Uint8Array): Promise<void> {
        if (!(await this.view.confirmOverwriteAll())) return;
        const doneAt = this.link?.sysexInPieces === false ? this.sendBankAsStores(bank) : this.sendSysex(bank);
        if (doneAt === null) return;
        this.view.setTitle(this.core.raw.programTitle(1));
        this.follower?.bankSent(bank);
        // As on the desktop, whose send returns once the bank is out: the line says it is being
        // sent until the cable has carried it, then the patch is read back.
        await new Promise<void>((resolve) => this.clock.after(doneAt - this.clock.now(), resolve));
        this.readBackAfter(this.core.text("StatusBankSent"));
    }
}
