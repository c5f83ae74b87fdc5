#include "channel_sender.h"

#include "qt/local_channel.h"

#include <QDeadlineTimer>
#include <QThread>

#include <utility>

namespace tarnwick::clip {
namespace {

constexpr int kAttemptMs = 200;

} // namespace

ChannelSender::ChannelSender(QString name, std::function<void()> on_gone)
    : name_(std::move(name)), on_gone_(std::move(on_gone)) {
    retry_.setInterval(kReconnectPause);
    QObject::connect(&retry_, &QTimer::timeout, &socket_, [this] { TryAgain(); });
    QObject::connect(&socket_, &QLocalSocket::disconnected, &socket_, [this] { Lost(); });
}

ChannelSender::~ChannelSender() {
    // Closing the socket on the way out is no loss of the channel.
    QObject::disconnect(&socket_, nullptr, nullptr, nullptr);
}

bool ChannelSender::Connect(std::chrono::milliseconds timeout) {
    const QDeadlineTimer deadline(timeout);
    for (;;) {
        socket_.connectToServer(name_);
        if (socket_.waitForConnected(kAttemptMs)) return true;
        socket_.abort();
        if (deadline.hasExpired()) return false;
        QThread::msleep(50);
    }
}

void ChannelSender::Send(const QByteArray& address) {
    if (socket_.state() != QLocalSocket::ConnectedState) return;
    socket_.write(address + qt::kMessageEnd);
    socket_.flush();
}

void ChannelSender::Lost() {
    if (retry_.isActive()) return;
    attempts_left_ = kReconnectAttempts;
    retry_.start();
}

void ChannelSender::TryAgain() {
    socket_.abort();
    socket_.connectToServer(name_);
    if (socket_.waitForConnected(kAttemptMs)) {
        retry_.stop();
        return;
    }
    if (--attempts_left_ > 0) return;
    retry_.stop();
    if (on_gone_) on_gone_();
}

} // namespace tarnwick::clip
