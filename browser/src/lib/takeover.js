// Taking over the browser's own downloads of large videos, when the user
// turned it on: the download is handed to Tarnwick, and only once the host
// answered "added" for it is the browser's copy cancelled and erased. Any
// other answer leaves the browser's download alone.
import { api } from "./api.js";
import { handOff } from "./handoff.js";
import { baseName, takeoverDecision } from "./items.js";
import { loadSettings } from "./settings.js";

// Downloads already decided on, kept where a restarted worker finds them.
const DECIDED_KEY = "takeover:decided";

async function claim(id) {
    const decided = (await api.storage.session.get(DECIDED_KEY))[DECIDED_KEY] ?? [];
    if (decided.includes(id)) return false;
    await api.storage.session.set({ [DECIDED_KEY]: [...decided.slice(-499), id] });
    return true;
}

// Claims run one at a time so that onCreated and a quick onChanged for the
// same download cannot both hand it over.
let queue = Promise.resolve();

async function consider(id) {
    const [download] = await api.downloads.search({ id });
    if (!download) return;
    const decision = takeoverDecision(download, await loadSettings());
    if (decision === null) return; // type or size not known yet
    if (!(await claim(id)) || !decision) return;
    const url = download.finalUrl || download.url;
    const candidate = { url, origin: "takeover", name: baseName(download.filename), referrer: download.referrer };
    const page = { id: -1, url: download.referrer || "" };
    const { replies } = await handOff([candidate], page, download.referrer);
    if (replies[0]?.result !== "added") return;
    await api.downloads.cancel(id).catch(() => {});
    await api.downloads.erase({ id }).catch(() => {});
}

function enqueue(id) {
    queue = queue.then(() => consider(id)).catch((error) => console.warn("Tarnwick: takeover failed:", error));
    return queue;
}

export function onDownloadCreated(download) {
    return enqueue(download.id);
}

export function onDownloadChanged(delta) {
    if (delta.mime || delta.totalBytes || delta.filename || delta.finalUrl) return enqueue(delta.id);
    return undefined;
}
