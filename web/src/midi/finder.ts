// Find POD: the edit-buffer request on each output while every input listens; the first input that
// brings a single-patch dump marks the pair; then the device inquiry on that output, channel by
// channel, tells the channel. The built-in simulator is never asked.
import type { Clock } from "../clock.js";
import type { DeviceIdentity, PodSearch } from "../core.js";
import { CableOutput, type Pacer } from "./cable.js";
import type { MidiBackend } from "./types.js";

export interface FinderCore extends Pacer {
    editBufferRequest(): Uint8Array;
    classifyDump(message: Uint8Array): "SinglePatch" | "Bank" | "Other";
    decodeDump(message: Uint8Array): unknown;
    deviceInquiry(channel: number): Uint8Array;
    readInquiryReply(message: Uint8Array): DeviceIdentity | null;
    sizes(): { midiChannels: number; answersOfOmni: number };
}

export interface FinderTiming {
    answerMs: number; // after the request is at the device
    inquiryMs: number;
}

export interface FoundPod {
    search: PodSearch;
    inputId: string | null;
    outputId: string | null;
    inputName: string;
    outputName: string;
}


interface Arrival {
    inputId: string;
    bytes: Uint8Array;
}

// What the inputs brought, for the search to wait on.
class Inbox {
    private queue: Arrival[] = [];
    private wake: (() => void) | null = null;

    put(arrival: Arrival): void {
        this.queue.push(arrival);
        this.wake?.();
    }
    clear(): void {
        this.queue = [];
    }
    // The first arrival that passes the test before the clock reaches `until`.
    async await(clock: Clock, until: number, wanted: (a: Arrival) => boolean): Promise<Arrival | null> {
        for (;;) {
            const found = this.take(wanted);
            if (found) return found;
            if (clock.now() >= until) return null;
            await new Promise<void>((resolve) => {
                const cancel = clock.after(until - clock.now(), () => {
                    this.wake = null;
                    resolve();
                });
                this.wake = () => {
                    this.wake = null;
                    cancel();
                    resolve();
                };
            });
        }
    }
    private take(wanted: (a: Arrival) => boolean): Arrival | null {
        while (this.queue.length) {
            const next = this.queue.shift()!;
            if (wanted(next)) return next;
        }
        return null;
    }
}

export async function findPod(
    backend: MidiBackend,
    core: FinderCore,
    clock: Clock,
    timing: FinderTiming,
    cancel: { cancelled: boolean } = { cancelled: false },
): Promise<FoundPod> {
    const search: PodSearch = {
        outcome: "NoAnswer",
        channel: null,
        identity: null,
        busyOutputs: [],
        outputsAsked: 0,
        simulatorListed: false,
    };
    const result: FoundPod = { search, inputId: null, outputId: null, inputName: "", outputName: "" };
    const inbox = new Inbox();
    const closers: (() => void)[] = [];
    for (const input of backend.inputs()) {
        if (backend.isSimulator(input.id) || !input.connected) continue;
        const opened = await backend.openInput(input.id, (bytes) => inbox.put({ inputId: input.id, bytes }));
        if ("port" in opened) closers.push(opened.port);
    }
    try {
        let found: CableOutput | null = null;
        const outputs = backend.outputs();
        search.simulatorListed = outputs.some((o) => backend.isSimulator(o.id));
        for (const output of outputs) {
            if (cancel.cancelled) break;
            if (backend.isSimulator(output.id) || !output.connected) continue;
            const opened = await backend.openOutput(output.id);
            if ("error" in opened) {
                if (opened.error === "busy") search.busyOutputs.push(output.name);
                continue;
            }
            const cable = new CableOutput(opened.port, core, clock);
            inbox.clear(); // an answer to another output's request is no answer to this one
            let doneAt: number;
            try {
                doneAt = cable.sendSysex(core.editBufferRequest());
            } catch {
                continue;
            }
            ++search.outputsAsked;
            const answer = await inbox.await(
                clock,
                doneAt + timing.answerMs,
                (a) => core.classifyDump(a.bytes) === "SinglePatch" && core.decodeDump(a.bytes) !== null,
            );
            if (!answer) continue;
            result.outputId = output.id;
            result.outputName = output.name;
            result.inputId = answer.inputId;
            result.inputName = backend.inputs().find((i) => i.id === answer.inputId)?.name ?? "";
            found = cable;
            break;
        }
        if (!found) {
            search.outcome = cancel.cancelled ? "Cancelled" : "NoAnswer";
            return result;
        }
        // The inquiry for every channel at once, back to back on the cable, then one wait: the
        // device answers the one for its own channel, naming it, or every one in omni mode.
        const { midiChannels, answersOfOmni } = core.sizes();
        inbox.clear();
        let doneAt = 0;
        for (let channel = 0; channel < midiChannels; ++channel)
            doneAt = found.sendSysex(core.deviceInquiry(channel));
        const replies: DeviceIdentity[] = [];
        await inbox.await(clock, doneAt + timing.inquiryMs, (a) => {
            const identity = a.inputId === result.inputId ? core.readInquiryReply(a.bytes) : null;
            if (identity && identity.channel < midiChannels) replies.push(identity);
            return replies.length >= answersOfOmni || cancel.cancelled;
        });
        const answers = replies.length;
        if (answers > 0) {
            search.identity = replies[0];
            search.channel = replies[0].channel;
        }
        if (answers !== 1) search.channel = null;
        search.outcome = cancel.cancelled ? "Cancelled" : "Found";
        return result;
    } finally {
        for (const close of closers) close();
    }
}
