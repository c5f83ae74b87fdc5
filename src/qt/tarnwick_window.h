// The main window on Qt: the classic controls, the skin covering them, and
// the download grid over the skin. It is also the window's input hooks and
// shows the run's captions.
#pragma once

#include "platform/input_hooks.h"
#include "platform/main_window.h"
#include "platform/run_captions.h"
#include "qt/qml_skin_player.h"
#include "qt/qt_grid.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <optional>
#include <string>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QQuickItem;

namespace tarnwick::qt {

class CommandKeys;

// What the classic controls under the skin do: the same operations the
// skin's commands reach.
struct ClassicControlActions {
    std::function<void(const std::string& txtURL)> add_to_list;
    std::function<void()> start_stop;
    std::function<void()> browse;
    std::function<void()> monitor_check;
    std::function<void(const std::string& skin_command)> grid_command;
    // The window manager's close (title bar, keyboard): the program's exit.
    std::function<void()> close_request;
};

class TarnwickWindow : public QWidget,
                       public platform::MainWindow,
                       public platform::RunCaptions,
                       public platform::InputHooks {
    Q_OBJECT

public:
    explicit TarnwickWindow(list::DownloadQueue& queue);
    ~TarnwickWindow() override;

    QmlSkinPlayer& Skin() { return skin_; }
    QtGrid& Grid() { return grid_; }
    void SetActions(ClassicControlActions actions) { actions_ = std::move(actions); }
    QPushButton* StartButton() const { return cmdStartDownload_; }
    QCheckBox* MonitorCheck() const { return chkMonitor_; }
    QLineEdit* DeliveryBox() const { return txtMonitor_; }

    // MainWindow
    void SetCaption(const std::string& caption) override;
    void SetIcon(const std::string& path) override;
    void SetSize(int width, int height) override;
    void SelectAutoSite() override;
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

    // RunCaptions
    void ShowStartButtonCaption(const std::string& caption) override;
    void ShowTrayEntryCaption(const std::string& caption) override { tray_caption_ = caption; }
    const std::string& TrayEntryCaption() const { return tray_caption_; }

    // InputHooks
    bool FilterSkinInput(bool enable) override;
    void ForwardWheel(platform::WheelListener* listener) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    void BuildClassicControls();
    QPushButton* GridButton(const char* caption, const char* tip, const char* command, int left);
    // At least the size the program asked for, and wide enough for every
    // column of the grid to show its caption.
    void KeepLeastSize();
    void TellGeometryChanged();
    bool FilterSkinEvent(QEvent* event);
    // The skin's address field when it lies under `position`, in the view.
    QQuickItem* AddressFieldAt(const QPoint& position) const;
    // Gives the grid the focus when Tab would reach its place in the skin.
    bool TabToGrid(bool forward);

    QLineEdit* txtURL_ = nullptr;
    QPushButton* cmdAdd2List_ = nullptr;
    QPushButton* cmdStartDownload_ = nullptr;
    QPushButton* cmdBrowse_ = nullptr;
    QCheckBox* chkMonitor_ = nullptr;
    QComboBox* cmbSite_ = nullptr;
    QLineEdit* txtMonitor_ = nullptr;
    QmlSkinPlayer skin_;
    QtGrid grid_;
    ClassicControlActions actions_;
    std::string tray_caption_ = "Start Downloading";
    bool skin_filtered_ = false;
    platform::WheelListener* wheel_listener_ = nullptr;
    platform::WindowGeometryListener* geometry_listener_ = nullptr;
    QSize least_size_;
    // How much of the skin's width lies beside the grid, once it is placed.
    std::optional<int> around_grid_;
    bool quitting_ = false;
    QPointer<CommandKeys> window_keys_;
};

} // namespace tarnwick::qt
