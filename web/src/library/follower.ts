// What passes between the editor and the Library: the device's patch and memory as the editor's
// own commands change them, and the bank the Library waits for.

export interface LibraryFollower {
    program(program: number): void; // the device is at this program (0: manual)
    shown(dump: Uint8Array): void; // the current sound, as the panel now shows it
    stored(location: number, dump: Uint8Array): void; // Save Patch To POD (the device goes there)
    bankSent(bank: Uint8Array): void; // Load ALL (the device goes to 1A)
}

// One taker at a time, told once: the bank, or why none came.
export class BankTaker {
    private take: ((bank: Uint8Array | null, why: string) => void) | null = null;

    wait(take: (bank: Uint8Array | null, why: string) => void): void {
        this.take = take;
    }
    get waiting(): boolean {
        return this.take !== null;
    }
    hand(bank: Uint8Array | null, why: string): void {
        const take = this.take;
        this.take = null;
        take?.(bank, why);
    }
}
