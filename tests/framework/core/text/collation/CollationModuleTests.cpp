#include "framework/core/text/TString.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

// This program runs beside the case-insensitive locale module, so the
// string order of TString follows it.

namespace {

TEST(CollationModule, Less_FollowsTheModule) {
    EXPECT_TRUE(TString("a") < TString("B"));
    EXPECT_FALSE(TString("B") < TString("a"));
    EXPECT_EQ(CollateStrings("a", "B"), -1);
    EXPECT_EQ(CollateStrings("ABC", "abc"), 0);
}

TEST(CollationModule, TextsTheModuleCallsEqual_AreOrderedByBytes) {
    EXPECT_NE(TString("ABC"), TString("abc"));
    EXPECT_EQ(TString("ABC").Compare(TString("abc")), -1);
    EXPECT_EQ(TString("abc").Compare(TString("ABC")), 1);
    EXPECT_EQ(TString("abc"), TString("abc"));
}

TEST(CollationModule, Map_KeepsDistinctKeysInLocaleOrder) {
    std::map<TString, int> map;
    for (const char* key : {"b", "B", "a", "A", "c", "a"}) {
        map[TString(key)] += 1;
    }
    std::string order;
    for (const auto& [key, count] : map) {
        order += key.CStr();
    }
    EXPECT_EQ(order, "AaBbc");
    EXPECT_EQ(map[TString("a")], 2);
}

TEST(CollationModule, ByteOrderedSet_IgnoresTheModule) {
    std::set<TString, TStringByteLess> set{TString("b"), TString("B"), TString("a"), TString("A")};
    std::string order;
    for (const TString& key : set) {
        order += key.CStr();
    }
    EXPECT_EQ(order, "ABab");
}

TEST(CollationModule, NullAndEmpty_StillEqualAndFirst) {
    EXPECT_EQ(TString(), TString(""));
    EXPECT_TRUE(TString() < TString("A"));
    EXPECT_TRUE(TString("") < TString("a"));
}

} // namespace
