// The program's engine and store without a window, for the crash test and
// the test of a list taken away. It brings the kept list back and, when the
// list was read whole, clears stray temporary files, as the program does at
// start-up; then it lists the addresses given with --add, or runs the list
// to its end with --run.
//
// Addresses of no supported site are read too, streamed videos (HLS) among
// them. With --ffmpeg, the user's ffmpeg makes MPEG-TS pieces an MP4 and joins
// a picture and its sound that come apart; without, pieces are kept as they
// are and a sound apart is not taken.
//
// With --kill-after-writes K (or --kill-after-blocks K, --kill-after-pieces K)
// it kills itself with SIGKILL right after the K-th write of the store (the
// K-th block of a video it takes in, the K-th batch of a stream's pieces
// written or its last, before the store hears of it), first noting in the
// --report file whether a video was being transferred or streamed.
//
// With --connections N and --at-once M it fetches files over up to N
// connections each, M items at a time (1 and 1 otherwise).
//
// With --break-list-at-block K it takes the list away at the K-th block: it
// removes the files in the --data folder, makes the folder read-only and
// lists the addresses given with --add-then; it makes the folder writable
// again when the keeper says that the list cannot be kept, as a user told so
// would. What the keeper tells goes to the report as "news TEXT" lines. It
// ends with kCannotBreak where no folder can be made read-only for it.
#include "curl/curl_client.h"
#include "driver/download_run.h"
#include "driver/part_files.h"
#include "html/libxml_html_parser.h"
#include "list/add_video_url.h"
#include "list/list_keeper.h"
#include "list/queued_list_store.h"
#include "platform/http_client.h"
#include "platform/list_store.h"
#include "qt/qt_child_processes.h"
#include "qt/qt_clock.h"
#include "qt/thread_background_work.h"
#include "resolve/site_index.h"
#include "shell/keeping_notices.h"
#include "sqlite/sqlite_list_store.h"
#include "transfer/kept.h"

#include <QCoreApplication>

#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace tarnwick {
namespace {

// The exit status of a child that cannot make a folder read-only here.
constexpr int kCannotBreak = 77;

// Counts down to the moment its action runs, once.
class Countdown {
public:
    Countdown(long remaining, std::function<void()> action)
        : remaining_(remaining), action_(std::move(action)) {}
    void Pass() {
        if (remaining_ <= 0 || --remaining_ > 0) return;
        action_();
    }
    // Runs the action now, unless it ran or the countdown is off.
    void Reach() {
        if (remaining_ <= 0) return;
        remaining_ = 0;
        action_();
    }

private:
    long remaining_;
    std::function<void()> action_;
};

class KillingStore : public platform::ListStore {
public:
    KillingStore(platform::ListStore& store, Countdown& point) : store_(store), point_(point) {}
    bool EndsWritesLater() const override { return store_.EndsWritesLater(); }
    void SetLateWrites(platform::LateWrites* listener) override { store_.SetLateWrites(listener); }
    void EndWrites() override { store_.EndWrites(); }
    platform::StoreOpening Opening() const override { return store_.Opening(); }
    platform::LoadedList LoadAll() override { return store_.LoadAll(); }
    Result<int64_t> Insert(const platform::StoredItem& item) override {
        return Passed(store_.Insert(item));
    }
    Status Update(const platform::StoredItem& item) override { return Passed(store_.Update(item)); }
    Status Remove(int64_t id) override { return Passed(store_.Remove(id)); }
    Status Apply(const std::vector<platform::StoredItem>& updates,
                 const std::vector<int64_t>& removals) override {
        return Passed(store_.Apply(updates, removals));
    }
    Status SwapOrder(int64_t a, int64_t b) override { return Passed(store_.SwapOrder(a, b)); }
    Status Clear() override { return Passed(store_.Clear()); }
    Result<std::vector<int64_t>> ReplaceAll(
        const std::vector<platform::StoredItem>& items) override {
        return Passed(store_.ReplaceAll(items));
    }
    Status Record(const platform::HistoryEntry& entry) override {
        return Passed(store_.Record(entry));
    }

private:
    template <typename T>
    T Passed(T result) {
        point_.Pass();
        return result;
    }

    platform::ListStore& store_;
    Countdown& point_;
};

// The body bytes the process took in.
uint64_t received_ = 0;

// Hands every body block to the program's receiver, then tells `on_block`.
class CountingExchange : public platform::HttpExchange, private platform::HttpReceiver {
public:
    CountingExchange(platform::HttpClient& http, const platform::HttpRequest& request,
                     platform::HttpReceiver& receiver, const std::function<void()>& on_block)
        : receiver_(&receiver), on_block_(on_block), inner_(http.Start(request, *this)) {}

    void SetReceiver(platform::HttpReceiver& receiver) override { receiver_ = &receiver; }

private:
    void OnAnswer(const platform::HttpAnswer& answer) override { receiver_->OnAnswer(answer); }
    void OnBody(const char* data, size_t size) override {
        const std::function<void()>& on_block = on_block_; // the receiver may destroy this
        received_ += size;
        receiver_->OnBody(data, size);
        on_block();
    }
    void OnEnd(const platform::HttpEnd& end) override { receiver_->OnEnd(end); }

    platform::HttpReceiver* receiver_;
    const std::function<void()>& on_block_;
    std::unique_ptr<platform::HttpExchange> inner_;
};

class CountingHttp : public platform::HttpClient {
public:
    CountingHttp(platform::HttpClient& http, std::function<void()> on_block)
        : http_(http), on_block_(std::move(on_block)) {}
    std::unique_ptr<platform::HttpExchange> Start(const platform::HttpRequest& request,
                                                  platform::HttpReceiver& receiver) override {
        return std::make_unique<CountingExchange>(http_, request, receiver, on_block_);
    }

private:
    platform::HttpClient& http_;
    std::function<void()> on_block_;
};

// Passes `point` each time a stream under way counts more pieces written,
// and reaches it once all are (by this run or an earlier one); the keeper,
// which hears of the change later, has not yet written it then.
class PieceBatches : public list::QueueObserver {
public:
    PieceBatches(list::DownloadQueue& queue, Countdown& point) : queue_(queue), point_(point) {
        queue_.AddObserver(this);
    }
    ~PieceBatches() override { queue_.RemoveObserver(this); }

private:
    void OnChanged(int position, unsigned) override {
        const list::DownloadItem& item = queue_.At(position);
        if (!item.rare->kept || item.state != list::ItemState::kDownloading) return;
        const auto [written, total] = PiecesOf(*item.rare->kept);
        if (total == 0) return;
        const auto [last, fresh] = written_.try_emplace(item.key, written);
        if (!fresh && last->second == written) return;
        last->second = written;
        if (written == total) return point_.Reach();
        if (!fresh) point_.Pass();
    }

    // The pieces written and in all, of a stream or of the streams of a pair.
    static std::pair<size_t, size_t> PiecesOf(const transfer::Kept& kept) {
        std::pair<size_t, size_t> pieces{0, 0};
        const auto add = [&pieces](const std::optional<transfer::KeptOne>& one) {
            const auto* stream = one ? std::get_if<transfer::KeptStream>(&*one) : nullptr;
            if (stream == nullptr) return;
            pieces.first += stream->pieces;
            pieces.second += stream->total;
        };
        if (const auto* pair = std::get_if<transfer::KeptPair>(&kept)) {
            add(pair->picture);
            add(pair->sound);
        } else {
            add(transfer::SingleOf(kept));
        }
        return pieces;
    }

    list::DownloadQueue& queue_;
    Countdown& point_;
    std::map<list::ItemKey, size_t> written_;
};

// Makes a folder read-only for this process, and writable again. Root, whom
// folder modes do not stop, gets a read-only bind mount in a mount namespace
// of the process's own, which must be made before any thread starts.
bool PrepareReadOnly() {
    if (geteuid() != 0) return true;
    return unshare(CLONE_NEWNS) == 0 &&
           mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
}

bool MakeReadOnly(const std::string& folder) {
    if (geteuid() != 0) return chmod(folder.c_str(), 0555) == 0;
    return mount(folder.c_str(), folder.c_str(), nullptr, MS_BIND, nullptr) == 0 &&
           mount(nullptr, folder.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0;
}

bool MakeWritable(const std::string& folder) {
    if (geteuid() != 0) return chmod(folder.c_str(), 0755) == 0;
    return umount2(folder.c_str(), MNT_DETACH) == 0;
}

// Whether nothing can be made in `folder`.
bool IsReadOnly(const std::string& folder) {
    const std::string probe = folder + "/probe";
    if (std::ofstream(probe)) {
        std::filesystem::remove(probe);
        return false;
    }
    return true;
}

struct Options {
    std::string data;
    std::string videos;
    std::string report;
    std::vector<std::string> adds;
    std::vector<std::string> adds_then;
    bool run = false;
    bool ffmpeg = false;
    long kill_after_writes = 0;
    long kill_after_blocks = 0;
    long kill_after_pieces = 0;
    long break_list_at_block = 0;
    int connections = 1;
    int at_once = 1;
};

Options Parse(int argc, char* argv[]) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        if (name == "--ffmpeg") {
            options.ffmpeg = true;
            continue;
        }
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
        if (name == "--add-then") options.adds_then.push_back(value);
        if (name == "--kill-after-writes") options.kill_after_writes = std::stol(value);
        if (name == "--kill-after-blocks") options.kill_after_blocks = std::stol(value);
        if (name == "--kill-after-pieces") options.kill_after_pieces = std::stol(value);
        if (name == "--break-list-at-block") options.break_list_at_block = std::stol(value);
        if (name == "--connections") options.connections = std::stoi(value);
        if (name == "--at-once") options.at_once = std::stoi(value);
    }
    return options;
}

class QuitWhenDone : public driver::RunObserver {
    void OnRunEnded() override { QCoreApplication::quit(); }
};

// Notes in the report what the keeper tells, and answers that the list
// cannot be kept with `on_lost`.
class NewsToReport : public list::KeepingListener {
public:
    NewsToReport(const std::string& report, std::function<void()> on_lost)
        : report_(report), on_lost_(std::move(on_lost)) {}
    void OnKeepingNews(const list::KeepingNews& news) override {
        std::ofstream(report_, std::ios::app) << "news " << shell::KeepingText(news) << "\n";
        if (news.kind == list::KeepingNews::Kind::kLost) on_lost_();
    }

private:
    std::string report_;
    std::function<void()> on_lost_;
};

int Run(const Options& options) {
    list::DownloadQueue queue;
    std::unique_ptr<driver::DownloadRun> run;
    const auto note = [&] {
        const std::optional<list::ItemKey> key = run ? run->CurrentItem() : std::nullopt;
        const list::DownloadItem* item = key ? queue.Find(*key) : nullptr;
        const bool stream = item != nullptr && item->site == resolve::kSiteGeneral;
        const bool transfer = item != nullptr && item->state == list::ItemState::kDownloading;
        const char* what = stream ? "stream\n" : transfer ? "transfer\n" : "other\n";
        std::ofstream(options.report, std::ios::app) << what << "received " << received_ << "\n";
    };
    const auto kill = [&] {
        note();
        std::raise(SIGKILL);
    };
    bool broken = false;
    const auto take_away = [&] {
        for (const auto& entry : std::filesystem::directory_iterator(options.data)) {
            std::filesystem::remove(entry.path());
        }
        if (!MakeReadOnly(options.data) || !IsReadOnly(options.data)) std::_Exit(kCannotBreak);
        broken = true;
        for (const std::string& address : options.adds_then)
            list::AddVideoURL(queue, address, true);
    };
    const auto mend = [&] {
        if (broken && !MakeWritable(options.data)) std::_Exit(kCannotBreak);
        broken = false;
    };
    Countdown blocks(options.kill_after_blocks, kill);
    Countdown pieces(options.kill_after_pieces, kill);
    // Before the keeper: it hears of each batch after this.
    PieceBatches batches(queue, pieces);
    Countdown breaking(options.break_list_at_block, take_away);
    sqlite::SqliteListStore sqlite_store(options.data + "/downloads.db");
    // As in the program, the writes wait their turn on a thread, so that a
    // kill at a block or a piece may find some of them not done.
    qt::ThreadBackgroundWork list_writes;
    list::QueuedListStore queued_store(sqlite_store, list_writes);
    // A kill after a write comes once it, and the writes before it, are done.
    Countdown writes(options.kill_after_writes, [&] {
        list_writes.WaitForAll();
        kill();
    });
    KillingStore store(queued_store, writes);
    qt::QtClock clock;
    curl::CurlClient curl("Mozilla/4.0 (compatible; MSIE 5.0; Windows NT; DigExt)");
    CountingHttp http(curl, [&] {
        blocks.Pass();
        breaking.Pass();
    });
    list::ListKeeper keeper(queue, store, clock);
    NewsToReport news(options.report, mend);
    keeper.SetListener(&news);
    driver::PartFiles part_files(queue);
    html::LibxmlHtmlParserFactory parsers;
    driver::JobServices services{queue, http, clock, [&] { return options.videos; }};
    services.html_parsers = &parsers;
    services.reads_other_sites = [] { return true; };
    transfer::ConnectionBudget budget(clock);
    services.connections = [&] { return options.connections; };
    services.downloads_at_once = [&] { return options.at_once; };
    services.connection_budget = &budget;
    qt::QtChildProcesses children;
    if (options.ffmpeg) services.children = &children;
    run = std::make_unique<driver::DownloadRun>(services);
    if (keeper.Restore()) part_files.RemoveStrays(options.videos, "");
    for (const std::string& address : options.adds) list::AddVideoURL(queue, address, true);
    if (options.run) {
        QuitWhenDone quit;
        run->AddObserver(&quit);
        run->Start();
        if (run->IsRunning()) QCoreApplication::exec();
        run->RemoveObserver(&quit);
    }
    keeper.Flush();
    keeper.SetListener(nullptr);
    mend(); // the folder of a keeper that never told
    std::ofstream(options.report, std::ios::app) << "received " << received_ << "\n";
    run.reset();
    return 0;
}

} // namespace
} // namespace tarnwick

int main(int argc, char* argv[]) {
    const tarnwick::Options options = tarnwick::Parse(argc, argv);
    if (options.break_list_at_block > 0 && !tarnwick::PrepareReadOnly()) {
        return tarnwick::kCannotBreak;
    }
    QCoreApplication app(argc, argv);
    return tarnwick::Run(options);
}
