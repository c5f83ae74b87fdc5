// The real browser host, as a browser starts it: what it refuses, each with
// its reason and nothing else, and an item from the browser, with its
// cookies, handed to a program the host starts itself and downloaded
// byte-exact.
#include "app/program_home.h"
#include "handoff/native_framing.h"
#include "handoff/our_extension.h"

#include <QProcess>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>
#include <string>
#include <variant>
#include <vector>

namespace tarnwick {
namespace {

constexpr int kWaitMs = 30000;
const QString kChromiumCaller =
    QStringLiteral("chrome-extension://%1/").arg(handoff::kChromiumExtensionId);

class BrowserHostTest : public testing::Test {
protected:
    // Runs the host with `arguments` on `input` to its end; its replies.
    std::vector<std::string> RunHost(const QStringList& arguments, const std::string& input) {
        QProcess host;
        host.setProcessEnvironment(home.Environment());
        host.setProcessChannelMode(QProcess::SeparateChannels);
        host.start(TARNWICK_BROWSER_HOST, arguments);
        EXPECT_TRUE(host.waitForStarted(kWaitMs));
        host.write(input.data(), static_cast<qint64>(input.size()));
        host.closeWriteChannel();
        EXPECT_TRUE(host.waitForFinished(kWaitMs));
        const QByteArray out = host.readAllStandardOutput();
        handoff::FrameReader reader;
        reader.Append(std::string_view(out.constData(), static_cast<size_t>(out.size())));
        std::vector<std::string> replies;
        for (auto found = reader.Next();
             std::holds_alternative<handoff::FrameReader::Message>(found); found = reader.Next()) {
            replies.push_back(std::get<handoff::FrameReader::Message>(found).json);
        }
        EXPECT_FALSE(reader.HasPartial()) << "nothing but whole replies on its output";
        return replies;
    }
    // The program the host started: its process id is in its channel's name.
    void EndTheProgram() {
        for (const auto& entry : std::filesystem::directory_iterator(home.File("run"))) {
            const std::string name = entry.path().filename().string();
            if (!name.starts_with("tarnwick-channel-")) continue;
            ::kill(std::stoi(name.substr(name.rfind('-') + 1)), SIGTERM);
        }
    }

    test_support::ProgramHome home{{"URL Mon", "False"}};
};

TEST_F(BrowserHostTest, EveryHostileMessageGetsItsReasonAndNothingElseHappens) {
    std::vector<std::string> replies = RunHost({"/some/manifest.json", "other@example.org"},
                                               handoff::FrameMessage("{\"type\":\"ping\"}"));
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_NE(replies[0].find("own extension only"), std::string::npos) << replies[0];

    const uint32_t too_long = handoff::kMaxIncomingBytes + 1;
    replies = RunHost(
        {kChromiumCaller},
        handoff::FrameMessage("{\"type\":\"ping\"}") + handoff::FrameMessage("{\"type\":") +
            handoff::FrameMessage(
                R"({"type":"add","items":[{"url":"file:///etc/passwd","origin":"link"}]})") +
            std::string(reinterpret_cast<const char*>(&too_long), 4) + "{}");
    ASSERT_EQ(replies.size(), 4u);
    EXPECT_NE(replies[0].find("\"version\""), std::string::npos) << replies[0];
    for (size_t i = 1; i < 4; ++i)
        EXPECT_NE(replies[i].find("\"ok\":false"), std::string::npos) << replies[i];
    EXPECT_NE(replies[3].find("8 MiB"), std::string::npos) << replies[3];

    replies = RunHost({kChromiumCaller}, handoff::FrameMessage("{\"type\":\"ping\"}").substr(0, 9));
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_NE(replies[0].find("ended before"), std::string::npos) << replies[0];
    EXPECT_TRUE(std::filesystem::is_empty(home.File("videos")));
    EXPECT_FALSE(std::filesystem::exists(home.File("run") + "/tarnwick-" +
                                         std::to_string(::getuid()) + ".lock"))
        << "no program was started for any of them";
}

TEST_F(BrowserHostTest, ALoginOnlyVideoGoesWithItsCookieToAProgramTheHostStarts) {
    test_support::LoopbackServer server;
    server.Serve("/private/clip.mp4",
                 test_support::Answer::Http(200, "OK", {"Content-Type: video/mp4"}, "the clip"));
    const std::string item =
        R"({"type":"add","items":[{"url":")" + server.Url("/private/clip.mp4") +
        R"(","origin":"link","page":")" + server.Url("/watch") +
        R"(","cookies":[{"name":"sid","value":"s3cret","domain":"127.0.0.1","path":"/",)"
        R"("hostOnly":true,"secure":false,"httpOnly":true,"session":true}]}]})";
    const std::vector<std::string> replies =
        RunHost({kChromiumCaller}, handoff::FrameMessage(item));
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_NE(replies[0].find("\"result\":\"added\""), std::string::npos) << replies[0];
    const std::string video = home.File("videos") + "/clip.mp4";
    EXPECT_TRUE(QTest::qWaitFor([&] { return std::filesystem::exists(video); }, kWaitMs));
    EXPECT_EQ(test_support::ReadWholeFile(video), "the clip");
    ASSERT_FALSE(server.Requests().empty());
    for (const test_support::Request& request : server.Requests())
        EXPECT_EQ(request.Header("Cookie"), "sid=s3cret") << request.target;
    EndTheProgram();
}

} // namespace
} // namespace tarnwick
