// The page's entry: loads the core, builds the editor, finds the POD; reports every error it meets.
import { App } from "./app.js";
import { loadCore, type Core, type PodDevice } from "./core.js";
import { registerOffline } from "./offline.js";
import { IndexedDbStore } from "./store.js";

const testing = new URLSearchParams(location.search).has("test");
let app: App | null = null;
const early: string[] = [];

function report(error: unknown): void {
    if (app) app.reportError(error);
    else {
        const text = error instanceof Error ? error.message : String(error);
        early.push(text);
        const line = document.getElementById("status-outcome") ?? document.getElementById("boot-status");
        if (line) line.textContent = text;
    }
}
window.addEventListener("error", (event) => report(event.error ?? event.message));
window.addEventListener("unhandledrejection", (event) => {
    event.preventDefault();
    report(event.reason);
});

async function start(): Promise<void> {
    const core = await loadCore(import.meta.url);
    app = new App(document, core);
    if (testing) exposeTestHook(app);
    void registerOffline(navigator.serviceWorker, isSecureContext, new URL("../", import.meta.url));
    await app.keep(() => IndexedDbStore.open());
    const request = typeof navigator.requestMIDIAccess === "function"
        ? () => navigator.requestMIDIAccess({ sysex: true })
        : null;
    document.body.dataset.ready = "true";
    await app.connectMidi(request);
}

// Only with ?test in the address: the end-to-end tests' view of the built-in device and the page.
function exposeTestHook(app: App): void {
    const sim = app.simulator;
    (window as unknown as { amplixTest: object }).amplixTest = {
        errors: () => [...early, ...app.errors],
        // Every message the device has taken, as plain arrays of bytes.
        received: () => sim.received.map((m) => [...m]),
        currentProgram: () => sim.device.currentProgram(),
        deviceChannel: () => sim.device.channel(),
        editBufferDump: () => [...sim.device.editBufferDump()],
        bankDump: () => [...sim.device.bankDump()],
        decodedEditBuffer: () => app.core.raw.decodeDump(sim.device.editBufferDump()),
        turnKnob: (controller: number, value: number) => sim.turnKnob(controller, value),
        choosePatch: (program: number) => sim.choosePatch(program),
        awaitingAnswer: () => app.editor.awaitingAnswer,
        parameter: (member: string) => app.core.parameter(member),
        decode: (bytes: number[]) => app.core.raw.decodeDump(Uint8Array.from(bytes)),
        // A bank unlike the one given: every location holds the patch of the next. A scratch
        // device holds the given bank and hands each patch to a second one, stored one down.
        rotatedBank: (bytes: number[]) =>
            withDevice(app.core, (from) =>
                withDevice(app.core, (to) => {
                    from.receive(Uint8Array.from(bytes));
                    const last = app.core.raw.lastProgram();
                    for (let n = 0; n < last; ++n) {
                        from.choosePatch(((n + 1) % last) + 1);
                        const store = app.core.raw.storeMessage(from.editBufferDump(), n);
                        if (!store) return null;
                        to.receive(store);
                    }
                    return [...to.bankDump()];
                })),
        // Writes what the simulator keeps now, rather than a moment later.
        flushKept: () => app.flushKept(),
        linkState: () => ({ open: app.link?.isOpen ?? false, pieces: app.link?.sysexInPieces ?? null }),
        text: (key: string, ...args: (string | number)[]) => app.core.text(key, ...args),
        programTitle: (program: number) => app.core.raw.programTitle(program),
        locationName: (location: number) =>
            withDevice(app.core, (scratch) => {
                scratch.receive(sim.device.bankDump());
                scratch.choosePatch(location + 1);
                return app.core.raw.dumpName(scratch.editBufferDump());
            }),
        controlState: (member: string) => app.panel.state(member),
        // A core function by name, arrays of bytes in and out as plain arrays.
        core: (name: string, ...args: unknown[]) => {
            const bytes = (v: unknown) => (Array.isArray(v) ? Uint8Array.from(v as number[]) : v);
            const result = (app.core.raw as unknown as Record<string, (...a: unknown[]) => unknown>)[name]!(...args.map(bytes));
            return result instanceof Uint8Array ? [...result] : result;
        },
        libraryRecords: () => [...app.library.librarian.library.records()],
        // The file pane given these files at once; the time until the rows are laid out, in ms.
        listFiles: async (files: { fileName: string; bytes: number[] }[]) => {
            const given = files.map((f) => ({ fileName: f.fileName, bytes: Uint8Array.from(f.bytes) }));
            const start = performance.now();
            await app.library.openFiles(given);
            void document.getElementById("library-file")?.getBoundingClientRect();
            return performance.now() - start;
        },
        singleDump: (name: string) => {
            const dump = app.editor.currentDump;
            const renamed = dump && app.core.raw.renameDump(dump, name);
            return renamed ? [...renamed] : null;
        },
    };
}

// A device model of its own for a test hook, deleted after.
function withDevice<T>(core: Core, run: (device: PodDevice) => T): T {
    const device = new core.raw.PodDevice();
    try {
        return run(device);
    } finally {
        device.delete();
    }
}

start().catch(report);
