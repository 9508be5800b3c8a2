// The panel: every control of the main window and of the nine effect windows at the desktop's
// pixel place, planned from the core's geometry and tone map, then made into DOM elements.
import type { PanelItemKind, PanelLayout, PanelWindow, ToneParameter, WindowName } from "./core.js";

export interface PlannedItem {
    name: string;
    window: WindowName;
    kind: PanelItemKind;
    member: string;
    x: number; y: number; w: number; h: number;
    text: string;
    label: string; // the accessible name: the tone map's label, or the caption
    maximum: number;
    pageStep: number;
    entries: string[];
    initial: number;
}

export interface PanelPlan {
    width: number;
    height: number;
    windows: PanelWindow[];
    items: PlannedItem[];
    // The patch name strip takes the room below the windows.
    strip: { x: number; y: number; w: number; h: number };
}

// The closed drop-down is as tall as a line of text; the layout's h is its opened list.
export const kClosedListHeight = 22;

export function planPanel(layout: PanelLayout, toneMap: readonly ToneParameter[]): PanelPlan {
    const rows = new Map(toneMap.filter((p) => p.member).map((p) => [p.member, p]));
    const items = layout.items.map((item): PlannedItem => {
        const p = item.member ? rows.get(item.member) : undefined;
        const maximum = p ? p.maximum : 0;
        return {
            name: item.name,
            window: item.window,
            kind: item.kind,
            member: item.member,
            x: item.x, y: item.y, w: item.w,
            h: item.kind === "DropDown" ? Math.min(item.h, kClosedListHeight) : item.h,
            text: item.text,
            label: p?.label || item.text || item.name,
            maximum,
            // as the desktop's sliders page: a fifth of the range
            pageStep: Math.max(1, Math.floor((maximum + 1) / 5)),
            entries: p ? p.entries : [],
            initial: p ? p.initial : 0,
        };
    });
    // The frame's own window is the whole panel; the effect windows end where the strip begins.
    const effects = layout.windows.filter((w) => w.window !== "Frame");
    const bottom = Math.max(...(effects.length ? effects : layout.windows).map((w) => w.y + w.h));
    return {
        width: layout.width,
        height: layout.height,
        windows: layout.windows,
        items,
        strip: { x: 0, y: bottom, w: layout.width, h: Math.max(0, layout.height - bottom) },
    };
}

// The step a key takes a slider, or null for a key a slider does not take. A vertical slider
// has its start at the top, as the desktop's: Up moves the thumb up, towards the start.
export function sliderKeyStep(key: string, vertical: boolean, item: Pick<PlannedItem, "maximum" | "pageStep">,
                              state: number): number | null {
    const up = vertical ? -1 : 1;
    switch (key) {
        case "ArrowUp":
            return state + up;
        case "ArrowDown":
            return state - up;
        case "ArrowRight":
            return state + 1;
        case "ArrowLeft":
            return state - 1;
        case "PageUp":
            return state + up * item.pageStep;
        case "PageDown":
            return state - up * item.pageStep;
        case "Home":
            return 0;
        case "End":
            return item.maximum;
        default:
            return null;
    }
}

export interface PanelHandlers {
    changed(member: string): void;
    // The text shown beside a moving slider and as every control's tooltip.
    valueText(member: string, state: number): string;
    labelledValueText(member: string, state: number): string;
}

export interface BuiltPanel {
    root: HTMLElement;
    windows: Map<WindowName, HTMLElement>;
    controls: Map<string, HTMLInputElement | HTMLSelectElement>;
    statics: Map<string, HTMLElement>;
    strip: HTMLElement;
    // A control's state as the tone map counts it: position, 0/1, or index (-1: none).
    state(member: string): number;
    setState(member: string, state: number): void;
}

export function buildPanel(doc: Document, plan: PanelPlan, handlers: PanelHandlers): BuiltPanel {
    const root = doc.createElement("div");
    root.id = "panel";
    root.className = "panel";
    root.style.width = `${plan.width}px`;
    root.style.height = `${plan.height}px`;
    const windows = new Map<WindowName, HTMLElement>();
    const controls = new Map<string, HTMLInputElement | HTMLSelectElement>();
    const statics = new Map<string, HTMLElement>();
    const place = (el: HTMLElement, r: { x: number; y: number; w: number; h: number }) => {
        el.style.left = `${r.x}px`;
        el.style.top = `${r.y}px`;
        el.style.width = `${r.w}px`;
        el.style.height = `${r.h}px`;
    };
    for (const w of plan.windows) {
        const section = doc.createElement("section");
        section.className = w.window === "Frame" ? "window frame" : "window effect";
        section.dataset.window = w.window;
        section.id = `window-${w.window}`;
        place(section, w);
        root.appendChild(section);
        windows.set(w.window, section);
    }
    const tip = doc.createElement("div");
    tip.className = "value-tip";
    tip.setAttribute("aria-hidden", "true");
    root.appendChild(tip);
    let tipTimer: ReturnType<typeof setTimeout> | undefined;

    const state = (member: string): number => {
        const control = controls.get(member);
        if (!control) return 0;
        if (control instanceof HTMLSelectElement) return control.selectedIndex;
        if (control.type === "checkbox") return control.checked ? 1 : 0;
        return Number(control.value);
    };
    const describe = (member: string) => {
        const control = controls.get(member);
        if (!control) return;
        const s = state(member);
        control.title = handlers.labelledValueText(member, s);
        if (control instanceof HTMLInputElement && control.type === "range")
            control.setAttribute("aria-valuetext", handlers.valueText(member, s));
    };
    const setState = (member: string, s: number) => {
        const control = controls.get(member);
        if (!control) return;
        if (control instanceof HTMLSelectElement) control.selectedIndex = s >= 0 && s < control.options.length ? s : -1;
        else if (control.type === "checkbox") control.checked = s !== 0;
        else control.value = String(Math.max(0, Math.min(Number(control.max), s)));
        describe(member);
    };
    const showTip = (item: PlannedItem, control: HTMLInputElement) => {
        tip.textContent = handlers.valueText(item.member, state(item.member));
        const parent = windows.get(item.window)!;
        const vertical = item.kind === "VerticalSlider";
        const fraction = item.maximum ? Number(control.value) / item.maximum : 0;
        const left = parent.offsetLeft + item.x + (vertical ? item.w + 2 : fraction * item.w);
        const top = parent.offsetTop + item.y + (vertical ? fraction * item.h : -20);
        tip.style.left = `${Math.min(plan.width - 60, left)}px`;
        tip.style.top = `${Math.max(0, top)}px`;
        tip.classList.add("shown");
        clearTimeout(tipTimer);
        tipTimer = setTimeout(() => tip.classList.remove("shown"), 1200);
    };

    for (const item of plan.items) {
        const parent = windows.get(item.window);
        if (!parent) continue;
        let el: HTMLElement;
        switch (item.kind) {
            case "Static": {
                el = doc.createElement("span");
                el.className = "static";
                el.textContent = item.text;
                statics.set(item.name, el);
                break;
            }
            case "VerticalSlider":
            case "HorizontalSlider": {
                const input = doc.createElement("input");
                input.type = "range";
                input.min = "0";
                input.max = String(item.maximum);
                input.step = "1";
                input.value = String(Math.max(0, item.initial));
                const vertical = item.kind === "VerticalSlider";
                input.className = vertical ? "slider vertical" : "slider horizontal";
                // The change goes to the device first; the title and the tip, which make the
                // browser lay the panel out again, follow it.
                input.addEventListener("input", () => {
                    handlers.changed(item.member);
                    describe(item.member);
                    showTip(item, input);
                });
                input.addEventListener("keydown", (event) => {
                    if (event.altKey || event.ctrlKey || event.metaKey) return;
                    const next = sliderKeyStep(event.key, vertical, item, Number(input.value));
                    if (next === null) return;
                    event.preventDefault();
                    const clamped = Math.max(0, Math.min(item.maximum, next));
                    if (clamped === Number(input.value)) return;
                    input.value = String(clamped);
                    handlers.changed(item.member);
                    describe(item.member);
                    showTip(item, input);
                });
                controls.set(item.member, input);
                el = input;
                break;
            }
            case "CheckBox": {
                const label = doc.createElement("label");
                label.className = "check";
                const box = doc.createElement("input");
                box.type = "checkbox";
                box.checked = item.initial > 0;
                box.addEventListener("change", () => {
                    describe(item.member);
                    handlers.changed(item.member);
                });
                const caption = doc.createElement("span");
                caption.textContent = item.text;
                label.append(box, caption);
                controls.set(item.member, box);
                el = label;
                break;
            }
            case "DropDown": {
                const select = doc.createElement("select");
                select.className = "list";
                for (const entry of item.entries) {
                    const option = doc.createElement("option");
                    option.textContent = entry;
                    select.appendChild(option);
                }
                select.selectedIndex = item.initial;
                select.addEventListener("change", () => {
                    describe(item.member);
                    handlers.changed(item.member);
                });
                controls.set(item.member, select);
                el = select;
                break;
            }
        }
        el.id = item.name;
        el.dataset.kind = item.kind;
        place(el, item);
        const control = controls.get(item.member);
        if (control && item.member) {
            control.setAttribute("aria-label", item.label);
            control.dataset.member = item.member;
            if (control !== el) control.id = `${item.name}-box`;
        }
        parent.appendChild(el);
    }
    for (const member of controls.keys()) describe(member);

    const strip = doc.createElement("div");
    strip.className = "strip";
    strip.id = "patch-strip";
    place(strip, plan.strip);
    root.appendChild(strip);
    return { root, windows, controls, statics, strip, state, setState };
}
