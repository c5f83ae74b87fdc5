// The fields that most items of a long list never set, kept together out of
// line: an item that has none of them holds one null pointer.
#pragma once

#include "common/outcome.h"
#include "handoff/item_context.h"
#include "resolve/quality_preferences.h"
#include "transfer/kept.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace tarnwick::list {

// A step of the item's in which no bytes come: the user is told what it is
// waiting for, and for how long so far.
enum class Activity : uint8_t {
    kNone,
    kAskingYtDlp,
    kConvertingToMp4,
    kConvertingToMkv,
    kJoining,
    kMakingSound,
    kFetchingSubtitles,
    kEmbeddingSubtitles,
};

// How an item came into the list.
enum class Origin : uint8_t { kTyped, kClipboard, kBrowser, kPlaylist, kImported };

struct RareFields {
    // While the page is fetched: its bytes so far, and its length when it
    // gave one (0 when not).
    int64_t page_received = 0;
    int64_t page_size = 0;
    // Why it failed, when kFailed.
    std::optional<Failure> failure;
    // What its download left on disk for the next try to go on with: the
    // temporary files it owns and how far each came. None when it owns none.
    std::optional<transfer::Kept> kept;
    // While a streamed video comes: the playing time of its pieces written,
    // and of all of them, which its progress is told by.
    int64_t stream_done_ms = 0;
    int64_t stream_total_ms = 0;
    // How the video was found to be downloaded, by a resolver that is slow
    // to ask again (yt-dlp): its own text, read back by it; empty when none.
    std::string resolved;
    // The title its page was listed with (a playlist's entry), which names
    // its file where its resolver finds none; empty when none.
    std::string title;
    // What the browser that handed the item over said its server wants: the
    // referrer, agent and cookies every request of the item goes with, until
    // it completes. Empty for an item of any other origin.
    handoff::ItemContext context;
    // What is kept of its video (quality, sound, subtitles), where the user
    // chose for this item, or its playlist was added with a choice; none
    // takes the settings when it starts.
    std::optional<resolve::QualityPreferences> choice;
    // How it came into the list.
    Origin origin = Origin::kTyped;
    // Which video it is (history::IdentityOf), once its resolver knew.
    std::string identity;
    // Once it completed: its file, and when, in seconds since 1970 (UTC).
    std::string completed_path;
    int64_t completed_at = 0;
    // While the item waits on a helper program: for what, and the whole
    // seconds it has waited. Never kept in the list.
    Activity activity = Activity::kNone;
    int64_t activity_seconds = 0;

    bool operator==(const RareFields&) const = default;
};

// Holds RareFields out of line. Read through a const holder, absent fields
// read as their defaults; written through `->`, they come into being. Tidy()
// lets them go again once they are all back at their defaults.
class RareFieldsHolder {
public:
    RareFieldsHolder() = default;
    RareFieldsHolder(const RareFieldsHolder& other) { *this = other; }
    RareFieldsHolder(RareFieldsHolder&&) noexcept = default;
    RareFieldsHolder& operator=(const RareFieldsHolder& other) {
        fields_ = other.fields_ ? std::make_unique<RareFields>(*other.fields_) : nullptr;
        return *this;
    }
    RareFieldsHolder& operator=(RareFieldsHolder&&) noexcept = default;

    const RareFields* operator->() const { return &get(); }
    RareFields* operator->() {
        if (!fields_) fields_ = std::make_unique<RareFields>();
        return fields_.get();
    }
    const RareFields& get() const {
        static const RareFields kNone;
        return fields_ ? *fields_ : kNone;
    }
    bool IsHeld() const { return fields_ != nullptr; }
    void Tidy() {
        if (fields_ && *fields_ == RareFields{}) fields_.reset();
    }

    friend bool operator==(const RareFieldsHolder& a, const RareFieldsHolder& b) {
        return a.get() == b.get();
    }

private:
    std::unique_ptr<RareFields> fields_;
};

} // namespace tarnwick::list
