// Fetches the parts of one file over several connections at once, each part
// asked for by range from its next missing byte on and written in place
// into the one temporary file. A connection that reaches the end of its part
// takes over the part after it when nobody has begun that one, and ends
// otherwise; a connection that is free then takes the second half of the
// part that wants the most.
//
// Splitting never fails a file: a ranged request answered whole, refused
// (403, 429, 503 and the like), of another version, or closed before its
// first byte ends only that connection, and from then on one connection at a
// time fetches what is left. Only a request that was the last one under way
// ends the transfer: the whole file has to be asked for afresh (OnRefused),
// or its failure is the transfer's.
#pragma once

#include "common/outcome.h"
#include "platform/clock.h"
#include "platform/http_client.h"
#include "transfer/connection_budget.h"
#include "transfer/part_layout.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tarnwick::transfer {

class SplitTransfer : private ConnectionBudget::Yielder {
public:
    struct Setup {
        // Where the parts are asked for, and may go.
        std::string link;
        platform::HttpRequest::Reach reach = platform::HttpRequest::Reach::kAnywhere;
        // The version the parts must be of; never empty.
        std::string validator;
        // The open temporary file, written in place; the caller keeps it.
        int descriptor = -1;
        // The most connections at once.
        int connections = 1;
        // Shared with the other downloads, when there are any.
        ConnectionBudget* budget = nullptr;
    };
    // Called from the event loop. `on_done` and `on_refused` come once, last,
    // and the transfer may be destroyed from inside them.
    struct Calls {
        // The layout changed; no byte goes into a new part before this returns.
        std::function<void()> on_layout;
        // An answer began or bytes came.
        std::function<void()> on_progress;
        // Complete: every part is written out (not yet synced). Or failed.
        std::function<void(Outcome outcome)> on_done;
        // The parts cannot be fetched apart: the whole file is to be asked for anew.
        std::function<void()> on_refused;
    };

    SplitTransfer(platform::HttpClient& http, platform::Clock& clock, Setup setup, Calls calls);
    ~SplitTransfer() override;
    SplitTransfer(const SplitTransfer&) = delete;
    SplitTransfer& operator=(const SplitTransfer&) = delete;

    // Fetches what the parts of `layout` want. `first`, when given, is an
    // exchange whose answer already began and brings the bytes of the first
    // part from its next missing byte on, to the file's end.
    void Start(PartLayout layout, std::unique_ptr<platform::HttpExchange> first = nullptr);

    const PartLayout& Layout() const { return layout_; }
    // The bytes received, those not yet written out too.
    int64_t Received() const;
    // The connections under way.
    int Connections() const { return static_cast<int>(connections_.size()); }
    // Whether splitting failed once and one connection at a time is left.
    bool FellBack() const { return fell_back_; }
    // Writes out what came, ends every connection; nothing more is called.
    // A failure to write is left to the layout: its bytes are not counted.
    void Abandon();

private:
    class Connection;
    friend class Connection;

    bool YieldOne(const std::string& host) override;
    void Schedule();
    std::optional<size_t> NextPartToFetch();
    void Open(size_t part);
    void OnAnswered(Connection& connection, const platform::HttpAnswer& answer);
    void OnBody(Connection& connection, const char* data, size_t size);
    void OnEnded(Connection& connection, const platform::HttpEnd& end);
    bool Accepts(const Connection& connection, const platform::HttpAnswer& answer) const;
    bool SameVersion(const platform::HttpAnswer& answer) const;
    void GiveUpOn(Connection& connection, Outcome if_last, bool refused);
    void Drop(Connection& connection);
    bool WriteOut(Connection& connection);
    void WriteOutIfAble(Connection& connection);
    size_t PartOf(int64_t position) const;
    bool PartIsTaken(size_t part) const;
    void EndWith(Outcome outcome);
    void CheckComplete();

    platform::HttpClient& http_;
    platform::Clock& clock_;
    Setup setup_;
    Calls calls_;
    std::string host_;
    PartLayout layout_;
    std::vector<std::unique_ptr<Connection>> connections_;
    bool fell_back_ = false;
    bool ended_ = false;
    // The budget had no room: another try is due at this time.
    platform::TimePoint next_try_{};
    bool waiting_for_room_ = false;
};

} // namespace tarnwick::transfer
