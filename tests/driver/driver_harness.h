// The main window's logic without a desktop: the real Download component on
// the libcurl client against a loopback server, fakes for everything else,
// and pages of three sites whose video links point back at the same server.
#pragma once

#include "common/main_state.h"
#include "curl/curl_http_client.h"
#include "driver/run_control.h"
#include "driver/transfer_event_handler.h"
#include "fakes/fake_event_pump.h"
#include "fakes/fake_grid.h"
#include "fakes/fake_timer.h"
#include "fakes/listing_harness.h"
#include "fakes/recording_skin.h"
#include "fakes/scripted_message_box.h"
#include "list/download_list.h"
#include "list/download_listing.h"
#include "platform/connectivity.h"
#include "platform/run_captions.h"
#include "resolve/link_resolver.h"
#include "shell/grid_presentation.h"
#include "support/loopback_server.h"
#include "support/temp_folder.h"
#include "transfer/download.h"

#include <string>
#include <utility>
#include <vector>

namespace tarnwick::driver {

class FakeConnectivity : public platform::Connectivity {
public:
    bool HasConnection() override { return connected; }
    bool connected = true;
};

class RecordingCaptions : public platform::RunCaptions {
public:
    void ShowStartButtonCaption(const std::string& caption) override {
        shown.push_back("button " + caption);
    }
    void ShowTrayEntryCaption(const std::string& caption) override {
        shown.push_back("tray " + caption);
    }
    std::vector<std::string> shown;
};

class DriverHarness : public fakes::ListingHarness {
public:
    DriverHarness() {
        download.SetEvents(&handler);
        state.DownloadDir = folder.File("videos");
        tmrDownload.SetInterval(200);
        tmrDownload.SetTickHandler([this] { run.tmrDownload_Timer(); });
    }

    // A PutFile page whose link is the server's "/files/<name>".
    std::string PutFilePage(const std::string& id, const std::string& name,
                            const std::string& video_body) {
        server.Serve(
            "/putfile.com/" + id,
            test_support::Answer::Http(200, "OK", {"Content-Type: text/html"},
                                       "<html><body><a href=\"" + server.Url("/files/" + name) +
                                           "\">download</a></body></html>"));
        server.Serve("/files/" + name, test_support::Answer::Http(200, "OK", {}, video_body));
        return server.Url("/putfile.com/" + id);
    }
    // A ThatVideoSite page with an embedded player of the server's "/tv/<name>".
    std::string ThatVideoSitePage(const std::string& id, const std::string& name,
                                  const std::string& video_body) {
        server.Serve("/thatvideosite.com/" + id,
                     test_support::Answer::Http(
                         200, "OK", {},
                         "<div><embed src='" + server.Url("/tv/" + name) + "' width='400'></div>"));
        server.Serve("/tv/" + name, test_support::Answer::Http(200, "OK", {}, video_body));
        return server.Url("/thatvideosite.com/" + id);
    }
    // A ZippyVideos page whose player parameters name the server's "/z/s/u/<video>".
    std::string ZippyPage(const std::string& id, const std::string& video,
                          const std::string& video_body) {
        server.Serve(
            "/zippyvideos.com/" + id,
            test_support::Answer::Http(200, "OK", {},
                                       "<script>player('storageId=s&userName=u&videoId=" + video +
                                           "&srvURL=" + server.Url("/z") + "');</script>"));
        server.Serve("/z/s/u/" + video, test_support::Answer::Http(200, "OK", {}, video_body));
        return server.Url("/zippyvideos.com/" + id);
    }

    std::string VideoFile(const std::string& name) const {
        return test_support::ReadWholeFile(folder.File("videos/" + name));
    }
    std::vector<std::string> Statuses() const {
        std::vector<std::string> statuses;
        for (const list::ListedItem& item : list.Items()) statuses.push_back(item.Status);
        return statuses;
    }

    test_support::TempFolder folder;
    test_support::LoopbackServer server;
    platform::curl::CurlHttpClient client{pump};
    transfer::Download download{client, pump};
    TransferEventHandler handler{state, list, grid, listing, download};
    resolve::LinkResolver resolver{state, download, folder.File("cache/Parse.wvi")};
    FakeConnectivity connectivity;
    fakes::RecordingSkin skin;
    RecordingCaptions captions;
    fakes::FakeTimer tmrDownload;
    RunControl run{RunServices{state, list, listing, presentation, resolver, download, box,
                               connectivity, skin, captions, tmrDownload}};
};

} // namespace tarnwick::driver
