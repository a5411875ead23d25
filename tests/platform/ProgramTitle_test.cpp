#include "platform/instance/ProgramTitle.h"

#include <gtest/gtest.h>

namespace {

TEST(ProgramTitle, LowerCaseWithoutSeparatorsAndColons) {
    struct Case {
        const char* path;
        const char* title;
    } cases[] = {
        {"D:\\GAME\\GAME.EXE", "dgamegame.exe"},
        {"/opt/Corvalo/corvalo", "optcorvalocorvalo"},
        {"/home/a b/Ünï/x", "homea bÜnïx"},
        {"", ""},
        {"::/\\", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(platform::MakeProgramTitle(c.path), c.title) << c.path;
    }
}

TEST(ProgramTitle, MutexAndWindowClassNames) {
    EXPECT_EQ(platform::MakeInstanceName("dgamegame.exe"), "dgamegame.exe_MUTEX");
    EXPECT_EQ(platform::MakeWindowClassName("dgamegame.exe"), "dgamegame.exe_WNDCLASS");
}

} // namespace
