// The Library's file pane: every patch of the files opened, of any format the editor reads, each
// converted as File > Open or File > Import would convert it.
import type { Core, OpenedSource } from "../core.js";

export interface FilePatch {
    name: string;
    fileName: string;
    record: Uint8Array | null; // null: the importer cannot convert it (failure says why)
    failure: string;
    ampModel: string; // the core's row texts; "(cannot be converted)" without a record
    effect: string;
}

export interface FileListing {
    title: string; // "Lead.syx: 36 patches"
    patches: FilePatch[];
}

export type OpenedFile = { patches: FilePatch[]; singlePatch: boolean } | { failure: { text: string; caption: string } };

// The editor's own files first, as a dropped file is taken; anything else is imported.
export function openFileForPane(core: Core, fileName: string, bytes: Uint8Array): OpenedFile {
    const own = core.raw.openPatchFile(bytes);
    if (!own.failure && own.kind === "Bank") return { patches: bankPatches(core, fileName, own), singlePatch: false };
    if (!own.failure && own.kind === "SinglePatch")
        return { patches: entryPatches(core, fileName, bytes, false, [""], core.raw.noEffectChoice()), singlePatch: true };
    const foreign = core.raw.openImportFile(bytes, fileName);
    if (foreign.failure) return { failure: own.failure && /\.(pod|syx)$/i.test(fileName) ? own.failure : foreign.failure };
    // The GuitarPort's chooser opens on MOD: the pane takes that, as the desktop's does.
    const modOrComp = foreign.guitarPortAsks ? core.guitarPortChoices().modulation : core.raw.noEffectChoice();
    const names = foreign.entries.length ? foreign.entries.map((e) => e.name) : [""];
    return { patches: entryPatches(core, fileName, bytes, true, names, modOrComp), singlePatch: false };
}

function bankPatches(core: Core, fileName: string, source: OpenedSource): FilePatch[] {
    const rows = source.bytes && core.raw.bankRows(source.bytes);
    return (rows ?? []).map((row) => ({ name: row.name, fileName, record: row.record, failure: "", ampModel: row.ampModel, effect: row.effect }));
}

function entryPatches(core: Core, fileName: string, bytes: Uint8Array, isImport: boolean, names: string[], modOrComp: number): FilePatch[] {
    return names.map((name, n) => {
        const result = core.raw.sourceDump(bytes, fileName, isImport, n, modOrComp);
        const record = result.dump && core.raw.recordOfDump(result.dump);
        return patchOf(core, fileName, name, record ?? null, result.failure.text);
    });
}

function patchOf(core: Core, fileName: string, name: string, record: Uint8Array | null, failure: string): FilePatch {
    const row = record && core.raw.libraryRow(record, 0);
    return {
        name: name || (row ? row.name : ""),
        fileName,
        record: row ? record : null,
        failure,
        ampModel: row ? row.ampModel : core.text("LibraryNotConvertible"),
        effect: row ? row.effect : "",
    };
}

// The files opened together make one collection, listed in the order opened.
export function listing(core: Core, files: { fileName: string; patches: FilePatch[] }[]): FileListing | null {
    if (!files.length) return null;
    const patches = files.flatMap((f) => f.patches);
    const names = files.map((f) => f.fileName).join(", ");
    const title = patches.length === 1 ? core.text("LibraryFileOnePatch", names) : core.text("LibraryFilePatches", names, patches.length);
    return { title, patches };
}
