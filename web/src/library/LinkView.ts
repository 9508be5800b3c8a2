// A patch opened from a link, above the panel: its name, amp model, effect and settings, how it
// differs from the device's current sound, and Send to POD or a store; or why the link was refused.
import type { Core, PatchDifferenceRow } from "../core.js";
import type { LinkOpener, LinkScreen, LinkedPatch } from "./patchlinks.js";
import { element as el } from "../dom.js";

export class LinkView implements LinkScreen {
    readonly root: HTMLElement;
    opener!: LinkOpener;
    onClose: (() => void) | null = null;
    onError: ((error: unknown) => void) | null = null;
    private readonly name: HTMLElement;
    private readonly kind: HTMLElement;
    private readonly refused: HTMLElement;
    private readonly settings: HTMLTableSectionElement;
    private readonly caption: HTMLElement;
    private readonly differences: HTMLTableSectionElement;
    private readonly differencesHead: HTMLTableRowElement;
    private readonly patchPart: HTMLElement;

    constructor(private readonly doc: Document, private readonly core: Core) {
        const t = (key: string) => core.text(key).replace(/&/g, "");
        this.root = el(doc, "section", { id: "patch-link", className: "patch-link-view", hidden: true });
        this.root.setAttribute("aria-label", t("LinkOpened"));
        const heading = el(doc, "h2", { textContent: t("LinkOpened") });
        this.name = el(doc, "p", { id: "link-name", className: "link-name" });
        this.kind = el(doc, "p", { id: "link-kind", className: "library-origin" });
        this.refused = el(doc, "p", { id: "link-refused", className: "link-refused", hidden: true });
        this.refused.setAttribute("role", "alert");
        this.settings = el(doc, "tbody");
        const settings = el(doc, "table", { id: "link-settings", className: "library-table" },
            el(doc, "thead", {}, el(doc, "tr", {}, el(doc, "th", { textContent: t("LibrarySetting") }), el(doc, "th"))), this.settings);
        this.caption = el(doc, "p", { id: "link-compare-caption", className: "library-origin" });
        this.differencesHead = el(doc, "tr");
        this.differences = el(doc, "tbody");
        const differences = el(doc, "table", { id: "link-compare", className: "library-table compare" },
            el(doc, "thead", {}, this.differencesHead), this.differences);
        const button = (id: string, key: string, run: () => unknown) => {
            const b = el(doc, "button", { type: "button", id, textContent: t(key) });
            b.addEventListener("click", () => {
                Promise.resolve().then(run).catch((e) => this.onError?.(e));
            });
            return b;
        };
        const actions = el(doc, "div", { className: "library-bar" },
            button("link-send", "LinkSendToPod", () => this.opener.sendToPod()),
            button("link-store", "PatchNameSaveToPod", () => this.opener.store()));
        this.patchPart = el(doc, "div", { className: "link-patch" }, this.name, this.kind, actions,
            el(doc, "div", { className: "link-tables" },
                el(doc, "div", {}, settings), el(doc, "div", {}, this.caption, differences)));
        const close = button("link-close", "LinkClose", () => this.onClose?.());
        this.root.append(el(doc, "div", { className: "link-heading" }, heading, close), this.refused, this.patchPart);
    }

    showPatch(patch: LinkedPatch): void {
        this.root.hidden = false;
        this.refused.hidden = true;
        this.patchPart.hidden = false;
        this.name.textContent = patch.row.name;
        this.kind.textContent = [patch.row.ampModel, patch.row.effect].filter(Boolean).join(" · ");
        this.settings.replaceChildren(...patch.settings.map((s) =>
            el(this.doc, "tr", {}, el(this.doc, "td", { textContent: s.label }), el(this.doc, "td", { textContent: s.value }))));
        this.caption.textContent = "";
        this.differencesHead.replaceChildren();
        this.differences.replaceChildren();
        this.root.scrollIntoView?.({ block: "nearest" });
    }
    showRefused(text: string): void {
        this.root.hidden = false;
        this.patchPart.hidden = true;
        this.refused.hidden = false;
        this.refused.textContent = text;
        this.root.scrollIntoView?.({ block: "nearest" });
    }
    showDifferences(caption: string, rows: PatchDifferenceRow[]): void {
        const doc = this.doc;
        this.caption.textContent = caption;
        this.differencesHead.replaceChildren(...(rows.length
            ? [this.core.text("LibrarySetting"), this.name.textContent?.trim() ?? "", this.core.text("LibraryCurrentSound")]
                .map((h) => el(doc, "th", { textContent: h }))
            : []));
        this.differences.replaceChildren(...rows.map((r) =>
            el(doc, "tr", {}, el(doc, "td", { textContent: r.control }), el(doc, "td", { textContent: r.a }), el(doc, "td", { textContent: r.b }))));
    }
    hide(): void {
        this.root.hidden = true;
    }
}
