// The skin player on a QQuickWidget: loads the QML skin, passes variables to
// its setVariable/getVariable functions and its command signal to a listener.
#pragma once

#include "platform/skin_player.h"

#include <QObject>
#include <QPointer>
#include <QQuickItem>
#include <QQuickWidget>
#include <QString>
#include <QTimer>

#include <optional>
#include <string>

class QWidget;

namespace tarnwick::qt {

// Draws skins with Qt Quick's software renderer, unless QT_QUICK_BACKEND
// names another. Called once, before the first skin's view is made.
void ChooseSkinRenderer();

class QmlSkinPlayer : public QObject, public platform::SkinPlayer {
    Q_OBJECT

public:
    explicit QmlSkinPlayer(QWidget* parent = nullptr);
    ~QmlSkinPlayer() override;

    // Loads the skin file. On failure returns false, keeps no skin and
    // LoadError() tells why; variables then read as "" and writes are dropped.
    bool Load(const std::string& path);
    const std::string& LoadError() const { return load_error_; }
    bool Loaded() const { return skin_ != nullptr; }

    // The view that shows the skin: owned by the parent given above (or by
    // this player when there was none), for placing it and filtering its events.
    QQuickWidget* Widget() const { return view_.data(); }

    void SetVariable(const std::string& path, const std::string& value) override;
    std::string GetVariable(const std::string& path) override;
    void SetCommandListener(platform::SkinCommandListener* listener) override {
        listener_ = listener;
    }
    // The skin's "gridArea" rectangle, moved by the view's place in its window.
    std::optional<platform::Rect> GridArea() override;
    void SetLayoutListener(platform::SkinLayoutListener* listener) override {
        layout_listener_ = listener;
    }

    // The skin's item of that object name, or nullptr.
    QQuickItem* Item(const char* name) const;
    // Whether Tab (forward) or Shift+Tab from the item that has the focus
    // now would give the focus to `item`.
    bool TabWouldReach(const QQuickItem* item, bool forward) const;
    // Gives the view the focus, and in it the item after (forward) or before
    // `item` in the order Tab follows.
    void FocusBeside(QQuickItem* item, bool forward);
    // Whether the skin's beat is counted now: only while it says it is
    // "beating".
    bool Beating() const { return beat_.isActive(); }

protected:
    // Follows the window's visibility, and tells the skin whether the window
    // is maximised: the skin rests while it cannot be seen.
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void OnCommand(const QString& command, const QString& args);
    void OnGridAreaChanged();
    void OnBeatingChanged();

private:
    bool Fail(const std::string& why);
    void TellWindowState();
    bool Follow(QQuickItem* skin, const char* property, const char* slot);
    void Beat();

    QPointer<QQuickWidget> view_;
    // The window the view lies in, whose visibility the skin follows.
    QPointer<QWidget> window_;
    bool owns_view_;
    QPointer<QQuickItem> skin_;
    platform::SkinCommandListener* listener_ = nullptr;
    platform::SkinLayoutListener* layout_listener_ = nullptr;
    std::string load_error_;
    // Counts the skin's "beat" on the screen's beat.
    QTimer beat_;
};

} // namespace tarnwick::qt
