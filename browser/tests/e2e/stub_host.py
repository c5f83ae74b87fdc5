#!/usr/bin/env python3
"""A stand-in for tarnwick-browser-host in the end-to-end test.

Speaks the browsers' native messaging framing on stdin/stdout (a 32-bit
length in the machine's byte order, then UTF-8 JSON): answers a ping with a
version and every item of an "add" with "added". Each request, with the
arguments the browser started it with, is appended as one JSON line to the
file named by TARNWICK_STUB_LOG.
"""
import json
import os
import struct
import sys


def read_message(stream):
    header = stream.read(4)
    if len(header) < 4:
        return None
    (length,) = struct.unpack("=I", header)
    return json.loads(stream.read(length).decode("utf-8"))


def write_message(stream, message):
    data = json.dumps(message).encode("utf-8")
    stream.write(struct.pack("=I", len(data)) + data)
    stream.flush()


def reply_to(request):
    if request.get("type") == "ping":
        return {"ok": True, "version": "0.0.0-stub"}
    if request.get("type") == "add" and isinstance(request.get("items"), list):
        return {"ok": True, "items": [{"url": item.get("url", ""), "result": "added", "reason": ""}
                                      for item in request["items"]]}
    return {"ok": False, "reason": "Not a request: " + str(request.get("type"))}


def main():
    log_path = os.environ.get("TARNWICK_STUB_LOG")
    while True:
        request = read_message(sys.stdin.buffer)
        if request is None:
            return
        if log_path:
            with open(log_path, "a", encoding="utf-8") as log:
                log.write(json.dumps({"arguments": sys.argv[1:], "request": request}) + "\n")
        write_message(sys.stdout.buffer, reply_to(request))


if __name__ == "__main__":
    main()
