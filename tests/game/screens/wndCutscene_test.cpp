#include "game/screens/wndCutscene.h"

#include "velk/cutscene/vlkTimeLine.h"

#include "game/screens/PopupFixture.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// A scene of 30 frames a second that stops at 100 ms and at 400 ms and
// ends at 800 ms.
class CutsceneWindowTest : public ScreenFixture {
protected:
    wndCutscene* Make(const std::string& keys, bool withButton = true) {
        const std::string path = mFolder.Write(
            "scene.xml",
            "<?xml version=\"1.0\"?>\n<Cutscene name=\"test\" fps=\"30\">"
            "<keyframe name=\"a\" time=\"0\"/>"
            "<keyframe name=\"b\" time=\"100\"><action object=\"system\" property=\"\" "
            "function=\"stop\"/></keyframe>"
            "<keyframe name=\"c\" time=\"200\" afterstop=\"true\"/>"
            "<keyframe name=\"d\" time=\"400\"><action object=\"system\" property=\"\" "
            "function=\"stop\"/></keyframe>"
            "<keyframe name=\"e\" time=\"800\"/></Cutscene>\n");
        window = static_cast<wndCutscene*>(wndCutscene::Create());
        if (withButton)
            button = AddWindow(AddWindow(window, "panel"), "btnContinue");
        clock.SetTime(100);
        Open(window, "{ name = 'cs', cutsceneFile = '::" + path + "'" + keys + " }");
        return window;
    }
    void Ticks(int n) {
        for (int i = 0; i < n; ++i) {
            clock.SetTime(clock.GetTime() + 16);
            window->OnAnimate();
        }
    }
    void RunToStop() {
        for (int i = 0; i < 100 && !window->GetMain()->IsWaitingAtStop(); ++i)
            Ticks(1);
        ASSERT_TRUE(window->GetMain()->IsWaitingAtStop());
    }

    wndCutscene* window = nullptr;
    TWindow* button = nullptr;

private:
    support::TempFolder mFolder{"corvalo-cutscene-window-"};
};

TEST_F(CutsceneWindowTest, SpaceAndEnterResumeAtAStopAndEveryKeyIsTaken) {
    Make(", onFinish = true");
    EXPECT_EQ(TString("cs"), window->GetName());
    // It takes the keys.
    EXPECT_EQ(window, manager->GetFocus());
    EXPECT_FALSE(button->IsVisible());
    RunToStop();
    EXPECT_TRUE(button->IsVisible());

    EXPECT_TRUE(window->OnKeyDown('A', 0));
    EXPECT_TRUE(window->GetMain()->IsWaitingAtStop());
    EXPECT_TRUE(window->OnKeyDown(wndCutscene::kSpace, 0));
    EXPECT_FALSE(window->GetMain()->IsWaitingAtStop());
    EXPECT_FALSE(button->IsVisible());

    RunToStop();
    EXPECT_TRUE(window->OnKeyDown(wndCutscene::kEnter, 0));
    for (int i = 0; i < 60 && fakes.scripts.statements.empty(); ++i)
        Ticks(1);
    EXPECT_EQ(1, fakes.scripts.Count("CloseCSWindow()"));
}

TEST_F(CutsceneWindowTest, SkipEndsAtOnceAndReportsOnlyWithOnFinish) {
    for (bool onFinish : {true, false}) {
        fakes.scripts.statements.clear();
        Make(onFinish ? ", onFinish = true" : "");
        Ticks(2);
        ASSERT_TRUE(CallScript("cutsceneSkip()"));
        Ticks(1);
        EXPECT_EQ(onFinish ? 1 : 0, fakes.scripts.Count("CloseCSWindow()")) << onFinish;
        EXPECT_FALSE(window->GetMain()->IsPlaying()) << onFinish;
        root->RemoveChild(window);
        window->DeleteThis();
    }
}

TEST_F(CutsceneWindowTest, ResumeFromAScriptContinuesAtAStop) {
    Make("");
    RunToStop();
    ASSERT_TRUE(CallScript("cutsceneResume()"));
    EXPECT_FALSE(window->GetMain()->IsWaitingAtStop());
}

TEST_F(CutsceneWindowTest, SpeedTwoAdvancesTwiceTheTickWithinAFrame) {
    Make(", speed = 2");
    EXPECT_FLOAT_EQ(2.0f, window->GetMain()->GetSpeed());
    const uint32_t before = window->GetMain()->GetTimeLine().GetTime();
    Ticks(1);
    EXPECT_EQ(before + 32, window->GetMain()->GetTimeLine().GetTime());
}

TEST_F(CutsceneWindowTest, WithoutAContinueButtonAStopWaitsForAKeyOrAScript) {
    Make("", false);
    RunToStop();
    EXPECT_EQ(nullptr, window->GetMain()->GetContinueWindow());
    window->OnKeyDown(wndCutscene::kSpace, 0);
    EXPECT_FALSE(window->GetMain()->IsWaitingAtStop());
}

TEST_F(CutsceneWindowTest, AFileThatDoesNotLoadPlaysNothing) {
    window = static_cast<wndCutscene*>(wndCutscene::Create());
    Open(window, "{ cutsceneFile = '::/nonexistent/scene.xml', onFinish = true }");
    Ticks(3);
    window->Draw();
    EXPECT_NE(std::string::npos, Log().find("does not load"));
}

} // namespace
