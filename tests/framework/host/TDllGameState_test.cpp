#include "framework/host/TDllGameState.h"

#include "framework/core/files/TAssetScan.h"
#include "framework/core/files/TFileSystem.h"
#include "framework/core/files/TPackFile.h"
#include "framework/core/files/TPackWriter.h"
#include "framework/core/system/ApplicationPresence.h"
#include "framework/host/TGameState.h"

#include "RecordingHandler.h"
#include "framework/core/files/FileTestTree.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Modules built beside this test (see CMakeLists.txt).
std::string ModulePath(const char* name) {
    return std::string(HOST_TEST_MODULES) + name;
}

// An assets folder and a user folder in a fresh working tree; modules are
// copied in and the file system scanned as at start-up.
class DllGameStateTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories("assets");
        fs::create_directories("user");
        SetUserDataFolder((tree.Root() + "/user").c_str());
        trace = tree.Root() + "/trace.txt";
        setenv("CORVALO_MODULE_TRACE", trace.c_str(), 1);
    }
    void TearDown() override { unsetenv("CORVALO_MODULE_TRACE"); }

    static void Install(const char* module, const std::string& destination) {
        fs::create_directories(fs::path(destination).parent_path());
        fs::copy_file(ModulePath(module), destination, fs::copy_options::overwrite_existing);
    }
    // Scans the assets and data folders as the start-up does.
    static void Scan() {
        ClearNameRegistry();
        InitFileSystem();
    }
    std::string Trace() const { return FileTestTree::Read(trace); }

    FileTestTree tree;
    std::string trace;
};

std::string Get(TGameStateHandler& handler, const char* name, const char* value = "") {
    const char* answer = handler.OnGetState(name, value);
    return answer ? answer : "(null)";
}

TEST_F(DllGameStateTest, ModuleInTheAssetsFolder_EverySlotIsForwarded) {
    Install("recording.nbmod", "assets/recording.nbmod");
    Scan();
    TDllGameState handler;
    ASSERT_TRUE(handler.Load("recording.nbmod")) << tree.Log();
    EXPECT_TRUE(handler.IsLoaded());

    EXPECT_FALSE(handler.OnSetState("level", "3"));
    EXPECT_EQ(Get(handler, "echo", "x"), "module:x");
    EXPECT_FALSE(handler.QueryRestartMode());
    EXPECT_FALSE(handler.QueryJumpToMenu());
    EXPECT_FALSE(handler.QueryMuteGame());
    EXPECT_FALSE(handler.QuerySuspendGame());
    EXPECT_EQ(Get(handler, "calls"), "set level=3|get echo=x|ask restart|ask menu|ask mute|"
                                     "ask suspend|get calls=");

    struct Answer {
        const char* state;
        bool (TGameStateHandler::*ask)();
    } answers[] = {{"restart", &TGameStateHandler::QueryRestartMode},
                   {"menu", &TGameStateHandler::QueryJumpToMenu},
                   {"mute", &TGameStateHandler::QueryMuteGame},
                   {"suspend", &TGameStateHandler::QuerySuspendGame}};
    for (const Answer& a : answers) {
        handler.OnSetState(a.state, "1");
        EXPECT_TRUE(std::invoke(a.ask, handler)) << a.state;
        handler.OnSetState(a.state, "0");
        EXPECT_FALSE(std::invoke(a.ask, handler)) << a.state;
    }
    EXPECT_TRUE(handler.OnSetState("consume", "1"));
    EXPECT_NE(tree.Log().find("Game-state module recording.nbmod loaded"), std::string::npos);
}

TEST_F(DllGameStateTest, Unloading_DestroysTheHandlerThroughTheModule) {
    Install("recording.nbmod", "assets/recording.nbmod");
    Scan();
    auto* handler = new TDllGameState;
    ASSERT_TRUE(handler->Load("recording.nbmod"));
    EXPECT_EQ(Trace(), "create\n");
    delete static_cast<TGameStateHandler*>(handler);
    EXPECT_EQ(Trace(), "create\ndestroy\n");
}

TEST_F(DllGameStateTest, NameThatOnlyContainsTheExtension_Loads) {
    Install("recording.nbmod", "assets/x.nbmod.bak");
    Install("recording.nbmod", "assets/plugins/deep.NBMOD.so");
    Scan();
    TDllGameState handler;
    EXPECT_TRUE(handler.Load("x.nbmod.bak")) << tree.Log();
    // Table names are lower-case, so a capitalised file is found as such.
    TDllGameState deep;
    EXPECT_TRUE(deep.Load("plugins/deep.nbmod.so")) << tree.Log();
}

TEST_F(DllGameStateTest, RegisteredModule_SeesTheRegistryAndIsUnloadedWithIt) {
    Install("recording.nbmod", "assets/recording.nbmod");
    Scan();
    SetApplicationPresent(true);
    TGameState* registry = TGameState::GetInstance();
    ASSERT_NE(registry, nullptr);

    auto* module = new TDllGameState;
    ASSERT_TRUE(module->Load("recording.nbmod"));
    TGameState::AddHandler(module);
    Journal journal;
    TGameState::AddHandler(new RecordingHandler("after", journal));

    registry->SetState("score", "250");
    EXPECT_EQ(registry->GetState("echo").ToStd(), "module:");
    EXPECT_FALSE(registry->QuerySuspendGame());
    registry->SetState("suspend", "1");
    EXPECT_TRUE(registry->QuerySuspendGame());
    registry->SetState("suspend", "0");
    EXPECT_FALSE(registry->QuerySuspendGame());

    // A module that consumes every state hides them from later handlers;
    // the stored values are not affected.
    registry->SetState("consume", "1");
    journal.clear();
    registry->SetState("level", "4");
    EXPECT_EQ(journal, Journal{});
    EXPECT_EQ(registry->GetState("level").ToStd(), "4");

    SetApplicationPresent(false);
    delete registry;
    EXPECT_EQ(Trace(), "create\ndestroy\n");
}

TEST_F(DllGameStateTest, ModuleInsideAPack_LoadsFromMemory) {
    Install("recording.nbmod", "packed/inpack.nbmod");
    Install("recording.nbmod", "packed/second.nbmod");
    Install("noexport.nbmod", "packed/noexport.nbmod");
    std::vector<TPackSource> sources;
    TString error;
    ASSERT_TRUE(CollectPackSources("packed", sources, error)) << error.CStr();
    ASSERT_TRUE(WritePackFile("assets/mods.nbp", sources, error)) << error.CStr();
    fs::remove_all("packed");
    Scan();
    ASSERT_EQ(ResolvePath("inpack.nbmod", true).CharAt(0), '@');

    TDllGameState first;
    ASSERT_TRUE(first.Load("inpack.nbmod")) << tree.Log();
    EXPECT_EQ(Get(first, "echo", "p"), "module:p");

    // Each module loaded from memory is a module of its own, even while an
    // earlier one is still loaded.
    TDllGameState broken;
    EXPECT_FALSE(broken.Load("noexport.nbmod"));
    TDllGameState second;
    ASSERT_TRUE(second.Load("second.nbmod")) << tree.Log();
    first.OnSetState("only", "first");
    EXPECT_EQ(Get(second, "calls"), "get calls=");
}

// A module that was loaded and unloaded may stay resident in the process
// (C++ modules often do). A module loaded after it, from memory or from the
// assets folder, is still the new module and not the resident one.
TEST_F(DllGameStateTest, ModuleAfterAnUnloadedOne_IsItself) {
    Install("recording.nbmod", "packed/inpack.nbmod");
    Install("noexport.nbmod", "packed/nothing.nbmod");
    std::vector<TPackSource> sources;
    TString error;
    ASSERT_TRUE(CollectPackSources("packed", sources, error)) << error.CStr();
    ASSERT_TRUE(WritePackFile("assets/mods.nbp", sources, error)) << error.CStr();
    fs::remove_all("packed");
    Install("recording.nbmod", "assets/recording.nbmod");
    Install("noexport.nbmod", "assets/noexport.nbmod");
    Scan();
    for (int round = 0; round < 3; ++round) {
        {
            TDllGameState first;
            ASSERT_TRUE(first.Load("inpack.nbmod")) << tree.Log();
        }
        TDllGameState next;
        EXPECT_FALSE(next.Load("nothing.nbmod")) << "round " << round;
        {
            TDllGameState first;
            ASSERT_TRUE(first.Load("recording.nbmod")) << tree.Log();
        }
        EXPECT_FALSE(next.Load("noexport.nbmod")) << "round " << round;
    }
}

struct RefusedCase {
    const char* name;
    const char* logged;
};

TEST_F(DllGameStateTest, ModulesOutsideTheAssets_AreRefused) {
    Install("recording.nbmod", "user/recording.nbmod");
    Install("recording.nbmod", "elsewhere/recording.nbmod");
    Install("recording.nbmod", "assets/recording.nbmod");
    fs::create_directories("common");
    SetCommonDataFolder((tree.Root() + "/common").c_str());
    Install("recording.nbmod", "common/recording.nbmod");
    // A link inside the assets folder that leads into the user's folder.
    fs::create_symlink(tree.Root() + "/user/recording.nbmod", "assets/linked.nbmod");
    Scan();
    ASSERT_FALSE(ResolvePath("user:recording.nbmod", true).IsEmpty());

    std::string absolute = "::" + tree.Root() + "/assets/recording.nbmod";
    const RefusedCase cases[] = {
        {"user:recording.nbmod", "not from a \"user:\" name"},
        {"USER:recording.nbmod", "not from a \"user:\" name"},
        {"common:recording.nbmod", "not from a \"common:\" name"},
        {"desktop:recording.nbmod", "not from a \"desktop:\" name"},
        {"assets/user:recording.nbmod", "not from a \"user:\" name"},
        {"::elsewhere/recording.nbmod", "not from a \"::\" name"},
        {absolute.c_str(), "not from a \"::\" name"},
        {"linked.nbmod", "is outside the assets folder"},
        {"missing.nbmod", "it names no file"},
        {"recording.so", "files named *.nbmod*"},
    };
    for (const RefusedCase& c : cases) {
        TDllGameState handler;
        EXPECT_FALSE(handler.Load(c.name)) << c.name;
        EXPECT_FALSE(handler.IsLoaded());
        std::string line = std::string("Game-state module ") + c.name + " refused: ";
        std::string log = tree.Log();
        size_t at = log.find(line);
        ASSERT_NE(at, std::string::npos) << c.name << "\n" << log;
        EXPECT_NE(log.find(c.logged, at), std::string::npos) << c.name << "\n" << log;
    }
    EXPECT_EQ(Trace(), "") << "no refused module ran";
}

TEST_F(DllGameStateTest, DataFoldersAtTheProgramFolder_LeaveTheAssetsLoadable) {
    // Hosted without a page, or without a home folder, every data folder is
    // the program folder, the one the assets folder lies in.
    Install("recording.nbmod", "assets/recording.nbmod");
    Install("recording.nbmod", "assets/plugins/deep.nbmod");
    Install("recording.nbmod", "./beside.nbmod");
    SetUserDataFolder(tree.Root().c_str());
    SetCommonDataFolder(tree.Root().c_str());
    SetDesktopFolder((tree.Root() + "/").c_str());
    Scan();

    TDllGameState handler;
    EXPECT_TRUE(handler.Load("recording.nbmod")) << tree.Log();
    TDllGameState deep;
    EXPECT_TRUE(deep.Load("plugins/deep.nbmod")) << tree.Log();
    // The program folder outside the assets stays off limits.
    TDllGameState beside;
    EXPECT_FALSE(beside.Load("user:beside.nbmod"));
    EXPECT_FALSE(beside.Load(TString(("::" + tree.Root() + "/beside.nbmod").c_str())));
    EXPECT_EQ(Trace(), "create\ncreate\n");
}

TEST_F(DllGameStateTest, DataFolderInsideTheAssets_KeepsItsModulesOut) {
    Install("recording.nbmod", "assets/recording.nbmod");
    Install("recording.nbmod", "assets/saves/saved.nbmod");
    Install("recording.nbmod", "assets/saves/deeper/nested.nbmod");
    SetUserDataFolder((tree.Root() + "/assets/saves").c_str());
    Scan();

    const RefusedCase cases[] = {
        {"saves/saved.nbmod", "is in a data folder"},
        {"saves/deeper/nested.nbmod", "is in a data folder"},
    };
    for (const RefusedCase& c : cases) {
        TDllGameState handler;
        EXPECT_FALSE(handler.Load(c.name)) << c.name;
        std::string line = std::string("Game-state module ") + c.name + " refused: ";
        std::string log = tree.Log();
        size_t at = log.find(line);
        ASSERT_NE(at, std::string::npos) << c.name << "\n" << log;
        EXPECT_NE(log.find(c.logged, at), std::string::npos) << c.name << "\n" << log;
    }
    EXPECT_EQ(Trace(), "");
    TDllGameState handler;
    EXPECT_TRUE(handler.Load("recording.nbmod")) << tree.Log();
}

TEST_F(DllGameStateTest, DataFolderThatIsTheAssetsFolder_KeepsEveryModuleOut) {
    Install("recording.nbmod", "assets/recording.nbmod");
    SetCommonDataFolder((tree.Root() + "/assets").c_str());
    Scan();

    TDllGameState handler;
    EXPECT_FALSE(handler.Load("recording.nbmod"));
    EXPECT_NE(tree.Log().find("is in a data folder"), std::string::npos) << tree.Log();
    EXPECT_EQ(Trace(), "");
}

TEST_F(DllGameStateTest, PackOutsideTheAssets_IsRefused) {
    Install("recording.nbmod", "packed/frompack.nbmod");
    std::vector<TPackSource> sources;
    TString error;
    ASSERT_TRUE(CollectPackSources("packed", sources, error)) << error.CStr();
    ASSERT_TRUE(WritePackFile("user/mods.nbp", sources, error)) << error.CStr();
    Scan();
    ASSERT_TRUE(LoadPack(GetNameTable(), "user:mods.nbp"));

    TDllGameState handler;
    EXPECT_FALSE(handler.Load("frompack.nbmod"));
    EXPECT_NE(tree.Log().find("its pack user:mods.nbp is refused"), std::string::npos)
        << tree.Log();
    EXPECT_EQ(Trace(), "");
}

TEST_F(DllGameStateTest, BrokenModules_FailAndLeaveNothingLoaded) {
    Install("noexport.nbmod", "assets/noexport.nbmod");
    Install("nodestroy.nbmod", "assets/nodestroy.nbmod");
    Install("nullhandler.nbmod", "assets/nullhandler.nbmod");
    tree.Write("assets/text.nbmod", "not a library at all");
    Scan();
    const RefusedCase cases[] = {
        {"noexport.nbmod", "not used: it does not export CreateHandler"},
        {"nodestroy.nbmod", "not used: it does not export DestroyHandler"},
        {"nullhandler.nbmod", "not used: CreateHandler made no handler"},
        {"text.nbmod", "not loaded: "},
    };
    for (const RefusedCase& c : cases) {
        TDllGameState handler;
        EXPECT_FALSE(handler.Load(c.name)) << c.name;
        EXPECT_FALSE(handler.IsLoaded());
        EXPECT_NE(tree.Log().find(std::string("Game-state module ") + c.name + " " + c.logged),
                  std::string::npos)
            << tree.Log();
        // Unloaded, it answers as the base handler does and consumes nothing.
        const char* value = "v";
        EXPECT_EQ(handler.OnGetState("level", value), value);
        EXPECT_FALSE(handler.OnSetState("level", "1"));
        EXPECT_FALSE(handler.QueryRestartMode());
        EXPECT_FALSE(handler.QueryJumpToMenu());
        EXPECT_FALSE(handler.QueryMuteGame());
        EXPECT_FALSE(handler.QuerySuspendGame());
    }
}

TEST_F(DllGameStateTest, LoadingAgain_ReleasesTheFirstModule) {
    Install("recording.nbmod", "assets/recording.nbmod");
    Scan();
    TDllGameState handler;
    ASSERT_TRUE(handler.Load("recording.nbmod"));
    ASSERT_FALSE(handler.Load("missing.nbmod"));
    EXPECT_FALSE(handler.IsLoaded());
    EXPECT_EQ(Trace(), "create\ndestroy\n");
}

} // namespace
