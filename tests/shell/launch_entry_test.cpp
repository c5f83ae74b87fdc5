#include "shell/launch_entry.h"

#include "shell_harness.h"

namespace tarnwick::shell {
namespace {

class LaunchEntryTest : public ShellHarness {
protected:
    LaunchEntry launches{entry, runs, window};
};

TEST(AddressesOfCommandLine, TakesWhatIsNoOption) {
    EXPECT_EQ(AddressesOfCommandLine(
                  {"tarnwick", "--no-clipboard-polling", "a.com/1", "b.com/2", "--", "--c"}),
              (std::vector<std::string>{"a.com/1", "b.com/2", "--c"}));
    EXPECT_TRUE(AddressesOfCommandLine({"tarnwick"}).empty());
}

TEST_F(LaunchEntryTest, OwnTextsComeFirstThenWhatLaterLaunchesHandedOverWhileItStarted) {
    launches.Add("http://www.putfile.com/later");
    launches.Finish();
    EXPECT_TRUE(queue.IsEmpty()) << "nothing is listed before the list is back";
    launches.TakeOwn({"www.putfile.com/own", "  "});
    EXPECT_EQ(Addresses(), (std::vector<std::string>{"http://www.putfile.com/own",
                                                     "http://www.putfile.com/later"}));
    EXPECT_EQ(log.back(), "front");
}

TEST_F(LaunchEntryTest, AListedAddressStartsARunAndTheWindowComesToTheFront) {
    launches.TakeOwn({});
    window.visible = false;
    launches.Add("http://www.putfile.com/1");
    launches.Add("http://www.putfile.com/2");
    launches.Finish();
    EXPECT_TRUE(window.visible);
    EXPECT_FALSE(run.IsRunning());
    clock.Advance(kStartDelay);
    EXPECT_TRUE(run.IsRunning()) << "one start, after the delay";
    run.Stop();
}

TEST_F(LaunchEntryTest, ALaunchWithoutAddressesOnlyShowsTheWindow) {
    launches.TakeOwn({});
    launches.Finish();
    clock.Advance(kStartDelay);
    EXPECT_FALSE(run.IsRunning());
    EXPECT_EQ(log.back(), "front");
}

TEST_F(LaunchEntryTest, EveryAddressOfALongCommandLineIsListed) {
    std::vector<std::string> texts;
    for (int i = 0; i < 500; ++i) texts.push_back("http://www.putfile.com/" + std::to_string(i));
    launches.TakeOwn({});
    for (const std::string& text : texts) launches.Add(text);
    launches.Finish();
    EXPECT_EQ(Addresses(), texts);
}

} // namespace
} // namespace tarnwick::shell
