// HTML parsing on libxml2's HTML push parser, which forgives broken markup as
// browsers do. Its parsers build no tree: they pass what they read straight
// to the handler, never print an error, and never fetch anything. A page that
// begins with a byte-order mark is read as the mark says, UTF-16 included.
#pragma once

#include "platform/html_parser.h"

#include <memory>

namespace tarnwick::html {

class LibxmlHtmlParserFactory : public platform::HtmlParserFactory {
public:
    std::unique_ptr<platform::HtmlParser> NewParser(platform::HtmlHandler& handler) override;
};

} // namespace tarnwick::html
