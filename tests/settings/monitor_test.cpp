#include "shell/monitor.h"

#include "fakes/fake_app_paths.h"
#include "fakes/fake_shell_launch.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tarnwick::shell {
namespace {

using Launch = fakes::FakeShellLaunch::Launch;

class MonitorTest : public testing::Test {
protected:
    MainState state;
    fakes::FakeAppPaths paths;
    fakes::FakeShellLaunch launch;
    ClipboardWatcher watcher{state, launch, paths, [] { return "4242"; }};
};

TEST_F(MonitorTest, EveryCallLaunchesTheWatcherWithTheChannelOrExit) {
    paths.program_folder = "/opt/tarnwick/";
    EXPECT_TRUE(watcher.Monitor(true));
    EXPECT_TRUE(state.MonitorEnabled);
    watcher.Monitor(true);
    watcher.Monitor(false);
    EXPECT_FALSE(state.MonitorEnabled);
    watcher.Monitor(false);
    const std::string program = "/opt/tarnwick/tarnwick-clip";
    EXPECT_EQ(
        launch.launches,
        (std::vector<Launch>{
            {program, {"4242"}}, {program, {"4242"}}, {program, {"Exit"}}, {program, {"Exit"}}}));
}

TEST_F(MonitorTest, AWatcherThatCannotStartLeavesTheSwitchAsAsked) {
    launch.programs_exist = false;
    EXPECT_FALSE(watcher.Monitor(true));
    EXPECT_TRUE(state.MonitorEnabled);
    EXPECT_FALSE(watcher.Monitor(false));
    EXPECT_FALSE(state.MonitorEnabled);
}

TEST_F(MonitorTest, WithoutAChannelYetTheWatcherGetsAnEmptyAddress) {
    ClipboardWatcher unwired{state, launch, paths, nullptr};
    unwired.Monitor(true);
    ASSERT_EQ(launch.launches.size(), 1u);
    EXPECT_EQ(launch.launches[0].arguments, std::vector<std::string>{""});
    EXPECT_TRUE(state.MonitorEnabled);
}

} // namespace
} // namespace tarnwick::shell
