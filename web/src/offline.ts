// The page as an installed app that works without a network: the service worker beside
// index.html is registered where the browser has service workers (https, localhost).
export const kServiceWorkerFile = "service-worker.js";

type Registrar = Pick<ServiceWorkerContainer, "register">;

// Resolves to whether the worker was registered. Never rejects: the page works without it,
// only not offline.
export async function registerOffline(
    container: Registrar | undefined,
    secure: boolean,
    siteRoot: URL,
): Promise<boolean> {
    if (!container || !secure) return false;
    try {
        // Its scope is the folder it lies in: the whole site, wherever the site is put.
        await container.register(new URL(kServiceWorkerFile, siteRoot).href);
        return true;
    } catch {
        return false;
    }
}
