#include "platform/window/null/NullWindow.h"

#include "platform/time/TimeSource.h"

#include <cstdio>
#include <utility>

namespace platform {

namespace {

const char* CommandName(ShowCommand command) {
    switch (command) {
    case ShowCommand::Hide:
        return "Hide";
    case ShowCommand::Show:
        return "Show";
    case ShowCommand::Minimize:
        return "Minimize";
    case ShowCommand::Restore:
        return "Restore";
    }
    return "?";
}

} // namespace

void NullWindow::Record(std::string line) const {
    std::lock_guard<std::mutex> lock(mCallsLock);
    mCalls.push_back(std::move(line));
}

std::vector<std::string> NullWindow::Calls() const {
    std::lock_guard<std::mutex> lock(mCallsLock);
    return mCalls;
}

void NullWindow::ClearCalls() {
    std::lock_guard<std::mutex> lock(mCallsLock);
    mCalls.clear();
}

size_t NullWindow::CountCalls(const std::string& prefix) const {
    std::lock_guard<std::mutex> lock(mCallsLock);
    size_t count = 0;
    for (const std::string& line : mCalls)
        count += line.rfind(prefix, 0) == 0;
    return count;
}

void NullWindow::Inject(const WindowMessage& message) {
    mQueue.Append(message);
}

void NullWindow::Inject(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    WindowMessage record;
    record.message = message;
    record.wParam = wParam;
    record.lParam = lParam;
    record.time = TimerNow();
    mQueue.Append(record);
}

void NullWindow::InjectSdl(const SDL_Event& event) {
    mQueue.Translate(event, TimerNow());
    if (mCaptured && !mQueue.Translator().IsCaptured()) {
        mCaptured = false;
        Record("ReleaseCapture (focus lost)");
    }
}

void NullWindow::SetPointerPosition(int32_t x, int32_t y, bool inside) {
    mQueue.Translator().SetPointer(x, y, inside);
}

bool NullWindow::Create(const WindowSpec& spec) {
    Record("Create " + spec.caption + " " + std::to_string(spec.width) + "x" +
           std::to_string(spec.height) + (spec.hosted ? " hosted" : "") +
           (spec.visible ? "" : " hidden"));
    if (!mCreateFailure.empty()) {
        mError = std::exchange(mCreateFailure, std::string());
        return false;
    }
    mError.clear();
    mCreated = true;
    mVisible = spec.visible;
    mMinimized = false;
    mCaption = spec.caption;
    mWidth = spec.width;
    mHeight = spec.height;
    mX = spec.x == WindowSpec::kCentered ? 0 : spec.x;
    mY = spec.y == WindowSpec::kCentered ? 0 : spec.y;
    mQueue.Translator().SetClientSize(mWidth, mHeight);
    mQueue.Translator().SetWindowOrigin(mX, mY);
    mQueue.Translator().SetActive(mForeground);
    return true;
}

void NullWindow::Destroy() {
    Record("Destroy");
    mCreated = false;
    mCaptured = false;
    mQueue.Clear();
}

void NullWindow::Show(ShowCommand command) {
    Record(std::string("Show ") + CommandName(command));
    switch (command) {
    case ShowCommand::Hide:
        mVisible = false;
        break;
    case ShowCommand::Show:
        mVisible = true;
        break;
    case ShowCommand::Minimize:
        mMinimized = true;
        break;
    case ShowCommand::Restore:
        mMinimized = false;
        break;
    }
}

void NullWindow::SetCaption(const std::string& utf8) {
    Record("SetCaption " + utf8);
    mCaption = utf8;
}

void NullWindow::SetClientSize(int32_t width, int32_t height) {
    Record("SetClientSize " + std::to_string(width) + "x" + std::to_string(height));
    mWidth = width;
    mHeight = height;
    mQueue.Translator().SetClientSize(width, height);
}

void NullWindow::GetClientSize(int32_t& width, int32_t& height) const {
    width = mCreated ? mWidth : 0;
    height = mCreated ? mHeight : 0;
}

void NullWindow::SetPosition(int32_t x, int32_t y) {
    Record("SetPosition " + std::to_string(x) + "," + std::to_string(y));
    mX = x;
    mY = y;
}

void NullWindow::GetPosition(int32_t& x, int32_t& y) const {
    x = mX;
    y = mY;
}

bool NullWindow::SetFullScreen(bool fullScreen) {
    Record(std::string("SetFullScreen ") + (fullScreen ? "1" : "0"));
    if (!mCreated)
        return false;
    mFullScreen = fullScreen;
    return true;
}

void NullWindow::SetPictureSize(int32_t width, int32_t height) {
    const PictureFit before = mQueue.Translator().Fit();
    mQueue.Translator().SetPictureSize(width, height);
    const PictureFit after = mQueue.Translator().Fit();
    // Presenting sets the size each frame: only a change is recorded.
    if (before.Left() != after.Left() || before.Top() != after.Top() ||
        before.Width() != after.Width() || before.Height() != after.Height())
        Record("SetPictureSize " + std::to_string(width) + "x" + std::to_string(height));
}

bool NullWindow::SetCapture() {
    Record("SetCapture");
    if (!mCreated || !mCaptureResult)
        return false;
    mCaptured = true;
    mQueue.Translator().SetCaptured(true);
    return true;
}

void NullWindow::ReleaseCapture() {
    Record("ReleaseCapture");
    mCaptured = false;
    mQueue.Translator().SetCaptured(false);
}

void NullWindow::WarpPointer(int32_t x, int32_t y) {
    // Recorded where the pointer goes in the window, as a real window moves it.
    int32_t clientX = 0, clientY = 0;
    mQueue.Translator().Fit().ToArea(x, y, clientX, clientY);
    Record("WarpPointer " + std::to_string(clientX) + "," + std::to_string(clientY));
    mQueue.Translator().SetPointer(x, y, mQueue.Translator().IsPointerInside());
}

bool NullWindow::GetPointerPosition(int32_t& x, int32_t& y) const {
    if (!mCreated)
        return false;
    x = mQueue.Translator().PointerX();
    y = mQueue.Translator().PointerY();
    return true;
}

bool NullWindow::SetRelativeMouseMode(bool on) {
    Record(std::string("SetRelativeMouseMode ") + (on ? "1" : "0"));
    return mCreated;
}

bool NullWindow::TrackMouse(uint32_t flags) {
    char line[40];
    std::snprintf(line, sizeof line, "TrackMouse 0x%X", flags);
    Record(line);
    if (!mCreated)
        return false;
    mQueue.TrackMouse(flags, TimerNow());
    return true;
}

void NullWindow::TakePosted() {
    std::vector<WindowMessage> posted;
    {
        std::lock_guard<std::mutex> lock(mPostedLock);
        posted.swap(mPosted);
    }
    for (const WindowMessage& message : posted)
        mQueue.Append(message);
}

bool NullWindow::PeekMessage(WindowMessage& message) {
    if (!mCreated)
        return false;
    TakePosted();
    uint32_t now = TimerNow();
    return mQueue.TakeQueued(message, now) || mQueue.TakeLowPriority(message, now);
}

bool NullWindow::WaitMessage(uint32_t timeoutMs) {
    ++mWaits;
    mWaitTimeouts.push_back(timeoutMs);
    TakePosted();
    if (!mQueue.HasReady(TimerNow()) && mWaitHook)
        mWaitHook(timeoutMs);
    TakePosted();
    return mQueue.HasReady(TimerNow());
}

void NullWindow::PostQuitMessage(int32_t exitCode) {
    Record("PostQuitMessage " + std::to_string(exitCode));
    mQueue.PostQuit(exitCode);
}

bool NullWindow::PostMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    Record("PostMessage " + MessageName(message));
    if (!mCreated)
        return false;
    WindowMessage record;
    record.message = message;
    record.wParam = wParam;
    record.lParam = lParam;
    record.time = TimerNow();
    std::lock_guard<std::mutex> lock(mPostedLock);
    mPosted.push_back(record);
    return true;
}

bool NullWindow::SetTimer(uint32_t id, uint32_t intervalMs) {
    Record("SetTimer " + std::to_string(id) + " " + std::to_string(intervalMs));
    if (!mCreated)
        return false;
    mQueue.SetTimer(id, intervalMs, TimerNow());
    return true;
}

bool NullWindow::KillTimer(uint32_t id) {
    Record("KillTimer " + std::to_string(id));
    return mQueue.KillTimer(id);
}

void NullWindow::Invalidate() {
    Record("Invalidate");
    mQueue.Translator().Invalidate();
}

uint16_t NullWindow::GetKeyState(uint32_t virtualKey) const {
    auto set = mKeysDown.find(virtualKey);
    if (set != mKeysDown.end())
        return set->second ? 0x8000 : 0;
    return mQueue.Translator().KeyState(virtualKey);
}

bool NullWindow::SetForeground() {
    Record("SetForeground");
    if (!mCreated || !mSetForegroundResult)
        return false;
    mForeground = true;
    return true;
}

bool NullWindow::SetTopmost(bool topmost) {
    Record(std::string("SetTopmost ") + (topmost ? "1" : "0"));
    if (!mCreated)
        return false;
    mTopmost = topmost;
    return true;
}

bool NullWindow::MakeGlCurrent() {
    Record("MakeGlCurrent");
    return false;
}

void NullWindow::SwapBuffers() {
    Record("SwapBuffers");
}

bool NullWindow::SetSwapInterval(int interval) {
    Record("SetSwapInterval " + std::to_string(interval));
    mSwapInterval = interval;
    return true;
}

void NullWindow::GetDrawableSize(int32_t& width, int32_t& height) const {
    GetClientSize(width, height);
}

bool NullWindow::GetScreenSize(int32_t& width, int32_t& height) const {
    width = mScreenWidth;
    height = mScreenHeight;
    return width > 0 && height > 0;
}

} // namespace platform
