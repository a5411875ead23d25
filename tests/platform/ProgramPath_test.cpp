#include "platform/paths/ProgramPath.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

TEST(ProgramPath, ProgramFilePath_IsThisTestProgram) {
    std::string path = platform::ProgramFilePath();
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(path.front(), '/');
    EXPECT_NE(path.find("ProgramPath_test"), std::string::npos) << path;
    EXPECT_EQ(access(path.c_str(), X_OK), 0) << path;
}

TEST(ProgramPath, ProgramFolder_IsThePathCutBehindItsLastSlash) {
    std::string path = platform::ProgramFilePath();
    std::string folder = platform::ProgramFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '/');
    EXPECT_EQ(folder + "ProgramPath_test", path);
}

} // namespace
