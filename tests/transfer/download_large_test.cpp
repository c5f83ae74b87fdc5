// A body of 3 GiB, made by the server as it sends it: byte counts and
// progress values past 2^31 and a file of the whole size.
#include "download_test_support.h"

#include <fstream>

namespace tarnwick::transfer {
namespace {

constexpr uint64_t kSize = 3ull << 30;

class CountingEvents : public DownloadEvents {
public:
    void DownloadComplete() override { completed = true; }
    void DownloadProgress(int64_t lProgress) override {
        ++reports;
        last = lProgress;
    }
    void DownloadError(const std::string&) override { failed = true; }
    void DownloadCancelled(int64_t) override { failed = true; }

    bool completed = false;
    bool failed = false;
    int64_t reports = 0;
    int64_t last = 0;
};

char ByteAt(const std::string& path, uint64_t position) {
    std::ifstream in(path, std::ios::binary);
    in.seekg(static_cast<std::streamoff>(position));
    char byte = 0;
    in.get(byte);
    return byte;
}

TEST_F(DownloadTest, ABodyOfThreeGibibytesCompletes) {
    server_.Serve("/big", test_support::Answer()
                              .Head("HTTP/1.1 200 OK\r\nContent-Length: 3221225472\r\n\r\n")
                              .GeneratedBody(kSize));
    Address("/big");
    download_.RequestInformation();
    EXPECT_EQ(download_.FileSize(), 3221225472.0f);
    download_.SetFileSize(-1); // progress in bytes, to see the count pass 2^31
    CountingEvents events;
    download_.SetEvents(&events);
    ASSERT_TRUE(download_.StartDownload());
    EXPECT_TRUE(events.completed);
    EXPECT_FALSE(events.failed);
    EXPECT_EQ(events.last, static_cast<int64_t>(kSize));
    EXPECT_EQ(events.reports, static_cast<int64_t>(kSize / Download::kChunkSize + 1));
    const std::string& file = download_.LocalFile();
    ASSERT_EQ(std::filesystem::file_size(file), kSize);
    const uint64_t two_gib = uint64_t{1} << 31;
    for (uint64_t position : {uint64_t{0}, two_gib - 1, two_gib, two_gib + 1, kSize - 1}) {
        EXPECT_EQ(ByteAt(file, position), test_support::GeneratedByte(position)) << position;
    }
}

} // namespace
} // namespace tarnwick::transfer
