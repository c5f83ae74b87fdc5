// The one face of every download, whatever its plan: a file (one or more
// connections), a stream's pieces, or a picture and its sound. Each starts
// from what an earlier try kept, tells the same progress, and keeps one
// record of what it has on disk for the next try.
#pragma once

#include "common/outcome.h"
#include "driver/plan.h"
#include "platform/background_work.h"
#include "platform/piece_cipher.h"
#include "transfer/fetch.h"
#include "transfer/kept.h"
#include "transfer/part_file.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tarnwick::driver {

class Download {
public:
    struct Progress {
        // The bytes so far, an earlier try's included, and the whole size
        // where it is known.
        int64_t received = 0;
        std::optional<int64_t> size;
        // The answer came content-coded: its size is unknown.
        bool decoded = false;
        // Pieces of a stream: their size is known at the end only, and the
        // playing time of those written, and of all, tells how far it came.
        bool streamed = false;
        int64_t done_ms = 0;
        int64_t total_ms = 0;
    };
    struct Calls {
        // First when the download began: its temporary files exist from then on.
        std::function<void(const Progress&)> on_progress;
        // What Keep() tells changed in a way that is to be kept before any
        // more bytes come (where a file's parts lie).
        std::function<void()> on_layout;
        // Once, last; the download may be destroyed from inside it.
        std::function<void(Outcome)> on_done;
    };

    virtual ~Download() = default;
    // Goes on with `kept` (as FittingKept leaves it), or starts afresh.
    virtual void Start(const std::optional<transfer::Kept>& kept, Calls calls) = 0;
    // What a later try can go on with, as the files are now; none when they
    // hold nothing of use.
    virtual std::optional<transfer::Kept> Keep() const = 0;
    // The files it fills, picture then sound; empty before each is made.
    virtual std::vector<std::string> Files() const = 0;
    // Writes out what came and ends every request; nothing more is called.
    virtual void Abandon() = 0;
};

// What the downloads of an item work with.
struct DownloadServices {
    transfer::RequestContext& requests;
    platform::BackgroundWork& background;
    const platform::PieceCipher* cipher = nullptr;
    // The most connections for one file.
    int connections = 1;
    // The temporary file of the item for a file named `name`.
    std::function<transfer::PartFile::PathChooser(const std::string& name)> paths;
    // Whether a file's connections past the first wait until it is found
    // held back.
    bool extras_when_held_back = false;
};

// What is done with the downloaded files before the item's file takes its name.
enum class Finishing : uint8_t {
    kNone,  // the file is the video
    kRemux, // MPEG-TS pieces become an MP4 (or Matroska) with ffmpeg
    kJoin,  // a picture and its sound become one file with ffmpeg
    kSound, // the sound alone becomes a file of its own with ffmpeg
};

// The download for `plan`, from the one table of plans, for an item whose
// file is named `name`.
std::unique_ptr<Download> MakeDownload(const Plan& plan, const DownloadServices& services,
                                       const std::string& name);
Finishing FinishingOf(const Plan& plan);
// What of `kept` the plan's download can go on with; none when nothing.
std::optional<transfer::Kept> FittingKept(const Plan& plan, const transfer::Kept& kept);

} // namespace tarnwick::driver
