// The HEAD request, the connection it goes through and the GET body, on
// CurlTransfer.
#pragma once

#include "curl/curl_transfer.h"
#include "platform/blocking_http.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace tarnwick::platform::curl {

class CurlSession;

// True for a host name or IPv4 address, or an IPv6 address in brackets, with
// an optional ":port": what a probe may put between the scheme and the path.
bool IsPlainHost(std::string_view host);

class CurlConnection : public BlockingHttpConnection {
public:
    CurlConnection(CurlSession& session, std::string host, bool secure,
                   std::optional<BlockingHttpCredentials> credentials)
        : session_(session),
          host_(std::move(host)),
          secure_(secure),
          credentials_(std::move(credentials)) {}

    std::unique_ptr<BlockingHttpRequest> OpenHeadRequest(
        const std::string& path, const BlockingHttpWaitLimits& limits) override;

private:
    CurlSession& session_;
    std::string host_;
    bool secure_;
    std::optional<BlockingHttpCredentials> credentials_;
};

class CurlHeadRequest : public BlockingHttpRequest {
public:
    // An empty address makes a request that never gets an answer.
    CurlHeadRequest(CurlSession& session, const std::string& url,
                    const std::optional<BlockingHttpCredentials>& credentials,
                    const BlockingHttpWaitLimits& limits);

    void Send() override;
    std::optional<std::string> RawHeaders() const override;
    std::string StatusCode() const override;

private:
    struct ListDeleter {
        void operator()(curl_slist* list) const { curl_slist_free_all(list); }
    };

    // Declared before the transfer, which points at it until it is gone.
    std::unique_ptr<curl_slist, ListDeleter> extra_headers_;
    CurlTransfer transfer_;
    bool valid_ = false;
};

class CurlBody : public BlockingHttpBody {
public:
    explicit CurlBody(std::unique_ptr<CurlTransfer> transfer) : transfer_(std::move(transfer)) {}

    int StatusCode() const override { return static_cast<int>(transfer_->ResponseCode()); }
    BlockingHttpReadResult Read(char* buffer, size_t size) override {
        return transfer_->Read(buffer, size);
    }
    // Bytes received and not yet read.
    size_t BufferedBytes() const { return transfer_->BufferedBytes(); }

private:
    std::unique_ptr<CurlTransfer> transfer_;
};

} // namespace tarnwick::platform::curl
