// Fetches a page into memory for the site extractors, or hands its bytes on
// as they come. An answer with an error status is a page like any other;
// only a request that gets no answer, breaks off, passes a time limit, comes
// at under the least rate, passes the size limit or is refused by its reach
// fails. A page whose answer turns out to be a file (a video, a sound, a
// download) can be handed over, unread, to become the file's transfer.
#pragma once

#include "common/outcome.h"
#include "transfer/fetch.h"
#include "transfer/rate_watch.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace tarnwick::transfer {

class PageFetch : private BodySink {
public:
    static constexpr int64_t kSizeLimit = 64LL * 1024 * 1024;
    // A page that trickles in at under 1 KiB a second for a minute ends.
    static constexpr LeastRate kLeastRate = {1024, platform::Duration(60000)};

    struct Result {
        Outcome outcome = Outcome::Cancelled();
        int http_status = 0;
        // The address that answered, after redirects; empty when not known.
        std::string address;
        std::string page; // when complete and not streamed
        // The fetch whose answer is a file, with that answer and the bytes
        // of it that came already, when handed over.
        std::unique_ptr<Fetch> file;
        FetchAnswer file_answer;
        std::string file_start;
    };
    // The page's bytes so far, and its length when the answer gave one.
    using ProgressHandler = std::function<void(int64_t received, std::optional<int64_t> size)>;
    using DoneHandler = std::function<void(Result result)>;
    using BlockHandler = std::function<void(const char* data, size_t size)>;

    explicit PageFetch(RequestContext& requests) : requests_(requests) {}
    PageFetch(const PageFetch&) = delete;
    PageFetch& operator=(const PageFetch&) = delete;

    // The handlers are called from the event loop; `on_done` once, last, and
    // the fetch may be destroyed from inside it. Destroying the fetch before
    // ends the request at once and calls nothing.
    void Start(const std::string& address, ProgressHandler on_progress, DoneHandler on_done);
    // Before Start: the page's bytes go to `on_block` as they come, and are
    // not kept.
    void StreamTo(BlockHandler on_block) { on_block_ = std::move(on_block); }
    // Before Start: an answer that is a file (KindOfAnswer) ends the fetch
    // complete, with the fetch in the result, once its first bytes came.
    void HandOverFiles() { hand_over_files_ = true; }

private:
    // What the answer is, as far as it is known yet.
    enum class Kind : uint8_t { kPage, kFile, kUndecided };

    Status Take(const char* data, size_t size) override;
    Status TakePage(const char* data, size_t size);
    // An answer that may be a file or a page is told by its first bytes.
    Status Decide();
    std::optional<Outcome> OnAnswer(const FetchAnswer& answer);
    void OnBody();
    void HandOver();
    void OnDone(FetchEnd end);

    RequestContext& requests_;
    std::unique_ptr<Fetch> fetch_;
    ProgressHandler on_progress_;
    DoneHandler on_done_;
    BlockHandler on_block_;
    bool hand_over_files_ = false;
    Kind kind_ = Kind::kPage;
    // The first bytes of an answer not decided yet.
    std::string opening_;
    FetchAnswer answer_;
    int64_t received_ = 0;
    std::optional<int64_t> size_;
    std::string page_;
};

} // namespace tarnwick::transfer
