// The event pump: its steps in order, the message table, the pending flags,
// the activation filter, surrogate pairs, full-screen toggling, relative
// mouse mode, the suspend loop and the lost display, fed through the
// recording window.

#include "PumpFixture.h"

#include "framework/app/TEventPump.h"
#include "framework/host/TGameStateHandler.h"
#include "framework/sound/manager/TSoundManager.h"
#include "framework/ui/manager/TWindowManager.h"
#include "platform/window/VirtualKeys.h"

#include <sys/socket.h>

using namespace platform;

namespace {

// Says the game is suspended for a number of questions, then not.
class SuspendingHandler : public TGameStateHandler {
public:
    explicit SuspendingHandler(int times) : mTimes(times) {}
    bool OnSetState(const char*, const char*) override { return false; }
    bool QuerySuspendGame() override { return mTimes > 0 && mTimes-- > 0; }

private:
    int mTimes;
};

TEST(KeyCodes, TranslateKeyCode_EveryRowOfTheTable) {
    struct Case {
        uint32_t virtualKey;
        int32_t code;
    } cases[] = {
        {kVkUp, -128},
        {kVkDown, -127},
        {kVkLeft, -126},
        {kVkRight, -125},
        {kVkInsert, -124},
        {kVkPrior, -123},
        {kVkNext, -122},
        {kVkDelete, -1},
        {kVkNumpad0, '0'},
        {kVkNumpad0 + 1, '1'},
        {kVkNumpad0 + 5, '5'},
        {kVkNumpad0 + 9, '9'},
        {kVkMultiply, '*'},
        {kVkAdd, '+'},
        {kVkOemPlus, '+'},
        {kVkSeparator, 10},
        {kVkSubtract, '-'},
        {kVkOemMinus, '-'},
        {kVkDecimal, '.'},
        {kVkOemPeriod, '.'},
        {kVkDivide, '/'},
        {kVkOem2, '/'},
        {kVkOem1, ';'},
        {kVkOemComma, ','},
        {kVkOem3, '`'},
        {kVkOem4, '['},
        {kVkOem5, '\\'},
        {kVkOem6, ']'},
        {kVkOem7, '\''},
        // Unchanged.
        {kVkReturn, kKeyEnter},
        {kVkEscape, kKeyEscape},
        {kVkTab, kKeyTab},
        {kVkBack, kKeyBackspace},
        {kVkHome, 36},
        {kVkEnd, 35},
        {'A', 65},
        {'Z', 90},
        {'0', 48},
        {'9', 57},
        {kVkF1, 0x70},
        {kVkSpace, 32},
        {kVkShift, 0x10},
        {kVkOem102, 0xE2},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TranslateKeyCode(c.virtualKey), c.code) << std::hex << c.virtualKey;
    }
}

TEST(KeyCodes, MouseKeyModifiers_ShiftAndControlOnly) {
    struct Case {
        uint32_t keyState;
        uint32_t modifiers;
    } cases[] = {
        {0, 0},
        {kMkShift, kModifierShift},
        {kMkControl, kModifierControl},
        {kMkShift | kMkControl, kModifierShift | kModifierControl},
        {kMkLButton | kMkRButton | kMkMButton | kMkXButton1 | kMkXButton2, 0},
        {kMkLButton | kMkControl, kModifierControl},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MouseKeyModifiers(c.keyState), c.modifiers) << c.keyState;
    }
}

TEST_F(PumpFixture, FirstCall_BroadcastsLoadThenSessionReadyHalfASecondLaterWithoutSleeping) {
    // The first call does not hold the loop: it comes back with an idle
    // event at once, and nothing sleeps the half second.
    EXPECT_EQ(mFirst.type, kEventIdle);
    for (uint32_t sleep : mProcess.GetSleeps()) {
        EXPECT_LT(sleep, 500u) << "the first call slept through the session-ready delay";
    }
    EXPECT_EQ(State("loadbroadcast"), "0");
    EXPECT_EQ(State("sessionready"), "") << "ready before its time";
    // The idle wait ends in time for the broadcast.
    Next();
    ASSERT_FALSE(mWindow->WaitTimeouts().empty());
    EXPECT_LE(mWindow->WaitTimeouts().back(), 500u);
    mClock.Advance(499);
    Next();
    EXPECT_EQ(State("sessionready"), "");
    mClock.Advance(1);
    Next();
    EXPECT_EQ(State("sessionready"), "0");
    // Set once: a later change of the state is not overwritten.
    TGameState::GetInstance()->SetState("sessionready", "x");
    mClock.Advance(10000);
    Next();
    EXPECT_EQ(State("sessionready"), "x");
}

TEST_F(PumpFixture, EmptyQueue_IdleAfterSoundUpdateTaskPassAndA1msWait) {
    int runs = 0;
    mApplication->AddTask(new CountingTask(runs));
    mApplication->InitSoundManager();
    size_t waits = mWindow->WaitCount();
    for (int i = 1; i <= 3; ++i) {
        TEvent event = Next();
        EXPECT_EQ(event.type, kEventIdle);
        EXPECT_EQ(event.code, 0);
        EXPECT_EQ(runs, i);
        EXPECT_EQ(mApplication->GetSoundManager()->GetUpdateCount(), static_cast<uint32_t>(i));
        EXPECT_EQ(mWindow->WaitCount(), waits + i);
        EXPECT_EQ(mWindow->WaitTimeouts().back(), 1u) << "the idle wait is at most 1 ms";
    }
}

TEST_F(PumpFixture, PendingFlags_OneEventPerCallInOrder) {
    TPlatform* p = mPlatformObject;
    p->mMinimizeRestorePending = 1;
    p->mVisible = 0;
    p->mDisplayResetPending = 1;
    p->mPaintPending = 1;
    p->mActivationChangePending = 1;
    p->mActive = 0;
    p->mCloseRequestPending = 1;
    p->mPointerLeftPending = 1;
    mWindow->SetPointerPosition(12, 34, true);
    struct Expected {
        uint32_t type;
        int32_t code;
        int32_t x;
        int32_t y;
    } expected[] = {
        {kEventActivation, 0, 0, 0}, {kEventDisplayReset, 0, 0, 0}, {kEventPaint, 0, 0, 0},
        {kEventActivation, 0, 0, 0}, {kEventCloseRequest, 0, 0, 0}, {kEventPointerLost, 0, 12, 34},
        {kEventIdle, 0, 0, 0},
    };
    for (const Expected& e : expected) {
        TEvent event = Next();
        EXPECT_EQ(event.type, e.type) << Describe(event);
        EXPECT_EQ(event.code, e.code) << Describe(event);
        EXPECT_EQ(event.x, e.x);
        EXPECT_EQ(event.y, e.y);
    }
    EXPECT_EQ(mRenderer->GetWorkingCount(), 0) << "a hidden window resets the good frames";
}

TEST_F(PumpFixture, MessageTable_EveryRow) {
    struct Case {
        const char* name;
        uint32_t message;
        uintptr_t wParam;
        intptr_t lParam;
        bool shift;
        bool control;
        uint32_t type;
        int32_t code;
        int32_t x;
        int32_t y;
        uint32_t modifiers;
    } cases[] = {
        {"quit", kWmQuit, 0, 0, false, false, kEventQuit, 0, 0, 0, 0},
        {"paint", kWmPaint, 0, 0, false, false, kEventPaint, 0, 0, 0, 0},
        {"move", kWmMouseMove, 0, MakeLParam(1, 2), false, false, kEventPointerMove, 0, 30, 40, 0},
        {"left down", kWmLButtonDown, kMkLButton | kMkShift, 0, false, false, kEventLeftButtonDown,
         0, 30, 40, 1},
        {"right down", kWmRButtonDown, kMkRButton | kMkControl, 0, false, false, kEventOtherButton,
         1, 30, 40, 2},
        {"middle down", kWmMButtonDown, kMkMButton, 0, false, false, kEventOtherButton, 3, 30, 40,
         0},
        {"x1 down", kWmXButtonDown, kMkXButton1 | kMkShift, 0, false, false, kEventOtherButton, 4,
         30, 40, 0},
        {"x2 down", kWmXButtonDown, kMkXButton2, 0, false, false, kEventOtherButton, 5, 30, 40, 0},
        {"x down naming no button", kWmXButtonDown, 0, 0, false, false, kEventNothing, 0, 0, 0, 0},
        {"wheel forward", kWmMouseWheel, MakeWParam(kMkShift, 120), 0, false, false,
         kEventOtherButton, 6, 30, 40, 1},
        {"wheel back", kWmMouseWheel, MakeWParam(0, static_cast<uint32_t>(-120)), 0, false, false,
         kEventOtherButton, 7, 30, 40, 0},
        {"left up", kWmLButtonUp, kMkShift, 0, false, false, kEventLeftButtonUp, 0, 30, 40, 0},
        {"right up", kWmRButtonUp, 0, 0, false, false, kEventOtherButton, 0, 30, 40, 0},
        {"middle up", kWmMButtonUp, 0, 0, false, false, kEventOtherButton, 2, 30, 40, 0},
        {"x up", kWmXButtonUp, 0, 0, false, false, kEventNothing, 0, 0, 0, 0},
        {"capture to another", kWmCaptureChanged, 0, 0, false, false, kEventPointerLost, 0, 0, 0,
         0},
        {"capture to us", kWmCaptureChanged, 0, 1, false, false, kEventNothing, 0, 0, 0, 0},
        {"hover", kWmMouseHover, 0, 0, false, false, kEventHover, 0, 30, 40, 0},
        {"key A", kWmKeyDown, 'A', 0, false, false, kEventKeyDown, 65, 0, 0, 0},
        {"shift A", kWmKeyDown, 'A', 0, true, false, kEventKeyDown, 65, 0, 0, 1},
        {"ctrl shift A", kWmKeyDown, 'A', 0, true, true, kEventKeyDown, 65, 0, 0, 3},
        {"extended left", kWmKeyDown, kVkLeft, kKeyExtendedBit, false, false, kEventKeyDown, -126,
         0, 0, 8},
        {"numpad 5", kWmKeyDown, kVkNumpad0 + 5, 0, false, false, kEventKeyDown, '5', 0, 0, 0},
        {"key up", kWmKeyUp, kVkUp, kKeyExtendedBit, false, false, kEventKeyUp, -128, 0, 0, 8},
        {"key up with shift", kWmKeyUp, 'B', 0, true, false, kEventKeyUp, 66, 0, 0, 1},
        {"alt A", kWmSysKeyDown, 'A', kKeyAltBit, false, false, kEventKeyDown, 65, 0, 0, 4},
        {"alt ctrl A", kWmSysKeyDown, 'A', kKeyAltBit, false, true, kEventKeyDown, 65, 0, 0, 6},
        {"alt left", kWmSysKeyDown, kVkLeft, kKeyAltBit | kKeyExtendedBit, false, false,
         kEventKeyDown, 37, 0, 0, 12},
        {"F10 without alt", kWmSysKeyDown, kVkF1 + 9, 0, false, false, kEventKeyDown, 0x79, 0, 0,
         0},
        {"shift insert", kWmKeyDown, kVkInsert, kKeyExtendedBit, true, false, kEventKeyDown, -124,
         0, 0, 9},
        {"insert alone", kWmKeyDown, kVkInsert, kKeyExtendedBit, false, false, kEventNothing, 0, 0,
         0, 0},
        {"ctrl shift insert", kWmKeyDown, kVkInsert, 0, true, true, kEventNothing, 0, 0, 0, 0},
        {"character", kWmChar, 'a', 0, false, false, kEventUnicodeCharacter, 97, 0, 0, 0},
        {"character e acute", kWmChar, 0xE9, 0, true, false, kEventUnicodeCharacter, 0xE9, 0, 0, 0},
        {"timer", kWmTimer, 0, 0, false, false, kEventNothing, 0, 0, 0, 0},
        {"user", kWmUser, 5, 0, false, false, kEventNothing, 0, 0, 0, 0},
        {"sys key up", kWmSysKeyUp, 'A', kKeyAltBit, false, false, kEventNothing, 0, 0, 0, 0},
        {"sys char", kWmSysChar, 'a', kKeyAltBit, false, false, kEventNothing, 0, 0, 0, 0},
    };
    mWindow->SetPointerPosition(30, 40, true);
    for (const Case& c : cases) {
        mWindow->SetKeyDown(kVkShift, c.shift);
        mWindow->SetKeyDown(kVkControl, c.control);
        Feed(c.message, c.wParam, c.lParam);
        TEvent event;
        MakeEvent(event, kEventLeftButtonDown, 7, 7, 7, 7);
        mApplication->GetEvent(event);
        EXPECT_EQ(event.type, c.type) << c.name << " " << Describe(event);
        EXPECT_EQ(event.code, c.code) << c.name << " " << Describe(event);
        EXPECT_EQ(event.x, c.x) << c.name;
        EXPECT_EQ(event.y, c.y) << c.name;
        EXPECT_EQ(event.modifiers, c.modifiers) << c.name;
        Drain();
    }
}

// The extra button pressed is the one the message names, even while the
// other one is held.
TEST_F(PumpFixture, ExtraButtons_TheOnePressedWhileTheOtherIsHeld) {
    mWindow->SetPointerPosition(5, 6, true);
    Feed(kWmXButtonDown, MakeWParam(kMkXButton1, kXButton1));
    TEvent event = Next();
    EXPECT_EQ(event.type, kEventOtherButton);
    EXPECT_EQ(event.code, 4);
    Feed(kWmXButtonDown, MakeWParam(kMkXButton1 | kMkXButton2, kXButton2));
    event = Next();
    EXPECT_EQ(event.type, kEventOtherButton);
    EXPECT_EQ(event.code, 5);
    Feed(kWmXButtonDown, MakeWParam(kMkXButton1 | kMkXButton2, kXButton1));
    EXPECT_EQ(Next().code, 4);
}

// An extra-button press takes the capture; letting go of the last button
// held gives it back, since a kept capture holds the pointer away from
// every other window.
TEST_F(PumpFixture, ExtraButtons_TheCaptureEndsWithTheLastButtonUp) {
    Feed(kWmXButtonDown, MakeWParam(kMkXButton1, kXButton1));
    EXPECT_EQ(Next().type, kEventOtherButton);
    EXPECT_TRUE(mWindow->HasCapture());
    Feed(kWmXButtonDown, MakeWParam(kMkXButton1 | kMkXButton2, kXButton2));
    Next();
    Feed(kWmXButtonUp, MakeWParam(kMkXButton1, kXButton2));
    EXPECT_EQ(Next().type, kEventNothing);
    EXPECT_TRUE(mWindow->HasCapture()) << "the first extra button is still held";
    Feed(kWmXButtonUp, MakeWParam(0, kXButton1));
    EXPECT_EQ(Next().type, kEventNothing);
    EXPECT_FALSE(mWindow->HasCapture());
}

TEST_F(PumpFixture, NothingNeverHandsBackTheCallersRecord) {
    TEvent event;
    MakeEvent(event, kEventLeftButtonDown, 50, 60, 0, 1);
    Feed(kWmXButtonDown, 0);
    mApplication->GetEvent(event);
    EXPECT_EQ(event.type, kEventNothing) << Describe(event);
    EXPECT_EQ(event.x, 0);
    EXPECT_EQ(event.y, 0);
    EXPECT_EQ(event.modifiers, 0u);
}

TEST_F(PumpFixture, EightBitCharactersCarryNoModifiers) {
    mPlatformObject->mUnicode = 0;
    mWindow->SetKeyDown(kVkShift, true);
    Feed(kWmChar, 'Q');
    TEvent event = Next();
    EXPECT_EQ(event.type, kEventCharacter);
    EXPECT_EQ(event.code, 'Q');
    EXPECT_EQ(event.modifiers, 0u);
}

TEST_F(PumpFixture, SurrogatePair_NothingThenTheCodePoint) {
    Feed(kWmChar, 0xD83D);
    Feed(kWmChar, 0xDE00);
    Feed(kWmChar, 0xDE00); // a low half without its high one
    TEvent event = Next();
    EXPECT_EQ(event.type, kEventNothing);
    event = Next();
    EXPECT_EQ(event.type, kEventUnicodeCharacter);
    EXPECT_EQ(event.code, 0x1F600);
    event = Next();
    EXPECT_EQ(event.type, kEventNothing);
}

TEST_F(PumpFixture, ActivationClick_FiltersButtonsFor400ms) {
    mWindow->SetPointerPosition(5, 6, true);
    // The click that activates the window: its down and up give nothing.
    Feed(kWmMouseActivate, 0, MakeLParam(kHtClient, kWmLButtonDown));
    Feed(kWmLButtonDown, kMkLButton);
    EXPECT_EQ(Next().type, kEventNothing);
    mClock.Advance(100);
    Feed(kWmMouseWheel, MakeWParam(0, 120));
    EXPECT_EQ(Next().type, kEventNothing) << "the wheel within 400 ms";
    Feed(kWmLButtonUp, 0);
    EXPECT_EQ(Next().type, kEventNothing);
    // The up cleared the filter: the next click counts even within 400 ms.
    Feed(kWmLButtonDown, kMkLButton);
    EXPECT_EQ(Next().type, kEventLeftButtonDown);
    Feed(kWmLButtonUp, 0);
    EXPECT_EQ(Next().type, kEventLeftButtonUp);

    // A click 400 ms or later after activation counts; 399 ms is still
    // the activating click.
    Feed(kWmMouseActivate, 0, MakeLParam(kHtClient, kWmLButtonDown));
    Drain();
    mClock.Advance(399);
    Feed(kWmMButtonDown, kMkMButton);
    EXPECT_EQ(Next().type, kEventNothing) << "399 ms after activation";
    mClock.Advance(1);
    Feed(kWmLButtonDown, kMkLButton);
    EXPECT_EQ(Next().type, kEventLeftButtonDown);

    // The background mode turns the filter off.
    Feed(kWmMouseActivate, 0, MakeLParam(kHtClient, kWmLButtonDown));
    Drain();
    mApplication->GetWindowManager()->mBackgroundMode = 1;
    Feed(kWmRButtonDown, kMkRButton);
    EXPECT_EQ(Next().type, kEventOtherButton);
    mApplication->GetWindowManager()->mBackgroundMode = 0;
}

TEST_F(PumpFixture, InputBlocked_ButtonsAndWheelMakeNothing) {
    mApplication->GetWindowManager()->mInputBlocked = 1;
    for (uint32_t message : {kWmLButtonDown, kWmLButtonUp, kWmRButtonDown, kWmMButtonUp,
                             kWmMouseWheel, kWmXButtonDown}) {
        Feed(message, kMkXButton1);
        EXPECT_EQ(Next().type, kEventNothing) << MessageName(message);
    }
    Feed(kWmMouseMove);
    EXPECT_EQ(Next().type, kEventPointerMove) << "moves still count";
}

TEST_F(PumpFixture, MinimiseThenRestore_TwoActivationEvents) {
    Feed(kWmSize, kSizeMinimized);
    TEvent event = Next();
    // The size message goes to the window procedure; its flag is served on
    // the next call.
    EXPECT_EQ(event.type, kEventIdle);
    event = Next();
    EXPECT_EQ(event.type, kEventActivation);
    EXPECT_EQ(event.code, 0);
    Feed(kWmSize, kSizeRestored, MakeLParam(1024, 768));
    Next();
    event = Next();
    EXPECT_EQ(event.type, kEventActivation);
    EXPECT_EQ(event.code, 1);
    EXPECT_EQ(Next().type, kEventIdle);
}

// What the window sends when it is minimised and restored: it is parked
// off screen, its size message comes, and it loses or gains the focus.
TEST_F(PumpFixture, MinimiseThenRestore_WindowSequence_OneEventEach) {
    auto collect = [&]() {
        std::vector<int32_t> codes;
        for (TEvent event = Next(); event.type != kEventIdle; event = Next()) {
            if (event.type == kEventActivation) {
                codes.push_back(event.code);
            }
        }
        return codes;
    };
    WindowMessage position;
    position.message = kWmWindowPosChanged;
    position.position = {-32000, -32000, 160, 28};
    mWindow->Inject(position);
    Feed(kWmSize, kSizeMinimized);
    Feed(kWmActivateApp, 0);
    EXPECT_EQ(collect(), (std::vector<int32_t>{}));
    EXPECT_EQ(collect(), (std::vector<int32_t>{0}));
    position.position = {0, 0, 1024, 768};
    mWindow->Inject(position);
    Feed(kWmSize, kSizeRestored, MakeLParam(1024, 768));
    Feed(kWmActivateApp, 1);
    EXPECT_EQ(collect(), (std::vector<int32_t>{}));
    EXPECT_EQ(collect(), (std::vector<int32_t>{1}));

    // The other order: minimised first, then the focus goes.
    mRenderer->PresentFrame(1, 1);
    ASSERT_GT(mRenderer->GetWorkingCount(), 0);
    Feed(kWmSize, kSizeMinimized);
    Feed(kWmActivateApp, 0);
    collect();
    EXPECT_EQ(collect(), (std::vector<int32_t>{0}));
    EXPECT_EQ(mRenderer->GetWorkingCount(), 0) << "a hidden window resets the good frames";
    Feed(kWmActivateApp, 1);
    collect();
    EXPECT_EQ(collect(), (std::vector<int32_t>{1}));
}

TEST_F(PumpFixture, MinimiseAndRestoreBeforeThePumpLooked_NoEvent) {
    Feed(kWmSize, kSizeMinimized);
    Feed(kWmSize, kSizeMaximized);
    EXPECT_EQ(Next().type, kEventIdle);
    EXPECT_EQ(Next().type, kEventIdle);
}

TEST_F(PumpFixture, ParkedOffScreen_DeactivatedOnceReactivatedOnce) {
    auto collect = [&]() {
        std::vector<int32_t> codes;
        for (TEvent event = Next(); event.type != kEventIdle; event = Next()) {
            EXPECT_EQ(event.type, kEventActivation) << Describe(event);
            codes.push_back(event.code);
        }
        return codes;
    };
    WindowMessage parked;
    parked.message = kWmWindowPosChanged;
    parked.position = {-32000, -32000, 160, 28};
    mWindow->Inject(parked);
    EXPECT_EQ(Next().type, kEventIdle);
    // One change, one event.
    EXPECT_EQ(collect(), (std::vector<int32_t>{0}));
    EXPECT_EQ(mPlatformObject->mHidden, 1);
    mWindow->Inject(parked);
    EXPECT_EQ(Next().type, kEventIdle);
    EXPECT_TRUE(collect().empty()) << "parked again is no new change";
    WindowMessage back = parked;
    back.position = {0, 0, 1024, 768};
    mWindow->Inject(back);
    EXPECT_EQ(Next().type, kEventIdle);
    EXPECT_EQ(collect(), (std::vector<int32_t>{1}));
    EXPECT_EQ(mPlatformObject->mHidden, 0);
}

TEST_F(PumpFixture, AltTabAwayFromFullScreen_HidesAndComesBack) {
    ASSERT_TRUE(mApplication->SetFullScreen(true));
    Feed(kWmActivateApp, 0);
    EXPECT_EQ(Next().type, kEventIdle);
    EXPECT_EQ(mPlatformObject->mHidden, 1);
    TEvent event = Next();
    EXPECT_EQ(event.type, kEventActivation);
    EXPECT_EQ(event.code, 0);
    // One activation event; the idle pass does not pull an inactive window up.
    mWindow->ClearCalls();
    EXPECT_EQ(Next().type, kEventIdle);
    EXPECT_EQ(mWindow->CountCalls("SetForeground"), 0u);
    Feed(kWmActivateApp, 1);
    Next();
    EXPECT_EQ(mPlatformObject->mHidden, 0);
    event = Next();
    EXPECT_EQ(event.type, kEventActivation);
    EXPECT_EQ(event.code, 1);
    EXPECT_EQ(Next().type, kEventIdle) << "coming back is one event too";
}

TEST_F(PumpFixture, AltEnter_TogglesFullScreen) {
    Feed(kWmSysKeyDown, kVkReturn, kKeyAltBit);
    TEvent event = Next();
    EXPECT_EQ(event.type, kEventFullScreenToggle);
    EXPECT_EQ(event.code, 1);
    EXPECT_TRUE(mRenderer->IsFullScreen());
    EXPECT_TRUE(mWindow->IsFullScreen());
    Feed(kWmSysKeyDown, kVkReturn, kKeyAltBit);
    event = Next();
    EXPECT_EQ(event.type, kEventFullScreenToggle);
    EXPECT_EQ(event.code, 0);
    EXPECT_FALSE(mWindow->IsFullScreen());
}

TEST_F(PumpFixture, AltF1_TogglesTheOverlayWithoutAnEvent) {
    bool before = TGraphics::Get()->IsOverlayOn();
    Feed(kWmSysKeyDown, kVkF1, kKeyAltBit);
    EXPECT_EQ(Next().type, kEventNothing);
    EXPECT_NE(TGraphics::Get()->IsOverlayOn(), before);
}

TEST_F(PumpFixture, AltF4_AsksTheWindowToClose) {
    Feed(kWmSysKeyDown, kVkF1 + 3, kKeyAltBit);
    TEvent event = Next();
    EXPECT_EQ(event.type, kEventKeyDown);
    EXPECT_EQ(event.code, kVkF1 + 3);
    EXPECT_EQ(Next().type, kEventIdle) << "the close message went to the window procedure";
    EXPECT_EQ(Next().type, kEventCloseRequest);
}

TEST_F(PumpFixture, Close_OneCloseRequestAndTheWindowStays) {
    Feed(kWmClose);
    EXPECT_EQ(Next().type, kEventIdle);
    EXPECT_EQ(Next().type, kEventCloseRequest);
    EXPECT_EQ(Next().type, kEventIdle);
    EXPECT_TRUE(mWindow->IsCreated());
    EXPECT_EQ(mWindow->CountCalls("Destroy"), 0u);
}

TEST_F(PumpFixture, UserMessage_BecomesTheWindowMessageState) {
    Feed(kWmUser, 42);
    EXPECT_EQ(Next().type, kEventNothing);
    EXPECT_EQ(State("windowmessage"), "42");
}

TEST_F(PumpFixture, Paint_EventFromTheMessageAndFromTheWindowProcedure) {
    Feed(kWmPaint);
    EXPECT_EQ(Next().type, kEventPaint);
    EXPECT_TRUE(mApplication->GetWindowManager()->IsDirty());
    EXPECT_EQ(Next().type, kEventPaint);
    EXPECT_EQ(Next().type, kEventIdle);
}

TEST_F(PumpFixture, PointerMove_ArmsHoverAndLeaveTracking) {
    mWindow->SetPointerPosition(8, 9, true);
    Feed(kWmMouseMove, 0, MakeLParam(8, 9));
    TEvent event = Next();
    EXPECT_EQ(event.type, kEventPointerMove);
    EXPECT_EQ(mWindow->CountCalls("TrackMouse 0x1"), 1u);
    EXPECT_EQ(mWindow->CountCalls("TrackMouse 0x2"), 1u);
    EXPECT_EQ(mPlatformObject->mHoverArmed, 1);
    EXPECT_EQ(mPlatformObject->mLeaveArmed, 1);
    Feed(kWmMouseMove, 0, MakeLParam(8, 9));
    Next();
    EXPECT_EQ(mWindow->CountCalls("TrackMouse"), 2u) << "armed tracking is not armed again";
    // Leaving: the window procedure sets the pointer-left flag.
    Feed(kWmMouseLeave);
    Next();
    event = Next();
    EXPECT_EQ(event.type, kEventPointerLost);
    EXPECT_EQ(event.x, 8);
    EXPECT_EQ(event.y, 9);
    EXPECT_EQ(mPlatformObject->mLeaveArmed, 0);
}

TEST_F(PumpFixture, RelativeMouseMode_OffsetsAndThePointerGoesBack) {
    mPlatformObject->mMouseMode = 1;
    mPlatformObject->mRelativeReferenceX = 100;
    mPlatformObject->mRelativeReferenceY = 100;
    mWindow->SetPointerPosition(110, 95, true);
    Feed(kWmMouseMove);
    TEvent event = Next();
    EXPECT_EQ(event.type, kEventPointerMove);
    EXPECT_EQ(event.x, 10);
    EXPECT_EQ(event.y, -5);
    EXPECT_EQ(mWindow->CountCalls("WarpPointer 100,100"), 1u);
    // Back at the reference: no move, and not the previous event again.
    Feed(kWmMouseMove);
    event = Next();
    EXPECT_EQ(event.type, kEventNothing) << Describe(event);
    EXPECT_EQ(event.x, 0);
}

TEST_F(PumpFixture, Quit_AfterTheQueueIsEmpty) {
    mApplication->PostQuit(0);
    Feed(kWmKeyDown, 'A');
    EXPECT_EQ(Next().type, kEventKeyDown);
    EXPECT_EQ(Next().type, kEventQuit);
    EXPECT_EQ(Next().type, kEventIdle);
}

TEST_F(PumpFixture, Destroy_PostsQuit) {
    Feed(kWmDestroy);
    EXPECT_EQ(Next().type, kEventQuit);
}

TEST_F(PumpFixture, SuspendLoop_OnlyDispatchesMessages) {
    TGameState::AddHandler(new SuspendingHandler(3));
    Feed(kWmUser, 7);
    Feed(kWmKeyDown, 'A');
    size_t sleeps = mProcess.GetSleeps().size();
    TEvent event = Next();
    // Three suspended passes took the two messages without events.
    EXPECT_EQ(State("windowmessage"), "7");
    EXPECT_EQ(event.type, kEventIdle) << Describe(event);
    std::vector<uint32_t> all = mProcess.GetSleeps();
    ASSERT_GE(all.size(), sleeps + 3);
    for (size_t i = sleeps; i < sleeps + 3; ++i) {
        EXPECT_EQ(all[i], 1u);
    }
}

TEST_F(PumpFixture, SuspendLoop_QuitEndsIt) {
    TGameState::AddHandler(new SuspendingHandler(1000000));
    mApplication->PostQuit(0);
    EXPECT_EQ(Next().type, kEventQuit);
}

TEST_F(PumpFixture, LostDisplay_RestoredInsideThePump) {
    mRenderer->LoseDevice();
    EXPECT_EQ(Next().type, kEventNothing);
    EXPECT_EQ(mRenderer->GetRestoreCount(), 1);
    EXPECT_TRUE(mRenderer->IsDeviceValid());
    EXPECT_EQ(Next().type, kEventIdle);
}

TEST_F(PumpFixture, LostDisplay_WaitsWhileItStaysLostAndStillQuits) {
    mRenderer->LoseDevice();
    mRenderer->FailRestore(true);
    Feed(kWmKeyDown, 'A');
    size_t waits = mWindow->WaitCount();
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(Next().type, kEventNothing);
    }
    EXPECT_EQ(mWindow->WaitCount(), waits + 3);
    EXPECT_EQ(mWindow->WaitTimeouts().back(), 5u);
    mApplication->PostQuit(0);
    EXPECT_EQ(Next().type, kEventQuit);
    mRenderer->FailRestore(false);
    EXPECT_EQ(Next().type, kEventNothing);
    EXPECT_EQ(Next().type, kEventKeyDown) << "the queue waited";
}

TEST_F(PumpFixture, LostDisplay_HiddenWindowKeepsTakingMessages) {
    mRenderer->LoseDevice();
    mRenderer->FailRestore(true);
    mPlatformObject->mHidden = 1;
    Feed(kWmKeyDown, 'A');
    EXPECT_EQ(Next().type, kEventKeyDown);
    mPlatformObject->mPaintPending = 1;
    int restores = mRenderer->GetRestoreCount();
    EXPECT_EQ(Next().type, kEventPaint);
    EXPECT_EQ(mRenderer->GetRestoreCount(), restores) << "hidden: no restore after paint";
    mPlatformObject->mHidden = 0;
    mPlatformObject->mPaintPending = 1;
    mPlatformObject->mMinimizeRestorePending = 1;
    mPlatformObject->mVisible = 1;
    EXPECT_EQ(Next().type, kEventActivation);
}

} // namespace
