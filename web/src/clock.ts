// Time as the page's logic sees it: the browser's clock in the page, a hand-turned one in tests.
export interface Clock {
    now(): number;
    // Runs fn after ms; the returned function cancels it.
    after(ms: number, fn: () => void): () => void;
}

export const browserClock: Clock = {
    now: () => performance.now(),
    after(ms, fn) {
        const id = setTimeout(fn, Math.max(0, ms));
        return () => clearTimeout(id);
    },
};
