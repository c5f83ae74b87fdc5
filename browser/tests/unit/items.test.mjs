import assert from "node:assert/strict";
import { test } from "node:test";
import {
    MAX_ADDRESS_BYTES, MAX_COOKIE_BYTES, MAX_COOKIES, MAX_ITEMS, MAX_MESSAGE_BYTES,
    fitCookies, isMediaMime, makeItem, mimeOf, sizeFromHeaders, splitIntoMessages, takeoverDecision, uniqueItems,
} from "../../src/lib/items.js";

const page = "https://site.example/watch?v=1";
const context = { page, referrer: "https://site.example/frame", userAgent: "UA/1.0", name: "clip.mp4" };

test("an item carries its page, referrer, user agent and name", () => {
    assert.deepEqual(makeItem("https://cdn.example/v.mp4", "link", context), {
        url: "https://cdn.example/v.mp4", origin: "link", name: "clip.mp4",
        page, referrer: "https://site.example/frame", userAgent: "UA/1.0",
    });
});

test("blob: and data: addresses are never sent: the page goes instead", () => {
    for (const url of ["blob:https://site.example/0f1e", "data:video/mp4;base64,AAAA", "BLOB:x"]) {
        const item = makeItem(url, "media", context);
        assert.equal(item.url, page);
        assert.equal(item.origin, "page");
        assert.equal(item.name, undefined);
    }
    assert.equal(makeItem("blob:https://a/b", "media", { ...context, page: "" }), null);
});

test("addresses the host would refuse are dropped, or left out of the context", () => {
    assert.equal(makeItem("ftp://x.example/a", "link", context), null);
    assert.equal(makeItem("javascript:void(0)", "link", context), null);
    assert.equal(makeItem(`https://x.example/${"a".repeat(MAX_ADDRESS_BYTES)}`, "link", context), null);
    const long = makeItem("https://x.example/a", "link", {
        page: `https://x.example/${"p".repeat(MAX_ADDRESS_BYTES)}`, referrer: "about:blank", userAgent: "bad\nagent",
    });
    assert.deepEqual(long, { url: "https://x.example/a", origin: "link" });
});

test("uniqueItems keeps the first of each address", () => {
    const items = [{ url: "https://a/1", origin: "link" }, { url: "https://a/1", origin: "page" }, { url: "https://a/2" }];
    assert.deepEqual(uniqueItems(items).map((i) => i.origin), ["link", undefined]);
});

test("cookies are stripped to the host's fields and cut to its caps, longest paths first", () => {
    const cookie = (name, path, value = "v") => ({
        name, value, domain: "a.example", path, hostOnly: true, secure: true, httpOnly: true, session: false,
        expirationDate: 1.5, storeId: "0", sameSite: "lax", partitionKey: {},
    });
    const [first, second] = fitCookies([cookie("root", "/"), cookie("deep", "/a/b")]);
    assert.equal(first.name, "deep");
    assert.deepEqual(Object.keys(second).sort(),
        ["domain", "expirationDate", "hostOnly", "httpOnly", "name", "path", "secure", "session", "value"]);

    const many = Array.from({ length: MAX_COOKIES + 5 }, (_, i) => cookie(`c${i}`, "/"));
    assert.equal(fitCookies(many).length, MAX_COOKIES);

    const big = "x".repeat(MAX_COOKIE_BYTES / 2);
    const kept = fitCookies([cookie("a", "/", big), cookie("b", "/", big), cookie("small", "/")]);
    assert.deepEqual(kept.map((c) => c.name), ["a", "small"]);
});

test("items are split into messages under the host's count and size", () => {
    const items = Array.from({ length: 2 * MAX_ITEMS + 1 }, (_, i) => ({ url: `https://a.example/${i}`, origin: "link" }));
    const messages = splitIntoMessages(items);
    assert.deepEqual(messages.map((m) => m.items.length), [MAX_ITEMS, MAX_ITEMS, 1]);
    assert.ok(messages.every((m) => m.type === "add"));
    assert.deepEqual(messages.flatMap((m) => m.items), items);

    const heavy = { url: "https://a.example/h", origin: "link", userAgent: "u".repeat(MAX_MESSAGE_BYTES / 3) };
    assert.deepEqual(splitIntoMessages([heavy, heavy, heavy, heavy]).map((m) => m.items.length), [2, 2]);
    assert.deepEqual(splitIntoMessages([]), []);
});

test("media types: video, audio and the playlists, with or without parameters", () => {
    for (const type of ["video/mp4", "audio/webm", "application/vnd.apple.mpegurl", "application/x-mpegURL",
        "audio/mpegurl", "application/dash+xml; charset=utf-8"]) {
        assert.ok(isMediaMime(mimeOf(type)), type);
    }
    for (const type of ["text/html", "application/json", "image/png", ""]) assert.ok(!isMediaMime(mimeOf(type)), type);
});

test("a response's size: Content-Range's total before Content-Length", () => {
    const h = (name, value) => ({ name, value });
    assert.equal(sizeFromHeaders([h("Content-Length", "100"), h("Content-Range", "bytes 0-99/5000")]), 5000);
    assert.equal(sizeFromHeaders([h("content-length", "42")]), 42);
    assert.equal(sizeFromHeaders([h("Content-Range", "bytes 0-99/*")]), null);
    assert.equal(sizeFromHeaders([]), null);
});

test("takeover: only when on, for in-progress videos above the threshold, undecided until known", () => {
    const on = { takeover: true, takeoverMegabytes: 10 };
    const video = { url: "https://a.example/v", state: "in_progress", mime: "video/mp4", totalBytes: 11 * 1024 * 1024,
        filename: "/d/v.mp4" };
    assert.equal(takeoverDecision(video, on), true);
    assert.equal(takeoverDecision(video, { ...on, takeover: false }), false);
    assert.equal(takeoverDecision({ ...video, totalBytes: 10 * 1024 * 1024 }, on), false);
    assert.equal(takeoverDecision({ ...video, mime: "application/zip" }, on), false);
    assert.equal(takeoverDecision({ ...video, mime: "application/octet-stream", filename: "/d/film.mkv" }, on), true);
    assert.equal(takeoverDecision({ ...video, totalBytes: -1 }, on), null);
    assert.equal(takeoverDecision({ ...video, mime: "" }, on), null);
    assert.equal(takeoverDecision({ ...video, filename: "" }, on), null);
    assert.equal(takeoverDecision({ ...video, state: "complete" }, on), false);
    assert.equal(takeoverDecision({ ...video, url: "blob:https://a.example/1" }, on), false);
});
