#include "framework/ui/manager/TWindowManager.h"

#include "framework/app/AppFixture.h"
#include "framework/app/TApplicationWindowHost.h"
#include "framework/core/settings/TSettings.h"
#include "framework/graphics/TRenderer.h"
#include "framework/script/message/TMessage.h"
#include "framework/ui/WindowFixture.h"
#include "framework/ui/script/TWindowScript.h"
#include "framework/ui/window/TScreen.h"
#include "framework/ui/window/TWindowAnim.h"
#include "platform/graphics/null/NullGraphicsSystem.h"
#include "platform/time/manual/ManualTimeSource.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A window that pops its dialog when pressed, and notes whether it is
// still there afterwards.
class ClosingButton : public RecordingWindow {
public:
    using RecordingWindow::RecordingWindow;
    bool OnMouseDown(TPoint p) override {
        RecordingWindow::OnMouseDown(p);
        TWindowManager::Instance()->DoPopModal(dialogName);
        return true;
    }
    TString dialogName;
};

// A captured window that lets the capture go when the pointer leaves it.
class CapturingWindow : public RecordingWindow {
public:
    using RecordingWindow::RecordingWindow;
    bool OnMouseExit() override {
        RecordingWindow::OnMouseExit();
        TWindowManager::Instance()->RemoveCapture(this);
        return true;
    }
};

class Manager : public ::testing::Test {
protected:
    void SetUp() override {
        ClearSettings();
        manager = MakeTestManager(host, script);
        manager->AddMessageHandler(new MessageRecorder(seen));
        screen = new RecordingModal("screen", log, TRect(0, 0, 640, 480));
        manager->SetMainWindow(screen);
    }
    void TearDown() override {
        manager.reset();
        ClearSettings();
    }

    RecordingModal* Push(const char* name, TRect rect = TRect(100, 100, 300, 300)) {
        auto* modal = new RecordingModal(name, log, rect);
        manager->PushModal(modal);
        return modal;
    }
    RecordingWindow* Add(TWindow* parent, RecordingWindow* window) {
        parent->AddChild(window, false);
        return window;
    }
    bool Logged(const std::string& line) const {
        return std::find(log.begin(), log.end(), line) != log.end();
    }
    std::vector<std::string> StackNames() const {
        std::vector<std::string> names;
        for (TWindow* window : manager->GetModalStack())
            names.push_back(window->GetName().ToStd());
        return names;
    }

    platform::ManualTimeSource clock{50000};
    platform::ScopedTimeSource clockScope{clock};
    std::vector<std::string> log;
    std::vector<std::string> seen;
    std::unique_ptr<TWindowManager> manager;
    TestWindowHost* host = nullptr;
    TWindowScript* script = nullptr;
    RecordingModal* screen = nullptr;
};

TEST_F(Manager, Init_PutsTheScriptInTheTaskListAndLetsItGoAtTheEnd) {
    EXPECT_TRUE(host->tasks.Contains(script));
    EXPECT_EQ(script->GetCurrentWindow(), screen);
    ASSERT_TRUE(script->DoLuaString("SetTopModalOnly(true)"));
    EXPECT_EQ(manager->mTopModalOnly, 1);
    ASSERT_TRUE(script->DoLuaString("SetTopModalOnly(false)"));
    EXPECT_EQ(manager->mTopModalOnly, 0);
    // Both the task list and the manager hold the script; the manager
    // takes it out of the list before deleting it.
    manager.reset();
    EXPECT_EQ(TWindowManager::Instance(), nullptr);
}

TEST_F(Manager, PushAndPop_KeepTheStackFocusScriptAndClocks) {
    RecordingModal* first = Push("first");
    EXPECT_EQ(manager->GetTopModal(), first);
    EXPECT_EQ(first->GetParent(), screen);
    EXPECT_TRUE(screen->GetClock().IsPaused());
    EXPECT_FALSE(first->GetClock().IsPaused());
    EXPECT_EQ(manager->GetFocus(), first);
    EXPECT_EQ(script->GetCurrentWindow(), first);
    RecordingModal* second = Push("second", TRect());
    EXPECT_EQ(second->GetRect(), TRect(0, 0, 200, 200))
        << "a window without a size takes its parent's";
    EXPECT_EQ(StackNames(), (std::vector<std::string>{"second", "first", "screen"}));
    manager->PopModal();
    EXPECT_EQ(StackNames(), (std::vector<std::string>{"first", "screen"}));
    EXPECT_EQ(manager->GetFocus(), first);
    EXPECT_EQ(script->GetCurrentWindow(), first);
    EXPECT_TRUE(Logged("second:popped"));
    EXPECT_FALSE(Logged("second:deleted")) << "deleted at the next event";
    EXPECT_EQ(first->GetChildCount(), 0u);
    manager->HandleEvent(MakeTestEvent(kEventIdle));
    EXPECT_TRUE(Logged("second:deleted"));
    // kModalClosed named with its id reaches the handler.
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back().substr(0, 2), "6:");
}

TEST_F(Manager, DoPopModal_PopsDownToTheNameOrIdAndRestartsTheClock) {
    RecordingModal* a = Push("a");
    Push("b");
    RecordingModal* c = Push("c");
    manager->DoPopModal("b");
    EXPECT_EQ(StackNames(), (std::vector<std::string>{"a", "screen"}));
    EXPECT_FALSE(a->GetClock().IsPaused());
    c = Push("c");
    manager->DoPopModal(c->GetIdString());
    EXPECT_EQ(StackNames(), (std::vector<std::string>{"a", "screen"}));
    a->GetClock().Pause();
    manager->DoPopModal("nothing");
    EXPECT_EQ(StackNames(), (std::vector<std::string>{"a", "screen"}));
    EXPECT_FALSE(a->GetClock().IsPaused()) << "no match pops nothing but restarts the clock";
}

TEST_F(Manager, PoppingTheMainWindowClearsIt) {
    manager->DoPopModal("screen");
    EXPECT_EQ(manager->GetMainWindow(), nullptr);
    EXPECT_EQ(manager->GetModalDepth(), 0u);
    EXPECT_EQ(script->GetCurrentWindow(), nullptr);
    EXPECT_EQ(manager->GetScreenRect(), TRect());
    manager->HandleEvent(MakeTestEvent(kEventIdle));
    EXPECT_TRUE(Logged("screen:deleted"));
    // An empty stack makes every event a no-op.
    manager->HandleEvent(MakeTestEvent(kEventLeftButtonDown, 5, 5));
}

TEST_F(Manager, APushWhileAWindowHoldsThePointerSendsItExitFirst) {
    RecordingWindow* button = Add(screen, new RecordingWindow("button", log, TRect(0, 0, 50, 50)));
    manager->AddCapture(button);
    manager->AddCapture(button);
    EXPECT_EQ(manager->GetCaptures().size(), 1u);
    log.clear();
    Push("dialog");
    EXPECT_EQ(log.front(), "button:exit(0,0)");
    EXPECT_TRUE(manager->GetCaptures().empty());
}

TEST_F(Manager, AWindowClosedDuringAnEventLivesUntilTheNext) {
    RecordingModal* dialog = Push("dialog");
    auto* close = new ClosingButton("close", log, TRect(10, 10, 60, 60));
    close->dialogName = "dialog";
    dialog->AddChild(close, false);
    RecordingWindow* label =
        Add(dialog, new RecordingWindow("label", log, TRect(100, 100, 150, 150)));
    manager->PostMessage(new TMessage(TMessage::kUserMessageBase, "for label", label));
    log.clear();
    // The press runs before the queued message is delivered: the message
    // loses its target and goes to the handler.
    manager->HandleEvent(MakeTestEvent(kEventLeftButtonDown, 120, 120));
    EXPECT_EQ(log.front(), "close:down(10,10)");
    EXPECT_FALSE(Logged("dialog:deleted"));
    EXPECT_FALSE(Logged("label:message(0,0)"));
    EXPECT_NE(std::find(seen.begin(), seen.end(), "1000:for label"), seen.end());
    EXPECT_EQ(manager->GetTopModal(), screen);
    manager->HandleEvent(MakeTestEvent(kEventNothing));
    EXPECT_FALSE(Logged("dialog:deleted")) << "the nothing event returns at once";
    manager->HandleEvent(MakeTestEvent(kEventKeyUp, 0, 0, 'A'));
    EXPECT_TRUE(Logged("dialog:deleted"));
    EXPECT_TRUE(Logged("close:deleted"));
    EXPECT_TRUE(manager->GetDeletionList().empty());
}

TEST_F(Manager, QuitNowEndsTheApplicationAndActivationDoesNothing) {
    manager->PostMessage(new TMessage(TMessage::kQuitNow, ""));
    manager->HandleEvent(MakeTestEvent(kEventActivation, 0, 0, 1));
    EXPECT_EQ(manager->GetMessageQueue().size(), 1u) << "activation dispatches nothing";
    EXPECT_TRUE(host->quits.empty());
    manager->HandleEvent(MakeTestEvent(kEventIdle));
    EXPECT_EQ(host->quits, std::vector<int>{0});
    EXPECT_TRUE(manager->GetMessageQueue().empty());
}

TEST_F(Manager, OverlayMouse_AClickOutsideEveryWindowPostsOneMouseUp) {
    SetSetting("overlaymouse", "1");
    auto* overlay = new RecordingWindow("overlay", log, TRect(600, 0, 640, 40));
    manager->AddToWindowList(overlay);
    manager->HandleEvent(MakeTestEvent(kEventLeftButtonUp, 300, 300));
    EXPECT_EQ(seen, std::vector<std::string>{"4:mouse:up"});
    // A handled click on the overlay posts nothing and makes it the hover.
    overlay->handles = {"up"};
    seen.clear();
    manager->HandleEvent(MakeTestEvent(kEventLeftButtonUp, 610, 10));
    EXPECT_TRUE(seen.empty());
    EXPECT_EQ(manager->GetHoverWindow(), overlay);
    EXPECT_TRUE(Logged("overlay:up(10,10)"));
    EXPECT_TRUE(manager->RemoveFromWindowList(overlay));
    EXPECT_FALSE(manager->RemoveFromWindowList(overlay));
    overlay->Destroy();
}

TEST_F(Manager, CapturedWindowsGetPointerEventsInTheirCoordinates) {
    auto* left = new CapturingWindow("left", log, TRect(0, 0, 100, 100));
    auto* right = new CapturingWindow("right", log, TRect(200, 0, 300, 100));
    screen->AddChild(left, false);
    screen->AddChild(right, false);
    manager->AddCapture(left);
    manager->AddCapture(right);
    log.clear();
    // Outside the left window: it lets go and the walk goes on.
    manager->HandleEvent(MakeTestEvent(kEventPointerMove, 250, 50));
    EXPECT_EQ(log, (std::vector<std::string>{"left:exit(0,0)", "right:move(50,50)"}));
    EXPECT_EQ(manager->GetCaptures().size(), 1u);
    // The capture ends: each window still in the list hears of it.
    log.clear();
    manager->HandleEvent(MakeTestEvent(kEventPointerLost));
    EXPECT_EQ(log, std::vector<std::string>{"right:exit(0,0)"});
    EXPECT_TRUE(manager->GetCaptures().empty());
    // In relative mode a move is ignored without capture.
    host->mouseMode = 1;
    log.clear();
    manager->HandleEvent(MakeTestEvent(kEventPointerMove, 250, 50));
    EXPECT_TRUE(log.empty());
}

TEST_F(Manager, RemovingAGroupWithACoveringPictureMakesTheModalSeeThroughAgain) {
    RecordingWindow* group = Add(screen, new RecordingWindow("group", log));
    RecordingWindow* picture = Add(group, new RecordingWindow("picture", log));
    picture->SetFlags(kWindowVisible | kWindowOpaque);
    picture->SetSize(640, 480);
    EXPECT_TRUE(screen->IsCoveredBy(picture));
    EXPECT_TRUE(screen->GetFlags() & kWindowOpaque);
    screen->RemoveChild(group);
    EXPECT_EQ(screen->GetCoverCount(), 0u);
    EXPECT_FALSE(screen->GetFlags() & kWindowOpaque);
    manager->QueueDelete(group);
    // The same through DeleteChildren, and through the picture's own end.
    group = Add(screen, new RecordingWindow("group", log));
    picture = Add(group, new RecordingWindow("picture", log));
    picture->SetFlags(kWindowVisible | kWindowOpaque);
    picture->SetSize(640, 480);
    EXPECT_TRUE(screen->GetFlags() & kWindowOpaque);
    screen->DeleteChildren();
    EXPECT_FALSE(screen->GetFlags() & kWindowOpaque);
    RecordingWindow* lone = Add(screen, new RecordingWindow("lone", log));
    lone->SetFlags(kWindowVisible | kWindowOpaque);
    lone->SetSize(640, 480);
    EXPECT_TRUE(screen->GetFlags() & kWindowOpaque);
    lone->SetSize(640, 479);
    EXPECT_FALSE(screen->GetFlags() & kWindowOpaque);
    lone->SetSize(640, 480);
    lone->Destroy();
    EXPECT_FALSE(screen->GetFlags() & kWindowOpaque);
    manager->HandleEvent(MakeTestEvent(kEventIdle));
}

// A hidden picture hides nothing below its dialog, whether it is hidden
// itself or through its group.
TEST_F(Manager, OnlyAShownPictureMakesItsModalOpaque) {
    RecordingWindow* group = Add(screen, new RecordingWindow("group", log));
    RecordingWindow* picture = Add(group, new RecordingWindow("picture", log));
    picture->SetFlags(kWindowOpaque);
    picture->SetSize(640, 480);
    EXPECT_FALSE(screen->GetFlags() & kWindowOpaque) << "a hidden full-size picture";
    picture->SetFlags(kWindowVisible | kWindowOpaque);
    EXPECT_TRUE(screen->GetFlags() & kWindowOpaque);
    group->SetFlags(group->GetFlags() & ~kWindowVisible);
    EXPECT_FALSE(screen->GetFlags() & kWindowOpaque) << "a picture in a hidden group";
    group->SetFlags(group->GetFlags() | kWindowVisible);
    EXPECT_TRUE(screen->GetFlags() & kWindowOpaque);
    picture->SetFlags(kWindowOpaque);
    EXPECT_FALSE(screen->GetFlags() & kWindowOpaque);
    screen->RemoveChild(group);
    manager->QueueDelete(group);
    manager->HandleEvent(MakeTestEvent(kEventIdle));
}

TEST_F(Manager, APushPausesTheAnimationsBelowAndDoPopModalRestartsThem) {
    RecordingModal* dialog = Push("dialog");
    RecordingWindow* spinner = Add(dialog, new RecordingWindow("spinner", log));
    spinner->ScheduleAnimation(10, true, false, false);
    clock.Advance(10);
    manager->HandleEvent(MakeTestEvent(kEventIdle));
    EXPECT_EQ(spinner->animations, 1);
    Push("over");
    EXPECT_TRUE(dialog->GetClock().IsPaused());
    const uint32_t held = dialog->GetClock().GetTime();
    clock.Advance(1000);
    manager->HandleEvent(MakeTestEvent(kEventIdle));
    EXPECT_EQ(dialog->GetClock().GetTime(), held);
    EXPECT_EQ(spinner->animations, 1);
    manager->DoPopModal("over");
    EXPECT_FALSE(dialog->GetClock().IsPaused());
    clock.Advance(10);
    manager->HandleEvent(MakeTestEvent(kEventIdle));
    EXPECT_EQ(spinner->animations, 2);
}

TEST_F(Manager, ShutDownDeletesEveryWindowMessageAndTheScript) {
    Push("a");
    RecordingModal* b = Push("b");
    Add(b, new RecordingWindow("child", log))->ScheduleAnimation(10, true, false, false);
    manager->AddToWindowList(new RecordingWindow("overlay", log));
    manager->PostMessage(new TMessage(TMessage::kGeneric, "left over"));
    manager->PopModal();
    manager.reset();
    for (const char* name : {"a", "b", "child", "overlay", "screen"})
        EXPECT_TRUE(Logged(std::string(name) + ":deleted")) << name;
    EXPECT_EQ(TWindowManager::Instance(), nullptr);
}

// ---- Frames, on the application's hand clock

class ManagerFrames : public AppFixture {
protected:
    void Start() {
        // Frames need a device: the null graphics system's.
        BuildPlatform()->SetGraphicsBackEnd(std::make_unique<platform::NullGraphicsSystem>());
        BuildApplication();
        ASSERT_TRUE(mApplication->CreateMainWindow());
        mApplication->SetDisplayMode(640, 480, false);
        manager = mApplication->GetWindowManager();
        renderer = TRenderer::Get();
        ASSERT_NE(renderer, nullptr);
    }
    int Frames() const { return renderer->GetPresentCount(); }
    // An idle event after the clock moved on by ms, the screen dirty.
    int FramesAfter(int ms, bool dirty = true) {
        const int before = Frames();
        clock.Advance(ms);
        if (dirty)
            manager->Invalidate();
        manager->HandleEvent(MakeTestEvent(kEventIdle));
        return Frames() - before;
    }

    platform::ManualTimeSource clock{100000};
    platform::ScopedTimeSource clockScope{clock};
    TWindowManager* manager = nullptr;
    TRenderer* renderer = nullptr;
};

TEST_F(ManagerFrames, FramesCome12msApartInFrontAnd200msBehind) {
    Start();
    EXPECT_EQ(FramesAfter(100), 1);
    EXPECT_FALSE(manager->IsDirty());
    EXPECT_EQ(FramesAfter(11), 0);
    EXPECT_EQ(FramesAfter(1), 1);
    EXPECT_EQ(FramesAfter(50, false), 0) << "nothing while clean";
    manager->mBackgroundMode = 1;
    EXPECT_EQ(FramesAfter(50), 0) << "nothing while suspended";
    manager->mBackgroundMode = 0;
    EXPECT_EQ(FramesAfter(0), 1);
    // Activation neither draws nor dispatches.
    clock.Advance(50);
    manager->Invalidate();
    const int beforeActivation = Frames();
    manager->HandleEvent(MakeTestEvent(kEventActivation, 0, 0, 0));
    EXPECT_EQ(Frames(), beforeActivation);
    EXPECT_EQ(FramesAfter(0, false), 1) << "the idle pass after it draws";
    mWindow->SetForegroundAnswer(false);
    EXPECT_EQ(FramesAfter(100), 0);
    EXPECT_EQ(FramesAfter(99), 0);
    EXPECT_EQ(FramesAfter(1), 1);
    EXPECT_EQ(FramesAfter(12), 0);
    // The platform can ask for the front rate behind other windows.
    mApplication->GetPlatform()->mFullRateInBackground = 1;
    EXPECT_EQ(FramesAfter(12), 1);
    EXPECT_EQ(FramesAfter(12), 1);
    // A paint event marks everything dirty and draws without the tasks.
    clock.Advance(12);
    const int before = Frames();
    manager->HandleEvent(MakeTestEvent(kEventPaint));
    EXPECT_EQ(Frames() - before, 1);
}

TEST_F(ManagerFrames, ActivationAloneNeverDraws) {
    Start();
    clock.Advance(100);
    manager->Invalidate();
    manager->HandleEvent(MakeTestEvent(kEventActivation, 0, 0, 1));
    EXPECT_EQ(Frames(), 0);
    EXPECT_TRUE(manager->IsDirty());
}

TEST_F(ManagerFrames, APageHostKeepsTheFrontRate) {
    BuildPlatform("-pq=page");
    BuildApplication();
    TApplicationWindowHost host(mApplication);
    EXPECT_TRUE(host.KeepsFrontRateInBackground());
}

TEST_F(ManagerFrames, TheScreenIsTheMainWindowAndDrawsAtTheFirstIdle) {
    Start();
    auto* screen = dynamic_cast<TScreen*>(manager->GetMainWindow());
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(screen->GetRect(), TRect(0, 0, 640, 480));
    EXPECT_EQ(manager->GetTopModal(), screen);
    EXPECT_EQ(manager->GetScript()->GetCurrentWindow(), screen);
    EXPECT_TRUE(mApplication->GetTaskList()->Contains(manager->GetScript()));
    // Shut-down with the script in both lists: the manager lets it go first.
    DestroyApplication();
    EXPECT_EQ(TWindowManager::Instance(), nullptr);
}

} // namespace
