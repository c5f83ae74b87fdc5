// Talking to Tarnwick's native messaging host: one message at a time, each
// answered by one reply.
import { api } from "./api.js";
import { splitIntoMessages } from "./items.js";

export const HOST_NAME = "org.tarnwick.browser_host";

function errorText(error) {
    return String(error?.message ?? error ?? "unknown error");
}

export async function pingHost() {
    try {
        const reply = await api.runtime.sendNativeMessage(HOST_NAME, { type: "ping" });
        return reply?.ok ? { version: reply.version ?? "" } : { error: reply?.reason ?? "no answer" };
    } catch (error) {
        return { error: errorText(error) };
    }
}

// Hands `items` over in as many messages as the host's caps need. Returns the
// host's replies for the items it answered, the reason it refused a whole
// message for (if any) and the error that stopped the hand-off (if any).
export async function sendItems(items) {
    const replies = [];
    let refusal = null;
    for (const message of splitIntoMessages(items)) {
        let reply;
        try {
            reply = await api.runtime.sendNativeMessage(HOST_NAME, message);
        } catch (error) {
            return { replies, refusal, error: errorText(error) };
        }
        if (!reply || reply.ok !== true || !Array.isArray(reply.items)) {
            refusal ??= reply?.reason ?? "no answer";
            continue;
        }
        replies.push(...reply.items);
    }
    return { replies, refusal, error: null };
}
