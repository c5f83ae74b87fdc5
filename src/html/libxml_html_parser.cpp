#include "html/libxml_html_parser.h"

#include "html/byte_order_mark.h"
#include "html/start_tag_guard.h"

#include <libxml/HTMLparser.h>
#include <libxml/globals.h>
#include <libxml/parser.h>
#include <libxml/xmlerror.h>

#include <algorithm>
#include <exception>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tarnwick::html {
namespace {

// The page is taken in slices of this size, and no call into libxml2 reads
// much more at once: a slice of UTF-16 grows by half at most as UTF-8.
constexpr size_t kSliceSize = 64 * 1024;

// In a page that declares no character set, libxml2 2.9 takes an end tag of
// a script or style that a chunk cuts after its "</" for a stray one, and
// makes the rest of the page the script's text. So a chunk never ends within
// this many bytes after a "<": the tail waits for the next bytes, or the end.
constexpr size_t kTagHead = 16;

// Where a chunk of `text` may end: before the first "<" of its last bytes.
size_t SafeEnd(std::string_view text) {
    const size_t from = text.size() > kTagHead ? text.size() - kTagHead : 0;
    return std::min(text.find('<', from), text.size());
}

constexpr int kOptions =
    HTML_PARSE_RECOVER | HTML_PARSE_NONET | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING;

void InitialiseLibxmlOnce() {
    static const bool initialised = [] {
        xmlInitParser();
        return true;
    }();
    (void)initialised;
}

void IgnoreError(void*, const char*, ...) {}

// Errors that belong to no parser (a character conversion that fails) go to
// the thread's generic error handler, which prints them; while this lives,
// the thread's handler prints nothing.
class SilencedErrors {
public:
    SilencedErrors() : handler_(xmlGenericError), context_(xmlGenericErrorContext) {
        xmlSetGenericErrorFunc(nullptr, IgnoreError);
    }
    ~SilencedErrors() { xmlSetGenericErrorFunc(context_, handler_); }
    SilencedErrors(const SilencedErrors&) = delete;
    SilencedErrors& operator=(const SilencedErrors&) = delete;

private:
    xmlGenericErrorFunc handler_;
    void* context_;
};

std::string_view ViewOf(const xmlChar* text) { return reinterpret_cast<const char*>(text); }

class LibxmlHtmlParser final : public platform::HtmlParser {
public:
    explicit LibxmlHtmlParser(platform::HtmlHandler& handler) : handler_(handler) {
        xmlSAXHandler sax = {};
        sax.startElement = &LibxmlHtmlParser::OnStart;
        sax.endElement = &LibxmlHtmlParser::OnEnd;
        sax.characters = &LibxmlHtmlParser::OnText;
        sax.ignorableWhitespace = &LibxmlHtmlParser::OnText;
        sax.cdataBlock = &LibxmlHtmlParser::OnText;
        const SilencedErrors silenced;
        // Read as UTF-8 unless the page declares otherwise; left to guess,
        // libxml2 reads a page that declares nothing as Latin-1.
        context_ =
            htmlCreatePushParserCtxt(&sax, this, nullptr, 0, nullptr, XML_CHAR_ENCODING_UTF8);
        if (context_ == nullptr) throw std::bad_alloc();
        htmlCtxtUseOptions(context_, kOptions);
    }
    ~LibxmlHtmlParser() override { htmlFreeParserCtxt(context_); }
    LibxmlHtmlParser(const LibxmlHtmlParser&) = delete;
    LibxmlHtmlParser& operator=(const LibxmlHtmlParser&) = delete;

    void Feed(const char* data, size_t size) noexcept override {
        Guarded([&] { FeedSlices(data, size); });
    }

    Status Finish() noexcept override {
        if (!finished_) Guarded([&] { FinishParse(); });
        finished_ = true;
        if (failure_) return *failure_;
        return {};
    }

private:
    static LibxmlHtmlParser& Self(void* self) { return *static_cast<LibxmlHtmlParser*>(self); }

    void FeedSlices(const char* data, size_t size) {
        while (size > 0 && !finished_ && !guard_.Tripped()) {
            const size_t slice = std::min(size, kSliceSize);
            Take({data, slice});
            data += slice;
            size -= slice;
            const size_t ready = SafeEnd(held_);
            if (ready == 0) continue;
            Parse(held_.data(), guard_.Scan({held_.data(), ready}), false);
            held_.erase(0, guard_.Tripped() ? held_.size() : ready);
        }
    }

    void FinishParse() {
        mark_decoder_.Finish(held_);
        HonourTheMark();
        Parse(held_.data(), guard_.Scan(held_), true);
        held_.clear();
        finished_ = true;
        EndDroppedElement(context_->nameNr);
        // libxml2 leaves open what a tag cut off at the end, or a stop on an
        // encoding error, left open.
        for (int i = context_->nameNr - 1; i >= 0; --i) {
            Guarded([&] { handler_.OnEndElement(ViewOf(context_->nameTab[i])); });
        }
    }

    // The page's next bytes wait in held_ as UTF-8 when it began with a
    // byte-order mark, else as they are.
    void Take(std::string_view bytes) {
        mark_decoder_.Decode(bytes, held_);
        HonourTheMark();
    }

    // A page that begins with a byte-order mark is read as UTF-8 from then
    // on, whatever character set its <meta> declares. libxml2 is told before
    // it reads anything of the page: the decoder passes nothing on until it
    // knows the mark.
    void HonourTheMark() {
        using Mark = ByteOrderMarkDecoder::Mark;
        if (mark_honoured_ || mark_decoder_.mark() == Mark::kUndecided ||
            mark_decoder_.mark() == Mark::kNone) {
            return;
        }
        htmlCtxtUseOptions(context_, kOptions | HTML_PARSE_IGNORE_ENC);
        mark_honoured_ = true;
    }

    // libxml2's depth counts the element at hand from its start until after
    // its end.
    static void OnStart(void* self, const xmlChar* name, const xmlChar** attributes) {
        LibxmlHtmlParser& parser = Self(self);
        parser.EndDroppedElement(parser.context_->nameNr - 1);
        parser.Guarded([&] {
            parser.attributes_.clear();
            for (; attributes != nullptr && attributes[0] != nullptr; attributes += 2) {
                const xmlChar* value = attributes[1];
                parser.attributes_.push_back(
                    {std::string(ViewOf(attributes[0])),
                     value == nullptr ? std::string() : std::string(ViewOf(value))});
            }
            parser.handler_.OnStartElement(ViewOf(name), parser.attributes_);
        });
        parser.told_depth_ = parser.context_->nameNr;
        parser.last_started_ = ViewOf(name);
    }
    static void OnEnd(void* self, const xmlChar* name) {
        LibxmlHtmlParser& parser = Self(self);
        parser.EndDroppedElement(parser.context_->nameNr);
        parser.Guarded([&] { parser.handler_.OnEndElement(ViewOf(name)); });
        parser.told_depth_ = parser.context_->nameNr - 1;
    }
    static void OnText(void* self, const xmlChar* text, int size) {
        LibxmlHtmlParser& parser = Self(self);
        parser.EndDroppedElement(parser.context_->nameNr);
        const std::string_view piece(reinterpret_cast<const char*>(text), size);
        parser.Guarded([&] { parser.handler_.OnText(piece); });
    }

    // libxml2 drops an element whose start tag lacks its ">" without an end
    // for the handler, right after its start. So when the next event comes
    // at a `depth` below the one the handler was told, the element started
    // last is ended for it.
    void EndDroppedElement(int depth) {
        if (!last_started_.empty() && depth < told_depth_) {
            Guarded([&] { handler_.OnEndElement(last_started_); });
        }
        last_started_.clear();
    }

    void Parse(const char* data, size_t size, bool terminate) {
        const SilencedErrors silenced;
        htmlParseChunk(context_, data, static_cast<int>(size), terminate ? 1 : 0);
        if (failure_) finished_ = true;
    }

    // No exception crosses libxml2, or leaves this parser: the first one
    // becomes the parse's failure, and the parse stops.
    template <typename Work>
    void Guarded(Work work) noexcept {
        if (failure_) return;
        try {
            work();
        } catch (const std::exception& exception) {
            Stop(exception.what());
        } catch (...) {
            Stop("the page could not be read");
        }
    }

    void Stop(const char* words) noexcept {
        finished_ = true;
        // The failure's words are copied, which may itself fail: then without them.
        try {
            failure_ = Failure{Reason::kNoLinkInPage, 0, words};
        } catch (...) {
            failure_ = Failure{Reason::kNoLinkInPage};
        }
        xmlStopParser(context_);
    }

    platform::HtmlHandler& handler_;
    htmlParserCtxtPtr context_ = nullptr;
    ByteOrderMarkDecoder mark_decoder_;
    bool mark_honoured_ = false;
    std::string held_; // bytes not yet given to libxml2
    StartTagGuard guard_;
    std::vector<platform::HtmlAttribute> attributes_;
    int told_depth_ = 0;             // libxml2's depth as the handler knows it
    std::string last_started_;       // until the event after its start
    std::optional<Failure> failure_; // what stopped the parse
    bool finished_ = false;
};

} // namespace

std::unique_ptr<platform::HtmlParser> LibxmlHtmlParserFactory::NewParser(
    platform::HtmlHandler& handler) {
    InitialiseLibxmlOnce();
    return std::make_unique<LibxmlHtmlParser>(handler);
}

} // namespace tarnwick::html
