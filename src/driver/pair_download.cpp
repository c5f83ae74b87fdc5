#include "driver/pair_download.h"

#include <utility>

namespace tarnwick::driver {
namespace {

std::optional<transfer::Kept> PartOf(const std::optional<transfer::Kept>& kept, size_t part) {
    const auto* pair = kept ? std::get_if<transfer::KeptPair>(&*kept) : nullptr;
    if (pair == nullptr) return std::nullopt;
    const std::optional<transfer::KeptOne>& one = part == 0 ? pair->picture : pair->sound;
    if (!one) return std::nullopt;
    return transfer::AsKept(*one);
}

std::optional<transfer::KeptOne> Single(const std::optional<transfer::Kept>& kept) {
    return kept ? transfer::SingleOf(*kept) : std::nullopt;
}

} // namespace

PairDownload::PairDownload(std::unique_ptr<Download> picture, std::unique_ptr<Download> sound)
    : parts_{std::move(picture), std::move(sound)} {}

void PairDownload::Start(const std::optional<transfer::Kept>& kept, Calls calls) {
    calls_ = std::move(calls);
    for (size_t part = 0; part < parts_.size(); ++part) {
        parts_[part]->Start(PartOf(kept, part),
                            {[this, part](const Progress& p) { OnProgress(part, p); },
                             [this] {
                                 if (calls_.on_layout) calls_.on_layout();
                             },
                             [this, part](Outcome outcome) { OnDone(part, std::move(outcome)); }});
    }
}

void PairDownload::OnProgress(size_t part, const Progress& progress) {
    progress_[part] = progress;
    begun_[part] = true;
    // Told once both began: from then on, both files exist.
    if (!begun_[0] || !begun_[1]) return;
    const Progress& picture = progress_[0];
    const Progress& sound = progress_[1];
    Progress both;
    both.received = picture.received + sound.received;
    if (picture.size && sound.size) both.size = *picture.size + *sound.size;
    both.decoded = picture.decoded || sound.decoded;
    both.streamed = picture.streamed || sound.streamed;
    both.done_ms = picture.done_ms + sound.done_ms;
    both.total_ms = picture.total_ms + sound.total_ms;
    calls_.on_progress(both);
}

void PairDownload::OnDone(size_t part, Outcome outcome) {
    done_[part] = true;
    if (outcome.IsComplete() && !(done_[0] && done_[1])) return;
    // The first failure stops the other part where it is.
    const size_t other = 1 - part;
    if (!done_[other]) parts_[other]->Abandon();
    const std::function<void(Outcome)> done = std::move(calls_.on_done);
    calls_ = {};
    done(std::move(outcome));
}

std::optional<transfer::Kept> PairDownload::Keep() const {
    transfer::KeptPair pair{Single(parts_[0]->Keep()), Single(parts_[1]->Keep())};
    if (!pair.picture && !pair.sound) return std::nullopt;
    return pair;
}

std::vector<std::string> PairDownload::Files() const {
    std::vector<std::string> files = parts_[0]->Files();
    for (std::string& file : parts_[1]->Files()) files.push_back(std::move(file));
    return files;
}

void PairDownload::Abandon() {
    for (size_t part = 0; part < parts_.size(); ++part) {
        if (!done_[part]) parts_[part]->Abandon();
    }
    calls_ = {};
}

} // namespace tarnwick::driver
