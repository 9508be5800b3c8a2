// The Library's logic, as the desktop's Library window has it: the bank read through the editor,
// arranged in the core's library (each change one undo step), listened to, compared, sent as
// store messages at the cable's pace and confirmed by reading the bank back. No DOM here: the
// screen is an interface, so the tests drive it as the page does.
import type { Clock } from "../clock.js";
import type { Core, LibraryRow, PatchDifferenceRow, PatchLibrary } from "../core.js";
import type { Editor, EditorLink, EditorView } from "../editor.js";
import type { FileListing } from "./filepane.js";
import type { LibraryFollower } from "./follower.js";

export interface ShownRow extends LibraryRow {
    changed: boolean;
    playing: boolean;
    link: string; // the fragment, without "#"
    linkTitle: string;
}

export interface Comparison {
    caption: string; // "1A Clean and 2B Lead differ in 3 settings"
    aTitle: string;
    bTitle: string;
    rows: PatchDifferenceRow[];
}

export interface LibraryCommands {
    idle: boolean;
    loaded: boolean;
    changes: boolean;
    undo: string; // the core's "Undo ..." text; "" when there is nothing to undo
    redo: string;
}

export interface LibraryScreen {
    showRows(rows: ShownRow[]): void;
    showOrigin(text: string): void;
    showCommands(commands: LibraryCommands): void;
    showMessage(text: string): void;
    showComparison(comparison: Comparison | null, hint: string): void;
    showFile(listing: FileListing | null): void;
    // A question with two answers: true for the first.
    ask(question: string, yes: string, no: string): Promise<boolean>;
    message(text: string, caption: string): Promise<void>;
    download(fileName: string, bytes: Uint8Array): void;
}

export type StatusLine = Pick<EditorView, "beginTransfer" | "endTransfer">;

// The Library as a later visit takes it back: what the device was last known to hold, the
// arrangement made since (both 36 x 71), the bank's byte 7 and where the bank came from.
export interface KeptBank {
    device: Uint8Array;
    arranged: Uint8Array;
    byte7: number;
    origin: string;
}

type State = "Idle" | "Reading" | "Sending" | "Verifying";
type Held = { from: number; record: Uint8Array; cut: boolean } | { fileRow: number; record: Uint8Array };

const sameBytes = (a: Uint8Array, b: Uint8Array) => a.length === b.length && a.every((v, i) => v === b[i]);

export class Librarian implements LibraryFollower {
    readonly library: PatchLibrary;
    private state: State = "Idle";
    private byte7 = 0;
    private origin = "";
    private restored = false; // the bank is an earlier visit's
    private lastSent = "";
    private playing: number | null = null;
    private selected: number[] = [];
    private fileRow: number | null = null;
    private held: Held | null = null;
    private sent: number[] = [];
    private file: FileListing | null = null;
    // Where a keeper of the bank between visits hooks in: told whenever the bank may have changed.
    onChange: (() => void) | null = null;

    constructor(
        private readonly core: Core,
        private readonly editor: Editor,
        private readonly link: () => EditorLink | null,
        private readonly status: StatusLine,
        private readonly screen: LibraryScreen,
        private readonly clock: Clock,
        private readonly timeOfDay: () => string = () => new Date().toTimeString().slice(0, 5),
    ) {
        this.library = new core.raw.PatchLibrary();
    }

    get locations(): number {
        return this.core.raw.lastProgram();
    }
    get busy(): boolean {
        return this.state !== "Idle";
    }
    get fileListing(): FileListing | null {
        return this.file;
    }

    private text(key: string, ...args: (string | number)[]): string {
        return this.core.text(key, ...args);
    }
    private label(location: number): string {
        return this.core.raw.locationLabel(location);
    }
    labels(locations: number[]): string {
        return locations.map((n) => this.label(n)).join(", ");
    }
    rowTitle(location: number): string {
        const record = this.library.record(location);
        return (record && this.core.raw.libraryRow(record, location)?.title) ?? this.label(location);
    }

    // ---- Reading ----

    async readFromPod(): Promise<void> {
        if (this.busy || !(await this.mayReplaceChanges())) return;
        if (this.editor.awaitingAnswer) return; // one answer at a time: the editor's own is awaited
        this.state = "Reading";
        this.screen.showMessage(this.text("StatusReadingBank"));
        this.refresh();
        this.editor.bankTaker.wait((bank, why) => this.bankArrived(bank, why));
        this.editor.readBank();
    }

    // What a later visit needs to show this bank again; null before anything was loaded.
    keptBank(): KeptBank | null {
        if (!this.library.loaded()) return null;
        const { library } = this;
        return { device: library.deviceRecords(), arranged: library.records(), byte7: this.byte7, origin: this.origin };
    }

    // An earlier visit's bank, its changes still marked; false, changing nothing, when it is not one.
    restoreBank(kept: unknown): boolean {
        const k = kept as Partial<KeptBank> | null;
        if (this.busy || typeof k !== "object" || k === null || !(k.device instanceof Uint8Array)
            || !(k.arranged instanceof Uint8Array) || typeof k.byte7 !== "number" || typeof k.origin !== "string")
            return false;
        if (!this.library.restore(k.device, k.arranged)) return false;
        this.taken(k.byte7 & 0x7f, k.origin);
        this.restored = true;
        this.refresh();
        return true;
    }

    // Forget: no bank, no file, nothing held, nothing to undo. Not while busy (see App.forget).
    forget(): void {
        this.library.unload();
        this.taken(0, "");
        this.selected = [];
        this.held = null;
        this.showFile(null);
        this.refresh();
    }

    private taken(byte7: number, origin: string): void {
        this.byte7 = byte7;
        this.origin = origin;
        this.restored = false;
        this.lastSent = "";
    }

    private bankArrived(bank: Uint8Array | null, why: string): void {
        const state = this.state;
        this.state = "Idle";
        const records = bank && this.core.raw.bankRecords(bank);
        if (state === "Verifying") {
            if (records) this.afterVerify(records);
            else void this.unconfirmed(why || this.text("StatusUnrecognised"));
        } else if (state === "Reading") {
            if (records && this.library.load(records, true)) {
                this.taken(bank![7] ?? 0, this.text("LibraryReadAt", this.timeOfDay()));
                this.screen.showMessage(this.text("StatusBankRead"));
            } else {
                this.screen.showMessage(why || this.text("StatusUnrecognised"));
            }
        }
        this.refresh();
    }

    private async mayReplaceChanges(): Promise<boolean> {
        const changed = this.library.loaded() ? this.library.changedLocations() : [];
        if (!changed.length) return true;
        return this.screen.ask(this.text("LibraryReplaceQuestion", this.labels(changed)),
            this.text("LibraryDiscard"), this.text("ButtonCancel"));
    }

    // ---- Arranging ----

    select(rows: number[], fileRow: number | null = null): void {
        this.selected = rows.filter((n) => n >= 0 && n < this.locations).slice(0, 2);
        this.fileRow = fileRow;
        this.compare();
    }

    // A row dropped on another: swapped, or copied with Ctrl.
    drop(from: number, to: number, copy: boolean): boolean {
        if (this.busy || !this.library.loaded() || from === to) return false;
        return this.stepped(copy ? this.library.copy(from, to) : this.library.swap(from, to));
    }
    // A patch of the file pane dropped on a location.
    put(fileRow: number, to: number): boolean {
        const record = this.file?.patches[fileRow]?.record;
        if (this.busy || !this.library.loaded() || !record) return false;
        return this.stepped(this.library.put(to, record));
    }
    // The device's rule: a name it refuses changes nothing and says false.
    rename(location: number, name: string): boolean {
        if (this.busy || !this.library.loaded() || !this.core.raw.acceptsName(name)) return false;
        if (this.library.name(location) === name) return true;
        return this.stepped(this.library.rename(location, name));
    }
    private stepped(done: boolean): boolean {
        if (done) {
            this.screen.showMessage(this.library.doneText());
            this.refresh();
        }
        return done;
    }

    hold(cut: boolean): void {
        if (this.busy || !this.library.loaded() || this.selected.length !== 1) return;
        const from = this.selected[0]!;
        this.held = { from, record: this.library.record(from)!, cut };
        this.screen.showMessage(this.text(cut ? "LibraryCut" : "LibraryCopied", this.label(from)));
    }
    holdFile(fileRow: number): void {
        const patch = this.file?.patches[fileRow];
        if (this.busy || !patch?.record) return;
        this.held = { fileRow, record: patch.record };
        this.screen.showMessage(this.text("LibraryFileCopied", patch.name.trim()));
    }
    paste(): void {
        if (this.busy || !this.library.loaded()) return;
        const held = this.held;
        if (!held) {
            this.screen.showMessage(this.text("LibraryNothingHeld"));
            return;
        }
        const to = this.selected.length === 1 ? this.selected[0]! : null;
        if ("from" in held) {
            // A row is taken as it was when held, or not at all.
            if (!sameBytes(this.library.record(held.from)!, held.record)) {
                this.held = null;
                this.screen.showMessage(this.text("LibraryHeldChanged", this.label(held.from)));
                return;
            }
            if (to === null || to === held.from) {
                this.screen.showMessage(this.text("LibraryPasteWhere"));
                return;
            }
            if (this.drop(held.from, to, !held.cut) && held.cut) this.held = null;
            return;
        }
        if (to === null) {
            this.screen.showMessage(this.text("LibraryPasteWhere"));
            return;
        }
        this.stepped(this.library.put(to, held.record));
    }

    undo(): void {
        const text = this.library.undoText();
        if (!this.busy && this.library.undo()) {
            this.screen.showMessage(text);
            this.refresh();
        }
    }
    redo(): void {
        const text = this.library.redoText();
        if (!this.busy && this.library.redo()) {
            this.screen.showMessage(text);
            this.refresh();
        }
    }

    // ---- Listening ----

    // A patch the device holds as shown is chosen; anything else goes as the current sound.
    listen(location: number): void {
        if (this.busy || !this.library.loaded() || location < 0 || location >= this.locations) return;
        if (this.library.onDevice(location)) {
            this.editor.choosePatch(location + 1);
            this.screen.showMessage(this.text("LibraryChosen", this.label(location)));
            return;
        }
        if (this.sendSound(this.library.record(location)!))
            this.screen.showMessage(this.text("LibrarySentToHear", this.label(location)));
    }
    listenFile(fileRow: number): void {
        const patch = this.file?.patches[fileRow];
        if (this.busy || !patch?.record) return;
        if (this.sendSound(patch.record)) this.screen.showMessage(this.text("LibrarySentToHear", patch.name.trim()));
    }
    private sendSound(record: Uint8Array): boolean {
        const dump = this.core.raw.singleDump(record, this.byte7);
        const link = this.link();
        if (!dump || !link?.isOpen) return this.failedSend();
        try {
            link.sendSysex(dump);
        } catch {
            return this.failedSend();
        }
        // The panel shows what the device now plays, read back as after any sound sent.
        this.editor.readPatch();
        return true;
    }
    private failedSend(): false {
        this.screen.showMessage(this.text("StatusSendFailed"));
        void this.screen.message(this.text("SysexSendFailed"), this.text("MidiErrorCaption"));
        return false;
    }

    // ---- Comparing ----

    private compare(): void {
        const hint = this.text("LibraryCompareHint");
        if (!this.library.loaded()) return this.screen.showComparison(null, hint);
        const [a, b] = this.selected;
        if (a !== undefined && b !== undefined)
            return this.showComparison(this.rowTitle(a), this.library.record(a)!, this.rowTitle(b), this.library.record(b)!);
        // One row beside a patch of the file: what putting it there would change.
        const patch = this.fileRow !== null ? this.file?.patches[this.fileRow] : undefined;
        if (a !== undefined && patch?.record)
            return this.showComparison(this.rowTitle(a), this.library.record(a)!, `${patch.name.trim()} (${patch.fileName})`, patch.record);
        this.screen.showComparison(null, hint);
    }
    private showComparison(aTitle: string, a: Uint8Array, bTitle: string, b: Uint8Array): void {
        const rows = this.core.raw.comparePatches(a, b) ?? [];
        const caption = rows.length === 0 ? this.text("LibrarySame", aTitle, bTitle)
            : rows.length === 1 ? this.text("LibraryDifferOne", aTitle, bTitle)
            : this.text("LibraryDifferMany", aTitle, bTitle, rows.length);
        this.screen.showComparison({ caption, aTitle, bTitle, rows }, "");
    }

    // ---- Sending ----

    async sendChanges(): Promise<void> {
        if (this.busy || !this.library.loaded()) return;
        const changed = this.library.changedLocations();
        if (!changed.length) {
            this.screen.showMessage(this.text("LibraryNothingToSend"));
            return;
        }
        const skipped = await this.askAboutConflicts();
        const toSend = changed.filter((n) => !skipped.includes(n));
        if (!toSend.length) {
            this.screen.showMessage(this.text("LibraryNothingSent", this.labels(skipped)));
            return;
        }
        const link = this.link();
        if (!link?.isOpen || this.editor.awaitingAnswer) {
            this.failedSend();
            return;
        }
        const stores = toSend.map((n) => this.core.raw.storeMessage(this.core.raw.singleDump(this.library.record(n)!, this.byte7)!, n)!);
        this.state = "Sending";
        this.refresh();
        const startsAt = Math.max(this.clock.now(), (link as { cableFreeAt?: number }).cableFreeAt ?? 0);
        const total = stores.reduce((sum, m) => sum + m.length, 0);
        this.status.beginTransfer(this.text("LibraryStoring", this.label(toSend[0]!), 1, stores.length), total, startsAt);
        let doneAt = startsAt;
        for (const [i, store] of stores.entries()) {
            const storing = this.text("LibraryStoring", this.label(toSend[i]!), i + 1, stores.length);
            this.clock.after(doneAt - this.clock.now(), () => this.screen.showMessage(storing));
            try {
                doneAt = link.sendSysex(store);
            } catch {
                this.status.endTransfer();
                this.state = "Idle";
                this.screen.showMessage(this.text("LibrarySendingStopped", this.label(toSend[i]!)));
                this.refresh();
                return;
            }
        }
        await new Promise<void>((resolve) => this.clock.after(doneAt - this.clock.now(), resolve));
        this.status.endTransfer();
        this.sent = toSend;
        this.state = "Verifying";
        this.screen.showMessage(this.text("LibraryReadingBack"));
        if (this.editor.awaitingAnswer) {
            this.bankArrived(null, this.text("StatusNoAnswer"));
            return;
        }
        this.editor.bankTaker.wait((bank, why) => this.bankArrived(bank, why));
        this.editor.readBank();
    }

    // Each location the main window changed after it changed here: the device's patch is kept
    // unless the user says to send over it.
    private async askAboutConflicts(): Promise<number[]> {
        const skipped = [];
        for (const n of this.library.conflicts()) {
            const how = this.library.conflict(n);
            const question = how && this.library.conflictQuestion(n, how);
            if (!question || !(await this.screen.ask(question, this.text("LibrarySend"), this.text("LibrarySkip")))) skipped.push(n);
        }
        return skipped;
    }

    private afterVerify(readBack: Uint8Array): void {
        const mismatches = this.library.confirmSent(this.sent, readBack) ?? this.sent;
        const size = this.core.sizes.record;
        // The rest of the read-back is a bank read like any other.
        for (let n = 0; n < this.locations; ++n)
            if (!this.sent.includes(n)) this.library.deviceHolds(n, readBack.slice(size * n, size * (n + 1)), "Read");
        this.lastSent = this.timeOfDay();
        if (!mismatches.length) {
            const which = this.sent.length === this.locations ? this.text("LibraryWholeBank") : this.labels(this.sent);
            this.screen.showMessage(this.text("LibraryConfirmed", which));
            return;
        }
        this.screen.showMessage(this.text("LibraryNotConfirmed", this.labels(mismatches)));
        void this.screen.message(this.text("LibraryNotConfirmedBox", this.labels(mismatches)), this.text("LibraryBoxCaption"));
    }
    private async unconfirmed(why: string): Promise<void> {
        this.screen.showMessage(this.text("LibrarySentUnconfirmed", why));
        await this.screen.message(this.text("LibrarySentUnconfirmedBox"), this.text("LibraryBoxCaption"));
    }

    // ---- Files ----

    showFile(listing: FileListing | null): void {
        this.file = listing;
        this.fileRow = null;
        if (this.held && "fileRow" in this.held) this.held = null;
        this.screen.showFile(listing);
    }

    saveBank(): void {
        if (this.busy || !this.library.loaded()) return;
        const bank = this.core.raw.bankDump(this.library.records(), this.byte7);
        if (!bank) return;
        const name = `${this.text("SaveAllName")}.syx`;
        this.screen.download(name, bank);
        this.screen.showMessage(this.text("StatusBankSaved", name));
    }

    // ---- What the editor's own commands do to the device ----

    program(program: number): void {
        this.playing = program >= 1 && program <= this.locations ? program - 1 : null;
        this.refresh();
    }
    shown(): void {} // the current sound is no location's: the rows stay as they are
    stored(location: number, dump: Uint8Array): void {
        const record = this.core.raw.recordOfDump(dump);
        if (this.library.loaded() && record) this.library.deviceHolds(location, record, "Stored");
        this.program(location + 1);
    }
    bankSent(bank: Uint8Array): void {
        if (this.library.loaded())
            for (let n = 0; n < this.locations; ++n) {
                const record = this.core.raw.bankRecord(bank, n);
                if (record) this.library.deviceHolds(n, record, "BankSent");
            }
        this.program(1);
    }

    // ---- What the screen shows ----

    rows(): ShownRow[] {
        if (!this.library.loaded()) return [];
        const rows: ShownRow[] = [];
        for (let n = 0; n < this.locations; ++n) {
            const record = this.library.record(n)!;
            const row = this.core.raw.libraryRow(record, n);
            if (!row) continue;
            rows.push({
                ...row,
                changed: this.library.changed(n),
                playing: this.playing === n,
                link: this.core.raw.patchLink(record) ?? "",
                linkTitle: this.core.raw.patchLinkTitle(record) ?? "",
            });
        }
        return rows;
    }

    refresh(): void {
        const loaded = this.library.loaded();
        this.screen.showRows(this.rows());
        let origin = this.text("LibraryNothingRead");
        if (loaded) {
            origin = this.restored ? this.text("LibraryKept", this.origin) : this.origin;
            if (this.lastSent) origin = this.text("LibrarySentAt", origin, this.lastSent);
            const changed = this.library.changedLocations().length;
            if (changed) origin = this.text("LibraryNotOnPod", origin, changed);
        }
        this.screen.showOrigin(origin);
        this.screen.showCommands({
            idle: !this.busy,
            loaded,
            changes: loaded && this.library.changedLocations().length > 0,
            undo: this.library.canUndo() ? this.library.undoText() : "",
            redo: this.library.canRedo() ? this.library.redoText() : "",
        });
        this.compare();
        if (!this.busy) this.onChange?.();
    }
}
