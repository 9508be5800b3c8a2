// A view that keeps the controls' states and records what the editor showed and asked.
import type { OpenedSource, SourceEntry, WindowName } from "../src/core.js";
import type { Chooser, EditorView } from "../src/editor.js";

export class FakeView implements EditorView {
    states = new Map<string, number>();
    hidden = new Set<string>();
    disabled = new Set<string>();
    windows = new Map<WindowName, boolean>();
    statics = new Map<string, string>();
    focused: string[] = [];
    patchName = "";
    title = "";
    connection = "";
    outcomes: string[] = [];
    transfers: string[] = [];
    messages: [string, string][] = [];
    downloads: [string, number][] = [];
    // The answers the dialogs give, in the order asked.
    answers: unknown[] = [];
    asked: string[] = [];
    bankLines: string[] = [];

    control(member: string): number {
        return this.states.get(member) ?? 0;
    }
    setControl(member: string, state: number): void {
        this.states.set(member, state);
    }
    focusControl(member: string): void {
        this.focused.push(member);
    }
    setControlVisible(member: string, visible: boolean): void {
        if (visible) this.hidden.delete(member);
        else this.hidden.add(member);
    }
    setControlEnabled(member: string, enabled: boolean): void {
        if (enabled) this.disabled.delete(member);
        else this.disabled.add(member);
    }
    setWindowVisible(window: WindowName, visible: boolean): void {
        this.windows.set(window, visible);
    }
    setStaticText(name: string, text: string): void {
        this.statics.set(name, text);
    }
    setPatchName(name: string): void {
        this.patchName = name;
    }
    setTitle(title: string): void {
        this.title = title;
    }
    showConnection(text: string): void {
        this.connection = text;
    }
    showOutcome(text: string): void {
        this.outcomes.push(text);
    }
    get outcome(): string {
        return this.outcomes[this.outcomes.length - 1] ?? "";
    }
    beginTransfer(text: string): void {
        this.transfers.push(text);
        this.outcomes.push(text);
    }
    endTransfer(): void {}

    private answer<T>(what: string): Promise<T> {
        this.asked.push(what);
        return Promise.resolve((this.answers.length ? this.answers.shift() : null) as T);
    }
    chooseLocation(): Promise<number | null> {
        return this.answer("location");
    }
    confirmOverwriteAll(): Promise<boolean> {
        return this.answer("overwrite");
    }
    chooseFromBank(lines: string[]): Promise<number | "all" | null> {
        this.bankLines = lines;
        return this.answer(`bank:${lines.length}`);
    }
    chooseEntry(chooser: Chooser, entries: SourceEntry[]): Promise<number | null> {
        return this.answer(`${chooser}:${entries.length}`);
    }
    chooseGuitarPortEffect(source: OpenedSource): Promise<number | null> {
        return this.answer(`guitarport:${source.guitarPortAsks}`);
    }
    askPatchName(current: string): Promise<string | null> {
        return this.answer(`name:${current}`);
    }
    message(text: string, caption: string): Promise<void> {
        this.messages.push([text, caption]);
        return Promise.resolve();
    }
    download(fileName: string, bytes: Uint8Array): void {
        this.downloads.push([fileName, bytes.length]);
    }
}
