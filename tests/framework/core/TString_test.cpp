#include "framework/core/TString.h"

#include <gtest/gtest.h>

TEST(TString, NullIsEmpty) {
    TString s;
    EXPECT_STREQ(s.CStr(), "");
    EXPECT_EQ(s.Length(), 0);
    EXPECT_EQ(TString(""), s);
}
