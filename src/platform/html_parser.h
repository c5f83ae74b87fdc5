// Reading HTML as it arrives: a parser turns the bytes it is fed into the
// starts and ends of elements and the text between them, for a handler. It
// forgives broken markup, reports no errors, and never fetches anything.
#pragma once

#include "common/result.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick::platform {

struct HtmlAttribute {
    std::string name;  // in lower case
    std::string value; // with its character references decoded, as UTF-8
};

class HtmlHandler {
public:
    virtual ~HtmlHandler() = default;
    // `name` in lower case.
    virtual void OnStartElement(std::string_view name,
                                const std::vector<HtmlAttribute>& attributes) = 0;
    virtual void OnEndElement(std::string_view name) = 0;
    // Text between elements, in pieces; the content of a script as it stands.
    // Comments are never text.
    virtual void OnText(std::string_view text) = 0;
};

class HtmlParser {
public:
    virtual ~HtmlParser() = default;
    // The next bytes of the page; the handler hears what they complete.
    // Never throws: where the handler (or the parse) fails, the parse stops,
    // the handler hears nothing more, and Finish tells the failure.
    virtual void Feed(const char* data, size_t size) noexcept = 0;
    // The page ended: what is still open is closed for the handler. Fails
    // (kNoLinkInPage, with the words of what failed) when the parse stopped
    // before the page's end; the handler keeps what it heard until then.
    virtual Status Finish() noexcept = 0;
};

class HtmlParserFactory {
public:
    virtual ~HtmlParserFactory() = default;
    virtual std::unique_ptr<HtmlParser> NewParser(HtmlHandler& handler) = 0;
};

} // namespace tarnwick::platform
