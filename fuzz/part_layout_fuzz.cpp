// Kept part layouts, as a damaged list may hold them: the first line of the
// input is the file's size, the rest the layout's text. Whatever reads must
// cover the file exactly, in order, never counting more bytes than a part
// holds; and its text must read back as the same bytes on disk. Then splits
// and take-overs driven by the input's bytes keep those rules.
#include "fuzz_check.h"
#include "transfer/part_layout.h"

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace {

using tarnwick::transfer::FilePart;
using tarnwick::transfer::PartLayout;

void RequireSound(const PartLayout& layout, int64_t total) {
    int64_t next = 0;
    for (const FilePart& part : layout.Parts()) {
        FUZZ_REQUIRE(part.start == next);
        FUZZ_REQUIRE(part.end > part.start);
        FUZZ_REQUIRE(part.done >= 0 && part.done <= part.end - part.start);
        next = part.end;
    }
    FUZZ_REQUIRE(next == total);
    FUZZ_REQUIRE(layout.DoneFromStart() <= layout.Done());
    const std::optional<PartLayout> again = PartLayout::Read(layout.Text(), total);
    FUZZ_REQUIRE(again.has_value());
    FUZZ_REQUIRE(again->Done() == layout.Done());
    FUZZ_REQUIRE(again->DoneFromStart() == layout.DoneFromStart());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const size_t line = input.find('\n');
    if (line == std::string_view::npos) return 0;
    int64_t total = 0;
    const std::string_view first = input.substr(0, line);
    if (std::from_chars(first.data(), first.data() + first.size(), total).ec != std::errc() ||
        total <= 0) {
        return 0;
    }
    std::optional<PartLayout> layout = PartLayout::Read(input.substr(line + 1), total);
    if (!layout) return 0;
    RequireSound(*layout, total);
    // The input's bytes, again, as the moves of a transfer.
    for (const unsigned char move : input) {
        const size_t index = move % layout->Count();
        switch (move % 3) {
            case 0: layout->Split(index, 1 + move % 8); break;
            case 1: layout->TakeOverNext(index); break;
            default: layout->SplitLargest(std::vector<int64_t>(layout->Count(), 0)); break;
        }
        RequireSound(*layout, total);
    }
    return 0;
}
