// The window script: dialogs built from script tables, the functions it
// gives scripts, and the screen coroutine's modal loop with messages,
// commands and native calls, on the null display with a hand clock.

#include "framework/script/engine/LuaState.h"
#include "framework/script/message/TLuaMessage.h"
#include "framework/ui/script/WindowScriptFixture.h"
#include "framework/ui/widgets/TButton.h"
#include "framework/ui/widgets/TImage.h"
#include "framework/ui/widgets/TSlider.h"
#include "framework/ui/widgets/TText.h"
#include "framework/ui/widgets/TTextEdit.h"

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int32_t kUserType = TMessage::kUserMessageBase;

using WindowScriptBuild = WindowScriptFixture;

const char kDialog[] = R"lua(
MakeDialog {
    Window { name = 'panel', x = 10, y = 20, w = 300, h = 200,
        function() gSeenWidth = gDialogWidth; gSeenHeight = gDialogHeight end,
        SetStyle { w = 40, h = 10 },
        Button { name = 'a', type = kRadio },
        Button { name = 'b', type = kRadio },
        BeginGroup(),
        Button { name = 'c', type = kRadio },
        AppendStyle { h = 30 },
        Window { name = 'inner', x = 5, y = 5, fit = true,
            Window { name = 'leaf', x = 7, y = 8, w = 50, h = 45 },
        },
        Slider { name = 'slider', x = 0, y = 150, w = 100, h = 10 },
        TextEdit { name = 'edit', x = 0, y = 170, w = 100, h = 20, font = { '__DEFAULT' } },
        Bitmap { name = 'picture', x = 200, y = 0 },
        Text { name = 'caption', label = '#Hello', font = { '__DEFAULT' }, w = 80, h = 20 },
    },
    Window { name = 'after' },
}
)lua";

TEST_F(WindowScriptBuild, ADialogSourceGivesItsTree) {
    ASSERT_TRUE(Run(kDialog)) << Log();
    TWindow* panel = Find("panel");
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->GetParent(), screen);
    EXPECT_EQ(panel->GetRect(), TRect(10, 20, 310, 220));
    // Each window tells the script its size as it is made.
    EXPECT_EQ(Global("gSeenWidth"), "300");
    EXPECT_EQ(Global("gSeenHeight"), "200");

    struct Expected {
        const char* name;
        TWindowClassId kind;
        const char* parent;
        TRect rect;
    };
    const Expected cases[] = {
        // Sizes from the style set inside the panel.
        {"a", TButton::GetClassId(), "panel", TRect(0, 0, 40, 10)},
        {"b", TButton::GetClassId(), "panel", TRect(0, 0, 40, 10)},
        {"c", TButton::GetClassId(), "panel", TRect(0, 0, 40, 10)},
        // The appended style's height over the width of the one below it;
        // "fit" grows the window to its child.
        {"inner", TWindow::GetClassId(), "panel", TRect(5, 5, 62, 58)},
        {"leaf", TWindow::GetClassId(), "inner", TRect(7, 8, 57, 53)},
        {"slider", TSlider::GetClassId(), "panel", TRect(0, 150, 100, 160)},
        {"edit", TTextEdit::GetClassId(), "panel", TRect(0, 170, 100, 190)},
        {"picture", TImage::GetClassId(), "panel", TRect(200, 0, 240, 30)},
        {"caption", TText::GetClassId(), "panel", TRect(0, 0, 80, 20)},
        // The styles set inside the panel end with it.
        {"after", TWindow::GetClassId(), "_screen_", TRect(0, 0, 0, 0)},
    };
    for (const Expected& c : cases) {
        SCOPED_TRACE(c.name);
        TWindow* window = Find(c.name);
        ASSERT_NE(window, nullptr);
        EXPECT_TRUE(window->IsKindOf(c.kind)) << window->GetClassName();
        ASSERT_NE(window->GetParent(), nullptr);
        EXPECT_EQ(window->GetParent()->GetName().ToStd(), c.parent);
        EXPECT_EQ(window->GetRect(), c.rect);
    }
    // Only the button after BeginGroup starts a radio group.
    EXPECT_EQ(Find("a")->GetFlags() & kWindowBeginsGroup, 0u);
    EXPECT_EQ(Find("b")->GetFlags() & kWindowBeginsGroup, 0u);
    EXPECT_NE(Find("c")->GetFlags() & kWindowBeginsGroup, 0u);
    // A text answers its label as the script gave it.
    EXPECT_EQ(Eval("GetLabel('caption')"), "#Hello");
    // The script's current window is the screen again.
    EXPECT_EQ(script->GetCurrentWindow(), screen);
    EXPECT_EQ(script->GetCurrentWindowCount(), 1u);
}

int gFinalizersDone = 0;
int NoteFinalizerDone(lua_State*) {
    ++gFinalizersDone;
    return 0;
}

// The state closes with a finalizer still to run that calls the window
// functions: by then the window script is going, so they do nothing, and
// the finalizer runs to its end.
TEST_F(WindowScriptBuild, AFinalizerRunAsTheStateClosesReachesNoWindowFunction) {
    ASSERT_TRUE(Run(kDialog)) << Log();
    lua_register(script->GetState(), "NoteFinalizerDone", NoteFinalizerDone);
    ASSERT_TRUE(Run(R"lua(
        gKeep = newproxy(true)
        getmetatable(gKeep).__gc = function()
            MakeDialog { Window { name = 'late', w = 10, h = 10 } }
            GetLabel('caption')
            DestroyWindow('panel')
            NoteFinalizerDone()
        end
    )lua"))
        << Log();
    gFinalizersDone = 0;
    manager.reset();
    EXPECT_EQ(gFinalizersDone, 1);
}

TEST_F(WindowScriptBuild, AnUnknownTypeMakesNothing) {
    const size_t mark = Mark();
    ASSERT_TRUE(Run("DoWindow { typename = 'Nope', name = 'ghost', Window { name = 'child' } }"))
        << Log();
    EXPECT_EQ(screen->GetChildCount(), 0u);
    EXPECT_EQ(screen->GetName().ToStd(), "_screen_");
    EXPECT_EQ(script->GetCurrentWindow(), screen);
    EXPECT_NE(LogSince(mark).find("no window type 'Nope'"), std::string::npos) << LogSince(mark);
    // Without a current window nothing is made either.
    script->SetCurrentWindow(nullptr);
    ASSERT_TRUE(Run("MakeDialog { Window { name = 'orphan' } }"));
    EXPECT_EQ(Find("orphan"), nullptr);
}

TEST_F(WindowScriptBuild, ARegisteredTypeBuildsAndASecondRegistrationReplaces) {
    script->RegisterWindowType("Panel", TWindow::GetCreator());
    ASSERT_TRUE(Run("MakeDialog { Panel { name = 'p1' } }")) << Log();
    ASSERT_NE(Find("p1"), nullptr);
    EXPECT_TRUE(Find("p1")->IsKindOf(TWindow::GetClassId()));
    EXPECT_FALSE(Find("p1")->IsKindOf(TButton::GetClassId()));
    script->RegisterWindowType("Panel", TButton::GetCreator());
    ASSERT_TRUE(Run("MakeDialog { Panel { name = 'p2' } }")) << Log();
    ASSERT_NE(Find("p2"), nullptr);
    EXPECT_TRUE(Find("p2")->IsKindOf(TButton::GetClassId()));
    EXPECT_EQ(script->FindWindowType("Panel"), TButton::GetCreator());
}

// Windows nest to a depth far above any screen's; a script that goes past
// it gets a Lua error, and the windows made so far stay.
TEST_F(WindowScriptBuild, WindowsNestNoDeeperThanTheLimit) {
    const size_t mark = Mark();
    EXPECT_FALSE(Run("function Nest(n) if n == 0 then return Window { name = 'leaf' } end "
                     "return Window { name = 'w' .. n, Nest(n - 1) } end "
                     "MakeDialog { Nest(1000) }"));
    EXPECT_NE(LogSince(mark).find("windows nest deeper than 100"), std::string::npos)
        << LogSince(mark);
    // The screen is the first level: 99 windows stand below it.
    EXPECT_NE(Find("w1000"), nullptr);
    EXPECT_NE(Find("w902"), nullptr);
    EXPECT_EQ(Find("w901"), nullptr);
    EXPECT_EQ(Find("leaf"), nullptr);
    // Scripts go on building.
    script->SetCurrentWindow(screen);
    ASSERT_TRUE(Run("MakeDialog { Window { name = 'after' } }")) << Log();
    EXPECT_NE(Find("after"), nullptr);
}

// Screen scripts from a replaced assets folder that try to reach past the
// game: each is refused with a Lua error that the log shows, nothing
// outside the game's folders is read or run, and the script state goes on.
TEST_F(WindowScriptBuild, HostileScreenScriptsAreRefusedAndTheStateGoesOn) {
    support::TempFolder outside{"corvalo-outside-"};
    const std::string escape = outside.Write("escape.lua", "gEscaped = true return 'escaped'");
    outside.Write("secret.txt", "topsecret\n");
    // As many ".." as it takes from the assets folder to the root.
    std::string up;
    for (const auto& part : std::filesystem::current_path())
        if (part != "/")
            up += "../";
    const struct {
        const char* what;
        std::string body;
        const char* line;
    } cases[] = {
        {"a precompiled chunk", "assert(loadstring(string.dump(function() gEscaped = true end)))()",
         "precompiled chunks cannot be loaded"},
        {"a precompiled chunk through load",
         "local s = string.dump(function() gEscaped = true end) "
         "assert(load(function() local t = s s = nil return t end))()",
         "precompiled chunks cannot be loaded"},
        {"an absolute path", "dofile('" + escape + "')", "outside the game's folders"},
        {"a '::' path", "dofile('::" + escape + "')", "outside the game's folders"},
        {"ReadFile up out of the assets", "ReadFile('" + up + escape.substr(1) + "')",
         "outside the game's folders"},
        {"a file that is no script", "dofile('" + outside.Path().string() + "/secret.txt')",
         "outside the game's folders"},
        {"require along LUA_PATH",
         "LUA_PATH = '" + outside.Path().string() + "/?.lua' require('escape')",
         "could not load package `escape'"},
        {"a string past the budget", "gBig = string.rep('x', 2^31 - 2)",
         "a script ran out of its memory budget"},
        {"a pattern deep enough to overflow the matcher's stack",
         "string.find(string.rep('a', 100000), string.rep('a?', 100000))", "(pattern too complex)"},
        {"a loop that never ends", "local n = 0 while true do n = n + 1 end",
         "scripts/hostile.lua:1: script ran for 200 ms without yielding or returning"},
        {"a pattern match that backtracks for ever",
         "string.find(string.rep('a', 40) .. 'b', string.rep('a*', 30) .. 'c')",
         "scripts/hostile.lua:1: script ran for 200 ms without yielding or returning"},
    };
    LuaSetRunLimit(200);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Write("scripts/hostile.lua", c.body);
        ScanAssetFolder("assets", "");
        const size_t mark = Mark();
        LuaNoteProgress();
        EXPECT_FALSE(script->DoFile("scripts/hostile.lua"));
        const std::string said = LogSince(mark);
        EXPECT_NE(said.find(c.line), std::string::npos) << said;
        EXPECT_EQ(said.find("topsecret"), std::string::npos) << said;
        EXPECT_EQ(Global("gEscaped"), "nil");
        EXPECT_EQ(Eval("string.len(string.rep('y', 1000))"), "1000");
    }
    LuaSetRunLimit(0);
}

// Windows the creation listener was told of, by name.
class CreationLog : public TWindowCreationListener {
public:
    void OnWindowCreated(TWindow* window, TWindowStyle& style) override {
        names.push_back(window->GetName().ToStd() + "/" + style.GetString("tag").ToStd());
    }
    std::vector<std::string> names;
};

TEST_F(WindowScriptBuild, TheCreationListenerHearsOfEachWindow) {
    CreationLog listener;
    script->SetCreationListener(&listener);
    ASSERT_TRUE(Run("MakeDialog { Window { name = 'x', tag = 'one', Window { name = 'y' } } }"));
    script->SetCreationListener(nullptr);
    EXPECT_EQ(listener.names, (std::vector<std::string>{"x/one", "y/"}));
}

using WindowScriptFunctions = WindowScriptFixture;

TEST_F(WindowScriptFunctions, EachFunctionAsScriptsSeeIt) {
    ASSERT_TRUE(Run(R"lua(
        MakeDialog {
            Window { name = 'panel', w = 300, h = 200,
                Button { name = 'ok', w = 30, h = 10, type = kToggle,
                    Text { name = 'label', label = 'Fine', font = { '__DEFAULT' }, w = 30, h = 10 },
                },
                Text { name = 'caption', label = '#Old', font = { '__DEFAULT' }, w = 50, h = 10 },
                Window { name = 'leaf', w = 20, h = 30 },
                Window { name = 'doomed', w = 5, h = 5 },
            },
        }
    )lua"))
        << Log();
    struct Case {
        const char* statement; // run first (may be empty)
        const char* expression;
        const char* expected;
    };
    const Case cases[] = {
        {"", "GetLabel('ok')", "Fine"},
        {"", "GetLabel('caption')", "#Old"},
        {"", "GetLabel('nowhere')", "nowhere_is_not_found"},
        {"", "GetLabel('leaf')", "leaf_is_not_a_TText_window_or_TButton"},
        {"SetLabel('caption', 'New')", "GetLabel('caption')", "New"},
        {"SetLabel('ok', 'Sure')", "GetLabel('ok')", "Sure"},
        {"", "TagHotKey('alt-p', 'Open', 'x')", "O<u>p</u>en"},
        {"", "TagHotKey('ctrl-O', 'door', '')", "d<u>o</u>or"},
        {"", "TagHotKey('', 'Open', '')", "Open"},
        {"", "TagHotKey('z', 'Open', '')", "Open"},
        {"gL, gK = StripKeyFromLabel('E&xit')", "gL .. '|' .. gK", "Exit|@x"},
        {"gL, gK = StripKeyFromLabel('Exit')", "gL .. '|' .. gK", "Exit|"},
        {"gL, gK = StripKeyFromLabel('Caf&\xC3\xA9')", "gL .. '|' .. gK", "Caf\xC3\xA9|"},
        {"gL, gK = StripKeyFromLabel('End&')", "gL .. '|' .. gK", "End|"},
        {"gL, gK = StripKeyFromLabel('A&&b')", "gL .. '|' .. gK", "A&b|@&"},
        // A coded position against the parent's size.
        {"SetPosition('leaf', kCenter, -40)", "'' .. 1", "1"},
        {"", "tostring(EnableWindow('ok', false))", "true"},
        {"", "tostring(EnableWindow('nowhere', true))", "false"},
        {"", "tostring(GetButtonToggleState('ok'))", "false"},
        {"SetButtonToggleState('ok', true)", "tostring(GetButtonToggleState('ok'))", "true"},
        {"", "tostring(GetButtonToggleState('leaf'))", "false"},
        {"", "GetWindowDepth()", "1"},
        {"", "GetString('#as it is')", "as it is"},
        {"", "GetString('NoTable', 'a')", "NoTable"},
        {"", "GetConfig('no such setting')", ""},
        {"", "tostring(IsEnabled('no such setting'))", "false"},
        {"", "tostring(ImageLoaded('leaf'))", "false"},
        {"", "tostring(StartMovie('intro', true, false))", "false"},
        {"", "tostring(IsMoviePlaying())", "false"},
        {"", "tostring(StringToClipboard('x'))", "false"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expression);
        if (*c.statement) {
            ASSERT_TRUE(Run(c.statement)) << Log();
        }
        EXPECT_EQ(Eval(c.expression), c.expected);
    }
    EXPECT_EQ(Find("leaf")->GetRect(), TRect(140, 160, 160, 190));
    EXPECT_FALSE(Find("ok")->IsVisible());
    ASSERT_TRUE(Run("EnableWindow('ok', true)"));
    EXPECT_TRUE(Find("ok")->IsVisible());

    // PopWindow never takes the last window.
    ASSERT_TRUE(Run("PopWindow(); PopWindow()"));
    EXPECT_EQ(script->GetCurrentWindow(), screen);
    EXPECT_EQ(script->GetCurrentWindowCount(), 1u);

    // DestroyWindow takes the window out now and deletes it at the next
    // event.
    ASSERT_TRUE(Run("DestroyWindow('doomed')"));
    EXPECT_EQ(Find("doomed"), nullptr);
    EXPECT_EQ(manager->GetDeletionList().size(), 1u);
    Pump();
    EXPECT_TRUE(manager->GetDeletionList().empty());

    // The focus moves to a window found below the current one; without a
    // match it goes and nobody is told.
    ASSERT_TRUE(Run("RealSetFocus('leaf')"));
    EXPECT_EQ(manager->GetFocus(), Find("leaf"));
    ASSERT_TRUE(Run("RealSetFocus('nowhere')"));
    EXPECT_EQ(manager->GetFocus(), nullptr);
}

TEST_F(WindowScriptFunctions, ModalsArePushedClearedAndCounted) {
    EXPECT_EQ(Eval("GetWindowDepth()"), "1");
    const std::string id = Eval("PushModal('scripts/first.lua')");
    ASSERT_EQ(manager->GetModalDepth(), 2u);
    EXPECT_EQ(Top()->GetIdString().ToStd(), id);
    EXPECT_EQ(Top()->GetName().ToStd(), "scripts/first.lua");
    EXPECT_EQ(script->GetCurrentWindow(), Top());
    EXPECT_EQ(Eval("GetWindowDepth()"), "2");
    // A new modal takes its parent's size.
    EXPECT_EQ(Top()->GetWidth(), 800);
    ASSERT_TRUE(Run("MakeDialog { Window { name = 'w', x = 5, y = 6, w = 10, h = 10 } }"));
    Top()->SetPosition(3, 4);
    ASSERT_TRUE(Run("ClearModalChildren()"));
    EXPECT_EQ(Top()->GetChildCount(), 0u);
    EXPECT_EQ(Top()->GetRect(), TRect(0, 0, 0, 0));
    ASSERT_TRUE(Run("MakeDialog { Window { name = 'w', x = 5, y = 6, w = 10, h = 10 } }"));
    ASSERT_TRUE(Run("DoFitToChildren()"));
    EXPECT_EQ(Top()->GetRect(), TRect(0, 0, 15, 16));
    // A close message names the current window; posted, it pops the modal.
    ASSERT_TRUE(Run("PostMessage(CreateCloseMessage())"));
    ASSERT_EQ(manager->GetMessageQueue().size(), 1u);
    EXPECT_EQ(manager->GetMessageQueue().front()->GetName().ToStd(), id);
    Pump();
    EXPECT_EQ(manager->GetModalDepth(), 1u);
    // A message that is not one is refused with a log line.
    const size_t mark = Mark();
    ASSERT_TRUE(Run("PostMessage({})"));
    EXPECT_TRUE(manager->GetMessageQueue().empty());
    EXPECT_NE(LogSince(mark).find("PostMessage: the argument is not a message"), std::string::npos);
}

using WindowScriptLoop = WindowScriptFixture;

const char kOkCancel[] = R"lua(
MakeDialog {
    Window { name = 'box', w = 200, h = 100,
        Button { name = 'ok', x = 10, y = 10, w = 40, h = 20, close = true, default = true },
        Button { name = 'cancel', x = 60, y = 10, w = 40, h = 20, close = true, cancel = true },
        Button { name = 'more', x = 110, y = 10, w = 40, h = 20,
                 command = function() gNested = DoModal('scripts/inner.lua') end },
    },
}
)lua";

TButton* ButtonIn(TWindow* modal, const char* name) {
    TWindow* window = modal ? modal->FindChild(name, true) : nullptr;
    return window && window->IsKindOf(TButton::GetClassId()) ? static_cast<TButton*>(window)
                                                             : nullptr;
}

TEST_F(WindowScriptLoop, DoModalReturnsTheClosingButtonsName) {
    Write("scripts/dialog.lua", kOkCancel);
    Write("scripts/inner.lua",
          "MakeDialog { Button { name = 'done', w = 9, h = 9, close = true } }");
    StartMain("gResults = ''\n"
              "while true do\n"
              "  gResults = gResults .. tostring(DoModal('scripts/dialog.lua')) .. ';'\n"
              "end");
    ASSERT_TRUE(script->IsWaitingForMessage()) << Log();
    ASSERT_EQ(manager->GetModalDepth(), 2u);
    TWindow* dialog = Top();
    EXPECT_EQ(dialog->GetName().ToStd(), "scripts/dialog.lua");

    ASSERT_NE(ButtonIn(dialog, "ok"), nullptr);
    ButtonIn(dialog, "ok")->Press();
    Pump(3);
    EXPECT_EQ(Global("gResults"), "ok;") << Log();
    // The loop opened the dialog again.
    ASSERT_EQ(manager->GetModalDepth(), 2u);
    ButtonIn(Top(), "cancel")->Press();
    Pump(3);
    EXPECT_EQ(Global("gResults"), "ok;cancel;");

    // A command's nested DoModal opens over the dialog and returns to it.
    TWindow* outer = Top();
    ButtonIn(outer, "more")->Press();
    Pump();
    ASSERT_EQ(manager->GetModalDepth(), 3u) << Log();
    EXPECT_EQ(Top()->GetName().ToStd(), "scripts/inner.lua");
    ButtonIn(Top(), "done")->Press();
    Pump(3);
    EXPECT_EQ(Global("gNested"), "done") << Log();
    EXPECT_EQ(Top(), outer);
    EXPECT_TRUE(script->IsWaitingForMessage());
    EXPECT_EQ(Global("gResults"), "ok;cancel;");

    // The log tells each screen as it opens and closes, in order (the
    // game's screen first).
    std::vector<std::string> screens;
    std::istringstream lines(Log());
    for (std::string line; std::getline(lines, line);)
        if (const size_t at = line.find("Screen "); at != std::string::npos)
            screens.push_back(line.substr(at));
    EXPECT_EQ(screens,
              (std::vector<std::string>{
                  "Screen opened: _screen_", "Screen opened: scripts/dialog.lua",
                  "Screen closed: scripts/dialog.lua", "Screen opened: scripts/dialog.lua",
                  "Screen closed: scripts/dialog.lua", "Screen opened: scripts/dialog.lua",
                  "Screen opened: scripts/inner.lua", "Screen closed: scripts/inner.lua"}));
}

TEST_F(WindowScriptLoop, ANativeCallWhileTheScriptWaitsRunsInsideTheCoroutine) {
    Write("scripts/dialog.lua", "MakeDialog { Window { name = 'w', w = 10, h = 10 } }");
    Write("scripts/second.lua",
          "MakeDialog { Button { name = 'back', w = 9, h = 9, close = true } }");
    StartMain("while true do gFirst = DoModal('scripts/dialog.lua') end");
    ASSERT_TRUE(script->IsWaitingForMessage()) << Log();
    // Seven arguments arrive as six; the result comes back to the caller.
    ASSERT_TRUE(Run("function Count(...) gRunning = coroutine.running() ~= nil;"
                    " return arg.n .. ':' .. tostring(arg[6]) .. ':' .. tostring(arg[7]) end"));
    lua_State* state = script->GetState();
    lua_getglobal(state, "Count");
    for (int i = 1; i <= 7; ++i)
        lua_pushnumber(state, i);
    ASSERT_EQ(script->RunFunction(7, 1), 0) << Log();
    EXPECT_STREQ(lua_tostring(state, -1), "6:6:nil");
    lua_pop(state, 1);
    EXPECT_EQ(Global("gRunning"), "true");
    EXPECT_TRUE(script->IsWaitingForMessage());

    // RunLuaString("DoModal(...)") opens the dialog from inside the
    // coroutine, which waits for it there.
    ASSERT_TRUE(RunLuaString("gSecond = DoModal('scripts/second.lua')")) << Log();
    ASSERT_EQ(manager->GetModalDepth(), 3u);
    ButtonIn(Top(), "back")->Press();
    Pump(3);
    EXPECT_EQ(Global("gSecond"), "back") << Log();
    EXPECT_EQ(manager->GetModalDepth(), 2u);
}

TEST_F(WindowScriptLoop, DoModalOutsideTheCoroutineFailsWithALogLine) {
    Write("scripts/dialog.lua", "MakeDialog { Window { name = 'w', w = 10, h = 10 } }");
    const size_t mark = Mark();
    EXPECT_FALSE(Run("DoModal('scripts/dialog.lua')"));
    EXPECT_NE(LogSince(mark).find("only inside the screen coroutine"), std::string::npos)
        << LogSince(mark);
    EXPECT_EQ(script->GetWaitState(), TWindowScript::kNotWaiting);
}

TEST_F(WindowScriptLoop, MessagesQueuedWhileBusyComeNewestFirst) {
    // Delivered before any coroutine waits, messages go to the queues.
    EXPECT_TRUE(script->DeliverMessage(new TMessage(kUserType, "first"), nullptr));
    EXPECT_TRUE(script->DeliverMessage(new TMessage(kUserType, "second"), nullptr));
    StartMain("gSeen = ''\n"
              "while true do\n"
              "  local m = WaitForMessage()\n"
              "  if m then gSeen = gSeen .. m.name .. ';' end\n"
              "end");
    EXPECT_EQ(Global("gSeen"), "second;first;") << Log();
    EXPECT_TRUE(script->IsWaitingForMessage());
    // Waiting, a message resumes the loop at once.
    EXPECT_TRUE(script->DeliverMessage(new TMessage(kUserType, "third"), nullptr));
    EXPECT_EQ(Global("gSeen"), "second;first;third;");
}

TEST_F(WindowScriptLoop, AModalClosedUnwatchedIsRememberedInClosedWindows) {
    Write("scripts/a.lua", "MakeDialog { Window { name = 'w', w = 10, h = 10 } }");
    StartMain("gA = PushModal('scripts/a.lua')\n"
              "gB = PushModal('scripts/a.lua')\n"
              "WaitForCloseMessage(gA)\n"
              "gAfterA = true\n"
              "WaitForCloseMessage(gB)\n"
              "gAfterB = true\n"
              "while true do WaitForMessage() end");
    ASSERT_EQ(manager->GetModalDepth(), 3u);
    // Popping down to the first closes both; the second closes while the
    // script waits for the first.
    manager->DoPopModal(TString(Global("gA")));
    Pump(2);
    EXPECT_EQ(Global("gAfterA"), "true") << Log();
    EXPECT_EQ(Global("gAfterB"), "nil");
    EXPECT_EQ(Eval("tostring(gClosedWindows[gB])"), "true");
    // The next wake-up finds it closed already.
    script->DeliverMessage(new TMessage(kUserType, "any"), nullptr);
    EXPECT_EQ(Global("gAfterB"), "true") << Log();
    EXPECT_EQ(Eval("tostring(gClosedWindows[gB])"), "nil");
}

TEST_F(WindowScriptLoop, PauseBrokenByAKeyKeepsTheOtherMessages) {
    StartMain("Pause(1000, true)\n"
              "gPaused = true\n"
              "while true do WaitForMessage(nil, true) end");
    ASSERT_TRUE(script->IsWaitingForMessage());
    script->DeliverMessage(new TMessage(kUserType, "kept"), nullptr);
    Tick(100);
    EXPECT_EQ(Global("gPaused"), "nil");
    script->DeliverMessage(new TMessage(TMessage::kPressAnyKey, "key"), nullptr);
    EXPECT_EQ(Global("gPaused"), "true") << Log();
    EXPECT_EQ(Eval("table.getn(gMessageQueue)"), "1");
    EXPECT_EQ(Eval("gMessageQueue[1].name"), "kept");
}

TEST_F(WindowScriptLoop, PauseEndsOnTheClock) {
    StartMain("Pause(300)\ngPaused = true\nwhile true do WaitForMessage() end");
    Tick(200);
    EXPECT_EQ(Global("gPaused"), "nil");
    Tick(101);
    EXPECT_EQ(Global("gPaused"), "true") << Log();
}

TEST_F(WindowScriptLoop, DisplayDialogWithoutAFileReturnsNothing) {
    StartMain("gGot = DisplayDialog({}) == nil\n"
              "gGotEmpty = DisplayDialog({''}) == nil\n"
              "while true do WaitForMessage() end");
    EXPECT_EQ(Global("gGot"), "true") << Log();
    EXPECT_EQ(Global("gGotEmpty"), "true");
    EXPECT_EQ(manager->GetModalDepth(), 1u);
}

TEST_F(WindowScriptLoop, ACloseRequestWakesTheLoopOnce) {
    StartMain("gWakes = 0\n"
              "while true do\n"
              "  local m = WaitForMessage()\n"
              "  if m == nil then gWakes = gWakes + 1 end\n"
              "end");
    manager->HandleEvent(MakeTestEvent(kEventCloseRequest));
    EXPECT_EQ(Global("gWakes"), "1");
    EXPECT_TRUE(script->IsWaitingForMessage());
    manager->HandleEvent(MakeTestEvent(kEventCloseRequest));
    EXPECT_EQ(Global("gWakes"), "2");
}

TEST_F(WindowScriptLoop, DeliverMessageInItsThreeCases) {
    ASSERT_TRUE(Run("gCommands = ''"));
    ASSERT_TRUE(Run("gCommand = function() gCommands = gCommands .. 'c;'; return 'done' end"));
    lua_State* state = script->GetState();
    lua_getglobal(state, "gCommand");
    TLuaFunction command(state);

    // 1. No coroutine: both wait in the script's queues.
    EXPECT_TRUE(script->DeliverMessage(new TMessage(kUserType, "queued"), &command));
    EXPECT_EQ(Eval("table.getn(gMessageQueue) .. table.getn(gCommandQueue)"), "11");
    EXPECT_EQ(Global("gCommands"), "");
    ASSERT_TRUE(Run("gMessageQueue = {}; gCommandQueue = {}"));

    // 2. Suspended in a plain yield: the command runs now, the message is
    // dropped (and freed: ASan watches).
    StartMain("Yield()\n"
              "while true do\n"
              "  local m = WaitForMessage()\n"
              "  gLastObject = m\n"
              "  gLast = m and (m.type .. ':' .. m.name) or 'nil'\n"
              "end");
    ASSERT_TRUE(script->InCoroutine());
    EXPECT_FALSE(script->IsWaitingForMessage());
    EXPECT_FALSE(script->DeliverMessage(new TMessage(kUserType, "lost"), &command));
    EXPECT_EQ(Global("gCommands"), "c;");
    EXPECT_EQ(Eval("table.getn(gMessageQueue)"), "0");

    // 3. Waiting: a message from a script goes as its own object; a command
    // alone comes with kCommandOnly.
    Tick(1);
    ASSERT_TRUE(script->IsWaitingForMessage()) << Log();
    ASSERT_TRUE(Run("gMade = CreateNamedMessage(1234, 'made')"));
    lua_getglobal(state, "gMade");
    EXPECT_TRUE(script->DeliverMessage(new TLuaMessageWrapper(state), nullptr));
    EXPECT_EQ(Global("gLast"), "1234:made");
    EXPECT_EQ(Eval("tostring(gLastObject == gMade)"), "true");
    EXPECT_TRUE(script->DeliverMessage(nullptr, &command));
    EXPECT_EQ(Global("gLast"), "8:");
    EXPECT_EQ(Global("gCommands"), "c;c;");
    EXPECT_EQ(Global("gYieldResult"), "done");
}

TEST_F(WindowScriptLoop, AFailedResumeLeavesWaitStateZeroAndQueuesLater) {
    StartMain("local m = WaitForMessage()\nerror('broken on purpose')");
    ASSERT_TRUE(script->IsWaitingForMessage());
    EXPECT_TRUE(script->DeliverMessage(new TMessage(kUserType, "x"), nullptr));
    EXPECT_EQ(script->GetWaitState(), TWindowScript::kResumeFailed);
    EXPECT_NE(Log().find("broken on purpose"), std::string::npos);
    EXPECT_TRUE(script->DeliverMessage(new TMessage(kUserType, "later"), nullptr));
    EXPECT_EQ(Eval("gMessageQueue[1].name"), "later");
}

} // namespace
