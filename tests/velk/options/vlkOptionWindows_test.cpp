#include "velk/options/vlkOptionsDialog.h"
#include "velk/options/vlkTextEdit.h"

#include "framework/core/prefs/TPrefsDB.h"
#include "framework/script/host/TScript.h"
#include "framework/script/message/TMessage.h"
#include "framework/sound/manager/TSoundManager.h"
#include "framework/ui/manager/TWindowManager.h"
#include "framework/ui/script/TWindowScript.h"
#include "framework/ui/widgets/TButton.h"
#include "framework/ui/widgets/TSlider.h"
#include "support/LogText.h"
#include "velk/assets/TGameAssetMap.h"
#include "velk/globals/GameGlobals.h"
#include "velk/settings/vlkGameSettings.h"
#include "velk/support/WindowTableFixture.h"

#include <lua.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

// The window fixture with sound, for the volume sliders.
class OptionWindowsTest : public WindowTableFixture {
protected:
    OptionWindowsTest() { mWithSound = true; }

    bool IsFunction(const char* name) {
        lua_State* L = Script()->GetState();
        lua_getglobal(L, name);
        const bool function = lua_isfunction(L, -1);
        lua_pop(L, 1);
        return function;
    }
};

// ---- The options dialog

class OptionsDialogTest : public OptionWindowsTest {
protected:
    vlkOptionsDialog* MakeDialog(bool withChildren) {
        auto* dialog =
            Make<vlkOptionsDialog>(vlkOptionsDialog::Create, "name = 'options'", screen, false);
        if (withChildren) {
            // The checks one level further down, as a layout panel holds them.
            TWindow* panel = Make<TWindow>(TWindow::Create, "name = 'panel'", dialog);
            Make<TButton>(TButton::Create, "name = 'chkFullScreen', type = 1", panel);
            Make<TButton>(TButton::Create, "name = 'chkAudioMute', type = 1", panel);
            Make<TSlider>(TSlider::Create, "name = 'sliderSoundLevel', w = 200, h = 20", dialog);
            Make<TSlider>(TSlider::Create, "name = 'sliderMusicLevel', w = 200, h = 20", dialog);
        }
        PostInit(dialog);
        return dialog;
    }
    TButton* Button(TWindow* dialog, const char* name) {
        return static_cast<TButton*>(dialog->FindChild(TString(name), int32_t{-1}));
    }
};

TEST_F(OptionsDialogTest, StartsFromTheStoredSettingsAndTheDisplay) {
    struct Case {
        int sound, music, mute;
    } cases[] = {{40, 60, 1}, {100, 0, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sound);
        gGameSettings->SetAudioSetting(1, c.sound);
        gGameSettings->SetAudioSetting(2, c.music);
        gGameSettings->SetAudioSetting(3, c.mute);
        vlkOptionsDialog* dialog = MakeDialog(true);
        ASSERT_NE(dialog->GetSoundSlider(), nullptr);
        ASSERT_NE(dialog->GetMusicSlider(), nullptr);
        EXPECT_FLOAT_EQ(dialog->GetSoundSlider()->GetValue(), c.sound / 100.0f);
        EXPECT_FLOAT_EQ(dialog->GetMusicSlider()->GetValue(), c.music / 100.0f);
        EXPECT_EQ(Button(dialog, "chkAudioMute")->GetToggleState(), c.mute != 0);
        EXPECT_FALSE(Button(dialog, "chkFullScreen")->GetToggleState());
        EXPECT_NE(support::ReadLogText().find("No Full screen"), std::string::npos);
        dialog->DeleteThis();
    }
}

TEST_F(OptionsDialogTest, SlidersActAtOnceAndTheScriptFunctionStoresThem) {
    gGameSettings->SetAudioSetting(1, 40);
    gGameSettings->SetAudioSetting(2, 60);
    vlkOptionsDialog* dialog = MakeDialog(true);
    TSoundManager* sound = TSoundManager::Instance();
    dialog->GetSoundSlider()->SetValue(0.25f);
    dialog->GetMusicSlider()->SetValue(0.8f);
    EXPECT_FLOAT_EQ(sound->GetVolume(0), 0.25f);
    EXPECT_FLOAT_EQ(sound->GetVolume(1001), 0.25f) << "the listed effects follow";
    EXPECT_FLOAT_EQ(sound->GetVolume(1000), 0.8f);
    EXPECT_EQ(gGameSettings->GetAudioSetting(1), 40) << "nothing stored before OK";
    EXPECT_EQ(gGameSettings->GetAudioSetting(2), 60);

    ASSERT_TRUE(RunLuaString("gfn_saveVolumeLevels()"));
    EXPECT_EQ(gGameSettings->GetAudioSetting(1), 25);
    EXPECT_EQ(gGameSettings->GetAudioSetting(2), 80);
    EXPECT_FLOAT_EQ(gGameAssetMap->GetMusicVolume(), 0.8f);
    // Another message is not the dialog's.
    TMessage other(TMessage::kButtonPress, "sliderSoundLevel");
    EXPECT_FALSE(dialog->OnMessage(&other));
    dialog->DeleteThis();
}

TEST_F(OptionsDialogTest, WithoutChildrenItStoresNothingAndItsFunctionEndsWithIt) {
    gGameSettings->SetAudioSetting(1, 33);
    gGameSettings->SetAudioSetting(2, 44);
    vlkOptionsDialog* bare = MakeDialog(false);
    EXPECT_EQ(bare->GetSoundSlider(), nullptr);
    ASSERT_TRUE(RunLuaString("gfn_saveVolumeLevels()"));
    EXPECT_EQ(gGameSettings->GetAudioSetting(1), 33);
    EXPECT_EQ(gGameSettings->GetAudioSetting(2), 44);

    // A second dialog takes the function over; the first one's end leaves
    // it alone, the second one's takes it away.
    vlkOptionsDialog* full = MakeDialog(true);
    full->GetSoundSlider()->SetValue(0.5f);
    bare->DeleteThis();
    ASSERT_TRUE(IsFunction("gfn_saveVolumeLevels"));
    ASSERT_TRUE(RunLuaString("gfn_saveVolumeLevels()"));
    EXPECT_EQ(gGameSettings->GetAudioSetting(1), 50);
    full->DeleteThis();
    EXPECT_FALSE(IsFunction("gfn_saveVolumeLevels"));
}

// ---- The name field

class NameEditTest : public OptionWindowsTest {
protected:
    vlkTextEdit* MakeEdit(const std::string& fields) {
        ok = Make<TButton>(TButton::Create, "name = 'btnOk'", screen);
        return Make<vlkTextEdit>(vlkTextEdit::Create,
                                 "name = 'edit', w = 300, h = 30, length = 20, " + fields, screen);
    }
    static void Type(vlkTextEdit* edit, const std::string& text) {
        for (char c : text)
            edit->OnText(TString(std::string(1, c)));
    }
    TButton* ok = nullptr;
};

TEST_F(NameEditTest, TheFirstClickOfAHintOnlyClears) {
    vlkTextEdit* edit = MakeEdit("label = 'Your name', clearAtBeginning = true");
    EXPECT_EQ(edit->GetText().ToStd(), "Your name");
    EXPECT_TRUE(edit->IsClearPending());
    EXPECT_TRUE(edit->OnMouseUp(TPoint(1, 1))) << "the clearing click is taken";
    EXPECT_EQ(edit->GetText().ToStd(), "");
    Type(edit, "Al");
    EXPECT_FALSE(edit->OnMouseUp(TPoint(1, 1))) << "the second click is the text window's";
    EXPECT_EQ(edit->GetText().ToStd(), "Al");

    // Without the setting nothing clears.
    vlkTextEdit* plain = Make<vlkTextEdit>(vlkTextEdit::Create,
                                           "name = 'plain', w = 300, h = 30, label = 'Bo'", screen);
    EXPECT_FALSE(plain->IsClearPending());
    EXPECT_FALSE(plain->OnMouseUp(TPoint(1, 1)));
    EXPECT_EQ(plain->GetText().ToStd(), "Bo");
}

TEST_F(NameEditTest, TheWindowToEnableShowsExactlyWhileThereIsText) {
    struct Step {
        const char* what;
        std::function<void(vlkTextEdit*)> act;
        const char* text;
        bool shown;
    } steps[] = {
        {"start", [](vlkTextEdit*) {}, "Your name", true},
        {"the first key clears, then types", [](vlkTextEdit* e) { Type(e, "a"); }, "a", true},
        {"Backspace to empty", [](vlkTextEdit* e) { e->OnText(TString("\b")); }, "", false},
        {"type two", [](vlkTextEdit* e) { Type(e, "xy"); }, "xy", true},
        {"Delete after Left",
         [](vlkTextEdit* e) {
             e->OnKeyDown(TTextEdit::kKeyLeft, 0);
             e->OnKeyDown(TTextEdit::kKeyDelete, 0);
         },
         "x", true},
        {"Delete to empty",
         [](vlkTextEdit* e) {
             e->OnKeyDown(TTextEdit::kKeyLeft, 0);
             e->OnKeyDown(TTextEdit::kKeyDelete, 0);
         },
         "", false},
        {"Backspace on nothing", [](vlkTextEdit* e) { e->OnText(TString("\b")); }, "", false},
        {"type again", [](vlkTextEdit* e) { Type(e, "z"); }, "z", true},
    };
    vlkTextEdit* edit =
        MakeEdit("label = 'Your name', clearAtBeginning = true, windowToEnable = 'btnOk'");
    EXPECT_EQ(edit->GetWindowToEnable().ToStd(), "btnOk");
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.act(edit);
        EXPECT_EQ(edit->GetText().ToStd(), step.text);
        EXPECT_EQ(ok->IsVisible(), step.shown);
    }
}

TEST_F(NameEditTest, AClickThatClearsHidesTheWindowToEnable) {
    vlkTextEdit* edit =
        MakeEdit("label = 'Your name', clearAtBeginning = true, windowToEnable = 'btnOk'");
    edit->OnMouseUp(TPoint(0, 0));
    EXPECT_FALSE(ok->IsVisible());
}

TEST_F(NameEditTest, BackspaceAsTheFirstEditOfAHintClearsIt) {
    vlkTextEdit* edit = MakeEdit("label = 'Your name', clearAtBeginning = true");
    edit->OnText(TString("\b"));
    EXPECT_EQ(edit->GetText().ToStd(), "");
    Type(edit, "Q");
    EXPECT_EQ(edit->GetText().ToStd(), "Q");
}

TEST_F(NameEditTest, EnterCallsTheFunctionWithTheTextIntact) {
    ASSERT_TRUE(Script()->DoLuaString("function OnName(text) gGot = text end"));
    struct Case {
        const char* text;
    } cases[] = {{"T"}, {"O'Brien"}, {"back\\slash"}, {"a');gGot=('x"}};
    vlkTextEdit* edit = MakeEdit("onEnterKey = 'OnName'");
    EXPECT_EQ(edit->GetEnterFunction().ToStd(), "OnName");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        ASSERT_TRUE(Script()->DoLuaString("gGot = nil"));
        edit->SetText(TString(c.text));
        EXPECT_TRUE(edit->OnText(TString("\r")));
        EXPECT_EQ(Global("gGot"), c.text);
        EXPECT_EQ(edit->GetText().ToStd(), c.text) << "Enter types nothing";
    }
    // Without a function Enter is the text field's.
    vlkTextEdit* plain = Make<vlkTextEdit>(vlkTextEdit::Create, "name = 'plain'", screen);
    ASSERT_TRUE(Script()->DoLuaString("gGot = nil"));
    EXPECT_FALSE(plain->OnText(TString("\r")));
    EXPECT_EQ(Global("gGot"), "(nil)");
}

TEST_F(NameEditTest, IsATextFieldOfItsOwnClass) {
    vlkTextEdit* edit = MakeEdit("");
    EXPECT_STREQ(edit->GetClassName(), "vlkTextEdit");
    for (TWindowClassId id : {vlkTextEdit::GetClassId(), TTextEdit::GetClassId(),
                              TText::GetClassId(), TWindow::GetClassId()})
        EXPECT_TRUE(edit->IsKindOf(id));
    EXPECT_FALSE(edit->IsKindOf(TButton::GetClassId()));
}

} // namespace
