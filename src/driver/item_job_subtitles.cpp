// The item job's part that gives a whole video its subtitles: fetched with
// the item's requests, then put beside the video under its name
// (NAME.LANG.srt) or, with ffmpeg, inside it.
#include "driver/item_job.h"

#include "common/text.h"
#include "driver/download_folder.h"
#include "driver/stream_convert.h"
#include "platform/app_paths.h"
#include "resolve/derived_name.h"
#include "resolve/file_naming.h"

#include <utility>

namespace tarnwick::driver {
namespace {

std::string LowerExtensionOf(const std::string& name) {
    const size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : text::ToLowerAscii(name.substr(dot + 1));
}

} // namespace

// The video is whole in `video`, made of `inputs` (none when it is the
// download's own file). Without subtitles to go with it, it takes its name.
void ItemJob::VideoWhole(const std::string& video, const std::vector<std::string>& inputs) {
    if (plan_.subtitles.empty()) return Settle(video, inputs);
    const list::DownloadItem* item = ItemOrCancel();
    if (item == nullptr) return;
    const std::string name = item->name;
    auto path_for = [this, name](const resolve::ChosenSubtitle& subtitle) {
        return FreeTemporaryPath(
            folder_, resolve::WithExtension(name, "." + subtitle.language + "." + subtitle.ext),
            key_);
    };
    SubtitleFetching& fetching =
        Begin<SubtitleFetching>(Step::kFetchingSubtitles, requests_, std::move(path_for));
    fetching.Start(plan_.subtitles, [this, video, inputs](FetchedSubtitles got) {
        OnSubtitles(video, inputs, std::move(got));
    });
}

void ItemJob::OnSubtitles(const std::string& video, const std::vector<std::string>& inputs,
                          FetchedSubtitles got) {
    subtitles_ = std::move(got.fetched);
    if (!got.failed.empty()) {
        notes_.push_back("The subtitles in " + resolve::LanguagesText(got.failed) +
                         " could not be fetched");
    }
    if (!subtitles_.empty() && plan_.subtitles_inside) {
        const std::string container = EmbeddingContainer();
        const std::optional<std::string> ffmpeg =
            s_.children != nullptr ? s_.children->Find("ffmpeg") : std::nullopt;
        if (!container.empty() && ffmpeg) return Embed(*ffmpeg, video, inputs);
        notes_.push_back(container.empty()
                             ? "The subtitles are beside the file, which cannot hold them"
                             : "The subtitles are beside the video: putting them "
                               "inside needs ffmpeg");
    }
    Settle(video, inputs);
}

// "mp4" or "mkv" for a video that holds subtitles as streams; empty for
// any other file (sound alone, WebM, a stream's pieces).
std::string ItemJob::EmbeddingContainer() const {
    if (plan_.sound_only) return {};
    const list::DownloadItem* item = s_.queue.Find(key_);
    const std::string ext = item != nullptr ? LowerExtensionOf(item->name) : std::string();
    if (ext == "mp4" || ext == "m4v") return "mp4";
    if (ext == "mkv") return "mkv";
    return {};
}

void ItemJob::Embed(const std::string& ffmpeg, const std::string& video,
                    const std::vector<std::string>& inputs) {
    const list::DownloadItem* item = ItemOrCancel();
    if (item == nullptr) return;
    const std::string embedded = FreeTemporaryPath(folder_, item->name, key_);
    converting_to_ = embedded;
    converting_as_ = list::Activity::kEmbeddingSubtitles;
    std::vector<SubtitleInput> subtitles;
    for (const FetchedSubtitle& subtitle : subtitles_)
        subtitles.push_back({subtitle.path, subtitle.language});
    platform::ChildRequest request{
        ffmpeg, EmbedArguments(video, subtitles, embedded, EmbeddingContainer())};
    std::unique_ptr<platform::Child> child = s_.children->Start(
        std::move(request), [this, video, inputs, embedded](platform::ChildEnd end) {
            OnEmbedded(end, video, inputs, embedded);
        });
    Enter(Step::kConverting, std::move(child));
}

// Embedding that fails costs nothing: the video and its subtitles are kept
// side by side, and the item says why.
void ItemJob::OnEmbedded(const platform::ChildEnd& end, const std::string& video,
                         const std::vector<std::string>& inputs, const std::string& embedded) {
    ConversionInput given{transfer::files::SizeOf(video).value_or(0)};
    for (const FetchedSubtitle& subtitle : subtitles_)
        given.bytes += transfer::files::SizeOf(subtitle.path).value_or(0);
    const Status made = CheckConversion(end, transfer::files::SizeOf(embedded).value_or(0), given);
    if (!made) {
        if (transfer::files::Exists(embedded)) RemoveFile(embedded);
        notes_.push_back("The subtitles are beside the video: they could not be put inside (" +
                         made.failure().detail + ")");
        return Settle(video, inputs);
    }
    platform::BackgroundWork::Ticket syncing =
        Background().Run([embedded] { return transfer::files::SyncFile(embedded); },
                         [this, video, inputs, embedded](int error) {
                             if (transfer::files::BytesMayBeLost(error)) {
                                 RemoveFile(embedded);
                                 notes_.push_back("The subtitles are beside the video: " +
                                                  transfer::files::FileError(error).detail);
                                 return Settle(video, inputs);
                             }
                             std::vector<std::string> made_of = inputs;
                             made_of.push_back(video);
                             for (const FetchedSubtitle& subtitle : std::exchange(subtitles_, {}))
                                 made_of.push_back(subtitle.path);
                             Settle(embedded, made_of);
                         });
    Enter(Step::kConverting, std::move(syncing));
}

// Each subtitle takes the video's name with its language and form
// ("Video.en.srt"), numbered where that is taken; never replacing anything.
void ItemJob::PlaceSubtitlesBeside(const std::string& video_name) {
    std::vector<FetchedSubtitle> left;
    for (FetchedSubtitle& subtitle : subtitles_) {
        // A language is a code of letters, digits and dashes; the name is
        // cleaned all the same, so that it names a file in the folder.
        const std::string name = resolve::CleanFileName(
            resolve::WithExtension(video_name, "." + subtitle.language + "." + subtitle.ext));
        const Result<std::string> claimed =
            ClaimNumberedName(s_.files, folder_, subtitle.path, name);
        if (!claimed) {
            notes_.push_back("The " + subtitle.language + " subtitles could not be kept (" +
                             claimed.failure().detail + ")");
            left.push_back(std::move(subtitle));
        }
    }
    subtitles_ = std::move(left);
}

} // namespace tarnwick::driver
