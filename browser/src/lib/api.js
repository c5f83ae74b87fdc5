// The WebExtension API of whichever browser runs us: Firefox's promise-based
// `browser`, or Chromium's `chrome`, whose MV3 calls return promises too.
export const api = globalThis.browser ?? globalThis.chrome;

// Firefox alone has runtime.getBrowserInfo; its cookie calls take options
// that Chromium refuses.
export const isFirefox = typeof api?.runtime?.getBrowserInfo === "function";

// Firefox names the context menu API `menus`; `contextMenus` is its alias.
export const menus = api?.contextMenus ?? api?.menus;
