#!/usr/bin/env bash
# Builds the extension and lints the Firefox package with web-ext (from this
# folder's dev tools: run `npm ci` in browser/ first). Fails on any error.
set -euo pipefail
browser="$(cd "$(dirname "$0")/.." && pwd)"
root="$(dirname "$browser")"
"$root/scripts/build-browser-extension" "$root/build/browser" >/dev/null
exec "$browser/node_modules/.bin/web-ext" lint --source-dir "$root/build/browser/firefox" --no-input "$@"
