#pragma once

#include "framework/core/TRandom.h"
#include "framework/core/TString.h"
#include "framework/core/TTaskList.h"
#include "platform/host/HostChannel.h"
#include "platform/instance/SingleInstance.h"
#include "platform/thread/HelperThread.h"

#include <atomic>
#include <cstdint>
#include <memory>

class TAssetManager;
class TNbMiniVecDraw;
class TSoundManager;
class TStringTable;
class TTexture;
class TWindowManager;
struct TEvent;

// The platform object: the program's hold on the operating system. It is
// built by the application main before the application object, which then
// owns it. It owns the window manager, the asset manager, the sound manager,
// the string table, the vector drawer, the random generator and the
// platform task list, guards against a second instance, keeps the folders
// and the version texts, and runs the helper thread that keeps the
// software cursor drawn. Main thread, except where a field says otherwise.
class TPlatform {
public:
    // What the application main hands over.
    struct StartInfo {
        int showCommand = 0;
        TString commandLine;
        bool allowMultiple = false;
        // The program file; empty for the running program. Tests name a
        // program in a folder of their own.
        TString programFile;
    };

    explicit TPlatform(const StartInfo& start);
    TPlatform(const TPlatform&) = delete;
    TPlatform& operator=(const TPlatform&) = delete;
    virtual ~TPlatform();

    // One event of the pump. Until the main window exists this is the
    // least pump: quit after PostQuit or a quit signal (or when a portal's
    // host has gone), else the idle pass and an idle event.
    void GetEvent(TEvent& event);
    // Posts the quit message: the next event is quit.
    void PostQuit(int code);
    // Posts the quit message to a window named by its id; 0 names this
    // program's message queue, as does the main window's id.
    void PostQuitTo(uintptr_t window);
    bool IsQuitPosted() const { return mQuitPosted.load(); }
    int GetQuitCode() const { return mQuitCode; }
    uintptr_t GetLastQuitTarget() const { return mLastQuitTarget; }

    // Milliseconds since the platform started, less the portal's waiting.
    uint32_t GetTimer() const;

    // The main window. There is no window layer yet: this checks that a
    // host named with "-wnd=" is still there (else the process ends with
    // -1) and records the call.
    bool CreateMainWindow();
    bool HasMainWindow() const { return mMainWindow != 0; }
    void SetWindowText(const TString& text) { mWindowTitle = text; }
    const TString& GetWindowText() const { return mWindowTitle; }

    // The display mode the game asked for.
    void SetVideoMode(int width, int height, bool fullScreen);
    void GetDisplayMode(int& width, int& height, bool& fullScreen) const;
    void UseHardwareCursor(bool on);

    // Data folders: the product's folders under the user's and the common
    // data folders, and the desktop (each falling back to the user's), or,
    // when useDataFolders is false (hosted without "-pq="), the program
    // folder for all three.
    void SetUpFolders(bool useDataFolders);
    // "-wd=": changes the working directory to the folder behind the switch.
    void ApplyWorkingDirectory(const TString& commandLine);

    // The change hook's actions: "vsync", "memorymax", "viewportscale".
    void OnSettingChanged(const TString& name, const TString& value);

    // Stops the helper thread and waits until it has left; the application
    // destructor calls it before it deletes anything the thread reads.
    void StopHelperThread();
    bool IsHelperThreadRunning() const { return mHelperThread.IsRunning(); }

    TString GetProductName() const { return mProductName; }
    TString GetVersion() const { return mVersion; }
    TString GetInternalName() const { return mInternalName; }
    const TString& GetTitle() const { return mTitle; }
    const TString& GetInstanceName() const { return mInstanceName; }
    const TString& GetWindowClassName() const { return mWindowClassName; }
    const TString& GetCommandLine() const { return mCommandLine; }
    // Requests of later starts to bring this instance to the front that
    // the main window has not served yet.
    int GetFrontRequests() const { return mFrontRequests; }
    platform::HostChannel& GetHostChannel() { return mHostChannel; }

    // Fields in the order of the platform's data model.
    int32_t mShowCommand = 0;
    uint8_t mHosted = 0;
    uint8_t mAxTest = 0;
    // Written by the setting change hook; read by the window code.
    std::atomic<float> mViewportScale{1.0f};
    float mSecondScale = 1.0f;
    uint8_t mHardwareCursor = 1;
    std::shared_ptr<TTexture> mCursorImage;
    int32_t mCursorHotX = 0;
    int32_t mCursorHotY = 0;
    std::shared_ptr<TTexture> mSecondCursorImage;
    int32_t mSecondCursorHotX = 0;
    int32_t mSecondCursorHotY = 0;
    // Window state.
    uint8_t mDisplayResetPending = 0;
    uint8_t mVisible = 1;
    uint8_t mMinimizeRestorePending = 0;
    uint8_t mCloseRequestPending = 0;
    uint8_t mActive = 1;
    uint8_t mActivationChangePending = 0;
    uint8_t mHidden = 0;
    uint8_t mPaintPending = 0;
    // Folders, with "/" separators; the program, start-up and asset
    // folders end in "/", the data folders do not.
    TString mAssetFolder;
    TString mProgramFolder;
    TString mProgramFile;
    TString mUserDataFolder;
    TString mCommonDataFolder;
    TString mDesktopFolder;
    TString mSystemFolder;
    TString mStartupFolder;
    uint32_t mStartTime = 0;
    uint32_t mTimeOffset = 0;
    // Pointer tracking of the event pump.
    uint8_t mActivationClick = 0;
    uint32_t mActivationClickTime = 0;
    uint8_t mHoverArmed = 0;
    uint8_t mPointerLeftPending = 0;
    uint8_t mLeaveArmed = 0;
    // Owned managers.
    TNbMiniVecDraw* mVecDraw = nullptr;
    TWindowManager* mWindowManager = nullptr;
    TAssetManager* mAssetManager = nullptr;
    TSoundManager* mSoundManager = nullptr;
    TStringTable* mStringTable = nullptr;
    // 1: relative mode, pointer moves are offsets from the reference point.
    int32_t mMouseMode = 0;
    int32_t mRelativeCentreX = 0;
    int32_t mRelativeCentreY = 0;
    int32_t mRelativeReferenceX = 0;
    int32_t mRelativeReferenceY = 0;
    TRandom mRandom;
    TTaskList mTaskList;
    // Window ids: this program, its main window, and the host's socket
    // descriptor ("-wnd=", 0 when not hosted).
    uintptr_t mInstance = 0;
    uintptr_t mMainWindow = 0;
    uintptr_t mExternalParent = 0;
    std::shared_ptr<TTexture> mSystemCursor;
    uint8_t mUnicode = 0;
    int32_t mScreenWidth = 0;
    int32_t mScreenHeight = 0;

private:
    void RunHelperThread(platform::HelperThread& thread);
    void IdlePass();

    TString mProductName;
    TString mVersion;
    TString mInternalName;
    TString mCommandLine;
    TString mTitle;
    TString mInstanceName;
    TString mWindowClassName;
    TString mWindowTitle;
    platform::SingleInstance mInstanceGuard;
    platform::HostChannel mHostChannel;
    platform::HelperThread mHelperThread;
    std::atomic<bool> mQuitPosted{false};
    int mQuitCode = 0;
    uintptr_t mLastQuitTarget = 0;
    int mFrontRequests = 0;
    // "-pq=": the game runs in a host page.
    bool mPageHosted = false;
    int mDisplayWidth = 0;
    int mDisplayHeight = 0;
    bool mDisplayFullScreen = false;
};
