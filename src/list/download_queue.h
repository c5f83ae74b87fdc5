// The download queue: the one source of truth for the listed items, in the
// order the grid shows them and the run takes them. Every change is told to
// its observers, row by row; positions count from 0, and an item's ID in the
// grid is its position + 1.
#pragma once

#include "common/observer_list.h"
#include "list/download_item.h"

#include <cassert>
#include <functional>
#include <memory>
#include <memory_resource>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace tarnwick::list {

// The parts of an item that a change touched.
enum ItemField : unsigned {
    kFieldAddress = 1u << 0,
    kFieldName = 1u << 1,
    kFieldStatus = 1u << 2,
    kFieldSize = 1u << 3,
    kFieldFailure = 1u << 4,
    // What the grid does not show: how far the kept files came, which is
    // progress.
    kFieldKept = 1u << 5,
    // What the grid does not show either: how a slow resolver found the video
    // to be downloaded (RareFields::resolved).
    kFieldResolved = 1u << 6,
    // What the grid does not show: the kept record otherwise (its files,
    // their versions, where the parts of a file lie). Unlike the bytes on
    // disk, which are progress, it is kept at once.
    kFieldKeptRecord = 1u << 7,
};

// Hears of every change. The "-ing" calls come before the change, the others
// after it. Observers must not change the queue from inside these calls; they
// may add and remove observers (common/observer_list.h).
class QueueObserver {
public:
    virtual ~QueueObserver() = default;
    virtual void OnInserting(int position) { (void)position; }
    virtual void OnInserted(int position) { (void)position; }
    virtual void OnRemoving(int position) { (void)position; }
    virtual void OnRemoved(int position) { (void)position; }
    // The items from `first` to `last` go at once. Unless an observer hears
    // ranges itself, they are told as single removals, the last one first.
    virtual void OnRemovingRange(int first, int last) {
        for (int position = last; position >= first; --position) OnRemoving(position);
    }
    virtual void OnRemovedRange(int first, int last) {
        for (int position = last; position >= first; --position) OnRemoved(position);
    }
    // Around the changes of one command on many items: an observer may
    // gather what comes between and act on it once, at the end.
    virtual void OnBatchBegin() {}
    virtual void OnBatchEnd() {}
    // The item at `from` goes to `to` (its position after the move).
    virtual void OnMoving(int from, int to) { (void)from, (void)to; }
    virtual void OnMoved(int from, int to) { (void)from, (void)to; }
    // `fields` is a set of ItemField.
    virtual void OnChanged(int position, unsigned fields) { (void)position, (void)fields; }
};

class DownloadQueue {
public:
    static constexpr int kMaxItems = 32767;
    // kDownloadedBefore never comes from the queue itself, but from an entry
    // that looks at the history first.
    enum class AddResult { kAdded, kDuplicate, kFull, kDownloadedBefore };

    DownloadQueue() = default;
    DownloadQueue(const DownloadQueue&) = delete;
    DownloadQueue& operator=(const DownloadQueue&) = delete;

    void AddObserver(QueueObserver* observer) { observers_.Add(observer); }
    void RemoveObserver(QueueObserver* observer) { observers_.Remove(observer); }

    int Count() const { return static_cast<int>(order_.size()); }
    bool IsEmpty() const { return order_.empty(); }
    const DownloadItem& At(int position) const {
        return order_.at(static_cast<size_t>(position))->item;
    }
    // The listed item with that key, or nullptr.
    const DownloadItem* Find(ItemKey key) const;
    // The item's position, or -1 when it is not listed.
    int PositionOf(ItemKey key) const;
    bool HasAddress(const std::string& address) const {
        return addresses_.contains(std::string_view(address));
    }
    // The key of the item with exactly this address, if one is listed.
    std::optional<ItemKey> KeyOfAddress(const std::string& address) const;
    // Whether an item other than `except` has this file name.
    bool IsNameTaken(const std::string& name, ItemKey except) const;

    // Appends the item with a new key, unless its address is listed already
    // (compared exactly) or the queue is full. `item.key` is ignored.
    AddResult Add(DownloadItem item);
    // An item and the position it goes to.
    struct Placed {
        int position = 0;
        DownloadItem item;
    };
    // Inserts each item at its position (at the end where the list is
    // shorter), in the order given and in one batch, with a new key; as Add,
    // an item whose address is listed, or that the full list has no room
    // for, stays out. The keys of the items listed, in order.
    std::vector<ItemKey> InsertMany(std::vector<Placed> items);
    // The key the last Add gave.
    ItemKey LastKey() const { return last_key_; }
    bool Remove(ItemKey key);
    // Removes the listed items among `keys` in one batch, each run of
    // neighbours as one range, from the list's end backwards. How many went.
    int RemoveMany(const std::vector<ItemKey>& keys);
    // Exchanges the item with its neighbour; false for the first (up) or the
    // last (down) item and for an unknown key.
    bool MoveUp(ItemKey key);
    bool MoveDown(ItemKey key);
    // The user's name for the item's file.
    bool Rename(ItemKey key, std::string name);
    // Changes the item through `change` and tells the observers which parts
    // changed. The page address and the key stay as they are.
    bool Modify(ItemKey key, const std::function<void(DownloadItem&)>& change);
    // Modify for each of `keys`, in one batch.
    void ModifyMany(const std::vector<ItemKey>& keys,
                    const std::function<void(DownloadItem&)>& change);
    // The video's bytes so far, told as a status change only when the shown
    // status changes.
    void SetReceived(ItemKey key, int64_t received);
    // What the item's download keeps on disk now: told as kFieldKept, which
    // is progress, when only its counts of bytes and pieces changed, and as
    // kFieldKeptRecord otherwise.
    void SetKept(ItemKey key, std::optional<transfer::Kept> kept);

private:
    struct Entry {
        DownloadItem item;
        mutable int position = 0; // where it stood when last looked up
        bool removed = false;     // unlisted, until the table of entries is tidied
    };
    // As small as a long list needs: one allocation of 112 bytes an item.
    static_assert(sizeof(Entry) <= 104);

    // Observers hear of changes; they do not make them.
    void AssertNotNotifying() const {
        assert(!observers_.IsNotifying() && "an observer changes the queue");
    }
    Entry* FindEntry(ItemKey key) const;
    // Inserts the item at `position` with a new key.
    void Insert(int position, DownloadItem item);
    std::vector<std::unique_ptr<Entry>>::const_iterator EntryOf(ItemKey key) const;
    void ForgetName(const DownloadItem& item);
    void NoteName(const DownloadItem& item);
    void Swap(int position);
    // Unlists the entries from `first` to `last`, telling it as one range.
    void RemoveRange(int first, int last);

    std::vector<Entry*> order_;
    // The entries by key. Keys only grow, so adding keeps them sorted; a
    // table of pointers costs a list of the largest size far less than a map.
    std::vector<std::unique_ptr<Entry>> entries_;
    // The entries by their items' addresses, which never change while listed;
    // looked up by an address without copying it.
    struct AddressHash {
        using is_transparent = void;
        size_t operator()(std::string_view address) const noexcept {
            return std::hash<std::string_view>()(address);
        }
        size_t operator()(const Entry* entry) const noexcept {
            return (*this)(entry->item.page_address);
        }
    };
    struct AddressEqual {
        using is_transparent = void;
        static std::string_view AddressOf(std::string_view address) { return address; }
        static std::string_view AddressOf(const Entry* entry) { return entry->item.page_address; }
        template <typename A, typename B>
        bool operator()(const A& a, const B& b) const noexcept {
            return AddressOf(a) == AddressOf(b);
        }
    };
    // The nodes of the two sets come from a pool: an address costs its node's
    // 16 bytes there, where each node on its own would cost 32.
    std::pmr::unsynchronized_pool_resource node_pool_;
    std::pmr::unordered_set<Entry*, AddressHash, AddressEqual> addresses_{&node_pool_};
    std::pmr::unordered_multiset<std::string> names_{&node_pool_}; // of the items with a name
    ObserverList<QueueObserver> observers_;
    ItemKey last_key_ = 0;
};

// Which fields of the grid differ between two states of one item.
unsigned ChangedFields(const DownloadItem& before, const DownloadItem& after);

} // namespace tarnwick::list
