#include "qt/tarnwick_window.h"

#include "qt/command_keys.h"
#include "qt/text_conversion.h"
#include "qt/text_field_menu.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QQuickItem>
#include <QScreen>
#include <QTableView>
#include <QWheelEvent>
#include <QWindow>

#include <algorithm>

namespace tarnwick::qt {
namespace {

// The skin's items the window looks for.
constexpr const char* kAddressField = "addressField";
constexpr const char* kGridFocusSlot = "gridFocusSlot";

} // namespace

TarnwickWindow::TarnwickWindow(list::DownloadQueue& queue)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), skin_(this), grid_(queue, this) {
    BuildClassicControls();
    grid_.SetColumnsFittedListener([this] { KeepLeastSize(); });
    // Tab leaves the grid for the skin's next control rather than its next cell.
    grid_.Widget()->setTabKeyNavigation(false);
    skin_.Widget()->installEventFilter(this);
}

TarnwickWindow::~TarnwickWindow() {
    ForwardWheel(nullptr);
    FilterSkinInput(false);
}

// The classic surface under the skin; the skin's commands reach the same
// operations, and these stay as the fallback surface.
void TarnwickWindow::BuildClassicControls() {
    txtURL_ = new QLineEdit(this);
    txtURL_->setGeometry(8, 8, 420, 24);
    cmdAdd2List_ = new QPushButton(QStringLiteral("Add"), this);
    cmdAdd2List_->setGeometry(436, 8, 80, 24);
    connect(cmdAdd2List_, &QPushButton::clicked, this, [this] {
        if (actions_.add_to_list) actions_.add_to_list(ToStdString(txtURL_->text()));
    });
    cmdStartDownload_ = new QPushButton(QStringLiteral("Start Downloading"), this);
    cmdStartDownload_->setGeometry(8, 40, 160, 24);
    connect(cmdStartDownload_, &QPushButton::clicked, this, [this] {
        if (actions_.start_stop) actions_.start_stop();
    });
    cmdBrowse_ = new QPushButton(QStringLiteral("Browse..."), this);
    cmdBrowse_->setGeometry(176, 40, 90, 24);
    connect(cmdBrowse_, &QPushButton::clicked, this, [this] {
        if (actions_.browse) actions_.browse();
    });
    chkMonitor_ = new QCheckBox(
        QStringLiteral("Monitor video URL's in clipboard and automatically add and download"),
        this);
    chkMonitor_->setGeometry(8, 72, 500, 24);
    connect(chkMonitor_, &QCheckBox::clicked, this, [this] {
        if (actions_.monitor_check) actions_.monitor_check();
    });
    cmbSite_ = new QComboBox(this);
    cmbSite_->addItems({QStringLiteral("Auto"), QStringLiteral("video.google.com"),
                        QStringLiteral("youtube.com"), QStringLiteral("ifilm.com")});
    cmbSite_->setGeometry(524, 8, 116, 24);
    txtMonitor_ = new QLineEdit(this);
    txtMonitor_->setGeometry(524, 40, 116, 24);
    txtMonitor_->hide();
    GridButton("&A", "Select All", "IDC_FS_selectAllD", 8);
    GridButton("X", "Remove Selected Items", "IDC_FS_removeSelectedD", 40);
    GridButton("/|\\", "Move Item Up", "IDC_FS_moveUp", 72);
    GridButton("\\|/", "Move item down", "IDC_FS_moveDown", 104);
    GridButton("&X", "Clear Completed items", "ID_FS_clearComplete", 136);
    GridButton("R", "Retry failed items", "IDC_FS_retryFailedD", 168);
    // Under the skin, out of the keyboard's way.
    for (QWidget* control : {static_cast<QWidget*>(txtURL_), static_cast<QWidget*>(cmdAdd2List_),
                             static_cast<QWidget*>(cmdStartDownload_),
                             static_cast<QWidget*>(cmdBrowse_), static_cast<QWidget*>(chkMonitor_),
                             static_cast<QWidget*>(cmbSite_), static_cast<QWidget*>(txtMonitor_)}) {
        control->setFocusPolicy(Qt::NoFocus);
    }
}

QPushButton* TarnwickWindow::GridButton(const char* caption, const char* tip, const char* command,
                                        int left) {
    auto* button = new QPushButton(QString::fromUtf8(caption), this);
    button->setToolTip(QString::fromUtf8(tip));
    button->setFocusPolicy(Qt::NoFocus);
    button->setGeometry(left, 450, 28, 24);
    const std::string name = command;
    connect(button, &QPushButton::clicked, this, [this, name] {
        if (actions_.grid_command) actions_.grid_command(name);
    });
    return button;
}

void TarnwickWindow::SetCaption(const std::string& caption) { setWindowTitle(ToQString(caption)); }

void TarnwickWindow::SetIcon(const std::string& path) { setWindowIcon(QIcon(ToQString(path))); }

void TarnwickWindow::SetSize(int width, int height) {
    least_size_ = QSize(width, height);
    KeepLeastSize();
    resize(least_size_.expandedTo(minimumSize()));
}

void TarnwickWindow::KeepLeastSize() {
    if (least_size_.isEmpty()) return;
    int least_width = least_size_.width();
    if (around_grid_) least_width = std::max(least_width, grid_.LeastWidth() + *around_grid_);
    setMinimumSize(least_width, least_size_.height());
}

platform::Rect TarnwickWindow::NormalGeometry() const {
    const QRect normal = isMaximized() ? normalGeometry() : geometry();
    return {normal.x(), normal.y(), normal.width(), normal.height()};
}

void TarnwickWindow::SetNormalGeometry(const platform::Rect& rect) {
    setGeometry(rect.left, rect.top, rect.width, rect.height);
}

void TarnwickWindow::SetMaximized(bool maximized) {
    if (!isVisible()) {
        setWindowState(maximized ? windowState() | Qt::WindowMaximized
                                 : windowState() & ~Qt::WindowMaximized);
    } else if (maximized) {
        showMaximized();
    } else {
        showNormal();
    }
}

platform::Rect TarnwickWindow::AvailableArea(const platform::Rect& rect) const {
    const QRect wanted(rect.left, rect.top, rect.width, rect.height);
    QScreen* screen = QGuiApplication::screenAt(wanted.center());
    if (screen == nullptr) screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return rect;
    const QRect area = screen->availableGeometry();
    return {area.x(), area.y(), area.width(), area.height()};
}

void TarnwickWindow::StartResize(unsigned edges) {
    Qt::Edges qt_edges;
    if (edges & platform::kEdgeLeft) qt_edges |= Qt::LeftEdge;
    if (edges & platform::kEdgeTop) qt_edges |= Qt::TopEdge;
    if (edges & platform::kEdgeRight) qt_edges |= Qt::RightEdge;
    if (edges & platform::kEdgeBottom) qt_edges |= Qt::BottomEdge;
    if (QWindow* window = windowHandle(); window != nullptr && qt_edges) {
        window->startSystemResize(qt_edges);
    }
}

void TarnwickWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // The skin covers the whole window, and lays its room for the grid out anew.
    skin_.Widget()->setGeometry(rect());
    TellGeometryChanged();
}

void TarnwickWindow::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    TellGeometryChanged();
}

void TarnwickWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) TellGeometryChanged();
}

void TarnwickWindow::TellGeometryChanged() {
    if (geometry_listener_ != nullptr) geometry_listener_->OnWindowGeometryChanged();
}

void TarnwickWindow::SelectAutoSite() { cmbSite_->setCurrentIndex(0); }

void TarnwickWindow::PlaceSkin(int left, int top, int width, int height) {
    skin_.Widget()->setGeometry(left, top, width, height);
    skin_.Widget()->raise();
}

bool TarnwickWindow::LoadSkin(const std::string& path, std::string& error) {
    if (skin_.Load(path)) return true;
    error = skin_.LoadError();
    return false;
}

void TarnwickWindow::PlaceGrid(int left, int top, int width, int height) {
    grid_.Widget()->setGeometry(left, top, width, height);
    grid_.Widget()->raise();
    // The skin keeps this much of its width around the grid, whatever its size.
    around_grid_ = skin_.Widget()->width() - width;
    KeepLeastSize();
}

void TarnwickWindow::StartDrag() {
    if (QWindow* window = windowHandle()) window->startSystemMove();
}

void TarnwickWindow::Quit() {
    quitting_ = true;
    hide();
    QCoreApplication::quit();
}

void TarnwickWindow::SetWindowCommands(platform::UserCommands* commands) {
    delete window_keys_;
    if (commands != nullptr) window_keys_ = new CommandKeys(this, *commands, Qt::WindowShortcut);
}

void TarnwickWindow::BringToFront() {
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    activateWindow();
}

void TarnwickWindow::ShowStartButtonCaption(const std::string& caption) {
    cmdStartDownload_->setText(ToQString(caption));
}

bool TarnwickWindow::FilterSkinInput(bool enable) {
    QWidget* view = skin_.Widget();
    if (view == nullptr) return false;
    if (enable) {
        // Ahead of any filter installed since: the last installed runs first.
        view->removeEventFilter(this);
        view->installEventFilter(this);
    }
    skin_filtered_ = enable;
    return true;
}

void TarnwickWindow::ForwardWheel(platform::WheelListener* listener) {
    QWidget* viewport = grid_.Widget()->viewport();
    if (listener != nullptr && wheel_listener_ == nullptr) viewport->installEventFilter(this);
    if (listener == nullptr && wheel_listener_ != nullptr) viewport->removeEventFilter(this);
    wheel_listener_ = listener;
}

bool TarnwickWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == skin_.Widget()) return FilterSkinEvent(event);
    if (event->type() == QEvent::Wheel && wheel_listener_ != nullptr) {
        // Exactly one step per wheel event: the grid's own scrolling stays out.
        const QPoint delta = static_cast<QWheelEvent*>(event)->angleDelta();
        wheel_listener_->OnWheel(delta.y(), delta.x());
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

// Tab passes to the grid where the skin's order has it, the address field has
// its edit menu, and while the skin is filtered, right-button presses and the
// context-menu key never reach it.
bool TarnwickWindow::FilterSkinEvent(QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyPress: {
            const auto* key = static_cast<QKeyEvent*>(event);
            const Qt::KeyboardModifiers modifiers = key->modifiers();
            const bool tab = key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab;
            if (tab && !(modifiers & (Qt::ControlModifier | Qt::AltModifier))) {
                return TabToGrid(key->key() == Qt::Key_Tab && !(modifiers & Qt::ShiftModifier));
            }
            const bool menu_key = key->key() == Qt::Key_Menu ||
                                  (key->key() == Qt::Key_F10 && modifiers == Qt::ShiftModifier);
            if (!menu_key) return false;
            if (QQuickItem* field = skin_.Item(kAddressField); field && field->hasActiveFocus()) {
                const QPointF below = field->mapToScene(QPointF(0, field->height()));
                PopUpTextFieldMenu(field, this, skin_.Widget()->mapToGlobal(below.toPoint()));
                return true;
            }
            return skin_filtered_ && key->key() == Qt::Key_Menu;
        }
        case QEvent::ContextMenu: {
            const auto* menu = static_cast<QContextMenuEvent*>(event);
            if (QQuickItem* field = AddressFieldAt(menu->pos())) {
                PopUpTextFieldMenu(field, this, menu->globalPos());
                return true;
            }
            return skin_filtered_;
        }
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            return skin_filtered_ && static_cast<QMouseEvent*>(event)->button() == Qt::RightButton;
        default: return false;
    }
}

QQuickItem* TarnwickWindow::AddressFieldAt(const QPoint& position) const {
    QQuickItem* field = skin_.Item(kAddressField);
    if (field == nullptr || !field->isVisible() || !field->isEnabled()) return nullptr;
    return field->contains(field->mapFromScene(QPointF(position))) ? field : nullptr;
}

bool TarnwickWindow::TabToGrid(bool forward) {
    QQuickItem* place = skin_.Item(kGridFocusSlot);
    if (!grid_.Widget()->isVisible() || !skin_.TabWouldReach(place, forward)) return false;
    grid_.Widget()->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    return true;
}

// Tab in the grid goes back to the skin, to the control beside the grid's place.
bool TarnwickWindow::focusNextPrevChild(bool next) {
    QWidget* focused = QApplication::focusWidget();
    QQuickItem* place = skin_.Item(kGridFocusSlot);
    if (place != nullptr && focused != nullptr &&
        (focused == grid_.Widget() || grid_.Widget()->isAncestorOf(focused))) {
        skin_.FocusBeside(place, next);
        return true;
    }
    return QWidget::focusNextPrevChild(next);
}

void TarnwickWindow::closeEvent(QCloseEvent* event) {
    if (quitting_ || !actions_.close_request) {
        event->accept();
        return;
    }
    event->ignore();
    actions_.close_request();
}

} // namespace tarnwick::qt
