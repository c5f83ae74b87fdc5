#include "driver/part_files.h"

#include "platform/app_paths.h"
#include "transfer/file_system.h"
#include "transfer/part_file.h"

#include <filesystem>
#include <set>

namespace tarnwick::driver {
namespace {

// Where earlier versions kept the page being resolved.
constexpr const char* kOldPageFile = "Parse.wvi";

bool IsOurs(const std::string& file_name) {
    return file_name.ends_with(transfer::PartFile::kSuffix);
}

} // namespace

PartFiles::PartFiles(list::DownloadQueue& queue) : queue_(queue) { queue_.AddObserver(this); }

PartFiles::~PartFiles() { queue_.RemoveObserver(this); }

void PartFiles::OnRemoving(int position) {
    if (keep_removed_) return;
    // A file that cannot be removed now is a stray the next start sweeps.
    for (const std::string& path : list::KeptFilesOf(queue_.At(position))) {
        (void)transfer::files::Remove(path);
    }
}

void PartFiles::RemoveAll() {
    for (int position = 0; position < queue_.Count(); ++position) {
        const list::DownloadItem& item = queue_.At(position);
        if (!item.rare->kept) continue;
        // Forgotten either way: one that stays is a stray the next start sweeps.
        for (const std::string& path : list::KeptFilesOf(item)) (void)transfer::files::Remove(path);
        queue_.Modify(item.key, list::ForgetKeptFile);
    }
}

void PartFiles::RemoveStrays(const std::string& download_folder, const std::string& cache_folder) {
    std::set<std::string> owned;
    for (int position = 0; position < queue_.Count(); ++position) {
        for (const std::string& path : list::KeptFilesOf(queue_.At(position))) owned.insert(path);
    }
    std::error_code error;
    const std::filesystem::directory_iterator end;
    for (std::filesystem::directory_iterator entry(download_folder, error); !error && entry != end;
         entry.increment(error)) {
        const std::string path = entry->path().string();
        if (IsOurs(entry->path().filename().string()) && owned.count(path) == 0) {
            // One that cannot go now is tried again at the next start.
            (void)transfer::files::Remove(path);
        }
    }
    if (!cache_folder.empty()) {
        // Mostly not there at all.
        (void)transfer::files::Remove(platform::JoinPath(cache_folder, kOldPageFile));
    }
}

} // namespace tarnwick::driver
