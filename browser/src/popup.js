// The toolbar popup: the media this tab loaded, each with a Download button,
// and "Send this page". The list and the hand-off are the background's; the
// popup only shows them. ?tab=ID picks the tab (the tests open the popup as
// a page of its own).
import { api } from "./lib/api.js";
import { formatSize } from "./lib/items.js";
import { TEXTS } from "./lib/texts.js";

const $ = (selector) => document.querySelector(selector);

async function currentTabId() {
    const asked = new URLSearchParams(location.search).get("tab");
    if (asked) return Number(asked);
    const [tab] = await api.tabs.query({ active: true, currentWindow: true });
    return tab?.id;
}

function ask(request) {
    return api.runtime.sendMessage(request);
}

function showOutcome(outcome) {
    $("#outcome").textContent = outcome?.text ?? outcome?.error ?? "";
}

// The last part of an address's path, which names the file best.
function shortName(url) {
    try {
        const { pathname, hostname } = new URL(url);
        return decodeURIComponent(pathname.split("/").filter(Boolean).pop() ?? "") || hostname;
    } catch {
        return url;
    }
}

function row(tabId, media) {
    const tr = document.createElement("tr");
    const cell = (className, text) => {
        const td = document.createElement("td");
        td.className = className;
        td.textContent = text;
        tr.append(td);
        return td;
    };
    cell("name", shortName(media.url)).title = media.url;
    cell("type", media.mime || `${media.element} ${TEXTS.pageMedia}`);
    cell("size", formatSize(media.size));
    const button = document.createElement("button");
    button.type = "button";
    button.textContent = TEXTS.download;
    button.addEventListener("click", async () => {
        button.disabled = true;
        showOutcome(await ask({ type: "send", tabId, rows: [{ url: media.url, referrer: media.referrer }] }));
        button.disabled = false;
    });
    cell("action", "").append(button);
    return tr;
}

async function show() {
    const tabId = await currentTabId();
    const sendPage = $("#send-page");
    sendPage.textContent = TEXTS.sendPage;
    if (tabId === undefined) {
        sendPage.disabled = true;
        $("#empty").textContent = TEXTS.popupNoTab;
        $("#empty").hidden = false;
        return;
    }
    sendPage.addEventListener("click", async () => {
        sendPage.disabled = true;
        showOutcome(await ask({ type: "sendPage", tabId }));
        sendPage.disabled = false;
    });
    const listed = await ask({ type: "list", tabId });
    const rows = listed?.rows ?? [];
    $("#media tbody").replaceChildren(...rows.map((media) => row(tabId, media)));
    $("#media").hidden = rows.length === 0;
    $("#empty").textContent = listed?.error ?? TEXTS.popupEmpty;
    $("#empty").hidden = rows.length > 0;
    document.body.dataset.ready = "true";
}

show();
