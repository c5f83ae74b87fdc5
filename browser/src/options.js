// The options: taking over large video downloads, and whether Tarnwick's
// browser host answers.
import { api } from "./lib/api.js";
import { loadSettings, saveSettings } from "./lib/settings.js";
import { isMissingHost, TEXTS } from "./lib/texts.js";

const takeover = document.getElementById("takeover");
const megabytes = document.getElementById("megabytes");

async function show() {
    const settings = await loadSettings();
    takeover.checked = settings.takeover;
    megabytes.value = settings.takeoverMegabytes;
    const save = () => saveSettings({ takeover: takeover.checked, takeoverMegabytes: megabytes.value });
    takeover.addEventListener("change", save);
    megabytes.addEventListener("change", save);

    const ping = await api.runtime.sendMessage({ type: "ping" });
    const host = document.getElementById("host");
    if (ping?.version !== undefined) host.textContent = `Tarnwick ${ping.version} is set up for this browser.`;
    else host.textContent = isMissingHost(ping?.error) ? TEXTS.missing : TEXTS.failed(ping?.error);
}

show();
