// The user's options, kept in storage.local.
import { api } from "./api.js";

export const DEFAULT_SETTINGS = {
    // Hand the browser's own downloads of large videos to Tarnwick.
    takeover: false,
    takeoverMegabytes: 50,
};

export async function loadSettings() {
    const stored = await api.storage.local.get(DEFAULT_SETTINGS);
    return { ...DEFAULT_SETTINGS, ...stored };
}

export async function saveSettings(settings) {
    const megabytes = Math.max(1, Math.round(Number(settings.takeoverMegabytes) || DEFAULT_SETTINGS.takeoverMegabytes));
    await api.storage.local.set({ takeover: Boolean(settings.takeover), takeoverMegabytes: megabytes });
}
