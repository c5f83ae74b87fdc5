#include "driver/download_folder.h"

#include "platform/app_paths.h"
#include "resolve/derived_name.h"
#include "transfer/part_file.h"

#include <cerrno>
#include <filesystem>

namespace tarnwick::driver {
namespace {

// How many numbered names a claim tries before it gives up.
constexpr int kMostNumbers = 1000;
// The longest file name, in bytes, that file systems take.
constexpr size_t kMostNameBytes = 255;

} // namespace

namespace {

// Where the folder is not a full path: files go to the chosen folder or
// nowhere, never relative to wherever the program happens to run.
Status RequireFullPath(const std::string& folder) {
    if (!folder.empty() && std::filesystem::path(folder).is_absolute()) return {};
    return Failure{Reason::kFolderUnusable, 0, "The download folder is not a full path"};
}

// The failure of a folder that the system refused with `failure`.
Failure Unusable(const Failure& failure) {
    Failure unusable = failure;
    unusable.reason = Reason::kFolderUnusable;
    return unusable;
}

} // namespace

Status PrepareFolder(const std::string& folder) {
    if (Status full = RequireFullPath(folder); !full) return full;
    if (Status made = transfer::files::CreateFolder(folder); !made) return Unusable(made.failure());
    return {};
}

Status TryWritingIn(const std::string& folder) {
    if (Status full = RequireFullPath(folder); !full) return full;
    Failure refused = transfer::files::FileError(EEXIST);
    for (int number = 1; number <= kMostNumbers && refused.system == std::errc::file_exists;
         ++number) {
        const std::string trial = platform::JoinPath(
            folder, ".write-check-" + std::to_string(number) + transfer::PartFile::kSuffix);
        const Result<int> made = transfer::files::CreateNew(trial);
        if (!made) {
            refused = made.failure();
            continue;
        }
        // The trial's bytes do not matter, only that it could be made.
        (void)transfer::files::Close(made.value());
        // A trial that stays is one of our temporary files: the sweep of
        // strays at the next start removes it.
        (void)transfer::files::Remove(trial);
        return {};
    }
    return Unusable(refused);
}

bool IsInFolder(const std::string& path, const std::string& folder) {
    const std::string name = std::filesystem::path(path).filename().string();
    return !name.empty() && platform::JoinPath(folder, name) == path;
}

std::string TemporaryPathFor(const std::string& folder, const std::string& name, list::ItemKey key,
                             int attempt) {
    std::string tail = "." + std::to_string(key);
    if (attempt > 1) tail += "-" + std::to_string(attempt);
    tail += transfer::PartFile::kSuffix;
    const std::string_view stem = resolve::CutAtCharacter(name, kMostNameBytes - tail.size());
    return platform::JoinPath(folder, std::string(stem) + tail);
}

std::string FreeName(const list::DownloadQueue& queue, list::ItemKey key, const std::string& folder,
                     const std::string& name) {
    std::string candidate = name;
    for (int number = 2; number <= kMostNumbers; ++number) {
        if (!queue.IsNameTaken(candidate, key) &&
            !transfer::files::Exists(platform::JoinPath(folder, candidate))) {
            break;
        }
        candidate = resolve::NumberedName(name, number);
    }
    return candidate;
}

std::string FreeTemporaryPath(const std::string& folder, const std::string& name,
                              list::ItemKey key) {
    std::string path;
    for (int attempt = 1; path.empty() || transfer::files::Exists(path); ++attempt)
        path = TemporaryPathFor(folder, name, key, attempt);
    return path;
}

Result<std::string> ClaimNumberedName(transfer::files::FileSystem& files, const std::string& folder,
                                      const std::string& temporary, const std::string& name,
                                      const std::function<bool(const std::string&)>& taken) {
    Failure refused = transfer::files::FileError(EEXIST);
    for (int number = 1; number <= kMostNumbers && refused.system == std::errc::file_exists;
         ++number) {
        const std::string candidate = number == 1 ? name : resolve::NumberedName(name, number);
        if (taken && taken(candidate)) continue;
        const Status claimed =
            transfer::files::ClaimName(files, temporary, platform::JoinPath(folder, candidate));
        if (claimed) return candidate;
        refused = claimed.failure();
    }
    refused.reason = Reason::kNameNotClaimed;
    return refused;
}

Result<std::string> ClaimFinalName(transfer::files::FileSystem& files,
                                   const list::DownloadQueue& queue, list::ItemKey key,
                                   const std::string& folder, const std::string& temporary) {
    const list::DownloadItem* item = queue.Find(key);
    const std::string name = item != nullptr ? item->name : std::string();
    return ClaimNumberedName(files, folder, temporary, name, [&](const std::string& candidate) {
        return queue.IsNameTaken(candidate, key);
    });
}

} // namespace tarnwick::driver
