// The Library and patch links put into the page: the toolbar's Library button, the two views above
// the panel, the current sound's link on the panel's strip, and the address fragment followed.
import type { App } from "../app.js";
import type { Clock } from "../clock.js";
import { listing, openFileForPane, type FilePatch } from "./filepane.js";
import type { KeptFile, ReopenedFiles } from "./kept-library.js";
import type { LibraryFollower } from "./follower.js";
import { Librarian } from "./librarian.js";
import { LibraryView } from "./LibraryView.js";
import { LinkOpener } from "./patchlinks.js";
import { LinkView } from "./LinkView.js";

export interface InstalledLibrary {
    librarian: Librarian;
    view: LibraryView;
    links: LinkOpener;
    linkView: LinkView;
    // The file pane's collection as the user opens it: a refused file is said in a box.
    openFiles(files: KeptFile[]): Promise<void>;
    // The same without a word to the user, for files an earlier visit kept.
    reopenFiles(files: KeptFile[]): Promise<ReopenedFiles>;
    // Told of the files the pane took each time the user opens some.
    onFilesOpened: (files: KeptFile[]) => void;
}

const kReadLimit = 16 * 1024 * 1024;

export function installLibrary(app: App, doc: Document, clock: Clock): InstalledLibrary {
    const core = app.core;
    const guard = (run: () => unknown) => {
        Promise.resolve().then(run).catch((e) => app.reportError(e));
    };
    const view = new LibraryView(doc, core);
    const librarian = new Librarian(core, app.editor, () => app.link ?? null, app.view, view, clock);
    view.librarian = librarian;
    const linkView = new LinkView(doc, core);
    // The current sound is read only over an open link; connecting reads it anyway.
    const readCurrent = () => {
        if (app.link?.isOpen) app.editor.readPatch();
    };
    const links = new LinkOpener(core, () => app.link ?? null, app.view, linkView, readCurrent);
    linkView.opener = links;
    linkView.onError = (e) => app.reportError(e);
    links.onStored = (location, dump) => librarian.stored(location, dump);

    const stage = doc.getElementById("stage");
    stage?.before(linkView.root, view.root);

    // The current sound's own link, on the strip beside its name.
    const current = doc.createElement("a");
    current.id = "current-link";
    current.className = "patch-link";
    current.textContent = core.text("LinkText");
    current.hidden = true;
    app.panel.strip.append(current);

    const follower: LibraryFollower = {
        program: (program) => librarian.program(program),
        stored: (location, dump) => librarian.stored(location, dump),
        bankSent: (bank) => librarian.bankSent(bank),
        shown: (dump) => {
            links.currentSound(dump);
            const record = core.raw.recordOfDump(dump);
            const fragment = record && core.raw.patchLink(record);
            current.hidden = !fragment;
            if (record && fragment) {
                current.href = `#${fragment}`;
                current.title = core.raw.patchLinkTitle(record) ?? "";
            }
        },
    };
    app.editor.follower = follower;

    // The toolbar's Library button opens and closes the view.
    const toggle = doc.createElement("button");
    toggle.type = "button";
    toggle.id = "cmd-library";
    toggle.textContent = core.text("MenuPatchLibrary").replace(/&/g, "");
    toggle.setAttribute("aria-pressed", "false");
    toggle.setAttribute("aria-controls", view.root.id);
    toggle.addEventListener("click", () => {
        view.root.hidden = !view.root.hidden;
        toggle.setAttribute("aria-pressed", String(!view.root.hidden));
        if (!view.root.hidden) {
            librarian.refresh();
            view.root.querySelector<HTMLElement>("tr[tabindex='0'], button:not([disabled])")?.focus();
        }
        app.fitPanel();
    });
    doc.getElementById("patch-select")?.after(toggle);

    // The files the pane takes, listed together; each refused one with the core's failure.
    const take = (files: KeptFile[], singlePatch: (fileName: string) => void) => {
        const opened: { fileName: string; patches: FilePatch[] }[] = [];
        const result: ReopenedFiles & { failures: { text: string; caption: string }[] } = { opened: [], refused: [], failures: [] };
        for (const file of files) {
            const taken = openFileForPane(core, file.fileName, file.bytes);
            if ("failure" in taken) {
                result.refused.push({ fileName: file.fileName, reason: taken.failure.text });
                result.failures.push(taken.failure);
                continue;
            }
            if (taken.singlePatch) singlePatch(file.fileName);
            opened.push({ fileName: file.fileName, patches: taken.patches });
            result.opened.push(file);
        }
        if (opened.length) librarian.showFile(listing(core, opened));
        performance.mark("amplix:file-pane-listed"); // read by the browser test's figure
        return result;
    };
    const openFiles = async (files: KeptFile[]) => {
        const taken = take(files, (fileName) => view.showMessage(core.text("LibrarySinglePatchOpened", fileName)));
        if (taken.opened.length) installed.onFilesOpened(taken.opened);
        for (const failure of taken.failures) await view.message(failure.text, failure.caption);
    };
    const reopenFiles = async (files: KeptFile[]): Promise<ReopenedFiles> => {
        const { opened, refused } = take(files, () => {});
        return { opened, refused };
    };
    view.onOpenFiles = (files) => guard(async () => {
        const read = [];
        for (const file of files) {
            const bytes = file.size > kReadLimit ? await file.slice(0, kReadLimit + 1).arrayBuffer() : await file.arrayBuffer();
            read.push({ fileName: file.name, bytes: new Uint8Array(bytes) });
        }
        await openFiles(read);
    });

    // A link opened, now or later; closing it takes the fragment away without a new history entry.
    const win = doc.defaultView;
    const follow = () => guard(() => links.open(win?.location.hash ?? ""));
    win?.addEventListener("hashchange", follow);
    linkView.onClose = () => {
        win?.history.replaceState(null, "", win.location.pathname + win.location.search);
        links.open("");
    };
    follow();
    librarian.refresh();
    const installed: InstalledLibrary = { librarian, view, links, linkView, openFiles, reopenFiles, onFilesOpened: () => {} };
    return installed;
}
