// A dialog's keys: Enter and Escape press its default and cancel buttons,
// hot keys press the buttons they name, and the character of a hot key's
// press is swallowed.

#include "framework/ui/widgets/TButton.h"
#include "framework/ui/widgets/WidgetFixture.h"

#include <string>
#include <vector>

namespace {

class ModalKeys : public WidgetFixture {
protected:
    void SetUp() override {
        WidgetFixture::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        dialog = static_cast<TModalWindow*>(TModalWindow::Create());
        dialog->SetName("dialog");
        manager->PushModal(dialog);
        panel = Make<TWindow>("name='panel', w=200, h=100", dialog);
        Make<TButton>("name='ok', w=20, h=10, default=true", panel);
        Make<TButton>("name='cancel', x=30, w=20, h=10, cancel=true", panel);
        Make<TButton>("name='save', x=60, w=20, h=10", panel);
        Make<TButton>("name='print', x=90, w=20, h=10", panel);
        gSwallowNextChar = false;
        sent.clear();
    }
    void TearDown() override {
        gSwallowNextChar = false;
        WidgetFixture::TearDown();
    }
    // The messages the script was handed, as "type:name", emptied.
    std::string ScriptQueue() {
        std::string seen;
        EXPECT_TRUE(script->DoLuaString("gSeen = ''; for i, m in ipairs(gMessageQueue) do "
                                        "gSeen = gSeen .. m.type .. ':' .. m.name .. ';' end; "
                                        "gMessageQueue = {}"));
        return Global("gSeen");
    }
    // A key-down through the manager, which delivers the messages it
    // brings at once: a button's press reaches the script's queue.
    void Key(int32_t code, uint32_t modifiers = 0) {
        manager->HandleEvent(MakeTestEvent(kEventKeyDown, 0, 0, code, modifiers));
    }

    TModalWindow* dialog = nullptr;
    TWindow* panel = nullptr;
    std::vector<std::string> log;
};

TEST_F(ModalKeys, EnterAndEscapePressTheShownDefaultAndCancelButtons) {
    manager->SetFocus(panel);
    EXPECT_TRUE(dialog->OnChar(13));
    EXPECT_EQ(TakeQueued(), (std::vector<std::string>{"3:ok"}));
    // kDefaultAction went out from the focus window at once and reached the
    // script; the press followed it through the manager's queue.
    EXPECT_EQ(ScriptQueue(), "2:;3:ok;");
    EXPECT_TRUE(dialog->OnChar(27));
    EXPECT_EQ(TakeQueued(), (std::vector<std::string>{"3:cancel"}));
    EXPECT_EQ(ScriptQueue(), "2:;3:cancel;");
    // Other characters are not the dialog's.
    EXPECT_FALSE(dialog->OnChar('x'));
    EXPECT_TRUE(TakeQueued().empty());

    // A default button hidden by its parent is not found: Enter only sends
    // kDefaultAction.
    panel->SetFlags(panel->GetFlags() & ~kWindowVisible);
    EXPECT_TRUE(dialog->OnChar(13));
    EXPECT_TRUE(TakeQueued().empty());
    EXPECT_EQ(ScriptQueue(), "2:;");
}

TEST_F(ModalKeys, HotKeyTextsAreNormalised) {
    struct Case {
        const char* text;
        const char* normal;
    };
    const Case cases[] = {
        {"Control-Shift-s", "shift-ctrl-S"},
        {"shift-ctrl-S", "shift-ctrl-S"},
        {"alt-x", "alt-X"},
        {"ctrl-alt-shift-q", "shift-ctrl-alt-Q"},
        {"s", "S"},
        {"@p", "@P"},
        {"@ctrl-p", "@P"},
        {"@", "@"},
        {"F", "F"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TModalWindow::ParseHotkey(c.text).ToStd(), c.normal) << c.text;

    dialog->RegisterHotkey("ctrl-s", "save");
    dialog->RegisterHotkey("Control-S", "print");
    ASSERT_EQ(dialog->GetHotkeys().size(), 1u);
    EXPECT_EQ(dialog->GetHotkeys().begin()->second.ToStd(), "print");
    dialog->RegisterHotkey("CTRL-s", "");
    EXPECT_TRUE(dialog->GetHotkeys().empty());
}

TEST_F(ModalKeys, CtrlSPressesItsButtonAndTheNextCharacterIsSwallowed) {
    ASSERT_TRUE(script->DoLuaString("RegisterHotkey('ctrl-s', 'save')"));
    ASSERT_EQ(dialog->GetHotkeys().size(), 1u);
    Key('S');
    EXPECT_EQ(ScriptQueue(), "") << "plain S is not ctrl-s";
    EXPECT_EQ(sent, (std::vector<std::string>{"4:raw:S"}));
    EXPECT_FALSE(gSwallowNextChar);
    Key('S', 2);
    EXPECT_EQ(ScriptQueue(), "3:save;");
    EXPECT_TRUE(gSwallowNextChar);
    // The character of the same press goes nowhere.
    auto* field = new RecordingWindow("field", log, TRect(0, 50, 10, 60));
    panel->AddChild(field);
    manager->SetFocus(field);
    manager->HandleEvent(MakeTestEvent(kEventCharacter, 0, 0, 's'));
    EXPECT_FALSE(gSwallowNextChar);
    manager->HandleEvent(MakeTestEvent(kEventCharacter, 0, 0, 't'));
    EXPECT_EQ(log, (std::vector<std::string>{"field:attached", "field:focus<dialog>",
                                             "field:char(116,0)"}));
}

TEST_F(ModalKeys, AnAtKeyMatchesWithAnyModifiersAndFunctionKeysMatchNothing) {
    dialog->RegisterHotkey("@P", "print");
    dialog->RegisterHotkey("@Q", "save");
    for (uint32_t modifiers : {0u, 1u, 2u, 4u, 7u}) {
        SCOPED_TRACE(modifiers);
        Key('P', modifiers);
        EXPECT_EQ(ScriptQueue(), "3:print;");
    }
    // F1 and F2 arrive as the codes of 'p' and 'q'.
    Key(0x70);
    Key(0x71);
    Key(0x70, 2);
    EXPECT_EQ(ScriptQueue(), "");
}

TEST_F(ModalKeys, AHotKeyForAMissingButtonIsLoggedWhenPressed) {
    const size_t before = support::ReadLogText().size();
    dialog->RegisterHotkey("alt-g", "ghost");
    EXPECT_EQ(support::ReadLogText().size(), before);
    Key('G', 4);
    const std::string log = support::ReadLogText().substr(before);
    EXPECT_NE(log.find("ERROR: Hot key button not found. Button:'ghost'"), std::string::npos)
        << log;
    EXPECT_TRUE(gSwallowNextChar);
    EXPECT_EQ(ScriptQueue(), "");
}

TEST_F(ModalKeys, AHotKeyWithoutACharacterDoesNotEatTheNextOne) {
    // Alt combinations and function keys bring no character event: the
    // next key-down clears the flag.
    dialog->RegisterHotkey("alt-s", "save");
    Key('S', 4);
    EXPECT_TRUE(gSwallowNextChar);
    EXPECT_EQ(ScriptQueue(), "3:save;");
    Key('T');
    EXPECT_FALSE(gSwallowNextChar);
}

} // namespace
