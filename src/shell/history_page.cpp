#include "shell/history_page.h"

#include "list/rare_fields.h"
#include "platform/clock.h"
#include "resolve/file_naming.h"
#include "resolve/video_identity.h"
#include "shell/downloaded_before.h"
#include "shell/skin_variables.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>

namespace tarnwick::shell {
namespace {

std::string Flat(std::string text) {
    std::replace_if(
        text.begin(), text.end(), [](char c) { return c == '\t' || c == '\n' || c == '\r'; }, ' ');
    return text;
}

// yt-dlp's archives hold a short line a video: this is millions of them.
constexpr std::uintmax_t kLargestArchive = 64u << 20;

std::optional<std::string> ReadWhole(const std::string& path) {
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error || size > kLargestArchive) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    std::string text(static_cast<size_t>(size), '\0');
    if (!in.read(text.data(), static_cast<std::streamsize>(text.size()))) return std::nullopt;
    return text;
}

// Written beside it first, then put in its place whole.
bool WriteWhole(const std::string& path, const std::string& text) {
    const std::string part = path + ".tarnwick.part";
    {
        std::ofstream out(part, std::ios::binary | std::ios::trunc);
        if (!(out << text) || !out.flush()) {
            std::filesystem::remove(part);
            return false;
        }
    }
    std::error_code error;
    std::filesystem::rename(part, path, error);
    if (error) std::filesystem::remove(part, error);
    return !error;
}

} // namespace

std::string HistoryRowText(const platform::HistoryEntry& entry) {
    const std::string folder = entry.path.empty()
                                   ? std::string()
                                   : std::filesystem::path(entry.path).parent_path().string();
    const std::string size = entry.path.empty()
                                 ? std::string()
                                 : resolve::FormatFileSize(static_cast<float>(entry.size));
    return LocalDateText(entry.completed_at) + "\t" + Flat(EntryName(entry)) + "\t" + size + "\t" +
           Flat(folder) + "\n";
}

int64_t HistoryPage::Variable(const char* name, int64_t fallback) const {
    const std::string text = s_.skin.GetVariable(name);
    int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() ? value : fallback;
}

void HistoryPage::Search() {
    search_ = s_.skin.GetVariable(kSkinHistorySearch);
    s_.skin.SetVariable(kSkinHistoryFirst, "0");
    Show();
}

void HistoryPage::Show() {
    if (s_.history == nullptr) return;
    const int64_t count = s_.history->Count(search_);
    const int rows =
        static_cast<int>(std::clamp<int64_t>(Variable(kSkinHistoryShown, 20), 1, kMostRows));
    first_ =
        std::clamp<int64_t>(Variable(kSkinHistoryFirst, 0), 0, std::max<int64_t>(count - rows, 0));
    shown_ = s_.history->Page(search_, first_, rows);
    std::string text;
    for (const platform::HistoryEntry& entry : shown_) text += HistoryRowText(entry);
    s_.skin.SetVariable(kSkinHistoryCount, std::to_string(count));
    s_.skin.SetVariable(kSkinHistoryFirst, std::to_string(first_));
    s_.skin.SetVariable(kSkinHistoryRows, text);
}

std::optional<platform::HistoryEntry> HistoryPage::Chosen() const {
    const int64_t row = Variable(kSkinHistorySelected, -1) - first_;
    if (row < 0 || row >= static_cast<int64_t>(shown_.size())) return std::nullopt;
    return shown_[static_cast<size_t>(row)];
}

void HistoryPage::Open() {
    const std::optional<platform::HistoryEntry> chosen = Chosen();
    if (!chosen) return;
    if (chosen->path.empty())
        return s_.messages.ShowMessage("This entry has no file: it was imported");
    s_.files.OpenFile(chosen->path, EntryName(*chosen));
}

void HistoryPage::ShowInFolder() {
    const std::optional<platform::HistoryEntry> chosen = Chosen();
    if (!chosen) return;
    if (chosen->path.empty())
        return s_.messages.ShowMessage("This entry has no file: it was imported");
    s_.files.ShowFile(chosen->path, EntryName(*chosen),
                      std::filesystem::path(chosen->path).parent_path().string());
}

void HistoryPage::ShowDownloadedBefore() {
    if (s_.past == nullptr || !s_.past->Last()) return;
    const platform::HistoryEntry& before = *s_.past->Last();
    if (before.path.empty())
        return s_.messages.ShowMessage("This entry has no file: it was imported");
    s_.files.ShowFile(before.path, EntryName(before),
                      std::filesystem::path(before.path).parent_path().string());
}

void HistoryPage::CopyAddress() {
    const std::optional<platform::HistoryEntry> chosen = Chosen();
    if (!chosen || chosen->page_address.empty()) return;
    s_.clipboard.SetText(chosen->page_address);
    s_.messages.ShowMessage("Copied the address");
}

void HistoryPage::DownloadAgain() {
    const std::optional<platform::HistoryEntry> chosen = Chosen();
    if (!chosen || chosen->page_address.empty()) return;
    s_.entry.Add(chosen->page_address, list::Origin::kTyped, true);
}

void HistoryPage::Remove() {
    const std::optional<platform::HistoryEntry> chosen = Chosen();
    if (!chosen) return;
    if (const Status removed = s_.history->Remove(chosen->id); !removed)
        s_.messages.ShowMessage("The history could not be changed: " + removed.failure().detail);
    Show();
}

void HistoryPage::Clear() {
    if (s_.history == nullptr) return;
    const platform::MessageAnswer answer = s_.box.Show(
        "Forget every video in the history? The files stay where they are.", "Clear history",
        platform::MessageIcon::Question, platform::MessageButtons::YesNo);
    if (answer != platform::MessageAnswer::Yes) return;
    if (const Status cleared = s_.history->Clear(); !cleared)
        s_.messages.ShowMessage("The history could not be cleared: " + cleared.failure().detail);
    s_.skin.SetVariable(kSkinHistoryFirst, "0");
    Show();
}

void HistoryPage::Import() {
    if (s_.history == nullptr) return;
    const std::string path = s_.chooser.ChooseFile("Choose a yt-dlp download archive", "");
    if (path.empty()) return;
    const std::optional<std::string> text = ReadWhole(path);
    if (!text) return s_.messages.ShowMessage("The archive could not be read: " + path);
    const std::vector<std::string> identities = resolve::ReadArchive(*text);
    const int64_t now = s_.wall_seconds ? s_.wall_seconds() : platform::SystemWallSeconds();
    const Result<int64_t> added =
        s_.history->Import(identities, now, static_cast<int>(list::Origin::kImported));
    if (!added)
        return s_.messages.ShowMessage("The archive could not be imported: " +
                                       added.failure().detail);
    s_.messages.ShowMessage(
        "Imported " + std::to_string(added.value()) + " videos from yt-dlp's archive; " +
        std::to_string(static_cast<int64_t>(identities.size()) - added.value()) +
        " were in the history already");
    Show();
}

void HistoryPage::Export() {
    if (s_.history == nullptr) return;
    const std::string path =
        s_.chooser.ChooseFileToWrite("Export the history as a yt-dlp archive", "", "archive.txt");
    if (path.empty()) return;
    const std::vector<std::string> identities = s_.history->Identities();
    const std::string text = resolve::ArchiveText(identities);
    if (!WriteWhole(path, text))
        return s_.messages.ShowMessage("The archive could not be written: " + path);
    s_.messages.ShowMessage("Exported " +
                            std::to_string(std::count(text.begin(), text.end(), '\n')) +
                            " videos as yt-dlp's archive");
}

} // namespace tarnwick::shell
