#include "driver/subtitle_fetching.h"

#include "transfer/file_system.h"

#include <utility>

namespace tarnwick::driver {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

} // namespace

bool LooksLikeSubtitle(const std::string& body, const std::string& ext) {
    std::string_view text = body;
    if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
    if (ext == "vtt") return text.starts_with("WEBVTT");
    const size_t start = text.find_first_not_of(" \t\r\n");
    return ext == "srt" && start != std::string_view::npos && text[start] >= '0' &&
           text[start] <= '9' && text.find("-->") != std::string_view::npos;
}

SubtitleFetching::~SubtitleFetching() {
    if (!on_done_) return;
    for (const FetchedSubtitle& subtitle : done_.fetched)
        (void)transfer::files::Remove(subtitle.path);
}

void SubtitleFetching::Start(std::vector<resolve::ChosenSubtitle> wanted, DoneHandler on_done) {
    wanted_ = std::move(wanted);
    on_done_ = std::move(on_done);
    FetchNext();
}

void SubtitleFetching::FetchNext() {
    if (next_ == wanted_.size()) {
        fetch_.reset();
        DoneHandler on_done = std::move(on_done_);
        on_done_ = nullptr;
        return on_done(std::move(done_));
    }
    fetch_ = std::make_unique<transfer::PageFetch>(requests_);
    fetch_->Start(
        wanted_[next_].url, [](int64_t, std::optional<int64_t>) {},
        [this](transfer::PageFetch::Result result) { OnFetched(std::move(result)); });
}

void SubtitleFetching::OnFetched(transfer::PageFetch::Result result) {
    const resolve::ChosenSubtitle& subtitle = wanted_[next_++];
    std::string path;
    if (result.outcome.IsComplete() && !result.file && LooksLikeSubtitle(result.page, subtitle.ext))
        path = Write(result.page);
    if (path.empty()) {
        done_.failed.push_back(subtitle.language);
    } else {
        done_.fetched.push_back({subtitle.language, subtitle.ext, path});
    }
    FetchNext();
}

// A subtitle is a few hundred kilobytes at most: it is written at once.
std::string SubtitleFetching::Write(const std::string& body) const {
    const std::string path = path_for_(wanted_[next_ - 1]);
    const Result<int> made = transfer::files::CreateNew(path);
    if (!made) return {};
    const Status written = transfer::files::WriteAll(made.value(), body.data(), body.size());
    const Status closed = transfer::files::Close(made.value());
    if (written && closed) return path;
    (void)transfer::files::Remove(path);
    return {};
}

} // namespace tarnwick::driver
