// The page's modal dialogs, one for each of the desktop's: built on <dialog>, every text from the
// core, each returning the user's choice (null for Cancel or Esc).
import type { Core, OpenedSource, SourceEntry } from "./core.js";
import type { Chooser } from "./editor.js";

export interface DialogButton<T> {
    text: string;
    value: () => T;
    primary?: boolean;
    id?: string;
}

// One modal dialog: the body the caller builds, a row of buttons, Esc as Cancel.
export function runDialog<T>(
    doc: Document,
    id: string,
    title: string,
    build: (body: HTMLElement, finish: (value: T | null) => void) => void,
    buttons: DialogButton<T | null>[],
): Promise<T | null> {
    return new Promise((resolve) => {
        const dialog = doc.createElement("dialog");
        dialog.id = id;
        dialog.className = "dialog";
        dialog.setAttribute("aria-label", title);
        const heading = doc.createElement("h2");
        heading.textContent = title;
        const body = doc.createElement("div");
        body.className = "dialog-body";
        const row = doc.createElement("div");
        row.className = "dialog-buttons";
        let done = false;
        const finish = (value: T | null) => {
            if (done) return;
            done = true;
            dialog.close();
            dialog.remove();
            resolve(value);
        };
        for (const b of buttons) {
            const button = doc.createElement("button");
            button.type = "button";
            button.textContent = b.text;
            if (b.id) button.id = b.id;
            if (b.primary) button.className = "primary";
            button.addEventListener("click", () => finish(b.value()));
            row.appendChild(button);
        }
        dialog.addEventListener("cancel", (event) => {
            event.preventDefault();
            finish(null);
        });
        dialog.append(heading, body, row);
        build(body, finish);
        doc.body.appendChild(dialog);
        dialog.showModal();
        const first = body.querySelector<HTMLElement>("input, select, [tabindex]") ?? row.querySelector("button.primary");
        first?.focus();
    });
}

function lines(doc: Document, core: Core, keys: string[], className = "intro"): HTMLElement {
    const p = doc.createElement("p");
    p.className = className;
    // Each of the desktop's lines is one text; the page lets them flow as one paragraph.
    p.textContent = keys.map((k) => core.text(k)).join(" ").replace(/\s+/g, " ").trim();
    return p;
}

function labelled(doc: Document, text: string, control: HTMLElement): HTMLElement {
    const label = doc.createElement("label");
    label.className = "field";
    const span = doc.createElement("span");
    span.textContent = text;
    label.append(span, control);
    return label;
}

function list(doc: Document, id: string, names: string[]): HTMLSelectElement {
    const select = doc.createElement("select");
    select.id = id;
    select.size = Math.min(10, Math.max(4, names.length));
    select.className = "choice-list";
    for (const name of names) {
        const option = doc.createElement("option");
        option.textContent = name;
        select.appendChild(option);
    }
    if (names.length) select.selectedIndex = 0;
    return select;
}

const ok = (core: Core) => core.text("ButtonOk");
const cancel = (core: Core) => core.text("ButtonCancel");

export function chooseLocation(doc: Document, core: Core, labels: string[]): Promise<number | null> {
    let select!: HTMLSelectElement;
    return runDialog<number>(doc, "dialog-save-to-pod", core.text("SaveToPodTitle"), (body) => {
        body.append(lines(doc, core, ["SaveToPodLine1", "SaveToPodLine2"]));
        body.append(lines(doc, core, ["SaveToPodLine3", "SaveToPodLine4"], "warning"));
        select = doc.createElement("select");
        select.id = "save-location";
        for (const label of labels) {
            const option = doc.createElement("option");
            option.textContent = label;
            select.appendChild(option);
        }
        // As the desktop's list: no location until one is chosen.
        select.selectedIndex = -1;
        body.append(labelled(doc, core.text("SaveToPodLocation"), select));
    }, [
        { text: ok(core), value: () => select.selectedIndex, primary: true, id: "dialog-ok" },
        { text: cancel(core), value: () => null, id: "dialog-cancel" },
    ]);
}

export async function confirmOverwriteAll(doc: Document, core: Core): Promise<boolean> {
    const answer = await runDialog<boolean>(doc, "dialog-overwrite", core.text("OverwriteTitle"), (body) => {
        body.append(lines(doc, core, ["OverwriteLine1", "OverwriteLine2", "OverwriteLine3"], "warning"));
    }, [
        { text: ok(core), value: () => true, primary: true, id: "dialog-ok" },
        { text: cancel(core), value: () => null, id: "dialog-cancel" },
    ]);
    return answer === true;
}

export function chooseFromBank(doc: Document, core: Core, names: string[]): Promise<number | "all" | null> {
    let select!: HTMLSelectElement;
    return runDialog<number | "all">(doc, "dialog-open-bank", core.text("OpenBankTitle"), (body, finish) => {
        body.append(lines(doc, core, ["OpenBankLine1", "OpenBankLine2"]));
        body.append(lines(doc, core, ["OpenBankLine3", "OpenBankLine4", "OpenBankLine5"]));
        select = list(doc, "bank-entries", names);
        select.addEventListener("dblclick", () => finish(select.selectedIndex));
        body.append(select);
    }, [
        { text: ok(core), value: () => (select.selectedIndex >= 0 ? select.selectedIndex : null), primary: true, id: "dialog-ok" },
        { text: cancel(core), value: () => null, id: "dialog-cancel" },
        { text: core.text("OpenBankLoadAll"), value: () => "all", id: "dialog-load-all" },
    ]);
}

// The SoundDiver chooser shows names; the Line 6 Edit chooser also each patch's information.
export function chooseEntry(doc: Document, core: Core, chooser: Chooser, entries: SourceEntry[]): Promise<number | null> {
    let select!: HTMLSelectElement;
    const infoKeys = ["ImportAmp", "ImportPickup", "ImportStyle", "ImportBand", "ImportSong", "ImportGuitarist", "ImportAuthor", "ImportComment"];
    return runDialog<number>(doc, "dialog-import", core.text("ImportTitle"), (body, finish) => {
        const intro = chooser === "SoundDiver"
            ? ["ImportSoundDiverLine1", "ImportSoundDiverLine2"]
            : ["ImportLine6EditLine1", "ImportLine6EditLine2"];
        body.append(lines(doc, core, intro));
        const row = doc.createElement("div");
        row.className = "import-row";
        select = list(doc, "import-entries", entries.map((e) => e.name));
        select.addEventListener("dblclick", () => finish(select.selectedIndex));
        row.append(select);
        if (chooser === "Line6Edit") {
            const info = doc.createElement("dl");
            info.className = "information";
            const show = () => {
                const texts = entries[select.selectedIndex]?.information ?? [];
                // A block too short to say anything leaves the previous patch's texts in place.
                if (texts.length !== infoKeys.length) return;
                info.replaceChildren();
                infoKeys.forEach((key, n) => {
                    const dt = doc.createElement("dt");
                    dt.textContent = core.text(key);
                    const dd = doc.createElement("dd");
                    dd.textContent = texts[n] ?? "";
                    info.append(dt, dd);
                });
            };
            select.addEventListener("change", show);
            show();
            row.append(info);
        }
        body.append(row);
    }, [
        { text: ok(core), value: () => (select.selectedIndex >= 0 ? select.selectedIndex : null), primary: true, id: "dialog-ok" },
        { text: cancel(core), value: () => null, id: "dialog-cancel" },
    ]);
}

// GuitarPort: the notice, the file's information, and COMP or MOD for a patch with both.
export function chooseGuitarPortEffect(doc: Document, core: Core, source: OpenedSource,
                                       choices: { compressor: number; modulation: number }): Promise<number | null> {
    let choice = source.guitarPortAsks ? choices.modulation : core.raw.noEffectChoice();
    const infoKeys = ["ImportAmp", "ImportPickup", "", "ImportStyle", "ImportSubStyle", "ImportSong", "ImportGuitarist", "ImportBand", "ImportComment"];
    return runDialog<number>(doc, "dialog-guitarport", core.text("ImportTitle"), (body) => {
        body.append(lines(doc, core, ["ImportGuitarPortLine1", "ImportGuitarPortLine2", "ImportGuitarPortLine3"]));
        if (source.guitarPortAsks) {
            body.append(lines(doc, core, ["ImportChoiceLine1", "ImportChoiceLine2", "ImportChoiceLine3"]));
            const radios = doc.createElement("div");
            radios.className = "radios";
            for (const [key, value, id] of [["ImportCompressor", choices.compressor, "choose-comp"], ["ImportModulation", choices.modulation, "choose-mod"]] as const) {
                const radio = doc.createElement("input");
                radio.type = "radio";
                radio.name = "mod-or-comp";
                radio.id = id;
                radio.checked = value === choice;
                radio.addEventListener("change", () => { if (radio.checked) choice = value; });
                const label = doc.createElement("label");
                label.append(radio, doc.createTextNode(` ${core.text(key)}`));
                radios.append(label);
            }
            body.append(radios);
        }
        const info = doc.createElement("dl");
        info.className = "information";
        const texts = source.guitarPortInformation;
        infoKeys.forEach((key, n) => {
            const text = texts[n] ?? "";
            if (!key) {
                // The pickup position shares the pickup's line.
                const last = info.lastElementChild;
                if (last && text) last.textContent = `${last.textContent} ${text}`;
                return;
            }
            const dt = doc.createElement("dt");
            dt.textContent = core.text(key);
            const dd = doc.createElement("dd");
            dd.textContent = text;
            info.append(dt, dd);
        });
        body.append(info);
    }, [
        { text: ok(core), value: () => choice, primary: true, id: "dialog-ok" },
        { text: cancel(core), value: () => null, id: "dialog-cancel" },
    ]);
}

export function askPatchName(doc: Document, core: Core, current: string): Promise<string | null> {
    let input!: HTMLInputElement;
    return runDialog<string>(doc, "dialog-rename", core.text("RenameTitle"), (body, finish) => {
        input = doc.createElement("input");
        input.id = "rename-name";
        input.value = current.replace(/\s+$/, "");
        input.spellcheck = false;
        // Names travel as the device's 8-bit characters: what it cannot hold is not taken.
        let last = input.value;
        input.addEventListener("input", () => {
            if (core.raw.acceptsName(input.value)) last = input.value;
            else input.value = last;
        });
        input.addEventListener("keydown", (event) => {
            if (event.key === "Enter") {
                event.preventDefault();
                finish(input.value);
            }
        });
        body.append(labelled(doc, core.text("RenameLabel"), input));
        queueMicrotask(() => input.select());
    }, [
        { text: ok(core), value: () => input.value, primary: true, id: "dialog-ok" },
        { text: cancel(core), value: () => null, id: "dialog-cancel" },
    ]);
}

export async function showMessage(doc: Document, core: Core, text: string, caption: string): Promise<void> {
    await runDialog<true>(doc, "dialog-message", caption || core.text("MessageCaption"), (body) => {
        const p = doc.createElement("p");
        p.className = "message";
        p.id = "message-text";
        p.textContent = text;
        body.append(p);
    }, [{ text: ok(core), value: () => true, primary: true, id: "dialog-ok" }]);
}
