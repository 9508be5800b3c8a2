// The core module as the page uses it: loading it at run time, its texts by key, and its tables
// indexed the way the page looks them up.
import type { AmplixCore, EffectRow, OpenedSource, StatusBytes, ToneParameter } from "../bind/amplix-core.js";

export type * from "../bind/amplix-core.js";

export type CoreTiming = ReturnType<AmplixCore["timing"]>;

// The core with the page's conveniences: rows by member, texts by key, the effect table.
export class Core {
    readonly raw: AmplixCore;
    readonly toneMap: ToneParameter[];
    readonly timing: CoreTiming;
    readonly effects: EffectRow[];
    readonly sizes: ReturnType<AmplixCore["sizes"]>;
    readonly status: StatusBytes;
    // The size of the bank the device sends, as the core's device model sends it: the total of
    // the reading progress.
    readonly bankDumpSize: number;
    private readonly byMember = new Map<string, ToneParameter>();
    private readonly byController = new Map<number, ToneParameter>();
    private readonly textTable: Record<string, string>;

    constructor(raw: AmplixCore) {
        this.raw = raw;
        this.toneMap = raw.toneMap();
        for (const p of this.toneMap) {
            if (p.member) this.byMember.set(p.member, p);
            this.byController.set(p.controller, p);
            if (p.secondController) this.byController.set(p.secondController, p);
        }
        this.textTable = raw.texts();
        this.timing = raw.timing();
        this.sizes = raw.sizes();
        this.status = raw.statusBytes();
        this.bankDumpSize = this.sizes.bankDump;
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

    podLayerAmpModel(): number {
        return this.raw.podLayerAmpModel();
    }

    // The GuitarPort chooser's two answers for a patch with both effects.
    guitarPortChoices(): { compressor: number; modulation: number } {
        return this.raw.guitarPortChoices();
    }

    simulatorName(): string {
        return this.text("SimulatorName");
    }

    connectionSummary(inputName: string, outputName: string, channel: number): string {
        return this.raw.connectionSummary(inputName, outputName, channel);
    }

    // The dump with one control's state written into it, every other byte as it was; a dump the
    // core does not take stays as it was.
    withControl(dump: Uint8Array, member: string, state: number): Uint8Array {
        return this.raw.withControl(dump, member, state) ?? dump;
    }

    // The bank a Load ALL sends, as the opened file holds it; null for a file that is no bank.
    bankOf(source: OpenedSource): Uint8Array | null {
        return source.bytes && source.bytes.length ? source.bytes : null;
    }

    // A bank as the 36 store messages that put its patches into the device one location at a
    // time, each a whole SysEx of its own.
    bankStoreMessages(bank: Uint8Array): Uint8Array[] | null {
        return this.raw.bankStoreMessages(bank);
    }

    // The bank chooser's lines, as the desktop's list shows them: "1A  Clean Sparkle".
    bankLines(source: OpenedSource): string[] {
        const bank = this.bankOf(source);
        return bank ? this.raw.bankListing(bank) : [];
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
