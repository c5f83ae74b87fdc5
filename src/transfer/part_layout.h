// How a file fetched over several connections is cut into parts, and how far
// each part has come. The parts lie in order, one after another, and cover
// the whole file: part i holds the bytes [start, end), of which the first
// `done` are on disk. The layout is a value: the transfer changes it as parts
// finish, are split for an idle connection or are taken over by the
// connection before them, and the item keeps it as text to go on with after
// a restart.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick::transfer {

struct FilePart {
    int64_t start = 0;
    int64_t end = 0;
    int64_t done = 0;

    // The next byte the part wants.
    int64_t Next() const { return start + done; }
    int64_t Left() const { return end - Next(); }
    bool IsDone() const { return Next() == end; }
    bool operator==(const FilePart&) const = default;
};

class PartLayout {
public:
    // No part of each file is smaller, but the last of an uneven split may
    // be up to twice as large.
    static constexpr int64_t kLeastPart = 4 * 1024 * 1024;
    // A file too short for two such parts has parts of this at least, so
    // that a short video from a server that holds each connection back
    // comes over several too.
    static constexpr int64_t kLeastShortPart = 512 * 1024;
    static constexpr int64_t LeastPartOf(int64_t total) {
        return total >= 2 * kLeastPart ? kLeastPart : kLeastShortPart;
    }

    // The file of `total` bytes as one part, of which the first `done` are
    // on disk.
    static PartLayout Whole(int64_t total, int64_t done = 0);
    // The layout that Text() wrote for a file of `total` bytes; none when
    // the text is not one, or not of such a file.
    static std::optional<PartLayout> Read(std::string_view text, int64_t total);

    // "start-end=done" for each part, separated by spaces; finished
    // neighbours are written as one. Made again only after a change: a
    // transfer asks for it at each piece of the body.
    const std::string& Text() const;

    // Cuts what the part at `index` still wants into up to `count` parts of
    // at least kLeastPart; the part keeps the first. How many parts there
    // are now in its place.
    int Split(size_t index, int count);
    // Gives the second half of the part that wants the most to a new part
    // after it, when each half is at least kLeastPart; the new part's index,
    // or none. `busy_from[i]`, when given for part i, is the first byte its
    // connection has not yet written: the cut never comes before it.
    std::optional<size_t> SplitLargest(const std::vector<int64_t>& busy_from);
    // The part at `index` takes over the part after it, which wants all of
    // its bytes still: one part where there were two. False when there is
    // no such part.
    bool TakeOverNext(size_t index);
    // `count` more bytes of the part at `index` are on disk.
    void Add(size_t index, int64_t count) {
        parts_[index].done += count;
        text_.reset();
    }

    const std::vector<FilePart>& Parts() const { return parts_; }
    const FilePart& operator[](size_t index) const { return parts_[index]; }
    size_t Count() const { return parts_.size(); }
    int64_t Total() const { return parts_.empty() ? 0 : parts_.back().end; }
    // The bytes on disk, in all parts.
    int64_t Done() const;
    // The bytes on disk from the file's first byte on, without a gap.
    int64_t DoneFromStart() const;
    bool IsComplete() const { return Done() == Total(); }
    bool operator==(const PartLayout& other) const { return parts_ == other.parts_; }

private:
    std::vector<FilePart> parts_;
    // Text() as it was last made; none after a change.
    mutable std::optional<std::string> text_;
};

} // namespace tarnwick::transfer
