// The syntax shared by every HLS playlist: its lines (tags, URIs; comments
// and blanks left out) and the attribute lists that tags carry.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick::hls {

// A line of a playlist that means something: a tag ("#EXTINF:10," has the
// name "EXTINF" and the value "10,"), or a URI.
struct PlaylistLine {
    enum class Kind { kTag, kUri };
    Kind kind = Kind::kUri;
    std::string_view name;  // a tag's name without "#"; empty for a URI
    std::string_view value; // what follows the tag's ":", or the URI
};

// The lines of `text` in order, as views into it: lines end in LF or CR LF,
// blanks around each line are dropped, and blank lines and comments (a "#"
// not followed by "EXT") are left out. A UTF-8 byte order mark is skipped.
std::vector<PlaylistLine> PlaylistLines(std::string_view text);

// A decimal integer: digits only, up to 2^64 - 1.
std::optional<uint64_t> DecimalInteger(std::string_view text);

// The width and height of a RESOLUTION attribute.
struct Resolution {
    uint64_t width = 0;
    uint64_t height = 0;
    bool operator==(const Resolution&) const = default;
};

// An attribute list: NAME=VALUE pairs split by commas, where a quoted value
// may hold commas. Names are found without letter case; of a name given
// twice the first value counts. Pairs without "=" are left out.
class AttributeList {
public:
    explicit AttributeList(std::string_view text);

    // The value as written, without the quotes of a quoted one.
    std::optional<std::string> Text(std::string_view name) const;
    // A decimal integer (digits only, up to 2^64 - 1).
    std::optional<uint64_t> Integer(std::string_view name) const;
    // A decimal resolution "WIDTHxHEIGHT".
    std::optional<Resolution> ResolutionValue(std::string_view name) const;
    // A hexadecimal sequence "0x..." as bytes, the first one taking a single
    // digit when their count is odd.
    std::optional<std::vector<uint8_t>> HexBytes(std::string_view name) const;
    // Whether the enumerated value is YES.
    bool IsYes(std::string_view name) const;

private:
    struct Attribute {
        std::string name;
        std::string value;
    };
    const Attribute* Find(std::string_view name) const;

    std::vector<Attribute> attributes_;
};

} // namespace tarnwick::hls
