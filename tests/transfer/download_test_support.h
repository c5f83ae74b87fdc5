// A Download component on the libcurl client, talking to a loopback server
// and writing into a temporary folder, with its events recorded.
#pragma once

#include "curl/curl_http_client.h"
#include "fakes/fake_event_pump.h"
#include "support/loopback_server.h"
#include "support/temp_folder.h"
#include "transfer/download.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace tarnwick::transfer {

// Records every event as a line ("progress 41", "complete", ...) and runs
// the test's own handler after recording.
class RecordingEvents : public DownloadEvents {
public:
    void DownloadComplete() override {
        log.push_back("complete");
        if (on_complete) on_complete();
    }
    void DownloadProgress(int64_t lProgress) override {
        log.push_back("progress " + std::to_string(lProgress));
        if (on_progress) on_progress(lProgress);
    }
    void DownloadError(const std::string& sErrorDescription) override {
        log.push_back("error " + sErrorDescription);
        if (on_error) on_error();
    }
    void DownloadCancelled(int64_t lPosition) override {
        log.push_back("cancelled " + std::to_string(lPosition));
        if (on_cancelled) on_cancelled();
    }

    std::vector<std::string> log;
    std::function<void()> on_complete;
    std::function<void(int64_t)> on_progress;
    std::function<void()> on_error;
    std::function<void()> on_cancelled;
};

class DownloadTest : public ::testing::Test {
protected:
    using Log = std::vector<std::string>;

    DownloadTest() : client_(pump_), download_(client_, pump_) {
        download_.SetEvents(&events_);
        download_.SetLocalFile(folder_.File("video.flv"));
    }

    void Address(const std::string& target) { download_.SetUrl(server_.Url(target)); }
    std::string LocalBytes() const { return test_support::ReadWholeFile(download_.LocalFile()); }
    std::string TemporaryBytes() const {
        return test_support::ReadWholeFile(download_.TemporaryFile());
    }
    bool LocalFileExists() const { return std::filesystem::exists(download_.LocalFile()); }
    bool TemporaryFileExists() const { return std::filesystem::exists(download_.TemporaryFile()); }
    std::vector<std::string> Methods() const {
        std::vector<std::string> methods;
        for (const auto& request : server_.Requests()) methods.push_back(request.method);
        return methods;
    }

    fakes::FakeEventPump pump_;
    platform::curl::CurlHttpClient client_;
    test_support::LoopbackServer server_;
    test_support::TempFolder folder_;
    RecordingEvents events_;
    Download download_;
};

} // namespace tarnwick::transfer
