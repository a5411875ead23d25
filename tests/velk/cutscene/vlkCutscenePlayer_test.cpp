#include "framework/ui/window/TWindow.h"
#include "velk/cutscene/vlkCutscene.h"
#include "velk/cutscene/vlkSoundCS.h"

#include "CutsceneTestSupport.h"
#include "framework/script/ScriptFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

using namespace cutscenetest;

namespace {

// A window that a test may own on the stack.
class PlainWindow : public TWindow {
public:
    ~PlainWindow() override = default;
};

// A scene from a file, with recording objects added by name and an owner
// that writes "end" into the same journal.
class CutscenePlayerTest : public ScriptFixture {
protected:
    void Load(const std::string& body, const std::string& fps = "fps=\"30\"") {
        ASSERT_TRUE(
            scene.Load(WriteScene(mFolder, "s" + std::to_string(++mCount) + ".xml", body, fps)));
        scene.SetFinishHandler(&vlkICutscene::OnCutsceneEnd);
    }
    RecordingObject& Add(const char* name, const char* order = "nop()") {
        auto object = std::make_unique<RecordingObject>(journal, name, order);
        RecordingObject& added = *object;
        scene.AddObject(std::move(object));
        return added;
    }
    size_t Count(const std::string& entry) const {
        return static_cast<size_t>(std::count(journal.begin(), journal.end(), entry));
    }

    Journal journal;
    RecordingOwner owner{journal};
    PlainWindow continueWindow;
    vlkCutscene scene{&owner, &continueWindow};
    int mCount = 0;
};

TEST_F(CutscenePlayerTest, ContinueWindowIsHiddenFromTheStart) {
    EXPECT_FALSE(continueWindow.IsVisible());
    vlkCutscene plain;
    EXPECT_TRUE(plain.IsEnabled());
    EXPECT_TRUE(plain.IsVisible());
    EXPECT_EQ(plain.GetSpeed(), 1.0f);
    EXPECT_EQ(plain.GetFinishHandler(), nullptr);
}

TEST_F(CutscenePlayerTest, NoKeyframes_NeverEndsAndTheOwnerIsNeverTold) {
    Load("");
    RecordingObject& a = Add("a");
    scene.Play();
    for (int i = 0; i < 100; ++i) {
        scene.Update(33);
        ASSERT_FALSE(scene.IsFinished());
    }
    EXPECT_TRUE(scene.IsPlaying());
    EXPECT_EQ(owner.ends, 0);
    EXPECT_EQ(a.updates.size(), 100u) << "the objects are updated all the same";
}

TEST_F(CutscenePlayerTest, LastKeyframeActionsRunBeforeTheEndInTheSameUpdate) {
    Load(Keyframe(0, Action("a", "alpha", "set")) + Keyframe(50, Action("a", "alpha", "to")));
    Add("a");
    scene.Play();
    scene.Update(33);
    EXPECT_EQ(journal, (Journal{"a.alpha.set"}));
    EXPECT_FALSE(scene.IsFinished());
    scene.Update(33);
    EXPECT_EQ(journal, (Journal{"a.alpha.set", "a.alpha.to", "end"}));
    EXPECT_EQ(scene.GetFinished(), 1u);
    EXPECT_FALSE(scene.IsPlaying());
    scene.Update(33);
    EXPECT_EQ(scene.GetFinished(), 0u) << "only in the update in which it ended";
    EXPECT_EQ(owner.ends, 1);
}

TEST_F(CutscenePlayerTest, KeyframesOutOfOrderFireInFileOrder) {
    Load(Keyframe(0, Action("a", "p", "k0")) + Keyframe(500, Action("a", "p", "k500")) +
         Keyframe(200, Action("a", "p", "k200")) + Keyframe(900, Action("a", "p", "k900")));
    Add("a");
    scene.SetSpeed(1000.0f); // every update moves one frame interval
    scene.Play();
    uint32_t elapsed = 0;
    while (journal.size() < 3) {
        scene.Update(33);
        elapsed += 33;
        ASSERT_LT(elapsed, 2000u);
    }
    EXPECT_EQ(journal, (Journal{"a.p.k0", "a.p.k500", "a.p.k200"}));
    EXPECT_EQ(scene.GetTimeLine().GetTime(), 528u) << "both in the update that passes 500";
}

TEST_F(CutscenePlayerTest, SpeedIsCappedAtOneFrameInterval) {
    const struct {
        float speed;
        uint32_t elapsed;
        uint32_t advance;
    } cases[] = {{2.0f, 20, 33}, {1.0f, 20, 20}, {0.5f, 20, 10}, {2.0f, 10, 20},
                 {0.0f, 20, 0},  {-1.0f, 20, 0}, {1.0f, 500, 33}};
    for (const auto& c : cases) {
        journal.clear();
        Load("");
        RecordingObject& a = Add("a");
        scene.SetSpeed(c.speed);
        scene.Play();
        scene.Update(c.elapsed);
        EXPECT_EQ(scene.GetTimeLine().GetTime(), c.advance) << c.speed << " x " << c.elapsed;
        ASSERT_EQ(a.updates.size(), 1u);
        EXPECT_EQ(a.updates[0], c.advance);
    }
}

TEST_F(CutscenePlayerTest, DisabledDoesNothing_HiddenDrawsNothing) {
    Load(Keyframe(0, Action("a", "p", "f")));
    RecordingObject& a = Add("a");
    scene.Play();
    scene.SetEnabled(false);
    scene.Update(33);
    EXPECT_TRUE(journal.empty());
    EXPECT_TRUE(a.updates.empty());
    scene.Draw();
    EXPECT_EQ(a.draws, 1);
    scene.SetVisible(false);
    scene.Draw();
    EXPECT_EQ(a.draws, 1);
}

TEST_F(CutscenePlayerTest, StopFreezesEverythingUntilContinue) {
    Load(Keyframe(0, Action("a", "position", "to")) + Keyframe(100, Action("system", "", "stop")) +
         Keyframe(200, Action("a", "alpha", "set")) + Keyframe(300));
    RecordingObject& a = Add("a");
    scene.Play();
    for (int i = 0; i < 4; ++i)
        scene.Update(30);
    ASSERT_TRUE(scene.IsWaitingAtStop());
    EXPECT_TRUE(continueWindow.IsVisible());
    const uint32_t time = scene.GetTimeLine().GetTime();
    const size_t updates = a.updates.size();
    for (int i = 0; i < 50; ++i)
        scene.Update(30);
    EXPECT_EQ(scene.GetTimeLine().GetTime(), time);
    EXPECT_EQ(a.updates.size(), updates) << "no object moves while waiting";
    EXPECT_EQ(Count("a.alpha.set"), 0u);

    scene.Continue();
    EXPECT_FALSE(scene.IsWaitingAtStop());
    EXPECT_FALSE(continueWindow.IsVisible());
    for (int i = 0; i < 4; ++i)
        scene.Update(30);
    EXPECT_EQ(Count("a.alpha.set"), 1u);
    EXPECT_GT(a.updates.size(), updates);
    for (int i = 0; i < 4; ++i)
        scene.Update(30);
    EXPECT_EQ(owner.ends, 1);
}

TEST_F(CutscenePlayerTest, ClicksGoToTheLaterObjectFirst) {
    Load(Keyframe(0) + Keyframe(10000));
    RecordingObject& below = Add("below", "skip()");
    RecordingObject& above = Add("above", "nop()");
    scene.Play();
    EXPECT_TRUE(scene.HandleClick(5, 5));
    EXPECT_EQ(journal, (Journal{"hit above"})) << "nop() takes the click";
    EXPECT_TRUE(scene.IsPlaying());

    journal.clear();
    above.hit = false;
    EXPECT_TRUE(scene.HandleClick(5, 5));
    EXPECT_EQ(journal, (Journal{"hit above", "hit below", "end"}));
    EXPECT_FALSE(scene.IsPlaying());
    (void)below;
}

TEST_F(CutscenePlayerTest, ClickCommandsWithoutAFlowVerbLetTheClickThrough) {
    const struct {
        const char* order;
        bool handled;
    } cases[] = {{"nop()", true}, {"NOP()", true},  {"continue()", true}, {"", false},
                 {"nop", false},  {"fly()", false}, {"skip(1)", true}};
    for (const auto& c : cases) {
        journal.clear();
        Load(Keyframe(0) + Keyframe(10000));
        Add("only", c.order);
        scene.Play();
        EXPECT_EQ(scene.HandleClick(1, 1), c.handled) << c.order;
    }
    journal.clear();
    Load(Keyframe(0) + Keyframe(10000));
    Add("only").hit = false;
    EXPECT_FALSE(scene.HandleClick(1, 1));
}

TEST_F(CutscenePlayerTest, ContinueJumpsToTheNextAfterStopKeyframeAndRunsItOnce) {
    Load(Keyframe(0, Action("a", "visible", "set")) + Keyframe(1000, Action("a", "p", "mid")) +
         Keyframe(2000, Action("a", "p", "resume"), "afterstop=\"true\"") +
         Keyframe(2100, Action("a", "p", "late")) + Keyframe(2200));
    RecordingObject& a = Add("a");
    scene.Play();
    scene.Update(30);
    a.SetVisible(true);
    scene.Continue();
    EXPECT_FALSE(a.IsVisible()) << "every object is hidden first";
    EXPECT_EQ(journal, (Journal{"a.visible.set", "a.p.resume"}));
    EXPECT_EQ(scene.GetTimeLine().GetTime(), 2000u);
    for (int i = 0; i < 20 && scene.IsPlaying(); ++i)
        scene.Update(30);
    EXPECT_EQ(journal, (Journal{"a.visible.set", "a.p.resume", "a.p.late", "end"}))
        << "the jumped-to keyframe runs once, the middle one never";
    EXPECT_EQ(owner.ends, 1);
}

TEST_F(CutscenePlayerTest, ContinueWithoutALaterAfterStopEndsAtOnce) {
    Load(Keyframe(0, "", "afterstop=\"true\"") + Keyframe(500, Action("a", "p", "f")) +
         Keyframe(1000));
    Add("a");
    scene.Play();
    scene.Update(30);
    scene.Continue();
    EXPECT_EQ(journal, (Journal{"end"}));
    EXPECT_EQ(scene.GetFinished(), 1u);
    for (int i = 0; i < 50; ++i)
        scene.Update(33);
    EXPECT_EQ(owner.ends, 1) << "an ended scene reaches no later keyframe";
    scene.Continue();
    EXPECT_EQ(owner.ends, 1) << "nothing to continue once it has ended";
}

TEST_F(CutscenePlayerTest, AfterStopAsTheLastKeyframeEndsTheScene) {
    Load(Keyframe(0) + Keyframe(3000, Action("a", "p", "last"), "afterstop=\"true\""));
    Add("a");
    scene.Play();
    scene.Update(30);
    scene.Skip();
    EXPECT_EQ(journal, (Journal{"a.p.last", "end"}));
}

TEST_F(CutscenePlayerTest, ContinueAmongTheJumpedToActionsDoesNotLoop) {
    Load(Keyframe(0) +
         Keyframe(500, Action("system", "", "continue") + Action("a", "p", "f"),
                  "afterstop=\"true\"") +
         Keyframe(900));
    Add("a");
    scene.Play();
    scene.Update(10);
    scene.Continue();
    EXPECT_EQ(Count("a.p.f"), 1u);
    EXPECT_TRUE(scene.IsPlaying());
}

TEST_F(CutscenePlayerTest, SystemInAnyCaseIsAFlowVerb_CapitalisedObjectsAreNeverFound) {
    Load(R"(<object name="Logo" type="sound"/><object name="logo2" type="sound"/>)" +
         Keyframe(0, Action("Logo", "sound", "stop") + Action("LOGO2", "sound", "stop") +
                         Action("System", "", "Stop")) +
         Keyframe(100, Action("SYSTEM", "", "SKIP")) + Keyframe(5000));
    scene.Play();
    scene.Update(10);
    EXPECT_TRUE(scene.IsWaitingAtStop());
    EXPECT_TRUE(scene.GetObjects()[0]->GetAction().property.IsEmpty())
        << "the action's object name was lower-cased and found no Logo";
    EXPECT_EQ(scene.GetObjects()[1]->GetAction().property.ToStd(), "sound");
    EXPECT_EQ(scene.GetDefinition().keyframes[0].actions[0].object.ToStd(), "logo");
    scene.Continue();
    for (int i = 0; i < 5; ++i)
        scene.Update(33);
    EXPECT_EQ(owner.ends, 1) << "SKIP ended it";
    EXPECT_FALSE(scene.RunFlowCommand("jump"));
    EXPECT_TRUE(scene.RunFlowCommand("NoP"));
}

TEST_F(CutscenePlayerTest, AutoClearDeletesTheObjectsAtTheEnd) {
    Load("<object name=\"a\" type=\"sound\"/>" + Keyframe(0, Action("system", "", "skip")) +
         Keyframe(10));
    scene.SetAutoClear(true);
    scene.Play();
    scene.Update(5);
    EXPECT_EQ(owner.ends, 1);
    EXPECT_TRUE(scene.GetObjects().empty());
    EXPECT_EQ(scene.GetTimeLine().GetCount(), 0u);
    scene.Update(50);
    EXPECT_EQ(owner.ends, 1);
}

TEST_F(CutscenePlayerTest, PlayAfterTheEndStartsAgain) {
    Load(Keyframe(0, Action("a", "p", "f")) + Keyframe(40));
    Add("a");
    scene.Play();
    scene.Update(33);
    scene.Update(33);
    ASSERT_EQ(owner.ends, 1);
    scene.Play();
    scene.Update(33);
    scene.Update(33);
    EXPECT_EQ(Count("a.p.f"), 2u);
    EXPECT_EQ(owner.ends, 2);
}

// A screen waiting on the end of a scene whose file is missing or broken
// would wait for ever: such a scene ends in its first update after Play,
// with one log line, and reads finished from then on (a screen that primes
// it with an update of 0 ms still sees the end); not before it is played,
// nor while disabled.
TEST_F(CutscenePlayerTest, SceneThatDidNotLoadEndsInItsFirstUpdate) {
    const TString missing(("::" + (mFolder.Path() / "absent.xml").string()).c_str());
    const TString broken(("::" + mFolder.Write("broken.xml", "<Cutscene fps=\"0\"/>")).c_str());
    for (const TString& path : {missing, broken}) {
        SCOPED_TRACE(path.CStr());
        RecordingOwner watcher(journal);
        vlkCutscene failed(&watcher, nullptr);
        failed.SetFinishHandler(&vlkICutscene::OnCutsceneEnd);
        ASSERT_FALSE(failed.Load(path));
        EXPECT_TRUE(failed.DidLoadFail());
        failed.Update(16);
        EXPECT_FALSE(failed.IsFinished()) << "not played yet";
        failed.Play();
        failed.SetEnabled(false);
        failed.Update(16);
        EXPECT_FALSE(failed.IsFinished()) << "disabled";
        failed.SetEnabled(true);
        const size_t mark = Mark();
        failed.Update(16);
        EXPECT_TRUE(failed.IsFinished());
        EXPECT_EQ(watcher.ends, 1);
        EXPECT_NE(LogSince(mark).find("did not load; it counts as finished"), std::string::npos);
        failed.Update(16);
        EXPECT_TRUE(failed.IsFinished()) << "still ended: a poll after a priming update sees it";
        EXPECT_EQ(watcher.ends, 1) << "the owner hears of the end once";
        const size_t again = Mark();
        failed.Play();
        failed.Update(16);
        EXPECT_TRUE(failed.IsFinished()) << "played again, it ends again";
        EXPECT_EQ(LogSince(again).find("did not load"), std::string::npos) << "said once";

        vlkCutscene copy(failed);
        copy.Play();
        copy.Update(16);
        EXPECT_TRUE(copy.IsFinished()) << "a copy of a scene that did not load ends too";
    }
    // A good file after a failed one plays as usual.
    vlkCutscene later;
    ASSERT_FALSE(later.Load(missing));
    ASSERT_TRUE(later.Load(WriteScene(mFolder, "good.xml", Keyframe(0) + Keyframe(100))));
    EXPECT_FALSE(later.DidLoadFail());
    later.Play();
    later.Update(33);
    EXPECT_FALSE(later.IsFinished());
}

} // namespace
