#include "shell/command_line.h"

#include <gtest/gtest.h>

namespace tarnwick::shell {
namespace {

TEST(ReadCommandLine, KnownOptionsRunWithTheAddresses) {
    const CommandLine line =
        ReadCommandLine({"tarnwick", "a.com/1", "--verbose", "--no-clipboard-polling", "b.com/2"});
    EXPECT_EQ(line.action, LaunchAction::kRun);
    EXPECT_TRUE(line.verbose);
    EXPECT_TRUE(line.no_clipboard_polling);
    EXPECT_EQ(line.addresses, (std::vector<std::string>{"a.com/1", "b.com/2"}));
    EXPECT_FALSE(ReadCommandLine({"tarnwick"}).verbose);
}

TEST(ReadCommandLine, HelpWinsOverTheVersionAndBothOverAnUnknownOption) {
    EXPECT_EQ(ReadCommandLine({"tarnwick", "--bogus", "--version", "-h"}).action,
              LaunchAction::kHelp);
    EXPECT_EQ(ReadCommandLine({"tarnwick", "--bogus", "--version"}).action, LaunchAction::kVersion);
    const CommandLine unknown = ReadCommandLine({"tarnwick", "a.com", "--bogus", "--worse"});
    EXPECT_EQ(unknown.action, LaunchAction::kUnknownOption);
    EXPECT_EQ(unknown.unknown_option, "--bogus");
}

TEST(ReadCommandLine, AfterADoubleDashEverythingIsAnAddress) {
    const CommandLine line = ReadCommandLine({"tarnwick", "--", "--help", "--bogus"});
    EXPECT_EQ(line.action, LaunchAction::kRun);
    EXPECT_EQ(line.addresses, (std::vector<std::string>{"--help", "--bogus"}));
}

} // namespace
} // namespace tarnwick::shell
