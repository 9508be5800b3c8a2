// The Library as the page shows it: the device's 36 locations and the file pane side by side, the
// commands above them and the comparison below. Rows are dragged with the mouse, or moved with
// the keyboard: arrows select, Shift+arrow adds a second row, Enter listens, F2 renames, Ctrl+C,
// Ctrl+X and Ctrl+V copy, cut and paste, Ctrl+Z and Ctrl+Shift+Z undo and redo.
import type { Core } from "../core.js";
import { runDialog } from "../dialogs.js";
import type { FileListing } from "./filepane.js";
import type { Comparison, Librarian, LibraryCommands, LibraryScreen, ShownRow } from "./librarian.js";
import { element as el } from "../dom.js";

const kLocationType = "application/x-amplix-location";
const kFileType = "application/x-amplix-file-patch";

export class LibraryView implements LibraryScreen {
    readonly root: HTMLElement;
    librarian!: Librarian;
    // The file chooser of the file pane: the page reads the files and hands them on.
    onOpenFiles: ((files: File[]) => void) | null = null;
    private readonly buttons = new Map<string, HTMLButtonElement>();
    private readonly origin: HTMLElement;
    private readonly messageLine: HTMLElement;
    private readonly deviceBody: HTMLTableSectionElement;
    private readonly fileBody: HTMLTableSectionElement;
    private readonly fileTitle: HTMLElement;
    private readonly compareCaption: HTMLElement;
    private readonly compareHead: HTMLTableRowElement;
    private readonly compareBody: HTMLTableSectionElement;
    private readonly fileInput: HTMLInputElement;
    private selected: number[] = [];
    private fileRow: number | null = null;
    private focusRow = 0;
    private editing = false;

    constructor(private readonly doc: Document, private readonly core: Core) {
        const t = (key: string, ...args: (string | number)[]) => core.text(key, ...args).replace(/&/g, "");
        this.root = el(doc, "section", { id: "library", className: "library", hidden: true });
        this.root.setAttribute("aria-label", t("LibraryTitle"));
        const bar = el(doc, "div", { className: "library-bar" });
        bar.setAttribute("role", "toolbar");
        bar.setAttribute("aria-label", t("LibraryTitle"));
        const command = (id: string, key: string, run: () => unknown) => {
            const b = el(doc, "button", { type: "button", id, textContent: t(key) });
            b.addEventListener("click", () => void run());
            this.buttons.set(id, b);
            bar.append(b);
        };
        command("lib-read", "LibraryReadFromPod", () => this.librarian.readFromPod());
        command("lib-send", "LibrarySendChanges", () => this.librarian.sendChanges());
        command("lib-save", "LibrarySaveBank", () => this.librarian.saveBank());
        command("lib-undo", "LibraryUndo", () => this.librarian.undo());
        command("lib-redo", "LibraryRedo", () => this.librarian.redo());
        command("lib-listen", "LibraryListen", () => this.listenSelected());
        command("lib-rename", "LibraryRename", () => this.renameSelected());
        command("lib-open-file", "LibraryOpenFile", () => this.fileInput.click());
        this.fileInput = el(doc, "input", { type: "file", id: "library-file-input", multiple: true, hidden: true });
        this.fileInput.addEventListener("change", () => {
            const files = [...(this.fileInput.files ?? [])];
            this.fileInput.value = "";
            if (files.length) this.onOpenFiles?.(files);
        });
        this.origin = el(doc, "p", { id: "library-origin", className: "library-origin" });
        this.messageLine = el(doc, "p", { id: "library-message", className: "library-message" });
        this.messageLine.setAttribute("role", "status");

        const head = (...keys: string[]) => el(doc, "thead", {}, el(doc, "tr", {}, ...keys.map((k) => el(doc, "th", { textContent: k ? t(k) : "" }))));
        this.deviceBody = el(doc, "tbody");
        const device = el(doc, "table", { id: "library-device", className: "library-table" },
            head("LibraryColumnLocation", "LibraryColumnName", "LibraryColumnAmpModel", "LibraryColumnEffect", "LibraryColumnChanged", ""),
            this.deviceBody);
        device.setAttribute("role", "grid");
        device.setAttribute("aria-multiselectable", "true");
        this.fileBody = el(doc, "tbody");
        const file = el(doc, "table", { id: "library-file", className: "library-table" },
            head("LibraryColumnName", "LibraryColumnAmpModel", "LibraryColumnEffect"), this.fileBody);
        file.setAttribute("role", "grid");
        this.fileTitle = el(doc, "p", { id: "library-file-title", className: "library-origin", textContent: t("LibraryNoFile") });
        const panes = el(doc, "div", { className: "library-panes" },
            el(doc, "div", { className: "library-pane", id: "library-device-pane" }, el(doc, "div", { className: "library-scroll" }, device)),
            el(doc, "div", { className: "library-pane", id: "library-file-pane" }, this.fileTitle,
                el(doc, "div", { className: "library-scroll" }, file)));

        this.compareCaption = el(doc, "p", { id: "library-compare-caption", className: "library-origin" });
        this.compareHead = el(doc, "tr");
        this.compareBody = el(doc, "tbody");
        const compare = el(doc, "table", { id: "library-compare", className: "library-table compare" },
            el(doc, "thead", {}, this.compareHead), this.compareBody);
        this.root.append(bar, this.origin, this.messageLine, panes, this.compareCaption, compare, this.fileInput);
        this.wireDevice();
        this.wireFile();
    }

    // ---- LibraryScreen ----

    showRows(rows: ShownRow[]): void {
        if (this.editing) return; // the row being renamed is redrawn when the name is taken
        const doc = this.doc;
        const changedMark = this.core.text("LibraryChangedMark");
        const fragment = doc.createDocumentFragment();
        rows.forEach((row, n) => {
            const name = el(doc, "td", { className: "name" }, row.name);
            if (row.playing) {
                name.classList.add("playing");
                name.title = this.core.text("LibraryPlayingTip");
            }
            const link = el(doc, "a", { className: "patch-link", href: `#${row.link}`, title: row.linkTitle,
                textContent: this.core.text("LinkText"), tabIndex: n === this.focusRow ? 0 : -1 });
            const tr = el(doc, "tr", { draggable: true, tabIndex: n === this.focusRow ? 0 : -1 },
                el(doc, "td", { className: "location", textContent: row.location }), name,
                el(doc, "td", { textContent: row.ampModel }), el(doc, "td", { textContent: row.effect }),
                el(doc, "td", { className: "changed", textContent: row.changed ? changedMark : "" }),
                el(doc, "td", {}, link));
            tr.dataset.location = String(n);
            tr.setAttribute("aria-selected", String(this.selected.includes(n)));
            if (row.changed) tr.classList.add("changed");
            fragment.append(tr);
        });
        const hadFocus = this.deviceBody.contains(doc.activeElement);
        this.deviceBody.replaceChildren(fragment);
        if (hadFocus) this.rowElement(this.focusRow)?.focus();
    }
    showOrigin(text: string): void {
        this.origin.textContent = text;
    }
    showCommands(c: LibraryCommands): void {
        const enable = (id: string, on: boolean, tip = "") => {
            const b = this.buttons.get(id)!;
            b.disabled = !on;
            b.title = tip;
        };
        const row = c.idle && c.loaded && this.selected.length > 0;
        enable("lib-read", c.idle);
        enable("lib-open-file", c.idle);
        enable("lib-send", c.idle && c.changes);
        enable("lib-save", c.idle && c.loaded);
        enable("lib-undo", c.idle && c.undo !== "", c.undo);
        enable("lib-redo", c.idle && c.redo !== "", c.redo);
        enable("lib-listen", row);
        enable("lib-rename", row);
        this.root.classList.toggle("busy", !c.idle);
    }
    showMessage(text: string): void {
        this.messageLine.textContent = text;
    }
    showComparison(comparison: Comparison | null, hint: string): void {
        const doc = this.doc;
        this.compareCaption.textContent = comparison ? comparison.caption : hint;
        this.compareHead.replaceChildren(...(comparison
            ? [this.core.text("LibrarySetting"), comparison.aTitle, comparison.bTitle].map((h) => el(doc, "th", { textContent: h }))
            : []));
        this.compareBody.replaceChildren(...(comparison?.rows ?? []).map((r) =>
            el(doc, "tr", {}, el(doc, "td", { textContent: r.control }), el(doc, "td", { textContent: r.a }), el(doc, "td", { textContent: r.b }))));
    }
    showFile(listing: FileListing | null): void {
        const doc = this.doc;
        this.fileRow = null;
        this.fileTitle.textContent = listing ? listing.title : this.core.text("LibraryNoFile");
        const fragment = doc.createDocumentFragment();
        // A thousand rows are cloned from one rather than built element by element.
        const model = el(doc, "tr", { draggable: true, tabIndex: -1 },
            el(doc, "td", { className: "name" }), el(doc, "td"), el(doc, "td"));
        model.setAttribute("aria-selected", "false");
        listing?.patches.forEach((p, n) => {
            const tr = model.cloneNode(true) as HTMLTableRowElement;
            const [name, amp, effect] = tr.cells;
            name!.textContent = p.name;
            amp!.textContent = p.ampModel;
            effect!.textContent = p.effect;
            tr.dataset.filePatch = String(n);
            if (n === 0) tr.tabIndex = 0;
            if (!p.record) {
                tr.draggable = false;
                tr.title = p.failure;
                tr.classList.add("unconvertible");
            }
            fragment.append(tr);
        });
        this.fileBody.replaceChildren(fragment);
    }
    ask(question: string, yes: string, no: string): Promise<boolean> {
        return runDialog<boolean>(this.doc, "dialog-library-question", this.core.text("LibraryTitle"), (body) => {
            body.append(el(this.doc, "p", { className: "message", id: "message-text", textContent: question }));
        }, [
            { text: yes, value: () => true, primary: true, id: "dialog-ok" },
            { text: no, value: () => false, id: "dialog-cancel" },
        ]).then((answer) => answer === true);
    }
    message(text: string, caption: string): Promise<void> {
        return runDialog<true>(this.doc, "dialog-message", caption, (body) => {
            body.append(el(this.doc, "p", { className: "message", id: "message-text", textContent: text }));
        }, [{ text: this.core.text("ButtonOk"), value: () => true, primary: true, id: "dialog-ok" }]).then(() => undefined);
    }
    download(fileName: string, bytes: Uint8Array): void {
        const url = URL.createObjectURL(new Blob([bytes.slice()], { type: "application/octet-stream" }));
        const a = el(this.doc, "a", { href: url, download: fileName, hidden: true });
        this.doc.body.append(a);
        a.click();
        a.remove();
        setTimeout(() => URL.revokeObjectURL(url), 10000);
    }

    // ---- The device pane ----

    private rowElement(n: number): HTMLTableRowElement | null {
        return this.deviceBody.querySelector<HTMLTableRowElement>(`tr[data-location="${n}"]`);
    }
    private rowOf(target: EventTarget | null): number | null {
        const tr = (target as Element | null)?.closest?.("tr[data-location]") as HTMLElement | null;
        return tr ? Number(tr.dataset.location) : null;
    }

    // A second row joins the selection for the comparison; a third takes the older one's place.
    private select(n: number, add: boolean): void {
        this.focusRow = n;
        this.selected = add && !this.selected.includes(n) ? [...this.selected.slice(-1), n] : [n];
        for (const tr of this.deviceBody.rows) {
            const at = Number(tr.dataset.location);
            tr.setAttribute("aria-selected", String(this.selected.includes(at)));
            tr.tabIndex = at === n ? 0 : -1;
            // The focused row's link is the one Tab reaches next.
            const link = tr.querySelector("a");
            if (link) link.tabIndex = tr.tabIndex;
        }
        this.rowElement(n)?.focus();
        this.librarian.select(this.selected, this.fileRow);
        this.librarian.refresh();
    }

    private listenSelected(): void {
        const n = this.selected[this.selected.length - 1];
        if (n !== undefined) this.librarian.listen(n);
    }

    private wireDevice(): void {
        const body = this.deviceBody;
        body.addEventListener("click", (e) => {
            const n = this.rowOf(e.target);
            if (n === null || (e.target as Element).closest("a, input")) return;
            this.select(n, e.ctrlKey || e.metaKey || e.shiftKey);
        });
        body.addEventListener("dblclick", (e) => {
            const n = this.rowOf(e.target);
            if (n !== null && !(e.target as Element).closest("input")) this.librarian.listen(n);
        });
        body.addEventListener("keydown", (e) => this.deviceKey(e));
        body.addEventListener("dragstart", (e) => {
            const n = this.rowOf(e.target);
            if (n === null || !e.dataTransfer || this.librarian.busy) return;
            e.dataTransfer.setData(kLocationType, String(n));
            e.dataTransfer.effectAllowed = "copyMove";
        });
        body.addEventListener("dragover", (e) => {
            const types = e.dataTransfer?.types ?? [];
            if (this.rowOf(e.target) === null || !(types.includes(kLocationType) || types.includes(kFileType))) return;
            e.preventDefault();
            e.dataTransfer!.dropEffect = e.ctrlKey || types.includes(kFileType) ? "copy" : "move";
        });
        body.addEventListener("drop", (e) => {
            const to = this.rowOf(e.target);
            const data = e.dataTransfer;
            if (to === null || !data) return;
            e.preventDefault();
            e.stopPropagation();
            const from = data.getData(kLocationType), file = data.getData(kFileType);
            if (from !== "") this.librarian.drop(Number(from), to, e.ctrlKey || e.metaKey);
            else if (file !== "") this.librarian.put(Number(file), to);
            this.select(to, false);
        });
    }

    private deviceKey(e: KeyboardEvent): void {
        if (this.editing) return;
        const n = this.rowOf(e.target);
        // On a row's link, Enter follows the link.
        if (n === null || (e.key === "Enter" && (e.target as Element).closest("a"))) return;
        const ctrl = e.ctrlKey || e.metaKey;
        const key = e.key.length === 1 ? e.key.toLowerCase() : e.key;
        const last = this.librarian.locations - 1;
        const handled = (() => {
            if (key === "ArrowDown" || key === "ArrowUp") {
                this.select(Math.max(0, Math.min(last, n + (key === "ArrowDown" ? 1 : -1))), e.shiftKey);
            } else if (key === "Home" || key === "End") {
                this.select(key === "Home" ? 0 : last, false);
            } else if (key === " ") {
                this.select(n, ctrl);
            } else if (key === "Enter") {
                this.librarian.listen(n);
            } else if (key === "F2") {
                this.renameSelected();
            } else if (ctrl && (key === "c" || key === "x")) {
                this.librarian.hold(key === "x");
            } else if (ctrl && key === "v") {
                this.librarian.paste();
            } else if (ctrl && key === "z") {
                if (e.shiftKey) this.librarian.redo();
                else this.librarian.undo();
            } else if (ctrl && key === "y") {
                this.librarian.redo();
            } else {
                return false;
            }
            return true;
        })();
        if (handled) {
            e.preventDefault();
            e.stopPropagation();
        }
    }

    // In place, as the desktop's table edits a name: Enter takes it if the device would, Esc
    // leaves it as it was.
    private renameSelected(): void {
        const n = this.selected[this.selected.length - 1];
        const cell = n === undefined ? null : this.rowElement(n)?.querySelector<HTMLElement>("td.name");
        if (n === undefined || !cell || this.librarian.busy || !this.librarian.library.loaded()) return;
        const current = this.librarian.library.name(n) ?? "";
        const input = el(this.doc, "input", { type: "text", value: current.trimEnd(), maxLength: 16, id: "library-rename" });
        input.setAttribute("aria-label", this.core.text("LibraryColumnName"));
        this.editing = true;
        cell.replaceChildren(input);
        input.focus();
        input.select();
        const finish = (take: boolean) => {
            if (!this.editing) return;
            const name = input.value;
            if (take && name !== current.trimEnd() && !this.core.raw.acceptsName(name)) {
                input.setAttribute("aria-invalid", "true");
                return;
            }
            this.editing = false;
            if (take && name !== current.trimEnd()) this.librarian.rename(n, name);
            this.librarian.refresh();
            this.rowElement(n)?.focus();
        };
        input.addEventListener("keydown", (e) => {
            if (e.key === "Enter" || e.key === "Escape") {
                e.preventDefault();
                e.stopPropagation();
                finish(e.key === "Enter");
            }
        });
        input.addEventListener("input", () => input.removeAttribute("aria-invalid"));
        input.addEventListener("blur", () => finish(true));
    }

    // ---- The file pane ----

    private wireFile(): void {
        const body = this.fileBody;
        // Files dropped on this pane are listed here rather than opened by the editor.
        const pane = this.root.querySelector<HTMLElement>("#library-file-pane")!;
        pane.addEventListener("dragover", (e) => {
            if (!e.dataTransfer?.types.includes("Files")) return;
            e.preventDefault();
            e.stopPropagation();
        });
        pane.addEventListener("drop", (e) => {
            const files = [...(e.dataTransfer?.files ?? [])];
            if (!files.length) return;
            e.preventDefault();
            e.stopPropagation();
            this.onOpenFiles?.(files);
        });
        const rowOf = (target: EventTarget | null) => {
            const tr = (target as Element | null)?.closest?.("tr[data-file-patch]") as HTMLElement | null;
            return tr ? Number(tr.dataset.filePatch) : null;
        };
        const choose = (n: number) => {
            this.fileRow = n;
            for (const tr of body.rows) {
                const at = Number(tr.dataset.filePatch);
                tr.setAttribute("aria-selected", String(at === n));
                tr.tabIndex = at === n ? 0 : -1;
            }
            body.rows[n]?.focus();
            this.librarian.select(this.selected.slice(-1), n);
        };
        body.addEventListener("click", (e) => {
            const n = rowOf(e.target);
            if (n !== null) choose(n);
        });
        body.addEventListener("dblclick", (e) => {
            const n = rowOf(e.target);
            if (n !== null) this.librarian.listenFile(n);
        });
        body.addEventListener("dragstart", (e) => {
            const n = rowOf(e.target);
            if (n === null || !e.dataTransfer) return;
            e.dataTransfer.setData(kFileType, String(n));
            e.dataTransfer.effectAllowed = "copy";
        });
        body.addEventListener("keydown", (e) => {
            const n = rowOf(e.target);
            if (n === null) return;
            const count = body.rows.length;
            const ctrl = e.ctrlKey || e.metaKey;
            if (e.key === "ArrowDown" || e.key === "ArrowUp") choose(Math.max(0, Math.min(count - 1, n + (e.key === "ArrowDown" ? 1 : -1))));
            else if (e.key === "Enter") this.librarian.listenFile(n);
            else if (ctrl && e.key.toLowerCase() === "c") this.librarian.holdFile(n);
            else return;
            e.preventDefault();
            e.stopPropagation();
        });
    }
}
