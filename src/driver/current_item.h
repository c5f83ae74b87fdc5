// The item the run is processing, found through CurrentIndex and checked
// against CurrentItemKey so that nothing is ever written into a neighbour.
#pragma once

#include "common/main_state.h"
#include "list/download_list.h"

namespace tarnwick::driver {

// The item at CurrentIndex when it is the run's item (any item there when no
// key is kept); nullptr when that position holds another item or none.
inline list::ListedItem* CurrentItem(const MainState& state, list::DownloadList& list) {
    if (!list.HasPosition(state.CurrentIndex)) return nullptr;
    list::ListedItem& item = list.At(state.CurrentIndex);
    if (state.CurrentItemKey != 0 && item.Key != state.CurrentItemKey) return nullptr;
    return &item;
}

} // namespace tarnwick::driver
