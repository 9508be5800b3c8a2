// The service worker registered only where the browser has one, and never a failure for the page.
import { test } from "node:test";
import assert from "node:assert/strict";
import { registerOffline } from "../src/offline.js";

test("the worker is registered beside the site's index, only in a secure context, never throwing", async () => {
    const root = new URL("https://example.org/tools/amplix/");
    // [case, has a container, secure, register's outcome, result, URLs asked]
    const cases: [string, boolean, boolean, "ok" | "fails" | "throws", boolean, string[]][] = [
        ["https with service workers", true, true, "ok", true, ["https://example.org/tools/amplix/service-worker.js"]],
        ["not a secure context", true, false, "ok", false, []],
        ["no service workers", false, true, "ok", false, []],
        ["registration refused", true, true, "fails", false, ["https://example.org/tools/amplix/service-worker.js"]],
        ["registration throws at once", true, true, "throws", false, ["https://example.org/tools/amplix/service-worker.js"]],
    ];
    for (const [name, has, secure, outcome, result, asked] of cases) {
        const urls: string[] = [];
        const container = {
            register(url: string | URL) {
                urls.push(String(url));
                if (outcome === "throws") throw new TypeError("SecurityError");
                return outcome === "ok"
                    ? Promise.resolve({} as ServiceWorkerRegistration)
                    : Promise.reject(new DOMException("Failed to register", "SecurityError"));
            },
        };
        assert.equal(await registerOffline(has ? container : undefined, secure, root), result, name);
        assert.deepEqual(urls, asked, name);
    }
});
