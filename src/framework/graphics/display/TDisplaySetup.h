#pragma once

#include "framework/graphics/display/TDXContext.h"

#include <cstdint>
#include <functional>
#include <memory>

// What the display set-up asks of the program around it: the main window's
// activity, the assets' device resources, the application clock. Empty
// functions answer "active", do nothing, and give time 0.
struct TDisplayHost {
    // Window active (and application active once its activation was seen).
    std::function<bool()> isActive;
    // Every asset drops or rebuilds its device resources.
    std::function<void()> releaseAssets;
    std::function<void()> restoreAssets;
    // The platform notes the reset, which the event pump reports.
    std::function<void()> displayReset;
    // Application time in milliseconds.
    std::function<uint32_t()> now;
    // The portal mode that keeps the display in a window, quietly.
    std::function<bool()> portal;
    // The program runs inside a host's window and may be placed in it.
    std::function<bool()> placeInHost;
    // The host's window is still there.
    std::function<bool()> externalParentExists;
    // After a set-up: the frame is worth presenting again at once (assets
    // exist and the window manager draws).
    std::function<bool()> representFrame;
    // After the first set-up with no cursor picture: the application's
    // cursor is set to its default picture.
    std::function<void()> defaultCursor;
    // After the surfaces were restored: the platform sets its two cursor
    // pictures again.
    std::function<void()> restoreCursors;
};

// The display part of the renderer's record: making the display in a window
// or full screen with its fallbacks and user messages, marking DirectX
// broken, device-loss recovery and the switch to the low-memory mode (kept
// in "common:display.xml" for later runs). Owns the device context. Waits,
// message boxes and ending the process go through the platform, so tests
// see them instead of sleeping, blocking or dying. Main thread.
class TDisplaySetup {
public:
    static constexpr char kDisplayFile[] = "common:display.xml";

    // Reads the low-memory setting unless pqGiven.
    TDisplaySetup(const TDXContextEnvironment& environment, platform::Window* mainWindow,
                  const TDisplayHost& host);
    TDisplaySetup(const TDisplaySetup&) = delete;
    TDisplaySetup& operator=(const TDisplaySetup&) = delete;

    void SetDisplay(uint32_t width, uint32_t height, bool fullScreen, bool force, bool quiet,
                    bool hosted);
    bool SetFullScreen(bool fullScreen);
    void Restore();
    void RestoreAssets();
    void MarkBroken();
    void MarkBrokenThrottled();
    bool IsDeviceValid();
    void OnOutOfVideoMemory();

    bool IsFullScreen() const { return mFullScreen; }
    void GetDisplayMode(int& width, int& height, bool& fullScreen) const;
    bool CanPresent() const { return mReady && !mBroken; }
    bool IsReady() const { return mReady; }
    // The display has its device and both buffers (nothing is marked).
    bool HasDeviceAndSurfaces() const {
        return mDevice && mContext->GetDirectDraw() && mContext->GetFrontBuffer() &&
               mContext->GetBackBuffer();
    }
    bool IsBroken() const { return mBroken; }
    bool IsFatal() const { return mFatal; }
    bool IsLowMemoryVideo() const { return mLowMemoryVideo; }
    bool IsSquareTexturesOnly() const { return mSquareTexturesOnly; }
    bool HasSeparateTextureMemories() const { return mSeparateTextureMemories; }
    bool HasNoSpecular() const { return mNoSpecular; }
    uint32_t GetDisplayDepth() const { return mDisplayDepth; }
    void ResetWorkingCount() { mWorkingCount = 0; }
    void CountWorkingFrame() { ++mWorkingCount; }
    uint32_t GetWorkingCount() const { return mWorkingCount; }
    void SetHintAntialias(bool on) { mHintAntialias = on; }
    bool GetHintAntialias() const { return mHintAntialias; }
    // The render hints "antialias" and "hint_antialias"; a creation that
    // refuses an antialiasing surface clears both.
    void SetAntialias(bool on) { mAntialias = on; }
    bool GetAntialias() const { return mAntialias; }
    TDXContext& GetContext() { return *mContext; }
    const platform::DevicePtr& GetDevice() const { return mDevice; }
    bool& ExpandIndexedDraws() { return mExpandIndexedDraws; }

    // The default device state every new device gets.
    static void ApplyDefaultState(platform::GraphicsDevice& device);

private:
    void SetDisplayGuarded(uint32_t width, uint32_t height, bool fullScreen, bool force, bool quiet,
                           bool hosted);
    void Fail(uint32_t width, uint32_t height, bool requested, bool quiet, bool active);
    void Succeed(bool fullScreen, bool hosted);
    bool Active() const;
    bool WindowTooBig(int32_t width, int32_t height) const;
    void Box(const char* caption, const char* text, uint32_t flags);
    void Exit();
    void Sleep(uint32_t ms);
    uint32_t Now() const;
    void WriteDisplayFile();
    void CenterWindow();
    void PlaceInHost(bool fullScreen);

    TDXContextEnvironment mEnvironment;
    platform::Window* mMainWindow = nullptr;
    TDisplayHost mHost;
    std::unique_ptr<TDXContext> mContext;
    platform::DevicePtr mDevice;
    platform::SurfacePtr mScreenSurface;
    platform::GfxRect mTargetRect;
    bool mFullScreen = false;
    uint32_t mDisplayDepth = 0;
    bool mReady = false;
    bool mBroken = false;
    bool mOutOfMemoryNotice = false;
    bool mInFallback = false;
    bool mFatal = false;
    bool mSeparateTextureMemories = false;
    bool mNoSpecular = false;
    bool mSquareTexturesOnly = false;
    uint32_t mWorkingCount = 0;
    uint32_t mLastBrokenTime = 0;
    // The pause after a break only counts once there was one; time 0 is
    // also the start of the run.
    bool mEverBroken = false;
    bool mWasFullScreen = false;
    bool mLowMemoryVideo = false;
    bool mInSetup = false;
    bool mRestoring = false;
    bool mAntialias = false;
    bool mHintAntialias = false;
    bool mExpandIndexedDraws = false;
    bool mDefaultCursorSet = false;
};
