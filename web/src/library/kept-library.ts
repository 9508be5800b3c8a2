// The Library kept in the browser between visits: its last bank with the arrangement made since,
// and the files of its file pane as they were opened, each taken back through the core again.
import type { Clock } from "../clock.js";
import { kKeepDelayMs, RecordKeeper } from "../keeping.js";
import { failureText, type RecordStore } from "../store.js";
import type { KeptBank, Librarian } from "./librarian.js";

export const kBankRecord = "bank";
export const kFilesRecord = "files";

export interface KeptFile {
    fileName: string;
    bytes: Uint8Array;
}

// What opening files again came to: the files the pane took, and why each other one was not.
export interface ReopenedFiles {
    opened: KeptFile[];
    refused: { fileName: string; reason: string }[];
}

type KeptLibrarian = Pick<Librarian, "keptBank" | "restoreBank">;

const sameBytes = (a: Uint8Array, b: Uint8Array) => a.length === b.length && a.every((v, i) => v === b[i]);
const sameBank = (a: KeptBank | null, b: KeptBank | null) =>
    a === b || (a !== null && b !== null && a.byte7 === b.byte7 && a.origin === b.origin
        && sameBytes(a.arranged, b.arranged) && sameBytes(a.device, b.device));

function keptFiles(record: unknown): KeptFile[] | null {
    const files = (record as { files?: unknown } | null)?.files;
    if (!Array.isArray(files)) return null;
    const taken = files.filter((f): f is KeptFile =>
        typeof f === "object" && f !== null && typeof f.fileName === "string" && f.bytes instanceof Uint8Array);
    return taken.length === files.length ? taken : null;
}

export class LibraryKeeper {
    readonly bank: RecordKeeper;
    readonly files: RecordKeeper;
    // Told when a write fails, once until one succeeds again.
    onNotice: (text: string) => void = () => {};
    private shownBank: KeptBank | null = null;
    private bankRevision = 0;
    private openedFiles: KeptFile[] = [];
    private filesRevision = 0;

    constructor(
        private readonly librarian: KeptLibrarian,
        private readonly reopen: (files: KeptFile[]) => Promise<ReopenedFiles>,
        private readonly store: RecordStore,
        private readonly text: (key: string, ...args: string[]) => string,
        clock: Clock,
        delayMs = kKeepDelayMs,
    ) {
        this.bank = new RecordKeeper(store, kBankRecord, () => this.shownBank, () => this.bankRevision, clock, delayMs);
        this.files = new RecordKeeper(store, kFilesRecord, () => ({ files: this.openedFiles }),
            () => this.filesRevision, clock, delayMs);
        for (const keeper of [this.bank, this.files])
            keeper.onFailure = (reason) => this.onNotice(this.text("StatusLibraryNotKept", reason));
    }

    // The librarian shows a bank that may differ from the one kept.
    changed(): void {
        const now = this.librarian.keptBank();
        if (sameBank(now, this.shownBank)) return;
        this.shownBank = now;
        ++this.bankRevision;
        this.bank.touched();
    }

    // The file pane took these files: they replace the ones kept.
    filesOpened(files: KeptFile[]): void {
        this.openedFiles = files;
        ++this.filesRevision;
        this.files.touched();
    }

    // What was forgotten is nothing to write.
    forgotten(): void {
        this.shownBank = null;
        this.openedFiles = [];
    }

    // The bank and the files an earlier visit kept, shown again; the status line's notices ("" for
    // none). Nothing taken back is written again until it changes.
    async restore(): Promise<string[]> {
        const notices: string[] = [];
        let bank: unknown, files: unknown;
        try {
            [bank, files] = [await this.store.get(kBankRecord), await this.store.get(kFilesRecord)];
        } catch (error) {
            return [this.text("StatusLibraryNotKept", failureText(error))];
        }
        if (bank !== undefined && bank !== null && !this.librarian.restoreBank(bank))
            notices.push(this.text("StatusKeptBankRefused"));
        this.shownBank = this.librarian.keptBank();
        this.bank.settle();
        this.files.settle();
        if (files === undefined) return notices;
        const kept = keptFiles(files);
        if (!kept) notices.push(this.text("StatusKeptFilesRefused"));
        const reopened = await this.reopen(kept ?? []);
        this.openedFiles = reopened.opened;
        for (const { fileName, reason } of reopened.refused)
            notices.push(this.text("StatusKeptFileRefused", fileName, reason));
        // What was refused is not kept on: the record is written again as what the pane took.
        if (!kept || reopened.opened.length !== kept.length) {
            ++this.filesRevision;
            this.files.touched();
        }
        return notices;
    }
}
