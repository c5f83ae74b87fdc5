#include "list/key_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tarnwick::list {
namespace {

std::vector<ItemKey> Keys(KeyTable<std::string>& table) {
    std::vector<ItemKey> keys;
    for (const auto& [key, value] : table) keys.push_back(key);
    return keys;
}

TEST(KeyTable, StaysSortedWhateverTheOrderOfItsKeys) {
    KeyTable<std::string> table;
    table[5] = "e";
    table[2] = "b";
    table[9] = "i";
    table[2] += "!";
    EXPECT_EQ(Keys(table), (std::vector<ItemKey>{2, 5, 9}));
    EXPECT_EQ(table.find(2)->second, "b!");
    EXPECT_EQ(table.find(3), table.end());
    EXPECT_EQ(table.find(10), table.end());
    table.erase(table.find(5));
    EXPECT_EQ(Keys(table), (std::vector<ItemKey>{2, 9}));
    table.Assign({{7, "g"}, {1, "a"}, {4, "d"}});
    EXPECT_EQ(Keys(table), (std::vector<ItemKey>{1, 4, 7}));
    EXPECT_EQ(table.find(4)->second, "d");
}

} // namespace
} // namespace tarnwick::list
