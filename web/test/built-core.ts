// The built core module for the tests that need the core itself, not the fake: loaded once from
// beside the page. Without it they are skipped, unless AMPLIX_WEB_DIR names where it must be (CI).
import { existsSync, readFileSync } from "node:fs";
import { pathToFileURL } from "node:url";
import type { AmplixCore } from "../src/core.js";

const dir = process.env.AMPLIX_WEB_DIR
    ? pathToFileURL(`${process.env.AMPLIX_WEB_DIR.replace(/\/$/, "")}/`)
    : new URL("../../web/", import.meta.url);
const built = existsSync(new URL("amplix-core.js", dir)) && existsSync(new URL("amplix-core.wasm", dir));

async function load(): Promise<AmplixCore> {
    const module = (await import(new URL("amplix-core.js", dir).href)) as { default: (o: object) => Promise<AmplixCore> };
    return module.default({ wasmBinary: readFileSync(new URL("amplix-core.wasm", dir)) });
}

if (!built && process.env.AMPLIX_WEB_DIR)
    throw new Error(`no amplix-core.js and amplix-core.wasm in ${process.env.AMPLIX_WEB_DIR}`);
export const skipWithoutCore: false | string = built ? false : "the core is not built (amplix-core.js beside the page)";
export const builtCore: AmplixCore | null = built ? await load() : null;
