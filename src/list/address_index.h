// The listed items by their addresses: an open-addressed table of pointers,
// probed linearly and never more than half full. For a list of the largest
// size it takes a third of what a node-based set takes, and finds an address
// without copying it.
#pragma once

#include <cstddef>
#include <functional>
#include <string_view>
#include <utility>
#include <vector>

namespace tarnwick::list {

// `AddressOf` gives the address of a `T`, which must not change while the
// `T` is in the index.
template <typename T, typename AddressOf>
class AddressIndex {
public:
    T* Find(std::string_view address) const {
        if (slots_.empty()) return nullptr;
        for (size_t at = Home(address);; at = Next(at)) {
            if (slots_[at] == nullptr) return nullptr;
            if (AddressOf()(*slots_[at]) == address) return slots_[at];
        }
    }

    // `element`'s address must not be in the index yet.
    void Insert(T* element) {
        if (2 * (count_ + 1) > slots_.size()) Grow();
        Place(element);
        ++count_;
    }

    void Erase(const T* element) {
        if (slots_.empty()) return;
        size_t hole = Home(AddressOf()(*element));
        while (slots_[hole] != element) {
            if (slots_[hole] == nullptr) return;
            hole = Next(hole);
        }
        // Those after the hole in its run move back into it where that is no
        // further from their home than they stand, so that no search stops
        // short of them.
        for (size_t at = Next(hole); slots_[at] != nullptr; at = Next(at)) {
            const size_t home = Home(AddressOf()(*slots_[at]));
            if (((at - home) & Mask()) >= ((at - hole) & Mask())) {
                slots_[hole] = slots_[at];
                hole = at;
            }
        }
        slots_[hole] = nullptr;
        --count_;
    }

    size_t Count() const { return count_; }

private:
    size_t Mask() const { return slots_.size() - 1; }
    size_t Home(std::string_view address) const {
        return std::hash<std::string_view>()(address) & Mask();
    }
    size_t Next(size_t at) const { return (at + 1) & Mask(); }

    void Place(T* element) {
        size_t at = Home(AddressOf()(*element));
        while (slots_[at] != nullptr) at = Next(at);
        slots_[at] = element;
    }

    void Grow() {
        std::vector<T*> old(slots_.empty() ? 16 : 2 * slots_.size(), nullptr);
        std::swap(old, slots_);
        for (T* element : old) {
            if (element != nullptr) Place(element);
        }
    }

    std::vector<T*> slots_; // a power of two of them, or none
    size_t count_ = 0;
};

} // namespace tarnwick::list
