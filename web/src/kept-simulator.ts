// The built-in simulator's 36 patches and edit buffer kept in the browser between visits: taken
// back at start, written a moment after each burst of changes, forgotten on request.
import type { Clock } from "./clock.js";
import type { PodDevice } from "./core.js";
import { kKeepDelayMs, RecordKeeper } from "./keeping.js";
import { failureText, type RecordStore } from "./store.js";

export { kKeepDelayMs } from "./keeping.js";
export const kSimulatorRecord = "simulator";

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
    readonly writer: RecordKeeper;
    // Told when a write fails, once until one succeeds again.
    onNotice: (text: string) => void = () => {};

    constructor(
        private readonly device: KeptDevice,
        private readonly store: RecordStore,
        private readonly text: (key: string, ...args: string[]) => string,
        clock: Clock,
        delayMs = kKeepDelayMs,
    ) {
        const snapshot = (): KeptSimulator => ({ bank: device.bankDump(), editBuffer: device.editBufferDump() });
        this.writer = new RecordKeeper(store, kSimulatorRecord, snapshot, () => device.revision(), clock, delayMs);
        this.writer.onFailure = (reason) => this.onNotice(this.text("StatusSimulatorNotKept", reason));
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
        this.writer.settle();
        return notice;
    }

    touched(): void {
        this.writer.touched();
    }
    flush(): Promise<void> {
        return this.writer.flush();
    }
}
