// The whole shell wired as the program wires it, over the real queue and run,
// with every desktop service faked and the network and the clock played by
// the test. The window, the tray and the hooks write one log.
#pragma once

#include "fakes/fake_app_paths.h"
#include "fakes/fake_clipboard.h"
#include "fakes/fake_clock.h"
#include "fakes/fake_desktop.h"
#include "fakes/fake_folder_chooser.h"
#include "fakes/fake_grid.h"
#include "fakes/fake_http.h"
#include "fakes/fake_list_store.h"
#include "fakes/fake_settings_store.h"
#include "fakes/fake_shell_launch.h"
#include "fakes/recording_skin.h"
#include "fakes/scripted_message_box.h"
#include "fakes/settle.h"
#include "list/add_video_url.h"
#include "list/item_texts.h"
#include "shell/app_lifecycle.h"
#include "shell/keeping_notices.h"
#include "shell/skin_commands.h"
#include "shell/skin_variables.h"
#include "shell/tray_menu.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tarnwick::shell {

using Log = std::vector<std::string>;
using SkinWrite = fakes::RecordingSkin::Write;

struct FakeConnectivity : platform::Connectivity {
    bool HasConnection() override { return connected; }
    bool connected = true;
};

class ShellHarness : public testing::Test {
protected:
    static constexpr const char* kChannel = "/tmp/channel-9";
    static constexpr const char* kWatcher = "/opt/tarnwick/tarnwick-clip";

    // Lists a page of a supported site whose video the fake serves.
    list::ItemKey AddVideo(const std::string& id, fakes::FakeReply video = Video()) {
        const std::string page = "http://www.putfile.com/" + id;
        const std::string link = "http://media.example/" + id + ".flv";
        http.Route(page, fakes::FakeReply::Page("<a href='" + link + "'>"));
        http.Route(link, std::move(video));
        list::AddVideoURL(queue, page);
        return queue.LastKey();
    }
    static fakes::FakeReply Video() { return fakes::FakeReply::Page("video"); }
    void Settle() { fakes::Settle(http, clock); }
    std::string Status(int position) { return list::StatusText(queue.At(position)); }
    std::vector<std::string> Addresses() const {
        std::vector<std::string> addresses;
        for (int p = 0; p < queue.Count(); ++p) addresses.push_back(queue.At(p).page_address);
        return addresses;
    }
    std::vector<SkinWrite> WritesOf(const std::string& path) const {
        std::vector<SkinWrite> writes;
        for (const SkinWrite& write : skin.writes) {
            if (write.path == path) writes.push_back(write);
        }
        return writes;
    }

    Log log;
    test_support::TempFolder folder;
    list::DownloadQueue queue;
    settings::AppSettings values{false, folder.File("videos")};
    SkinPages pages;
    fakes::FakeClock clock;
    platform::NoTrace trace;
    fakes::FakeHttp http;
    fakes::FakeGrid grid{queue};
    fakes::FakeMainWindow window{log};
    fakes::FakeTray tray{log};
    fakes::FakeInputHooks input{log};
    fakes::RecordingSkin skin;
    fakes::ScriptedMessageBox box;
    fakes::FakeAppPaths paths;
    fakes::FakeShellLaunch launch;
    fakes::FakeFolderChooser chooser;
    fakes::FakeClipboard clipboard;
    fakes::FakeSettingsStore store;
    FakeConnectivity connectivity;
    int at_once = 1;
    driver::DownloadRun run{{.queue = queue,
                             .http = http,
                             .clock = clock,
                             .download_folder = [this] { return values.download_dir; },
                             .downloads_at_once = [this] { return at_once; }}};
    driver::PartFiles part_files{queue};
    RunCommands runs{{queue, run, box, connectivity, skin, clock, pages}};
    StatusLine status{{queue, run, grid, skin, clock}};
    Removals removals{queue, part_files, status, clock};
    GridCommands grid_commands{queue, grid, values, removals};
    AddressEntry entry{queue, status, values};
    ClipboardWatcher watcher{launch, paths, [] { return kChannel; }};
    ClipboardMonitor monitor{{entry, skin, clipboard, clock, watcher, values, runs, trace}};
    fakes::FakeListStore list_store;
    list::ListKeeper keeper{queue, list_store, clock};
    KeepingNotices notices{keeper, status};
    // The transfer settings as each telling gave them.
    std::vector<settings::AppSettings> transfer_settings_told;
    SettingsControl settings{
        {values, store, skin, chooser, paths, monitor, keeper, box,
         [this](const settings::AppSettings& told) { transfer_settings_told.push_back(told); }}};
    WindowHooks hooks{input, grid};
    AppLifecycle lifecycle{{window, tray, skin, box, paths, clock, grid, hooks, run, part_files,
                            keeper, settings, monitor, removals}};
    SkinCommands commands{{window, tray, skin, launch, box, paths, grid, entry, pages,
                           grid_commands, runs, lifecycle, settings, monitor}};
};

} // namespace tarnwick::shell
