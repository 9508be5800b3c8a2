// A patch that came as a link: the record the fragment carries, shown beside the device's current
// sound, sent as the edit buffer or stored to a location. A link the core refuses sends nothing.
import type { Core, LibraryRow, PatchDifferenceRow } from "../core.js";
import type { EditorLink, EditorView } from "../editor.js";

export interface LinkSetting { label: string; value: string; }

export interface LinkedPatch {
    record: Uint8Array;
    dump: Uint8Array; // the edit-buffer dump Send to POD sends, of exactly this record
    row: LibraryRow;
    settings: LinkSetting[];
}

export interface LinkScreen {
    showPatch(patch: LinkedPatch): void;
    showRefused(text: string): void;
    showDifferences(caption: string, rows: PatchDifferenceRow[]): void;
    hide(): void;
}

type Status = Pick<EditorView, "showOutcome" | "message" | "chooseLocation">;

export class LinkOpener {
    private patch: LinkedPatch | null = null;
    private current: Uint8Array | null = null;
    // The device's memory changed by a store from here (the Library follows it).
    onStored: ((location: number, dump: Uint8Array) => void) | null = null;

    constructor(
        private readonly core: Core,
        private readonly link: () => EditorLink | null,
        private readonly status: Status,
        private readonly screen: LinkScreen,
        private readonly readCurrent: () => void,
    ) {}

    get opened(): LinkedPatch | null {
        return this.patch;
    }

    // The page's address fragment as it is, "#" or not; an empty one shows nothing.
    open(fragment: string): void {
        if (fragment.replace(/^#/, "") === "") {
            this.patch = null;
            this.screen.hide();
            return;
        }
        const opened = this.core.raw.readPatchLink(fragment);
        const record = opened.outcome === "Patch" ? opened.record : null;
        const dump = record && this.core.raw.singleDump(record, 0);
        const row = record && this.core.raw.libraryRow(record, 0);
        const decoded = dump && this.core.raw.decodeDump(dump);
        if (!record || !dump || !row || !decoded) {
            this.patch = null;
            this.screen.showRefused(opened.failure || this.core.text("LinkForeign"));
            return;
        }
        const settings: LinkSetting[] = [];
        const shown = decoded.controls.map((c) => this.core.parameter(c.member)).filter((p) => p?.label);
        for (const control of decoded.controls) {
            const p = this.core.parameter(control.member);
            if (!p?.label) continue;
            // Two controls of one name (Presence, Reverb) are told apart by their kind, as the panel's names are.
            const twin = shown.some((q) => q !== p && q!.label === p.label);
            const kind = p.kind === "Switch" ? "ControlCheckBox" : p.kind === "IndexedList" || p.kind === "MappedList" ? "ControlList" : "ControlSlider";
            settings.push({ label: twin ? this.core.text(kind, p.label) : p.label, value: this.core.raw.valueText(control.member, control.state) });
        }
        this.patch = { record, dump, row, settings };
        this.screen.showPatch(this.patch);
        this.showDifferences();
        this.readCurrent();
    }

    // The device's current sound, each time the panel shows it anew.
    currentSound(dump: Uint8Array): void {
        this.current = this.core.raw.recordOfDump(dump);
        this.showDifferences();
    }

    private showDifferences(): void {
        if (!this.patch || !this.current) return;
        const rows = this.core.raw.comparePatches(this.patch.record, this.current) ?? [];
        const a = this.patch.row.name.trim(), b = this.core.text("LibraryCurrentSound");
        const caption = rows.length === 0 ? this.core.text("LibrarySame", a, b)
            : rows.length === 1 ? this.core.text("LibraryDifferOne", a, b)
            : this.core.text("LibraryDifferMany", a, b, rows.length);
        this.screen.showDifferences(caption, rows);
    }

    // Exactly the record's edit-buffer dump, then the panel reads what the device now plays.
    sendToPod(): boolean {
        if (!this.patch || !this.send(this.patch.dump)) return false;
        this.status.showOutcome(this.core.text("StatusPatchSent"));
        this.readCurrent();
        return true;
    }

    // The location asked as Save Patch To POD asks it, with its warning that it overwrites.
    async store(): Promise<boolean> {
        if (!this.patch) return false;
        const patch = this.patch;
        const location = await this.status.chooseLocation();
        if (location === null) return false;
        if (location < 0 || location >= this.core.raw.lastProgram()) {
            this.status.showOutcome(this.core.text("StatusNotStored"));
            return false;
        }
        const store = this.core.raw.storeMessage(patch.dump, location);
        if (!store || !this.send(store)) return false;
        this.status.showOutcome(this.core.text("StatusStored", this.core.raw.locationLabel(location)));
        this.onStored?.(location, patch.dump);
        return true;
    }

    private send(message: Uint8Array): boolean {
        const link = this.link();
        try {
            if (!link?.isOpen) throw new Error("no link");
            link.sendSysex(message);
            return true;
        } catch {
            this.status.showOutcome(this.core.text("StatusSendFailed"));
            void this.status.message(this.core.text("SysexSendFailed"), this.core.text("MidiErrorCaption"));
            return false;
        }
    }
}
