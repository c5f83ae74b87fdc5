// The download list and its view over the fake grid, event pump and message
// box: the base that most logic tests build on.
#pragma once

#include "common/main_state.h"
#include "fakes/fake_event_pump.h"
#include "fakes/fake_grid.h"
#include "fakes/scripted_message_box.h"
#include "list/download_list.h"
#include "list/download_listing.h"
#include "shell/grid_presentation.h"

namespace tarnwick::fakes {

struct ListingHarness {
    MainState state;
    list::DownloadList list;
    FakeEventPump pump;
    ScriptedMessageBox box;
    FakeGrid grid;
    shell::GridPresentation presentation{state, grid};
    list::DownloadListing listing{state, list, pump, box, grid, presentation};
};

} // namespace tarnwick::fakes
