// The few node built-ins the page's unit tests use, declared here so the tests need no typings package.
declare module "node:test" {
    type Body = (t: unknown) => void | Promise<void>;
    export function test(name: string, body: Body): Promise<void>;
    export function test(name: string, options: { skip?: boolean | string }, body: Body): Promise<void>;
    export function describe(name: string, body: () => void): void;
    export function describe(name: string, options: { skip?: boolean | string }, body: () => void): void;
    export function it(name: string, body: Body): Promise<void>;
    export function beforeEach(body: () => void | Promise<void>): void;
    export function before(body: () => void | Promise<void>): void;
}
declare module "node:assert/strict" {
    interface Assert {
        (value: unknown, message?: string): asserts value;
        ok(value: unknown, message?: string): asserts value;
        equal<T>(actual: unknown, expected: T, message?: string): asserts actual is T;
        notEqual(actual: unknown, expected: unknown, message?: string): void;
        deepEqual<T>(actual: unknown, expected: T, message?: string): asserts actual is T;
        match(actual: string, pattern: RegExp, message?: string): void;
        throws(body: () => unknown, expected?: unknown, message?: string): void;
        rejects(body: Promise<unknown> | (() => Promise<unknown>), expected?: unknown): Promise<void>;
        fail(message?: string): never;
    }
    const assert: Assert;
    export default assert;
}
declare module "node:fs" {
    export function readFileSync(path: string | URL): Uint8Array;
    export function existsSync(path: string | URL): boolean;
}
declare module "node:url" {
    export function fileURLToPath(url: string | URL): string;
    export function pathToFileURL(path: string): URL;
}
declare var process: { env: Record<string, string | undefined>; cwd(): string };
