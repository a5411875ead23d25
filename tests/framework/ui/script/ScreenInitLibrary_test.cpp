// The screen library the window script runs at start: its constants, the
// style lookups, the layout helpers and the small wrappers over the native
// functions; and the window script functions that draw, time and play.

#include "framework/graphics/TGraphics.h"
#include "framework/ui/movie/TMoviePlayer.h"
#include "framework/ui/script/WindowScriptFixture.h"
#include "framework/ui/widgets/TButton.h"

#include <string>
#include <vector>

namespace {

using ScreenLibrary = WindowScriptFixture;

TEST_F(ScreenLibrary, ValuesAndHelpersAsScriptsSeeThem) {
    ASSERT_TRUE(Run("gDialogWidth = 400; gDialogHeight = 300"));
    // A _SetState of the test's own, to see what SetState hands on.
    ASSERT_TRUE(Run("function _SetState(n, v) gState = type(n) .. ':' .. n .. '=' .. "
                    "type(v) .. ':' .. v end"));
    struct Case {
        const char* statement;
        const char* expression;
        const char* expected;
    };
    const Case cases[] = {
        {"", "kHAlignRight + kVAlignBottom + kRadio", "12"},
        {"", "kPushButtonAlignment .. kRadioButtonAlignment .. kToggleButtonAlignment", "545"},
        {"", "kCenter + kMax + kDefault + kAllLayers", "240127"},
        {"", "kGeneric .. kCloseWindow .. kModalClosed .. kCommandOnly .. kSliderPageDown",
         "016812"},
        {"", "kUserMessageBase", "1000"},
        {"", "kPause .. kMaxLevel .. kGameVersion .. kHiscoreAnonymous",
         "pausemaxlevelversionhiscoreanon"},
        {"", "gCurID .. gBeginGroup .. table.getn(gClosedWindows)", "10000"},
        {"gC = Color(255, 0, 51)", "table.concat(gC, ',')", "1,0,0.2,1"},
        {"gC = Color(0, 0, 0, 102)", "gC[4]", "0.4"},
        {"gC = FColor(0.5, 0.25, 1)", "table.concat(gC, ',')", "0.5,0.25,1,1"},
        // Keys are looked up in the table, then in the default style and
        // its parents; false counts as missing.
        {"SetDefaultStyle { a = 'style', parent = { b = 'parent' } }",
         "GetTag({ a = false }, 'a') .. GetTag({}, 'b')", "styleparent"},
        {"", "tostring(GetTag({}, 'none'))", "nil"},
        {"AppendStyle { c = 'appended' }()", "GetTag({}, 'c') .. GetTag({}, 'a')", "appendedstyle"},
        {"SetStyle { d = 1 }()", "tostring(GetTag({}, 'a'))", "nil"},
        // DistributeX leaves its divisor and last step behind; DistributeY
        // keeps its own.
        {"gX = DistributeX(3)", "table.concat(gX, ',') .. '|' .. divisor .. '|' .. d",
         "100,200,300|4|0.75"},
        {"divisor = nil; gY = DistributeY(2)", "table.concat(gY, ',') .. tostring(divisor)",
         "100,200nil"},
        {"Push('a'); Push('b')", "table.concat(gParent, ',')", "b,a"},
        {"Pop()", "table.concat(gParent, ',')", "a"},
        {"SetState('mute', true)", "gState", "string:mute=string:1"},
        {"SetState('level', false)", "gState", "string:level=string:0"},
        {"SetState(kScore, 120)", "gState", "string:score=string:120"},
        {"", "GetString('#plain')", "plain"},
        {"ModalReturn('x')", "gReturnValue", "x"},
        {"BeginGroup()()", "gBeginGroup", "1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expression);
        if (*c.statement) {
            ASSERT_TRUE(Run(c.statement)) << Log();
        }
        EXPECT_EQ(Eval(c.expression), c.expected);
    }
}

TEST_F(ScreenLibrary, FillRectDrawsInsideItsOwnClip) {
    const int fills = graphics->GetFillCount();
    const size_t clips = graphics->GetClipDepth();
    ASSERT_TRUE(Run("FillRect({ 10, 20, 110.9, 70 }, { 1, 0, 0 })"));
    EXPECT_EQ(graphics->GetFillCount(), fills + 1);
    EXPECT_EQ(graphics->GetLastFillRect(), TRect(10, 20, 110, 70));
    EXPECT_EQ(graphics->GetClipDepth(), clips);
    // A missing element counts as 0: here the alpha.
    EXPECT_EQ(graphics->GetLastFillColour() >> 24, 0u);
}

TEST_F(ScreenLibrary, GetTimerIsTheApplicationClock) {
    rig.time.Set(123456);
    EXPECT_EQ(Eval("GetTimer()"), "123456");
}

TEST_F(ScreenLibrary, SetCommandGivesAButtonAScriptAction) {
    // Commands run in the screen coroutine's loop.
    StartMain("while true do WaitForMessage() end");
    ASSERT_TRUE(Run("MakeDialog { Button { name = 'go', w = 10, h = 10 } }"));
    ASSERT_TRUE(Run("SetCommand('go', function() gWent = GetButtonName() end)"));
    auto* button = static_cast<TButton*>(Find("go"));
    ASSERT_NE(button, nullptr);
    button->Press();
    Pump();
    EXPECT_EQ(Global("gWent"), "go") << Log();
}

// Players that open as they are told, and say what happened to them.
std::vector<std::string> gPlayerLog;
bool gPlayerOpens = false;

class FakePlayer : public TMoviePlayer {
public:
    explicit FakePlayer(const TString& name) : mName(name.ToStd()) {}
    ~FakePlayer() override { gPlayerLog.push_back("deleted " + mName); }
    bool Open(bool first, bool translate, bool allowInput) override {
        gPlayerLog.push_back("open " + mName + " " + std::to_string(first) +
                             std::to_string(translate) + std::to_string(allowInput));
        mPlaying = gPlayerOpens;
        return gPlayerOpens;
    }
    bool IsPlaying() const override { return mPlaying; }
    void Close() override {
        gPlayerLog.push_back("close " + mName);
        mPlaying = false;
    }
    void Update() override { gPlayerLog.push_back("update " + mName); }

private:
    std::string mName;
    bool mPlaying = false;
};

TMoviePlayer* MakeFakePlayer(const TString& name) {
    return new FakePlayer(name);
}

TEST_F(ScreenLibrary, MoviesOpenThroughTheInstalledPlayer) {
    gPlayerLog.clear();
    SetMoviePlayerMaker(MakeFakePlayer);
    gPlayerOpens = false;
    EXPECT_EQ(Eval("tostring(StartMovie('intro', true, false))"), "false");
    EXPECT_EQ(gPlayerLog, (std::vector<std::string>{"open intro 010", "deleted intro"}));
    EXPECT_EQ(Eval("tostring(StartMovie('', true, true))"), "false");
    EXPECT_EQ(gPlayerLog.size(), 2u) << "no player for an empty name";
    gPlayerLog.clear();
    gPlayerOpens = true;
    EXPECT_EQ(Eval("tostring(StartMovie('logo', false, true))"), "true");
    EXPECT_EQ(Eval("tostring(IsMoviePlaying())"), "true");
    script->UpdateMovie();
    ASSERT_TRUE(Run("StopMovie()"));
    EXPECT_EQ(Eval("tostring(IsMoviePlaying())"), "false");
    EXPECT_EQ(gPlayerLog, (std::vector<std::string>{"open logo 001", "update logo", "close logo",
                                                    "deleted logo"}));
    SetMoviePlayerMaker(nullptr);
    // The stand-in of this build opens nothing, and says so.
    const size_t mark = Mark();
    EXPECT_EQ(Eval("tostring(StartMovie('intro', true, false))"), "false");
    EXPECT_NE(LogSince(mark).find("Movie 'intro' not played"), std::string::npos);
}

TEST_F(ScreenLibrary, SwapToModalReplacesTheTopModalsContents) {
    Write("scripts/one.lua", "MakeDialog { Window { name = 'one', w = 10, h = 10 } }");
    Write("scripts/two.lua", "MakeDialog { Window { name = 'two', x = 4, w = 20, h = 30 } }");
    ASSERT_TRUE(Run("PushModal('scripts/one.lua'); ReadFile('scripts/one.lua')")) << Log();
    ASSERT_NE(Top()->FindChild("one", true), nullptr);
    ASSERT_TRUE(Run("SwapToModal('scripts/two.lua')")) << Log();
    EXPECT_EQ(Top()->FindChild("one", true), nullptr);
    ASSERT_NE(Top()->FindChild("two", true), nullptr);
    EXPECT_EQ(Top()->GetRect(), TRect(0, 0, 24, 30));
}

TEST_F(ScreenLibrary, ASplashWithoutMovieOrPictureStaysPushed) {
    StartMain("DisplaySplash(nil, nil, 1000)\n"
              "gSplashDone = true\n"
              "while true do WaitForMessage() end");
    EXPECT_EQ(Global("gSplashDone"), "true") << Log();
    EXPECT_EQ(Top()->GetName().ToStd(), "DisplaySplash");
}

} // namespace
