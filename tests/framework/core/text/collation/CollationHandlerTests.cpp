#include "framework/core/text/TDllCollateHandler.h"

#include "framework/core/log/TLog.h"

#include <gtest/gtest.h>

#include "support/TempFolder.h"

#include <dlfcn.h>
#include <fstream>
#include <sstream>
#include <string>

// This program has no locale module beside it; it loads the test modules
// from their folders.

namespace {

const std::string kModules = COLLATION_MODULES;

bool IsResident(const std::string& path) {
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (!handle) {
        return false;
    }
    dlclose(handle);
    return true;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(TDllCollateHandler, Create_WithoutAModuleBesideTheProgram_IsNull) {
    EXPECT_EQ(TDllCollateHandler::Create(), nullptr);
}

TEST(TDllCollateHandler, CreateFromFolder_MissingFolder_IsNull) {
    EXPECT_EQ(TDllCollateHandler::CreateFromFolder(kModules + "absent/"), nullptr);
}

TEST(TDllCollateHandler, CreateFromFolder_WithoutANamedFolder_LooksNowhere) {
    // A bare module name would be looked up on the system's library path.
    EXPECT_EQ(TDllCollateHandler::CreateFromFolder(""), nullptr);
    EXPECT_EQ(TDllCollateHandler::CreateFromFolder(kModules + "nocase"), nullptr);
}

TEST(TDllCollateHandler, CreateFromFolder_BrokenModules_AreLoggedAndIgnored) {
    support::TempFolder folder("corvalo-collation-");
    // The handler takes a folder name that ends in a separator.
    const std::string path = folder.Path().string() + "/";
    StartLog(path.c_str());
    folder.Write("nblocale.so", "this is not a shared object");
    EXPECT_EQ(TDllCollateHandler::CreateFromFolder(path), nullptr);
    EXPECT_EQ(TDllCollateHandler::CreateFromFolder(kModules + "noexport/"), nullptr);
    std::string log = ReadFile(path + "logfile.txt");
    EXPECT_NE(log.find("Locale module " + path + "nblocale.so not loaded"), std::string::npos)
        << log;
    EXPECT_NE(log.find("noexport/nblocale.so has no nbCollate"), std::string::npos) << log;
}

TEST(TDllCollateHandler, CreateFromFolder_CaseInsensitiveModule_OrdersWithoutCase) {
    auto handler = TDllCollateHandler::CreateFromFolder(kModules + "nocase/");
    ASSERT_NE(handler, nullptr);
    struct Case {
        const char* a;
        const char* b;
        int result;
    } cases[] = {
        {"a", "B", -1}, {"B", "a", 1}, {"abc", "ABC", 0}, {"", "a", -1}, {"Zeta", "alpha", 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(handler->Compare(c.a, c.b), c.result) << c.a << " vs " << c.b;
    }
}

TEST(TDllCollateHandler, CreateFromFolder_ModuleWithoutExport_IsNullAndUnloaded) {
    std::string path = kModules + "noexport/nblocale.so";
    ASSERT_FALSE(IsResident(path));
    EXPECT_EQ(TDllCollateHandler::CreateFromFolder(kModules + "noexport/"), nullptr);
    EXPECT_FALSE(IsResident(path)) << "a module without the export stays loaded";
}

TEST(TDllCollateHandler, Compare_ReadsOnlyTheLowByteAsASignedValue) {
    auto handler = TDllCollateHandler::CreateFromFolder(kModules + "lowbyte/");
    ASSERT_NE(handler, nullptr);
    EXPECT_EQ(handler->Compare("a", "b"), -1);
    EXPECT_EQ(handler->Compare("b", "a"), 1);
    EXPECT_EQ(handler->Compare("a", "a"), 0);
}

TEST(TDllCollateHandler, Destruction_UnloadsTheModule) {
    std::string path = kModules + "nocase/nblocale.so";
    {
        auto handler = TDllCollateHandler::CreateFromFolder(kModules + "nocase/");
        ASSERT_NE(handler, nullptr);
        EXPECT_TRUE(IsResident(path));
    }
    EXPECT_FALSE(IsResident(path));
}

TEST(TDllCollateHandler, MoveConstruction_TakesOverTheModule) {
    std::string path = kModules + "nocase/nblocale.so";
    auto handler = TDllCollateHandler::CreateFromFolder(kModules + "nocase/");
    ASSERT_NE(handler, nullptr);
    auto moved = std::make_unique<TDllCollateHandler>(std::move(*handler));
    EXPECT_EQ(handler->Compare("a", "B"), 0) << "the emptied handler has no function";
    EXPECT_EQ(moved->Compare("a", "B"), -1);
    handler.reset();
    EXPECT_TRUE(IsResident(path)) << "the emptied handler freed a module it no longer holds";
    moved.reset();
    EXPECT_FALSE(IsResident(path));
}

} // namespace
