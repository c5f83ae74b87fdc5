// A video whose picture and sound come as two files: both are fetched side by
// side, each into a temporary file of the item's, for ffmpeg to join. The
// pair ends when both are whole, or at the first failure, which ends the
// other at once. Neither is kept for a later try.
#pragma once

#include "common/outcome.h"
#include "platform/background_work.h"
#include "platform/clock.h"
#include "platform/http_client.h"
#include "transfer/file_transfer.h"
#include "transfer/time_limits.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace tarnwick::driver {

class PairDownload {
public:
    struct Progress {
        // Of both files together.
        int64_t received = 0;
        // Known once both answers told theirs.
        std::optional<int64_t> size;
    };
    using ProgressHandler = std::function<void(const Progress& progress)>;
    using DoneHandler = std::function<void(Outcome outcome)>;
    using PathChooser = transfer::FileTransfer::PathChooser;

    PairDownload(platform::HttpClient& http, platform::Clock& clock, transfer::TimeLimits limits,
                 platform::BackgroundWork* background);
    PairDownload(const PairDownload&) = delete;
    PairDownload& operator=(const PairDownload&) = delete;

    void SetReach(platform::HttpRequest::Reach reach);
    // `on_done` is called once, from the event loop; the pair may be
    // destroyed from inside it.
    void Start(const std::string& picture, const std::string& sound, PathChooser picture_path,
               PathChooser sound_path, ProgressHandler on_progress, DoneHandler on_done);

    // The two temporary files, once their answers began; empty before.
    const std::string& PicturePath() const { return paths_[0]; }
    const std::string& SoundPath() const { return paths_[1]; }
    int64_t PictureOnDisk() const { return on_disk_[0]; }

private:
    void OnProgress(size_t part, const transfer::FileTransfer::Progress& progress);
    void OnDone(size_t part, Outcome outcome);

    std::array<std::unique_ptr<transfer::FileTransfer>, 2> parts_;
    std::array<std::string, 2> paths_;
    std::array<int64_t, 2> received_{};
    std::array<int64_t, 2> on_disk_{};
    std::array<std::optional<int64_t>, 2> sizes_;
    std::array<bool, 2> done_{};
    ProgressHandler on_progress_;
    DoneHandler on_done_;
};

} // namespace tarnwick::driver
