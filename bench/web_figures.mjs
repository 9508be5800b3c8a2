// The arithmetic of the browser figures (bench/web_bench.mjs), apart from the browser: the site's
// size, percentiles, which send answers which input, and what of a Load ALL was the bank; and the
// probe the measured page carries (it runs in the page, from its source text).
import fs from 'node:fs';
import path from 'node:path';
import { gzipSync } from 'node:zlib';

// Nearest rank on samples sorted ascending.
export function percentile(sorted, p) {
    return sorted[Math.min(sorted.length - 1, Math.max(0, Math.ceil((p / 100) * sorted.length) - 1))];
}

export function summary(samples) {
    const sorted = [...samples].sort((a, b) => a - b);
    return { n: sorted.length, median: percentile(sorted, 50), p99: percentile(sorted, 99), max: sorted.at(-1) };
}

// Every file under folder by its path inside it ('/' between folders), in name order, with its
// size raw and gzipped at level 9, as a server would send it compressed.
export function siteSizes(folder) {
    const walk = (dir, prefix) =>
        fs.readdirSync(dir, { withFileTypes: true })
            .sort((a, b) => a.name.localeCompare(b.name))
            .flatMap((entry) => entry.isDirectory()
                ? walk(path.join(dir, entry.name), `${prefix}${entry.name}/`)
                : [`${prefix}${entry.name}`]);
    const files = walk(folder, '').map((name) => {
        const bytes = fs.readFileSync(path.join(folder, name));
        return { name, raw: bytes.length, gzip: gzipSync(bytes, { level: 9 }).length };
    });
    if (!files.length) throw new Error(`no files in ${folder}`);
    const total = (key) => files.reduce((sum, file) => sum + file[key], 0);
    return { files, raw: total('raw'), gzip: total('gzip') };
}

// A control change's status byte, on any channel.
const isControlChange = (status) => (status & 0xf0) === 0xb0;

// moments: when each input happened, ascending; sends: [time, status byte, length] of every
// MIDIOutput.send(), ascending. Each input is answered by the first control change sent after it
// and before the next input; an input without one is missed.
export function sendLatencies(moments, sends) {
    const latencies = [];
    let missed = 0;
    let s = 0;
    for (let n = 0; n < moments.length; ++n) {
        const end = n + 1 < moments.length ? moments[n + 1] : Infinity;
        while (s < sends.length && sends[s][0] < moments[n]) ++s;
        let answer = null;
        for (let k = s; k < sends.length && sends[k][0] < end; ++k) {
            if (isControlChange(sends[k][1])) {
                answer = sends[k][0];
                break;
            }
        }
        if (answer === null) ++missed;
        else latencies.push(answer - moments[n]);
    }
    return { latencies, missed };
}

// lengths: of the SysEx messages handed on from the Load ALL confirmation on. The bank is the
// first `stores` of them (the patch read back afterwards is not); whole when each is a store.
export function bankStores(lengths, stores = 36, storeBytes = 152) {
    const bank = lengths.slice(0, stores);
    return {
        bytes: bank.reduce((sum, length) => sum + length, 0),
        whole: bank.length === stores && bank.every((length) => length === storeBytes),
    };
}

// Runs in the page. Records every MIDIOutput.send() (when, status byte, length), every key down
// and click (the event's own time stamp), and marks where requestMIDIAccess resolves and where
// the patch name first shows, for a page that has no marks of its own.
export function probe({ watchPatchName }) {
    const bench = { sends: [], keys: [], clicks: [] };
    Object.defineProperty(window, 'amplixBench', { value: bench });
    if (typeof MIDIOutput === 'function') {
        const send = MIDIOutput.prototype.send;
        MIDIOutput.prototype.send = function (data, timestamp) {
            bench.sends.push([performance.now(), data[0], data.length]);
            return timestamp === undefined ? send.call(this, data) : send.call(this, data, timestamp);
        };
    }
    if (typeof Navigator.prototype.requestMIDIAccess === 'function') {
        const request = Navigator.prototype.requestMIDIAccess;
        Navigator.prototype.requestMIDIAccess = function (...options) {
            return request.apply(this, options).then((access) => {
                performance.mark('bench:midi-access');
                return access;
            });
        };
    }
    // The key's own time stamp (when the browser took it) and when the page first sees it.
    addEventListener('keydown', (event) => bench.keys.push([event.timeStamp, performance.now()]), true);
    addEventListener('click', (event) => bench.clicks.push([performance.timeOrigin + event.timeStamp, event.target?.id ?? '']), true);
    if (watchPatchName) {
        const watcher = new MutationObserver(() => {
            const name = document.getElementById('patch-name')?.textContent?.trim();
            if (!name || !performance.getEntriesByName('bench:midi-access').length) return;
            performance.mark('bench:patch-name');
            watcher.disconnect();
        });
        watcher.observe(document, { subtree: true, childList: true, characterData: true });
    }
}
