#pragma once

#include "platform/window/MessageQueue.h"
#include "platform/window/Window.h"

#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace platform {

// A main window without a display, for tests. It records every call (one
// text line each, e.g. "SetCaption Nimbrel"), replays the messages a test
// injects (records as they are, or SDL events through the same translator as
// the real window), can be told to fail its creation, answers the keyboard,
// foreground and stacking questions as the test sets them, and never blocks:
// WaitMessage counts the waits, hands the time asked for to an optional
// hook (which may inject messages or move a test clock) and returns at once.
class NullWindow : public Window {
public:
    // Test controls.
    void FailNextCreate(const std::string& reason) { mCreateFailure = reason; }
    // The primary display's size as this window reports it (1920 by 1080
    // unless set; 0 by 0 reads as unknown).
    void SetScreenSize(int32_t width, int32_t height) {
        mScreenWidth = width;
        mScreenHeight = height;
    }
    void Inject(const WindowMessage& message);
    void Inject(uint32_t message, uintptr_t wParam = 0, intptr_t lParam = 0);
    void InjectSdl(const SDL_Event& event);
    void SetKeyDown(uint32_t virtualKey, bool down) { mKeysDown[virtualKey] = down; }
    void SetForegroundAnswer(bool foreground) { mForeground = foreground; }
    void SetFrontmostAnswer(std::optional<bool> frontmost) { mFrontmost = frontmost; }
    void SetSetForegroundResult(bool result) { mSetForegroundResult = result; }
    void SetCaptureResult(bool result) { mCaptureResult = result; }
    void SetWaitHook(std::function<void(uint32_t timeoutMs)> hook) { mWaitHook = std::move(hook); }
    void SetPointerPosition(int32_t x, int32_t y, bool inside);

    std::vector<std::string> Calls() const;
    void ClearCalls();
    // Calls whose line starts with the given text.
    size_t CountCalls(const std::string& prefix) const;
    size_t WaitCount() const { return mWaits; }
    const std::vector<uint32_t>& WaitTimeouts() const { return mWaitTimeouts; }
    InputTranslator& Translator() { return mQueue.Translator(); }

    // Window.
    bool Create(const WindowSpec& spec) override;
    void Destroy() override;
    bool IsCreated() const override { return mCreated; }
    uintptr_t Handle() const override { return mCreated ? 1 : 0; }
    const std::string& LastError() const override { return mError; }

    void Show(ShowCommand command) override;
    bool IsVisible() const override { return mCreated && mVisible; }
    bool IsMinimized() const override { return mCreated && mMinimized; }
    void SetCaption(const std::string& utf8) override;
    std::string Caption() const override { return mCaption; }
    void SetClientSize(int32_t width, int32_t height) override;
    void GetClientSize(int32_t& width, int32_t& height) const override;
    void SetPosition(int32_t x, int32_t y) override;
    void GetPosition(int32_t& x, int32_t& y) const override;
    bool SetFullScreen(bool fullScreen) override;
    bool IsFullScreen() const override { return mFullScreen; }
    void SetPictureSize(int32_t width, int32_t height) override;

    bool SetCapture() override;
    void ReleaseCapture() override;
    bool HasCapture() const override { return mCaptured; }
    void WarpPointer(int32_t x, int32_t y) override;
    bool GetPointerPosition(int32_t& x, int32_t& y) const override;
    bool SetRelativeMouseMode(bool on) override;
    bool TrackMouse(uint32_t flags) override;

    bool PeekMessage(WindowMessage& message) override;
    bool WaitMessage(uint32_t timeoutMs) override;
    void PostQuitMessage(int32_t exitCode) override;
    bool PostMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) override;
    bool SetTimer(uint32_t id, uint32_t intervalMs) override;
    bool KillTimer(uint32_t id) override;
    void Invalidate() override;

    uint16_t GetKeyState(uint32_t virtualKey) const override;

    bool IsForeground() const override { return mForeground; }
    bool SetForeground() override;
    bool IsTopmost() const override { return mTopmost; }
    bool SetTopmost(bool topmost) override;
    std::optional<bool> IsFrontmost() const override { return mFrontmost; }

    bool HasGlContext() const override { return false; }
    bool MakeGlCurrent() override;
    void SwapBuffers() override;
    bool SetSwapInterval(int interval) override;
    int GetSwapInterval() const override { return mSwapInterval; }
    void GetDrawableSize(int32_t& width, int32_t& height) const override;
    bool GetScreenSize(int32_t& width, int32_t& height) const override;

private:
    void Record(std::string line) const;
    int mSwapInterval = 0;
    int32_t mScreenWidth = 1920;
    int32_t mScreenHeight = 1080;
    void TakePosted();

    mutable std::mutex mCallsLock;
    mutable std::vector<std::string> mCalls;
    std::mutex mPostedLock; // PostMessage may come from other threads
    std::vector<WindowMessage> mPosted;

    MessageQueue mQueue;
    std::string mCreateFailure;
    std::string mError;
    bool mCreated = false;
    bool mVisible = false;
    bool mMinimized = false;
    bool mFullScreen = false;
    bool mCaptured = false;
    bool mCaptureResult = true;
    bool mTopmost = false;
    bool mForeground = true;
    bool mSetForegroundResult = true;
    std::optional<bool> mFrontmost;
    std::string mCaption;
    int32_t mWidth = 0;
    int32_t mHeight = 0;
    int32_t mX = 0;
    int32_t mY = 0;
    std::map<uint32_t, bool> mKeysDown;
    std::function<void(uint32_t)> mWaitHook;
    size_t mWaits = 0;
    std::vector<uint32_t> mWaitTimeouts;
};

} // namespace platform
