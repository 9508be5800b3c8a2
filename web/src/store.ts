// What the page keeps in the browser between visits: named records ("simulator", "bank",
// "files", ...) in one IndexedDB object store, each written and read whole.
export interface RecordStore {
    // undefined when nothing is kept under the name.
    get(name: string): Promise<unknown>;
    put(name: string, value: unknown): Promise<void>;
    remove(name: string): Promise<void>;
    // Every record, whoever wrote it: what Forget clears.
    clear(): Promise<void>;
}

export const kDatabaseName = "amplix32";
export const kRecordsStore = "records";
const kDatabaseVersion = 1;

// The browser's words for a failure, for the status line.
export function failureText(error: unknown): string {
    if (error instanceof Error || (typeof DOMException !== "undefined" && error instanceof DOMException))
        return error.message || error.name;
    return String(error);
}

function settled<T>(request: IDBRequest<T>): Promise<T> {
    return new Promise((resolve, reject) => {
        request.onsuccess = () => resolve(request.result);
        request.onerror = () => reject(request.error ?? new Error("IndexedDB request failed"));
    });
}

export class IndexedDbStore implements RecordStore {
    private constructor(private readonly db: IDBDatabase) {
        // A newer page in another tab wants to upgrade the database: let it.
        db.onversionchange = () => db.close();
    }

    static open(factory: IDBFactory | undefined = globalThis.indexedDB): Promise<IndexedDbStore> {
        if (!factory) return Promise.reject(new Error("this browser has no IndexedDB"));
        return new Promise((resolve, reject) => {
            const request = factory.open(kDatabaseName, kDatabaseVersion);
            request.onupgradeneeded = () => {
                if (!request.result.objectStoreNames.contains(kRecordsStore))
                    request.result.createObjectStore(kRecordsStore);
            };
            request.onsuccess = () => resolve(new IndexedDbStore(request.result));
            request.onerror = () => reject(request.error ?? new Error("IndexedDB did not open"));
            request.onblocked = () => reject(new Error("IndexedDB is held by another tab of this page"));
        });
    }

    get(name: string): Promise<unknown> {
        return settled(this.db.transaction(kRecordsStore, "readonly").objectStore(kRecordsStore).get(name));
    }
    put(name: string, value: unknown): Promise<void> {
        return this.write((records) => records.put(value, name));
    }
    remove(name: string): Promise<void> {
        return this.write((records) => records.delete(name));
    }
    clear(): Promise<void> {
        return this.write((records) => records.clear());
    }

    // Done only once the transaction has committed, so a write reported done is on disk.
    private write(change: (records: IDBObjectStore) => void): Promise<void> {
        return new Promise((resolve, reject) => {
            const transaction = this.db.transaction(kRecordsStore, "readwrite");
            transaction.oncomplete = () => resolve();
            transaction.onerror = () => reject(transaction.error ?? new Error("IndexedDB write failed"));
            transaction.onabort = () => reject(transaction.error ?? new Error("IndexedDB write aborted"));
            change(transaction.objectStore(kRecordsStore));
        });
    }
}
