#include "list/address_index.h"

#include <gtest/gtest.h>

#include <deque>
#include <random>
#include <set>
#include <string>

namespace tarnwick::list {
namespace {

struct Listed {
    std::string address;
};
struct AddressOfListed {
    std::string_view operator()(const Listed& listed) const { return listed.address; }
};

// Against a set kept beside it: every address in the set is found as itself,
// and no other is found.
TEST(AddressIndex, FindsExactlyWhatIsInItThroughGrowthAndRemovals) {
    AddressIndex<Listed, AddressOfListed> index;
    std::deque<Listed> store;
    std::set<Listed*> in;
    std::mt19937 random(7);
    for (int i = 0; i < 3000; ++i) {
        store.push_back({"http://www.youtube.com/watch?v=" + std::to_string(i)});
        index.Insert(&store.back());
        in.insert(&store.back());
        // Removals land inside runs of neighbours, at their ends, and at the
        // ends of the table; what follows a removed one must still be found.
        if (random() % 3 == 0) {
            auto victim = in.begin();
            std::advance(victim, static_cast<long>(random() % in.size()));
            index.Erase(*victim);
            in.erase(victim);
        }
    }
    ASSERT_EQ(index.Count(), in.size());
    for (Listed& listed : store) {
        const bool listed_now = in.count(&listed) > 0;
        EXPECT_EQ(index.Find(listed.address), listed_now ? &listed : nullptr) << listed.address;
    }
    EXPECT_EQ(index.Find("http://www.youtube.com/watch?v="), nullptr);
    // Erasing what is not in it, even under a listed address, changes nothing.
    const Listed twin = **in.begin();
    index.Erase(&twin);
    if (in.count(&store.front()) == 0) index.Erase(&store.front());
    EXPECT_EQ(index.Count(), in.size());
    EXPECT_EQ(index.Find(twin.address), *in.begin());
    for (Listed* listed : in) index.Erase(listed);
    EXPECT_EQ(index.Count(), 0u);
    for (Listed& listed : store) EXPECT_EQ(index.Find(listed.address), nullptr);
}

} // namespace
} // namespace tarnwick::list
