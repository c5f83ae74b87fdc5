// A transfer that goes on from the temporary file an earlier one kept: what
// it asks for, which answers it appends, and when it starts afresh.
#include "transfer/file_transfer.h"

#include "fakes/fake_clock.h"
#include "fakes/fake_http.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>
#include <ostream>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tarnwick::transfer {
namespace {

namespace fs = std::filesystem;

class ResumeTest : public testing::Test {
protected:
    ResumeTest() { test_support::WriteWholeFile(KeptPath(), "abcde"); }

    std::string KeptPath() const { return folder.File("v.1.tarnwick.part"); }
    std::string NewPath() const { return folder.File("v.1-2.tarnwick.part"); }
    KeptFile Kept(std::string validator = "\"v1\"", std::optional<int64_t> total = 10) const {
        return {KeptPath(), 5, total, std::move(validator)};
    }
    void Start(const std::optional<KeptFile>& earlier) {
        transfer.Start(
            "http://host/v.flv", earlier,
            [this](int attempt) { return attempt == 1 ? KeptPath() : NewPath(); },
            [this](const FileTransfer::Progress& p) { progress.push_back(p.received); },
            [this](Outcome outcome) { this->outcome = std::move(outcome); });
    }
    const std::vector<std::string>& Headers(size_t exchange = 0) {
        return http.exchanges.at(exchange)->request.headers;
    }
    void Send(const std::string& body) {
        http.Last().Body(body);
        http.Last().End();
        clock.RunDue();
    }

    test_support::TempFolder folder;
    // Also tells a complete file's sync, once its timer is run.
    fakes::FakeClock clock;
    fakes::FakeHttp http;
    FileTransfer transfer{http, clock};
    std::vector<int64_t> progress;
    std::optional<Outcome> outcome;
};

TEST_F(ResumeTest, AsksForTheRestAndAppendsAPartialAnswerThatFits) {
    Start(Kept());
    EXPECT_EQ(Headers(), (std::vector<std::string>{"Range: bytes=5-", "If-Range: \"v1\""}));
    http.Last().Answer(206, "Content-Range: bytes 5-9/10\r\nContent-Length: 5\r\n");
    Send("fghij");
    ASSERT_TRUE(outcome && outcome->IsComplete());
    EXPECT_EQ(test_support::ReadWholeFile(KeptPath()), "abcdefghij");
    EXPECT_EQ(progress, (std::vector<int64_t>{5, 10})) << "progress starts where the file is";
    EXPECT_EQ(transfer.Validator(), "\"v1\"");
}

TEST_F(ResumeTest, AWholeAnswerStartsTheFileAfresh) {
    Start(Kept());
    // The video changed: the server answers If-Range with all of it.
    http.Last().Answer(200, "Content-Length: 4\r\nETag: \"v2\"\r\n");
    Send("WXYZ");
    ASSERT_TRUE(outcome && outcome->IsComplete());
    EXPECT_EQ(test_support::ReadWholeFile(KeptPath()), "WXYZ");
    EXPECT_EQ(transfer.Validator(), "\"v2\"");
}

struct RefusalCase {
    const char* name;
    int status;
    std::string headers;
};

void PrintTo(const RefusalCase& c, std::ostream* out) { *out << c.name; }

class RangeRefusalTest : public ResumeTest, public testing::WithParamInterface<RefusalCase> {};

TEST_P(RangeRefusalTest, IsAskedForAgainWhole) {
    Start(Kept());
    http.Last().Answer(GetParam().status, GetParam().headers);
    ASSERT_EQ(http.exchanges.size(), 2u);
    EXPECT_TRUE(http.exchanges[0]->WasGivenUp());
    EXPECT_TRUE(Headers(1).empty()) << "the second request asks for the whole video";
    http.Last().Answer(200, "Content-Length: 10\r\n");
    Send("0123456789");
    ASSERT_TRUE(outcome && outcome->IsComplete());
    EXPECT_EQ(test_support::ReadWholeFile(KeptPath()), "0123456789");
}

INSTANTIATE_TEST_SUITE_P(
    Answers, RangeRefusalTest,
    testing::Values(RefusalCase{"NotSatisfiable", 416, "Content-Range: bytes */10\r\n"},
                    RefusalCase{"StartsElsewhere", 206, "Content-Range: bytes 0-9/10\r\n"},
                    RefusalCase{"OtherSize", 206, "Content-Range: bytes 5-11/12\r\n"},
                    RefusalCase{"NoRange", 206, "Content-Length: 5\r\n"},
                    RefusalCase{"RangeOfCodedBytes", 206,
                                "Content-Encoding: gzip\r\nContent-Range: bytes 5-9/10\r\n"}),
    [](const testing::TestParamInfo<RefusalCase>& info) { return info.param.name; });

TEST_F(ResumeTest, AfterAnAnswerFromAPublicAddressTheWholeIsAskedForThereOnly) {
    transfer.SetReach(platform::HttpRequest::Reach::kFirstDecides);
    Start(Kept());
    EXPECT_EQ(http.Last().request.reach, platform::HttpRequest::Reach::kFirstDecides);
    http.Last().Answer(416, "Content-Range: bytes */10\r\n", true);
    ASSERT_EQ(http.exchanges.size(), 2u);
    EXPECT_EQ(http.Last().request.reach, platform::HttpRequest::Reach::kPublicOnly);
    http.Last().End(platform::HttpEnd::Kind::kRefusedAddress, "192.168.1.1");
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->failure(), (Failure{Reason::kPrivateAddress, 0, "192.168.1.1"}));
}

TEST_F(ResumeTest, WithoutAValidatorOnlyAKnownSizeAsksForTheRest) {
    Start(Kept("", 10));
    EXPECT_EQ(Headers(), (std::vector<std::string>{"Range: bytes=5-"}));
    http.Last().Answer(206, "Content-Range: bytes 5-9/10\r\n");
    Send("fghij");
    EXPECT_EQ(test_support::ReadWholeFile(KeptPath()), "abcdefghij");
}

TEST_F(ResumeTest, WithNeitherValidatorNorSizeTheFileStartsAfresh) {
    Start(Kept("", std::nullopt));
    EXPECT_TRUE(Headers().empty());
    http.Last().Answer(200, "Content-Length: 3\r\n");
    Send("xyz");
    EXPECT_EQ(test_support::ReadWholeFile(KeptPath()), "xyz");
}

TEST_F(ResumeTest, AnErrorAnswerEndsTheTransferWithTheFileForItsOwnerToRemove) {
    Start(Kept());
    http.Last().Answer(404);
    ASSERT_TRUE(outcome && outcome->IsFailed());
    EXPECT_EQ(transfer.TemporaryPath(), KeptPath());
}

TEST_F(ResumeTest, AKeptFileShorterThanItWasLeftIsLeftAloneAndANewOneMade) {
    // Shorter than what was known to be on disk.
    Start(KeptFile{KeptPath(), 6, 10, "\"v1\""});
    EXPECT_TRUE(Headers().empty());
    http.Last().Answer(200, "Content-Length: 3\r\n");
    Send("xyz");
    EXPECT_EQ(test_support::ReadWholeFile(KeptPath()), "abcde");
    EXPECT_EQ(test_support::ReadWholeFile(NewPath()), "xyz");
}

TEST_F(ResumeTest, ALinkAtTheKeptNameIsNeverFollowed) {
    const std::string canary = folder.File("canary");
    test_support::WriteWholeFile(canary, "precious data");
    fs::remove(KeptPath());
    fs::create_symlink(canary, KeptPath());
    Start(KeptFile{KeptPath(), 0, 10, "\"v1\""});
    http.Last().Answer(200, "Content-Length: 3\r\n");
    Send("xyz");
    EXPECT_EQ(test_support::ReadWholeFile(canary), "precious data");
    EXPECT_TRUE(fs::is_symlink(KeptPath()));
    EXPECT_EQ(test_support::ReadWholeFile(NewPath()), "xyz");
}

} // namespace
} // namespace tarnwick::transfer
