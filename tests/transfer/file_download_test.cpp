// One file fetched into one temporary file: over one connection from its
// start, going on from what an earlier try kept, and in parts over several
// connections, with what each connection does when its server turns it
// down, breaks off, or goes quiet.
#include "transfer/file_download.h"

#include "transfer/file_system.h"
#include "transfer/inline_work.h"

#include "fakes/fake_clock.h"
#include "fakes/fake_http.h"
#include "split_serving.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace tarnwick::transfer {
namespace {

namespace fs = std::filesystem;
using fakes::FakeHttp;
using platform::HttpEnd;
using test_support::AnswerRange;
using test_support::HoldsTheVideo;
using test_support::RangeFrom;
using test_support::SendVideo;

constexpr int64_t kPart = PartLayout::kLeastPart;
constexpr int64_t kMiB = 1024 * 1024;

void AnswerWhole(FakeHttp::Exchange& exchange, int64_t total,
                 const std::string& more = "ETag: \"v1\"\r\n") {
    exchange.Answer(200, "Content-Length: " + std::to_string(total) + "\r\n" + more);
}

// Files may grow no larger than `limit` while it lives, as on a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t limit) {
        ::getrlimit(RLIMIT_FSIZE, &before_);
        old_handler_ = ::signal(SIGXFSZ, SIG_IGN);
        rlimit lower = before_;
        lower.rlim_cur = limit;
        ::setrlimit(RLIMIT_FSIZE, &lower);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &before_);
        ::signal(SIGXFSZ, old_handler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit before_{};
    void (*old_handler_)(int) = nullptr;
};

PartLayout Laid(const std::string& text, int64_t total) {
    return PartLayout::Read(text, total).value();
}

PartLayout Even(int parts) {
    PartLayout layout = PartLayout::Whole(parts * kPart);
    layout.Split(0, parts);
    return layout;
}

class FileDownloadTest : public testing::Test {
protected:
    // The temporary file's candidates: "v.part", "v-2.part", ...
    std::string Candidate(int attempt) const {
        return folder.File(attempt == 1 ? "v.part" : "v-" + std::to_string(attempt) + ".part");
    }
    std::string Path() const { return Candidate(1); }
    FileDownload& Start(const std::optional<KeptOne>& kept = std::nullopt, int connections = 1,
                        const std::string& link = "http://host/v.mp4") {
        downloads.push_back(std::make_unique<FileDownload>(requests, work, connections, extras));
        FileDownload& download = *downloads.back();
        download.Start(link, kept, [this](int attempt) { return Candidate(attempt); },
                       {[this](const FileDownload::Progress& p) { progress.push_back(p); },
                        [this, &download] {
                            ++layouts;
                            told = download.Keep();
                            requests_when_told = http.exchanges.size();
                        },
                        [this](Outcome end) { outcome = std::move(end); }});
        return download;
    }
    FileDownload& Download() { return *downloads.front(); }
    FakeHttp::Exchange& Exchange(size_t index) { return *http.exchanges.at(index); }
    const std::vector<std::string>& Headers(size_t index) {
        return Exchange(index).request.headers;
    }
    // Ends the exchange and lets the sync tell the end.
    void End(FakeHttp::Exchange& exchange) {
        exchange.End();
        clock.RunDue();
    }
    // The servers end the answers still open, as they do after their last byte.
    void EndOpen() {
        for (const auto& exchange : http.exchanges) {
            if (exchange->IsOpen()) exchange->End();
        }
        clock.RunDue();
    }
    void SendTheRest(size_t index, int64_t to) {
        SendVideo(Exchange(index), RangeFrom(Exchange(index)), to);
    }
    void AnswerAll(int64_t total) {
        for (const auto& exchange : http.exchanges) {
            if (exchange->IsOpen()) AnswerRange(*exchange, total);
        }
    }
    std::string LayoutText() const {
        const std::optional<KeptOne> kept = downloads.front()->Keep();
        return kept && std::holds_alternative<KeptParts>(*kept)
                   ? std::get<KeptParts>(*kept).layout.Text()
                   : std::string();
    }
    // A file as an earlier try in parts left it, with the video's bytes
    // where its layout says.
    KeptOne KeptLayout(const PartLayout& layout, std::string path = {}) {
        if (path.empty()) path = Path();
        std::string bytes(static_cast<size_t>(layout.Total()), '\0');
        for (const FilePart& part : layout.Parts()) {
            bytes.replace(part.start, part.done, test_support::VideoBytes(part.start, part.Next()));
        }
        test_support::WriteWholeFile(path, bytes);
        return KeptParts{path, "\"v1\"", layout};
    }

    test_support::TempFolder folder;
    fakes::FakeClock clock;
    FakeHttp http;
    InlineWork work{clock};
    ConnectionBudget budget{clock};
    RequestContext requests{http, clock, {}, &budget, platform::HttpRequest::Reach::kPublicOnly};
    FileDownload::Extras extras = FileDownload::Extras::kAtOnce;
    std::vector<std::unique_ptr<FileDownload>> downloads;
    std::vector<FileDownload::Progress> progress;
    std::optional<Outcome> outcome;
    int layouts = 0;
    std::optional<KeptOne> told;
    size_t requests_when_told = 0;
};

// ---- One connection

TEST_F(FileDownloadTest, TheWholeBodyComesIntoTheTemporaryFileInOrder) {
    std::string body;
    for (int i = 0; body.size() < 700000; ++i) body += std::to_string(i) + ",";
    Start();
    EXPECT_TRUE(Headers(0).empty());
    EXPECT_FALSE(Exchange(0).request.accept_compression) << "only a page may come compressed";
    Exchange(0).Answer(200, "Content-Length: " + std::to_string(body.size()) + "\r\n");
    EXPECT_EQ(Download().TemporaryPath(), Candidate(1));
    // Small pieces gathered, then pieces large enough to go straight through.
    size_t at = 0;
    for (const size_t piece : {100, 16000, 200000, 7, 300000}) {
        Exchange(0).Body(body.substr(at, piece));
        at += piece;
    }
    Exchange(0).Body(body.substr(at));
    End(Exchange(0));
    ASSERT_TRUE(outcome && outcome->IsComplete());
    EXPECT_TRUE(test_support::ReadWholeFile(Candidate(1)) == body) << "every byte, in order";
    EXPECT_EQ(budget.InAll(), 0);
}

TEST_F(FileDownloadTest, AnythingAtTheTemporaryNameIsPassedOverNeverWrittenThrough) {
    const std::string canary = folder.File("canary");
    test_support::WriteWholeFile(canary, "keep me");
    fs::create_symlink(canary, Candidate(1));
    test_support::WriteWholeFile(Candidate(2), "a file left there");
    Start();
    AnswerWhole(Exchange(0), 5);
    EXPECT_EQ(Download().TemporaryPath(), Candidate(3));
    Exchange(0).Body("video");
    End(Exchange(0));
    ASSERT_TRUE(outcome && outcome->IsComplete());
    EXPECT_EQ(test_support::ReadWholeFile(canary), "keep me");
    EXPECT_EQ(test_support::ReadWholeFile(Candidate(2)), "a file left there");
    EXPECT_EQ(test_support::ReadWholeFile(Candidate(3)), "video");
}

struct EndCase {
    const char* name;
    void (*end)(FakeHttp::Exchange&);
    Failure failure;
    bool bytes_kept;
};

void PrintTo(const EndCase& c, std::ostream* out) { *out << c.name; }

class EndTest : public FileDownloadTest, public testing::WithParamInterface<EndCase> {};

TEST_P(EndTest, KeepsItsBytesOnlyWhenCutOffPartwayThroughAVideo) {
    Start();
    GetParam().end(Exchange(0));
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->failure(), GetParam().failure);
    EXPECT_EQ(fs::exists(Candidate(1)), GetParam().bytes_kept);
    EXPECT_EQ(Download().Keep().has_value(), GetParam().bytes_kept);
    if (GetParam().bytes_kept) EXPECT_EQ(test_support::FileBytes(Candidate(1), 0, 4), "vide");
}

INSTANTIATE_TEST_SUITE_P(
    Ends, EndTest,
    testing::Values(
        EndCase{"ErrorAnswer",
                [](auto& e) { e.Answer(410, "Content-Length: 4\r\n"); },
                {Reason::kVideoNotFound, 410, {}},
                false},
        EndCase{"WebPageInsteadOfAVideo",
                [](auto& e) { e.Answer(200, "Content-Type: text/html; charset=utf-8\r\n"); },
                {Reason::kHtmlInsteadOfVideo, 200, {}},
                false},
        EndCase{
            "PartNobodyAskedFor",
            [](auto& e) { e.Answer(206, "Content-Range: bytes 0-3/100\r\nContent-Length: 4\r\n"); },
            {Reason::kErrorAnswer, 206, {}},
            false},
        EndCase{"ConnectionBrokenPartway",
                [](auto& e) {
                    e.Answer(200, "Content-Length: 10\r\n");
                    e.Body("vide");
                    e.End(HttpEnd::Kind::kBroken, "reset by peer");
                },
                {Reason::kConnectionLost, 200, "reset by peer"},
                true},
        EndCase{"AnswerEndsShortOfItsLength",
                [](auto& e) {
                    e.Answer(200, "Content-Length: 10\r\n");
                    e.Body("vide");
                    e.End();
                },
                {Reason::kConnectionLost, 200, "The answer ended early"},
                true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FileDownloadTest, ACodedAnswerIsDecodedAndTellsNoSizeOrVersion) {
    Start(std::nullopt, 4);
    Exchange(0).Answer(200, "Content-Encoding: gzip\r\nContent-Length: 5\r\nETag: \"v1\"\r\n");
    Exchange(0).Body("the decoded video");
    End(Exchange(0));
    ASSERT_TRUE(outcome && outcome->IsComplete()) << "the coded length is not the video's";
    EXPECT_EQ(http.exchanges.size(), 1u) << "coded bytes are never asked for in parts";
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.front().size, std::nullopt);
    EXPECT_TRUE(progress.front().decoded);
    EXPECT_EQ(std::get<KeptWhole>(*Download().Keep()).validator, "");
    EXPECT_EQ(test_support::ReadWholeFile(Candidate(1)), "the decoded video");
}

TEST_F(FileDownloadTest, AVideoThatTricklesGoesOnAndAStoppedOneKeepsItsBytes) {
    Start();
    AnswerWhole(Exchange(0), 1000);
    for (int second = 0; second < 300; ++second) {
        Exchange(0).Body("v");
        clock.Advance(std::chrono::seconds(1));
    }
    EXPECT_FALSE(outcome);
    downloads.clear();
    EXPECT_TRUE(Exchange(0).WasGivenUp());
    EXPECT_EQ(test_support::ReadWholeFile(Candidate(1)).substr(0, 300), std::string(300, 'v'));
    EXPECT_EQ(budget.InAll(), 0);
}

TEST_F(FileDownloadTest, AFolderThatIsAFileIsUnusable) {
    test_support::WriteWholeFile(folder.File("not a folder"), "");
    downloads.push_back(std::make_unique<FileDownload>(requests, work, 1));
    Download().Start(
        "http://host/v.mp4", std::nullopt,
        [this](int) { return folder.File("not a folder/v.part"); },
        {[](const FileDownload::Progress&) {}, [] {}, [this](Outcome end) { outcome = end; }});
    AnswerWhole(Exchange(0), 5);
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->failure().reason, Reason::kFolderUnusable);
    EXPECT_TRUE(Exchange(0).WasGivenUp());
}

// ---- Going on from a kept file

class ResumeTest : public FileDownloadTest {
protected:
    ResumeTest() { test_support::WriteWholeFile(Path(), "abcde"); }
    KeptOne Kept(std::string validator = "\"v1\"", std::optional<int64_t> total = 10,
                 int64_t bytes = 5) {
        return KeptWhole{Path(), bytes, total, std::move(validator)};
    }
    void Send(const std::string& body) {
        http.Last().Body(body);
        End(http.Last());
    }
};

TEST_F(ResumeTest, AsksForTheRestAndAppendsAPartialAnswerThatFits) {
    Start(Kept());
    EXPECT_EQ(Headers(0), (std::vector<std::string>{"Range: bytes=5-", "If-Range: \"v1\""}));
    Exchange(0).Answer(206, "Content-Range: bytes 5-9/10\r\nContent-Length: 5\r\n");
    Send("fghij");
    ASSERT_TRUE(outcome && outcome->IsComplete());
    EXPECT_EQ(test_support::ReadWholeFile(Path()), "abcdefghij");
    EXPECT_EQ(progress.front().received, 5) << "progress starts where the file is";
}

TEST_F(ResumeTest, AWholeAnswerStartsTheFileAfresh) {
    Start(Kept());
    // The video changed: the server answers If-Range with all of it.
    Exchange(0).Answer(200, "Content-Length: 4\r\nETag: \"v2\"\r\n");
    EXPECT_EQ(std::get<KeptParts>(*Download().Keep()).validator, "\"v2\"");
    Send("WXYZ");
    ASSERT_TRUE(outcome && outcome->IsComplete());
    EXPECT_EQ(test_support::ReadWholeFile(Path()), "WXYZ");
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
    Exchange(0).Answer(GetParam().status, GetParam().headers);
    ASSERT_EQ(http.exchanges.size(), 2u);
    EXPECT_TRUE(Exchange(0).WasGivenUp());
    EXPECT_TRUE(Headers(1).empty()) << "the second request asks for the whole video";
    Exchange(1).Answer(200, "Content-Length: 10\r\n");
    Send("0123456789");
    ASSERT_TRUE(outcome && outcome->IsComplete());
    EXPECT_EQ(test_support::ReadWholeFile(Path()), "0123456789");
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
    requests.reach = platform::HttpRequest::Reach::kFirstDecides;
    Start(Kept());
    EXPECT_EQ(Exchange(0).request.reach, platform::HttpRequest::Reach::kFirstDecides);
    Exchange(0).Answer(416, "Content-Range: bytes */10\r\n", true);
    ASSERT_EQ(http.exchanges.size(), 2u);
    EXPECT_EQ(Exchange(1).request.reach, platform::HttpRequest::Reach::kPublicOnly);
    Exchange(1).End(HttpEnd::Kind::kRefusedAddress, "192.168.1.1");
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->failure(), (Failure{Reason::kPrivateAddress, 0, "192.168.1.1"}));
}

TEST_F(ResumeTest, WithoutAValidatorOnlyAKnownSizeAsksForTheRest) {
    Start(Kept("", 10));
    EXPECT_EQ(Headers(0), (std::vector<std::string>{"Range: bytes=5-"}));
    Exchange(0).Answer(206, "Content-Range: bytes 5-9/10\r\n");
    Send("fghij");
    EXPECT_EQ(test_support::ReadWholeFile(Path()), "abcdefghij");

    downloads.clear();
    test_support::WriteWholeFile(Path(), "abcde");
    Start(Kept("", std::nullopt));
    EXPECT_TRUE(Headers(1).empty()) << "with neither, the file starts afresh";
    Exchange(1).Answer(200, "Content-Length: 3\r\n");
    Send("xyz");
    EXPECT_EQ(test_support::ReadWholeFile(Path()), "xyz");
}

TEST_F(ResumeTest, AnErrorAnswerLeavesTheKeptFileAsItWas) {
    Start(Kept());
    Exchange(0).Answer(404);
    ASSERT_TRUE(outcome && outcome->IsFailed());
    EXPECT_EQ(Download().Keep(), std::optional<KeptOne>(Kept()));
    EXPECT_EQ(test_support::ReadWholeFile(Path()), "abcde");
}

TEST_F(ResumeTest, AKeptFileShorterThanItWasLeftOrALinkIsLeftAloneAndANewOneMade) {
    Start(Kept("\"v1\"", 10, 6));
    EXPECT_TRUE(Headers(0).empty());
    AnswerWhole(Exchange(0), 3);
    Send("xyz");
    EXPECT_EQ(test_support::ReadWholeFile(Path()), "abcde");
    EXPECT_EQ(test_support::ReadWholeFile(Candidate(2)), "xyz");

    const std::string canary = folder.File("canary");
    test_support::WriteWholeFile(canary, "precious data");
    fs::remove(Path());
    fs::remove(Candidate(2));
    fs::create_symlink(canary, Path());
    Start(Kept("\"v1\"", 10, 0));
    AnswerWhole(Exchange(1), 3);
    Send("xyz");
    EXPECT_EQ(test_support::ReadWholeFile(canary), "precious data");
    EXPECT_TRUE(fs::is_symlink(Path()));
    EXPECT_EQ(test_support::ReadWholeFile(Candidate(2)), "xyz");
}

// ---- In parts

TEST_F(FileDownloadTest, AWholeAnswerOfAKnownSizeGoesOnInPartsWrittenInPlace) {
    // Four parts of a byte over the least; the last has the remainder too.
    const int64_t total = 4 * kPart + 5;
    const int64_t each = kPart + 1;
    Start(std::nullopt, 4);
    AnswerWhole(Exchange(0), total);
    ASSERT_EQ(http.exchanges.size(), 4u);
    for (size_t i = 1; i < 4; ++i) {
        EXPECT_EQ(Headers(i),
                  (std::vector<std::string>{"Range: bytes=" + std::to_string(i * each) + "-",
                                            "If-Range: \"v1\""}));
    }
    ASSERT_TRUE(told);
    EXPECT_EQ(std::get<KeptParts>(*told).layout.Text(),
              "0-4194305=0 4194305-8388610=0 8388610-12582915=0 12582915-16777221=0");
    EXPECT_EQ(requests_when_told, 1u) << "the parts are told before any is asked for";
    EXPECT_EQ(budget.InAll(), 4);

    // The whole answer's connection brings the first part.
    SendVideo(Exchange(0), 0, each + 100);
    EXPECT_FALSE(Exchange(0).IsOpen());
    for (size_t i = 1; i < 4; ++i) AnswerRange(Exchange(i), total);
    SendVideo(Exchange(3), 3 * each, total);
    SendVideo(Exchange(2), 2 * each, 3 * each);
    EXPECT_EQ(Download().OnDisk(), each) << "from the start without a gap";
    SendVideo(Exchange(1), each, 2 * each);
    EndOpen();
    ASSERT_TRUE(outcome && outcome->IsComplete());
    EXPECT_EQ(static_cast<int64_t>(fs::file_size(Path())), total);
    EXPECT_TRUE(HoldsTheVideo(Path(), 0, total));
    EXPECT_EQ(progress.back().received, total);
    EXPECT_EQ(budget.InAll(), 0);
    EXPECT_FALSE(Download().FellBack());
}

TEST_F(FileDownloadTest, OnlyAFileThatCanBeAskedForInPartsIsSplit) {
    struct Case {
        const char* name;
        int64_t total;
        std::string fields;
        int connections;
    };
    const std::vector<Case> cases = {
        {"too small", 2 * PartLayout::kLeastShortPart - 1, "ETag: \"v1\"\r\n", 4},
        {"no validator", 4 * kPart, "", 4},
        {"weak validator only", 4 * kPart, "ETag: W/\"v1\"\r\n", 4},
        {"content-coded", 4 * kPart, "ETag: \"v1\"\r\nContent-Encoding: gzip\r\n", 4},
        {"one connection", 4 * kPart, "ETag: \"v1\"\r\n", 1},
    };
    for (const Case& c : cases) {
        const size_t before = http.exchanges.size();
        FileDownload& download = Start(std::nullopt, c.connections);
        AnswerWhole(Exchange(before), c.total, c.fields);
        EXPECT_EQ(http.exchanges.size(), before + 1) << c.name;
        download.Abandon();
        downloads.clear();
        fs::remove(Path());
    }
}

TEST_F(FileDownloadTest, AWholeAnswerToTheLastPartAsksForTheWholeAfreshOverOneConnection) {
    const int64_t total = 2 * kPart;
    Start(std::nullopt, 2);
    AnswerWhole(Exchange(0), total);
    SendVideo(Exchange(0), 0, kPart);
    ASSERT_EQ(http.exchanges.size(), 2u);
    // The server ignores the range.
    AnswerWhole(Exchange(1), total);
    ASSERT_EQ(http.exchanges.size(), 3u);
    EXPECT_TRUE(Headers(2).empty());
    EXPECT_FALSE(told && std::holds_alternative<KeptParts>(*told))
        << "the parts are forgotten before the whole is asked for";
    EXPECT_EQ(Download().OnDisk(), 0);
    EXPECT_EQ(budget.InAll(), 1) << "the whole's own request holds its room";

    AnswerWhole(Exchange(2), total);
    EXPECT_EQ(http.exchanges.size(), 3u) << "no second split";
    SendVideo(Exchange(2), 0, total);
    End(Exchange(2));
    ASSERT_TRUE(outcome && outcome->IsComplete());
    EXPECT_TRUE(HoldsTheVideo(Path(), 0, total));
}

TEST_F(FileDownloadTest, RoomIsReservedBeforeAnyPartIsAskedFor) {
    Start(std::nullopt, 3);
    {
        const FileSizeLimit limit(kPart);
        AnswerWhole(Exchange(0), 3 * kPart);
    }
    if (!outcome) GTEST_SKIP() << "the file system reserves nothing";
    EXPECT_EQ(outcome->failure().reason, Reason::kWriteFailed);
    EXPECT_EQ(http.exchanges.size(), 1u);
    EXPECT_TRUE(Exchange(0).WasGivenUp());
    EXPECT_FALSE(fs::exists(Path())) << "nothing of it is kept";
}

// ---- Kept parts, and how the connections share them

TEST_F(FileDownloadTest, KeptPartsAskOnlyForWhatIsMissingFromTheirNextByteOfTheSameVersion) {
    const PartLayout kept =
        Laid("0-4194304=4194304 4194304-8388608=1000 8388608-12582912=0", 3 * kPart);
    Start(KeptLayout(kept), 4);
    ASSERT_EQ(http.exchanges.size(), 2u);
    EXPECT_EQ(Headers(0), (std::vector<std::string>{"Range: bytes=4195304-", "If-Range: \"v1\""}));
    EXPECT_EQ(Exchange(1).request.reach, platform::HttpRequest::Reach::kPublicOnly);
    EXPECT_EQ(RangeFrom(Exchange(1)), 2 * kPart);
    AnswerAll(3 * kPart);
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.front().received, kPart + 1000) << "progress starts with the kept bytes";
    SendTheRest(1, 3 * kPart);
    SendTheRest(0, 2 * kPart);
    EndOpen();
    ASSERT_TRUE(outcome && outcome->IsComplete());
    EXPECT_TRUE(HoldsTheVideo(Path(), 0, 3 * kPart));

    downloads.clear();
    outcome.reset();
    Start(KeptLayout(kept), 1);
    ASSERT_EQ(http.exchanges.size(), 3u) << "over one connection when only one is allowed";
    AnswerAll(3 * kPart);
    SendTheRest(2, 3 * kPart);
    EndOpen();
    EXPECT_EQ(http.exchanges.size(), 3u) << "it goes on into the untouched part";
    ASSERT_TRUE(outcome && outcome->IsComplete());
    EXPECT_TRUE(HoldsTheVideo(Path(), 0, 3 * kPart));
}

TEST_F(FileDownloadTest, KeptPartsThatAreAllDoneCompleteWithoutARequestAndOthersAreChecked) {
    Start(KeptLayout(Laid("0-8388608=8388608 8388608-12582912=4194304", 3 * kPart)), 4);
    clock.RunDue();
    EXPECT_TRUE(http.exchanges.empty());
    ASSERT_TRUE(outcome && outcome->IsComplete());

    // A file that cannot hold what its parts say is not trusted.
    const KeptOne kept = KeptLayout(Laid("0-8388608=8388608 8388608-12582912=0", 3 * kPart));
    test_support::WriteWholeFile(Path(), test_support::VideoBytes(0, 1000));
    Start(kept, 4);
    ASSERT_EQ(http.exchanges.size(), 1u);
    EXPECT_TRUE(Headers(0).empty()) << "the file starts afresh";
}

TEST_F(FileDownloadTest, EachPartsBytesGoToTheirPlaceInPiecesThatDoNotFitTheParts) {
    const int64_t total = 4 * kPart;
    Start(KeptLayout(Even(4)), 4);
    AnswerAll(total);
    std::vector<int64_t> sent(4);
    for (size_t i = 0; i < 4; ++i) sent[i] = RangeFrom(Exchange(i));
    for (bool more = true; more;) {
        more = false;
        for (size_t i = 0; i < 4; ++i) {
            const int64_t end = static_cast<int64_t>(i + 1) * kPart;
            if (sent[i] == end) continue;
            sent[i] += SendVideo(Exchange(i), sent[i], std::min(end, sent[i] + 123'457));
            more = true;
        }
    }
    EndOpen();
    ASSERT_TRUE(outcome && outcome->IsComplete());
    EXPECT_TRUE(HoldsTheVideo(Path(), 0, total));
    EXPECT_EQ(test_support::FileBytes(Path(), 0, total + 1).size(), static_cast<size_t>(total));
    EXPECT_EQ(http.OpenCount(), 0);
}

TEST_F(FileDownloadTest, APartialAnswerThatNamesNoVersionIsOfTheOneAskedFor) {
    const int64_t total = 2 * kPart;
    Start(KeptLayout(Even(2)), 2);
    AnswerRange(Exchange(0), total);
    // Sent because the If-Range matched, though without the ETag.
    Exchange(1).Answer(206, "Content-Range: bytes " + std::to_string(kPart) + "-" +
                                std::to_string(total - 1) + "/" + std::to_string(total) + "\r\n");
    SendTheRest(1, total);
    SendTheRest(0, kPart);
    EndOpen();
    ASSERT_TRUE(outcome && outcome->IsComplete());
    EXPECT_FALSE(Download().FellBack());
}

TEST_F(FileDownloadTest, AConnectionAtItsPartsEndTakesOverOnlyAnUntouchedNextPart) {
    const int64_t total = 3 * kPart;
    Start(KeptLayout(Even(3)), 2);
    ASSERT_EQ(http.exchanges.size(), 2u);
    AnswerAll(total);
    SendTheRest(1, 2 * kPart);
    EXPECT_TRUE(Exchange(1).IsOpen()) << "nobody began the part after it";
    const int layouts_before = layouts;
    SendVideo(Exchange(1), 2 * kPart, 2 * kPart + 1000);
    EXPECT_EQ(layouts, layouts_before + 1);
    EXPECT_EQ(LayoutText(), "0-4194304=0 4194304-12582912=4194304") << "bytes not yet written out";
    // The server sends past the part's end: those bytes are another's.
    SendVideo(Exchange(0), 0, kPart + 5000, 1'000'003);
    EXPECT_FALSE(Exchange(0).IsOpen()) << "what is left of the other is too small to halve";
    EXPECT_EQ(http.exchanges.size(), 2u);
    SendVideo(Exchange(1), 2 * kPart + 1000, total);
    EndOpen();
    ASSERT_TRUE(outcome && outcome->IsComplete());
    EXPECT_TRUE(HoldsTheVideo(Path(), 0, total));
}

TEST_F(FileDownloadTest, AFreedConnectionTakesTheSecondHalfOfWhatIsLeftOfTheLargestPart) {
    const int64_t total = 20 * kMiB;
    Start(KeptLayout(Laid("0-4194304=0 4194304-20971520=0", total)), 2);
    AnswerAll(total);
    // Not all of these are written out yet; the cut comes after them all.
    const int64_t brought = 4 * kMiB + 1 * kMiB + 1000;
    SendVideo(Exchange(1), 4 * kMiB, brought);
    SendTheRest(0, kPart);
    const int64_t cut = brought + (total - brought) / 2;
    ASSERT_EQ(http.exchanges.size(), 3u);
    EXPECT_EQ(RangeFrom(Exchange(2)), cut);
    EXPECT_EQ(requests_when_told, 2u) << "the new part is told before it is asked for";
    EXPECT_EQ(std::get<KeptParts>(*told).layout[2].start, cut);
    AnswerRange(Exchange(2), total);
    SendVideo(Exchange(1), brought, total);
    EXPECT_FALSE(Exchange(1).IsOpen()) << "it ends where the new part begins";
    SendTheRest(2, total);
    EndOpen();
    ASSERT_TRUE(outcome && outcome->IsComplete());
    EXPECT_TRUE(HoldsTheVideo(Path(), 0, total));
}

// How a server turns down one connection of several.
struct Turndown {
    const char* name;
    void (*play)(FakeHttp::Exchange& exchange, int64_t total);
    // When it was the last connection under way: the whole is asked for
    // anew, or the file fails with this.
    bool asks_for_the_whole;
    Failure failure;
};

void PrintTo(const Turndown& turndown, std::ostream* out) { *out << turndown.name; }

const Turndown kTurndowns[] = {
    {"WholeAnswer", [](auto& e, int64_t total) { AnswerWhole(e, total); }, true, {}},
    {"OtherVersion", [](auto& e, int64_t total) { AnswerRange(e, total, "\"v2\""); }, true, {}},
    {"RangeElsewhere",
     [](auto& e, int64_t total) {
         e.Answer(206, "Content-Range: bytes 0-" + std::to_string(total - 1) + "/" +
                           std::to_string(total) + "\r\nETag: \"v1\"\r\n");
     },
     true,
     {}},
    {"NotSatisfiable",
     [](auto& e, int64_t total) {
         e.Answer(416, "Content-Range: bytes */" + std::to_string(total) + "\r\n");
     },
     true,
     {}},
    {"Forbidden", [](auto& e, int64_t) { e.Answer(403); }, false, {Reason::kErrorAnswer, 403}},
    {"TooManyRequests",
     [](auto& e, int64_t) { e.Answer(429); },
     false,
     {Reason::kErrorAnswer, 429}},
    {"ClosedBeforeItsFirstByte",
     [](auto& e, int64_t total) {
         AnswerRange(e, total);
         e.End(HttpEnd::Kind::kBroken, "reset");
     },
     false,
     {Reason::kConnectionLost, 0, "reset"}},
    {"NotConnected",
     [](auto& e, int64_t) { e.End(HttpEnd::Kind::kCannotConnect, "refused"); },
     false,
     {Reason::kConnectionLost, 0, "refused"}},
};

class TurndownTest : public FileDownloadTest, public testing::WithParamInterface<Turndown> {};

TEST_P(TurndownTest, EndsOnlyThatConnectionAndTheOthersFetchTheRest) {
    const int64_t total = 3 * kPart;
    Start(KeptLayout(Even(3)), 3);
    AnswerRange(Exchange(0), total);
    AnswerRange(Exchange(2), total);
    GetParam().play(Exchange(1), total);
    EXPECT_FALSE(Exchange(1).IsOpen());
    EXPECT_TRUE(Download().FellBack());
    EXPECT_EQ(Download().Connections(), 2);
    EXPECT_EQ(budget.InAll(), 2);
    // The first part's connection goes on into the part nobody fetches.
    SendTheRest(0, 2 * kPart);
    EXPECT_FALSE(Exchange(0).IsOpen());
    SendTheRest(2, total);
    EndOpen();
    ASSERT_TRUE(outcome && outcome->IsComplete());
    EXPECT_EQ(http.exchanges.size(), 3u) << "no connection is opened in its place";
    EXPECT_TRUE(HoldsTheVideo(Path(), 0, total));
    EXPECT_EQ(budget.InAll(), 0);
}

TEST_P(TurndownTest, OfTheLastConnectionAsksForTheWholeOrFails) {
    const int64_t total = 2 * kPart;
    Start(KeptLayout(Even(2)), 2);
    AnswerRange(Exchange(0), total);
    SendTheRest(0, kPart);
    ASSERT_EQ(Download().Connections(), 1);
    GetParam().play(Exchange(1), total);
    EXPECT_FALSE(Exchange(1).IsOpen());
    if (GetParam().asks_for_the_whole) {
        ASSERT_EQ(http.exchanges.size(), 3u);
        EXPECT_TRUE(Headers(2).empty());
        EXPECT_FALSE(outcome);
        return;
    }
    EXPECT_EQ(http.exchanges.size(), 2u);
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->failure(), GetParam().failure);
    EXPECT_EQ(LayoutText(), "0-4194304=4194304 4194304-8388608=0")
        << "the bytes that came stay counted";
    EXPECT_EQ(budget.InAll(), 0);
}

INSTANTIATE_TEST_SUITE_P(Answers, TurndownTest, testing::ValuesIn(kTurndowns),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(FileDownloadTest, ABreakAfterSomeBytesIsFetchedOnFromWhereItStopped) {
    const int64_t total = 2 * kPart;
    Start(KeptLayout(Even(2)), 2);
    AnswerAll(total);
    SendVideo(Exchange(1), kPart, kPart + 1000);
    Exchange(1).End(HttpEnd::Kind::kBroken, "reset");
    clock.RunDue();
    ASSERT_EQ(http.exchanges.size(), 3u);
    EXPECT_EQ(RangeFrom(Exchange(2)), kPart + 1000) << "the bytes that came were written out";
    EXPECT_FALSE(Download().FellBack());
    AnswerRange(Exchange(2), total);
    SendTheRest(0, kPart);
    SendVideo(Exchange(2), kPart + 1000, kPart + 2000);
    // The last one breaking mid-part fails the file, its bytes counted.
    Exchange(2).End(HttpEnd::Kind::kBroken, "reset");
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->failure(), (Failure{Reason::kConnectionLost, 206, "reset"}));
    EXPECT_EQ(LayoutText(), "0-4194304=4194304 4194304-8388608=2000");
}

TEST_F(FileDownloadTest, ASideConnectionThatGoesQuietGivesItsPartBackToAnother) {
    const int64_t total = 2 * kPart;
    Start(KeptLayout(Even(2)), 2);
    AnswerAll(total);
    SendVideo(Exchange(1), kPart, kPart + 1000);
    // The first keeps coming; the side connection says nothing more.
    int64_t first_sent = 0;
    for (int second = 0; second < 25 && Exchange(1).IsOpen(); ++second) {
        first_sent += SendVideo(Exchange(0), first_sent, first_sent + 100'000);
        clock.Advance(std::chrono::seconds(1));
    }
    EXPECT_FALSE(Exchange(1).IsOpen()) << "under 1 KiB/s for 20 s";
    EXPECT_FALSE(outcome);
    ASSERT_EQ(http.exchanges.size(), 3u);
    EXPECT_EQ(RangeFrom(Exchange(2)), kPart + 1000) << "its part is handed on";
    EXPECT_FALSE(Download().FellBack());
    AnswerRange(Exchange(2), total);
    SendTheRest(2, total);
    SendVideo(Exchange(0), first_sent, kPart);
    EndOpen();
    ASSERT_TRUE(outcome && outcome->IsComplete());
    EXPECT_TRUE(HoldsTheVideo(Path(), 0, total));
}

TEST_F(FileDownloadTest, ARefusedAddressEndsEveryConnection) {
    Start(KeptLayout(Even(2)), 2);
    AnswerRange(Exchange(0), 2 * kPart);
    Exchange(1).End(HttpEnd::Kind::kRefusedAddress, "10.0.0.1");
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->failure(), (Failure{Reason::kPrivateAddress, 0, "10.0.0.1"}));
    EXPECT_TRUE(Exchange(0).WasGivenUp());
}

TEST_F(FileDownloadTest, AbandoningOrDestroyingWritesOutWhatCameAndEndsEveryConnection) {
    Start(KeptLayout(Even(2)), 2);
    AnswerAll(2 * kPart);
    SendVideo(Exchange(0), 0, 1000);
    SendVideo(Exchange(1), kPart, kPart + 300'000);
    EXPECT_EQ(progress.back().received, 301'000);
    Download().Abandon();
    for (const auto& exchange : http.exchanges) EXPECT_TRUE(exchange->WasGivenUp());
    EXPECT_EQ(LayoutText(), "0-4194304=1000 4194304-8388608=300000");
    EXPECT_TRUE(HoldsTheVideo(Path(), kPart, kPart + 300'000));
    EXPECT_EQ(budget.InAll(), 0);
    EXPECT_FALSE(outcome);

    Start(KeptLayout(Even(3)), 3);
    AnswerRange(Exchange(2), 3 * kPart);
    SendVideo(Exchange(2), 0, 1000);
    downloads.clear();
    for (const auto& exchange : http.exchanges) EXPECT_TRUE(exchange->WasGivenUp());
    EXPECT_EQ(budget.InAll(), 0);
    EXPECT_TRUE(HoldsTheVideo(Path(), 0, 1000));
}

TEST_F(FileDownloadTest, BytesThatCannotBeWrittenFailTheFileAndItGoes) {
    Start(KeptLayout(Even(2)), 2);
    AnswerAll(2 * kPart);
    {
        const FileSizeLimit limit(kPart + 1000);
        SendVideo(Exchange(1), kPart, kPart + 300'000);
    }
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->failure().reason, Reason::kWriteFailed);
    EXPECT_FALSE(Download().Keep()) << "what was written cannot be trusted";
    EXPECT_FALSE(fs::exists(Path()));
    EXPECT_TRUE(Exchange(0).WasGivenUp());
}

TEST_F(FileDownloadTest, OffsetsPast4GiBAreWrittenWhereTheyBelong) {
    // A 5 GB file of which only the last kilobyte is missing, in two parts.
    constexpr int64_t kTotal = 5'000'000'000;
    const PartLayout layout =
        Laid("0-4999999000=4999999000 4999999000-4999999500=0 4999999500-5000000000=100", kTotal);
    // Sparse: only what the parts hold is written.
    {
        test_support::WriteWholeFile(Path(), "");
        fs::resize_file(Path(), static_cast<uintmax_t>(4'999'999'600));
        const int descriptor = ::open(Path().c_str(), O_WRONLY | O_CLOEXEC);
        const std::string bytes = test_support::VideoBytes(4'999'999'500, 4'999'999'600);
        ASSERT_TRUE(files::WriteAt(descriptor, bytes.data(), bytes.size(), 4'999'999'500));
        ::close(descriptor);
    }
    Start(KeptParts{Path(), "\"v1\"", layout}, 2);
    ASSERT_EQ(http.exchanges.size(), 2u);
    EXPECT_EQ(RangeFrom(Exchange(0)), 4'999'999'000);
    EXPECT_EQ(RangeFrom(Exchange(1)), 4'999'999'600);
    AnswerAll(kTotal);
    SendTheRest(1, kTotal);
    SendTheRest(0, 4'999'999'500);
    EndOpen();
    ASSERT_TRUE(outcome && outcome->IsComplete());
    EXPECT_TRUE(HoldsTheVideo(Path(), 4'999'999'000, kTotal));
}

// A first connection as fast as the machine goes on alone through the parts;
// the others open once a look finds it held back.
TEST_F(FileDownloadTest, FurtherConnectionsWaitUntilTheFirstIsFoundHeldBack) {
    extras = FileDownload::Extras::kWhenHeldBack;
    const int64_t total = 4 * kPart;
    Start(std::nullopt, 4);
    AnswerWhole(Exchange(0), total);
    EXPECT_EQ(LayoutText(), Even(4).Text());
    SendVideo(Exchange(0), 0, kPart + kMiB);
    clock.Advance(HeldBackWatch::kFirstLook);
    EXPECT_EQ(http.exchanges.size(), 1u) << "fast: the first goes on into the second part";
    SendVideo(Exchange(0), kPart + kMiB, kPart + 2 * kMiB);
    clock.Advance(HeldBackWatch::kLaterLook);
    ASSERT_EQ(http.exchanges.size(), 3u) << "held back: the untouched parts are asked for";
    for (size_t i = 1; i < 3; ++i) {
        AnswerRange(Exchange(i), total);
        SendTheRest(i, total);
    }
    SendVideo(Exchange(0), kPart + 2 * kMiB, total);
    EndOpen();
    ASSERT_TRUE(outcome && outcome->IsComplete());
    EXPECT_TRUE(HoldsTheVideo(Path(), 0, total));

    // Going on from kept parts, slow from its answer on: the others open at
    // the first look after the answer, however long the answer took.
    outcome.reset();
    Start(KeptLayout(Even(4), folder.File("w.part")), 4, "http://host/w.mp4");
    clock.Advance(HeldBackWatch::kFirstLook * 10);
    EXPECT_EQ(http.OpenCount(), 1) << "no answer yet";
    AnswerRange(*http.exchanges.back(), total);
    SendVideo(*http.exchanges.back(), 0, kMiB / 4);
    clock.Advance(HeldBackWatch::kFirstLook);
    EXPECT_EQ(http.OpenCount(), 4);
}

// The connections of two downloads, and of several hosts, share the budget.
TEST_F(FileDownloadTest, TheBudgetHoldsAcrossDownloads) {
    const KeptOne first_kept = KeptLayout(Even(4));
    FileDownload& first = Start(first_kept, 4);
    clock.RunDue();
    EXPECT_EQ(first.Connections(), 4);
    FileDownload& second =
        Start(KeptLayout(Even(4), folder.File("w.part")), 4, "http://HOST/w.mp4");
    clock.RunDue();
    EXPECT_EQ(first.Connections(), 3) << "an extra connection gave way";
    EXPECT_EQ(budget.To("host"), 4);
    EXPECT_TRUE(Exchange(3).WasGivenUp());

    // The first download goes: the second's extra connections get room.
    downloads.erase(downloads.begin());
    clock.RunDue();
    EXPECT_EQ(second.Connections(), 4);
    EXPECT_EQ(budget.To("host"), 4);
    downloads.clear();
    EXPECT_EQ(budget.InAll(), 0);
}

TEST_F(FileDownloadTest, NoMoreThanThirtyTwoConnectionsInAll) {
    for (int host = 0; host < 9; ++host) {
        const std::string name = "w" + std::to_string(host) + ".part";
        Start(KeptLayout(Even(4), folder.File(name)), 4,
              "http://host" + std::to_string(host) + ".example/v.mp4");
        clock.RunDue();
    }
    EXPECT_EQ(downloads[0]->Connections(), 3) << "an extra connection gave way";
    for (int host = 1; host < 8; ++host) EXPECT_EQ(downloads[host]->Connections(), 4);
    EXPECT_EQ(downloads[8]->Connections(), 1);
    EXPECT_EQ(budget.InAll(), ConnectionBudget::kInAll);
    downloads.clear();
    EXPECT_EQ(budget.InAll(), 0);
    EXPECT_EQ(http.OpenCount(), 0);
}

} // namespace
} // namespace tarnwick::transfer
