// What a file offers and what the user takes from it, through the choosers of File > Open and
// File > Import, before anything goes to the device.
import type { Core, SourceDump } from "./core.js";
import type { EditorView } from "./editor.js";

// A patch to send as the core made it from the file, or a whole bank for Load ALL; null when the
// file was refused or the user chose nothing.
export type FileChoice = { dump: SourceDump } | { bank: Uint8Array } | null;

type Choosers = Pick<EditorView, "message" | "chooseFromBank" | "chooseEntry" | "chooseGuitarPortEffect">;

// File > Open: a single patch as it is; a bank offers its patches and Load ALL.
export async function chooseFromOwnFile(core: Core, view: Choosers, fileName: string, bytes: Uint8Array): Promise<FileChoice> {
    const source = core.raw.openPatchFile(bytes);
    if (source.failure) {
        await view.message(source.failure.text, source.failure.caption);
        return null;
    }
    let entry = 0;
    if (source.kind === "Bank") {
        const choice = await view.chooseFromBank(core.bankLines(source));
        if (choice === null) return null;
        if (choice === "all") {
            const bank = core.bankOf(source);
            return bank ? { bank } : null;
        }
        entry = choice;
    }
    return { dump: core.raw.sourceDump(bytes, fileName, false, entry, core.raw.noEffectChoice()) };
}

// File > Import: the format is told by the content; each has its chooser.
export async function chooseFromImport(core: Core, view: Choosers, fileName: string, bytes: Uint8Array): Promise<FileChoice> {
    const source = core.raw.openImportFile(bytes, fileName);
    if (source.failure) {
        await view.message(source.failure.text, source.failure.caption);
        return null;
    }
    let entry = 0;
    let modOrComp = core.raw.noEffectChoice();
    switch (source.kind) {
        case "SoundDiver":
        case "Line6Edit": {
            const chosen = await view.chooseEntry(source.kind, source.entries);
            if (chosen === null || chosen < 0 || chosen >= source.entries.length) return null;
            entry = chosen;
            break;
        }
        case "GuitarPort": {
            const chosen = await view.chooseGuitarPortEffect(source);
            if (chosen === null) return null;
            modOrComp = chosen;
            break;
        }
        default:
            return null; // File > Open's, never an import's
    }
    return { dump: core.raw.sourceDump(bytes, fileName, true, entry, modOrComp) };
}
