// An item's own choice of quality: the form made of what its page offers,
// the choice made of the user's picks, and what becomes of the item.
#include "shell/item_quality.h"

#include "fakes/fake_child_processes.h"
#include "fakes/fake_clock.h"
#include "list/add_video_url.h"

#include <gtest/gtest.h>

namespace tarnwick::shell {
namespace {

using resolve::QualityPreferences;
using resolve::SoundOnly;

resolve::QualityOffers SomeOffers() {
    resolve::QualityOffers offers;
    offers.heights = {{1080, 50LL << 20}, {720, std::nullopt}, {360, 3LL << 20}};
    offers.sound = true;
    offers.subtitles = {{"en", "English", "https://s/en", "vtt", false, false},
                        {"en", "", "https://s/a-en", "vtt", true, false},
                        {"de", "", "https://s/a-de", "vtt", true, true}};
    return offers;
}

TEST(QualityFormTest, ShowsWhatThePageOffersAndTheChoiceInForce) {
    const QualityPreferences current{
        800, resolve::PreferredContainer::kMkv, SoundOnly::kOff, {"en", "fr"}};
    const QualityFormMade made = MakeQualityForm(SomeOffers(), current, "Clip.mp4", "");
    const platform::QualityForm& form = made.form;
    EXPECT_EQ(form.picture.options, (std::vector<std::string>{"Best (1080p)", "1080p — 50.0 MB",
                                                              "720p", "360p — 3.0 MB"}));
    EXPECT_EQ(form.picture.chosen, 2) << "a cap of 800 comes to 720";
    EXPECT_EQ(form.format.chosen, 1);
    ASSERT_EQ(form.subtitles.size(), 4u);
    EXPECT_EQ(form.subtitles[0].label, "English (en)");
    EXPECT_TRUE(form.subtitles[0].checked);
    EXPECT_EQ(form.subtitles[1].label, "en, automatic");
    EXPECT_FALSE(form.subtitles[1].checked) << "automatic ones were not asked for";
    EXPECT_EQ(form.subtitles[2].label, "de, machine-translated");
    EXPECT_TRUE(form.subtitles[2].translated);
    EXPECT_EQ(form.subtitles[3].label, "fr (not on this page)");
    EXPECT_TRUE(form.subtitles[3].checked) << "asked for, to be let go";
}

TEST(QualityFormTest, PicksBecomeTheItemsChoice) {
    const QualityFormMade made = MakeQualityForm(SomeOffers(), {}, "Clip.mp4", "");
    EXPECT_EQ(ChoiceOfPicks(made, {3, 0, 2, {1, 2}, true}),
              (QualityPreferences{360,
                                  resolve::PreferredContainer::kMp4,
                                  SoundOnly::kMp3,
                                  {"en", "de"},
                                  true,
                                  true,
                                  true}));
    EXPECT_EQ(ChoiceOfPicks(made, {0, 2, 0, {}, false}).container,
              resolve::PreferredContainer::kBest);
    const QualityFormMade unknown = MakeQualityForm(std::nullopt, {}, "x", "why");
    EXPECT_EQ(unknown.form.picture.options.size(), 7u) << "the usual heights";
    EXPECT_EQ(ChoiceOfPicks(unknown, {4, 0, 0, {}, false}).max_height, 720);
}

class FakeQualityDialog : public platform::QualityDialog {
public:
    void Show(const platform::QualityForm& form, Answer on_answer) override {
        shown.push_back(form);
        answer = std::move(on_answer);
    }
    std::vector<platform::QualityForm> shown;
    Answer answer;
};

class NoMessages : public StatusMessages {
public:
    void ShowMessage(const std::string& text, platform::Duration) override { told.push_back(text); }
    void ShowMessage(const std::string& text) override { told.push_back(text); }
    std::vector<std::string> told;
};

class ItemQualityTest : public testing::Test {
protected:
    list::DownloadQueue queue;
    FakeQualityDialog dialog;
    NoMessages messages;
    fakes::FakeClock clock;
    fakes::FakeChildProcesses children;
    driver::YtDlpTool tool{children, [] { return std::chrono::sys_days(std::chrono::days(0)); }};
    std::vector<list::ItemKey> restarted;
    bool under_way = false;
    ItemQuality quality{{.queue = queue,
                         .dialog = dialog,
                         .messages = messages,
                         .clock = clock,
                         .children = &children,
                         .ytdlp = &tool,
                         .uses_ytdlp = [] { return true; },
                         .settings_choice = [] { return QualityPreferences{480}; },
                         .restart = [this](list::ItemKey key) { restarted.push_back(key); },
                         .is_under_way = [this](list::ItemKey) { return under_way; }}};
};

TEST_F(ItemQualityTest, ThePageIsAskedAndTheChoiceIsKeptWithTheItemWhichStartsAgain) {
    children.programs["yt-dlp"] = "/usr/bin/yt-dlp";
    list::AddVideoURL(queue, "https://videos.example/watch/1", true);
    const list::ItemKey key = queue.LastKey();
    queue.Modify(key, [](list::DownloadItem& item) { item.rare->resolved = "{\"video\":{}}"; });
    quality.Open(key);
    ASSERT_FALSE(children.started.empty());
    const size_t ask = children.started.size() - 1;
    EXPECT_EQ(children.started[ask]->request.arguments.back(), "https://videos.example/watch/1");
    children.End(ask, {.out = R"({"title":"t","formats":[{"url":"https://c/1","height":720,)"
                              R"("vcodec":"avc1","acodec":"mp4a"}]})"});
    ASSERT_EQ(dialog.shown.size(), 1u);
    EXPECT_EQ(dialog.shown[0].picture.options, (std::vector<std::string>{"Best (720p)", "720p"}));
    EXPECT_EQ(dialog.shown[0].picture.chosen, 1) << "the settings' cap of 480 comes to 720";

    under_way = true;
    dialog.answer(platform::QualityPicks{0, 0, 1, {}, false});
    EXPECT_EQ(queue.Find(key)->rare->choice, (QualityPreferences{0, {}, SoundOnly::kM4a}));
    EXPECT_EQ(queue.Find(key)->rare->resolved, "") << "chosen for another choice";
    EXPECT_EQ(restarted, std::vector<list::ItemKey>{key});
}

TEST_F(ItemQualityTest, WithoutYtDlpTheUsualChoicesAndACancelChangesNothing) {
    list::AddVideoURL(queue, "https://videos.example/watch/2", true);
    const list::ItemKey key = queue.LastKey();
    quality.Open(key);
    ASSERT_EQ(dialog.shown.size(), 1u);
    EXPECT_EQ(dialog.shown[0].note, "What this page offers is not known without yt-dlp.");
    dialog.answer(std::nullopt);
    EXPECT_EQ(queue.Find(key)->rare->choice, std::nullopt);
    EXPECT_TRUE(restarted.empty());
}

} // namespace
} // namespace tarnwick::shell
