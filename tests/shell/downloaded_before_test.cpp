// A video the history holds is not listed again, whoever gives its address,
// while its file is there and the user does not ask to download it again.
#include "shell/downloaded_before.h"

#include "fakes/fake_history_store.h"
#include "handoff/handoff_request.h"
#include "shell/browser_entry.h"
#include "shell/skin_variables.h"
#include "shell_harness.h"

#include <set>

namespace tarnwick::shell {
namespace {

// Noon of 2026-12-09 (UTC): the same day in every time zone within 11 hours.
constexpr int64_t kDay = 1796817600;

class DownloadedBeforeTest : public ShellHarness {
protected:
    DownloadedBeforeTest() {
        (void)history.Record(
            {0, "https://a.example/v", "", "Harbour", "/videos/Harbour.mp4", 9, kDay, 0});
        (void)history.Record({0, "", "youtube abc", "", "", 0, kDay, 4});
        files.insert("/videos/Harbour.mp4");
    }
    fakes::FakeHistoryStore history;
    std::set<std::string> files;
    bool again = false;
    PastDownloads past{{&history, [this](const std::string& path) { return files.count(path) > 0; },
                        [this] { return again; }}};
    AddressEntry typed{queue, status, values, &past};
};

TEST_F(DownloadedBeforeTest, CountsWhileItsFileIsThereUnlessAskedAgain) {
    EXPECT_EQ(past.Before("https://a.example/v")->title, "Harbour");
    EXPECT_EQ(past.Last()->path, "/videos/Harbour.mp4") << "for the status line's Show";
    EXPECT_FALSE(past.Before("https://b.example/v"));
    EXPECT_TRUE(past.Before("https://b.example/v", "youtube abc")) << "imported, without a file";
    again = true;
    EXPECT_FALSE(past.Before("https://a.example/v"));
    again = false;
    files.clear();
    EXPECT_FALSE(past.Before("https://a.example/v")) << "its file is gone";
}

TEST_F(DownloadedBeforeTest, ATypedOrCopiedAddressIsToldNotListed) {
    typed.Add("https://a.example/v");
    EXPECT_EQ(queue.Count(), 0);
    EXPECT_EQ(skin.variables[kSkinStatusText],
              "Downloaded before on 2026-12-09: Harbour \u2014 Show");
    typed.Add("https://www.youtube.com/watch?v=abc&t=1");
    EXPECT_EQ(queue.Count(), 0) << "a site's video by its id, whatever its address";
    typed.Add("https://c.example/new", list::Origin::kClipboard);
    ASSERT_EQ(queue.Count(), 1);
    EXPECT_EQ(queue.At(0).rare->origin, list::Origin::kClipboard);
}

TEST_F(DownloadedBeforeTest, TheBrowserIsAnsweredWhyAndTheWindowSaysIt) {
    BrowserEntry browser{queue, runs, status, &past};
    browser.Started();
    handoff::HandedItem item;
    item.url = "https://a.example/v";
    EXPECT_EQ(browser.Take(handoff::ChannelItemLine(item)),
              handoff::AnswerLine(handoff::ItemReply::Result::kRefused,
                                  "Downloaded before on 2026-12-09: Harbour"));
    EXPECT_EQ(queue.Count(), 0);
    EXPECT_EQ(skin.variables[kSkinStatusText],
              "Downloaded before on 2026-12-09: Harbour \u2014 Show");
}

} // namespace
} // namespace tarnwick::shell
