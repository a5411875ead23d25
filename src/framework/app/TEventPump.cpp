// The event pump: TPlatform::GetEvent makes one event per call from the
// platform's pending flags, the display's state and at most one window
// message, and runs the idle pass when the queue is empty.

#include "framework/app/TEventPump.h"

#include "framework/app/StartupTrace.h"
#include "framework/app/TPlatform.h"
#include "framework/core/log/TLog.h"
#include "framework/core/system/TEvent.h"
#include "framework/graphics/TGraphics.h"
#include "framework/graphics/TRenderer.h"
#include "framework/host/PortalInstallers.h"
#include "framework/host/TGameState.h"
#include "framework/sound/manager/TSoundManager.h"
#include "framework/ui/manager/TWindowManager.h"
#include "framework/ui/script/TWindowScript.h"
#include "platform/process/ProcessControl.h"
#include "platform/process/QuitSignals.h"
#include "platform/time/TimeSource.h"
#include "platform/window/VirtualKeys.h"
#include "platform/window/Window.h"

#include <algorithm>

using namespace platform;

namespace {

// Host pages are told the game is loading, then this long after that the
// session is ready.
constexpr uint32_t kSessionReadyDelayMs = 500;
// The shortest idle wait, taken while something wants every pass, and the
// longest while nothing tells when it is due.
constexpr uint32_t kIdleWaitMs = 1;
constexpr uint32_t kLongestIdleWaitMs = 100;
// While the display stays lost the pump looks at it again after this wait,
// instead of asking in a tight loop.
constexpr uint32_t kLostDisplayWaitMs = 5;
// Sent kinds at most handled inside one look at the queue before an event
// is made.
constexpr int kMaxSentPerPeek = 64;
// Host records taken in one look at the host socket: a host that floods
// the socket must not keep the pump from making frames.
constexpr int kMaxHostRecordsPerCall = 16;
// Unknown host records named in the log; later ones are dropped silently.
constexpr uint32_t kLoggedDroppedHostRecords = 10;

constexpr uint32_t kHighSurrogateFirst = 0xD800;
constexpr uint32_t kHighSurrogateLast = 0xDBFF;
constexpr uint32_t kLowSurrogateFirst = 0xDC00;
constexpr uint32_t kLowSurrogateLast = 0xDFFF;
// high * 1024 + low - this = the code point of a surrogate pair.
constexpr uint32_t kSurrogateOffset = 0x35FDC00;

// Messages the system hands straight to the window procedure: the pump
// never makes events of them, it lets the window procedure see them while
// it looks at the queue.
bool IsSentKind(uint32_t kind) {
    switch (kind) {
    case kWmDestroy:
    case kWmSize:
    case kWmClose:
    case kWmEraseBackground:
    case kWmActivateApp:
    case kWmSetCursor:
    case kWmMouseActivate:
    case kWmWindowPosChanging:
    case kWmWindowPosChanged:
    case kWmNcHitTest:
        return true;
    default:
        return false;
    }
}

constexpr uint32_t kMkAnyButton = kMkLButton | kMkRButton | kMkMButton | kMkXButton1 | kMkXButton2;

bool IsKeyDown(const Window* window, uint32_t virtualKey) {
    return window && (window->GetKeyState(virtualKey) & 0x8000) != 0;
}

// Shift, control and the extended-key bit of a key message.
uint32_t KeyModifiers(const Window* window, intptr_t lParam) {
    uint32_t modifiers = 0;
    if (IsKeyDown(window, kVkControl)) {
        modifiers |= kModifierControl;
    }
    if (IsKeyDown(window, kVkShift)) {
        modifiers |= kModifierShift;
    }
    if (static_cast<uint32_t>(lParam) & kKeyExtendedBit) {
        modifiers |= kModifierExtended;
    }
    return modifiers;
}

// Positions travel as signed 16-bit values.
int32_t Widen16(int value) {
    return static_cast<int16_t>(value);
}

} // namespace

int32_t TranslateKeyCode(uint32_t virtualKey) {
    if (virtualKey >= kVkNumpad0 && virtualKey <= kVkNumpad0 + 9) {
        return static_cast<int32_t>('0' + (virtualKey - kVkNumpad0));
    }
    switch (virtualKey) {
    case kVkUp:
        return -128;
    case kVkDown:
        return -127;
    case kVkLeft:
        return -126;
    case kVkRight:
        return -125;
    case kVkInsert:
        return -124;
    case kVkPrior:
        return -123;
    case kVkNext:
        return -122;
    case kVkDelete:
        return -1;
    case kVkMultiply:
        return '*';
    case kVkAdd:
    case kVkOemPlus:
        return '+';
    case kVkSeparator:
        return '\n';
    case kVkSubtract:
    case kVkOemMinus:
        return '-';
    case kVkDecimal:
    case kVkOemPeriod:
        return '.';
    case kVkDivide:
    case kVkOem2:
        return '/';
    case kVkOem1:
        return ';';
    case kVkOemComma:
        return ',';
    case kVkOem3:
        return '`';
    case kVkOem4:
        return '[';
    case kVkOem5:
        return '\\';
    case kVkOem6:
        return ']';
    case kVkOem7:
        return '\'';
    default:
        return static_cast<int32_t>(virtualKey);
    }
}

uint32_t MouseKeyModifiers(uint32_t keyState) {
    uint32_t modifiers = 0;
    if (keyState & kMkShift) {
        modifiers |= kModifierShift;
    }
    if (keyState & kMkControl) {
        modifiers |= kModifierControl;
    }
    return modifiers;
}

void TPlatform::GetEvent(TEvent& event) {
    // Every path below makes its event; what the caller left in the record
    // is never handed back.
    MakeEvent(event, kEventNothing, 0, 0, 0, 0);
    if (platform::TakeQuitSignal()) {
        LogPrintf("Quit requested by a signal");
        mQuitPosted = true;
    }
    // 1.
    if ((IsQuarrowPortal() || IsMsnPortal() || mPageHosted) && mExternalParent != 0 &&
        !ExternalParentExists()) {
        MakeEvent(event, kEventQuit, 0, 0, 0, 0);
        return;
    }
    // 2.
    if (!mFirstCallDone) {
        FirstCall();
    }
    ServeSessionReady();
    // 3. Only window messages flow while the game is suspended.
    if (TGameState* states = TGameState::GetInstance()) {
        while (states->QuerySuspendGame()) {
            platform::SleepMs(1);
            ServeSessionReady();
            WindowMessage message;
            bool taken = TakeMessage(message);
            if ((taken && message.message == kWmQuit) || (!taken && mQuitPosted.exchange(false))) {
                MakeEvent(event, kEventQuit, 0, 0, 0, 0);
                return;
            }
            if (taken) {
                Dispatch(message);
            }
        }
    }
    // 4. to 11.
    if (ServePending(event)) {
        return;
    }
    // 12.
    WindowMessage message;
    if (!TakeMessage(message)) {
        if (mQuitPosted.exchange(false)) {
            MakeEvent(event, kEventQuit, 0, 0, 0, 0);
            return;
        }
        IdlePass(event);
        return;
    }
    MakeMessageEvent(message, event);
    bool rightButton = message.message == kWmRButtonDown || message.message == kWmRButtonUp;
    if (!(mHosted && rightButton)) {
        Dispatch(message);
    }
}

// The load broadcast goes out at the first call and the session-ready one
// half a second later, as host pages expect. The game does not sleep
// through that half second: the loop goes on drawing and the pump sets
// "sessionready" on the first call after it is due (the idle wait ends
// in time for it).
void TPlatform::FirstCall() {
    mFirstCallDone = 1;
    if (TGameState* states = TGameState::GetInstance()) {
        states->SetStateInt("loadbroadcast", 0);
    }
    mSessionReadyPending = 1;
    mSessionReadyDueMs = platform::TimerNow() + kSessionReadyDelayMs;
}

void TPlatform::ServeSessionReady() {
    if (!mSessionReadyPending) {
        return;
    }
    if (static_cast<int32_t>(platform::TimerNow() - mSessionReadyDueMs) < 0) {
        return;
    }
    mSessionReadyPending = 0;
    if (TGameState* states = TGameState::GetInstance()) {
        states->SetStateInt("sessionready", 0);
    }
}

bool TPlatform::ServePending(TEvent& event) {
    TRenderer* renderer = Renderer();
    bool deviceLost = renderer && !renderer->IsDeviceValid();
    // 4.
    if (mMinimizeRestorePending) {
        mMinimizeRestorePending = 0;
        if (!mVisible && renderer) {
            renderer->ResetWorkingCount();
        }
        MakeEvent(event, kEventActivation, 0, 0, mVisible, 0);
        return true;
    }
    // 5.
    if (deviceLost && mQuitPosted.exchange(false)) {
        MakeEvent(event, kEventQuit, 0, 0, 0, 0);
        return true;
    }
    // 6.
    if (deviceLost && !mHidden && mVisible) {
        if (!renderer->Restore()) {
            WaitForMessage(kLostDisplayWaitMs);
        }
        return true;
    }
    // 7.
    if (mDisplayResetPending) {
        mDisplayResetPending = 0;
        MakeEvent(event, kEventDisplayReset, 0, 0, 0, 0);
        return true;
    }
    // 8.
    if (mPaintPending) {
        mPaintPending = 0;
        MakeEvent(event, kEventPaint, 0, 0, 0, 0);
        if (renderer && !renderer->IsDeviceValid() && !mHidden) {
            renderer->Restore();
        }
        return true;
    }
    // 9.
    if (mActivationChangePending) {
        mActivationChangePending = 0;
        MakeEvent(event, kEventActivation, 0, 0, mActive, 0);
        return true;
    }
    // 10.
    if (mCloseRequestPending) {
        mCloseRequestPending = 0;
        if (mWindowManager && mWindowManager->GetScript()) {
            mWindowManager->GetScript()->UpdateMovie();
        }
        MakeEvent(event, kEventCloseRequest, 0, 0, 0, 0);
        return true;
    }
    // 11.
    if (mPointerLeftPending) {
        mPointerLeftPending = 0;
        int x = 0, y = 0;
        CursorPosition(x, y);
        MakeEvent(event, kEventPointerLost, Widen16(x), Widen16(y), 0, 0);
        return true;
    }
    return false;
}

void TPlatform::CursorPosition(int& x, int& y) const {
    x = 0;
    y = 0;
    if (TRenderer* renderer = Renderer()) {
        TRenderer::Point point = renderer->GetCursorPosition();
        x = point.x;
        y = point.y;
        return;
    }
    int32_t px = 0, py = 0;
    if (mWindow && mWindow->GetPointerPosition(px, py)) {
        x = px;
        y = py;
    }
}

void TPlatform::TakeHostRecords() {
    // With "--axtest" the main window stands in for the host: no socket.
    if (mExternalParent == 0 || mExternalParent == mMainWindow) {
        return;
    }
    HostRecord record;
    for (int taken = 0; taken < kMaxHostRecordsPerCall && mHostChannel.Receive(record, 0);
         ++taken) {
        if (record.message != kWmUser && record.message != kHostReadyMessage) {
            ++mDroppedHostRecords;
            if (mDroppedHostRecords <= kLoggedDroppedHostRecords) {
                LogPrintf("Host record 0x%x (%u, %u) dropped: the host sends only 0x%x and 0x%x",
                          record.message, record.wParam, record.lParam, kWmUser, kHostReadyMessage);
            }
            if (mDroppedHostRecords == kLoggedDroppedHostRecords) {
                LogPrintf("Further unknown host records are dropped without a line");
            }
            continue;
        }
        WindowMessage message;
        message.message = record.message;
        message.wParam = record.wParam;
        message.lParam = static_cast<int32_t>(record.lParam);
        Dispatch(message);
    }
}

bool TPlatform::TakeMessage(WindowMessage& message) {
    TakeHostRecords();
    if (!mWindow || !mWindow->IsCreated()) {
        return false;
    }
    for (int sent = 0; mWindow->PeekMessage(message); ++sent) {
        if (!IsSentKind(message.message) || sent >= kMaxSentPerPeek) {
            return true;
        }
        Dispatch(message);
    }
    return false;
}

void TPlatform::Dispatch(WindowMessage& message) {
    ++mDispatchCount;
    WindowProcedure(message);
}

bool TPlatform::PassesActivationFilter(bool buttonUp) {
    if (mActivationClick && !(mWindowManager && mWindowManager->mBackgroundMode)) {
        bool recent = GetTimer() - mActivationClickTime < kActivationClickMs;
        if (buttonUp) {
            mActivationClick = 0;
        }
        if (recent) {
            return false;
        }
    }
    return !(mWindowManager && mWindowManager->mInputBlocked);
}

void TPlatform::MakeMessageEvent(const WindowMessage& message, TEvent& event) {
    MakeEvent(event, kEventNothing, 0, 0, 0, 0);
    uint32_t keyState = LowWord(message.wParam);
    auto pointerEvent = [&](uint32_t type, int32_t code, uint32_t modifiers) {
        int x = 0, y = 0;
        CursorPosition(x, y);
        MakeEvent(event, type, Widen16(x), Widen16(y), code, modifiers);
    };
    auto buttonDown = [&](uint32_t type, int32_t code, uint32_t modifiers) {
        if (!PassesActivationFilter(false)) {
            return;
        }
        // A hosted window takes the keyboard when it is clicked.
        if (mExternalParent != 0) {
            mWindow->SetForeground();
        }
        mWindow->SetCapture();
        pointerEvent(type, code, modifiers);
    };
    auto buttonUp = [&](uint32_t type, int32_t code) {
        if (!PassesActivationFilter(true)) {
            return;
        }
        mWindow->ReleaseCapture();
        pointerEvent(type, code, 0);
    };
    switch (message.message) {
    case kWmQuit:
        MakeEvent(event, kEventQuit, 0, 0, 0, 0);
        break;
    case kWmPaint:
        MakeEvent(event, kEventPaint, 0, 0, 0, 0);
        mHoverArmed = 0;
        break;
    case kWmMouseMove: {
        if (mMouseMode == 1) {
            int x = 0, y = 0;
            CursorPosition(x, y);
            int32_t dx = x - mRelativeReferenceX;
            int32_t dy = y - mRelativeReferenceY;
            if (dx != 0 || dy != 0) {
                MakeEvent(event, kEventPointerMove, Widen16(dx), Widen16(dy), 0, 0);
                SetCursorPosition(mRelativeReferenceX, mRelativeReferenceY);
            }
        } else {
            pointerEvent(kEventPointerMove, 0, 0);
        }
        if (!mHoverArmed) {
            mHoverArmed = mWindow->TrackMouse(kTrackHover) ? 1 : 0;
        }
        if (!mLeaveArmed) {
            mLeaveArmed = mWindow->TrackMouse(kTrackLeave) ? 1 : 0;
        }
        break;
    }
    case kWmLButtonDown:
        buttonDown(kEventLeftButtonDown, 0, MouseKeyModifiers(keyState));
        break;
    case kWmRButtonDown:
        buttonDown(kEventOtherButton, 1, MouseKeyModifiers(keyState));
        break;
    case kWmMButtonDown:
        buttonDown(kEventOtherButton, 3, MouseKeyModifiers(keyState));
        break;
    case kWmXButtonDown: {
        // The high half names the button pressed; the key state shows every
        // held one. A message naming neither extra button makes no event.
        uint32_t pressed = HighWord(message.wParam);
        if (pressed == kXButton1 || pressed == kXButton2) {
            buttonDown(kEventOtherButton, pressed == kXButton1 ? 4 : 5, 0);
        } else if (keyState & (kMkXButton1 | kMkXButton2)) {
            buttonDown(kEventOtherButton, (keyState & kMkXButton1) ? 4 : 5, 0);
        }
        break;
    }
    case kWmMouseWheel:
        if (PassesActivationFilter(false)) {
            pointerEvent(kEventOtherButton, WheelDeltaOf(message.wParam) > 0 ? 6 : 7,
                         MouseKeyModifiers(keyState));
        }
        break;
    case kWmLButtonUp:
        buttonUp(kEventLeftButtonUp, 0);
        break;
    case kWmRButtonUp:
        buttonUp(kEventOtherButton, 0);
        break;
    case kWmMButtonUp:
        buttonUp(kEventOtherButton, 2);
        break;
    case kWmXButtonUp:
        // No event, but the capture the press took ends with the last button
        // held: a kept capture holds the pointer away from other windows.
        if ((keyState & kMkAnyButton) == 0) {
            mWindow->ReleaseCapture();
        }
        break;
    case kWmCaptureChanged:
        if (static_cast<uintptr_t>(message.lParam) != mMainWindow) {
            MakeEvent(event, kEventPointerLost, 0, 0, 0, 0);
        }
        break;
    case kWmMouseHover:
        mHoverArmed = mWindow->TrackMouse(kTrackHover) ? 1 : 0;
        pointerEvent(kEventHover, 0, 0);
        break;
    case kWmKeyDown:
        MakeKeyDownEvent(message, event);
        break;
    case kWmKeyUp:
        // Key-up events carry the modifier keys as key-down events do.
        MakeEvent(event, kEventKeyUp, 0, 0, TranslateKeyCode(static_cast<uint32_t>(message.wParam)),
                  KeyModifiers(mWindow.get(), message.lParam));
        break;
    case kWmSysKeyDown:
        if (static_cast<uint32_t>(message.lParam) & kKeyAltBit) {
            MakeSystemKeyEvent(message, event);
        } else {
            MakeKeyDownEvent(message, event);
        }
        break;
    case kWmChar:
        MakeCharacterEvent(message, event);
        break;
    default:
        break;
    }
}

void TPlatform::MakeKeyDownEvent(const WindowMessage& message, TEvent& event) {
    uint32_t modifiers = KeyModifiers(mWindow.get(), message.lParam);
    // Insert counts only with shift alone (it pastes).
    if (message.wParam == kVkInsert && (modifiers & ~kModifierExtended) != kModifierShift) {
        return;
    }
    MakeEvent(event, kEventKeyDown, 0, 0, TranslateKeyCode(static_cast<uint32_t>(message.wParam)),
              modifiers);
}

void TPlatform::MakeSystemKeyEvent(const WindowMessage& message, TEvent& event) {
    if (message.wParam == kVkReturn) {
        // A host window without a page decides the window's size itself.
        if (mHosted && !mPageHosted) {
            return;
        }
        if (mPageHosted) {
            SetFullScreen(!IsFullScreen());
        } else if (TRenderer* renderer = Renderer()) {
            renderer->SetFullScreen(!renderer->IsFullScreen());
        }
        // With "-pq=" the host page's state is the one that changed.
        MakeEvent(event, kEventFullScreenToggle, 0, 0, IsFullScreen() ? 1 : 0, 0);
        return;
    }
    if (message.wParam == kVkF1) {
        if (TGraphics::Exists()) {
            TGraphics::Get()->ToggleOverlay();
            // Shown or taken away at once, not with the next change.
            if (mWindowManager) {
                mWindowManager->Invalidate();
            }
        }
        return;
    }
    uint32_t modifiers = kModifierAlt | KeyModifiers(mWindow.get(), message.lParam);
    MakeEvent(event, kEventKeyDown, 0, 0, static_cast<int32_t>(message.wParam), modifiers);
}

void TPlatform::MakeCharacterEvent(const WindowMessage& message, TEvent& event) {
    uint32_t unit = static_cast<uint32_t>(message.wParam);
    if (!mUnicode) {
        MakeEvent(event, kEventCharacter, 0, 0, static_cast<int32_t>(unit), 0);
        return;
    }
    if (unit >= kHighSurrogateFirst && unit <= kHighSurrogateLast) {
        mPendingHighSurrogate = unit;
        return;
    }
    if (unit >= kLowSurrogateFirst && unit <= kLowSurrogateLast) {
        if (mPendingHighSurrogate != 0) {
            uint32_t codePoint = mPendingHighSurrogate * 1024 + unit - kSurrogateOffset;
            mPendingHighSurrogate = 0;
            MakeEvent(event, kEventUnicodeCharacter, 0, 0, static_cast<int32_t>(codePoint), 0);
        }
        return;
    }
    MakeEvent(event, kEventUnicodeCharacter, 0, 0, static_cast<int32_t>(unit), 0);
}

void TPlatform::IdlePass(TEvent& event) {
    // Later starts of the program ask this one to come to the front; the
    // guard looks for them a few times a second, not on every pass.
    int front = mInstanceGuard.PollFrontRequestsAt(platform::TimerNow());
    if (front > 0) {
        mFrontRequests += front;
        if (mWindow && mWindow->IsCreated()) {
            mWindow->Show(ShowCommand::Restore);
            mWindow->SetForeground();
        }
    }
    // 1.
    TRenderer* renderer = Renderer();
    if (renderer && renderer->IsFullScreen() && mVisible && !mMinimizeRestorePending) {
        KeepOnTop();
    }
    // 2.
    if (mSoundManager) {
        mSoundManager->Update();
    }
    // 3.
    mTaskList.RunAll(0);
    ServeCursorRequests();
    // 4.
    MakeEvent(event, kEventIdle, 0, 0, 0, 0);
    static bool firstIdle = true;
    if (firstIdle) {
        firstIdle = false;
        TraceStartup("first idle");
    }
    // The debug overlay's figures change with every frame: while it is on,
    // the screen is never clean.
    if (mWindowManager && TGraphics::Exists() && TGraphics::Get()->IsOverlayOn()) {
        mWindowManager->Invalidate();
    }
    WaitForMessage(IdleWaitMs());
}

uint32_t TPlatform::IdleWaitMs() const {
    // Waking once a millisecond costs a good part of a core on its own, so
    // while nothing is due the pass sleeps until the soonest thing that is:
    // a task, the window manager's next frame, message or modal task, the
    // next look for front requests. Input ends the wait at once. Work that
    // tells no due time (the sound manager's end notices, cursor requests
    // of the helper thread) waits at most kLongestIdleWaitMs, or a frame
    // interval behind other windows.
    uint32_t frame =
        mWindowManager ? mWindowManager->FrameIntervalMs() : TWindowManager::kFrameIntervalMs;
    uint32_t wait = std::max(kLongestIdleWaitMs, frame);
    wait = std::min(wait, mTaskList.MsUntilReady());
    if (mWindowManager) {
        wait = std::min(wait, mWindowManager->MsUntilDue());
    }
    uint32_t now = platform::TimerNow();
    wait = std::min(wait, mInstanceGuard.MsUntilFrontPoll(now));
    if (mSessionReadyPending) {
        int32_t untilReady = static_cast<int32_t>(mSessionReadyDueMs - now);
        wait = std::min(wait, static_cast<uint32_t>(std::max(untilReady, 0)));
    }
    return std::max(wait, kIdleWaitMs);
}

void TPlatform::WaitForMessage(uint32_t ms) {
    if (mWindow && mWindow->IsCreated()) {
        mWindow->WaitMessage(ms);
    } else {
        platform::SleepMs(ms);
    }
}
