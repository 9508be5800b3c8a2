// The MIDI Setup dialog: input, output and channel, and Find POD, with the desktop's texts.
import type { Core } from "./core.js";
import { runDialog } from "./dialogs.js";
import type { FoundPod } from "./midi/finder.js";
import type { PortInfo } from "./midi/types.js";

export interface SetupChoice {
    inputId: string;
    outputId: string;
    channel: number;
}

export interface SetupPorts {
    inputs(): PortInfo[];
    outputs(): PortInfo[];
}

// Devices plugged in or out while the dialog is open show within about a second.
const kFollowDevicesMs = 1000;

function fill(doc: Document, select: HTMLSelectElement, ports: PortInfo[], chosen: string | undefined): void {
    const keep = chosen ?? select.value;
    select.replaceChildren();
    for (const port of ports) {
        const option = doc.createElement("option");
        option.value = port.id;
        option.textContent = port.name;
        select.appendChild(option);
    }
    select.value = keep;
    if (select.value !== keep) select.selectedIndex = -1; // a device that went is no choice any more
}

export function runMidiSetup(
    doc: Document,
    core: Core,
    ports: SetupPorts,
    initial: Partial<SetupChoice>,
    notice: string,
    find: (cancel: { cancelled: boolean }) => Promise<FoundPod>,
): Promise<SetupChoice | null> {
    let input!: HTMLSelectElement, output!: HTMLSelectElement, channel!: HTMLSelectElement;
    let timer: ReturnType<typeof setInterval> | undefined;
    const connected = (list: PortInfo[]) => list.filter((p) => p.connected);
    const result = runDialog<SetupChoice>(doc, "dialog-midi-setup", core.text("MidiSetupTitle"), (body) => {
        const intro = doc.createElement("p");
        intro.className = "intro";
        intro.textContent = ["MidiSetupLine1", "MidiSetupLine2", "MidiSetupLine3"].map((k) => core.text(k)).join(" ");
        const grid = doc.createElement("div");
        grid.className = "setup-grid";
        const field = (id: string, key: string) => {
            const label = doc.createElement("label");
            label.htmlFor = id;
            label.textContent = core.text(key);
            const select = doc.createElement("select");
            select.id = id;
            grid.append(label, select);
            return select;
        };
        input = field("midi-in", "MidiSetupInput");
        output = field("midi-out", "MidiSetupOutput");
        channel = field("midi-channel", "MidiSetupChannel");
        fill(doc, input, connected(ports.inputs()), initial.inputId);
        fill(doc, output, connected(ports.outputs()), initial.outputId);
        for (let n = 1; n <= core.sizes.midiChannels; ++n) {
            const option = doc.createElement("option");
            option.textContent = String(n);
            channel.appendChild(option);
        }
        channel.selectedIndex = initial.channel ?? 0;

        const line = doc.createElement("p");
        line.id = "find-result";
        line.className = "find-result";
        line.setAttribute("role", "status");
        line.textContent = notice;
        const findButton = doc.createElement("button");
        findButton.type = "button";
        findButton.id = "find-pod";
        findButton.textContent = core.text("MidiSetupFindPod");
        let searching: { cancelled: boolean } | null = null;
        findButton.addEventListener("click", async () => {
            if (searching) {
                searching.cancelled = true;
                return;
            }
            searching = { cancelled: false };
            const held = [input, output, channel, ...body.parentElement!.querySelectorAll<HTMLButtonElement>(".dialog-buttons button")];
            for (const el of held) el.disabled = true;
            findButton.textContent = core.text("MidiSetupStop");
            line.classList.add("busy");
            try {
                const found = await find(searching);
                fill(doc, input, connected(ports.inputs()), found.inputId ?? undefined);
                fill(doc, output, connected(ports.outputs()), found.outputId ?? undefined);
                // Without an answer the lists and the channel stay as the user left them.
                if (found.search.outcome === "Found" && found.search.channel !== null)
                    channel.selectedIndex = found.search.channel;
                line.textContent = core.raw.describeSearch(found.search, found.inputName, found.outputName);
            } finally {
                for (const el of held) el.disabled = false;
                findButton.textContent = core.text("MidiSetupFindPod");
                line.classList.remove("busy");
                searching = null;
            }
        });
        const side = doc.createElement("div");
        side.className = "setup-side";
        side.append(findButton);
        const top = doc.createElement("div");
        top.className = "setup-top";
        top.append(intro, side);
        body.append(top, grid, line);
        timer = setInterval(() => {
            if (searching) return;
            fill(doc, input, connected(ports.inputs()), undefined);
            fill(doc, output, connected(ports.outputs()), undefined);
        }, kFollowDevicesMs);
    }, [
        {
            text: core.text("ButtonOk"),
            primary: true,
            id: "dialog-ok",
            value: () =>
                input.value && output.value
                    ? { inputId: input.value, outputId: output.value, channel: Math.max(0, channel.selectedIndex) }
                    : null,
        },
        { text: core.text("ButtonCancel"), value: () => null, id: "dialog-cancel" },
    ]);
    return result.finally(() => clearInterval(timer));
}
