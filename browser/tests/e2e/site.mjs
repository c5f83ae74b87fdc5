// The loopback web site the end-to-end test browses: two hosts on port 0,
// each setting a session cookie of its own, and media that a browser loads
// the way real pages do. Every request's Cookie header is logged by host and
// path, so that the test can tell which cookies reached which host.
import { once } from "node:events";
import { readFileSync } from "node:fs";
import http from "node:http";

// The first host's page: a link to a video that needs its cookie, a <video>
// playing another, an HLS stream fetched by script as players do, a
// paragraph of links to select, and a large download.
function mainPage(other) {
    return `<!doctype html>
<html><head><meta charset="utf-8"><title>Holiday films</title></head>
<body style="font: 16px sans-serif; margin: 24px">
<h1>Holiday films</h1>
<p><a id="link" href="/video.mp4">The whole film (video.mp4)</a></p>
<video id="player" src="/clip.mp4" preload="auto" muted width="320" height="180"></video>
<p id="selection">Also: <a href="/a.mp4">first part</a> and <a href="${other}/b.mp4">second part</a>.</p>
<p><a id="big" href="/big.mp4">Big download</a></p>
<script>
  // Fetch the playlist and its pieces as a script player would.
  window.streamLoaded = (async () => {
    const playlist = await (await fetch("/stream.m3u8")).text();
    for (const line of playlist.split("\\n")) {
      if (line && !line.startsWith("#")) await (await fetch(line)).arrayBuffer();
    }
    return true;
  })();
</script>
</body></html>`;
}

function otherPage() {
    return `<!doctype html><html><head><meta charset="utf-8"><title>Other host</title></head>
<body><p>Another host, with a cookie of its own.</p></body></html>`;
}

// Answers `body` whole, or the range asked for.
function sendBytes(request, response, body, type, extraHeaders = {}) {
    const range = /^bytes=(\d+)-(\d*)$/.exec(request.headers.range ?? "");
    const headers = { "Content-Type": type, "Accept-Ranges": "bytes", ...extraHeaders };
    if (!range) {
        response.writeHead(200, { ...headers, "Content-Length": body.length });
        response.end(body);
        return;
    }
    const start = Number(range[1]);
    const end = range[2] ? Math.min(Number(range[2]), body.length - 1) : body.length - 1;
    response.writeHead(206, {
        ...headers, "Content-Length": end - start + 1, "Content-Range": `bytes ${start}-${end}/${body.length}`,
    });
    response.end(body.subarray(start, end + 1));
}

function cookieOf(request, name) {
    const match = new RegExp(`(?:^|;\\s*)${name}=([^;]*)`).exec(request.headers.cookie ?? "");
    return match ? match[1] : null;
}

// Starts both hosts. `media` holds the files by name (video.mp4, clip.mp4,
// a.mp4, b.mp4, big.mp4, stream.m3u8 and its pieces). Returns the hosts'
// addresses, the cookie values, the request log and a stop function.
export async function startSite(media) {
    const log = [];
    const sid = `s${Math.random().toString(36).slice(2)}`;
    const otherCookie = `o${Math.random().toString(36).slice(2)}`;
    const held = new Set();
    // The first request for big.mp4 is held open after its first bytes, so
    // that the browser's download is still under way when it is taken over.
    let bigRequests = 0;
    const bigCut = { closed: null };

    const first = http.createServer((request, response) => {
        const path = new URL(request.url, "http://x").pathname;
        log.push({ host: "first", path, cookie: request.headers.cookie ?? "", userAgent: request.headers["user-agent"] ?? "" });
        if (path === "/") {
            response.writeHead(200, { "Content-Type": "text/html", "Set-Cookie": `sid=${sid}; HttpOnly; Path=/` });
            response.end(mainPage(urls.other));
        } else if (path === "/video.mp4") {
            if (cookieOf(request, "sid") !== sid) {
                response.writeHead(403, { "Content-Type": "text/plain" });
                response.end("No session");
            } else {
                sendBytes(request, response, media["video.mp4"], "video/mp4");
            }
        } else if (path === "/big.mp4" && bigRequests++ === 0) {
            const body = media["big.mp4"];
            response.writeHead(200, {
                "Content-Type": "video/mp4", "Content-Length": body.length, "Content-Disposition": "attachment; filename=big.mp4",
            });
            response.write(body.subarray(0, 64 * 1024));
            held.add(response);
            bigCut.closed = once(response, "close");
        } else if (/^\/(clip|a|big)\.mp4$/.test(path)) {
            sendBytes(request, response, media[path.slice(1)], "video/mp4");
        } else if (path === "/stream.m3u8") {
            sendBytes(request, response, media["stream.m3u8"], "application/vnd.apple.mpegurl");
        } else if (/^\/[\w-]+\.ts$/.test(path) && media[path.slice(1)]) {
            sendBytes(request, response, media[path.slice(1)], "video/mp2t");
        } else {
            response.writeHead(404);
            response.end();
        }
    });
    const other = http.createServer((request, response) => {
        const path = new URL(request.url, "http://x").pathname;
        log.push({ host: "other", path, cookie: request.headers.cookie ?? "", userAgent: request.headers["user-agent"] ?? "" });
        if (path === "/") {
            response.writeHead(200, { "Content-Type": "text/html", "Set-Cookie": `other=${otherCookie}; Path=/` });
            response.end(otherPage());
        } else if (path === "/b.mp4") {
            sendBytes(request, response, media["b.mp4"], "video/mp4");
        } else {
            response.writeHead(404);
            response.end();
        }
    });
    first.listen(0, "127.0.0.1");
    other.listen(0, "127.0.0.2");
    await Promise.all([once(first, "listening"), once(other, "listening")]);
    const urls = {
        first: `http://127.0.0.1:${first.address().port}`,
        other: `http://127.0.0.2:${other.address().port}`,
    };
    const stop = async () => {
        for (const response of held) response.destroy();
        first.closeAllConnections();
        other.closeAllConnections();
        await Promise.all([new Promise((r) => first.close(r)), new Promise((r) => other.close(r))]);
    };
    return { urls, sid, otherCookie, log, bigCut, stop };
}

export function readMedia(folder, names) {
    return Object.fromEntries(names.map((name) => [name, readFileSync(`${folder}/${name}`)]));
}
