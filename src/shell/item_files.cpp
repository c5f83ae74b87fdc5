#include "shell/item_files.h"

#include "platform/app_paths.h"
#include "resolve/file_naming.h"
#include "resolve/typed_name.h"

#include <cerrno>

namespace tarnwick::shell {
namespace {

std::string Quoted(const std::string& name) { return "\"" + name + "\""; }

// Why the desktop did not open the file `name`.
std::string NotOpenedText(platform::Opened how, const std::string& name) {
    const std::string extension(resolve::ExtensionOf(name));
    const std::string files =
        extension.empty() ? "files like " : Quoted(extension) + " files like ";
    switch (how) {
        case platform::Opened::kYes: break;
        case platform::Opened::kNoOpener:
            return "No program could be started to open " + Quoted(name);
        case platform::Opened::kNoProgram:
            return "No program is set to open " + files + Quoted(name);
        case platform::Opened::kProgramFailed:
            return Quoted(name) + " did not open: the desktop has no working program for " +
                   (extension.empty() ? "its type" : Quoted(extension) + " files");
    }
    return {};
}

// Why neither the file manager nor the opener showed the file `name` in
// `folder`.
std::string NotShownText(platform::Opened how, const std::string& name, const std::string& folder) {
    if (how == platform::Opened::kProgramFailed)
        return "No file manager could show " + Quoted(name);
    return "No file manager answered, and no program opens folders: " + Quoted(name) + " is in " +
           Quoted(folder);
}

} // namespace

std::string ItemFiles::PathOf(const std::string& name) const {
    return platform::JoinPath(s_.settings.download_dir, name);
}

std::string ItemFiles::ExistingFile(list::ItemKey key) {
    const list::DownloadItem* item = s_.queue.Find(key);
    if (item == nullptr || item->state != list::ItemState::kComplete) return {};
    const std::string path = PathOf(item->name);
    if (transfer::files::Exists(path)) return path;
    s_.messages.ShowMessage(Quoted(item->name) + " is no longer in the download folder");
    return {};
}

void ItemFiles::Open(list::ItemKey key) {
    const std::string path = ExistingFile(key);
    if (!path.empty()) OpenFile(path, s_.queue.Find(key)->name);
}

void ItemFiles::ShowInFolder(list::ItemKey key) {
    const std::string path = ExistingFile(key);
    if (!path.empty()) ShowFile(path, s_.queue.Find(key)->name, s_.settings.download_dir);
}

void ItemFiles::OpenFile(const std::string& path, const std::string& name) {
    StatusMessages& messages = s_.messages;
    s_.launch.OpenDocument(path, "", [&messages, name](platform::Opened how) {
        if (how != platform::Opened::kYes) messages.ShowMessage(NotOpenedText(how, name));
    });
}

void ItemFiles::ShowFile(const std::string& path, const std::string& name,
                         const std::string& folder) {
    StatusMessages& messages = s_.messages;
    s_.file_manager.ShowInFolder(path, [&messages, name, folder](platform::Opened how) {
        if (how != platform::Opened::kYes) messages.ShowMessage(NotShownText(how, name, folder));
    });
}

bool ItemFiles::OnFileNameEdited(int row, const std::string& text) {
    if (row < 0 || row >= s_.queue.Count()) return false;
    const list::DownloadItem& item = s_.queue.At(row);
    if (item.state != list::ItemState::kComplete) return s_.names.OnFileNameEdited(row, text);
    const std::string name = resolve::TypedFileName(text, item.name);
    if (name.empty() || name == resolve::kEnterFileName) return false;
    if (name == item.name) return true;
    const list::ItemKey key = item.key;
    const std::string old_name = item.name;
    if (ExistingFile(key).empty()) return false;
    const Status claimed = transfer::files::ClaimName(s_.files, PathOf(old_name), PathOf(name));
    if (transfer::files::FailedWith(claimed, EEXIST)) {
        s_.messages.ShowMessage("The download folder has a file named " + Quoted(name) +
                                " already: the item keeps its name");
        return false;
    }
    if (!claimed) {
        s_.messages.ShowMessage(Quoted(old_name) + " could not be renamed (" +
                                claimed.failure().detail + "): the item keeps its name");
        return false;
    }
    s_.queue.Rename(key, name);
    return true;
}

} // namespace tarnwick::shell
