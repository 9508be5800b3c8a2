// The page put together: the heading and its commands, the panel, the status line, the MIDI link
// found or chosen at start-up, files by picker and by drop, and errors reported where they show.
import { browserClock, type Clock } from "./clock.js";
import type { Core } from "./core.js";
import { element } from "./dom.js";
import { Editor } from "./editor.js";
import { confirmForget } from "./forget.js";
import { forgetKept, type RecordKeeper } from "./keeping.js";
import { SimulatorKeeper } from "./kept-simulator.js";
import { installLibrary, type InstalledLibrary } from "./library/install.js";
import { LibraryKeeper } from "./library/kept-library.js";
import { findPod, type FoundPod } from "./midi/finder.js";
import { MidiLink, type OpenResult } from "./midi/link.js";
import { SimulatorBackend } from "./midi/simulator.js";
import type { MidiBackend } from "./midi/types.js";
import { CombinedBackend, WebMidiBackend } from "./midi/webmidi.js";
import { buildPanel, planPanel, type BuiltPanel } from "./panel.js";
import { runMidiSetup, type SetupChoice } from "./setup.js";
import { failureText, type RecordStore } from "./store.js";
import { DomView, type StatusLine } from "./view.js";

// Menu texts mark their access letter with "&"; the page has none.
export function menuText(core: Core, key: string, ...args: (string | number)[]): string {
    return core.text(key, ...args).replace(/&/g, "");
}

export class App {
    readonly editor: Editor;
    readonly view: DomView;
    readonly panel: BuiltPanel;
    readonly simulator: SimulatorBackend;
    backend!: MidiBackend;
    link!: MidiLink;
    webMidi: WebMidiBackend | null = null;
    private choice: SetupChoice | null = null;
    private accessNote = "";
    private readonly status: StatusLine;
    private readonly openInput: HTMLInputElement;
    private readonly importInput: HTMLInputElement;
    private readonly scaler: HTMLElement;
    readonly errors: string[] = [];
    private store: RecordStore | null = null;
    private keepers: RecordKeeper[] = [];
    // What became of the simulator's kept memory, shown through the first read after connecting.
    private startNotice = "";
    readonly library: InstalledLibrary;

    constructor(
        private readonly doc: Document,
        readonly core: Core,
        private readonly clock: Clock = browserClock,
    ) {
        const body = doc.body;
        body.replaceChildren();
        const heading = element(doc, "h1", { id: "title", textContent: core.text("AppName") });
        const toolbar = this.buildToolbar();
        const header = element(doc, "header", { className: "top" }, heading, toolbar);

        this.panel = buildPanel(doc, planPanel(core.raw.panelLayout(), core.toneMap), {
            changed: (member) => this.editor.userChanged(member),
            valueText: (member, state) => core.raw.valueText(member, state),
            labelledValueText: (member, state) => core.raw.labelledValueText(member, state),
        });
        this.scaler = element(doc, "div", { className: "panel-scaler", id: "panel-scaler" }, this.panel.root);
        const main = element(doc, "main", { className: "stage", id: "stage" }, this.scaler);

        this.status = {
            connection: element(doc, "span", { id: "status-connection", className: "connection" }),
            outcome: element(doc, "span", { id: "status-outcome", className: "outcome" }),
            progress: element(doc, "span", { id: "status-progress", className: "progress", hidden: true }),
        };
        const footer = element(doc, "footer", { className: "status", id: "status-line" },
            this.status.connection, this.status.outcome, this.status.progress);
        footer.setAttribute("role", "status");

        this.openInput = element(doc, "input", { type: "file", id: "open-file", accept: ".pod,.syx,.POD,.SYX", hidden: true });
        this.importInput = element(doc, "input", { type: "file", id: "import-file", hidden: true });
        body.append(header, main, footer, this.openInput, this.importInput);

        this.view = new DomView(doc, core, this.panel, heading, this.status, clock);
        this.buildStrip();
        this.editor = new Editor(core, this.view, clock);
        this.editor.onError = (e) => this.reportError(e);
        this.editor.setUp();
        this.simulator = new SimulatorBackend(core.simulatorName(), () => new core.raw.PodDevice(),
            () => new core.raw.MessageJoiner(), (n) => core.raw.cableTimeMs(n), clock);

        this.wireFiles();
        this.library = installLibrary(this, doc, clock);
        this.fitPanel();
        doc.defaultView?.addEventListener("resize", () => this.fitPanel());
    }

    private command(id: string, key: string, run: () => void | Promise<void>): HTMLButtonElement {
        const button = element(this.doc, "button", { type: "button", id, textContent: menuText(this.core, key) });
        button.addEventListener("click", () => void this.guard(run));
        return button;
    }

    private buildToolbar(): HTMLElement {
        const doc = this.doc, core = this.core;
        const group = (labelKey: string, ...items: HTMLElement[]) => {
            const g = element(doc, "div", { className: "group" }, ...items);
            g.setAttribute("role", "group");
            g.setAttribute("aria-label", menuText(core, labelKey));
            return g;
        };
        const patch = element(doc, "select", { id: "patch-select" });
        patch.setAttribute("aria-label", menuText(core, "MenuPatch"));
        patch.append(element(doc, "option", { value: "", textContent: menuText(core, "MenuPatch"), disabled: true, selected: true }));
        patch.append(element(doc, "option", { value: "0", textContent: menuText(core, "MenuPatchManual") }));
        // The locations grouped by bank as the core labels them: "1A" is bank 1, letter A.
        const banks = new Map<string, HTMLOptGroupElement>();
        for (let program = 1; program <= core.raw.lastProgram(); ++program) {
            const label = core.raw.locationLabel(program - 1);
            const bank = label.slice(0, -1), letter = label.slice(-1);
            let optgroup = banks.get(bank);
            if (!optgroup) {
                optgroup = element(doc, "optgroup", { label: menuText(core, "MenuPatchBank", bank) });
                banks.set(bank, optgroup);
                patch.append(optgroup);
            }
            optgroup.append(element(doc, "option", {
                value: String(program),
                textContent: menuText(core, "MenuPatchLocation", bank, letter),
            }));
        }
        patch.addEventListener("change", () => {
            const program = Number(patch.value);
            patch.selectedIndex = 0;
            void this.guard(() => this.editor.choosePatch(program));
        });
        const link = this.command("cmd-link-amp", "MenuOptionsLinkAmp", () => {
            this.editor.toggleAmpLink();
            link.setAttribute("aria-pressed", String(this.editor.ampModelLinked));
        });
        link.setAttribute("aria-pressed", "true");
        const bar = element(doc, "nav", { className: "toolbar", id: "toolbar" },
            group("MenuFile",
                this.command("cmd-open", "MenuFileOpen", () => this.openInput.click()),
                this.command("cmd-save", "MenuFileSave", () => this.editor.saveFile()),
                this.command("cmd-save-all", "MenuFileSaveAll", () => this.editor.saveAllFile()),
                this.command("cmd-import", "MenuFileImport", () => this.importInput.click()),
                this.command("cmd-read", "MenuFileRead", () => this.editor.readPatch())),
            group("MenuPatch", patch),
            group("MenuOptions",
                this.command("cmd-midi-setup", "MenuOptionsMidiSetup", () => this.setup("")),
                link,
                this.command("cmd-forget", "Forget", () => this.forget())));
        bar.setAttribute("aria-label", core.text("AppName"));
        return bar;
    }

    private buildStrip(): void {
        const doc = this.doc, core = this.core, strip = this.panel.strip;
        const label = element(doc, "span", { className: "strip-label", textContent: core.text("PatchNameLabel") });
        const name = element(doc, "span", { className: "strip-name", id: "patch-name" });
        this.view.patchNameElement = name;
        strip.append(label, name,
            this.command("cmd-rename", "PatchNameChange", () => this.editor.rename()),
            this.command("cmd-save-to-pod", "PatchNameSaveToPod", () => this.editor.saveToPod()));
    }

    private wireFiles(): void {
        const read = async (input: HTMLInputElement, use: (name: string, bytes: Uint8Array) => Promise<void>) => {
            const file = input.files?.[0];
            input.value = "";
            if (!file) return;
            await use(file.name, await this.readFile(file));
        };
        this.openInput.addEventListener("change", () =>
            void this.guard(() => read(this.openInput, (n, b) => this.editor.openFile(n, b))));
        this.importInput.addEventListener("change", () =>
            void this.guard(() => read(this.importInput, (n, b) => this.editor.importFile(n, b))));
        const body = this.doc.body;
        body.addEventListener("dragover", (event) => {
            if (!event.dataTransfer?.types.includes("Files")) return;
            event.preventDefault();
            body.classList.add("dropping");
        });
        body.addEventListener("dragleave", (event) => {
            if (event.relatedTarget === null) body.classList.remove("dropping");
        });
        body.addEventListener("drop", (event) => {
            event.preventDefault();
            body.classList.remove("dropping");
            const file = event.dataTransfer?.files[0];
            if (file) void this.guard(async () => this.editor.dropFile(file.name, await this.readFile(file)));
        });
        this.doc.addEventListener("keydown", (event) => {
            if (!(event.ctrlKey || event.metaKey) || event.altKey || this.doc.querySelector("dialog[open]")) return;
            const key = event.key.toLowerCase();
            if (key === "o") {
                event.preventDefault();
                this.openInput.click();
            } else if (key === "s") {
                event.preventDefault();
                void this.guard(() => this.editor.saveFile());
            }
        });
    }

    // Files are read whole, and refused whole when they are far beyond any patch file.
    private async readFile(file: File): Promise<Uint8Array> {
        const kReadLimit = 16 * 1024 * 1024;
        if (file.size > kReadLimit) return new Uint8Array(await file.slice(0, kReadLimit + 1).arrayBuffer());
        return new Uint8Array(await file.arrayBuffer());
    }

    // The panel keeps the desktop's arrangement and scales as a whole to the window.
    fitPanel(): void {
        const win = this.doc.defaultView;
        if (!win) return;
        const layout = this.panel.root;
        const width = Number.parseFloat(layout.style.width), height = Number.parseFloat(layout.style.height);
        const header = this.doc.querySelector("header")?.getBoundingClientRect().height ?? 0;
        const footer = this.doc.querySelector("footer")?.getBoundingClientRect().height ?? 0;
        const room = Math.max(200, win.innerHeight - header - footer - 24);
        const across = Math.max(200, this.doc.documentElement.clientWidth - 24);
        const scale = Math.max(0.4, Math.min(across / width, room / height, 1.6));
        layout.style.transform = `scale(${scale})`;
        this.scaler.style.width = `${width * scale}px`;
        this.scaler.style.height = `${height * scale}px`;
    }

    reportError(error: unknown): void {
        const text = error instanceof Error ? error.message : String(error);
        this.errors.push(text);
        this.view.showOutcome(this.core.text("StatusPageError", text));
    }

    private async guard(run: () => void | Promise<void>): Promise<void> {
        try {
            await run();
        } catch (error) {
            this.reportError(error);
        }
    }

    // ---- What the browser keeps. ----

    // The simulator and the Library take back what an earlier visit kept and keep what changes
    // from now on; a store that does not open leaves the factory patches and says so.
    async keep(openStore: () => Promise<RecordStore>): Promise<void> {
        let store: RecordStore;
        try {
            store = await openStore();
        } catch (error) {
            this.startNotice = this.core.text("StatusSimulatorNotKept", failureText(error));
            this.view.showOutcome(this.startNotice);
            return;
        }
        const text = (key: string, ...args: string[]) => this.core.text(key, ...args);
        const notify = (notice: string) => this.view.showOutcome(notice);
        const simulator = new SimulatorKeeper(this.simulator.device, store, text, this.clock);
        simulator.onNotice = notify;
        const { librarian } = this.library;
        const library = new LibraryKeeper(librarian, (files) => this.library.reopenFiles(files), store, text, this.clock);
        library.onNotice = notify;
        const notices = [await simulator.restore(), ...(await library.restore())].filter((n) => n);
        this.startNotice = notices.join("; ");
        if (this.startNotice) this.view.showOutcome(this.startNotice);
        this.store = store;
        this.keepers = [simulator.writer, library.bank, library.files];
        this.simulator.onDeviceTouched = () => simulator.touched();
        librarian.onChange = () => library.changed();
        this.library.onFilesOpened = (files) => library.filesOpened(files);
        this.forgotten = () => library.forgotten();
        // A change just made is written before the page goes.
        this.doc.defaultView?.addEventListener("pagehide", () => void this.flushKept());
    }

    flushKept(): Promise<void> {
        return Promise.all(this.keepers.map((k) => k.flush())).then(() => {});
    }

    private forgotten = () => {};

    private async forget(): Promise<void> {
        // What the Library is sending or reading back must not land in a forgotten bank.
        if (this.library.librarian.busy) return this.view.showOutcome(this.core.text("ForgetBusy"));
        if (!(await confirmForget(this.doc, this.core))) return;
        if (this.library.librarian.busy) return this.view.showOutcome(this.core.text("ForgetBusy"));
        const reset = () => {
            this.simulator.operate((device) => device.reset());
            this.library.librarian.forget();
            this.forgotten();
        };
        if (this.store) await forgetKept(this.store, this.keepers, reset);
        else reset();
        const outcome = this.core.text("StatusForgotten");
        // The simulator says it is at 1A, as after a reset on the desktop: the editor reads it.
        if (this.link?.isOpen && this.link.isSimulator) this.editor.readBackAfter(outcome);
        else this.view.showOutcome(outcome);
    }

    // ---- The MIDI link. ----

    async connectMidi(requestAccess: (() => Promise<MIDIAccess>) | null): Promise<void> {
        if (requestAccess) {
            try {
                this.webMidi = new WebMidiBackend(await requestAccess());
                performance.mark("amplix:midi-access"); // read by bench/web_bench.mjs
            } catch {
                this.accessNote = this.core.text("WebMidiRefused", this.core.simulatorName());
            }
        } else {
            this.accessNote = this.core.text("WebMidiMissing", this.core.simulatorName());
        }
        this.backend = new CombinedBackend(this.webMidi ? [this.webMidi, this.simulator] : [this.simulator]);
        this.link = new MidiLink(this.backend, this.core.raw, this.clock, {
            message: (bytes) => this.editor.receive(bytes),
            gone: (name) => this.view.showOutcome(this.core.text("StatusDeviceGone", name)),
            back: () => {
                this.view.showOutcome(this.core.text("StatusDeviceBack", this.link.outputName));
                this.editor.readPatch();
            },
        });
        if (!this.webMidi) {
            await this.setup(this.accessNote, this.simulatorChoice());
            return;
        }
        this.view.showOutcome(menuText(this.core, "MidiSetupFindPod"));
        const found = await this.find({ cancelled: false });
        const search = found.search;
        this.view.showOutcome("");
        if (search.outcome === "Found" && search.channel !== null && found.inputId && found.outputId) {
            if (await this.connect({ inputId: found.inputId, outputId: found.outputId, channel: search.channel })) return;
        }
        const notice = this.core.raw.describeSearch(search, found.inputName, found.outputName);
        await this.setup(notice, found.inputId && found.outputId
            ? { inputId: found.inputId, outputId: found.outputId, channel: search.channel ?? 0 }
            : this.simulatorChoice());
    }

    private simulatorChoice(): SetupChoice {
        const sim = this.backend.outputs().find((p) => this.backend.isSimulator(p.id))!;
        return { inputId: sim.id, outputId: sim.id, channel: 0 };
    }

    private find(cancel: { cancelled: boolean }): Promise<FoundPod> {
        const t = this.core.timing;
        return findPod(this.backend, this.core.raw, this.clock, { answerMs: t.findAnswerMs, inquiryMs: t.findInquiryMs }, cancel);
    }

    async setup(notice: string, initial: Partial<SetupChoice> = this.choice ?? {}): Promise<void> {
        this.doc.body.dataset.state = "setup";
        const wasOpen = this.link.isOpen;
        const choice = await runMidiSetup(this.doc, this.core, this.backend, initial, notice, async (cancel) => {
            // A search needs every port, the editor's own too; they open again afterwards.
            this.link.close();
            this.editor.detach();
            return this.find(cancel);
        });
        if (!choice) {
            if (wasOpen && !this.link.isOpen && this.choice) await this.connect(this.choice);
            this.doc.body.dataset.state = this.link.isOpen ? "connected" : "idle";
            return;
        }
        await this.connect(choice);
    }

    // Opens the ports chosen; a port that does not open says why and the setup opens again.
    async connect(choice: SetupChoice): Promise<boolean> {
        const result: OpenResult = await this.link.open(choice.inputId, choice.outputId);
        if (result !== "ok") {
            this.editor.detach();
            const which = this.core.text(result.which === "in" ? "MidiPortIn" : "MidiPortOut");
            const key = result.error === "busy" ? "MidiPortInUse" : "MidiInvalidPort";
            await this.view.message(this.core.text(key, which), this.core.text("MidiErrorCaption"));
            await this.setup("", choice);
            return this.link.isOpen;
        }
        this.choice = choice;
        // The built-in device listens on the channel the editor talks on.
        if (this.link.isSimulator) this.simulator.device.setChannel(choice.channel);
        this.editor.attach(this.link, choice.channel,
            this.core.connectionSummary(this.link.inputName, this.link.outputName, choice.channel));
        this.doc.body.dataset.state = "connected";
        const notice = this.startNotice;
        this.startNotice = "";
        if (notice) this.editor.readBackAfter(notice);
        else this.editor.readPatch();
        return true;
    }
}
