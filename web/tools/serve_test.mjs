// The site's server hands out the folder's files and nothing beside them.
import assert from "node:assert/strict";
import { mkdtempSync, mkdirSync, writeFileSync } from "node:fs";
import { tmpdir } from "node:os";
import { join } from "node:path";
import { test } from "node:test";
import { fileFor, serveFolder } from "./serve.mjs";

test("paths that would leave the folder are refused", () => {
    const root = "/srv/site";
    assert.equal(fileFor(root, "/"), "/srv/site/index.html");
    assert.equal(fileFor(root, "/app/main.js?v=1"), "/srv/site/app/main.js");
    for (const url of ["/../etc/passwd", "/%2e%2e/etc/passwd", "/app/%2e%2e/%2e%2e/x", "/..%2f..%2fetc", "/%2e%2e%5c..%5cx"]) {
        const file = fileFor(root, url);
        assert.ok(file === null || file.startsWith(root + "/"), `${url} gave ${file}`);
    }
    assert.equal(fileFor(root, "/%00"), null);
    assert.equal(fileFor(root, "/%E0%A4%A"), null);
});

test("files go out with their types, a missing one is a 404", async () => {
    const root = mkdtempSync(join(tmpdir(), "amplix-site-"));
    mkdirSync(join(root, "app"));
    writeFileSync(join(root, "index.html"), "<!doctype html>");
    writeFileSync(join(root, "amplix-core.wasm"), new Uint8Array([0, 97, 115, 109]));
    writeFileSync(join(root, "app", "main.js"), "export {}");
    const { server, url } = await serveFolder(root);
    try {
        const page = await fetch(url);
        assert.equal(page.headers.get("content-type"), "text/html; charset=utf-8");
        assert.equal(await page.text(), "<!doctype html>");
        const wasm = await fetch(new URL("amplix-core.wasm", url));
        assert.equal(wasm.headers.get("content-type"), "application/wasm");
        assert.deepEqual(new Uint8Array(await wasm.arrayBuffer()), new Uint8Array([0, 97, 115, 109]));
        assert.equal((await fetch(new URL("app/main.js", url))).headers.get("content-type"), "text/javascript; charset=utf-8");
        assert.equal((await fetch(new URL("app/", url))).status, 404);
        assert.equal((await fetch(new URL("nothing.js", url))).status, 404);
        assert.equal((await fetch(url, { method: "POST" })).status, 404);
    } finally {
        server.close();
    }
});
