#include "framework/app/TPlatform.h"

#include "framework/app/StartupTrace.h"
#include "framework/app/TPlatformHostServices.h"
#include "framework/core/files/TFileSystem.h"
#include "framework/core/files/TFolder.h"
#include "framework/core/log/TLog.h"
#include "framework/core/settings/TCommandLine.h"
#include "framework/core/settings/TSettings.h"
#include "framework/core/xml/TStringTable.h"
#include "framework/graphics/TRenderer.h"
#include "framework/graphics/asset/TAssetManager.h"
#include "framework/graphics/display/DxError.h"
#include "framework/graphics/text/TFontCache.h"
#include "framework/graphics/vector/TNbMiniVecDraw.h"
#include "framework/host/PortalInstallers.h"
#include "framework/sound/manager/TSoundManager.h"
#include "framework/ui/manager/TWindowManager.h"
#include "platform/desktop/Desktop.h"
#include "platform/files/Folders.h"
#include "platform/instance/ProgramTitle.h"
#include "platform/paths/ProgramPath.h"
#include "platform/process/ProcessControl.h"
#include "platform/process/QuitSignals.h"
#include "platform/time/TimeSource.h"
#include "platform/version/VersionInfo.h"
#include "platform/window/Window.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {

constexpr char kFallbackProductName[] = "Quillmoor Application";
// The helper thread's pace: right after drawing the cursor, and between
// checks while there is nothing to draw.
constexpr unsigned kCursorFrameMs = 16;
constexpr unsigned kCursorIdleMs = 250;

TString CurrentFolder() {
    std::string folder;
    std::vector<char> buffer(256);
    while (!getcwd(buffer.data(), buffer.size())) {
        if (errno != ERANGE) {
            return TString();
        }
        buffer.resize(buffer.size() * 2);
    }
    folder = buffer.data();
    if (folder.empty() || folder.back() != '/') {
        folder += '/';
    }
    return TString(folder);
}

TString WithoutTrailingSlash(const TString& folder) {
    int length = folder.Length();
    return length > 1 && folder.CharAt(length - 1) == '/' ? folder.Substring(0, length - 1)
                                                          : folder;
}

} // namespace

TPlatform::TPlatform(const StartInfo& start) {
    // 1. Start values; the random generator and the task list stand.
    mShowCommand = start.showCommand;
    mIsWritableFolder =
        start.isWritableFolder ? start.isWritableFolder : &platform::IsWritableFolder;
    // 2.
    mUnicode = GetSettingBool(TSettingKey::kUtf8Mode) ? 1 : 0;
    // 3. The timer already counts in milliseconds.
    mCommandLine = start.commandLine;
    mPageHosted = TCommandLine(mCommandLine).HasSwitch("-pq=");
    // 4.
    mWindowManager = new TWindowManager;
    mAssetManager = new TAssetManager;
    mStringTable = new TStringTable;
    mHostServices = std::make_unique<TPlatformHostServices>(*this);
    SetHostServices(mHostServices.get());
    // 5.
    mProgramFile =
        start.programFile.IsEmpty() ? TString(platform::ProgramFilePath()) : start.programFile;
    {
        std::string path = mProgramFile.ToStd();
        size_t slash = path.rfind('/');
        mProgramFolder =
            slash == std::string::npos ? TString("./") : TString(path.substr(0, slash + 1));
    }
    mSystemFolder = TString(platform::SystemFolder());
    mStartupFolder = CurrentFolder();
    // 6.
    if (chdir(mProgramFolder.CStr()) != 0) {
        LogPrintf("Cannot make %s the current folder: %s", mProgramFolder.CStr(),
                  std::strerror(errno));
    }
    // 7.
    mTitle = TString(platform::MakeProgramTitle(mProgramFile.ToStd()));
    mInstanceName = TString(platform::MakeInstanceName(mTitle.ToStd()));
    mWindowClassName = TString(platform::MakeWindowClassName(mTitle.ToStd()));
    // 8.
    if (!start.allowMultiple) {
        switch (mInstanceGuard.Acquire(mInstanceName.ToStd())) {
        case platform::SingleInstance::Result::kFirst:
            break;
        case platform::SingleInstance::Result::kSecond:
            TraceStartup("second instance");
            platform::ExitProcess(0);
        case platform::SingleInstance::Result::kFailed:
            LogPrintf("Single-instance guard not set up: %s", mInstanceGuard.GetError().c_str());
            break;
        }
    }
    // 9.
    mAssetFolder = mProgramFolder + "assets/";
    SetAssetsFolder(WithoutTrailingSlash(mAssetFolder));
    mStartTime = platform::TimerNow();
    mUserDataFolder = mProgramFolder;
    mCommonDataFolder = mProgramFolder;
    mDesktopFolder = mProgramFolder;
    // 10.
    platform::VersionInfo version = platform::ReadVersionInfo();
    mVersion = TString(platform::FormatVersion(version.fileVersion));
    mInternalName = TString(version.internalName);
    if (HasSetting(GetSettingKeyName(TSettingKey::kGameName))) {
        mProductName = GetSetting(TSettingKey::kGameName);
    } else {
        size_t first = version.productName.find_first_not_of(" \t\r\n");
        mProductName =
            first == std::string::npos ? TString() : TString(version.productName.substr(first));
    }
    if (mProductName.IsEmpty()) {
        mProductName = GetSetting(TSettingKey::kGameName);
        if (mProductName.IsEmpty()) {
            mProductName = kFallbackProductName;
        }
    }
    platform::InstallQuitSignals();
    // 11. Priorities above normal need privileges on Linux; the thread
    // keeps its schedule through its own waits.
    mHelperThread.Start([this](platform::HelperThread& thread) { RunHelperThread(thread); });
    TraceStartup("platform");
}

TPlatform::~TPlatform() {
    if (GetHostServices() == mHostServices.get()) {
        SetHostServices(nullptr);
    }
    // 1.
    mCursorImage.reset();
    mSecondCursorImage.reset();
    // 2. The application destructor has stopped the thread already when it
    // ran; a platform that never got an application stops it here.
    StopHelperThread();
    mInstanceGuard.Release();
    // The application destructor has deleted the managers; a platform that
    // never got an application deletes its own.
    delete mWindowManager;
    delete mSoundManager;
    delete mVecDraw;
    ClearFontCache();
    delete mStringTable;
    delete mAssetManager;
    // The display goes before the window whose drawing context it uses.
    if (TRenderer* renderer = TRenderer::Get();
        renderer && renderer->GetWindow() == mWindow.get()) {
        if (renderer->GetDisplaySetup()) {
            SetOutOfVideoMemoryHandler(nullptr);
        }
        renderer->DetachGraphics();
    }
    mGraphics.reset();
    // 3. Unless the main window is the host itself (the ax test).
    if (mWindow && !(mAxTest && mExternalParent == mMainWindow && mMainWindow != 0)) {
        mWindow->Destroy();
    }
    if (TRenderer* renderer = TRenderer::Get();
        renderer && renderer->GetWindow() == mWindow.get()) {
        renderer->AttachWindow(nullptr, nullptr);
    }
    mDesktop.reset();
    mWindow.reset();
    mMainWindow = 0;
    // 4.
    mSystemCursor.reset();
    mTaskList.DeleteAll();
    platform::UninstallQuitSignals();
    TraceStartup("platform deleted");
}

void TPlatform::StopHelperThread() {
    if (mHelperThread.IsRunning()) {
        mHelperThread.Stop();
        TraceStartup("helper thread stopped");
    }
}

void TPlatform::RunHelperThread(platform::HelperThread& thread) {
    while (!thread.ShouldStop()) {
        TRenderer* renderer = TRenderer::Get();
        TWindowManager* manager = TWindowManager::Instance();
        if (renderer && manager && !manager->mBackgroundMode && renderer->CanPresent()) {
            if (renderer->PresentFrame(-1, -1).x != -1) {
                thread.WaitFor(kCursorFrameMs);
                continue;
            }
        }
        thread.WaitFor(kCursorIdleMs);
    }
}

void TPlatform::PostQuit(int code) {
    // The pump hands out the quit once the window's queue is empty, where
    // the quit message would come.
    mQuitCode = code;
    mQuitPosted = true;
}

void TPlatform::PostQuitTo(uintptr_t window) {
    mLastQuitTarget = window;
    if (window == 0 || window == mMainWindow) {
        PostQuit(0);
    }
}

uint32_t TPlatform::GetTimer() const {
    return platform::TimerNow() + mTimeOffset - mStartTime - GetPortalWaitTime();
}

void TPlatform::SetUpFolders(bool useDataFolders) {
    mDataFolderWritable = true;
    mUnwritableUserDataFolder = TString();
    if (useDataFolders) {
        TString user = GetDataFolder(false, mProductName);
        if (user.IsEmpty() || !mIsWritableFolder(user.ToStd())) {
            UseFallbackDataFolder(user);
        } else {
            mUserDataFolder = user;
        }
        TString common = GetDataFolder(true, mProductName);
        bool commonUsable = !common.IsEmpty() && mIsWritableFolder(common.ToStd());
        mCommonDataFolder = commonUsable ? common : mUserDataFolder;
        TString desktop = GetDesktopFolder();
        mDesktopFolder = desktop.IsEmpty() ? mUserDataFolder : desktop;
    }
    mUserDataFolder = WithoutTrailingSlash(mUserDataFolder);
    mCommonDataFolder = WithoutTrailingSlash(mCommonDataFolder);
}

// The user data folder is unknown or cannot be written (a home folder
// without write permission, a full or read-only disk): the log and the
// saved files go beside the program when that folder is writable, else to a
// folder of the user's own under the temporary folder. The log does not
// run yet, so standard error says which, once; with no writable folder at
// all the program runs without a log and says that.
void TPlatform::UseFallbackDataFolder(const TString& wanted) {
    std::string reason = wanted.IsEmpty()
                             ? std::string("no user data folder is known (neither XDG_DATA_HOME "
                                           "nor HOME is set)")
                             : "the data folder " + WithoutTrailingSlash(wanted).ToStd() +
                                   " cannot be made or written";
    // What was saved there is still read.
    if (!wanted.IsEmpty() && platform::IsFolder(wanted.ToStd())) {
        mUnwritableUserDataFolder = WithoutTrailingSlash(wanted);
    }
    std::string fallback;
    if (mIsWritableFolder(mProgramFolder.ToStd())) {
        fallback = mProgramFolder.ToStd();
    } else {
        fallback = platform::FallbackFolder(mInternalName.IsEmpty() ? mTitle.ToStd()
                                                                    : mInternalName.ToStd());
    }
    if (fallback.empty()) {
        std::fprintf(stderr,
                     "%s: %s, and no other folder can be written: running without a log "
                     "and without saving\n",
                     mProductName.CStr(), reason.c_str());
        mDataFolderWritable = false;
    } else {
        std::fprintf(stderr, "%s: %s; the log and saved files go to %s\n", mProductName.CStr(),
                     reason.c_str(), fallback.c_str());
        mUserDataFolder = TString(fallback);
    }
    std::fflush(stderr);
}

void TPlatform::ApplyWorkingDirectory(const TString& commandLine) {
    TCommandLine line(commandLine);
    if (!line.HasSwitch("-wd=")) {
        return;
    }
    TString folder = line.GetPathValue("-wd=");
    if (folder.IsEmpty()) {
        LogPrintf("Ignored -wd= without a folder");
        return;
    }
    LogPrintf("Switching current directory to: %s", folder.CStr());
    if (chdir(folder.CStr()) != 0) {
        LogPrintf("Cannot switch to %s: %s", folder.CStr(), std::strerror(errno));
    }
}

void TPlatform::OnSettingChanged(const TString& name, const TString& value) {
    if (name.View() == GetSettingKeyName(TSettingKey::kVsync)) {
        if (TRenderer* renderer = TRenderer::Get()) {
            renderer->SetVerticalSync(value.ToInt() != 0);
        }
    } else if (name.View() == kSettingMemoryMax) {
        TString text = TString::Format("__MEMORYMAX__=%d", value.ToInt());
        StartLog(text.CStr());
    } else if (name.View() == kSettingViewportScale) {
        mViewportScale = value.ToFloat();
        ApplyHostScale();
    }
}

void TPlatform::ApplyHostScale() {
    if (!mVecDraw) {
        return;
    }
    float scale = mHosted ? mViewportScale.load() : 1.0f;
    // Glyphs scaled by nothing, by a negative or by no number at all would
    // vanish or turn over: such a scale leaves text at its own size.
    if (!std::isfinite(scale) || scale <= 0.0f) {
        LogPrintf("Text keeps its size: the viewport scale %g is no scale", scale);
        scale = 1.0f;
    }
    mVecDraw->SetHostScale(scale);
}
