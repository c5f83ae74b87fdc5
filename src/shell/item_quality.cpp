#include "shell/item_quality.h"

#include "resolve/site_index.h"

#include <utility>

namespace tarnwick::shell {

std::optional<std::string> ItemQuality::YtDlpProgram() const {
    if (s_.children == nullptr || s_.ytdlp == nullptr) return std::nullopt;
    if (!s_.uses_ytdlp || !s_.uses_ytdlp()) return std::nullopt;
    return s_.ytdlp->Find();
}

void ItemQuality::Open(list::ItemKey key) {
    const list::DownloadItem* item = s_.queue.Find(key);
    if (item == nullptr) return;
    const std::optional<std::string> program = YtDlpProgram();
    if (item->site != resolve::kSiteGeneral || !program) {
        return Show(key, std::nullopt,
                    program ? "" : "What this page offers is not known without yt-dlp.");
    }
    s_.messages.ShowMessage("Asking yt-dlp what this page offers…");
    asking_ = std::make_unique<driver::YtDlpAsk>(*s_.children, s_.clock);
    asking_->Start(
        *program, item->page_address,
        [this, key](Result<resolve::YtDlpAnswer> answer) { OnAnswer(key, std::move(answer)); },
        driver::LoginForYtDlp(item->rare->context, s_.logins ? s_.logins() : driver::UserLogins{}));
}

void ItemQuality::OnAnswer(list::ItemKey key, Result<resolve::YtDlpAnswer> answer) {
    // The ask is let go at the next opening, outside its own call.
    if (!answer) {
        return Show(key, std::nullopt,
                    "What this page offers could not be read: " + answer.failure().detail);
    }
    if (answer.value().is_playlist) {
        return Show(key, std::nullopt, "This is a playlist: the choice goes to all its videos.");
    }
    Show(key, resolve::OffersOf(answer.value()), "");
}

void ItemQuality::Show(list::ItemKey key, const std::optional<resolve::QualityOffers>& offers,
                       const std::string& note) {
    const list::DownloadItem* item = s_.queue.Find(key);
    if (item == nullptr) return;
    const resolve::QualityPreferences current = item->rare->choice ? *item->rare->choice
                                                : s_.settings_choice
                                                    ? s_.settings_choice()
                                                    : resolve::QualityPreferences{};
    const std::string heading = item->name.empty() ? item->page_address : item->name;
    shown_ = MakeQualityForm(offers, current, heading, note);
    s_.dialog.Show(shown_.form, [this, key](std::optional<platform::QualityPicks> picks) {
        OnPicks(key, picks);
    });
}

// The choice is the item's from now on; what yt-dlp chose for it before
// was chosen for another.
void ItemQuality::OnPicks(list::ItemKey key, const std::optional<platform::QualityPicks>& picks) {
    if (!picks || s_.queue.Find(key) == nullptr) return;
    const resolve::QualityPreferences choice = ChoiceOfPicks(shown_, *picks);
    s_.queue.Modify(key, [&](list::DownloadItem& item) {
        item.rare->choice = choice;
        item.rare->resolved.clear();
    });
    if (s_.is_under_way && s_.is_under_way(key) && s_.restart) s_.restart(key);
}

} // namespace tarnwick::shell
