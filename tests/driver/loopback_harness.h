// A download run through the real HTTP client against a loopback server
// that scripts the raw bytes, over the real queue, with Qt's clock.
#pragma once

#include "crypto/openssl_piece_cipher.h"
#include "curl/curl_client.h"
#include "driver/browser_agent.h"
#include "driver/download_run.h"
#include "driver/part_files.h"
#include "fakes/fake_file_system.h"
#include "html/libxml_html_parser.h"
#include "list/add_video_url.h"
#include "list/item_texts.h"
#include "qt/qt_clock.h"
#include "support/loopback_server.h"
#include "support/run_events.h"
#include "support/served_file.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace tarnwick::driver {

inline constexpr const char* kUserAgent = "Mozilla/4.0 (compatible; MSIE 5.0; Windows NT; DigExt)";
// A loopback address the client calls public, so that a server there plays
// one on the internet.
inline constexpr const char* kPublicHost = "127.0.0.2";

inline bool IsPublicInTests(const curl::IpAddress& address) {
    return address == curl::ParseIpAddress(kPublicHost) || curl::IsPublicAddress(address);
}

inline test_support::Answer VideoAnswer(const std::string& body,
                                        const std::vector<std::string>& headers = {}) {
    return test_support::Answer::Http(200, "OK", headers, body);
}

class LoopbackRunTest : public testing::Test {
protected:
    LoopbackRunTest() { std::filesystem::create_directory(Videos()); }

    // The download folder, as the run asks for it.
    std::string Videos() const { return folder.File(videos_name); }
    std::string Video(const std::string& name) const { return Videos() + "/" + name; }

    // Lists a page of the file site whose link is `/v/NAME` on the server.
    list::ItemKey AddVideo(const std::string& name, test_support::Answer video) {
        const std::string link = "/v/" + name;
        server.Serve(
            "/putfile.com/" + name,
            test_support::Answer::Http(200, "OK", {}, "<a href='" + server.Url(link) + "'>"));
        server.Serve(link, std::move(video));
        list::AddVideoURL(queue, server.Url("/putfile.com/" + name));
        return queue.LastKey();
    }

    // The same, with the video served as a file that takes ranges.
    list::ItemKey AddServedVideo(const std::string& name, const test_support::ServedFile& video) {
        const list::ItemKey key = AddVideo(name, test_support::Answer());
        server.ServeFile("/v/" + name, video);
        return key;
    }

    // Lets the event loop run until `done` holds; false after ten seconds.
    static bool RunUntil(const std::function<bool()>& done) {
        return test_support::RunEventsUntil(done);
    }
    void RunToTheEnd() {
        run.Start();
        ASSERT_TRUE(RunUntil([this] { return !run.IsRunning(); }));
    }
    // Waits until the server has had `count` requests in all.
    bool RequestsCame(size_t count) {
        return RunUntil([&] { return server.Requests().size() >= count; });
    }

    const list::DownloadItem& Item(list::ItemKey key) { return *queue.Find(key); }
    std::string Status(list::ItemKey key) { return list::StatusText(Item(key)); }
    std::string Name(list::ItemKey key) { return list::FileNameText(Item(key)); }
    std::set<std::string> FilesInVideos() const {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(Videos())) {
            names.insert(entry.path().filename().string());
        }
        return names;
    }

    test_support::TempFolder folder;
    std::string videos_name = "videos";
    test_support::LoopbackServer server;
    qt::QtClock clock;
    curl::CurlClient http{kUserAgent, IsPublicInTests};
    list::DownloadQueue queue;
    PartFiles part_files{queue};
    html::LibxmlHtmlParserFactory parsers;
    // The system's own calls unless a test makes it refuse some.
    test_support::FakeFileSystem files;
    crypto::OpenSslPieceCipher cipher;
    // One item at a time over one connection, unless a test sets more.
    int at_once = 1;
    int connections = 1;
    transfer::ConnectionBudget budget{clock};
    JobServices services{.queue = queue,
                         .http = http,
                         .clock = clock,
                         .download_folder = [this] { return Videos(); },
                         .html_parsers = &parsers,
                         .reads_other_sites = [] { return true; },
                         .files = files,
                         .cipher = &cipher,
                         .downloads_at_once = [this] { return at_once; },
                         .connections = [this] { return connections; },
                         .connection_budget = &budget};
    DownloadRun run{services};
};

} // namespace tarnwick::driver
