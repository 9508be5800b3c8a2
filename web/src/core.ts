// The core module as the page uses it: loading it at run time, its texts, and the few facts the
// page asks it for that its interface does not have yet (each with the desktop's value until then).
import type { AmplixCore, EffectRow, OpenedSource, SourceEntry, ToneParameter } from "../bind/amplix-core.js";

export type * from "../bind/amplix-core.js";

// What the page needs beyond the interface file; listed with the reasons in web/bind/NEEDED.md.
export interface CoreTiming {
    editBufferTimeoutMs: number;
    bankTimeoutMs: number;
    tapTempoDelayMs: number;
    rotaryDepthReadDelayMs: number;
    findAnswerMs: number;
    findInquiryMs: number;
    progressDelayMs: number;
}
interface WantedCore {
    timing?(): CoreTiming;
    podLayerAmpModel?(): number;
    connectionSummary?(inputName: string, outputName: string, channel: number): string;
    bankListing?(bank: Uint8Array): string[];
    withControl?(dump: Uint8Array, member: string, state: number): Uint8Array;
    guitarPortChoices?(): { compressor: number; modulation: number };
    bankStoreMessages?(bank: Uint8Array): Uint8Array[] | null;
}

// The desktop's own values (DFrame, PodFinder, DStatusLine), used until the core hands them over;
// the two time-outs come from the core.
const kDesktopTiming: CoreTiming = {
    editBufferTimeoutMs: 1000,
    bankTimeoutMs: 8000,
    tapTempoDelayMs: 1000,
    rotaryDepthReadDelayMs: 800,
    findAnswerMs: 300,
    findInquiryMs: 100,
    progressDelayMs: 500,
};
const kDesktopPodLayer = 4;

// The core with the page's conveniences: rows by member, texts by key, the effect table.
export class Core {
    readonly raw: AmplixCore;
    readonly toneMap: ToneParameter[];
    readonly timing: CoreTiming;
    readonly effects: EffectRow[];
    private readonly byMember = new Map<string, ToneParameter>();
    private readonly byController = new Map<number, ToneParameter>();
    private readonly textTable: Record<string, string>;
    private readonly wanted: WantedCore;

    constructor(raw: AmplixCore) {
        this.raw = raw;
        this.wanted = raw as AmplixCore & WantedCore;
        this.toneMap = raw.toneMap();
        for (const p of this.toneMap) {
            if (p.member) this.byMember.set(p.member, p);
            this.byController.set(p.controller, p);
            if (p.secondController) this.byController.set(p.secondController, p);
        }
        // A core built before its texts shows every text by its key.
        this.textTable = typeof raw.texts === "function" ? raw.texts() : {};
        const timeouts = raw.timeouts();
        this.timing = this.wanted.timing
            ? this.wanted.timing()
            : { ...kDesktopTiming, editBufferTimeoutMs: timeouts.editBufferMs, bankTimeoutMs: timeouts.bankMs };
        this.effects = [];
        for (let i = 0; ; ++i) {
            const row = raw.effectForIndex(i);
            if (!row) break;
            this.effects.push(row);
        }
    }

    parameter(member: string): ToneParameter | undefined {
        return this.byMember.get(member);
    }
    controller(controller: number): ToneParameter | undefined {
        return this.byController.get(controller);
    }

    // A text by its key; %1, %2 ... take the arguments. A key the core lacks shows as itself, so
    // a missing text is seen rather than hidden.
    text(key: string, ...args: (string | number)[]): string {
        const template = this.textTable[key];
        if (template === undefined) return args.length ? `${key} ${args.join(" ")}` : key;
        return fillText(template, args);
    }
    // A text of the browser edition the core may not have yet: the page's words until it does.
    textOr(key: string, fallback: string, ...args: (string | number)[]): string {
        return fillText(this.textTable[key] ?? fallback, args);
    }
    hasText(key: string): boolean {
        return key in this.textTable;
    }

    podLayerAmpModel(): number {
        return this.wanted.podLayerAmpModel ? this.wanted.podLayerAmpModel() : kDesktopPodLayer;
    }

    // The GuitarPort chooser's two answers for a patch with both effects.
    guitarPortChoices(): { compressor: number; modulation: number } {
        return this.wanted.guitarPortChoices ? this.wanted.guitarPortChoices() : { compressor: 0, modulation: 1 };
    }

    simulatorName(): string {
        return this.text("SimulatorName");
    }

    connectionSummary(inputName: string, outputName: string, channel: number): string {
        if (this.wanted.connectionSummary) return this.wanted.connectionSummary(inputName, outputName, channel);
        const ports = inputName === outputName ? inputName : `${inputName} (in) and ${outputName} (out)`;
        return this.textOr("StatusConnected", "POD on %1, channel %2", ports, channel + 1);
    }

    // The dump with one control's state written into it, every other byte as it was.
    withControl(dump: Uint8Array, member: string, state: number): Uint8Array {
        if (this.wanted.withControl) return this.wanted.withControl(dump, member, state);
        let record = this.raw.recordOfDump(dump);
        for (const m of this.raw.controllerMessages(member, state))
            record = record && this.raw.applyController(record, m.controller, m.value);
        return (record && this.raw.singleDump(record, dump[7] ?? 0)) ?? dump;
    }

    // The bank a Load ALL sends: the source's own bytes when the core hands them on.
    bankOf(source: OpenedSource, fileBytes: Uint8Array): Uint8Array | null {
        const withBytes = source as OpenedSource & { bytes?: Uint8Array };
        if (withBytes.bytes && withBytes.bytes.length) return withBytes.bytes;
        return this.raw.classifyDump(fileBytes) === "Bank" ? fileBytes : null;
    }

    // A bank as the 36 store messages that put its patches into the device one location at a
    // time, each a whole SysEx of its own.
    bankStoreMessages(bank: Uint8Array): Uint8Array[] | null {
        if (this.wanted.bankStoreMessages) return this.wanted.bankStoreMessages(bank);
        const messages: Uint8Array[] = [];
        for (let n = 0; n < this.raw.lastProgram(); ++n) {
            const record = this.raw.bankRecord(bank, n);
            const dump = record && this.raw.singleDump(record, bank[7] ?? 0);
            const store = dump && this.raw.storeMessage(dump, n);
            if (!store) return null;
            messages.push(store);
        }
        return messages;
    }

    // The bank chooser's lines, as the desktop's list shows them: "1A  Clean Sparkle".
    bankLines(source: OpenedSource, bank: Uint8Array | null): string[] {
        if (this.wanted.bankListing && bank) return this.wanted.bankListing(bank);
        return source.entries.map((entry) => (entry.label ? `${entry.label}  ${entry.name}` : entry.name));
    }
}

export function fillText(template: string, args: readonly (string | number)[]): string {
    return template.replace(/%(\d)/g, (all, n: string) => {
        const index = Number(n) - 1;
        return index >= 0 && index < args.length ? String(args[index]) : all;
    });
}

// Loads amplix-core.js from beside the page's app folder; only its types are known at compile time.
export async function loadCore(base: string | URL): Promise<Core> {
    const url = new URL("../amplix-core.js", base).href;
    const module = (await import(url)) as { default: (options?: object) => Promise<AmplixCore> };
    const raw = await module.default({ locateFile: (path: string) => new URL(`../${path}`, base).href });
    return new Core(raw);
}
