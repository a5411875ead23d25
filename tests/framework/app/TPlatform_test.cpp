#include "AppFixture.h"

#include "BuildInfo.h"
#include "framework/core/system/TEvent.h"
#include "framework/core/settings/TCommandLine.h"
#include "framework/graphics/asset/TAssetManager.h"
#include "framework/ui/manager/TWindowManager.h"
#include "platform/instance/ProgramTitle.h"
#include "platform/version/VersionInfo.h"

#include <sys/socket.h>

namespace {

std::string CurrentFolder() {
    char folder[8192];
    return getcwd(folder, sizeof folder) ? folder : "";
}

TEST_F(AppFixture, Platform_NamesItselfAfterTheProgramFile) {
    TPlatform* platform = BuildPlatform();
    std::string title = platform::MakeProgramTitle((mGame / "corvalo").string());
    EXPECT_STREQ(platform->GetTitle().CStr(), title.c_str());
    EXPECT_STREQ(platform->GetInstanceName().CStr(), (title + "_MUTEX").c_str());
    EXPECT_STREQ(platform->GetWindowClassName().CStr(), (title + "_WNDCLASS").c_str());
    EXPECT_EQ(platform->GetTitle().Find("/"), -1);
    EXPECT_STREQ(platform->mProgramFolder.CStr(), (mGame.string() + "/").c_str());
    EXPECT_STREQ(platform->mAssetFolder.CStr(), (mGame.string() + "/assets/").c_str());
    EXPECT_STREQ(GetAssetsFolder().CStr(), (mGame.string() + "/assets").c_str());
    EXPECT_EQ(CurrentFolder(), mGame.string());
    EXPECT_STREQ(platform->mStartupFolder.CStr(), (mCwd + "/").c_str());
}

TEST_F(AppFixture, Platform_StartsItsManagersAndFieldsAsTheDataModelSays) {
    TPlatform* platform = BuildPlatform();
    EXPECT_EQ(platform->mWindowManager, TWindowManager::Instance());
    EXPECT_NE(platform->mAssetManager, nullptr);
    EXPECT_NE(platform->mStringTable, nullptr);
    EXPECT_EQ(platform->mSoundManager, nullptr);
    EXPECT_EQ(platform->mVecDraw, nullptr);
    EXPECT_EQ(platform->mUnicode, 1);
    EXPECT_EQ(platform->mHardwareCursor, 1);
    EXPECT_EQ(platform->mVisible, 1);
    EXPECT_EQ(platform->mActive, 1);
    EXPECT_EQ(platform->mHidden, 0);
    EXPECT_EQ(platform->mMouseMode, 0);
    EXPECT_FLOAT_EQ(platform->mViewportScale.load(), 1.0f);
    EXPECT_TRUE(platform->IsHelperThreadRunning());
    platform->StopHelperThread();
    EXPECT_FALSE(platform->IsHelperThreadRunning());
}

TEST_F(AppFixture, Platform_ProductNameFromTheSettingElseTheBuild) {
    EXPECT_STREQ(BuildPlatform()->GetProductName().CStr(), "Corvalo");
    delete mPlatform;
    mPlatform = nullptr;
    ClearSettings();
    TPlatform::StartInfo start;
    start.allowMultiple = true;
    start.programFile = TString((mGame / "corvalo").string());
    mPlatform = new TPlatform(start);
    EXPECT_STREQ(mPlatform->GetProductName().CStr(), CORVALO_PRODUCT_NAME);
    EXPECT_STREQ(mPlatform->GetInternalName().CStr(), CORVALO_INTERNAL_NAME);
    uint16_t numbers[4];
    platform::ParseVersionNumbers(CORVALO_VERSION, numbers);
    EXPECT_STREQ(mPlatform->GetVersion().CStr(), platform::FormatVersion(numbers).c_str());
}

TEST_F(AppFixture, Folders_DataFoldersWithoutTrailingSeparator) {
    TPlatform* platform = BuildPlatform();
    EXPECT_STREQ(platform->mUserDataFolder.CStr(), UserFolder().c_str());
    EXPECT_STREQ(platform->mCommonDataFolder.CStr(), CommonFolder().c_str());
    EXPECT_TRUE(std::filesystem::is_directory(UserFolder()));
    EXPECT_TRUE(std::filesystem::is_directory(CommonFolder()));
}

TEST_F(AppFixture, Folders_HostedWithoutPageUsesTheProgramFolder) {
    TPlatform::StartInfo start;
    start.allowMultiple = true;
    start.programFile = TString((mGame / "corvalo").string());
    mPlatform = new TPlatform(start);
    mPlatform->SetUpFolders(false);
    EXPECT_STREQ(mPlatform->mUserDataFolder.CStr(), mGame.c_str());
    EXPECT_STREQ(mPlatform->mCommonDataFolder.CStr(), mGame.c_str());
    EXPECT_STREQ(mPlatform->mDesktopFolder.CStr(), (mGame.string() + "/").c_str());
    EXPECT_FALSE(std::filesystem::exists(UserFolder()));
}

TEST_F(AppFixture, Folders_WithoutAnyDataHomeStayBesideTheProgram) {
    unsetenv("XDG_DATA_HOME");
    unsetenv("HOME");
    TPlatform* platform = BuildPlatform();
    EXPECT_STREQ(platform->mUserDataFolder.CStr(), mGame.c_str());
    EXPECT_STREQ(platform->mCommonDataFolder.CStr(), mGame.c_str());
}

TEST_F(AppFixture, Folders_LongPathsAreKeptWhole) {
    // Far past the 260 bytes a Windows path buffer held.
    std::filesystem::path deep = mRoot.Path() / "data";
    for (int i = 0; i < 8; ++i) {
        deep /= std::string(40, static_cast<char>('a' + i));
    }
    std::filesystem::create_directories(deep);
    setenv("XDG_DATA_HOME", deep.c_str(), 1);
    TPlatform* platform = BuildPlatform();
    std::string expected = (deep / "Halvenmark" / "Corvalo").string();
    ASSERT_GT(expected.size(), 300u);
    EXPECT_STREQ(platform->mUserDataFolder.CStr(), expected.c_str());
    EXPECT_TRUE(std::filesystem::is_directory(expected));
}

TEST_F(AppFixture, WorkingDirectory_QuotedUnquotedEmptyAndUnterminated) {
    std::filesystem::create_directories(mRoot.Path() / "with blank");
    std::filesystem::create_directories(mRoot.Path() / "plain");
    std::string blank = std::filesystem::canonical(mRoot.Path() / "with blank").string();
    std::string plain = std::filesystem::canonical(mRoot.Path() / "plain").string();
    TPlatform* platform = BuildPlatform();
    struct Case {
        std::string commandLine;
        std::string folder;
    } cases[] = {
        {"-wd=\"" + blank + "\" --multiple", blank},
        {"-wd=" + plain + " -url=x", plain},
        {"-wd=" + plain + "/nothere extra", plain},
        {"-url=y -wd=", plain},
        {"-wd=\"" + blank, blank},
        {"-wd=\"\"", blank},
    };
    for (const Case& c : cases) {
        platform->ApplyWorkingDirectory(TString(c.commandLine));
        EXPECT_EQ(CurrentFolder(), c.folder) << c.commandLine;
    }
    std::string log = ReadFile((UserFolder() / "logfile.txt").string());
    EXPECT_NE(log.find("Switching current directory to: " + blank), std::string::npos) << log;
}

TEST_F(AppFixture, CreateMainWindow_EndsWithMinusOneWhenTheHostHasGone) {
    int ends[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, ends), 0);
    TPlatform* platform = BuildPlatform();
    ASSERT_TRUE(platform->GetHostChannel().Attach(ends[0]));
    platform->mExternalParent = static_cast<uintptr_t>(ends[0]);
    EXPECT_TRUE(platform->CreateMainWindow());
    close(ends[1]);
    ASSERT_TRUE(platform->IsHelperThreadRunning());
    try {
        platform->CreateMainWindow();
        ADD_FAILURE() << "the lost host was not noticed";
    } catch (const platform::ProcessExitRequest& exit) {
        EXPECT_EQ(exit.code, -1);
    }
    // The process must not end beside a running helper thread.
    EXPECT_FALSE(platform->IsHelperThreadRunning());
    std::string log = ReadFile((UserFolder() / "logfile.txt").string());
    EXPECT_NE(log.find("Error: mExternalWindowParent is lost, exiting!"), std::string::npos);
}

TEST_F(AppFixture, GetEvent_QuitsWhenAPageHostHasGone) {
    int ends[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, ends), 0);
    TPlatform* platform = BuildPlatform("-pq=1");
    ASSERT_TRUE(platform->GetHostChannel().Attach(ends[0]));
    platform->mExternalParent = static_cast<uintptr_t>(ends[0]);
    TEvent event;
    platform->GetEvent(event);
    EXPECT_EQ(event.type, kEventIdle);
    close(ends[1]);
    platform->GetEvent(event);
    EXPECT_EQ(event.type, kEventQuit);
}

TEST_F(AppFixture, PostQuitTo_OnlyThisProgramsQueueOrMainWindowQuits) {
    TPlatform* platform = BuildPlatform();
    platform->PostQuitTo(0x1234);
    EXPECT_FALSE(platform->IsQuitPosted());
    EXPECT_EQ(platform->GetLastQuitTarget(), 0x1234u);
    platform->PostQuitTo(0);
    EXPECT_TRUE(platform->IsQuitPosted());
}

} // namespace
