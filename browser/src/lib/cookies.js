// The browser's cookies for an item's address, from the cookie store of the
// tab it came from (a container or private window has its own).
import { api, isFirefox } from "./api.js";
import { fitCookies } from "./items.js";

async function storeOfTab(tab) {
    if (!tab || tab.id === undefined || tab.id < 0) return undefined;
    if (tab.cookieStoreId) return tab.cookieStoreId;
    const stores = await api.cookies.getAllCookieStores();
    return stores.find((store) => store.tabIds.includes(tab.id))?.id;
}

function hostOf(url) {
    try {
        return new URL(url).hostname;
    } catch {
        return "";
    }
}

// Firefox with first-party isolation on throws unless firstPartyDomain is
// given. Asked with null it returns every first party's cookies: only those
// whose first party is the page's own site are kept.
async function firefoxCookies(query, pageUrl) {
    try {
        return await api.cookies.getAll(query);
    } catch (error) {
        if (!/firstPartyDomain/.test(String(error?.message ?? error))) throw error;
        const all = await api.cookies.getAll({ ...query, firstPartyDomain: null });
        const pageHost = hostOf(pageUrl);
        return all.filter(
            (c) => !c.firstPartyDomain || pageHost === c.firstPartyDomain || pageHost.endsWith(`.${c.firstPartyDomain}`),
        );
    }
}

// The cookies the browser would send with a request for `url`, stripped to
// the fields the host reads and cut to its caps.
export async function cookiesFor(url, tab) {
    const query = { url };
    const storeId = await storeOfTab(tab).catch(() => undefined);
    if (storeId !== undefined) query.storeId = storeId;
    try {
        const cookies = isFirefox ? await firefoxCookies(query, tab?.url) : await api.cookies.getAll(query);
        return fitCookies(cookies);
    } catch (error) {
        console.warn("Tarnwick: cookies for", url, "could not be read:", error);
        return [];
    }
}
