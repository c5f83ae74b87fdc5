// The files of complete items: opened with the desktop's program for them,
// shown in the file manager, and renamed on disk as the user renames the
// item, so that the list and the download folder never disagree. A complete
// item's file is its name in the download folder.
#pragma once

#include "list/download_queue.h"
#include "platform/file_manager.h"
#include "platform/grid.h"
#include "platform/shell_launch.h"
#include "settings/application_settings.h"
#include "shell/status_line.h"
#include "transfer/file_system.h"

#include <string>

namespace tarnwick::shell {

struct ItemFileServices {
    list::DownloadQueue& queue;
    const settings::AppSettings& settings;
    transfer::files::FileSystem& files;
    platform::ShellLaunch& launch;
    platform::FileManager& file_manager;
    StatusMessages& messages;
    // Names the items that are not complete, in the list alone.
    platform::GridEditHandler& names;
};

class ItemFiles : public platform::GridEditHandler {
public:
    explicit ItemFiles(ItemFileServices services) : s_(services) {}

    // Opens the complete item's file with the desktop's program for its
    // type; what stands in the way (no opener, no program for the type) is
    // told in the status line, once the desktop answered.
    void Open(list::ItemKey key);
    // Shows the complete item's file in the file manager, or opens its
    // folder; where neither can be done, the status line says so.
    void ShowInFolder(list::ItemKey key);

    // A complete item's file takes the cleaned name first (with the file's
    // extension when the name has none), never replacing anything; the item
    // is renamed only when its file was. Refused, the item
    // keeps its name and the status line says why. Other items are named as
    // the list alone names them.
    bool OnFileNameEdited(int row, const std::string& text) override;
    // A file of any item, listed or not, named `name` in what is told.
    void OpenFile(const std::string& path, const std::string& name);
    void ShowFile(const std::string& path, const std::string& name, const std::string& folder);

private:
    std::string PathOf(const std::string& name) const;
    // The complete item's file, or empty when it is not there (told).
    std::string ExistingFile(list::ItemKey key);

    ItemFileServices s_;
};

} // namespace tarnwick::shell
