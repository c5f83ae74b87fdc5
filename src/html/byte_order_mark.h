// The byte-order mark a page may begin with, honoured as browsers honour it:
// before anything the page declares. A page that begins with a UTF-16 mark is
// turned into UTF-8 as its bytes come; one that begins with the UTF-8 mark
// loses the mark; any other page passes as it is.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tarnwick::html {

class ByteOrderMarkDecoder {
public:
    enum class Mark { kUndecided, kNone, kUtf8, kUtf16Le, kUtf16Be };

    // Appends to `out` the UTF-8 that the page's next `bytes` complete. A
    // character that a block cuts in two waits for the rest.
    void Decode(std::string_view bytes, std::string& out);
    // The page ended: what waits is appended, a cut UTF-16 character as U+FFFD.
    void Finish(std::string& out);

    // What the page began with; decided before anything is appended.
    Mark mark() const { return mark_; }

private:
    void Decide(std::string& out);
    void DecodeUtf16(std::string_view bytes, std::string& out);
    void TakeUnit(uint16_t unit, std::string& out);

    Mark mark_ = Mark::kUndecided;
    std::string head_;       // the first bytes, while the mark is undecided
    int odd_byte_ = -1;      // a UTF-16 code unit's first byte, or -1
    uint16_t high_half_ = 0; // a surrogate pair's first unit, or 0
};

} // namespace tarnwick::html
