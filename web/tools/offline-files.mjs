// Writes into a built site's service worker the list of every file of the site and a version
// drawn from their names and contents, so the worker changes exactly when the site does.
//   node web/tools/offline-files.mjs <site folder>
import { createHash } from "node:crypto";
import { readFileSync, readdirSync, writeFileSync } from "node:fs";
import { join, resolve } from "node:path";
import { fileURLToPath } from "node:url";

export const kWorkerFile = "service-worker.js";
const kSiteLine = /^const kSite = .*;$/m;

// Every file below root, as URLs relative to it, sorted; the worker itself is not among them
// (the browser fetches it on its own).
export function siteFiles(root) {
    const files = [];
    const walk = (folder, prefix) => {
        for (const entry of readdirSync(folder, { withFileTypes: true })) {
            const path = prefix + entry.name;
            if (entry.isDirectory()) walk(join(folder, entry.name), path + "/");
            else if (entry.isFile() && path !== kWorkerFile) files.push(path);
        }
    };
    walk(root, "");
    return files.sort();
}

// Each file's name, length and bytes: a renamed or changed file changes it, a touched one does not.
export function siteVersion(root, files) {
    const hash = createHash("sha256");
    for (const file of files) {
        const bytes = readFileSync(join(root, file));
        hash.update(`${file}\0${bytes.length}\0`);
        hash.update(bytes);
    }
    return hash.digest("hex").slice(0, 16);
}

export function writeWorker(root) {
    const worker = join(root, kWorkerFile);
    const source = readFileSync(worker, "utf8");
    if (!kSiteLine.test(source)) throw new Error(`${worker} has no "const kSite = ...;" line to fill`);
    const files = siteFiles(root);
    const site = { version: siteVersion(root, files), files };
    writeFileSync(worker, source.replace(kSiteLine, `const kSite = ${JSON.stringify(site)};`));
    return site;
}

if (process.argv[1] && resolve(process.argv[1]) === fileURLToPath(import.meta.url)) {
    const site = writeWorker(resolve(process.argv[2] ?? "build/web"));
    console.log(`offline-files: ${site.files.length} files, version ${site.version}`);
}
