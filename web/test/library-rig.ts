// The Library on the fake core, driven through a real editor whose link records what it sends.
import { Core } from "../src/core.js";
import { Editor, type EditorLink } from "../src/editor.js";
import type { FileListing } from "../src/library/filepane.js";
import { Librarian, type Comparison, type LibraryCommands, type LibraryScreen, type ShownRow } from "../src/library/librarian.js";
import { CableOutput } from "../src/midi/cable.js";
import { FakeClock, RecordingOutput, fakeRawCore, fakePacer } from "./fakes.js";
import { FakeView } from "./view-fake.js";

export class RecordingLink implements EditorLink {
    isOpen = true;
    failAfter = Infinity; // the SysEx sends that go through before one throws
    readonly out = new RecordingOutput();
    readonly cable: CableOutput;
    // Each SysEx whole, with the time the cable has carried it.
    readonly sysex: { bytes: number[]; doneAt: number }[] = [];
    constructor(clock: FakeClock) {
        this.cable = new CableOutput(this.out, fakePacer, clock, 0);
    }
    sendShort(bytes: Uint8Array): number {
        return this.cable.sendShort(bytes);
    }
    sendSysex(bytes: Uint8Array): number {
        if (this.sysex.length >= this.failAfter) throw new Error("port closed");
        const doneAt = this.cable.sendSysex(bytes);
        this.sysex.push({ bytes: [...bytes], doneAt });
        return doneAt;
    }
    get cableFreeAt(): number {
        return this.cable.cableFreeAt;
    }
    shorts(): number[][] {
        return this.out.sent.filter((s) => s.bytes[0]! >= 0x80 && s.bytes[0]! < 0xf0).map((s) => s.bytes);
    }
}

export class FakeScreen implements LibraryScreen {
    rows: ShownRow[] = [];
    origin = "";
    commands: LibraryCommands | null = null;
    messages: string[] = [];
    comparison: Comparison | null = null;
    hint = "";
    file: FileListing | null = null;
    asked: string[] = [];
    answers: boolean[] = [];
    boxes: [string, string][] = [];
    downloads: [string, Uint8Array][] = [];

    showRows(rows: ShownRow[]): void {
        this.rows = rows;
    }
    showOrigin(text: string): void {
        this.origin = text;
    }
    showCommands(commands: LibraryCommands): void {
        this.commands = commands;
    }
    showMessage(text: string): void {
        this.messages.push(text);
    }
    get message_(): string {
        return this.messages[this.messages.length - 1] ?? "";
    }
    showComparison(comparison: Comparison | null, hint: string): void {
        this.comparison = comparison;
        this.hint = hint;
    }
    showFile(listing: FileListing | null): void {
        this.file = listing;
    }
    ask(question: string, yes: string, no: string): Promise<boolean> {
        this.asked.push(`${question} [${yes}/${no}]`);
        return Promise.resolve(this.answers.shift() ?? false);
    }
    message(text: string, caption: string): Promise<void> {
        this.boxes.push([text, caption]);
        return Promise.resolve();
    }
    download(fileName: string, bytes: Uint8Array): void {
        this.downloads.push([fileName, bytes]);
    }
    names(): string[] {
        return this.rows.map((r) => r.name.trim());
    }
}

export function libraryRig(raw: object = {}) {
    const clock = new FakeClock();
    const view = new FakeView();
    const core = new Core({ ...fakeRawCore(), ...raw } as never);
    const editor = new Editor(core, view, clock);
    editor.setUp();
    const link = new RecordingLink(clock);
    editor.attach(link, 0, "POD on USB, channel 1");
    const screen = new FakeScreen();
    const librarian = new Librarian(core, editor, () => link, view, screen, clock, () => "14:05");
    editor.follower = librarian;
    return { clock, view, core, editor, link, screen, librarian };
}
