// The cable behind one output: every message handed on no earlier than the cable is free, long
// SysEx in the core's paced pieces, and the time its last byte is at the device.
import type { Clock } from "../clock.js";
import type { RawOutput } from "./types.js";
import type { PacedSend } from "../core.js";

export interface Pacer {
    pacedSend(message: Uint8Array, now: number, cableFreeAt: number): PacedSend;
    cableTimeMs(bytes: number): number;
}

export class CableOutput {
    private freeAt = 0;
    // Chromium refuses a SysEx that does not end in its own send(); once it has, this output
    // takes each SysEx whole at the time of its first piece and the browser paces it.
    private wholeOnly = false;

    constructor(
        private readonly out: RawOutput,
        private readonly pacer: Pacer,
        private readonly clock: Clock,
        freeAt = 0,
    ) {
        this.freeAt = freeAt;
        this.wholeOnly = out.wholeSysexOnly ?? false;
    }

    get cableFreeAt(): number {
        return this.freeAt;
    }
    get takesWholeSysexOnly(): boolean {
        return this.wholeOnly;
    }

    // A short message waits behind whatever the cable still carries, so it never lands inside a
    // SysEx on its way. Returns when its last byte is at the device.
    sendShort(bytes: Uint8Array): number {
        const now = this.clock.now();
        const at = Math.max(now, this.freeAt);
        this.out.send(bytes, at > now ? at : undefined);
        this.freeAt = at + this.pacer.cableTimeMs(bytes.length);
        return this.freeAt;
    }

    sendSysex(message: Uint8Array): number {
        const now = this.clock.now();
        const plan = this.pacer.pacedSend(message, now, this.freeAt);
        const first = plan.pieces[0];
        if (!first) return this.freeAt;
        if (this.wholeOnly || plan.pieces.length === 1) {
            this.hand(message, first.at, now);
        } else {
            try {
                this.hand(first.bytes, first.at, now);
            } catch (error) {
                if (!(error instanceof TypeError)) throw error;
                this.wholeOnly = true;
                this.hand(message, first.at, now);
                this.freeAt = plan.doneAt;
                return plan.doneAt;
            }
            for (const piece of plan.pieces.slice(1)) this.hand(piece.bytes, piece.at, now);
        }
        this.freeAt = plan.doneAt;
        return plan.doneAt;
    }

    private hand(bytes: Uint8Array, at: number, now: number): void {
        this.out.send(bytes, at > now ? at : undefined);
    }
}
