#include "platform/modules/SharedModule.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

TEST(SharedModule, Load_MissingFile_FailsWithAReason) {
    platform::SharedModule module;
    EXPECT_FALSE(module.Load("/nonexistent/folder/nblocale.so"));
    EXPECT_FALSE(module.IsLoaded());
    EXPECT_FALSE(module.LastError().empty());
    EXPECT_EQ(module.FindSymbol("nbCollate"), nullptr);
}

TEST(SharedModule, Load_SystemLibrary_FindsItsExports) {
    platform::SharedModule module;
    ASSERT_TRUE(module.Load("libm.so.6")) << module.LastError();
    EXPECT_TRUE(module.IsLoaded());
    EXPECT_NE(module.FindSymbol("cos"), nullptr);
    EXPECT_EQ(module.FindSymbol("no_such_export_here"), nullptr);
    module.Unload();
    EXPECT_FALSE(module.IsLoaded());
    EXPECT_EQ(module.FindSymbol("cos"), nullptr);
}

TEST(SharedModule, FailedLoad_LeavesNoEarlierModuleBehind) {
    platform::SharedModule module;
    ASSERT_TRUE(module.Load("libm.so.6")) << module.LastError();
    EXPECT_TRUE(module.LastError().empty());
    EXPECT_FALSE(module.Load("/nonexistent/folder/nblocale.so"));
    EXPECT_FALSE(module.IsLoaded()) << "a failed load reports the earlier module as loaded";
    EXPECT_EQ(module.FindSymbol("cos"), nullptr);
    EXPECT_FALSE(module.LastError().empty());
}

TEST(SharedModule, Move_HandsTheModuleOver) {
    platform::SharedModule first;
    ASSERT_TRUE(first.Load("libm.so.6"));
    platform::SharedModule second(std::move(first));
    EXPECT_FALSE(first.IsLoaded());
    EXPECT_TRUE(second.IsLoaded());
    platform::SharedModule third;
    third = std::move(second);
    EXPECT_FALSE(second.IsLoaded());
    EXPECT_NE(third.FindSymbol("cos"), nullptr);
}

} // namespace
