// The observers of one subject, told of its changes in the order they came.
// An observer removed while they are told is not told again, not even later
// in the same round; one added meanwhile is told from the next round on.
#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

namespace tarnwick {

template <typename T>
class ObserverList {
public:
    // An observer already in the list stays in its place.
    void Add(T* observer) {
        if (std::find(observers_.begin(), observers_.end(), observer) == observers_.end()) {
            observers_.push_back(observer);
        }
    }

    void Remove(T* observer) {
        const auto found = std::find(observers_.begin(), observers_.end(), observer);
        if (found == observers_.end()) return;
        if (rounds_ > 0) {
            // The round under way counts places: the place stays, empty.
            *found = nullptr;
            emptied_ = true;
        } else {
            observers_.erase(found);
        }
    }

    // Whether a round of Notify is under way.
    bool IsNotifying() const { return rounds_ > 0; }

    // Calls `tell(observer)` for each observer that is in the list when the
    // round begins and still in it when its turn comes.
    template <typename Tell>
    void Notify(Tell&& tell) {
        const size_t count = observers_.size();
        ++rounds_;
        for (size_t at = 0; at < count; ++at) {
            if (T* observer = observers_[at]) tell(*observer);
        }
        if (--rounds_ == 0 && emptied_) {
            std::erase(observers_, nullptr);
            emptied_ = false;
        }
    }

private:
    std::vector<T*> observers_;
    // Rounds of Notify under way, one inside another.
    int rounds_ = 0;
    // Places were emptied during a round; they go when the last round ends.
    bool emptied_ = false;
};

} // namespace tarnwick
