#include "fakes/fake_http.h"

#include <gtest/gtest.h>

namespace tarnwick::fakes {
namespace {

class Handle : public platform::HttpExchange {
public:
    explicit Handle(std::shared_ptr<FakeHttp::Exchange> exchange)
        : exchange_(std::move(exchange)) {}
    ~Handle() override {
        if (exchange_->IsOpen()) exchange_->GiveUp();
    }
    void SetReceiver(platform::HttpReceiver& receiver) override {
        exchange_->SetReceiver(receiver);
    }

private:
    std::shared_ptr<FakeHttp::Exchange> exchange_;
};

} // namespace

void FakeHttp::Exchange::Answer(int status, const std::string& headers, bool from_public) {
    if (!IsOpen()) return ADD_FAILURE() << "answer to a closed request for " << request.url;
    receiver_->OnAnswer(
        {status, "HTTP/1.1 " + std::to_string(status) + " Reason\r\n" + headers, {}, from_public});
}

void FakeHttp::Exchange::Body(const std::string& bytes) {
    if (!IsOpen()) return ADD_FAILURE() << "body to a closed request for " << request.url;
    receiver_->OnBody(bytes.data(), bytes.size());
}

void FakeHttp::Exchange::End(platform::HttpEnd::Kind kind, const std::string& detail) {
    if (!IsOpen()) return ADD_FAILURE() << "end of a closed request for " << request.url;
    ended_ = true;
    receiver_->OnEnd({kind, detail});
}

void FakeHttp::Exchange::Play(const FakeReply& reply) {
    using Kind = FakeReply::Kind;
    if (reply.kind == Kind::kSilent) return;
    if (reply.kind == Kind::kNoAnswer) {
        End(platform::HttpEnd::Kind::kCannotConnect, "Could not connect");
        return;
    }
    if (reply.kind == Kind::kRefused) {
        End(platform::HttpEnd::Kind::kRefusedAddress, reply.body);
        return;
    }
    std::string headers = reply.headers;
    if (reply.with_length)
        headers += "Content-Length: " + std::to_string(reply.body.size()) + "\r\n";
    Answer(reply.status, headers, reply.from_public);
    if (IsOpen() && !reply.body.empty() && request.method != platform::HttpRequest::Method::kHead)
        Body(reply.body);
    if (!IsOpen() || reply.kind == Kind::kHoldBody) return;
    End(reply.kind == Kind::kBreakOff ? platform::HttpEnd::Kind::kBroken
                                      : platform::HttpEnd::Kind::kComplete);
}

std::unique_ptr<platform::HttpExchange> FakeHttp::Start(const platform::HttpRequest& request,
                                                        platform::HttpReceiver& receiver) {
    exchanges.push_back(std::make_shared<Exchange>(request, receiver));
    return std::make_unique<Handle>(exchanges.back());
}

void FakeHttp::ServeAll() {
    while (served_ < exchanges.size()) {
        const std::shared_ptr<Exchange> exchange = exchanges[served_++];
        if (!exchange->IsOpen()) continue;
        const std::string& url = exchange->request.url;
        const bool head = exchange->request.method == platform::HttpRequest::Method::kHead;
        if (head && head_routes_.count(url) > 0) {
            exchange->Play(head_routes_[url]);
            continue;
        }
        const auto route = routes_.find(url);
        exchange->Play(route != routes_.end() ? route->second : FakeReply::Status(404));
    }
}

int FakeHttp::OpenCount() const {
    int open = 0;
    for (const auto& exchange : exchanges) open += exchange->IsOpen() ? 1 : 0;
    return open;
}

std::vector<std::string> FakeHttp::Urls() const {
    std::vector<std::string> urls;
    for (const auto& exchange : exchanges) urls.push_back(exchange->request.url);
    return urls;
}

} // namespace tarnwick::fakes
