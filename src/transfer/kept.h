// What a download left on disk for a later try to go on with: one typed
// record per item, kept apart from what the list shows, and stored as one
// line of JSON. A file written from its start on (of a size that may be
// unknown), a file of a known size in parts, the pieces of a stream written
// in order, or a picture and its sound fetched apart, each one of those.
#pragma once

#include "transfer/part_layout.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace tarnwick::transfer {

// A file written from its first byte on: `bytes` of it are on disk, of a
// video of `total` bytes where that was told, whose version `validator`
// names (empty without one).
struct KeptWhole {
    std::string path;
    int64_t bytes = 0;
    std::optional<int64_t> total;
    std::string validator;
    bool operator==(const KeptWhole&) const = default;
};

// A file of a known size, fetched in parts (one or more), each as far as
// its layout says.
struct KeptParts {
    std::string path;
    std::string validator;
    PartLayout layout;
    bool operator==(const KeptParts&) const = default;
};

// The first `pieces` of a stream's `total` pieces, written in order into
// the first `bytes` of the file; `fingerprint` tells their list from another.
struct KeptStream {
    std::string path;
    int64_t bytes = 0;
    size_t pieces = 0;
    size_t total = 0;
    uint64_t fingerprint = 0;
    bool operator==(const KeptStream&) const = default;
};

using KeptOne = std::variant<KeptWhole, KeptParts, KeptStream>;

// A picture and its sound, fetched apart: what each kept, if anything.
struct KeptPair {
    std::optional<KeptOne> picture;
    std::optional<KeptOne> sound;
    bool operator==(const KeptPair&) const = default;
};

using Kept = std::variant<KeptWhole, KeptParts, KeptStream, KeptPair>;

// The files the record names, its own temporary files.
std::vector<std::string> PathsOf(const Kept& kept);
std::string PathOf(const KeptOne& kept);
// The bytes on disk it counts on, in all its files.
int64_t BytesOf(const Kept& kept);
int64_t BytesOf(const KeptOne& kept);
// `kept` as a Kept record, and back: none for a pair.
Kept AsKept(const KeptOne& kept);
std::optional<KeptOne> SingleOf(const Kept& kept);

// Whether the two records are of the same files, versions and layout, and
// differ in their counts of bytes and pieces only.
bool OnlyProgressDiffers(const Kept& one, const Kept& other);

// The record that earlier versions of the list kept in four fields: the
// temporary file, its bytes on disk, its validator (or the mark of a
// stream's pieces, "hls:WRITTEN/TOTAL/FINGERPRINT") and where its parts lay
// ("start-end=done ..."), with the video's size where the item knew it.
std::optional<Kept> KeptFromFields(const std::string& path, int64_t bytes,
                                   const std::string& validator, const std::string& parts,
                                   std::optional<int64_t> total);

// The record as one line of JSON, and back; none for a text that is not
// such a record.
std::string KeptText(const Kept& kept);
std::optional<Kept> ReadKept(std::string_view text);

} // namespace tarnwick::transfer
