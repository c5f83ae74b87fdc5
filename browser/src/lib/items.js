// The items the extension hands to Tarnwick, and the rules they must meet
// before the native host sees them. Plain functions with no browser API, so
// that they run (and are tested) under node as well.

// The native host's caps (src/handoff/handoff_request.h): a request past any
// of them is refused whole, so items and cookies are trimmed here first.
export const MAX_ITEMS = 1000;
export const MAX_ADDRESS_BYTES = 8 * 1024;
export const MAX_COOKIES = 300;
export const MAX_COOKIE_BYTES = 64 * 1024;
// The host reads at most 8 MiB in one message; stay well under it.
export const MAX_MESSAGE_BYTES = 6 * 1024 * 1024;

export const ORIGINS = ["link", "media", "page", "selection", "popup", "takeover"];

const COOKIE_FIELDS = ["name", "value", "domain", "path", "hostOnly", "secure", "httpOnly", "session", "expirationDate"];

const encoder = new TextEncoder();
export function utf8Length(text) {
    return encoder.encode(text).length;
}

export function isWebAddress(url) {
    return typeof url === "string" && /^https?:\/\//i.test(url);
}

// blob: and data: addresses live only inside the page; the page itself is
// what Tarnwick can fetch for them.
export function isPageOnlyAddress(url) {
    return typeof url === "string" && /^(blob|data):/i.test(url);
}

// An address short and plain enough for the host, or "" for one it would refuse.
function fittingAddress(url) {
    return isWebAddress(url) && utf8Length(url) <= MAX_ADDRESS_BYTES ? url : "";
}

// A cookie with only the fields the host reads.
export function stripCookie(cookie) {
    const stripped = {};
    for (const field of COOKIE_FIELDS) {
        if (cookie[field] !== undefined) stripped[field] = cookie[field];
    }
    return stripped;
}

// The cookies that fit the host's caps: the most specific paths first (the
// order a browser sends them in), the rest dropped rather than have the
// whole request refused.
export function fitCookies(cookies) {
    const ordered = [...cookies].sort((a, b) => (b.path ?? "").length - (a.path ?? "").length);
    const kept = [];
    let bytes = 0;
    for (const cookie of ordered) {
        if (kept.length === MAX_COOKIES) break;
        const size = utf8Length(cookie.name ?? "") + utf8Length(cookie.value ?? "");
        if (bytes + size > MAX_COOKIE_BYTES) continue;
        bytes += size;
        kept.push(stripCookie(cookie));
    }
    return kept;
}

// One item from what the browser told about it. `context` holds page,
// referrer, userAgent and name. Returns null for an address the host would
// refuse (not http or https, or too long); blob: and data: become the page.
export function makeItem(url, origin, context = {}) {
    const page = fittingAddress(context.page);
    let itemUrl = url;
    let itemOrigin = origin;
    if (isPageOnlyAddress(url)) {
        itemUrl = page;
        itemOrigin = "page";
    }
    if (!fittingAddress(itemUrl)) return null;
    const item = { url: itemUrl, origin: itemOrigin };
    if (context.name && itemOrigin !== "page") item.name = context.name;
    if (page) item.page = page;
    const referrer = fittingAddress(context.referrer);
    if (referrer) item.referrer = referrer;
    if (context.userAgent && utf8Length(context.userAgent) <= MAX_ADDRESS_BYTES && !/[\x00-\x1f\x7f]/.test(context.userAgent)) {
        item.userAgent = context.userAgent;
    }
    return item;
}

// Items with the same address once, the first kept.
export function uniqueItems(items) {
    const seen = new Set();
    return items.filter((item) => !seen.has(item.url) && seen.add(item.url));
}

// "add" messages holding all the items, each under the host's item count and
// message size.
export function splitIntoMessages(items) {
    const messages = [];
    let current = [];
    let bytes = 0;
    for (const item of items) {
        const size = utf8Length(JSON.stringify(item)) + 1;
        if (current.length && (current.length === MAX_ITEMS || bytes + size > MAX_MESSAGE_BYTES)) {
            messages.push({ type: "add", items: current });
            current = [];
            bytes = 0;
        }
        current.push(item);
        bytes += size;
    }
    if (current.length) messages.push({ type: "add", items: current });
    return messages;
}

// The plain media type of a Content-Type value.
export function mimeOf(contentType) {
    return (contentType ?? "").split(";")[0].trim().toLowerCase();
}

const PLAYLIST_TYPES = ["application/vnd.apple.mpegurl", "application/x-mpegurl", "audio/mpegurl", "audio/x-mpegurl", "application/dash+xml"];

export function isPlaylistMime(mime) {
    return PLAYLIST_TYPES.includes(mime);
}

// Whether a response of this type is media the popup lists.
export function isMediaMime(mime) {
    return mime.startsWith("video/") || mime.startsWith("audio/") || isPlaylistMime(mime);
}

// A piece of a stream rather than a whole file: listed only while the tab has
// no playlist, which is what the user wants instead of its hundreds of pieces.
export function isStreamPiece(mime, url) {
    if (mime === "video/mp2t" || mime === "video/iso.segment") return true;
    try {
        return /\.(ts|m4s|m4f|aac)$/i.test(new URL(url).pathname);
    } catch {
        return false;
    }
}

// A response's total size in bytes from its headers, or null: a ranged answer
// tells the whole in Content-Range ("bytes 0-99/1234").
export function sizeFromHeaders(headers) {
    const get = (name) => headers.find((h) => h.name.toLowerCase() === name)?.value;
    const range = /\/(\d+)\s*$/.exec(get("content-range") ?? "");
    if (range) return Number(range[1]);
    const length = get("content-length");
    return length !== undefined && /^\d+$/.test(length.trim()) ? Number(length) : null;
}

export function formatSize(bytes) {
    if (bytes === null || bytes === undefined || bytes < 0) return "";
    const units = ["B", "KB", "MB", "GB", "TB"];
    let value = bytes;
    let unit = 0;
    while (value >= 1024 && unit < units.length - 1) {
        value /= 1024;
        unit++;
    }
    return unit === 0 ? `${value} B` : `${value.toFixed(value < 10 ? 1 : 0)} ${units[unit]}`;
}

const VIDEO_NAME = /\.(mp4|m4v|mkv|webm|mov|avi|wmv|flv|mpg|mpeg|ts|3gp|ogv)$/i;

// Whether a browser download is taken over: the option is on, it is a video
// (by its type, or by its name when the server said only octet-stream) and
// larger than the threshold. Undecided (null) while the type, the size or the
// file name the browser chose is unknown.
export function takeoverDecision(download, settings) {
    if (!settings.takeover) return false;
    if (!isWebAddress(download.finalUrl || download.url)) return false;
    if (download.state && download.state !== "in_progress") return false;
    const mime = mimeOf(download.mime);
    const total = download.totalBytes;
    if (!mime || !(total > 0) || !download.filename) return null;
    const generic = mime === "application/octet-stream" || mime === "binary/octet-stream";
    const isVideo = mime.startsWith("video/") || (generic && VIDEO_NAME.test(download.filename ?? ""));
    return isVideo && total > settings.takeoverMegabytes * 1024 * 1024;
}

// The last component of a path as the browser wrote it (either separator).
export function baseName(path) {
    return (path ?? "").split(/[\\/]/).pop();
}
