// The arithmetic of the browser figures (bench/web_bench.mjs), apart from the browser: the site's
// size, percentiles, which send answers which input, and what of a Load ALL was the bank.
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
