#include "driver/pair_download.h"

#include <utility>

namespace tarnwick::driver {

PairDownload::PairDownload(platform::HttpClient& http, platform::Clock& clock,
                           transfer::TimeLimits limits, platform::BackgroundWork* background) {
    for (auto& part : parts_) {
        part = std::make_unique<transfer::FileTransfer>(http, clock, limits);
        if (background != nullptr) part->SetBackgroundWork(*background);
    }
}

void PairDownload::SetReach(platform::HttpRequest::Reach reach) {
    for (auto& part : parts_) part->SetReach(reach);
}

void PairDownload::Start(const std::string& picture, const std::string& sound,
                         PathChooser picture_path, PathChooser sound_path,
                         ProgressHandler on_progress, DoneHandler on_done) {
    on_progress_ = std::move(on_progress);
    on_done_ = std::move(on_done);
    const std::array<const std::string*, 2> links = {&picture, &sound};
    std::array<PathChooser, 2> paths = {std::move(picture_path), std::move(sound_path)};
    for (size_t part = 0; part < parts_.size(); ++part) {
        parts_[part]->Start(
            *links[part], std::nullopt, std::move(paths[part]),
            [this, part](const transfer::FileTransfer::Progress& p) { OnProgress(part, p); },
            [this, part](Outcome outcome) { OnDone(part, std::move(outcome)); });
    }
}

void PairDownload::OnProgress(size_t part, const transfer::FileTransfer::Progress& progress) {
    paths_[part] = parts_[part]->TemporaryPath();
    received_[part] = progress.received;
    on_disk_[part] = progress.on_disk;
    sizes_[part] = progress.size;
    Progress both{received_[0] + received_[1], std::nullopt};
    if (sizes_[0] && sizes_[1]) both.size = *sizes_[0] + *sizes_[1];
    on_progress_(both);
}

void PairDownload::OnDone(size_t part, Outcome outcome) {
    paths_[part] = parts_[part]->TemporaryPath();
    on_disk_[part] = parts_[part]->OnDisk();
    done_[part] = true;
    if (outcome.IsComplete() && !(done_[0] && done_[1])) return;
    // The first failure ends the other part; its bytes are of no use alone.
    const size_t other = 1 - part;
    if (!done_[other]) {
        parts_[other]->Abandon();
        paths_[other] = parts_[other]->TemporaryPath();
    }
    DoneHandler on_done = std::move(on_done_);
    on_done(std::move(outcome));
}

} // namespace tarnwick::driver
