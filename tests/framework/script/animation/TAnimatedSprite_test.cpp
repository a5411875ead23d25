#include "framework/script/animation/TAnimatedSprite.h"

#include "framework/core/files/TAssetScan.h"
#include "framework/core/tasks/TClock.h"
#include "framework/core/tasks/TTaskList.h"
#include "framework/graphics/TTexture.h"
#include "framework/graphics/animation/TAnimatedTexture.h"
#include "framework/script/host/TScript.h"

#include "framework/script/ScriptFixture.h"

#include "platform/graphics/PngWriter.h"

#include <lua.h>

#include <filesystem>

#include <memory>
#include <string>
#include <vector>

namespace {

// An animation of frames of 10 x 10 side by side, with the given script
// (none: the default one).
std::string AnimationXml(int frames, const std::string& script) {
    std::string xml = "<sequence name=\"t\" source=\"test\">\n"
                      "  <img w=\"" +
                      std::to_string(frames * 10) +
                      "\" h=\"10\" name=\"strip.png\"/>\n  <framelist>\n";
    for (int i = 0; i < frames; ++i) {
        xml += "    <frame x=\"" + std::to_string(i * 10) + "\" y=\"0\" w=\"10\" h=\"10\" regx=\"" +
               std::to_string(i) + "\" regy=\"2\"/>\n";
    }
    xml += "  </framelist>\n";
    if (!script.empty()) {
        xml += "  <script>" + script + "</script>\n";
    }
    return xml + "</sequence>\n";
}

// Animated sprites in a task list on a clock moved by hand.
class AnimatedSpriteTest : public ScriptFixture {
protected:
    void SetUp() override {
        ScriptFixture::SetUp();
        TAnimatedSprite::SetTaskList(&mTasks);
        mPath = GetScriptSearchPath();
        // The image every test animation names: frames of 10 x 10 side by side.
        std::vector<uint32_t> pixels(40 * 10, 0xFF336699u);
        std::filesystem::create_directories("assets");
        ASSERT_TRUE(platform::WritePngFile("assets/strip.png", pixels.data(), 40, 10, 40));
    }
    void TearDown() override {
        mSprites.clear();
        mTasks.DeleteAll();
        TAnimatedSprite::SetTaskList(nullptr);
        TAnimatedSprite::SetRandomSource(nullptr);
        SetScriptSearchPath(mPath);
        ScriptFixture::TearDown();
    }

    // A sprite showing the animation of that file, which is written first.
    std::shared_ptr<TAnimatedSprite> Sprite(const std::string& file, int frames,
                                            const std::string& script) {
        WriteAsset(file, AnimationXml(frames, script));
        auto texture = TAnimatedTexture::Get(TString(file.c_str()), TString(), TString());
        EXPECT_TRUE(texture) << file;
        auto sprite = TAnimatedSprite::Create(0);
        sprite->SetTexture(texture);
        sprite->SetClock(&mClock);
        mSprites.push_back(sprite);
        return sprite;
    }

    // A file in the assets folder, found by its name from then on.
    void WriteAsset(const std::string& name, const std::string& bytes) {
        Write("assets/" + name, bytes);
        ClearNameRegistry();
        InitFileSystem();
    }

    // The clock to t, then one pass of the task list.
    void At(uint32_t t) {
        mClock.SetTime(t);
        mTasks.RunAll(0);
    }

    TClock mClock;
    TTaskList mTasks;
    TString mPath;
    std::vector<std::shared_ptr<TAnimatedSprite>> mSprites;
};

TEST_F(AnimatedSpriteTest, Frames_AfterDelayAndFadeoutShowEachFrameForTheDelayWhileAlphaFalls) {
    auto sprite =
        Sprite("fade.xml", 3, "function DoAnim() delay(60); fadeout(2); frames{1,2,3}; end");
    sprite->Play(TString("DoAnim"));
    struct Step {
        uint32_t time;
        int32_t frame;
        float alpha;
        bool playing;
    } steps[] = {{0, 0, 0.5f, true},   {59, 0, 0.5f, true},  {60, 1, 0.0f, true},
                 {119, 1, 0.0f, true}, {120, 2, 0.0f, true}, {180, 2, 0.0f, false}};
    for (const Step& step : steps) {
        At(step.time);
        EXPECT_EQ(sprite->GetCurrentFrame(), step.frame) << "at " << step.time;
        EXPECT_FLOAT_EQ(sprite->GetDrawSpec().mAlpha, step.alpha) << "at " << step.time;
        EXPECT_EQ(sprite->IsPlaying(0), step.playing) << "at " << step.time;
        EXPECT_EQ(sprite->GetAnimatedTexture()->GetCurrentFrame(), step.frame);
    }
}

TEST_F(AnimatedSpriteTest, LoopPauseAndTheDefaultScript_GiveTheirFrameSequences) {
    struct Case {
        const char* script;
        std::vector<int32_t> frameEvery10ms;
    } cases[] = {
        // The default script: 60 ms a frame.
        {"", {0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 2}},
        {"function DoAnim() delay(20); loop(2, {2, 1}); end", {1, 1, 0, 0, 1, 1, 0, 0, 0}},
        {"function DoAnim() delay(10); frames{3}; pause(50); frames{1, 2}; end",
         {2, 2, 2, 2, 2, 2, 0, 1, 1}},
        {"function DoAnim() delay(10); frames{1}; showFrame(); frames{3}; end", {0, 0, 2, 2}},
    };
    int index = 0;
    for (const Case& c : cases) {
        auto sprite = Sprite("seq" + std::to_string(index++) + ".xml", 3, c.script);
        mClock.SetTime(0);
        sprite->Play(TString("DoAnim"));
        std::vector<int32_t> seen;
        for (size_t i = 0; i < c.frameEvery10ms.size(); ++i) {
            At(static_cast<uint32_t>(i * 10));
            seen.push_back(sprite->GetCurrentFrame());
        }
        EXPECT_EQ(seen, c.frameEvery10ms) << c.script;
        sprite->Die();
    }
}

TEST_F(AnimatedSpriteTest, DefaultScript_IsGeneratedForAnAnimationWithoutOne) {
    auto sprite = Sprite("plain.xml", 3, "");
    EXPECT_STREQ(sprite->GetScript().CStr(),
                 "function DoAnim()\n    delay(60);\n    frames{1,2,3};\nend\n");
    EXPECT_EQ(sprite->GetFrameCount(), 3);
}

TEST_F(AnimatedSpriteTest, Die_FromTheScriptEndsAtTheNextWaitAndTheParkedScriptsGoLater) {
    auto sprite = Sprite("die.xml", 3,
                         "function DoAnim() delay(10); frames{2}; die(); SetCurrentFrame(2); "
                         "WaitLuaNextFrame(10); SetCurrentFrame(0); end");
    sprite->Play(TString("DoAnim"));
    EXPECT_EQ(sprite->GetCurrentFrame(), 1);
    At(10);
    // die() ran: the code up to the next wait still ran, nothing after it.
    EXPECT_EQ(sprite->GetCurrentFrame(), 2);
    EXPECT_EQ(sprite->GetMainScript(), nullptr);
    EXPECT_EQ(sprite->GetThreadScript(), nullptr);
    EXPECT_FALSE(sprite->IsPlaying(-1));
    EXPECT_EQ(mTasks.Count(), 0u);
    At(100);
    EXPECT_EQ(sprite->GetCurrentFrame(), 2);
    // A new play sets the host up again and deletes the parked scripts.
    sprite->Play(TString("DoAnim"));
    EXPECT_EQ(sprite->GetCurrentFrame(), 1);
    EXPECT_NE(sprite->GetMainScript(), nullptr);
}

TEST_F(AnimatedSpriteTest, DieTwiceInOneRun_KeepsTheRunningScriptUntilItsStepIsOver) {
    auto sprite = Sprite("twice.xml", 2,
                         "function DoAnim() delay(10); frames{1}; die(); die(); "
                         "Pause(false, 0); die(); frames{2}; end");
    sprite->Play(TString("DoAnim"));
    At(10);
    At(20);
    EXPECT_EQ(sprite->GetCurrentFrame(), 1);
    EXPECT_FALSE(sprite->IsPlaying(0));
}

TEST_F(AnimatedSpriteTest, PauseAndIsPlaying_ReachAnimatedChildrenByDepth) {
    auto parent = Sprite("p.xml", 2, "function DoAnim() delay(10); frames{1}; end");
    auto child = Sprite("c.xml", 3, "function DoAnim() delay(10); loop(10, {1, 2, 3}); end");
    auto plain = TSprite::Create(0);
    parent->AddChild(plain);
    parent->AddChild(child);
    parent->Play(TString("DoAnim"));
    child->Play(TString("DoAnim"));
    At(10); // the parent's function ends
    EXPECT_FALSE(parent->IsPlaying(0));
    EXPECT_TRUE(parent->IsPlaying(-1));
    EXPECT_TRUE(child->IsPlaying(0));
    EXPECT_EQ(child->GetCurrentFrame(), 1);

    parent->Pause(true, -1);
    At(50);
    EXPECT_EQ(child->GetCurrentFrame(), 1);
    parent->Pause(true, 0); // the child is not reached
    parent->Pause(false, -1);
    At(50);
    EXPECT_EQ(child->GetCurrentFrame(), 1);
    At(51);
    EXPECT_EQ(child->GetCurrentFrame(), 2);
    At(61);
    EXPECT_EQ(child->GetCurrentFrame(), 0);

    // A sprite with no thread passes nothing on.
    auto idle = TAnimatedSprite::Create(0);
    idle->AddChild(child);
    idle->Pause(true, -1);
    At(200);
    EXPECT_NE(child->GetCurrentFrame(), 0);
}

TEST_F(AnimatedSpriteTest, WaitWithoutArgument_SuspendsUntilPauseFalseResumesItAMillisecondLater) {
    auto sprite = Sprite("hold.xml", 3,
                         "function DoAnim() SetCurrentFrame(1); WaitLuaNextFrame(); "
                         "SetCurrentFrame(2); WaitLuaNextFrame(5); end");
    sprite->Play(TString("DoAnim"));
    At(1000);
    EXPECT_EQ(sprite->GetCurrentFrame(), 1);
    EXPECT_TRUE(sprite->IsPlaying(0));
    sprite->Pause(false, 0);
    At(1000);
    EXPECT_EQ(sprite->GetCurrentFrame(), 1);
    At(1001);
    EXPECT_EQ(sprite->GetCurrentFrame(), 2);
}

TEST_F(AnimatedSpriteTest, SetClock_MovesAWaitingThreadKeepingItsWait) {
    auto sprite = Sprite("clock.xml", 2, "function DoAnim() delay(60); frames{1, 2}; end");
    mClock.SetTime(0);
    sprite->Play(TString("DoAnim"));
    At(20);
    TClock other;
    other.SetTime(1000);
    sprite->SetClock(&other);
    mClock.SetTime(5000);
    mTasks.RunAll(0);
    EXPECT_EQ(sprite->GetCurrentFrame(), 0);
    other.SetTime(1039);
    mTasks.RunAll(0);
    EXPECT_EQ(sprite->GetCurrentFrame(), 0);
    other.SetTime(1040);
    mTasks.RunAll(0);
    EXPECT_EQ(sprite->GetCurrentFrame(), 1);
}

TEST_F(AnimatedSpriteTest, Play_EmptyNameSetsUpOnlyAndNoTextureDoesNothing) {
    auto sprite = Sprite("setup.xml", 2, "function DoAnim() SetCurrentFrame(1) end ran = 1");
    sprite->Play(TString());
    ASSERT_NE(sprite->GetMainScript(), nullptr);
    ASSERT_NE(sprite->GetThreadScript(), nullptr);
    EXPECT_EQ(sprite->GetMainScript()->GetGlobalNumber("ran"), 1.0);
    EXPECT_EQ(sprite->GetCurrentFrame(), 0);
    EXPECT_EQ(mTasks.Count(), 2u);
    // The search path now looks beside the animation.
    EXPECT_STREQ(GetScriptSearchPath().CStr(), "?;?.lua;scripts/?;scripts/?.lua;?;?.lua");

    auto bare = TAnimatedSprite::Create(0);
    bare->Play(TString("DoAnim"));
    EXPECT_EQ(bare->GetMainScript(), nullptr);
    EXPECT_EQ(bare->GetThreadScript(), nullptr);
}

TEST_F(AnimatedSpriteTest, Play_OfAMissingFunctionIsLogged) {
    auto sprite = Sprite("missing.xml", 1, "function DoAnim() end");
    size_t mark = Mark();
    sprite->Play(TString("NoSuchAnim"));
    EXPECT_NE(LogSince(mark).find("TAnimatedSprite::Play: lua_resume error:"), std::string::npos)
        << LogSince(mark);
    At(100);
    EXPECT_FALSE(sprite->IsPlaying(0));
}

TEST_F(AnimatedSpriteTest, WaitOutsideACoroutine_LogsAndReturns) {
    auto sprite = Sprite("outside.xml", 1, "function DoAnim() end");
    sprite->Play(TString());
    size_t mark = Mark();
    ASSERT_TRUE(sprite->GetMainScript()->DoLuaString(TString("WaitLuaNextFrame(5); after = 1")));
    EXPECT_EQ(sprite->GetMainScript()->GetGlobalNumber("after"), 1.0);
    EXPECT_NE(LogSince(mark).find("WaitLuaNextFrame: not called"), std::string::npos);

    // Inside a protected call of a coroutine the engine cannot yield either.
    auto nested = Sprite("nested.xml", 2,
                         "function DoAnim() pcall(WaitLuaNextFrame, 5); SetCurrentFrame(1); end");
    nested->Play(TString("DoAnim"));
    EXPECT_EQ(nested->GetCurrentFrame(), 1);
}

TEST_F(AnimatedSpriteTest, Natives_FrameRulesRandomLayerAndAlpha) {
    auto sprite = Sprite("natives.xml", 3, "function DoAnim() end");
    static uint32_t draws[] = {7, 8, 0xFFFFFFFFu};
    static int next = 0;
    next = 0;
    TAnimatedSprite::SetRandomSource([]() { return draws[next++ % 3]; });
    sprite->Play(TString());
    TScript* script = sprite->GetMainScript();
    ASSERT_TRUE(script->DoLuaString(
        TString("a = Random(3, 5); b = Random(3, 5); c = random(3, 5); d = Random(7, 7);"
                "SetCurrentFrame(2); f1 = 1; SetCurrentFrame(-2); SetAlpha(0.25); SetLayer(4);"
                "n = string.len(GetScript())")));
    EXPECT_EQ(script->GetGlobalNumber("a"), 4.0);
    EXPECT_EQ(script->GetGlobalNumber("b"), 3.0);
    EXPECT_EQ(script->GetGlobalNumber("c"), 4.0);
    EXPECT_EQ(script->GetGlobalNumber("d"), 7.0);
    EXPECT_EQ(script->GetGlobalNumber("n"), 21.0);
    EXPECT_EQ(sprite->GetCurrentFrame(), 2);
    EXPECT_FLOAT_EQ(sprite->GetDrawSpec().mAlpha, 0.25f);
    EXPECT_EQ(sprite->GetLayer(), 4);

    // Past the frames: stored, not applied to the texture; -1 applied.
    sprite->SetCurrentFrame(5);
    EXPECT_EQ(sprite->GetCurrentFrame(), 5);
    EXPECT_EQ(sprite->GetAnimatedTexture()->GetCurrentFrame(), 2);
    sprite->SetCurrentFrame(-1);
    EXPECT_EQ(sprite->GetAnimatedTexture()->GetCurrentFrame(), -1);
    EXPECT_EQ(sprite->GetAnimatedTexture()->GetFrameWidth(), 0);
}

TEST_F(AnimatedSpriteTest, Run_LoadsAnotherAnimationAndPlaysItsFunction) {
    WriteAsset("other.xml", AnimationXml(4, "function Spin() delay(10); frames{4, 3}; end"));
    auto sprite = Sprite("runner.xml", 2,
                         "function DoAnim() ok = Load('nothing.xml', '', ''); "
                         "run{'other.xml', anim = 'Spin'}; SetCurrentFrame(0); end");
    sprite->Play(TString("DoAnim"));
    EXPECT_EQ(sprite->GetCurrentFrame(), 3);
    EXPECT_EQ(sprite->GetFrameCount(), 4);
    At(10);
    EXPECT_EQ(sprite->GetCurrentFrame(), 2);
    At(20);
    EXPECT_EQ(sprite->GetCurrentFrame(), 0);
    EXPECT_EQ(sprite->GetMainScript()->GetGlobalNumber("ok"), 0.0);
}

TEST_F(AnimatedSpriteTest, RemoveSprite_WhenTheParentHeldTheLastReferenceOutlivesTheStep) {
    auto parent = TSprite::Create(0);
    std::weak_ptr<TAnimatedSprite> weak;
    {
        auto sprite = Sprite("leave.xml", 2,
                             "function DoAnim() delay(10); frames{1}; RemoveSprite(); "
                             "SetCurrentFrame(1); frames{2}; end");
        parent->AddChild(sprite);
        sprite->Play(TString("DoAnim"));
        weak = sprite;
        mSprites.clear();
    }
    At(10);
    At(20);
    EXPECT_TRUE(parent->GetChildren().empty());
    EXPECT_TRUE(weak.expired());
}

TEST_F(AnimatedSpriteTest, Bounds_UseTheCurrentFramesRegistrationMirroredByTheFlips) {
    auto sprite = Sprite("bounds.xml", 3, "");
    sprite->SetCurrentFrame(2); // registration (2, 2) of a 10 x 10 frame
    sprite->GetDrawSpec().SetPosition(100.0f, 100.0f);
    EXPECT_EQ(sprite->GetBounds(TDrawSpec()), TRect(98, 98, 108, 108));
    EXPECT_EQ(sprite->GetDrawSpec().mFlags & kDrawRegistration, 0u);
    sprite->GetDrawSpec().mFlags = kDrawFlipHorizontal;
    EXPECT_EQ(sprite->GetBounds(TDrawSpec()), TRect(92, 98, 102, 108));
    sprite->GetDrawSpec().mFlags = kDrawRegistration;
    sprite->GetDrawSpec().mRegistration = TVec2(0.0f, 0.0f);
    EXPECT_EQ(sprite->GetBounds(TDrawSpec()), TRect(100, 100, 110, 110));
    EXPECT_TRUE(sprite->IsKindOf(TSprite::GetClassId()));
    EXPECT_TRUE(sprite->IsKindOf(TAnimatedSprite::GetClassId()));
}

TEST_F(AnimatedSpriteTest, SharedTexture_EachSpriteSelectsItsOwnFrameBeforeUse) {
    auto a = Sprite("shared.xml", 3, "");
    auto b = TAnimatedSprite::Create(0);
    b->SetTexture(a->GetAnimatedTexture());
    ASSERT_EQ(b->GetAnimatedTexture(), a->GetAnimatedTexture());
    a->SetCurrentFrame(1);
    b->SetCurrentFrame(2);
    auto texture = a->GetAnimatedTexture();
    a->Draw(TDrawSpec(), -1);
    EXPECT_EQ(texture->GetCurrentFrame(), 1);
    b->Draw(TDrawSpec(), -1);
    EXPECT_EQ(texture->GetCurrentFrame(), 2);
    a->HitTest(0, 0, TDrawSpec(), -1, -1);
    EXPECT_EQ(texture->GetCurrentFrame(), 1);
    b->GetBounds(TDrawSpec(), -1);
    EXPECT_EQ(texture->GetCurrentFrame(), 2);
    // A plain texture leaves the sprite without frames.
    b->SetTexture(TTexture::CreateRenderTarget(4, 4, true));
    EXPECT_FALSE(b->GetAnimatedTexture());
    EXPECT_EQ(b->GetFrameCount(), 1);
    EXPECT_TRUE(b->GetScript().IsEmpty());
}

} // namespace
