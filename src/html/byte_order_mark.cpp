#include "html/byte_order_mark.h"

namespace tarnwick::html {
namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeMark = "\xFF\xFE";
constexpr std::string_view kUtf16BeMark = "\xFE\xFF";
constexpr char32_t kReplacement = 0xFFFD;

bool IsHighHalf(uint16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowHalf(uint16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

void AppendUtf8(char32_t c, std::string& out) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Whether `head`, the page's first bytes, may still grow into `mark`.
bool MayBecome(std::string_view head, std::string_view mark) {
    return head.size() < mark.size() && mark.starts_with(head);
}

} // namespace

void ByteOrderMarkDecoder::Decode(std::string_view bytes, std::string& out) {
    while (!bytes.empty() && mark_ == Mark::kUndecided) {
        head_ += bytes.front();
        bytes.remove_prefix(1);
        if (!MayBecome(head_, kUtf8Mark) && !MayBecome(head_, kUtf16LeMark) &&
            !MayBecome(head_, kUtf16BeMark)) {
            Decide(out);
        }
    }
    if (mark_ == Mark::kUtf16Le || mark_ == Mark::kUtf16Be) return DecodeUtf16(bytes, out);
    if (mark_ != Mark::kUndecided) out.append(bytes);
}

// The first bytes are a whole mark, or can no longer become one.
void ByteOrderMarkDecoder::Decide(std::string& out) {
    if (head_ == kUtf8Mark) {
        mark_ = Mark::kUtf8;
    } else if (head_ == kUtf16LeMark) {
        mark_ = Mark::kUtf16Le;
    } else if (head_ == kUtf16BeMark) {
        mark_ = Mark::kUtf16Be;
    } else {
        mark_ = Mark::kNone;
        out.append(head_);
    }
    std::string().swap(head_);
}

void ByteOrderMarkDecoder::DecodeUtf16(std::string_view bytes, std::string& out) {
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (odd_byte_ < 0) {
            odd_byte_ = byte;
            continue;
        }
        const auto first = static_cast<unsigned>(odd_byte_);
        odd_byte_ = -1;
        TakeUnit(static_cast<uint16_t>(mark_ == Mark::kUtf16Le ? first | (byte << 8)
                                                               : (first << 8) | byte),
                 out);
    }
}

// A surrogate half without its other half becomes U+FFFD.
void ByteOrderMarkDecoder::TakeUnit(uint16_t unit, std::string& out) {
    if (high_half_ != 0) {
        const uint16_t high = high_half_;
        high_half_ = 0;
        if (IsLowHalf(unit)) {
            return AppendUtf8(0x10000 + ((char32_t{high} - 0xD800) << 10) + (unit - 0xDC00), out);
        }
        AppendUtf8(kReplacement, out);
    }
    if (IsHighHalf(unit)) {
        high_half_ = unit;
    } else {
        AppendUtf8(IsLowHalf(unit) ? kReplacement : char32_t{unit}, out);
    }
}

void ByteOrderMarkDecoder::Finish(std::string& out) {
    if (mark_ == Mark::kUndecided) Decide(out);
    if (odd_byte_ >= 0 || high_half_ != 0) AppendUtf8(kReplacement, out);
    odd_byte_ = -1;
    high_half_ = 0;
}

} // namespace tarnwick::html
