// Every text the extension shows the user, and how a hand-off's outcome is
// put into words and a badge.

export const TEXTS = {
    menuTitle: "Download with Tarnwick",
    notificationTitle: "Tarnwick",
    added: "Added to Tarnwick",
    addedCount: (n) => `${n} added to Tarnwick`,
    listed: "Already in Tarnwick's list",
    listedCount: (n) => `${n} already in Tarnwick's list`,
    refused: (reason) => `Tarnwick refused it: ${reason}`,
    refusedCount: (n, reason) => `Tarnwick refused ${n}: ${reason}`,
    missing: "Tarnwick is not installed, or its browser set-up is missing: run \u201ctarnwick --setup-browsers\u201d",
    failed: (error) => `Tarnwick could not be reached: ${error}`,
    nothing: "Nothing here that Tarnwick can download",
    popupEmpty: "No video or sound seen in this tab yet. Play it, then open this again.",
    popupNoTab: "This tab cannot be read.",
    sendPage: "Send this page",
    download: "Download",
    pageMedia: "on the page",
};

// Badge texts and colours by outcome.
const BADGES = {
    added: { text: "+", color: "#2e7d32" },
    listed: { text: "=", color: "#546e7a" },
    refused: { text: "!", color: "#c62828" },
    failed: { text: "!", color: "#c62828" },
};

// The reason a port to the host closed, by browser: the host is not set
// up (no manifest, or one that does not name us) or something else went wrong.
export function isMissingHost(errorMessage) {
    return /not found|forbidden|No such native application|manifest/i.test(errorMessage ?? "");
}

// What to tell about one hand-off: {kind, text, badge}. `replies` are the
// host's item replies, `refusal` a reason the host refused a whole request
// for, `error` a failure to reach the host at all.
export function describeOutcome({ replies = [], refusal = null, error = null, dropped = 0 }) {
    if (error) {
        const kind = "failed";
        return { kind, text: isMissingHost(error) ? TEXTS.missing : TEXTS.failed(error), badge: BADGES[kind] };
    }
    const refusedReplies = replies.filter((r) => r.result === "refused");
    const reason = refusal ?? refusedReplies[0]?.reason ?? "the address is not http or https";
    const refusedCount = refusedReplies.length + dropped;
    const added = replies.filter((r) => r.result === "added").length;
    const listed = replies.filter((r) => r.result === "listed").length;
    const total = added + listed + refusedCount;
    if (refusal !== null) return { kind: "refused", text: TEXTS.refused(refusal), badge: BADGES.refused };
    if (total === 0) return { kind: "refused", text: TEXTS.nothing, badge: BADGES.refused };
    if (added === total) return { kind: "added", text: total === 1 ? TEXTS.added : TEXTS.addedCount(total), badge: BADGES.added };
    if (listed === total) return { kind: "listed", text: total === 1 ? TEXTS.listed : TEXTS.listedCount(total), badge: BADGES.listed };
    if (refusedCount === total) {
        return { kind: "refused", text: total === 1 ? TEXTS.refused(reason) : TEXTS.refusedCount(total, reason), badge: BADGES.refused };
    }
    const parts = [];
    if (added) parts.push(TEXTS.addedCount(added));
    if (listed) parts.push(TEXTS.listedCount(listed));
    if (refusedCount) parts.push(TEXTS.refusedCount(refusedCount, reason));
    const kind = added ? "added" : listed ? "listed" : "refused";
    return { kind, text: parts.join("; "), badge: BADGES[kind] };
}
