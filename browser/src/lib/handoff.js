// A hand-off: the items made from what the user chose, their cookies added,
// sent to the host, and the outcome told on the toolbar button and in a
// notification.
import { api } from "./api.js";
import { cookiesFor } from "./cookies.js";
import { sendItems } from "./host.js";
import { makeItem, uniqueItems } from "./items.js";
import { describeOutcome, TEXTS } from "./texts.js";

const BADGE_MILLISECONDS = 4000;
// The timer that clears each button's badge (by tab, "all" for the global
// one): a newer outcome's badge must not be cleared by an older timer.
const badgeTimers = new Map();

// What the browser knows of the page an item was found on.
export function contextOf(tab, frameUrl) {
    const page = tab?.url ?? "";
    return { page, referrer: frameUrl || page, userAgent: globalThis.navigator?.userAgent ?? "" };
}

async function showBadge(badge, tabId) {
    const target = tabId !== undefined && tabId >= 0 ? { tabId } : {};
    try {
        await api.action.setBadgeBackgroundColor({ color: badge.color, ...target });
        await api.action.setBadgeText({ text: badge.text, ...target });
        const key = target.tabId ?? "all";
        clearTimeout(badgeTimers.get(key));
        const clear = () => {
            badgeTimers.delete(key);
            api.action.setBadgeText({ text: "", ...target }).catch(() => {});
        };
        badgeTimers.set(key, setTimeout(clear, BADGE_MILLISECONDS));
    } catch (error) {
        console.warn("Tarnwick: badge not shown:", error);
    }
}

async function notify(text) {
    try {
        await api.notifications.create({
            type: "basic",
            iconUrl: api.runtime.getURL("icons/icon-128.png"),
            title: TEXTS.notificationTitle,
            message: text,
        });
    } catch (error) {
        console.warn("Tarnwick: notification not shown:", error);
    }
}

// Hands over `candidates` ({url, origin, name?, referrer?}) found in `tab`.
// Returns the outcome as told to the user and the host's item replies.
export async function handOff(candidates, tab, frameUrl) {
    const context = contextOf(tab, frameUrl);
    const made = candidates.map((c) =>
        makeItem(c.url, c.origin, { ...context, name: c.name, referrer: c.referrer || context.referrer }),
    );
    const items = uniqueItems(made.filter(Boolean));
    const dropped = made.length - made.filter(Boolean).length;
    await Promise.all(items.map(async (item) => (item.cookies = await cookiesFor(item.url, tab))));
    const sent = items.length ? await sendItems(items) : { replies: [], refusal: null, error: null };
    const outcome = describeOutcome({ ...sent, dropped });
    await Promise.all([showBadge(outcome.badge, tab?.id), notify(outcome.text)]);
    return { ...outcome, items, replies: sent.replies };
}
