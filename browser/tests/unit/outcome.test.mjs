import assert from "node:assert/strict";
import { test } from "node:test";
import { addEntry, entryOfResponse } from "../../src/lib/media_store.js";
import { describeOutcome, TEXTS } from "../../src/lib/texts.js";

test("the outcome of a hand-off in words", () => {
    const r = (result, reason = "") => ({ url: "https://a/", result, reason });
    assert.equal(describeOutcome({ replies: [r("added")] }).text, "Added to Tarnwick");
    assert.equal(describeOutcome({ replies: [r("listed")] }).text, "Already in Tarnwick's list");
    assert.equal(describeOutcome({ replies: [r("refused", "too long")] }).text, "Tarnwick refused it: too long");
    assert.equal(describeOutcome({ refusal: "bad request" }).text, "Tarnwick refused it: bad request");
    assert.equal(describeOutcome({ replies: [r("added"), r("added")] }).text, "2 added to Tarnwick");
    assert.equal(describeOutcome({ replies: [r("added"), r("listed")], dropped: 1 }).text,
        "1 added to Tarnwick; 1 already in Tarnwick's list; Tarnwick refused 1: the address is not http or https");
    assert.equal(describeOutcome({}).text, TEXTS.nothing);
});

test("a missing host is told apart from other failures", () => {
    for (const error of ["Specified native messaging host not found.", "No such native application org.tarnwick.browser_host",
        "Access to the specified native messaging host is forbidden."]) {
        const outcome = describeOutcome({ error });
        assert.equal(outcome.text, TEXTS.missing, error);
        assert.equal(outcome.badge.text, "!");
    }
    assert.equal(describeOutcome({ error: "Native host has exited." }).text, "Tarnwick could not be reached: Native host has exited.");
});

const response = (url, type, extra = {}) => ({
    tabId: 3, frameId: 0, statusCode: 200, url, responseHeaders: [{ name: "Content-Type", value: type }], ...extra,
});

test("a tab's media list: media responses once each, sizes filled in, no stream pieces under a playlist", () => {
    assert.equal(entryOfResponse(response("https://a/x.html", "text/html")), null);
    assert.equal(entryOfResponse(response("https://a/v.mp4", "video/mp4", { statusCode: 403 })), null);
    assert.equal(entryOfResponse(response("https://a/v.mp4", "video/mp4", { tabId: -1 })), null);

    let list = addEntry([], entryOfResponse(response("https://a/v.mp4#t=3", "video/mp4")));
    assert.deepEqual(list, [{ url: "https://a/v.mp4", mime: "video/mp4", size: null, frameId: 0 }]);
    const ranged = response("https://a/v.mp4", "video/mp4", {
        statusCode: 206,
        responseHeaders: [{ name: "content-type", value: "video/mp4" }, { name: "Content-Range", value: "bytes 0-1/900" }],
    });
    list = addEntry(list, entryOfResponse(ranged));
    assert.deepEqual(list.map((e) => e.size), [900]);

    const piece = entryOfResponse(response("https://a/s0.ts", "video/mp2t"));
    assert.equal(addEntry(list, piece).length, 2, "a lone .ts is listed");
    list = addEntry(list, entryOfResponse(response("https://a/s.m3u8", "application/vnd.apple.mpegurl")));
    assert.equal(addEntry(list, piece), list);
});
