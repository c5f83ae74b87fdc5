// The page fetch, where the run's tests do not show it: its size limit, its
// least rate, coded pages, and a page whose answer is a file.
#include "transfer/page_fetch.h"

#include "fakes/fake_clock.h"
#include "fakes/fake_http.h"

#include <gtest/gtest.h>
#include <ostream>

#include <chrono>
#include <functional>
#include <optional>
#include <string>

namespace tarnwick::transfer {
namespace {

class PageFetchTest : public testing::Test {
protected:
    void Start() {
        fetch.Start(
            "http://host/page", [this](int64_t, std::optional<int64_t> size) { page_size = size; },
            [this](PageFetch::Result r) { result = std::move(r); });
    }

    fakes::FakeClock clock;
    fakes::FakeHttp http;
    RequestContext requests{http, clock};
    PageFetch fetch{requests};
    std::optional<int64_t> page_size = 0;
    std::optional<PageFetch::Result> result;
};

TEST_F(PageFetchTest, APageLargerThanTheLimitIsNotFetched) {
    Start();
    http.Last().Answer(200);
    const std::string mebibyte(1024 * 1024, 'p');
    for (int i = 0; i < 64; ++i) http.Last().Body(mebibyte);
    EXPECT_FALSE(result);
    http.Last().Body("p");
    ASSERT_TRUE(result);
    EXPECT_EQ(result->outcome.failure().reason, Reason::kPageNotFetched);
    EXPECT_TRUE(result->page.empty());
    EXPECT_TRUE(http.Last().WasGivenUp());
}

struct PaceCase {
    const char* name;
    // The bytes that come in the second that ends at `second`, from 1.
    std::function<int(int second)> bytes_in;
    // How the fetch ends, and in which second at the earliest and the latest;
    // none: it is still coming after five minutes.
    std::optional<Reason> reason;
    int earliest = 0;
    int latest = 0;
};

void PrintTo(const PaceCase& c, std::ostream* out) { *out << c.name; }

class PagePaceTest : public PageFetchTest, public testing::WithParamInterface<PaceCase> {};

TEST_P(PagePaceTest, APageThatTricklesEnds) {
    Start();
    http.Last().Answer(200);
    int second = 1;
    for (; second <= 300 && !result; ++second) {
        if (const int bytes = GetParam().bytes_in(second); bytes > 0) {
            http.Last().Body(std::string(bytes, 'p'));
        }
        clock.Advance(std::chrono::seconds(1));
    }
    if (!GetParam().reason) {
        EXPECT_FALSE(result);
        http.Last().End();
        ASSERT_TRUE(result);
        EXPECT_TRUE(result->outcome.IsComplete());
        return;
    }
    ASSERT_TRUE(result);
    EXPECT_EQ(result->outcome.failure().reason, *GetParam().reason);
    EXPECT_GE(second - 1, GetParam().earliest);
    EXPECT_LE(second - 1, GetParam().latest);
    EXPECT_TRUE(http.Last().WasGivenUp());
}

INSTANTIATE_TEST_SUITE_P(
    Paces, PagePaceTest,
    testing::Values(PaceCase{"AByteASecond", [](int) { return 1; }, Reason::kPageTooSlow, 60, 60},
                    PaceCase{"JustUnderOneKibibyteASecond", [](int) { return 1000; },
                             Reason::kPageTooSlow, 60, 60},
                    PaceCase{"FastThenAByteASecond",
                             [](int second) { return second <= 30 ? 100000 : 1; },
                             Reason::kPageTooSlow, 90, 100},
                    PaceCase{"BurstsOfOneKibibyteASecondOnAverage",
                             [](int second) { return second % 10 == 0 ? 10240 : 0; }, std::nullopt},
                    PaceCase{"NothingAfterTheAnswerIsAStall", [](int) { return 0; },
                             Reason::kStallTimeout, 60, 60}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PageFetchTest, APageComesCompressedAndACodedOneTellsNoLengthOfWhatItIsReadAs) {
    Start();
    EXPECT_TRUE(http.Last().request.accept_compression);
    http.Last().Answer(200, "Content-Encoding: gzip\r\nContent-Length: 5\r\n");
    http.Last().Body("<p>a page larger than its coded length</p>");
    http.Last().End();
    EXPECT_EQ(page_size, std::nullopt);
    ASSERT_TRUE(result && result->outcome.IsComplete());
    EXPECT_EQ(result->page, "<p>a page larger than its coded length</p>");
}

TEST_F(PageFetchTest, AVideoAnswerIsHandedOverWithItsFirstBytes) {
    fetch.HandOverFiles();
    Start();
    http.Last().Answer(200, "Content-Type: video/mp4\r\nContent-Length: 10\r\n");
    EXPECT_FALSE(result) << "handed over once its first bytes came";
    http.Last().Body("01234");
    ASSERT_TRUE(result && result->outcome.IsComplete());
    ASSERT_TRUE(result->file);
    EXPECT_EQ(result->file_start, "01234");
    EXPECT_EQ(result->file_answer.media_type, "video/mp4");
    EXPECT_TRUE(http.Last().IsOpen()) << "the request goes on, to become the file's";
}

// Which answers are files, by their head and their first bytes.
struct KindCase {
    const char* name;
    int status;
    const char* fields;
    std::string body;
    bool file;
};

void PrintTo(const KindCase& c, std::ostream* out) { *out << c.name; }

class AnswerKindTest : public PageFetchTest, public testing::WithParamInterface<KindCase> {};

TEST_P(AnswerKindTest, AFileIsHandedOverAndAPageRead) {
    const KindCase& c = GetParam();
    fetch.HandOverFiles();
    Start();
    http.Last().Answer(c.status, c.fields);
    http.Last().Body(c.body);
    if (!c.file) http.Last().End();
    ASSERT_TRUE(result && result->outcome.IsComplete());
    EXPECT_EQ(result->file != nullptr, c.file);
    EXPECT_EQ(c.file ? result->file_start : result->page, c.body) << "no byte is lost";
}

const std::string kBinary = std::string(
                                "\0\0\0\x20"
                                "ftypisom") +
                            std::string(80, '\x01');
const std::string kMarkup =
    "\xEF\xBB\xBF\n  <!DOCTYPE html><html>" + std::string(80, ' ') + "</html>";

INSTANTIATE_TEST_SUITE_P(
    OfEveryKind, AnswerKindTest,
    testing::Values(
        KindCase{"Sound", 200, "Content-Type: audio/mpeg\r\n", "ID3", true},
        KindCase{"Attachment", 200, "Content-Disposition: attachment; filename=a.bin\r\n", "x",
                 true},
        KindCase{"OctetStream", 200, "Content-Type: application/octet-stream\r\n", kBinary, true},
        KindCase{"OctetStreamThatIsAPage", 200, "Content-Type: application/octet-stream\r\n",
                 kMarkup, false},
        KindCase{"OctetStreamThatIsAPlaylist", 200, "Content-Type: application/octet-stream\r\n",
                 "#EXTM3U\n#EXTINF:4,\na.ts\n", false},
        KindCase{"SoundPlaylist", 200, "Content-Type: audio/x-mpegurl\r\n", "#EXTM3U\n", false},
        KindCase{"AnErrorIsAPage", 404, "Content-Type: video/mp4\r\n", "gone", false},
        KindCase{"Html", 200, "Content-Type: text/html\r\n", kBinary, false}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace tarnwick::transfer
