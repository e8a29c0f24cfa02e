#include "websites/blocked_list.h"

#include <gtest/gtest.h>

namespace tn {
namespace {

TEST(BlockedListTest, EditsTakeEffectAtTheNextCheck) {
    BlockedList list;
    list.assign(TextList::fromLines({"casino", "", "bad.example", "casino"}));
    EXPECT_TRUE(list.blocks("http://www.casino.test/"));
    EXPECT_FALSE(list.blocks("http://Casino.test/"));
    list.erase(0);  // one copy of "casino" stays
    EXPECT_TRUE(list.blocks("http://www.casino.test/"));
    list.erase(2);
    EXPECT_FALSE(list.blocks("http://www.casino.test/"));
    EXPECT_EQ(list.entries().toVector(), (std::vector<std::string>{"", "bad.example"}));
    list.append("kitten");
    EXPECT_TRUE(list.blocks("https://kittens.test/"));
    EXPECT_TRUE(list.blocks("https://x.test/?q=bad.example"));
    list.clear();
    EXPECT_FALSE(list.blocks("https://kittens.test/"));
}

}  // namespace
}  // namespace tn
