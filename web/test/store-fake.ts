// A record store in memory, for the page's tests (node has no IndexedDB): records are copied in
// and out as IndexedDB's structured clone copies them, and any call can be made to fail or wait.
import type { RecordStore } from "../src/store.js";

export class MemoryStore implements RecordStore {
    readonly records = new Map<string, unknown>();
    puts: { name: string; value: unknown }[] = [];
    // Set to make the next calls of that kind fail with this error.
    failPut: Error | null = null;
    failGet: Error | null = null;
    failClear: Error | null = null;
    // Set to hold every put until the test resolves it.
    hold: Promise<void> | null = null;
    putsUnderWay = 0;
    mostPutsUnderWay = 0;

    async get(name: string): Promise<unknown> {
        if (this.failGet) throw this.failGet;
        return this.records.has(name) ? structuredClone(this.records.get(name)) : undefined;
    }
    async put(name: string, value: unknown): Promise<void> {
        this.mostPutsUnderWay = Math.max(this.mostPutsUnderWay, ++this.putsUnderWay);
        try {
            if (this.hold) await this.hold;
            if (this.failPut) throw this.failPut;
            const copy = structuredClone(value);
            this.records.set(name, copy);
            this.puts.push({ name, value: copy });
        } finally {
            --this.putsUnderWay;
        }
    }
    async remove(name: string): Promise<void> {
        this.records.delete(name);
    }
    async clear(): Promise<void> {
        if (this.failClear) throw this.failClear;
        this.records.clear();
    }
}
