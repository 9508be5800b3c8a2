// The question Forget asks before it clears what the browser keeps.
import type { Core } from "./core.js";
import { runDialog } from "./dialogs.js";

export async function confirmForget(doc: Document, core: Core): Promise<boolean> {
    const answer = await runDialog<boolean>(doc, "dialog-forget", core.text("Forget"), (body) => {
        const p = doc.createElement("p");
        p.className = "message";
        p.id = "forget-question";
        p.textContent = core.text("ForgetQuestion");
        body.append(p);
    }, [
        { text: core.text("ButtonOk"), value: () => true, primary: true, id: "dialog-ok" },
        { text: core.text("ButtonCancel"), value: () => null, id: "dialog-cancel" },
    ]);
    return answer === true;
}
