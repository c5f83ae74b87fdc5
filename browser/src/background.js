// Tarnwick's background: a Chromium service worker or a Firefox event page.
// Every listener is added at the top level, at once, so that an event that
// wakes the stopped background finds its listener.
import { api, menus } from "./lib/api.js";
import { mediaOfPage } from "./lib/collect.js";
import { handOff } from "./lib/handoff.js";
import { closeHost, pingHost } from "./lib/host.js";
import { isWebAddress } from "./lib/items.js";
import { forgetTab, mediaOfTab, onResponseStarted } from "./lib/media_store.js";
import { createMenu, onMenuClick } from "./lib/menu.js";
import { onDownloadChanged, onDownloadCreated } from "./lib/takeover.js";

api.runtime.onInstalled.addListener(() => createMenu());
api.runtime.onStartup.addListener(() => createMenu());
menus.onClicked.addListener((info, tab) => {
    onMenuClick(info, tab).catch((error) => console.error("Tarnwick: menu hand-off failed:", error));
});

api.webRequest.onResponseStarted.addListener(onResponseStarted, { urls: ["<all_urls>"] }, ["responseHeaders"]);
api.tabs.onRemoved.addListener((tabId) => forgetTab(tabId));

api.downloads.onCreated.addListener(onDownloadCreated);
api.downloads.onChanged.addListener(onDownloadChanged);

// The <video>, <audio> and <source> addresses of every frame of the tab,
// with each frame's address by its id; none where the page cannot be read.
async function mediaOfFrames(tabId) {
    try {
        const results = await api.scripting.executeScript({ target: { tabId, allFrames: true }, func: mediaOfPage });
        return results.filter((r) => r.result).map((r) => ({ frameId: r.frameId, ...r.result }));
    } catch {
        return [];
    }
}

// The tab's media for the popup: what its responses brought, then what its
// elements point at that no response showed (yet).
async function listForPopup(tabId) {
    const tab = await api.tabs.get(tabId);
    const frames = await mediaOfFrames(tabId);
    const frameUrl = new Map(frames.map((f) => [f.frameId, f.frameUrl]));
    const rows = (await mediaOfTab(tabId)).map((e) => ({ ...e, referrer: frameUrl.get(e.frameId) || tab.url }));
    for (const frame of frames) {
        for (const media of frame.media) {
            if (!isWebAddress(media.url) || rows.some((r) => r.url === media.url)) continue;
            rows.push({ url: media.url, mime: media.type || "", element: media.kind, size: null, referrer: frame.frameUrl });
        }
    }
    return { tab: { id: tab.id, url: tab.url, title: tab.title }, rows };
}

const popupRequests = {
    list: (request) => listForPopup(request.tabId),
    send: async (request) => {
        const tab = await api.tabs.get(request.tabId);
        const candidates = request.rows.map((r) => ({ url: r.url, origin: "popup", referrer: r.referrer }));
        return handOff(candidates, tab);
    },
    sendPage: async (request) => {
        const tab = await api.tabs.get(request.tabId);
        return handOff([{ url: tab.url, origin: "page" }], tab);
    },
    ping: () => pingHost(),
};

api.runtime.onMessage.addListener((request, sender, sendResponse) => {
    const handler = popupRequests[request?.type];
    // Only the extension's own pages (the popup) ask; never a script in a web page.
    const ownPage = sender.id === api.runtime.id && sender.url?.startsWith(api.runtime.getURL(""));
    if (!handler || !ownPage) return false;
    handler(request).then(sendResponse, (error) => sendResponse({ error: String(error?.message ?? error) }));
    return true;
});

// For the end-to-end test, which drives the worker through the DevTools
// protocol: the menu's handler and the popup's requests, as the browser's
// own events call them. Nothing a page can reach.
globalThis.tarnwickTest = { onMenuClick, popupRequests, createMenu, closeHost };
