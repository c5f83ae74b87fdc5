// Functions run inside a page's frames by scripting.executeScript. Each is
// sent on its own, so each must stand alone: no imports, no outer names.

// The addresses of the links inside the frame's selection, in document order;
// with none, the http(s) addresses written in the selected text.
export function linksInSelection() {
    const selection = window.getSelection();
    const found = [];
    for (let i = 0; selection && i < selection.rangeCount; i++) {
        const range = selection.getRangeAt(i);
        const root = range.commonAncestorContainer;
        const start = root.nodeType === Node.ELEMENT_NODE ? root : root.parentElement;
        const enclosing = start?.closest("a[href]");
        if (enclosing) found.push(enclosing.href);
        for (const link of start ? start.querySelectorAll("a[href], area[href]") : []) {
            if (range.intersectsNode(link)) found.push(link.href);
        }
    }
    if (found.length === 0 && selection) {
        found.push(...(selection.toString().match(/https?:\/\/[^\s<>"']+/g) ?? []));
    }
    return found;
}

// The <video>/<audio> and <source> addresses of the frame, each with the kind
// of element it came from.
export function mediaOfPage() {
    const found = [];
    for (const element of document.querySelectorAll("video, audio")) {
        const kind = element.localName;
        if (element.currentSrc) found.push({ url: element.currentSrc, kind });
        if (element.src) found.push({ url: element.src, kind });
        for (const source of element.querySelectorAll("source[src]")) {
            found.push({ url: source.src, kind, type: source.type || "" });
        }
    }
    return { frameUrl: location.href, media: found };
}
