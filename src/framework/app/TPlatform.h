#pragma once

#include "framework/core/math/TRandom.h"
#include "framework/core/tasks/TTaskList.h"
#include "framework/core/text/TString.h"
#include "platform/graphics/GraphicsSystem.h"
#include "platform/host/HostChannel.h"
#include "platform/instance/SingleInstance.h"
#include "platform/thread/HelperThread.h"
#include "platform/window/WindowMessage.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

class TAssetManager;
class TNbMiniVecDraw;
class TSoundManager;
class TStringTable;
class TRenderer;
class TTexture;
class TPlatformHostServices;
class TWindowManager;
struct TEvent;

namespace platform {
class Desktop;
class Window;
} // namespace platform

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
        // Whether files can be made in a folder: the file system's answer
        // unless a test hands over its own (root writes into any folder,
        // whatever its mode).
        bool (*isWritableFolder)(const std::string& path) = nullptr;
    };

    explicit TPlatform(const StartInfo& start);
    TPlatform(const TPlatform&) = delete;
    TPlatform& operator=(const TPlatform&) = delete;
    virtual ~TPlatform();

    // The window back end: the real one (SDL) unless another was handed
    // over before the main window is made. Tests hand over the recording
    // one.
    void SetWindowBackEnd(std::unique_ptr<platform::Window> window,
                          std::unique_ptr<platform::Desktop> desktop);
    // The graphics system the display runs on: the OpenGL one of the real
    // main window unless another was handed over before the main window is
    // made (tests hand over the null one, so the display's set-up, device
    // loss and recovery run as in the program).
    void SetGraphicsBackEnd(std::unique_ptr<platform::GraphicsSystem> graphics);
    platform::Window* GetWindow() const { return mWindow.get(); }
    platform::Desktop* GetDesktop() const { return mDesktop.get(); }

    // The event pump: one event per call (TEventPump.cpp).
    void GetEvent(TEvent& event);
    // Posts the quit message: the pump gives quit once the window's queue
    // is empty.
    void PostQuit(int code);
    // Posts the quit message to a window named by its id; 0 names this
    // program's message queue, as does the main window's id.
    void PostQuitTo(uintptr_t window);
    bool IsQuitPosted() const { return mQuitPosted.load(); }
    int GetQuitCode() const { return mQuitCode; }
    uintptr_t GetLastQuitTarget() const { return mLastQuitTarget; }

    // Milliseconds since the platform started, less the portal's waiting.
    uint32_t GetTimer() const;

    // The main window and its services (TMainWindow.cpp). Creating the
    // window ends the process with -1 when a host named with "-wnd=" has
    // gone; false when the window system cannot make the window.
    bool CreateMainWindow();
    bool HasMainWindow() const { return mMainWindow != 0; }
    // The main window's message handling; gives the message's result.
    intptr_t WindowProcedure(platform::WindowMessage& message);
    void SetWindowText(const TString& text);
    TString GetWindowText() const;
    bool SetClipboardText(const TString& text);
    TString GetClipboardText();
    void OpenUrl(const TString& url);
    bool IsForeground() const;
    bool SetFullScreen(bool fullScreen);
    bool IsFullScreen() const;
    void GetDisplayMode(int& width, int& height, bool& fullScreen) const;
    void SetVideoMode(int width, int height, bool fullScreen);
    void UseHardwareCursor(bool on);
    // Slot 0 is the pointer's picture, slot 1 a second one; a null image in
    // slot 0 with the hardware cursor stands for the system cursor.
    void SetMouseCursor(const std::shared_ptr<TTexture>& image, int hotX, int hotY, int flags,
                        int slot);
    void RestoreCursors();
    // Registers the built-in "__systemcursor__.png" as an in-memory file
    // when the files hold none of that name; run once the file system is up.
    void RegisterSystemCursorFile();
    // Relative mouse mode: puts the pointer at the point (display
    // coordinates) times the viewport scale.
    void SetCursorPosition(int x, int y);
    // "-pq=": the host page's full-screen state, sent to the host.
    void HostSetFullScreen(bool fullScreen);
    bool HostSend(uint32_t message, uint32_t wParam, uint32_t lParam);
    // The host's record that says it is ready; with the host's codes
    // (0x0400) the only records the pump takes from the host.
    static constexpr uint32_t kHostReadyMessage = 0x0400 + 100;
    bool IsHostFullScreen() const { return mHostFullScreen != 0; }
    bool HasHostSentReady() const { return mHostSentReady != 0; }
    // Brings a full-screen window back to the front on an idle pass.
    void KeepOnTop();
    // The messages the pump handed to the window procedure.
    uint32_t GetDispatchCount() const { return mDispatchCount; }

    // Data folders: the product's folders under the user's and the common
    // data folders, and the desktop (each falling back to the user's), or,
    // when useDataFolders is false (hosted without "-pq="), the program
    // folder for all three.
    // A user data folder that cannot be made or written is replaced by the
    // program folder, or else by a folder of the user's own under the
    // temporary folder; standard error says so.
    void SetUpFolders(bool useDataFolders);
    // False when no folder for the log and saved files can be written.
    bool HasWritableDataFolder() const { return mDataFolderWritable; }
    // "-wd=": changes the working directory to the folder behind the switch.
    void ApplyWorkingDirectory(const TString& commandLine);

    // The change hook's actions: "vsync", "memorymax", "viewportscale".
    void OnSettingChanged(const TString& name, const TString& value);
    // Gives the platform's vector drawer the viewport scale as its host
    // scale while the program runs inside a host window (1 otherwise), so
    // text drawn to the screen scales with the rest of the picture.
    void ApplyHostScale();

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
    // The helper thread's cursor update asked for a redraw of everything.
    std::atomic<bool> mCursorInvalidatePending{false};
    // The window was minimised (last size message), for the helper thread.
    std::atomic<bool> mMinimizedForCursor{false};
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
    // Frames keep the front rate while the window is behind others.
    uint8_t mFullRateInBackground = 0;
    // Folders, with "/" separators; the program, start-up and asset
    // folders end in "/", the data folders do not.
    TString mAssetFolder;
    TString mProgramFolder;
    TString mProgramFile;
    TString mUserDataFolder;
    // The data folder that should have been the user data folder, when it
    // exists but cannot be written ("" otherwise).
    TString mUnwritableUserDataFolder;
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
    // The primary display's size, read when the main window is made (the
    // window system answers only then); 0 before.
    int32_t mScreenWidth = 0;
    int32_t mScreenHeight = 0;

private:
    friend class TPlatformHostServices;

    void RunHelperThread(platform::HelperThread& thread);
    void UseFallbackDataFolder(const TString& wanted);
    // The event pump's steps.
    bool ServePending(TEvent& event);
    bool TakeMessage(platform::WindowMessage& message);
    void MakeMessageEvent(const platform::WindowMessage& message, TEvent& event);
    bool PassesActivationFilter(bool buttonUp);
    void MakeKeyDownEvent(const platform::WindowMessage& message, TEvent& event);
    void MakeSystemKeyEvent(const platform::WindowMessage& message, TEvent& event);
    void MakeCharacterEvent(const platform::WindowMessage& message, TEvent& event);
    void Dispatch(platform::WindowMessage& message);
    void IdlePass(TEvent& event);
    // How long the idle pass may wait for a message.
    uint32_t IdleWaitMs() const;
    void WaitForMessage(uint32_t ms);
    void FirstCall();
    // Sets "sessionready" once its time has come after the first call.
    void ServeSessionReady();
    // Host records waiting on the host socket go to the window procedure,
    // a bounded number a call.
    void TakeHostRecords();
    // The window procedure's rules.
    intptr_t DefaultProcedure(const platform::WindowMessage& message);
    void VisibilityChange(bool visible);
    void ActivationChange(bool active);
    void WindowMoved(const platform::WindowPosition& position);
    bool ExternalParentExists() const;
    TRenderer* Renderer() const;
    void AttachGraphics(TRenderer& renderer);
    void ServeCursorRequests();
    // The pointer in display coordinates.
    void CursorPosition(int& x, int& y) const;
    std::shared_ptr<TTexture> SystemCursor();

    TString mProductName;
    TString mVersion;
    TString mInternalName;
    TString mCommandLine;
    TString mTitle;
    TString mInstanceName;
    TString mWindowClassName;
    TString mWindowTitle;
    std::unique_ptr<platform::Window> mWindow;
    std::unique_ptr<platform::Desktop> mDesktop;
    // The display's graphics on the real main window, or the system a test
    // handed over; none with only a window back end a test gave (the
    // renderer then only sizes the window).
    std::unique_ptr<platform::GraphicsSystem> mGraphics;
    // The graphics system was handed over, not made for the SDL window.
    bool mGraphicsGiven = false;
    // The main window's parent when hosted (the host socket's descriptor),
    // the host page's full-screen state ("-pq="), the window was parked off
    // screen, the host has sent its ready message.
    uintptr_t mHostWindow = 0;
    uint8_t mHostFullScreen = 0;
    uint8_t mWindowParked = 0;
    uint8_t mHostSentReady = 0;
    // The pump's first call is over; a high surrogate waiting for its pair.
    uint8_t mFirstCallDone = 0;
    // "sessionready" is still to be set, and when (the raw platform timer).
    uint8_t mSessionReadyPending = 0;
    uint32_t mSessionReadyDueMs = 0;
    uint32_t mPendingHighSurrogate = 0;
    uint32_t mDispatchCount = 0;
    uint8_t mVideoModeSet = 0;
    // "Window does NOT have topmost style" is logged once per loss.
    bool mTopmostReported = false;
    platform::SingleInstance mInstanceGuard;
    platform::HostChannel mHostChannel;
    // Host records dropped as unknown; the log names only the first few.
    uint32_t mDroppedHostRecords = 0;
    // What the host integration uses of this object; installed while it
    // lives.
    std::unique_ptr<TPlatformHostServices> mHostServices;
    platform::HelperThread mHelperThread;
    std::atomic<bool> mQuitPosted{false};
    int mQuitCode = 0;
    uintptr_t mLastQuitTarget = 0;
    int mFrontRequests = 0;
    // "-pq=": the game runs in a host page.
    bool mPageHosted = false;
    bool mDataFolderWritable = true;
    bool (*mIsWritableFolder)(const std::string& path) = nullptr;
};
