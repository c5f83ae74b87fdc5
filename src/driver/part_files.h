// The temporary files the items own. One goes with its item when the item
// is removed or cleared (unless whoever removes it takes the file over), all
// of them go at exit, and at start-up any of ours in the download folder that
// no listed item owns goes too, with the page file that earlier versions left
// in the cache folder.
#pragma once

#include "list/download_queue.h"

#include <string>

namespace tarnwick::driver {

class PartFiles : private list::QueueObserver {
public:
    explicit PartFiles(list::DownloadQueue& queue);
    ~PartFiles() override;
    PartFiles(const PartFiles&) = delete;
    PartFiles& operator=(const PartFiles&) = delete;

    // Removes every item's temporary file.
    void RemoveAll();
    // While on, a removed item's temporary file stays where it is: whoever
    // removes items so takes their files over.
    void KeepFilesOfRemovedItems(bool keep) { keep_removed_ = keep; }
    // Removes our temporary files in `download_folder` that no item owns, and
    // the page file in `cache_folder`. Links are removed, never followed.
    void RemoveStrays(const std::string& download_folder, const std::string& cache_folder);

private:
    void OnRemoving(int position) override;

    list::DownloadQueue& queue_;
    bool keep_removed_ = false;
};

} // namespace tarnwick::driver
