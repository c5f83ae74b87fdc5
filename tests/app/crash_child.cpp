// The program's engine and store without a window, for the crash test. It
// brings the kept list back and, when the list was read whole, clears stray
// temporary files, as the program does at start-up; then it lists the
// addresses given with --add, or runs the list to its end with --run. With
// --kill-after-writes K (or --kill-after-blocks K) it kills itself with
// SIGKILL right after the K-th write of the store (or the K-th block of a
// video it takes in), first noting in the --report file whether a video was
// being transferred.
#include "curl/curl_client.h"
#include "driver/download_run.h"
#include "driver/part_files.h"
#include "list/add_video_url.h"
#include "list/list_keeper.h"
#include "platform/http_client.h"
#include "platform/list_store.h"
#include "qt/qt_clock.h"
#include "sqlite/sqlite_list_store.h"

#include <QCoreApplication>

#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tarnwick {
namespace {

// Counts down to the moment the process dies.
class KillPoint {
public:
    KillPoint(long remaining, std::function<void()> before)
        : remaining_(remaining), before_(before) {}
    void Pass() {
        if (remaining_ <= 0 || --remaining_ > 0) return;
        before_();
        std::raise(SIGKILL);
    }

private:
    long remaining_;
    std::function<void()> before_;
};

class KillingStore : public platform::ListStore {
public:
    KillingStore(platform::ListStore& store, KillPoint& point) : store_(store), point_(point) {}
    platform::StoreOpening Opening() const override { return store_.Opening(); }
    platform::LoadedList LoadAll() override { return store_.LoadAll(); }
    platform::InsertResult Insert(const platform::StoredItem& item) override {
        return Passed(store_.Insert(item));
    }
    platform::WriteResult Update(const platform::StoredItem& item) override {
        return Passed(store_.Update(item));
    }
    platform::WriteResult Remove(int64_t id) override { return Passed(store_.Remove(id)); }
    platform::WriteResult SwapOrder(int64_t a, int64_t b) override {
        return Passed(store_.SwapOrder(a, b));
    }
    platform::WriteResult Clear() override { return Passed(store_.Clear()); }
    platform::ReplaceResult ReplaceAll(const std::vector<platform::StoredItem>& items) override {
        return Passed(store_.ReplaceAll(items));
    }

private:
    template <typename T>
    T Passed(T result) {
        point_.Pass();
        return result;
    }

    platform::ListStore& store_;
    KillPoint& point_;
};

// The body bytes the process took in.
uint64_t received_ = 0;

// Hands every body block to the program's receiver, then passes the kill point.
class KillingExchange : public platform::HttpExchange, private platform::HttpReceiver {
public:
    KillingExchange(platform::HttpClient& http, const platform::HttpRequest& request,
                    platform::HttpReceiver& receiver, KillPoint& point)
        : receiver_(&receiver), point_(point), inner_(http.Start(request, *this)) {}

    void SetReceiver(platform::HttpReceiver& receiver) override { receiver_ = &receiver; }

private:
    void OnAnswer(const platform::HttpAnswer& answer) override { receiver_->OnAnswer(answer); }
    void OnBody(const char* data, size_t size) override {
        KillPoint& point = point_; // the receiver may destroy this exchange
        received_ += size;
        receiver_->OnBody(data, size);
        point.Pass();
    }
    void OnEnd(const platform::HttpEnd& end) override { receiver_->OnEnd(end); }

    platform::HttpReceiver* receiver_;
    KillPoint& point_;
    std::unique_ptr<platform::HttpExchange> inner_;
};

class KillingHttp : public platform::HttpClient {
public:
    KillingHttp(platform::HttpClient& http, KillPoint& point) : http_(http), point_(point) {}
    std::unique_ptr<platform::HttpExchange> Start(const platform::HttpRequest& request,
                                                  platform::HttpReceiver& receiver) override {
        return std::make_unique<KillingExchange>(http_, request, receiver, point_);
    }

private:
    platform::HttpClient& http_;
    KillPoint& point_;
};

struct Options {
    std::string data;
    std::string videos;
    std::string report;
    std::vector<std::string> adds;
    bool run = false;
    long kill_after_writes = 0;
    long kill_after_blocks = 0;
};

Options Parse(int argc, char* argv[]) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        if (name == "--run") {
            options.run = true;
            continue;
        }
        if (i + 1 >= argc) break;
        const std::string value = argv[++i];
        if (name == "--data") options.data = value;
        if (name == "--videos") options.videos = value;
        if (name == "--report") options.report = value;
        if (name == "--add") options.adds.push_back(value);
        if (name == "--kill-after-writes") options.kill_after_writes = std::stol(value);
        if (name == "--kill-after-blocks") options.kill_after_blocks = std::stol(value);
    }
    return options;
}

class QuitWhenDone : public driver::RunObserver {
    void OnRunEnded() override { QCoreApplication::quit(); }
};

int Run(const Options& options) {
    list::DownloadQueue queue;
    std::unique_ptr<driver::DownloadRun> run;
    const auto note = [&] {
        const std::optional<list::ItemKey> key = run ? run->CurrentItem() : std::nullopt;
        const list::DownloadItem* item = key ? queue.Find(*key) : nullptr;
        const bool transfer = item != nullptr && item->state == list::ItemState::kDownloading;
        std::ofstream(options.report, std::ios::app)
            << (transfer ? "transfer\n" : "other\n") << "received " << received_ << "\n";
    };
    KillPoint writes(options.kill_after_writes, note);
    KillPoint blocks(options.kill_after_blocks, note);
    sqlite::SqliteListStore sqlite_store(options.data + "/downloads.db");
    KillingStore store(sqlite_store, writes);
    qt::QtClock clock;
    curl::CurlClient curl("Mozilla/4.0 (compatible; MSIE 5.0; Windows NT; DigExt)");
    KillingHttp http(curl, blocks);
    list::ListKeeper keeper(queue, store, clock);
    driver::PartFiles part_files(queue);
    run = std::make_unique<driver::DownloadRun>(
        driver::JobServices{queue, http, clock, [&] { return options.videos; }});
    if (keeper.Restore()) part_files.RemoveStrays(options.videos, "");
    for (const std::string& address : options.adds) list::AddVideoURL(queue, address);
    if (options.run) {
        QuitWhenDone quit;
        run->AddObserver(&quit);
        run->Start();
        if (run->IsRunning()) QCoreApplication::exec();
        run->RemoveObserver(&quit);
    }
    keeper.Flush();
    std::ofstream(options.report, std::ios::app) << "received " << received_ << "\n";
    return 0;
}

} // namespace
} // namespace tarnwick

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    return tarnwick::Run(tarnwick::Parse(argc, argv));
}
