#include "velk/container/vlkGameContainer.h"

#include "framework/ui/widgets/TButton.h"
#include "framework/ui/widgets/TText.h"
#include "framework/ui/widgets/WidgetFixture.h"
#include "velk/container/WindowVisibility.h"
#include "velk/game/vlkGame.h"
#include "velk/game/vlkGameLevel.h"
#include "velk/globals/GameGlobals.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A game that writes down every call it gets.
class RecordingGame : public vlkGame {
public:
    explicit RecordingGame(std::vector<std::string>& log) : mLog(log) {}
    ~RecordingGame() override { mLog.push_back("deleted"); }
    void gfn_CreateLevel() override {}
    void EmptyHook4() override { mLog.push_back("hook4"); }
    void OnKeyDown(int key, int modifiers) override {
        mLog.push_back("keydown(" + std::to_string(key) + "," + std::to_string(modifiers) + ")");
    }
    void OnKeyUp(int key) override { mLog.push_back("keyup(" + std::to_string(key) + ")"); }
    void OnMouseDown(int x, int y) override { Note("down", x, y); }
    void OnMouseButton(int x, int y, int code) override {
        Note("button", x, y);
        mLog.back() += "#" + std::to_string(code);
    }
    void OnMouseMove(int x, int y) override { Note("move", x, y); }
    void Update(uint32_t elapsed) override {
        mLog.push_back("update(" + std::to_string(elapsed) + ")");
    }
    void Draw() override { mLog.push_back("draw"); }

private:
    void Note(const char* call, int x, int y) {
        mLog.push_back(std::string(call) + "(" + std::to_string(x) + "," + std::to_string(y) + ")");
    }
    std::vector<std::string>& mLog;
};

class GameContainerTest : public WidgetFixture {
protected:
    // A container under the screen, set up from its table, holding a
    // recording game that is also the current game.
    vlkGameContainer* MakeContainer(uint32_t mask) {
        auto* container = new vlkGameContainer(mask);
        screen->AddChild(container);
        auto table = Table("{name = 'board', x = 0, y = 0, w = 200, h = 100}");
        TWindowStyle style(table.get());
        container->Init(style);
        container->PostInit(style);
        auto* game = new RecordingGame(log);
        container->SetGame(game);
        gCurrentGame = game;
        return container;
    }
    std::vector<std::string> log;
};

TEST_F(GameContainerTest, ForwardMaskDecidesWhatReachesTheGameButNotTheAnswers) {
    struct Case {
        uint32_t mask;
        std::vector<std::string> forwarded;
    } cases[] = {
        {0, {}},
        {31, {"down(1,2)", "button(3,4)#1", "move(5,6)", "keydown(65,2)", "keyup(65)"}},
        {vlkGameContainer::kForwardMouseDown | vlkGameContainer::kForwardMouseMove,
         {"down(1,2)", "move(5,6)"}},
        {vlkGameContainer::kForwardMouseButton | vlkGameContainer::kForwardKeyUp,
         {"button(3,4)#1", "keyup(65)"}},
        {vlkGameContainer::kForwardKeyDown, {"keydown(65,2)"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mask);
        vlkGameContainer* container = MakeContainer(c.mask);
        EXPECT_EQ(gCurrentContainer, container);
        EXPECT_TRUE(container->GetFlags() & kWindowTakesFocus);
        log.clear();
        EXPECT_TRUE(container->OnMouseDown(TPoint(1, 2)));
        EXPECT_TRUE(container->OnMouseButton(TPoint(3, 4), 1));
        EXPECT_TRUE(container->OnMouseMove(TPoint(5, 6)));
        EXPECT_FALSE(container->OnKeyDown('A', 2)) << "key downs are never handled";
        EXPECT_TRUE(container->OnKeyUp('A'));
        EXPECT_EQ(log, c.forwarded);
        EXPECT_EQ(container->GetLastPointer(), TPoint(5, 6)) << "moves are kept either way";
        container->DeleteThis();
        EXPECT_EQ(gCurrentGame, nullptr);
        EXPECT_EQ(gCurrentContainer, nullptr);
    }
}

TEST_F(GameContainerTest, FramesGiveTheGameTheTimeOfTheWindowsClock) {
    vlkGameContainer* container = MakeContainer(0);
    ASSERT_EQ(container->GetClock(), &screen->GetClock());
    log.clear();
    rig.time.Advance(16);
    EXPECT_TRUE(container->OnAnimate());
    rig.time.Advance(40);
    EXPECT_TRUE(container->Update());
    // Two frames at the same clock time, then a paused clock.
    EXPECT_TRUE(container->OnAnimate());
    screen->GetClock().Pause();
    rig.time.Advance(500);
    EXPECT_TRUE(container->OnAnimate());
    screen->GetClock().Start();
    EXPECT_EQ(log,
              (std::vector<std::string>{"update(16)", "update(40)", "update(0)", "update(0)"}));
    EXPECT_TRUE(manager->IsDirty()) << "each frame redraws";

    log.clear();
    container->Draw();
    EXPECT_TRUE(container->OnMouseDoubleClick(TPoint(7, 8)));
    EXPECT_EQ(log, (std::vector<std::string>{"draw"})) << "double clicks are other buttons";
    container->DeleteThis();
    EXPECT_EQ(log, (std::vector<std::string>{"draw", "hook4", "deleted"}));
    EXPECT_EQ(gCurrentGame, nullptr);
    EXPECT_EQ(gCurrentContainer, nullptr);
}

TEST_F(GameContainerTest, DoubleClicksReachTheGameAsCodeTwo) {
    vlkGameContainer* container = MakeContainer(vlkGameContainer::kForwardMouseButton);
    log.clear();
    EXPECT_TRUE(container->OnMouseDoubleClick(TPoint(7, 8)));
    EXPECT_EQ(log, (std::vector<std::string>{"button(7,8)#2"}));
    container->DeleteThis();
}

TEST_F(GameContainerTest, AContainerWithoutAGameSaysSoOnceAndKeepsRunning) {
    auto* container = new vlkGameContainer(vlkGameContainer::kForwardAll);
    screen->AddChild(container);
    auto table = Table("{name = 'empty'}");
    TWindowStyle style(table.get());
    container->Init(style);
    rig.time.Advance(5);
    EXPECT_TRUE(container->OnAnimate());
    EXPECT_TRUE(container->OnAnimate());
    container->Draw();
    EXPECT_TRUE(container->OnMouseDown(TPoint(1, 1)));
    EXPECT_FALSE(container->OnKeyDown('A', 0));
    const std::string said = Log();
    const std::string line = "Game container 'empty' has no game object to update";
    ASSERT_NE(said.find(line), std::string::npos) << said;
    EXPECT_EQ(said.find(line), said.rfind(line)) << "once, not every frame";
    container->DeleteThis();
}

TEST_F(GameContainerTest, VisibilityHelpers) {
    auto* panel = Make<TText>("name = 'panel', x = 0, y = 0, w = 100, h = 100");
    auto* inner = Make<TText>("name = 'inner', x = 0, y = 0, w = 10, h = 10", panel);
    auto* button = Make<TButton>("name = 'btn', x = 0, y = 0, w = 10, h = 10", inner);

    struct Case {
        const char* child;
        int32_t depth;
        bool found;
    } cases[] = {
        {"inner", 1, true}, {"btn", 1, false},   {"btn", 2, true},
        {"btn", -1, true},  {"none", -1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.child) + " at " + std::to_string(c.depth));
        TWindow* child = panel->FindChild(TString(c.child), int32_t{-1});
        SetChildVisible(panel, c.child, false, c.depth);
        EXPECT_FALSE(IsChildVisible(panel, c.child, c.depth));
        if (child) {
            EXPECT_EQ(child->IsVisible(), !c.found) << "only a child within the depth is hidden";
        }
        SetChildVisible(panel, c.child, true, 0, c.depth);
        EXPECT_EQ(IsChildVisible(panel, c.child, c.depth), c.found);
        if (child) {
            EXPECT_TRUE(child->IsVisible());
        }
    }
    // Hiding keeps the other flags and lets go of the pointer.
    const uint32_t before = button->GetFlags();
    SetWindowVisible(button, false);
    EXPECT_EQ(button->GetFlags(), before & ~kWindowVisible);
    SetWindowVisible(button, true);
    EXPECT_EQ(button->GetFlags(), before);
    // Null windows and parents do nothing.
    SetWindowVisible(nullptr, true);
    SetChildVisible(nullptr, "btn", true, -1);
    EXPECT_FALSE(IsChildVisible(nullptr, "btn", -1));

    EXPECT_EQ(CastToButton(button), button);
    EXPECT_EQ(CastToButton(panel), nullptr);
    EXPECT_EQ(CastToButton(nullptr), nullptr);
    EXPECT_EQ(button->GetName().ToStd(), "btn");
}

} // namespace
