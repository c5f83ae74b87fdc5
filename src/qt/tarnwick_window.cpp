#include "qt/tarnwick_window.h"

#include "qt/command_keys.h"
#include "qt/download_queue_model.h"
#include "qt/text_conversion.h"
#include "qt/text_field_menu.h"

#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QQuickItem>
#include <QQuickWindow>
#include <QScreen>
#include <QShowEvent>
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
    grid_.SetColumnsFittedListener([this] { KeepLeastSize(); });
    // Tab leaves the grid for the skin's next control rather than its next cell.
    grid_.Widget()->setTabKeyNavigation(false);
    skin_.Widget()->installEventFilter(this);
    // The grid's progress goes into the skin's drawing at each beat.
    connect(skin_.Widget()->quickWindow(), &QQuickWindow::afterAnimating, grid_.Model(),
            &DownloadQueueModel::OnSkinDrawn);
}

TarnwickWindow::~TarnwickWindow() {
    ForwardWheel(nullptr);
    FilterSkinInput(false);
}

void TarnwickWindow::SetCaption(const std::string& caption) { setWindowTitle(ToQString(caption)); }

void TarnwickWindow::SetIcon(const std::string& path) { setWindowIcon(QIcon(ToQString(path))); }

void TarnwickWindow::SetSize(int width, int height) {
    least_size_ = QSize(width, height);
    KeepLeastSize();
    resize(FittedToScreen(least_size_.expandedTo(minimumSize())));
}

void TarnwickWindow::KeepLeastSize() {
    if (least_size_.isEmpty()) return;
    int least_width = least_size_.width();
    if (around_grid_) least_width = std::max(least_width, grid_.LeastWidth() + *around_grid_);
    setMinimumSize(FittedToScreen(QSize(least_width, least_size_.height())));
}

QSize TarnwickWindow::FittedToScreen(QSize size) const {
    // The window has no frame of its own: its size is all it takes.
    const QScreen* on = screen();
    return on == nullptr ? size : size.boundedTo(on->availableGeometry().size());
}

void TarnwickWindow::FollowScreen() {
    QWindow* window = windowHandle();
    if (window == nullptr || window == followed_window_) return;
    followed_window_ = window;
    connect(window, &QWindow::screenChanged, this, &TarnwickWindow::OnScreenChanged);
    OnScreenChanged(window->screen());
}

void TarnwickWindow::OnScreenChanged(QScreen* screen) {
    disconnect(screen_room_);
    if (screen != nullptr) {
        screen_room_ =
            connect(screen, &QScreen::availableGeometryChanged, this, [this] { KeepLeastSize(); });
    }
    KeepLeastSize();
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

void TarnwickWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    FollowScreen();
}

void TarnwickWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) TellGeometryChanged();
}

void TarnwickWindow::TellGeometryChanged() {
    if (geometry_listener_ != nullptr) geometry_listener_->OnWindowGeometryChanged();
}

void TarnwickWindow::PlaceSkin(int left, int top, int width, int height) {
    skin_.Widget()->setGeometry(left, top, width, height);
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
    if (quitting_ || !close_request_) {
        event->accept();
        return;
    }
    event->ignore();
    close_request_();
}

} // namespace tarnwick::qt
