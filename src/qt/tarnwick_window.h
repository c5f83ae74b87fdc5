// The main window on Qt: the skin covering it, and the download grid over
// the skin. It is also the window's input hooks.
#pragma once

#include "platform/input_hooks.h"
#include "platform/main_window.h"
#include "qt/qml_skin_player.h"
#include "qt/qt_grid.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <optional>
#include <string>

class QQuickItem;
class QScreen;
class QWindow;

namespace tarnwick::qt {

class CommandKeys;

class TarnwickWindow : public QWidget, public platform::MainWindow, public platform::InputHooks {
    Q_OBJECT

public:
    explicit TarnwickWindow(list::DownloadQueue& queue);
    ~TarnwickWindow() override;

    QmlSkinPlayer& Skin() { return skin_; }
    QtGrid& Grid() { return grid_; }
    // The window manager's close (title bar, keyboard): the program's exit.
    // Without it, the window just closes.
    void SetCloseRequest(std::function<void()> on_close) { close_request_ = std::move(on_close); }

    // MainWindow
    void SetCaption(const std::string& caption) override;
    void SetIcon(const std::string& path) override;
    void SetSize(int width, int height) override;
    void PlaceSkin(int left, int top, int width, int height) override;
    bool LoadSkin(const std::string& path, std::string& error) override;
    void PlaceGrid(int left, int top, int width, int height) override;
    void Show() override { show(); }
    void Hide() override { hide(); }
    bool IsVisible() const override { return isVisible(); }
    void Minimize() override { showMinimized(); }
    void BringToFront() override;
    void StartDrag() override;
    void Quit() override;
    void SetWindowCommands(platform::UserCommands* commands) override;
    platform::Rect NormalGeometry() const override;
    void SetNormalGeometry(const platform::Rect& rect) override;
    bool IsMaximized() const override { return isMaximized(); }
    void SetMaximized(bool maximized) override;
    platform::Rect AvailableArea(const platform::Rect& rect) const override;
    void StartResize(unsigned edges) override;
    void SetGeometryListener(platform::WindowGeometryListener* listener) override {
        geometry_listener_ = listener;
    }

    // InputHooks
    bool FilterSkinInput(bool enable) override;
    void ForwardWheel(platform::WheelListener* listener) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    // At least the size the program asked for, and wide enough for every
    // column of the grid to show its caption; but never more than the room
    // of the screen the window is on, or part of it could never be seen.
    void KeepLeastSize();
    QSize FittedToScreen(QSize size) const;
    // Keeps the least size to the screen the window is on, as the window
    // moves to another and as the screen's room changes.
    void FollowScreen();
    void OnScreenChanged(QScreen* screen);
    void TellGeometryChanged();
    bool FilterSkinEvent(QEvent* event);
    // The skin's address field when it lies under `position`, in the view.
    QQuickItem* AddressFieldAt(const QPoint& position) const;
    // Gives the grid the focus when Tab would reach its place in the skin.
    bool TabToGrid(bool forward);

    QmlSkinPlayer skin_;
    QtGrid grid_;
    std::function<void()> close_request_;
    bool skin_filtered_ = false;
    platform::WheelListener* wheel_listener_ = nullptr;
    platform::WindowGeometryListener* geometry_listener_ = nullptr;
    QSize least_size_;
    QPointer<QWindow> followed_window_;
    QMetaObject::Connection screen_room_;
    // How much of the skin's width lies beside the grid, once it is placed.
    std::optional<int> around_grid_;
    bool quitting_ = false;
    QPointer<CommandKeys> window_keys_;
};

} // namespace tarnwick::qt
