#include "framework/ui/window/TWindow.h"

#include "framework/ui/WindowFixture.h"
#include "framework/ui/window/TLayeredWindow.h"
#include "framework/ui/window/TModalWindow.h"
#include "framework/ui/window/TWindowAnim.h"
#include "framework/ui/window/TWindowStyle.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class WindowTree : public ::testing::Test {
protected:
    RecordingWindow* Make(const char* name, TRect rect = TRect()) {
        return new RecordingWindow(name, log, rect);
    }
    std::vector<std::string> log;
    LuaStyles lua;
};

// ---- Placement

struct PlacementCase {
    const char* what;
    int32_t parentWidth; // -1: no parent
    int32_t parentHeight;
    TRect start;
    const char* style;
    TRect afterInit;
};

const PlacementCase kPlacementCases[] = {
    {"plain, no parent", -1, -1, TRect(), "{x=10, y=20, w=30, h=40}", TRect(10, 20, 40, 60)},
    {"centre", 640, 480, TRect(), "{x=80000, w=100, h=10}", TRect(270, 0, 370, 10)},
    {"centre offset", 640, 480, TRect(), "{x=80010, y=80000, w=100, h=10}",
     TRect(280, 235, 380, 245)},
    {"far edge", 640, 480, TRect(), "{x=159990, w=50, h=10}", TRect(630, 0, 680, 10)},
    {"far edge, right anchor", 640, 480, TRect(), "{x=159990, w=50, h=10, align=2}",
     TRect(580, 0, 630, 10)},
    {"bottom anchor", 640, 480, TRect(), "{y=159980, w=10, h=20, align=8}", TRect(0, 440, 10, 460)},
    {"centre anchor", 640, 480, TRect(), "{x=100, w=50, h=10, align=1}", TRect(75, 0, 125, 10)},
    {"negative without align", 640, 480, TRect(), "{x=-20, w=50, h=10}", TRect(620, 0, 670, 10)},
    {"negative with align", 640, 480, TRect(), "{x=-20, w=50, h=10, align=0}",
     TRect(-20, 0, 30, 10)},
    {"kMax width", 640, 480, TRect(), "{x=10, w=160000, h=10}", TRect(10, 0, 640, 10)},
    {"kMax less 20", 640, 480, TRect(), "{x=10, w=159980, h=10}", TRect(10, 0, 620, 10)},
    {"negative size", 640, 480, TRect(), "{x=100, w=-50, h=10}", TRect(50, 0, 100, 10)},
    {"centred fill", 640, 480, TRect(), "{x=80010, w=160000, h=10}", TRect(20, 0, 640, 10)},
    {"centred fill before centre", 640, 480, TRect(), "{x=79990, w=160000, h=10}",
     TRect(0, 0, 620, 10)},
    {"coded position, parent without width", 0, 0, TRect(), "{x=80000, w=100, h=10}", TRect()},
    {"coded position, no size yet", 640, 480, TRect(), "{x=80000, h=10}", TRect()},
    {"centre anchor without size", 640, 480, TRect(), "{x=100, h=10, align=1}", TRect()},
    {"non-zero left kept", 640, 480, TRect(5, 0, 5, 0), "{x=100, w=10, h=10}", TRect(5, 0, 15, 10)},
    {"non-zero size kept", 640, 480, TRect(0, 0, 30, 40), "{x=100, w=10, h=10}",
     TRect(100, 0, 130, 40)},
    // Numbers past what placement works with are clamped to its limit
    // (2^24) before any sum or negation, and numbers past the integers
    // read as not given.
    {"the lowest integer as a size", 640, 480, TRect(), "{x=100, w=-2147483648, h=10}",
     TRect(159900, 0, 160000, 10)},
    {"the lowest integer anchored right", 640, 480, TRect(), "{x=-2147483648, w=10, h=10, align=2}",
     TRect(-16777226, 0, -16777216, 10)},
    {"a size past the integers", 640, 480, TRect(), "{x=100, w=-1e308, h=10}",
     TRect(100, 0, 100, 10)},
    {"a NaN position", 640, 480, TRect(), "{x=0/0, w=10, h=10}", TRect(0, 0, 10, 10)},
};

TEST_F(WindowTree, Placement_ResolvesEachCodedCaseThroughInit) {
    for (const PlacementCase& c : kPlacementCases) {
        SCOPED_TRACE(c.what);
        RecordingWindow* parent = Make("parent", TRect(0, 0, c.parentWidth, c.parentHeight));
        RecordingWindow* window = Make("window", c.start);
        if (c.parentWidth >= 0)
            parent->AddChild(window, false);
        auto table = lua.Table(c.style);
        TWindowStyle style(table.get());
        window->Init(style);
        EXPECT_EQ(window->GetRect(), c.afterInit);
        if (c.parentWidth < 0)
            window->Destroy();
        parent->Destroy();
    }
}

TEST_F(WindowTree, Placement_ACentredWindowWaitsForFitAndIsPlacedByPostInit) {
    RecordingWindow* parent = Make("parent", TRect(0, 0, 640, 480));
    RecordingWindow* window = Make("panel");
    parent->AddChild(window, false);
    auto table = lua.Table("{name='panel', x=80000, y=80000, fit=true}");
    TWindowStyle style(table.get());
    window->Init(style);
    EXPECT_EQ(window->GetRect(), TRect());
    EXPECT_EQ(window->GetName(), TString("panel"));
    window->AddChild(Make("a", TRect(0, 0, 200, 40)), false);
    window->AddChild(Make("b", TRect(20, 60, 120, 100)), false);
    window->PostInit(style);
    EXPECT_EQ(window->GetRect(), TRect(220, 190, 420, 290));
    parent->Destroy();
}

// ---- Tree

TEST_F(WindowTree, AddChild_PutsTheNewestChildInFrontForHits) {
    RecordingWindow* root = Make("root", TRect(0, 0, 100, 100));
    RecordingWindow* first = Make("first", TRect(0, 0, 50, 50));
    RecordingWindow* second = Make("second", TRect(10, 10, 60, 60));
    EXPECT_TRUE(root->AddChild(first));
    EXPECT_TRUE(root->AddChild(second));
    EXPECT_EQ(root->GetChildren().front(), second);
    EXPECT_EQ(root->GetChildren().back(), first);
    EXPECT_EQ(first->GetParent(), root);
    EXPECT_EQ(root->ChildAt(TPoint(20, 20)), second);
    EXPECT_EQ(root->ChildAt(TPoint(5, 5)), first);
    EXPECT_EQ(root->ChildAt(TPoint(90, 90)), root);
    EXPECT_EQ(root->DeepestChildAt(TPoint(20, 20), 0), nullptr);
    // Adding a child twice keeps one entry.
    EXPECT_TRUE(root->AddChild(first, false));
    EXPECT_EQ(root->GetChildCount(), 2u);
    root->Destroy();
}

TEST_F(WindowTree, AddChild_RefusedByOnAttachedIsUndone) {
    RecordingWindow* root = Make("root");
    RecordingWindow* child = Make("child");
    child->attachAnswer = false;
    EXPECT_FALSE(root->AddChild(child));
    EXPECT_EQ(root->GetChildCount(), 0u);
    EXPECT_EQ(child->GetParent(), nullptr);
    EXPECT_EQ(log, std::vector<std::string>{"child:attached"});
    // Without notification nothing is asked.
    EXPECT_TRUE(root->AddChild(child, false));
    EXPECT_EQ(log.size(), 1u);
    root->Destroy();
}

TEST_F(WindowTree, FindChild_SearchesByFlagOrDepth) {
    RecordingWindow* root = Make("root");
    RecordingWindow* a = Make("a");
    RecordingWindow* a1 = Make("a1");
    RecordingWindow* deep = Make("deep");
    RecordingWindow* b = Make("b");
    RecordingWindow* sameName = Make("deep");
    root->AddChild(a, false);
    root->AddChild(b, false);
    a->AddChild(a1, false);
    a1->AddChild(deep, false);
    b->AddChild(sameName, false);
    struct {
        const char* name;
        int mode; // 0 recursive flag false, 1 true, 2 depth
        int32_t depth;
        TWindow* expected;
    } cases[] = {
        {"root", 0, 0, root},
        {"a", 0, 0, nullptr},
        {"a", 1, 0, a},
        {"deep", 1, 0, sameName}, // the top-most child (b) is searched first
        {"root", 2, 0, root},
        {"a", 2, 0, nullptr},
        {"a", 2, 1, a},
        {"a1", 2, 1, nullptr},
        {"a1", 2, 2, a1},
        {"deep", 2, 3, sameName},
        {"deep", 2, -1, sameName},
        {"missing", 2, -1, nullptr},
        {"missing", 1, 0, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " mode " + std::to_string(c.mode) + " depth " +
                     std::to_string(c.depth));
        TWindow* found =
            c.mode == 2 ? root->FindChild(c.name, c.depth) : root->FindChild(c.name, c.mode == 1);
        EXPECT_EQ(found, c.expected);
    }
    b->RemoveChild(sameName);
    sameName->Destroy();
    EXPECT_EQ(root->FindChild("deep", int32_t(2)), nullptr);
    EXPECT_EQ(root->FindChild("deep", int32_t(3)), deep);
    root->Destroy();
}

TEST_F(WindowTree, SetFlags_KeepsTheLowByteAndTakesTheSecond) {
    RecordingWindow* window = Make("w");
    window->AddFlags(kWindowModal | kWindowOpaque);
    EXPECT_EQ(window->GetFlags(), 0x901u);
    window->SetFlags(0x100);
    EXPECT_EQ(window->GetFlags(), 0x101u);
    window->SetFlags(0xFFFFFEFEu);
    EXPECT_EQ(window->GetFlags(), 0xFE01u);
    window->Destroy();
}

TEST_F(WindowTree, FitToChildren_GrowsAndNeverShrinks) {
    RecordingWindow* window = Make("w", TRect(10, 10, 310, 210));
    window->AddChild(Make("a", TRect(0, 0, 250, 100)), false);
    window->AddChild(Make("b", TRect(100, 200, 150, 260)), false);
    window->FitToChildren();
    EXPECT_EQ(window->GetWidth(), 300);
    EXPECT_EQ(window->GetHeight(), 260);
    window->Destroy();
}

// Takes every child it visits out of the parent.
class Remover : public TWindowSpider {
public:
    explicit Remover(TWindow* parent) : mParent(parent) {}
    bool Visit(TWindow* child) override {
        mParent->RemoveChild(child);
        seen.push_back(child->GetName().ToStd());
        removed.push_back(child);
        return true;
    }
    std::vector<std::string> seen;
    std::vector<TWindow*> removed;

private:
    TWindow* mParent;
};

TEST_F(WindowTree, ForEachChild_LetsTheVisitorRemoveTheChildItVisits) {
    for (bool fromBack : {false, true}) {
        RecordingWindow* root = Make("root");
        for (const char* name : {"a", "b", "c"})
            root->AddChild(Make(name), false);
        Remover remover(root);
        EXPECT_TRUE(root->ForEachChild(remover, fromBack));
        const std::vector<std::string> forward = {"c", "b", "a"};
        const std::vector<std::string> backward = {"a", "b", "c"};
        EXPECT_EQ(remover.seen, fromBack ? backward : forward);
        EXPECT_EQ(root->GetChildCount(), 0u);
        for (TWindow* child : remover.removed) {
            EXPECT_EQ(child->GetParent(), nullptr);
            child->DeleteThis(1);
        }
        root->Destroy();
    }
}

TEST_F(WindowTree, Destruction_DeletesTheWholeSubtreeFrontToBack) {
    RecordingWindow* root = Make("root");
    RecordingWindow* a = Make("a");
    root->AddChild(a, false);
    a->AddChild(Make("a1"), false);
    root->AddChild(Make("b"), false);
    root->Destroy();
    EXPECT_EQ(log,
              (std::vector<std::string>{"root:deleted", "b:deleted", "a:deleted", "a1:deleted"}));
}

TEST_F(WindowTree, IdString_IsEightHexDigitsPaddedWithBlanks) {
    RecordingWindow* window = Make("w");
    char expected[16];
    std::snprintf(expected, sizeof expected, "%8x", window->GetId());
    EXPECT_EQ(window->GetIdString(), TString(expected));
    EXPECT_EQ(window->GetIdString().Length(), 8);
    RecordingWindow* next = Make("n");
    EXPECT_EQ(next->GetId(), window->GetId() + 1);
    window->Destroy();
    next->Destroy();
}

TEST_F(WindowTree, ClassIdentity_FollowsTheClassChain) {
    TWindow* modal = TModalWindow::Create();
    TWindow* layered = TLayeredWindow::Create();
    EXPECT_TRUE(modal->IsKindOf(TModalWindow::GetClassId()));
    EXPECT_TRUE(modal->IsKindOf(TWindow::GetClassId()));
    EXPECT_FALSE(modal->IsKindOf(TLayeredWindow::GetClassId()));
    EXPECT_FALSE(layered->IsKindOf(TModalWindow::GetClassId()));
    EXPECT_STREQ(modal->GetClassName(), "TModalWindow");
    EXPECT_EQ(modal->GetFlags(), kWindowVisible | kWindowModal | kWindowTakesFocus);
    EXPECT_EQ(TWindow::GetClassId(), TWindow::GetCreator());
    modal->DeleteThis(1);
    layered->DeleteThis(1);
}

// ---- Styles

TEST_F(WindowTree, Style_FallsBackToTheDefaultStyleAndItsParents) {
    ASSERT_TRUE(lua.Run("gCurrentDefaultStyle = { size = 12, parent = { font = 'serif', "
                        "parent = { sound = 'click' } } }"));
    auto table = lua.Table("{ size = 20, colour = {0.5, 1}, parent = { own = 1 }, flag = 0, "
                           "text = 42 }");
    TWindowStyle style(table.get());
    const int top = lua_gettop(lua.State());
    EXPECT_EQ(style.GetInt("size", 0), 20);
    EXPECT_EQ(style.GetString("font"), TString("serif"));
    EXPECT_EQ(style.GetString("sound"), TString("click"));
    EXPECT_EQ(style.GetString("text"), TString("42"));
    EXPECT_EQ(style.GetInt("own", 7), 7) << "the window table's own parent is not followed";
    EXPECT_EQ(style.GetString("missing", "none"), TString("none"));
    EXPECT_FALSE(style.GetBool("flag", true));
    TColor colour = style.GetColor("colour", TColor(9, 9, 9, 9));
    EXPECT_EQ(colour.r, 0.5f);
    EXPECT_EQ(colour.g, 1.0f);
    EXPECT_EQ(colour.b, 0.0f) << "a missing element reads 0";
    EXPECT_EQ(colour.a, 0.0f);
    EXPECT_EQ(style.GetColor("none", TColor(1, 2, 3, 4)).a, 4.0f);
    std::unique_ptr<TLuaTable> sub(style.GetTable("parent"));
    EXPECT_NE(sub, nullptr);
    EXPECT_EQ(style.GetTable("missing"), nullptr);
    EXPECT_EQ(lua_gettop(lua.State()), top) << "the readers restore the stack";
    // Without a default style nothing is found beyond the table.
    ASSERT_TRUE(lua.Run("gCurrentDefaultStyle = nil"));
    EXPECT_EQ(style.GetString("font", "plain"), TString("plain"));
    EXPECT_EQ(style.GetNumber("size", 0), 20.0);
}

// ---- Layers

TEST_F(WindowTree, Layers_ShowTheSelectedLayersChildren) {
    auto* layered = new TLayeredWindow(3);
    RecordingWindow* zero = Make("zero");
    RecordingWindow* two = Make("two");
    RecordingWindow* all = Make("all");
    layered->AddChild(zero, false);
    layered->SelectLayer(2);
    layered->AddChild(two, false);
    layered->SelectLayer(TLayeredWindow::kAllLayers);
    layered->AddChild(all, false);
    auto shown = [&] {
        std::string names;
        for (TWindow* child : layered->GetChildren())
            names += child->IsVisible() ? child->GetName().ToStd() + " " : "";
        return names;
    };
    EXPECT_EQ(shown(), "all zero ") << "all layers show layer 0's list";
    layered->SelectLayer(0);
    EXPECT_EQ(shown(), "all zero ");
    layered->SelectLayer(2);
    EXPECT_EQ(shown(), "all two ");
    // Selecting the selected layer changes nothing, even a child hidden
    // meanwhile.
    two->SetFlags(two->GetFlags() & ~kWindowVisible);
    layered->SelectLayer(2);
    EXPECT_EQ(shown(), "all ");
    // A removed child leaves every layer.
    layered->RemoveChild(all);
    EXPECT_TRUE(layered->GetLayerWindows(0).size() == 1 && layered->GetLayerWindows(2).size() == 1);
    all->SetFlags(all->GetFlags() & ~kWindowVisible);
    layered->SelectLayer(0);
    EXPECT_EQ(shown(), "zero ");
    EXPECT_FALSE(all->IsVisible());
    all->Destroy();
    layered->DeleteThis(1);
}

// ---- Cover set, animators, without a manager

TEST_F(WindowTree, Animator_MadeBeforeItsModalJoinsItsListOnAttach) {
    auto* modal = new TModalWindow;
    RecordingWindow* group = Make("group");
    RecordingWindow* picture = Make("picture");
    group->AddChild(picture, false);
    picture->ScheduleAnimation(10, true, true, false);
    ASSERT_NE(picture->GetAnimator(), nullptr);
    EXPECT_EQ(modal->GetTasks().Count(), 0u);
    modal->AddChild(group);
    EXPECT_EQ(modal->GetTasks().Count(), 1u);
    EXPECT_TRUE(modal->GetTasks().Contains(picture->GetAnimator()));
    EXPECT_EQ(picture->GetAnimator()->GetClock(), &modal->GetClock());
    // A window with its own pending animator that never gets a modal takes
    // it along when it goes.
    RecordingWindow* loose = Make("loose");
    loose->ScheduleAnimation(10, false, true, false);
    loose->Destroy();
    // The modal's tasks go before its windows.
    modal->DeleteThis(1);
}

TEST_F(WindowTree, Animator_EndsWhenOnAnimateSaysSoAndIsMadeAgainLater) {
    auto* modal = new TModalWindow;
    RecordingWindow* window = Make("w");
    modal->AddChild(window, false);
    modal->OnAttached();
    window->keepAnimating = false;
    window->ScheduleAnimation(0, true, true, false);
    modal->RunTasks(0);
    EXPECT_EQ(window->animations, 1);
    EXPECT_EQ(modal->GetTasks().Count(), 0u);
    EXPECT_EQ(window->DetachAnimator(), nullptr) << "the task's end cleared the pointer";
    window->ScheduleAnimation(0, true, true, false);
    EXPECT_EQ(modal->GetTasks().Count(), 1u);
    modal->DeleteThis(1);
}

} // namespace
