#include "transfer/part_layout.h"

#include <algorithm>
#include <charconv>

namespace tarnwick::transfer {
namespace {

// Reads a decimal number at the front of `text`, and moves past it.
std::optional<int64_t> TakeNumber(std::string_view& text) {
    int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end == text.data() || value < 0) return std::nullopt;
    text.remove_prefix(static_cast<size_t>(end - text.data()));
    return value;
}

bool TakeCharacter(std::string_view& text, char expected) {
    if (text.empty() || text.front() != expected) return false;
    text.remove_prefix(1);
    return true;
}

std::optional<FilePart> TakePart(std::string_view& text) {
    FilePart part;
    const std::optional<int64_t> start = TakeNumber(text);
    if (!start || !TakeCharacter(text, '-')) return std::nullopt;
    const std::optional<int64_t> end = TakeNumber(text);
    if (!end || !TakeCharacter(text, '=')) return std::nullopt;
    const std::optional<int64_t> done = TakeNumber(text);
    if (!done || *end <= *start || *done > *end - *start) return std::nullopt;
    return FilePart{*start, *end, *done};
}

} // namespace

PartLayout PartLayout::Whole(int64_t total, int64_t done) {
    PartLayout layout;
    layout.parts_.push_back({0, total, std::clamp<int64_t>(done, 0, total)});
    return layout;
}

std::optional<PartLayout> PartLayout::Read(std::string_view text, int64_t total) {
    PartLayout layout;
    int64_t expected_start = 0;
    while (!text.empty()) {
        if (!layout.parts_.empty() && !TakeCharacter(text, ' ')) return std::nullopt;
        const std::optional<FilePart> part = TakePart(text);
        if (!part || part->start != expected_start) return std::nullopt;
        layout.parts_.push_back(*part);
        expected_start = part->end;
    }
    if (layout.parts_.empty() || expected_start != total) return std::nullopt;
    return layout;
}

const std::string& PartLayout::Text() const {
    if (text_) return *text_;
    std::string& text = text_.emplace();
    for (size_t i = 0; i < parts_.size(); ++i) {
        FilePart part = parts_[i];
        while (part.IsDone() && i + 1 < parts_.size() && parts_[i + 1].IsDone()) {
            part.end = parts_[++i].end;
            part.done = part.end - part.start;
        }
        if (!text.empty()) text += ' ';
        text += std::to_string(part.start) + '-' + std::to_string(part.end) + '=' +
                std::to_string(part.done);
    }
    return text;
}

int PartLayout::Split(size_t index, int count) {
    const FilePart whole = parts_[index];
    const int64_t left = whole.Left();
    const int64_t least = LeastPartOf(Total());
    const int64_t pieces = std::clamp<int64_t>(left / least, 1, std::max(count, 1));
    const int64_t each = left / pieces;
    std::vector<FilePart> made;
    int64_t from = whole.Next();
    for (int64_t piece = 0; piece < pieces; ++piece) {
        const int64_t to = piece + 1 == pieces ? whole.end : from + each;
        made.push_back({from, to, 0});
        from = to;
    }
    // The first keeps the bytes the part had.
    made.front().start = whole.start;
    made.front().done = whole.done;
    parts_.erase(parts_.begin() + static_cast<std::ptrdiff_t>(index));
    parts_.insert(parts_.begin() + static_cast<std::ptrdiff_t>(index), made.begin(), made.end());
    text_.reset();
    return static_cast<int>(pieces);
}

std::optional<size_t> PartLayout::SplitLargest(const std::vector<int64_t>& busy_from) {
    std::optional<size_t> largest;
    int64_t largest_from = 0;
    for (size_t i = 0; i < parts_.size(); ++i) {
        const int64_t from =
            std::max(parts_[i].Next(), i < busy_from.size() ? busy_from[i] : int64_t{0});
        if (!largest || parts_[i].end - from > parts_[*largest].end - largest_from) {
            largest = i;
            largest_from = from;
        }
    }
    if (!largest) return std::nullopt;
    FilePart& part = parts_[*largest];
    const int64_t half = (part.end - largest_from) / 2;
    if (half < LeastPartOf(Total())) return std::nullopt;
    const FilePart second{largest_from + half, part.end, 0};
    part.end = second.start;
    parts_.insert(parts_.begin() + static_cast<std::ptrdiff_t>(*largest + 1), second);
    text_.reset();
    return *largest + 1;
}

bool PartLayout::TakeOverNext(size_t index) {
    if (index + 1 >= parts_.size() || parts_[index + 1].done != 0) return false;
    parts_[index].end = parts_[index + 1].end;
    parts_.erase(parts_.begin() + static_cast<std::ptrdiff_t>(index + 1));
    text_.reset();
    return true;
}

int64_t PartLayout::Done() const {
    int64_t done = 0;
    for (const FilePart& part : parts_) done += part.done;
    return done;
}

int64_t PartLayout::DoneFromStart() const {
    int64_t done = 0;
    for (const FilePart& part : parts_) {
        done += part.done;
        if (!part.IsDone()) break;
    }
    return done;
}

} // namespace tarnwick::transfer
