#include "shell/browser_entry.h"

#include "handoff/handoff_request.h"
#include "resolve/site_index.h"
#include "shell/skin_variables.h"
#include "shell_harness.h"

namespace tarnwick::shell {
namespace {

class BrowserEntryTest : public ShellHarness {
protected:
    static std::string Line(const std::string& url, const std::string& name = "") {
        handoff::HandedItem item;
        item.url = url;
        item.name = name;
        item.context.referrer = "https://pages.example/";
        return handoff::ChannelItemLine(item);
    }
    BrowserEntry browser{queue, runs, status};
};

TEST_F(BrowserEntryTest, ItemsAreListedWithTheirContextAndAnsweredOneByOne) {
    EXPECT_EQ(
        browser.Take(Line("https://a.example/v.mp4")).rfind("refused Tarnwick is starting", 0), 0u)
        << "nothing is listed before the list is back";
    browser.Started();
    EXPECT_EQ(browser.Take(Line("https://a.example/v.mp4", "../../Holiday clip.mp4")), "added");
    EXPECT_EQ(browser.Take(Line("https://a.example/v.mp4")), "listed");
    EXPECT_EQ(
        browser.Take("{\"url\":\"file:///etc/passwd\",\"origin\":\"link\"}").rfind("refused ", 0),
        0u);
    ASSERT_EQ(queue.Count(), 1);
    EXPECT_EQ(queue.At(0).rare->context.referrer, "https://pages.example/");
    EXPECT_EQ(queue.At(0).rare->title, "Holiday clip") << "its last component, without the type";
    EXPECT_EQ(queue.At(0).site, resolve::kSiteGeneral)
        << "read as the user asked, whatever the setting";
    browser.Finish();
    EXPECT_EQ(skin.variables[kSkinStatusText], "Added 1 item from the browser");
    clock.Advance(kStartDelay);
    EXPECT_NE(queue.At(0).state, list::ItemState::kWaiting) << "a run took it";
}

} // namespace
} // namespace tarnwick::shell
