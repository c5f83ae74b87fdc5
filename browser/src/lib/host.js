// Talking to Tarnwick's native messaging host: each message answered by one
// reply, in order, over one port.
import { api } from "./api.js";
import { splitIntoMessages } from "./items.js";

export const HOST_NAME = "org.tarnwick.browser_host";

function errorText(error) {
    return String(error?.message ?? error ?? "unknown error");
}

// One port to the host, opened when first needed and kept while the worker
// lives: the host then starts once, not once a message. Replies come in the
// order the messages went; when the port closes, what still waits fails with
// the browser's reason (a missing host among them).
let port = null;
const waiting = [];

function openPort() {
    const opened = api.runtime.connectNative(HOST_NAME);
    opened.onMessage.addListener((reply) => waiting.shift()?.resolve(reply));
    opened.onDisconnect.addListener((closed) => {
        const reason = errorText(api.runtime.lastError ?? closed?.error ?? "Tarnwick's host ended");
        if (port === opened) port = null;
        for (const request of waiting.splice(0)) request.reject(new Error(reason));
    });
    return opened;
}

// Closes the port, which ends the host; the next message starts it anew.
export function closeHost() {
    const closing = port;
    port = null;
    closing?.disconnect();
    for (const request of waiting.splice(0)) request.reject(new Error("Tarnwick's host was closed"));
}

function ask(message) {
    return new Promise((resolve, reject) => {
        try {
            port ??= openPort();
            port.postMessage(message);
            waiting.push({ resolve, reject });
        } catch (error) {
            port = null;
            reject(error);
        }
    });
}

export async function pingHost() {
    try {
        const reply = await ask({ type: "ping" });
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
            reply = await ask(message);
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
