#include "fakes/fake_http.h"

#include <gtest/gtest.h>

#include <algorithm>

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

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

} // namespace

platform::HttpAnswer AnswerOf(int status, std::string_view header_lines) {
    platform::HttpAnswer answer{status};
    if (header_lines.starts_with("HTTP/")) {
        header_lines.remove_prefix(std::min(header_lines.find("\r\n"), header_lines.size()));
    }
    while (!header_lines.empty()) {
        const size_t end = std::min(header_lines.find("\r\n"), header_lines.size());
        const std::string_view line = header_lines.substr(0, end);
        header_lines.remove_prefix(std::min(end + 2, header_lines.size()));
        const size_t colon = line.find(':');
        if (colon == std::string_view::npos) continue;
        answer.fields.push_back({std::string(Trimmed(line.substr(0, colon))),
                                 std::string(Trimmed(line.substr(colon + 1)))});
    }
    return answer;
}

void FakeHttp::Exchange::Answer(int status, const std::string& headers, bool from_public) {
    if (!IsOpen()) return ADD_FAILURE() << "answer to a closed request for " << request.url;
    platform::HttpAnswer answer = AnswerOf(status, headers);
    answer.began_public = from_public;
    receiver_->OnAnswer(answer);
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
