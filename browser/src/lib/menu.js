// The context menu item "Download with Tarnwick", on links, media, frames,
// pages and selections.
import { api, menus } from "./api.js";
import { linksInSelection } from "./collect.js";
import { handOff } from "./handoff.js";
import { TEXTS } from "./texts.js";

export const MENU_ID = "tarnwick-download";

export async function createMenu() {
    await menus.removeAll();
    menus.create({
        id: MENU_ID,
        title: TEXTS.menuTitle,
        contexts: ["link", "video", "audio", "page", "frame", "selection"],
    });
}

async function selectedLinks(info, tab) {
    try {
        const [result] = await api.scripting.executeScript({
            target: { tabId: tab.id, frameIds: [info.frameId ?? 0] },
            func: linksInSelection,
        });
        return result?.result ?? [];
    } catch (error) {
        console.warn("Tarnwick: the selection could not be read:", error);
        return [];
    }
}

// What the click was on, as items to hand over: a selection's links, a
// link, a video or sound, else the frame or page itself.
export async function candidatesOfClick(info, tab) {
    if (info.selectionText && tab?.id >= 0) {
        const links = await selectedLinks(info, tab);
        if (links.length) return links.map((url) => ({ url, origin: "selection" }));
    }
    if (info.linkUrl) return [{ url: info.linkUrl, origin: "link" }];
    if ((info.mediaType === "video" || info.mediaType === "audio") && info.srcUrl) {
        return [{ url: info.srcUrl, origin: "media" }];
    }
    return [{ url: info.frameUrl || info.pageUrl || tab?.url, origin: "page" }];
}

export async function onMenuClick(info, tab) {
    if (info.menuItemId !== MENU_ID) return null;
    const candidates = await candidatesOfClick(info, tab);
    // A menu on a page the browser gives no tab for still knows the page.
    const page = { ...tab, url: tab?.url || info.pageUrl };
    return handOff(candidates, page, info.frameUrl);
}
