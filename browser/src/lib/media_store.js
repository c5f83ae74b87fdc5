// The media each tab has loaded, as seen in its responses. Kept in
// storage.session because a service worker (or event page) may be stopped
// between two responses; forgotten when the tab closes or its top frame
// goes to another document.
import { api } from "./api.js";
import { isMediaMime, isPlaylistMime, isStreamPiece, mimeOf, sizeFromHeaders, isWebAddress } from "./items.js";

// More than this in one tab is a stream's pieces or a page gone wild.
const MAX_PER_TAB = 200;

const keyOf = (tabId) => `media:${tabId}`;

// Changes run one after another: two responses arriving together must not
// both read the old list and one of them lose its entry.
let queue = Promise.resolve();
function change(tabId, edit) {
    const step = queue.then(async () => {
        const key = keyOf(tabId);
        const stored = (await api.storage.session.get(key))[key] ?? [];
        const next = edit(stored);
        if (next === stored) return;
        if (next.length) await api.storage.session.set({ [key]: next });
        else await api.storage.session.remove(key);
    });
    queue = step.catch((error) => console.warn("Tarnwick: media list not kept:", error));
    return step;
}

function header(details, name) {
    return details.responseHeaders?.find((h) => h.name.toLowerCase() === name)?.value ?? "";
}

function withoutFragment(url) {
    const hash = url.indexOf("#");
    return hash < 0 ? url : url.slice(0, hash);
}

// The entry a response adds to its tab's list, or null when it is no media.
export function entryOfResponse(details) {
    if (details.tabId < 0 || !isWebAddress(details.url)) return null;
    if (details.statusCode && (details.statusCode < 200 || details.statusCode >= 300)) return null;
    const mime = mimeOf(header(details, "content-type"));
    if (!isMediaMime(mime)) return null;
    return {
        url: withoutFragment(details.url),
        mime,
        size: sizeFromHeaders(details.responseHeaders ?? []),
        frameId: details.frameId ?? 0,
    };
}

// Adds the entry to the tab's list: once per address, a later answer filling
// in a size the first did not tell; a stream's pieces only while the tab has
// no playlist.
export function addEntry(list, entry) {
    const index = list.findIndex((e) => e.url === entry.url);
    if (index >= 0) {
        if (list[index].size !== null || entry.size === null) return list;
        const updated = [...list];
        updated[index] = { ...list[index], size: entry.size };
        return updated;
    }
    if (list.length >= MAX_PER_TAB) return list;
    if (isStreamPiece(entry.mime, entry.url) && list.some((e) => isPlaylistMime(e.mime))) return list;
    return [...list, entry];
}

function isTopLevelNavigation(details) {
    if (details.type !== "main_frame") return false;
    if (details.statusCode === 204 || details.statusCode === 205) return false;
    return !/^\s*attachment/i.test(header(details, "content-disposition"));
}

export function onResponseStarted(details) {
    if (details.tabId < 0) return;
    const forget = isTopLevelNavigation(details);
    const entry = entryOfResponse(details);
    if (!forget && !entry) return;
    change(details.tabId, (list) => {
        const start = forget ? [] : list;
        return entry ? addEntry(start, entry) : start;
    });
}

export function forgetTab(tabId) {
    return change(tabId, () => []);
}

export async function mediaOfTab(tabId) {
    await queue;
    const key = keyOf(tabId);
    return (await api.storage.session.get(key))[key] ?? [];
}
