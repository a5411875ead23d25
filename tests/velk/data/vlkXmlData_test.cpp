#include "velk/data/vlkXmlData.h"

#include "velk/data/StringSplit.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::string kData = std::string(CORVALO_TEST_DATA) + "/velk";

TString DataFile(const char* name) {
    return TString(("::" + kData + "/" + name).c_str());
}

TEST(vlkXmlData, RecordQueries_FollowTheFile) {
    vlkXmlData data(DataFile("gamedata.xml"));
    // "MuLtIpLe" is a list table: the type is compared lower-cased.
    ASSERT_EQ(data.GetRecordCount("levels"), 6);
    struct Case {
        int index;
        const char* key;
        const char* expected;
    } cases[] = {
        {0, "_id_", "1"}, {0, "tiles", "star,heart"}, {1, "_id_", "3"},       {1, "tiles", "sun"},
        {2, "_id_", ""},  {2, "tiles", "moon"},       {2, "empty", ""},       {3, "tiles", "bomb"},
        {4, "_id_", "5"}, {4, "tiles", ""},           {5, "_id_", "renamed"}, {0, "missing", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(data.GetRecordString("levels", c.index, c.key).ToStd(), c.expected)
            << c.index << " " << c.key;
    EXPECT_EQ(data.GetRecordName("levels", 1).ToStd(), "3");
    EXPECT_EQ(data.GetRecordInt("levels", 0, "goal"), 12);
    EXPECT_EQ(data.GetRecordInt("levels", 0, "missing"), 0);
    EXPECT_EQ(data.GetRecordIntOr("levels", 0, "missing", 9), 9);
    // A field that is present but empty converts to 0, not to the default.
    EXPECT_EQ(data.GetRecordIntOr("levels", 2, "empty", 9), 0);
    EXPECT_FLOAT_EQ(data.GetRecordFloatOr("levels", 1, "speed", 0.5f), 1.75f);
    EXPECT_FLOAT_EQ(data.GetRecordFloatOr("levels", 0, "speed", 0.5f), 0.5f);
    EXPECT_EQ(data.GetRecordStringOr("levels", 4, "tiles", "none").ToStd(), "none");
    // Two records named "3": the name finds the later one; both stay.
    EXPECT_EQ(data.FindRecord("levels", "3"), 3);
    // A record without a name is not in the index.
    EXPECT_EQ(data.FindRecord("levels", ""), -1);
    EXPECT_EQ(data.FindRecord("levels", "1"), 0);
    // Absent tables answer like absent fields.
    EXPECT_EQ(data.GetRecordCount("nothing"), 0);
    EXPECT_EQ(data.GetRecordIntOr("nothing", 0, "goal", 7), 7);
}

TEST(vlkXmlData, PlainAndVectorTables) {
    vlkXmlData data(DataFile("gamedata.xml"));
    // A second table of the same name replaces the first.
    EXPECT_EQ(data.GetValue("game", "lives").ToStd(), "5");
    EXPECT_EQ(data.GetValueOr("game", "velocity", "1").ToStd(), "1");
    EXPECT_EQ(data.GetValueOr("game", "lives", "1").ToStd(), "5");
    EXPECT_EQ(data.GetValueOr("none", "lives", "x").ToStd(), "x");
    // GetValue leaves an empty entry that later queries see as present.
    EXPECT_EQ(data.GetValueOr("game", "bonus", "d").ToStd(), "d");
    EXPECT_EQ(data.GetValue("game", "bonus").ToStd(), "");
    EXPECT_EQ(data.GetValueOr("game", "bonus", "d").ToStd(), "");
    EXPECT_EQ(data.GetValue("other", "key").ToStd(), "");
    EXPECT_EQ(data.GetValueOr("other", "key", "d").ToStd(), "");

    auto* vector = data.GetVectorTable("names");
    ASSERT_NE(vector, nullptr);
    EXPECT_EQ(vector->first, (std::vector<TString>{"first", "second"}));
    EXPECT_EQ(vector->second, (std::vector<TString>{"a", "b"}));
    EXPECT_EQ(data.GetVectorTable("levels"), nullptr);
}

TEST(vlkXmlData, MissingFileOrRootIsAnEmptyDataSet) {
    vlkXmlData missing(DataFile("no-such-file.xml"));
    EXPECT_TRUE(missing.IsEmpty());
    EXPECT_EQ(missing.GetRecordCount("levels"), 0);
    EXPECT_EQ(missing.GetValueOr("game", "lives", "none").ToStd(), "none");
    // A file of another root.
    vlkXmlData other(DataFile("fx.xml"));
    EXPECT_TRUE(other.IsEmpty());
}

TEST(StringSplit, Table) {
    using Texts = std::vector<TString>;
    struct TextCase {
        const char* text;
        char separator;
        Texts string;  // SplitString
        Texts strings; // SplitStrings
    } textCases[] = {
        {"", ',', {}, {}},
        {"a", ',', {"a"}, {"a"}},
        {",a", ',', {"", "a"}, {"", "a"}},
        {"a,", ',', {"a", ""}, {"a", ""}},
        {"star,,heart", ',', {"star", "", "heart"}, {"star", "", "heart"}},
        {" a , b", ',', {" a ", " b"}, {"a", "b"}},
        {"a b  c", ' ', {"a", "b", "", "c"}, {"a", "b", "", "c"}},
        {"   ", ',', {"   "}, {}},
    };
    for (const TextCase& c : textCases) {
        Texts pieces{"stale"};
        SplitString(pieces, c.text, c.separator);
        EXPECT_EQ(pieces, c.string) << "'" << c.text << "'";
        pieces = {"stale"};
        SplitStrings(pieces, c.text, c.separator);
        EXPECT_EQ(pieces, c.strings) << "'" << c.text << "'";
    }

    struct IntCase {
        const char* text;
        char separator;
        std::vector<int> expected;
    } intCases[] = {
        {"1, 2 ,3", ',', {1, 2, 3}}, {"1 2 3", ' ', {1, 2, 3}}, {"", ',', {}},
        {"4,,-5", ',', {4, 0, -5}},  {" 7 ", ',', {7}},         {"1;x;3", ';', {1, 0, 3}},
    };
    for (const IntCase& c : intCases) {
        std::vector<int> values{99};
        SplitInts(values, c.text, c.separator);
        EXPECT_EQ(values, c.expected) << "'" << c.text << "'";
    }

    struct FloatCase {
        const char* text;
        std::vector<float> expected;
    } floatCases[] = {
        {"1.5, 2 ,-0.25", {1.5f, 2.0f, -0.25f}},
        {"", {}},
        {"3,", {3.0f, 0.0f}},
        {" 1 . 5", {1.5f}},
    };
    for (const FloatCase& c : floatCases) {
        std::vector<float> values{9.0f};
        SplitFloats(values, c.text);
        EXPECT_EQ(values, c.expected) << "'" << c.text << "'";
    }
}

} // namespace
