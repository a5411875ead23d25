#include "AppFixture.h"

#include "framework/app/ApplicationMain.h"
#include "framework/core/system/TEvent.h"
#include "framework/core/math/TRandom.h"
#include "framework/core/settings/TCommandLine.h"
#include "framework/core/system/ApplicationPresence.h"
#include "framework/core/tasks/FrameworkTime.h"
#include "framework/core/tasks/TAnimTask.h"
#include "framework/core/tasks/TClock.h"
#include "framework/core/xml/TStringTable.h"
#include "framework/graphics/TGraphics.h"
#include "framework/graphics/TRenderer.h"
#include "framework/graphics/texture/TDxTextureData.h"
#include "framework/host/TGameState.h"
#include "framework/script/animation/TAnimatedSprite.h"
#include "framework/sound/manager/TSoundManager.h"
#include "framework/ui/manager/TWindowManager.h"
#include "framework/ui/script/TWindowScript.h"
#include "framework/ui/window/TScreen.h"

#include "platform/time/manual/ManualTimeSource.h"

#include <lua.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <utility>
#include <vector>

namespace {

size_t IndexOf(const std::vector<std::string>& steps, const std::string& step) {
    return static_cast<size_t>(std::find(steps.begin(), steps.end(), step) - steps.begin());
}

TEST_F(AppFixture, Constructor_StoresTheSettingsFileInDocumentOrder) {
    WriteAsset("settings.xml", "<settings><vsync>1</vsync><foo>bar</foo><memorymax>5000</memorymax>"
                               "<viewportscale>1.5</viewportscale><foo>baz</foo></settings>");
    // The start-up order: the settings file is read, then the main window,
    // then the draw front makes the renderer.
    BuildApplication();
    ASSERT_EQ(TRenderer::Get(), nullptr);
    EXPECT_STREQ(GetSetting("vsync").CStr(), "1");
    // The later "foo" replaces the earlier one.
    EXPECT_STREQ(GetSetting("foo").CStr(), "baz");
    EXPECT_STREQ(GetSetting(kSettingTextureMemoryMax).CStr(), "100000000");
    ASSERT_TRUE(mApplication->CreateMainWindow());
    TGraphics::Get();
    ASSERT_NE(TRenderer::Get(), nullptr);
    // The renderer took "vsync" when it was made; the change hook acted on
    // the others.
    EXPECT_TRUE(TRenderer::Get()->GetVerticalSync());
    EXPECT_EQ(GetMemoryLimit(), 5000);
    EXPECT_FLOAT_EQ(mApplication->GetPlatform()->mViewportScale.load(), 1.5f);
}

TEST_F(AppFixture, Constructor_WithoutASettingsFileKeepsTheDefaults) {
    BuildApplication();
    EXPECT_STREQ(GetSetting(kSettingMemoryMax).CStr(), "100000000");
    EXPECT_STREQ(GetSetting(kSettingTextureMemoryMax).CStr(), "100000000");
    EXPECT_EQ(GetMemoryLimit(), 100000000);
    EXPECT_FALSE(GetSetting(TSettingKey::kComputerId).IsEmpty());
    EXPECT_STREQ(GetSetting(kSettingUtf8ModeInit).CStr(), "1");
}

TEST_F(AppFixture, Constructor_SaysWhenTheSettingsFileGivesNoSettings) {
    WriteAsset("settings.xml", "<setings><vsync>1</vsync></setings>");
    BuildApplication();
    EXPECT_FALSE(HasSetting("vsync"));
    std::string log = ReadFile((UserFolder() / "logfile.txt").string());
    EXPECT_NE(log.find("::assets/settings.xml has no settings element"), std::string::npos) << log;
}

TEST_F(AppFixture, Constructor_NamesTheBuildAndLogsIt) {
    BuildApplication();
    TPlatform* platform = mApplication->GetPlatform();
    EXPECT_STREQ(GetSetting(TSettingKey::kGameName).CStr(), "Corvalo");
    EXPECT_STREQ(GetSetting(TSettingKey::kVersion).CStr(), platform->GetVersion().CStr());
    EXPECT_STREQ(GetSetting(TSettingKey::kBuildTag).CStr(), platform->GetInternalName().CStr());
    EXPECT_FALSE(platform->GetVersion().IsEmpty());
    std::string log = ReadFile((UserFolder() / "logfile.txt").string());
    std::string line = "Corvalo, version " + platform->GetVersion().ToStd() + ".";
    EXPECT_NE(log.find(line), std::string::npos) << log;
}

TEST_F(AppFixture, Constructor_TakesUrlAndStringTestFromTheCommandLine) {
    BuildApplication("-url=abc def --stringtest");
    EXPECT_STREQ(GetSetting(TSettingKey::kDownloadUrl).CStr(), "abc");
    EXPECT_STREQ(GetSetting(kSettingStringTest).CStr(), "1");
}

TEST_F(AppFixture, Constructor_LoadsTheStringFilesOfTheDataFolders) {
    WriteAsset("strings.xml", StringFile("HELLO", "Hello"));
    BuildPlatform();
    mRoot.Write(UserFolder() / "strings_user.xml", StringFile("USER", "u"));
    mRoot.Write(UserFolder() / "stringsx.xml.bak", StringFile("BAK", "b"));
    mRoot.Write(UserFolder() / "other.xml", StringFile("OTHER", "o"));
    mRoot.Write(UserFolder() / "strings.txt", StringFile("TEXT", "t"));
    mRoot.Write(UserFolder() / "sub" / "strings_deep.xml", StringFile("DEEP", "d"));
    mRoot.Write(CommonFolder() / "string_common.xml", StringFile("COMMON", "c"));
    BuildApplication();
    TStringTable* table = mApplication->GetStringTable();
    for (const char* label : {"HELLO", "USER", "BAK", "COMMON"}) {
        EXPECT_NE(table->FindStored(label), nullptr) << label;
    }
    for (const char* label : {"OTHER", "TEXT", "DEEP"}) {
        EXPECT_EQ(table->FindStored(label), nullptr) << label;
    }
    EXPECT_TRUE(mApplication->GetWindowManager()->GetScript()->GetStringTableFlag());
}

TEST_F(AppFixture, Constructor_WithoutStringsXmlLeavesTheScriptFlagOff) {
    BuildApplication();
    EXPECT_FALSE(mApplication->GetWindowManager()->GetScript()->GetStringTableFlag());
}

TEST_F(AppFixture, ChangeHook_ActsOnlyWhileTheApplicationLives) {
    TRenderer renderer;
    SetSetting("vsync", "1");
    EXPECT_FALSE(renderer.GetVerticalSync()) << "hook ran before the application";
    BuildApplication();
    SetSetting("vsync", "1");
    EXPECT_TRUE(renderer.GetVerticalSync());
    SetSetting("vsync", "0");
    EXPECT_FALSE(renderer.GetVerticalSync());
    SetSetting("memorymax", "1234");
    EXPECT_EQ(GetMemoryLimit(), 1234);
    SetSetting("viewportscale", "0.5");
    EXPECT_FLOAT_EQ(mApplication->GetPlatform()->mViewportScale.load(), 0.5f);
    DestroyApplication();
    SetSetting("vsync", "1");
    EXPECT_FALSE(renderer.GetVerticalSync()) << "hook ran after the application";
}

TEST_F(AppFixture, Destructor_StopsTheHelperThreadFirstAndClearsEverything) {
    // With a renderer the helper thread reads the window manager on each pass.
    TRenderer renderer;
    BuildApplication();
    EXPECT_EQ(TApplication::Get(), mApplication);
    EXPECT_TRUE(IsApplicationPresent());
    EXPECT_NE(TGameState::GetInstance(), nullptr);
    EXPECT_TRUE(mApplication->GetPlatform()->IsHelperThreadRunning());
    mApplication->InitSoundManager();
    mSteps.clear();
    DestroyApplication();
    std::vector<std::string> order = {"helper thread stopped", "window manager deleted",
                                      "sound manager deleted", "game states deleted",
                                      "platform deleted",      "application deleted"};
    for (size_t i = 0; i < order.size(); ++i) {
        ASSERT_LT(IndexOf(mSteps, order[i]), mSteps.size()) << order[i];
        if (i > 0) {
            EXPECT_LT(IndexOf(mSteps, order[i - 1]), IndexOf(mSteps, order[i])) << order[i];
        }
    }
    EXPECT_EQ(TApplication::Get(), nullptr);
    EXPECT_FALSE(IsApplicationPresent());
    EXPECT_EQ(TWindowManager::Instance(), nullptr);
    EXPECT_EQ(TSoundManager::Instance(), nullptr);
    EXPECT_FALSE(TGraphics::Exists());
    EXPECT_EQ(GetSettingCount(), 0u);
    EXPECT_TRUE(GetNameTable().empty());
}

TEST_F(AppFixture, GetEvent_QuitAfterPostQuitOrASignalElseIdle) {
    BuildApplication();
    int runs = 0;
    mApplication->AddTask(new CountingTask(runs));
    mApplication->InitSoundManager();
    TEvent event;
    mApplication->GetEvent(event);
    EXPECT_EQ(event.type, kEventIdle);
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(mApplication->GetSoundManager()->GetUpdateCount(), 1u);
    // The first call does not sleep the half second before the session is
    // ready; without a main window the idle wait sleeps.
    EXPECT_EQ(mProcess.GetSleeps(), (std::vector<uint32_t>{1}));
    mApplication->PostQuit(0);
    mApplication->GetEvent(event);
    EXPECT_EQ(event.type, kEventQuit);
    EXPECT_EQ(runs, 1) << "the quit event ran the idle pass";
    mApplication->GetEvent(event);
    EXPECT_EQ(event.type, kEventIdle);
    std::raise(SIGTERM);
    mApplication->GetEvent(event);
    EXPECT_EQ(event.type, kEventQuit);
    mApplication->GetEvent(event);
    EXPECT_EQ(event.type, kEventIdle);
    EXPECT_EQ(runs, 3);
}

TEST_F(AppFixture, SetDisplayMode_MakesTheScreenTheMainWindowOnce) {
    BuildApplication();
    ASSERT_TRUE(mApplication->CreateMainWindow());
    mApplication->SetDisplayMode(1024, 768, false);
    TWindowManager* manager = mApplication->GetWindowManager();
    TWindow* screen = manager->GetMainWindow();
    ASSERT_NE(screen, nullptr);
    EXPECT_STREQ(screen->GetName().CStr(), "_screen_");
    EXPECT_TRUE(screen->IsKindOf(TScreen::GetClassId()));
    EXPECT_TRUE(screen->IsModalRoot());
    EXPECT_EQ(screen->GetWidth(), 1024);
    EXPECT_EQ(screen->GetHeight(), 768);
    EXPECT_EQ(TGraphics::Get()->GetClipRect(), TRect(0, 0, 1024, 768));
    mApplication->SetDisplayMode(800, 600, true);
    EXPECT_EQ(manager->GetMainWindow(), screen);
    EXPECT_EQ(manager->GetModalDepth(), 1u);
    // The bottom entry of the clip stack stays; the new screen is on top.
    EXPECT_EQ(TGraphics::Get()->GetClipDepth(), 2u);
    EXPECT_EQ(TGraphics::Get()->GetClipRect(), TRect(0, 0, 800, 600));
    int width = 0, height = 0;
    bool full = false;
    mApplication->GetDisplayMode(width, height, full);
    EXPECT_EQ(width, 800);
    EXPECT_EQ(height, 600);
    EXPECT_TRUE(full);
    mApplication->SetDisplayMode(640, 480, true);
    EXPECT_EQ(TGraphics::Get()->GetClipDepth(), 2u);
    EXPECT_EQ(TGraphics::Get()->GetClipRect(), TRect(0, 0, 640, 480));
}

TEST_F(AppFixture, InitSoundManager_MakesOneManagerAndReportsNoOutput) {
    BuildApplication();
    // A machine without sound: no audio driver opens.
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    EXPECT_EQ(mApplication->GetSoundManager(), nullptr);
    EXPECT_FALSE(mApplication->InitSoundManager());
    TSoundManager* manager = mApplication->GetSoundManager();
    ASSERT_NE(manager, nullptr);
    EXPECT_EQ(TSoundManager::Instance(), manager);
    EXPECT_FALSE(mApplication->InitSoundManager());
    EXPECT_EQ(mApplication->GetSoundManager(), manager);
    std::string log = ReadFile((UserFolder() / "logfile.txt").string());
    EXPECT_NE(log.find("File soundmanager, Line 163"), std::string::npos) << log;
    setenv("SDL_AUDIODRIVER", "dummy", 1);
}

TEST_F(AppFixture, WindowScript_AnswersGetConfigIsEnabledAndGetTimer) {
    BuildApplication();
    struct Case {
        const char* value;
        bool enabled;
    } cases[] = {{"0", false}, {"", false}, {"abc", false}, {"2", true}, {"-1", true}};
    TWindowScript* script = mApplication->GetWindowManager()->GetScript();
    for (const Case& c : cases) {
        SetSetting("flag", c.value);
        ASSERT_TRUE(RunLuaString("enabled = IsEnabled('flag') and 1 or 0"));
        EXPECT_EQ(script->GetGlobalNumber("enabled"), c.enabled ? 1.0 : 0.0) << c.value;
    }
    ASSERT_TRUE(RunLuaString("value = GetConfig('flag', 'd') .. GetConfig('absent', 'd')"));
    EXPECT_STREQ(script->GetGlobalString("value").CStr(), "-1d");
    EXPECT_FALSE(HasSetting("absent"));
    ASSERT_TRUE(RunLuaString("t = GetTimer()"));
    EXPECT_GE(script->GetGlobalNumber("t"), 0.0);
}

TEST_F(AppFixture, Script_ErrorsAreLoggedAndStored) {
    BuildApplication();
    TWindowScript* script = mApplication->GetWindowManager()->GetScript();
    EXPECT_FALSE(script->DoLuaString("x = = 1"));
    EXPECT_FALSE(script->GetGlobalString("LuaErrorMessage").IsEmpty());
    EXPECT_FALSE(script->DoLuaString("error('boom')"));
    EXPECT_NE(script->GetGlobalString("LuaErrorMessage").Find("boom"), -1);
    std::string log = ReadFile((UserFolder() / "logfile.txt").string());
    EXPECT_NE(log.find("Lua Error: "), std::string::npos) << log;
    EXPECT_NE(log.find("\twhen running error('boom')"), std::string::npos) << log;
    EXPECT_TRUE(script->DoLuaString("y = 2"));
    EXPECT_EQ(TScript::FromState(script->GetState()), script);
}

TEST_F(AppFixture, ScriptThread_RunsUntilItEndsAndStaysInItsList) {
    BuildApplication();
    TWindowScript* script = mApplication->GetWindowManager()->GetScript();
    ASSERT_TRUE(script->DoLuaString("steps = 0\n"
                                    "function walk() steps = 1; coroutine.yield(); steps = 2 end"));
    TScript* thread = script->NewThread();
    ASSERT_NE(thread, nullptr);
    lua_State* state = thread->GetState();
    EXPECT_NE(state, script->GetState());
    EXPECT_FALSE(thread->OwnsState());
    ASSERT_TRUE(thread->DoLuaString("return 1")); // runs on the shared state
    lua_getglobal(state, "walk");
    mApplication->AddTask(thread);
    // A script task waits until its owner schedules it.
    thread->Delay(0, true);
    TEvent event;
    mApplication->GetEvent(event);
    EXPECT_EQ(script->GetGlobalNumber("steps"), 1.0);
    EXPECT_TRUE(thread->InCoroutine());
    mApplication->GetEvent(event);
    EXPECT_EQ(script->GetGlobalNumber("steps"), 2.0);
    EXPECT_FALSE(thread->InCoroutine());
    EXPECT_TRUE(thread->IsSuspended());
    EXPECT_TRUE(mApplication->GetTaskList()->Contains(thread));
}

TEST_F(AppFixture, Random_AndTimerComeFromThePlatform) {
    BuildApplication();
    uint32_t a = mApplication->Random();
    uint32_t b = mApplication->Random();
    EXPECT_NE(a, b);
    EXPECT_LT(mApplication->GetTimer(), 60000u);
    EXPECT_STREQ(mApplication->GetProductName().CStr(), "Corvalo");
}

TEST_F(AppFixture, AnimatedSprites_RunInThePlatformTaskListAndDrawItsRandomNumbers) {
    EXPECT_EQ(TAnimatedSprite::GetTaskList(), nullptr);
    BuildApplication();
    EXPECT_EQ(TAnimatedSprite::GetTaskList(), mApplication->GetTaskList());
    // The sprite's draws follow the platform generator: a copy seeded alike
    // gives the same numbers.
    TRandom copy = mApplication->GetPlatform()->mRandom;
    auto sprite = TAnimatedSprite::Create(0);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(sprite->Random(0, 1000), copy.Next() % 1000);
    }
    sprite.reset();
    DestroyApplication();
    EXPECT_EQ(TAnimatedSprite::GetTaskList(), nullptr);
}

// ---- entry points the display and the game call ------------------------------------

TEST_F(AppFixture, IsDisplayReady_WhileTheRendererHasItsDisplay) {
    BuildApplication();
    EXPECT_FALSE(mApplication->IsDisplayReady()) << "no renderer";
    ASSERT_TRUE(mApplication->CreateMainWindow());
    TGraphics::Get();
    EXPECT_FALSE(mApplication->IsDisplayReady()) << "no display yet";
    mApplication->SetDisplayMode(640, 480, false);
    EXPECT_TRUE(mApplication->IsDisplayReady());
    TRenderer::Get()->LoseDevice();
    EXPECT_FALSE(mApplication->IsDisplayReady()) << "display lost";
    ASSERT_TRUE(TRenderer::Get()->Restore());
    EXPECT_TRUE(mApplication->IsDisplayReady());
}

TEST_F(AppFixture, CreateTextureData_GoesToTheRendererOnceThereIsOne) {
    BuildApplication();
    EXPECT_EQ(mApplication->CreateTextureData(), nullptr);
    std::string log = ReadFile((UserFolder() / "logfile.txt").string());
    EXPECT_NE(log.find("TApplication::CreateTextureData: there is no renderer yet"),
              std::string::npos)
        << log;
    ASSERT_TRUE(mApplication->CreateMainWindow());
    TGraphics::Get();
    std::unique_ptr<TTextureData> data(mApplication->CreateTextureData());
    ASSERT_NE(data, nullptr);
    EXPECT_NE(dynamic_cast<TDxTextureData*>(data.get()), nullptr);
    EXPECT_FALSE(data->HasSurface());
}

TEST_F(AppFixture, HasPqSwitch_ReadsTheProgramsCommandLine) {
    TCommandLine kept = TCommandLine::GetProcessCommandLine();
    for (const auto& [text, expected] : std::vector<std::pair<const char*, bool>>{
             {"-pq=1", true}, {"x -pq= y", true}, {"-pq", false}, {"-PQ=1", false}, {"", false}}) {
        TCommandLine::SetProcessCommandLine(TCommandLine(TString(text)));
        EXPECT_EQ(HasPqSwitch(), expected) << text;
    }
    TCommandLine::SetProcessCommandLine(kept);
}

// Each seed word is r1 * 8 * r2 + (r3 >> 3) of three numbers of the standard
// generator, so a fixed srand gives a known sequence.
TEST_F(AppFixture, RandomGenerator_IsSeededByTheFormulaFromTheStandardGenerator) {
    BuildPlatform();
    std::srand(4321);
    BuildApplication();
    std::srand(4321);
    uint32_t seeds[4];
    for (uint32_t& seed : seeds) {
        uint32_t r1 = static_cast<uint32_t>(std::rand());
        uint32_t r2 = static_cast<uint32_t>(std::rand());
        uint32_t r3 = static_cast<uint32_t>(std::rand());
        seed = r1 * 8u * r2 + (r3 >> 3);
    }
    TRandom expected;
    expected.SeedByArray(seeds, 4);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(mApplication->Random(), expected.Next()) << i;
    }
}

// Clocks and timed tasks run on the application's timer, so time the
// application leaves out (a host keeping the game waiting) stops them too.
TEST_F(AppFixture, ClocksAndTimedTasks_RunOnTheApplicationsTimer) {
    platform::ManualTimeSource timer(90000);
    platform::ScopedTimeSource scope(timer);
    BuildApplication();
    TPlatform* platform = mApplication->GetPlatform();
    TClock clock;
    clock.Start();
    timer.Advance(100);
    EXPECT_EQ(clock.GetTime(), 100u);
    // 40 ms taken out of the application's time.
    platform->mTimeOffset -= 40;
    EXPECT_EQ(clock.GetTime(), 60u);
    struct Probe : TAnimTask {
        Probe() : TAnimTask(nullptr) {}
        bool Step() override { return true; }
    } task;
    EXPECT_EQ(task.GetTime(), mApplication->GetTimer());
    EXPECT_EQ(GetFrameworkTime(), mApplication->GetTimer());
    DestroyApplication();
    EXPECT_EQ(GetFrameworkTime(), timer.NowMs()) << "the platform timer again";
}

TEST_F(AppFixture, Platform_KnowsTheScreenSizeAndTheSystemFolder) {
    TPlatform* platform = BuildPlatform();
    std::string system = platform->mSystemFolder.ToStd();
    ASSERT_FALSE(system.empty());
    EXPECT_EQ(system.back(), '/');
    EXPECT_TRUE(std::filesystem::exists(system + "libc.so.6")) << system;
    EXPECT_EQ(platform->mScreenWidth, 0) << "not known before the window system runs";
    mWindow->SetScreenSize(1366, 768);
    ASSERT_TRUE(platform->CreateMainWindow());
    EXPECT_EQ(platform->mScreenWidth, 1366);
    EXPECT_EQ(platform->mScreenHeight, 768);
}

// ---- a data folder that cannot be written ------------------------------------------------

class UnwritableHome : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        // A home below a plain file: no folder can be made there, whoever
        // runs the test.
        mRoot.Write(mRoot.Path() / "file", "not a folder");
        setenv("XDG_DATA_HOME", (mRoot.Path() / "file" / "data").c_str(), 1);
        setenv("HOME", (mRoot.Path() / "file").c_str(), 1);
        setenv("TMPDIR", (mRoot.Path() / "tmp").c_str(), 1);
        std::filesystem::create_directories(mRoot.Path() / "tmp");
    }
    void TearDown() override {
        AppFixture::TearDown();
        unsetenv("TMPDIR");
    }

    // The platform built for a program file, its folders set up; standard
    // error while that ran.
    std::string SetUpFoldersOf(const std::filesystem::path& programFile) {
        TPlatform::StartInfo start;
        start.allowMultiple = true;
        start.programFile = TString(programFile.string());
        mPlatform = new TPlatform(start);
        testing::internal::CaptureStderr();
        mPlatform->SetUpFolders(true);
        return testing::internal::GetCapturedStderr();
    }
};

TEST_F(UnwritableHome, LogAndSavedFilesGoBesideTheProgramAndStandardErrorSaysSo) {
    std::string said = SetUpFoldersOf(mGame / "corvalo");
    std::string wanted = (mRoot.Path() / "file" / "data" / "Halvenmark" / "Corvalo").string();
    EXPECT_NE(said.find("the data folder " + wanted + " cannot be made or written"),
              std::string::npos)
        << said;
    EXPECT_NE(said.find("go to " + mGame.string() + "/"), std::string::npos) << said;
    EXPECT_EQ(mPlatform->mUserDataFolder.ToStd(), mGame.string());
    EXPECT_EQ(mPlatform->mCommonDataFolder.ToStd(), mGame.string());
    EXPECT_TRUE(mPlatform->HasWritableDataFolder());
    StartLog(mPlatform->mUserDataFolder.CStr());
    LogPrintf("a line");
    EXPECT_NE(ReadFile((mGame / "logfile.txt").string()).find("a line"), std::string::npos);
}

TEST_F(UnwritableHome, WithAProgramFolderThatCannotBeWrittenTheTemporaryFolderServes) {
    std::string said = SetUpFoldersOf(mRoot.Path() / "gone" / "corvalo");
    std::string fallback =
        (mRoot.Path() / "tmp" / ("corvalo-" + std::to_string(getuid()))).string();
    EXPECT_EQ(mPlatform->mUserDataFolder.ToStd(), fallback);
    EXPECT_NE(said.find("go to " + fallback), std::string::npos) << said;
    EXPECT_TRUE(std::filesystem::is_directory(fallback));
    EXPECT_EQ(std::filesystem::status(fallback).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_all);
}

TEST_F(UnwritableHome, WithNoWritableFolderAtAllItRunsWithoutALogAndSaysSoOnce) {
    setenv("TMPDIR", (mRoot.Path() / "file").c_str(), 1);
    std::string said = SetUpFoldersOf(mRoot.Path() / "gone" / "corvalo");
    EXPECT_FALSE(mPlatform->HasWritableDataFolder());
    EXPECT_NE(said.find("running without a log"), std::string::npos) << said;
    EXPECT_EQ(said.find('\n'), said.size() - 1) << "one line: " << said;
}

} // namespace
