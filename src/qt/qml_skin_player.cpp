#include "qt/qml_skin_player.h"

#include "platform/clock.h"
#include "qt/text_conversion.h"

#include <QEvent>
#include <QFileInfo>
#include <QMetaObject>
#include <QQmlError>
#include <QQuickItem>
#include <QQuickWidget>
#include <QQuickWindow>
#include <QRect>
#include <QSGRendererInterface>
#include <QUrl>
#include <QVariant>

#include <chrono>

namespace tarnwick::qt {
namespace {

// What a skin must offer: the program calls the two functions and listens to the signal.
constexpr const char* kSetVariable = "setVariable(QVariant,QVariant)";
constexpr const char* kGetVariable = "getVariable(QVariant)";
constexpr const char* kCommand = "command(QString,QString)";

std::string MissingMember(const QObject& skin) {
    const QMetaObject* meta = skin.metaObject();
    if (meta->indexOfMethod(kSetVariable) < 0) return "function setVariable(path, value)";
    if (meta->indexOfMethod(kGetVariable) < 0) return "function getVariable(path)";
    if (meta->indexOfSignal(kCommand) < 0) return "signal command(string command, string args)";
    return {};
}

std::string DescribeErrors(const QList<QQmlError>& errors) {
    std::string text;
    for (const QQmlError& error : errors) text += "\n" + ToStdString(error.toString());
    return text;
}

} // namespace

void ChooseSkinRenderer() {
    // The skin is a flat picture that changes a few times a second at most.
    // The software renderer draws it into the window's own backing store; with
    // OpenGL, a QQuickWidget has the whole window composed through OpenGL for
    // every repaint, which costs memory and, without a GPU (llvmpipe), a core.
    if (qEnvironmentVariableIsEmpty("QT_QUICK_BACKEND")) {
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    }
}

QmlSkinPlayer::QmlSkinPlayer(QWidget* parent)
    : view_(new QQuickWidget(parent)), owns_view_(parent == nullptr) {
    view_->setResizeMode(QQuickWidget::SizeRootObjectToView);
    view_->setFocusPolicy(Qt::StrongFocus);
    beat_.setSingleShot(true);
    beat_.setTimerType(Qt::PreciseTimer);
    connect(&beat_, &QTimer::timeout, this, [this] {
        if (!skin_) return;
        skin_->setProperty("beat", skin_->property("beat").toInt() + 1);
        Beat();
    });
}

QmlSkinPlayer::~QmlSkinPlayer() {
    if (owns_view_) delete view_.data();
}

bool QmlSkinPlayer::Load(const std::string& path) {
    load_error_.clear();
    if (skin_) disconnect(skin_, nullptr, this, nullptr);
    skin_ = nullptr;
    beat_.stop();
    if (!view_) return Fail("The skin's view no longer exists.");

    const QFileInfo file(ToQString(path));
    if (!file.isFile() || !file.isReadable()) {
        view_->setSource(QUrl());
        return Fail("The skin file \"" + path + "\" cannot be read.");
    }
    view_->setSource(QUrl::fromLocalFile(file.absoluteFilePath()));
    QQuickItem* skin = view_->rootObject();
    if (view_->status() != QQuickWidget::Ready || skin == nullptr) {
        const std::string errors = DescribeErrors(view_->errors());
        view_->setSource(QUrl());
        return Fail("The skin \"" + path + "\" could not be loaded." + errors);
    }
    const std::string missing = MissingMember(*skin);
    if (!missing.empty()) {
        view_->setSource(QUrl());
        return Fail("The skin \"" + path + "\" has no " + missing + ".");
    }
    connect(skin, SIGNAL(command(QString, QString)), this, SLOT(OnCommand(QString, QString)));
    Follow(skin, "gridArea", "OnGridAreaChanged()");
    skin_ = skin;
    if (Follow(skin, "beating", "OnBeatingChanged()")) OnBeatingChanged();
    if (window_) window_->removeEventFilter(this);
    window_ = view_->window();
    window_->installEventFilter(this);
    TellWindowState();
    // A view of its own takes the skin's size; in a window, the window sizes it.
    if (view_->isWindow() && skin->width() > 0 && skin->height() > 0) {
        view_->resize(static_cast<int>(skin->width()), static_cast<int>(skin->height()));
    }
    return true;
}

// Calls `slot` of this player whenever the skin's `property` changes; false
// when the skin has no such property that tells its changes.
bool QmlSkinPlayer::Follow(QQuickItem* skin, const char* property, const char* slot) {
    const QMetaObject* meta = skin->metaObject();
    const int index = meta->indexOfProperty(property);
    if (index < 0 || !meta->property(index).hasNotifySignal()) return false;
    connect(skin, meta->property(index).notifySignal(), this,
            metaObject()->method(metaObject()->indexOfSlot(slot)));
    return true;
}

void QmlSkinPlayer::OnBeatingChanged() {
    if (skin_ && skin_->property("beating").toBool()) {
        if (!beat_.isActive()) Beat();
    } else {
        beat_.stop();
    }
}

void QmlSkinPlayer::Beat() {
    beat_.start(platform::UntilNextScreenBeat(std::chrono::steady_clock::now()));
}

std::optional<platform::Rect> QmlSkinPlayer::GridArea() {
    if (!skin_) return std::nullopt;
    const QVariant area = skin_->property("gridArea");
    if (!area.isValid()) return std::nullopt;
    const QRect rect = area.toRectF().toRect();
    const QPoint offset = view_->mapTo(view_->window(), QPoint(0, 0));
    return platform::Rect{rect.x() + offset.x(), rect.y() + offset.y(), rect.width(),
                          rect.height()};
}

void QmlSkinPlayer::OnGridAreaChanged() {
    if (layout_listener_ != nullptr) layout_listener_->OnGridAreaChanged();
}

QQuickItem* QmlSkinPlayer::Item(const char* name) const {
    if (!skin_) return nullptr;
    return skin_->findChild<QQuickItem*>(QString::fromUtf8(name));
}

bool QmlSkinPlayer::TabWouldReach(const QQuickItem* item, bool forward) const {
    if (!view_ || item == nullptr) return false;
    QQuickItem* current = view_->quickWindow()->activeFocusItem();
    return current != nullptr && current->nextItemInFocusChain(forward) == item;
}

void QmlSkinPlayer::FocusBeside(QQuickItem* item, bool forward) {
    if (!view_ || item == nullptr) return;
    view_->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    if (QQuickItem* beside = item->nextItemInFocusChain(forward)) {
        beside->forceActiveFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    }
}

bool QmlSkinPlayer::Fail(const std::string& why) {
    load_error_ = why;
    return false;
}

void QmlSkinPlayer::SetVariable(const std::string& path, const std::string& value) {
    if (!skin_) return;
    QMetaObject::invokeMethod(skin_, "setVariable", Q_ARG(QVariant, QVariant(ToQString(path))),
                              Q_ARG(QVariant, QVariant(ToQString(value))));
}

std::string QmlSkinPlayer::GetVariable(const std::string& path) {
    if (!skin_) return {};
    QVariant value;
    if (!QMetaObject::invokeMethod(skin_, "getVariable", Q_RETURN_ARG(QVariant, value),
                                   Q_ARG(QVariant, QVariant(ToQString(path))))) {
        return {};
    }
    return ToStdString(value.toString());
}

bool QmlSkinPlayer::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (watched == window_ &&
        (type == QEvent::Show || type == QEvent::Hide || type == QEvent::WindowStateChange)) {
        TellWindowState();
    }
    return false;
}

void QmlSkinPlayer::TellWindowState() {
    if (!skin_ || !window_) return;
    skin_->setProperty("awake", window_->isVisible() && !window_->isMinimized());
    skin_->setProperty("maximized", window_->isMaximized());
}

void QmlSkinPlayer::OnCommand(const QString& command, const QString& args) {
    if (listener_) listener_->OnSkinCommand(ToStdString(command), ToStdString(args));
}

} // namespace tarnwick::qt
