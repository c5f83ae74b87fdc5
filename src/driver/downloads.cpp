// The one table that picks the download for a plan, as each kind of source
// calls for it.
#include "driver/download.h"

#include "driver/pair_download.h"
#include "driver/stream_download.h"
#include "resolve/derived_name.h"
#include "transfer/file_download.h"

#include <utility>

namespace tarnwick::driver {
namespace {

// A file as every download is: FileDownload with the one face.
class FileSourceDownload : public Download {
public:
    FileSourceDownload(const DownloadServices& services, FileSource source,
                       transfer::PartFile::PathChooser path)
        : download_(services.requests, services.background, services.connections,
                    services.extras_when_held_back ? transfer::FileDownload::Extras::kWhenHeldBack
                                                   : transfer::FileDownload::Extras::kAtOnce),
          source_(std::move(source)),
          path_(std::move(path)) {}

    void Start(const std::optional<transfer::Kept>& kept, Calls calls) override {
        calls_ = std::move(calls);
        std::optional<transfer::KeptOne> one = kept ? transfer::SingleOf(*kept) : std::nullopt;
        if (one && std::holds_alternative<transfer::KeptStream>(*one)) one.reset();
        transfer::FileDownload::Calls calls_in{
            [this](const transfer::FileDownload::Progress& p) {
                calls_.on_progress({p.received, p.size, p.decoded});
            },
            [this] { calls_.on_layout(); },
            [this](Outcome outcome) { calls_.on_done(std::move(outcome)); }};
        if (source_.opened && source_.opened->fetch) {
            OpenedFetch& opened = *source_.opened;
            return download_.Adopt(std::move(opened.fetch), opened.answer, opened.start, one, path_,
                                   std::move(calls_in));
        }
        download_.Start(source_.url, one, path_, std::move(calls_in));
    }
    std::optional<transfer::Kept> Keep() const override {
        const std::optional<transfer::KeptOne> kept = download_.Keep();
        if (!kept) return std::nullopt;
        return transfer::AsKept(*kept);
    }
    std::vector<std::string> Files() const override { return {download_.TemporaryPath()}; }
    void Abandon() override { download_.Abandon(); }

private:
    transfer::FileDownload download_;
    FileSource source_;
    transfer::PartFile::PathChooser path_;
    Calls calls_;
};

std::unique_ptr<Download> MakeOne(const Source& source, const DownloadServices& services,
                                  const std::string& name) {
    if (const auto* file = std::get_if<FileSource>(&source)) {
        return std::make_unique<FileSourceDownload>(services, *file, services.paths(name));
    }
    return std::make_unique<StreamDownload>(services, std::get<StreamSource>(source),
                                            services.paths(name));
}

bool OneFits(const Source& source, const transfer::KeptOne& kept) {
    if (std::holds_alternative<StreamSource>(source)) {
        return StreamDownload::Fits(std::get<StreamSource>(source), kept);
    }
    return !std::holds_alternative<transfer::KeptStream>(kept);
}

} // namespace

// The table: a single source is its own download; a picture and its sound
// are a pair of them.
std::unique_ptr<Download> MakeDownload(const Plan& plan, const DownloadServices& services,
                                       const std::string& name) {
    if (!plan.sound) return MakeOne(plan.picture, services, name);
    return std::make_unique<PairDownload>(
        MakeOne(plan.picture, services, resolve::WithExtension(name, ".picture")),
        MakeOne(*plan.sound, services, resolve::WithExtension(name, ".sound")));
}

Finishing FinishingOf(const Plan& plan) {
    if (plan.sound_only) return Finishing::kSound;
    if (plan.sound) return Finishing::kJoin;
    const auto* stream = std::get_if<StreamSource>(&plan.picture);
    return stream != nullptr && stream->format == hls::SegmentFormat::kMpegTs ? Finishing::kRemux
                                                                              : Finishing::kNone;
}

std::optional<transfer::Kept> FittingKept(const Plan& plan, const transfer::Kept& kept) {
    if (!plan.sound) {
        const std::optional<transfer::KeptOne> one = transfer::SingleOf(kept);
        if (!one || !OneFits(plan.picture, *one)) return std::nullopt;
        return kept;
    }
    const auto* pair = std::get_if<transfer::KeptPair>(&kept);
    if (pair == nullptr) return std::nullopt;
    transfer::KeptPair fitting;
    if (pair->picture && OneFits(plan.picture, *pair->picture)) fitting.picture = pair->picture;
    if (pair->sound && OneFits(*plan.sound, *pair->sound)) fitting.sound = pair->sound;
    if (!fitting.picture && !fitting.sound) return std::nullopt;
    return fitting;
}

} // namespace tarnwick::driver
