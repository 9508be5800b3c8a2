// Serves a folder on 127.0.0.1, as any static host would: files only, by their extension's type,
// nothing outside the folder. Run as a program it serves the built site and prints its URL:
//   node web/tools/serve.mjs [folder] [port]
// A page on localhost counts as a secure context, so Web MIDI with SysEx is offered there.
import { createServer } from "node:http";
import { readFile, stat } from "node:fs/promises";
import { extname, join, normalize, resolve, sep } from "node:path";
import { fileURLToPath } from "node:url";

const TYPES = {
    ".html": "text/html; charset=utf-8",
    ".js": "text/javascript; charset=utf-8",
    ".mjs": "text/javascript; charset=utf-8",
    ".css": "text/css; charset=utf-8",
    ".json": "application/json",
    ".webmanifest": "application/manifest+json",
    ".wasm": "application/wasm",
    ".svg": "image/svg+xml",
    ".png": "image/png",
    ".ico": "image/x-icon",
    ".syx": "application/octet-stream",
};

// The file a request names inside root, or null for anything that would leave it.
export function fileFor(root, url) {
    let path;
    try {
        path = decodeURIComponent(new URL(url, "http://localhost").pathname);
    } catch {
        return null;
    }
    if (path.includes("\0"))
        return null;
    const file = normalize(join(root, path));
    if (file !== root && !file.startsWith(root + sep))
        return null;
    return path.endsWith("/") ? join(file, "index.html") : file;
}

// Resolves to the running server and its URL; port 0 takes any free one.
export function serveFolder(folder, port = 0) {
    const root = resolve(folder);
    const server = createServer(async (request, response) => {
        let file = fileFor(root, request.url ?? "/");
        try {
            if (file && (await stat(file)).isDirectory())
                file = join(file, "index.html");
            if (!file || (request.method !== "GET" && request.method !== "HEAD"))
                throw new Error("refused");
            const body = await readFile(file);
            response.writeHead(200, {
                "Content-Type": TYPES[extname(file).toLowerCase()] ?? "application/octet-stream",
                "Content-Length": body.length,
                "Cache-Control": "no-cache",
            });
            response.end(request.method === "HEAD" ? undefined : body);
        } catch {
            response.writeHead(404, { "Content-Type": "text/plain; charset=utf-8" });
            response.end("Not found\n");
        }
    });
    return new Promise((done, fail) => {
        server.once("error", fail);
        server.listen(port, "127.0.0.1", () => {
            const { port: actual } = server.address();
            done({ server, url: `http://127.0.0.1:${actual}/` });
        });
    });
}

if (process.argv[1] && resolve(process.argv[1]) === fileURLToPath(import.meta.url)) {
    const folder = process.argv[2] ?? "build/web";
    const { url } = await serveFolder(folder, Number(process.argv[3] ?? 8032));
    console.log(`Amplix 32 in the browser: ${url}  (Ctrl+C stops)`);
}
