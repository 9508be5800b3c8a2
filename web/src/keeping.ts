// One record kept in the browser as its owner changes: written a moment after each burst of
// changes, never two writes at once, a failing store said once until a write succeeds again.
import type { Clock } from "./clock.js";
import { failureText, type RecordStore } from "./store.js";

// A slider drag is a stream of controllers: at most one write this often while it lasts.
export const kKeepDelayMs = 400;

export class RecordKeeper {
    // Told when a write fails, with the browser's words, once until one succeeds again.
    onFailure: (reason: string) => void = () => {};
    private written: number;
    private cancelTimer: (() => void) | null = null;
    private writing: Promise<void> | null = null;
    private failing = false;

    // revision grows with each change of what snapshot returns.
    constructor(
        private readonly store: RecordStore,
        readonly name: string,
        private readonly snapshot: () => unknown,
        private readonly revision: () => number,
        private readonly clock: Clock,
        private readonly delayMs = kKeepDelayMs,
    ) {
        this.written = revision();
    }

    // What the owner holds now counts as written: taken back from the store, or forgotten.
    settle(): void {
        this.stopTimer();
        this.written = this.revision();
    }

    // The owner may have changed: a write is due unless one already is.
    touched(): void {
        if (this.cancelTimer || this.revision() === this.written) return;
        this.cancelTimer = this.clock.after(this.delayMs, () => {
            this.cancelTimer = null;
            void this.flush();
        });
    }

    // Writes what has changed now; resolves once it is written (or has failed).
    async flush(): Promise<void> {
        this.stopTimer();
        while (this.writing) await this.writing;
        if (this.revision() === this.written) return;
        this.writing = this.write();
        try {
            await this.writing;
        } finally {
            this.writing = null;
        }
        // What changed while the write was under way.
        this.touched();
    }

    // Nothing due and nothing under way: the store may be cleared without a write landing after.
    async quiet(): Promise<void> {
        this.stopTimer();
        while (this.writing) await this.writing;
    }

    private stopTimer(): void {
        this.cancelTimer?.();
        this.cancelTimer = null;
    }

    private async write(): Promise<void> {
        const revision = this.revision();
        try {
            await this.store.put(this.name, this.snapshot());
            this.failing = false;
        } catch (error) {
            if (!this.failing) this.onFailure(failureText(error));
            this.failing = true;
        }
        // A failed write is tried again at the next change, not in a loop.
        this.written = revision;
    }
}

// Forget: every keeper quiet, the store cleared, then what they keep reset. Nothing of the reset
// is written, so the next visit starts afresh as well. Throws when the store refuses, and then
// leaves everything as it was.
export async function forgetKept(store: RecordStore, keepers: RecordKeeper[], reset: () => void): Promise<void> {
    for (const keeper of keepers) await keeper.quiet();
    await store.clear();
    reset();
    for (const keeper of keepers) keeper.settle();
}
