#include "velk/game/FxMap.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TString DataFile(const char* name) {
    return TString(("::" + std::string(CORVALO_TEST_DATA) + "/velk/" + name).c_str());
}

class FxMapTest : public ::testing::Test {
protected:
    void SetUp() override { ClearFxMap(); }
    void TearDown() override { ClearFxMap(); }
};

TEST_F(FxMapTest, FirstEntryOfANameWinsAndNamesAreCaseBlind) {
    LoadFxMap(DataFile("fx.xml"));
    struct Case {
        const char* name;
        const char* path;
    } cases[] = {
        {"trail", "anim/trail_a.xml"}, // "FX" is an fx element too, but comes second
        {"Trail", "anim/trail_a.xml"},
        {"BOMB", "anim/bomb.xml"},
        {"wind", ""}, // not an "fx" element
        {"", "anim/nameless.xml"},
        {"other", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GetFxPath(c.name).ToStd(), c.path) << c.name;
    EXPECT_EQ(GetFxCount(), 3u);
    // A later list adds names but replaces none.
    LoadFxMap(DataFile("fx.xml"));
    EXPECT_EQ(GetFxCount(), 3u);
}

TEST_F(FxMapTest, UnreadableOrForeignFilesAddNothing) {
    LoadFxMap(DataFile("missing.xml"));
    LoadFxMap(DataFile("gamedata.xml"));
    LoadFxMap("");
    EXPECT_EQ(GetFxCount(), 0u);
    EXPECT_EQ(GetFxPath("trail").ToStd(), "");
}

} // namespace
