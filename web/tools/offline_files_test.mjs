// The service worker's list of the site: every file, and a version that moves exactly when a
// file's name or contents do.
import assert from "node:assert/strict";
import { mkdtempSync, mkdirSync, readFileSync, renameSync, utimesSync, writeFileSync } from "node:fs";
import { tmpdir } from "node:os";
import { join } from "node:path";
import { test } from "node:test";
import { fileURLToPath } from "node:url";
import { writeWorker } from "./offline-files.mjs";

const kTemplate = readFileSync(fileURLToPath(new URL("../static/service-worker.js", import.meta.url)), "utf8");

function site() {
    const root = mkdtempSync(join(tmpdir(), "amplix-offline-"));
    mkdirSync(join(root, "app", "midi"), { recursive: true });
    writeFileSync(join(root, "index.html"), "<!doctype html>");
    writeFileSync(join(root, "amplix-core.wasm"), new Uint8Array([0, 97, 115, 109]));
    writeFileSync(join(root, "app", "main.js"), "export {}");
    writeFileSync(join(root, "app", "midi", "link.js"), "export {}");
    writeFileSync(join(root, "service-worker.js"), kTemplate);
    return root;
}
const workerOf = (root) => readFileSync(join(root, "service-worker.js"), "utf8");

test("the worker lists every file of the site but itself, in folders by relative URL", () => {
    const root = site();
    const written = writeWorker(root);
    assert.deepEqual(written.files, ["amplix-core.wasm", "app/main.js", "app/midi/link.js", "index.html"]);
    assert.match(written.version, /^[0-9a-f]{16}$/);
    const worker = workerOf(root);
    assert.ok(worker.includes(`const kSite = ${JSON.stringify(written)};`));
    assert.ok(!worker.includes("unbuilt"));
    // The rest of the worker is as written.
    assert.equal(worker.split("\n").length, kTemplate.split("\n").length);
});

test("the version moves with a file's contents or name, and with nothing else", () => {
    const root = site();
    const first = writeWorker(root);
    const firstWorker = workerOf(root);
    // Built again unchanged, or only touched: the worker is the same byte for byte.
    utimesSync(join(root, "app", "main.js"), new Date(2001, 1, 1), new Date(2001, 1, 1));
    assert.deepEqual(writeWorker(root), first);
    assert.equal(workerOf(root), firstWorker);

    const changes = [
        ["a byte changed", () => writeFileSync(join(root, "app", "main.js"), "export {};")],
        ["a file renamed", () => renameSync(join(root, "app", "main.js"), join(root, "app", "start.js"))],
        ["a file added", () => writeFileSync(join(root, "style.css"), "")],
        // The same bytes moved from one file's end to the next one's start.
        ["bytes moved between files", () => {
            writeFileSync(join(root, "index.html"), "<!doctype html");
            writeFileSync(join(root, "amplix-core.wasm"), Buffer.concat([Buffer.from(">"), Buffer.from([0, 97, 115, 109])]));
        }],
    ];
    const seen = new Set([first.version]);
    for (const [name, change] of changes) {
        change();
        const version = writeWorker(root).version;
        assert.ok(!seen.has(version), name);
        seen.add(version);
    }
});

test("a worker without the line to fill fails the build", () => {
    const root = site();
    writeFileSync(join(root, "service-worker.js"), "self.addEventListener('fetch', () => {});\n");
    assert.throws(() => writeWorker(root), /no "const kSite = \.\.\.;" line/);
});
