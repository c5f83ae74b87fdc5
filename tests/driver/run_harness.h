// A download run over the real queue and jobs, with the network and the
// clock played by the test. Video pages are of the one site whose extractor
// takes any link ending in ".flv" from the page.
#pragma once

#include "driver/download_run.h"
#include "fakes/fake_clock.h"
#include "fakes/fake_http.h"
#include "fakes/settle.h"
#include "list/add_video_url.h"
#include "list/item_texts.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tarnwick::driver {

class RunHarness : public testing::Test, public RunObserver {
public:
    RunHarness() { run.AddObserver(this); }
    ~RunHarness() override { run.RemoveObserver(this); }

    void OnRunEnded() override { ++runs_ended; }

    static std::string PageOf(const std::string& id) { return "http://www.putfile.com/" + id; }
    static std::string LinkOf(const std::string& id) {
        return "http://media.example/v/" + id + ".flv";
    }
    std::string VideoPath(const std::string& name) const { return folder.File("videos/" + name); }

    static fakes::FakeReply VideoReply(const std::string& body = "video-bytes") {
        return fakes::FakeReply::Page(body);
    }

    // Lists a page whose link leads to `video`; both are served by the fake,
    // and the link's probe is answered with the video's length.
    list::ItemKey AddVideo(const std::string& id, fakes::FakeReply video = VideoReply()) {
        http.Route(PageOf(id), fakes::FakeReply::Page("<a href='" + LinkOf(id) + "'>"));
        http.RouteHead(LinkOf(id), fakes::FakeReply::Page(video.body));
        http.Route(LinkOf(id), std::move(video));
        EXPECT_EQ(list::AddVideoURL(queue, PageOf(id)), list::DownloadQueue::AddResult::kAdded);
        return queue.LastKey();
    }

    // Lets the network and the event loop play until nothing more happens now.
    void Settle() { fakes::Settle(http, clock); }

    const list::DownloadItem& Item(list::ItemKey key) { return *queue.Find(key); }
    std::string Status(list::ItemKey key) { return list::StatusText(Item(key)); }
    std::string Name(list::ItemKey key) { return list::FileNameText(Item(key)); }
    std::vector<std::string> Statuses() {
        std::vector<std::string> texts;
        for (int p = 0; p < queue.Count(); ++p) texts.push_back(list::StatusText(queue.At(p)));
        return texts;
    }
    // How often the run asked for this address, with any method.
    int Requests(const std::string& url) {
        int count = 0;
        for (const std::string& asked : http.Urls()) count += asked == url ? 1 : 0;
        return count;
    }

    test_support::TempFolder folder;
    fakes::FakeClock clock;
    fakes::FakeHttp http;
    list::DownloadQueue queue;
    // How many items the run has under way at most.
    int at_once = 1;
    JobServices services{.queue = queue,
                         .http = http,
                         .clock = clock,
                         .download_folder = [this] { return folder.File("videos"); },
                         .downloads_at_once = [this] { return at_once; }};
    DownloadRun run{services};
    int runs_ended = 0;
};

} // namespace tarnwick::driver
