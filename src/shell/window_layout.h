// The main window's layout: its least size, the place and size where the user
// left it (stored, and restored inside the screen), and the download grid laid
// over the room the skin leaves for it, wherever the skin's layout puts that.
#pragma once

#include "platform/clock.h"
#include "platform/main_window.h"
#include "platform/rect.h"
#include "platform/skin_player.h"
#include "shell/settings_control.h"

#include <memory>

namespace tarnwick::shell {

// The window's size at the first start, and the least it can be made.
inline constexpr int kWindowWidth = 648;
inline constexpr int kWindowHeight = 585;
// The grid's place at that size, for a skin that does not tell its own.
inline constexpr int kGridLeft = 36;
inline constexpr int kGridTop = 259;
inline constexpr int kGridWidth = 572;
inline constexpr int kGridHeight = 179;

struct WindowLayoutServices {
    platform::MainWindow& window;
    platform::SkinPlayer& skin;
    SettingsControl& settings;
    platform::Clock& clock;
};

class WindowLayout : public platform::SkinLayoutListener, public platform::WindowGeometryListener {
public:
    // How long the window must rest after a move or resize before it is stored.
    static constexpr platform::Duration kStoreDelay{1000};

    explicit WindowLayout(WindowLayoutServices services);
    ~WindowLayout() override;
    WindowLayout(const WindowLayout&) = delete;
    WindowLayout& operator=(const WindowLayout&) = delete;

    // Gives the window the place, size and maximised state where the user
    // left it, moved and cut to fit the screen; from then on each change is
    // stored once the window rests.
    void Restore();
    // Lays the grid over the skin's room for it, now and whenever the skin
    // moves that room.
    void PlaceGrid();
    // Stores the window's place, size and maximised state now.
    void Store();

    // `wanted` moved and cut so that it lies inside `area`, and never below
    // the least size where the area has room for it; a smaller area (a large
    // scale) gets the window filling it.
    static platform::Rect FitInto(const platform::Rect& wanted, const platform::Rect& area);

    void OnGridAreaChanged() override { PlaceGrid(); }
    void OnWindowGeometryChanged() override { store_timer_->Start(kStoreDelay); }

private:
    WindowLayoutServices s_;
    std::unique_ptr<platform::Timer> store_timer_;
};

} // namespace tarnwick::shell
