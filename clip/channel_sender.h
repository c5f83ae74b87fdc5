// The watcher's connection to the main program's delivery channel. When the
// channel's server goes away and cannot be reached again for a few seconds,
// the main program has ended and the watcher must end too.
#pragma once

#include <QByteArray>
#include <QLocalSocket>
#include <QString>
#include <QTimer>

#include <chrono>
#include <functional>

namespace tarnwick::clip {

class ChannelSender {
public:
    static constexpr int kReconnectAttempts = 6;
    static constexpr std::chrono::milliseconds kReconnectPause{500};

    // `on_gone` runs once the channel is lost for good.
    ChannelSender(QString name, std::function<void()> on_gone);
    ~ChannelSender();
    ChannelSender(const ChannelSender&) = delete;
    ChannelSender& operator=(const ChannelSender&) = delete;

    // Connects, trying again until `timeout` has passed.
    bool Connect(std::chrono::milliseconds timeout);
    // Sends one address followed by LF; dropped while not connected.
    void Send(const QByteArray& address);

private:
    void Lost();
    void TryAgain();

    QString name_;
    std::function<void()> on_gone_;
    QLocalSocket socket_;
    QTimer retry_;
    int attempts_left_ = 0;
};

} // namespace tarnwick::clip
