// A download run of streamed videos, with the network and the clock played
// by the test: the addresses are playlists, so no page is read, and ffmpeg
// is a fake the test ends as it likes.
#pragma once

#include "driver/run_harness.h"
#include "fakes/fake_child_processes.h"

#include <filesystem>

namespace tarnwick::driver {

class StreamHarness : public RunHarness {
protected:
    StreamHarness() { std::filesystem::create_directory(folder.File("videos")); }

    // No page is read: the address is the playlist.
    class NoParsers : public platform::HtmlParserFactory {
    public:
        std::unique_ptr<platform::HtmlParser> NewParser(platform::HtmlHandler&) override {
            return nullptr;
        }
    };

    NoParsers parsers;
    fakes::FakeChildProcesses children;
    JobServices streams = [this] {
        JobServices with = services;
        with.html_parsers = &parsers;
        with.reads_other_sites = [] { return true; };
        with.children = &children;
        return with;
    }();
    DownloadRun stream_run{streams};
};

} // namespace tarnwick::driver
