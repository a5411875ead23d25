#include "game/board/BoardTheme.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(BoardTheme, QuickLevelsChangeLightEveryFiveAndPlaceEveryTwenty) {
    struct Case {
        int level, background, shade;
        const char* theme;
    };
    const Case cases[] = {
        {1, 1, 0, "Mountain"},   {5, 1, 0, "Mountain"}, {6, 1, 1, "Mountain"},
        {20, 1, 3, "Mountain"},  {21, 0, 0, "Forest"},  {41, 2, 0, "City"},
        {61, 3, 0, "Beach"},     {81, 4, 0, "Space"},   {100, 4, 3, "Space"},
        {101, 1, 0, "Mountain"}, {0, 1, 0, "Mountain"}, {-7, 1, 0, "Mountain"},
    };
    for (const Case& c : cases) {
        const QuickBackground b = GetQuickBackground(c.level);
        EXPECT_EQ(c.background, b.background) << "level " << c.level;
        EXPECT_EQ(c.shade, b.shade) << "level " << c.level;
        EXPECT_STREQ(c.theme, ThemeName(b.theme)) << "level " << c.level;
    }
}

TEST(BoardTheme, QuestLevelsTakeTheirStretchOfTheMap) {
    struct Case {
        int level;
        const char* theme;
    };
    const Case cases[] = {{1, "Mountain"}, {9, "Mountain"}, {10, "Forest"}, {20, "Forest"},
                          {21, "City"},    {31, "City"},    {32, "Beach"},  {42, "Beach"},
                          {43, "Space"},   {55, "Space"},   {56, nullptr}};
    for (const Case& c : cases) {
        const char* name = QuestThemeName(c.level);
        EXPECT_EQ(std::string(c.theme ? c.theme : "(none)"), std::string(name ? name : "(none)"))
            << "level " << c.level;
    }
}

TEST(BoardTheme, ThemeNamesOutsideTheListFallBackToTheFirst) {
    EXPECT_STREQ("Space", ThemeName(4));
    EXPECT_STREQ("Mountain", ThemeName(5));
    EXPECT_STREQ("Mountain", ThemeName(-1));
}

} // namespace
