// The built-in simulator's 36 patches and edit buffer kept in the browser between visits: taken
// back at start, written a moment after each burst of changes, forgotten on request.
import type { Clock } from "./clock.js";
import type { PodDevice } from "./core.js";
import { failureText, type RecordStore } from "./store.js";

export const kSimulatorRecord = "simulator";
// A slider drag is a stream of controllers: at most one write this often while it lasts.
export const kKeepDelayMs = 400;

// The record as written: the bank dump and the edit-buffer dump, the bytes the desktop puts in
// its two files.
export interface KeptSimulator {
    bank: Uint8Array;
    editBuffer: Uint8Array;
}

type KeptDevice = Pick<PodDevice, "bankDump" | "editBufferDump" | "revision" | "restore">;

// A part of a record read back: its bytes, null when the record lacks it, and no bytes at all
// when it holds something else, which the core then refuses as it refuses a damaged file.
function keptPart(record: unknown, key: keyof KeptSimulator): Uint8Array | null {
    if (typeof record !== "object" || record === null) return new Uint8Array(0);
    const part = (record as Record<string, unknown>)[key];
    if (part === undefined) return null;
    return part instanceof Uint8Array ? part : new Uint8Array(0);
}

export class SimulatorKeeper {
    // Told when a write fails, once until one succeeds again.
    onNotice: (text: string) => void = () => {};
    private written: number;
    private cancelTimer: (() => void) | null = null;
    private writing: Promise<void> | null = null;
    private failing = false;

    constructor(
        private readonly device: KeptDevice,
        private readonly store: RecordStore,
        private readonly text: (key: string, ...args: string[]) => string,
        private readonly clock: Clock,
        private readonly delayMs = kKeepDelayMs,
    ) {
        this.written = device.revision();
    }

    // The device takes what an earlier visit kept; the status line's notice, or "" when all was
    // taken or nothing was kept.
    async restore(): Promise<string> {
        let record: unknown;
        try {
            record = await this.store.get(kSimulatorRecord);
        } catch (error) {
            return this.text("StatusSimulatorFactory", failureText(error));
        }
        if (record === undefined) return "";
        const notice = this.device.restore(keptPart(record, "bank"), keptPart(record, "editBuffer")).notice;
        // A refused record is left as it is until the device changes, as the desktop keeps its
        // refused file aside rather than overwriting it at once.
        this.written = this.device.revision();
        return notice;
    }

    // The device may have changed: a write is due unless one already is.
    touched(): void {
        if (this.cancelTimer || this.device.revision() === this.written) return;
        this.cancelTimer = this.clock.after(this.delayMs, () => {
            this.cancelTimer = null;
            void this.flush();
        });
    }

    // Writes what has changed now; resolves once it is written (or has failed).
    async flush(): Promise<void> {
        this.stopTimer();
        while (this.writing) await this.writing;
        if (this.device.revision() === this.written) return;
        this.writing = this.write();
        try {
            await this.writing;
        } finally {
            this.writing = null;
        }
        // What changed while the write was under way.
        this.touched();
    }

    private stopTimer(): void {
        this.cancelTimer?.();
        this.cancelTimer = null;
    }

    private async write(): Promise<void> {
        const revision = this.device.revision();
        const record: KeptSimulator = { bank: this.device.bankDump(), editBuffer: this.device.editBufferDump() };
        try {
            await this.store.put(kSimulatorRecord, record);
            this.failing = false;
        } catch (error) {
            if (!this.failing) this.onNotice(this.text("StatusSimulatorNotKept", failureText(error)));
            this.failing = true;
        }
        // A failed write is tried again at the next change, not in a loop.
        this.written = revision;
    }

    // Clears every record kept and then resets the device; nothing of the reset is written, so
    // the next visit starts from the factory patches as well. Throws when the store refuses, and
    // then leaves the device as it was.
    async forget(reset: () => void): Promise<void> {
        this.stopTimer();
        while (this.writing) await this.writing;
        await this.store.clear();
        reset();
        this.stopTimer();
        this.written = this.device.revision();
    }
}
