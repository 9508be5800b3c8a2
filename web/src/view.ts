// The editor's view in the DOM: the panel built from the core's geometry, the patch strip, the
// heading, the status line and the dialogs.
import type { Clock } from "./clock.js";
import type { Core, OpenedSource, SourceEntry, WindowName } from "./core.js";
import * as dialogs from "./dialogs.js";
import type { Chooser, EditorView } from "./editor.js";
import type { BuiltPanel } from "./panel.js";

export interface StatusLine {
    connection: HTMLElement;
    outcome: HTMLElement;
    progress: HTMLElement;
}

export class DomView implements EditorView {
    private progressTimer: ReturnType<typeof setInterval> | undefined;
    patchNameElement: HTMLElement | null = null;

    constructor(
        private readonly doc: Document,
        private readonly core: Core,
        private readonly panel: BuiltPanel,
        private readonly heading: HTMLElement,
        private readonly status: StatusLine,
        private readonly clock: Clock,
    ) {}

    control(member: string): number {
        return this.panel.state(member);
    }
    setControl(member: string, state: number): void {
        this.panel.setState(member, state);
    }
    focusControl(member: string): void {
        const control = this.panel.controls.get(member);
        if (control && !control.closest("[hidden]")) control.focus({ preventScroll: true });
    }
    setControlVisible(member: string, visible: boolean): void {
        const control = this.panel.controls.get(member);
        if (!control) return;
        const shown = control.type === "checkbox" ? control.parentElement! : control;
        shown.hidden = !visible;
    }
    setControlEnabled(member: string, enabled: boolean): void {
        const control = this.panel.controls.get(member);
        if (control) control.disabled = !enabled;
    }
    setWindowVisible(window: WindowName, visible: boolean): void {
        const section = this.panel.windows.get(window);
        if (section) section.hidden = !visible;
    }
    setStaticText(name: string, text: string): void {
        const label = this.panel.statics.get(name);
        if (label) label.textContent = text;
    }
    setPatchName(name: string): void {
        if (this.patchNameElement) this.patchNameElement.textContent = name;
    }
    setTitle(title: string): void {
        // The core's titles are whole window titles: "Amplix 32 - Patch 1A".
        this.heading.textContent = title;
        this.doc.title = title;
    }
    showConnection(text: string): void {
        this.status.connection.textContent = text;
        this.status.connection.title = text;
    }
    showOutcome(text: string): void {
        this.status.outcome.textContent = text;
        this.status.outcome.title = text;
    }

    // A bank's progress, measured by the cable: a MIDI input hands on a SysEx only whole.
    beginTransfer(text: string, total: number, startsAt: number): void {
        this.showOutcome(text);
        this.endTransfer();
        const byteMs = this.core.raw.cableTimeMs(1);
        const tick = () => {
            const elapsed = this.clock.now() - startsAt;
            if (elapsed < this.core.timing.progressDelayMs) return;
            const carried = Math.max(0, Math.min(total, Math.floor(elapsed / byteMs)));
            const bar = this.status.progress;
            bar.hidden = false;
            if (carried < total) {
                bar.style.setProperty("--done", `${(100 * carried) / total}%`);
                bar.classList.remove("waiting");
                bar.textContent = this.core.text("StatusProgress", carried, total);
            } else {
                bar.classList.add("waiting");
                bar.textContent = this.core.text("StatusWaiting");
            }
        };
        this.progressTimer = setInterval(tick, 50);
    }
    endTransfer(): void {
        clearInterval(this.progressTimer);
        this.progressTimer = undefined;
        this.status.progress.hidden = true;
    }

    chooseLocation(): Promise<number | null> {
        const labels = [];
        for (let n = 0; n < this.core.raw.lastProgram(); ++n) labels.push(this.core.raw.locationLabel(n));
        return dialogs.chooseLocation(this.doc, this.core, labels);
    }
    confirmOverwriteAll(): Promise<boolean> {
        return dialogs.confirmOverwriteAll(this.doc, this.core);
    }
    chooseFromBank(lines: string[]): Promise<number | "all" | null> {
        return dialogs.chooseFromBank(this.doc, this.core, lines);
    }
    chooseEntry(chooser: Chooser, entries: SourceEntry[]): Promise<number | null> {
        return dialogs.chooseEntry(this.doc, this.core, chooser, entries);
    }
    chooseGuitarPortEffect(source: OpenedSource): Promise<number | null> {
        return dialogs.chooseGuitarPortEffect(this.doc, this.core, source, this.core.guitarPortChoices());
    }
    askPatchName(current: string): Promise<string | null> {
        return dialogs.askPatchName(this.doc, this.core, current);
    }
    message(text: string, caption: string): Promise<void> {
        return dialogs.showMessage(this.doc, this.core, text, caption);
    }
    download(fileName: string, bytes: Uint8Array): void {
        const url = URL.createObjectURL(new Blob([bytes.slice()], { type: "application/octet-stream" }));
        const a = this.doc.createElement("a");
        a.href = url;
        a.download = fileName;
        a.hidden = true;
        this.doc.body.appendChild(a);
        a.click();
        a.remove();
        setTimeout(() => URL.revokeObjectURL(url), 10000);
    }
}
