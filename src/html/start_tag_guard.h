// Watches the bytes of a page for a start tag with more attributes than any
// real page writes. libxml2 2.9 compares each attribute of a tag with every
// earlier one, so such a tag from a hostile page would hold the thread for
// minutes; the page is read only up to it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tarnwick::html {

class StartTagGuard {
public:
    static constexpr int kMaxAttributes = 2000;

    // Follows the next bytes of the page, which continue the ones before. The
    // number of them that may be parsed: all, or those before the attribute
    // past the limit, after which the guard has tripped.
    size_t Scan(std::string_view bytes);
    bool Tripped() const { return tripped_; }

private:
    enum class State {
        kText,
        kTagOpen,  // after "<"
        kTagName,  // in the element's name
        kBetween,  // before an attribute, or where one may be
        kName,     // in an attribute's name
        kEquals,   // after "="
        kQuoted,   // in a quoted value
        kUnquoted, // in an unquoted value
        kRawText,  // in a script's or style's text, until its end tag
    };
    bool Step(char c);
    void EndTag();

    State state_ = State::kText;
    std::string name_; // the tag's name so far, lower case, cut short
    bool end_tag_ = false;
    char quote_ = 0;
    int attributes_ = 0;
    std::string raw_end_; // "</script" or "</style" while in raw text
    size_t raw_matched_ = 0;
    bool tripped_ = false;
};

} // namespace tarnwick::html
