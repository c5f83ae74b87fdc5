// A file as a plain HTTP server serves it: whole to a GET, in part to a GET
// with "Range: bytes=N-" or "Range: bytes=N-M" (unless its If-Range names
// another version), and nothing but its head to a HEAD. Its bytes are
// generated, so that files of any size cost no memory and any part of them
// can be checked, unless the test gives the file's own.
#pragma once

#include "support/loopback_server.h"

#include <cstdint>
#include <optional>
#include <string>

namespace tarnwick::test_support {

struct ServedFile {
    uint64_t size = 0;
    // Byte i of the file is GeneratedByte(offset + i): another offset is
    // another version of the file.
    uint64_t offset = 0;
    // The file's own bytes, when given: they replace the generated ones, and
    // `size` must be theirs, as FileOf makes it.
    std::optional<std::string> contents;
    // Sent when not empty; an If-Range that names neither gets the whole file.
    std::string etag;
    std::string last_modified;
    // Whether a range is answered at all; without, every GET gets all of it.
    bool ranges = true;
    // The first whole answer breaks off, or waits for Release, after this
    // many bytes of the body.
    std::optional<uint64_t> break_first_after;
    std::optional<uint64_t> hold_first_after;
};

// A file of these bytes.
ServedFile FileOf(std::string bytes);

// The answer to `request`; `first_whole` tells whether no whole answer of the
// file was given before.
Answer AnswerForFile(const ServedFile& file, const Request& request, bool first_whole);

// The bytes of a served file's version.
std::string FileBytes(const ServedFile& file);

} // namespace tarnwick::test_support
