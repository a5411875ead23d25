#include "game/progress/TokenString.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Reading a stored text value by value, and past its end.
TEST(TokenString, ReadInt_TableOfTexts) {
    const struct {
        const char* text;
        std::vector<int> values;
    } cases[] = {
        {"6^1^12^0", {6, 1, 12, 0}},
        {"12^^5", {12, 0, 5}},
        {"-3", {-3}},
        {"7x", {7}},
        {"x", {0}},
        // Past the end every read gives 0.
        {"4^5", {4, 5, 0, 0}},
        {"", {0, 0}},
    };
    for (const auto& c : cases) {
        TokenString in{TString(c.text)};
        for (size_t i = 0; i < c.values.size(); ++i) {
            int32_t value = 99;
            in.ReadInt(value);
            EXPECT_EQ(value, c.values[i]) << c.text << " value " << i;
        }
    }
}

TEST(TokenString, ReadToken_PastTheEndStaysOnePastIt) {
    TokenString in{TString("ab^c")};
    TString token;
    in.ReadToken(token);
    EXPECT_STREQ(token.CStr(), "ab");
    EXPECT_EQ(in.position, 3u);
    in.ReadToken(token);
    EXPECT_STREQ(token.CStr(), "c");
    EXPECT_EQ(in.position, 5u);
    for (int i = 0; i < 3; ++i) {
        token = TString("left");
        in.ReadToken(token);
        EXPECT_STREQ(token.CStr(), "");
        EXPECT_EQ(in.position, 5u);
    }
    bool flag = true;
    in.ReadBool(flag);
    EXPECT_FALSE(flag);
}

TEST(TokenString, ReadBool_AnyNonZeroIsTrue) {
    TokenString in{TString("0^1^2^-1^")};
    const bool expected[] = {false, true, true, true, false};
    for (bool want : expected) {
        bool value = !want;
        in.ReadBool(value);
        EXPECT_EQ(value, want);
    }
}

// The first value has no separator in front of it, every later one
// exactly one; the example of a map's head reads back as written.
TEST(TokenString, Append_SeparatesEveryValueAfterTheFirst) {
    TokenString out;
    EXPECT_STREQ(out.AppendInt(6).CStr(), "6");
    out.AppendInt(1);
    out.AppendInt(12);
    const uint8_t no = 0;
    out.AppendBool(no);
    EXPECT_STREQ(out.text.CStr(), "6^1^12^0");
    out.AppendInt(-3);
    const uint8_t yes = 1;
    out.AppendBool(yes);
    EXPECT_STREQ(out.text.CStr(), "6^1^12^0^-3^1");

    TokenString in(out.text);
    int32_t values[3] = {};
    for (int32_t& value : values)
        in.ReadInt(value);
    bool flag = true;
    in.ReadBool(flag);
    int32_t negative = 0;
    in.ReadInt(negative);
    bool last = false;
    in.ReadBool(last);
    EXPECT_EQ(values[0], 6);
    EXPECT_EQ(values[2], 12);
    EXPECT_FALSE(flag);
    EXPECT_EQ(negative, -3);
    EXPECT_TRUE(last);
}

// An empty token on an empty text writes nothing, so the next value has
// no separator either.
TEST(TokenString, Append_EmptyTokenOnEmptyTextLeavesItEmpty) {
    TokenString out;
    out.Append(TString(""));
    EXPECT_TRUE(out.text.IsEmpty());
    out.Append(TString("5"));
    EXPECT_STREQ(out.text.CStr(), "5");
}

} // namespace
