// The Library and patch links put into the page: the toolbar's Library button, the two views above
// the panel, the current sound's link on the panel's strip, and the address fragment followed.
import type { App } from "../app.js";
import type { Clock } from "../clock.js";
import { listing, openFileForPane, type FilePatch } from "./filepane.js";
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
    // The file pane's collection as opened; a keeper between visits may hand one back.
    openFiles(files: { fileName: string; bytes: Uint8Array }[]): Promise<void>;
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

    const openFiles = async (files: { fileName: string; bytes: Uint8Array }[]) => {
        const opened: { fileName: string; patches: FilePatch[] }[] = [];
        for (const file of files) {
            const result = openFileForPane(core, file.fileName, file.bytes);
            if ("failure" in result) {
                await view.message(result.failure.text, result.failure.caption);
                continue;
            }
            if (result.singlePatch) view.showMessage(core.text("LibrarySinglePatchOpened", file.fileName));
            opened.push({ fileName: file.fileName, patches: result.patches });
        }
        if (opened.length) librarian.showFile(listing(core, opened));
        performance.mark("amplix:file-pane-listed"); // read by the browser test's figure
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
    return { librarian, view, links, linkView, openFiles };
}
