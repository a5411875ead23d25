#include "framework/ui/widgets/TTextEdit.h"

#include "framework/core/tasks/TTaskList.h"
#include "framework/ui/widgets/WidgetFixture.h"
#include "framework/ui/window/TWindowAnim.h"

#include <gtest/gtest.h>

namespace {

class TextEdits : public WidgetFixture {
protected:
    TTextEdit* MakeField(const std::string& more, TWindow* parent = nullptr) {
        return Make<TTextEdit>("name='field', w=300, h=30, " + more, parent);
    }

    // Steps: "T<text>" types each character of the text; "B" Backspace;
    // "D" Delete; "L" and "R" the arrows; "P" Ctrl+V; "I" Insert.
    void Run(TTextEdit* field, const std::vector<std::string>& steps) {
        for (const std::string& step : steps) {
            if (step[0] == 'T') {
                for (size_t i = 1; i < step.size();) {
                    const auto lead = static_cast<unsigned char>(step[i]);
                    const size_t length = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
                    field->OnText(TString(step.substr(i, length)));
                    i += length;
                }
            } else if (step == "B") {
                field->OnChar(8);
            } else if (step == "D") {
                EXPECT_TRUE(field->OnKeyDown(TTextEdit::kKeyDelete, 0));
            } else if (step == "L") {
                EXPECT_TRUE(field->OnKeyDown(TTextEdit::kKeyLeft, 0));
            } else if (step == "R") {
                EXPECT_TRUE(field->OnKeyDown(TTextEdit::kKeyRight, 0));
            } else if (step == "P") {
                // Without a usable clipboard the combination travels on.
                field->OnKeyDown('V', TTextEdit::kModControl);
            } else if (step == "I") {
                EXPECT_TRUE(field->OnKeyDown(TTextEdit::kKeyInsert, 0));
            }
        }
    }
    size_t Changes() {
        size_t count = 0;
        for (const std::string& message : TakeQueued())
            count += message == "7:field";
        return count;
    }
};

TEST_F(TextEdits, KeyAndCharacterSequences) {
    struct {
        const char* what;
        std::string fields;
        std::vector<std::string> steps;
        std::string clipboard;
        std::string text;
        int32_t cursor;
        size_t changes;
    } cases[] = {
        {"single-byte holds length - 1", "", {"Tabcdefghijk"}, "", "abcdefghi", 9, 9},
        {"UTF-8 holds length code points", "utf8=true", {"TÅÄÖåäöÉéÈèX"}, "", "ÅÄÖåäöÉéÈè", 20, 10},
        {"names from wider alphabets",
         "utf8=true, length=20",
         {"TŁukasz Öğüt"},
         "",
         "Łukasz Öğüt",
         15,
         11},
        {"Greek and Cyrillic", "utf8=true", {"TΩμέγα Жук"}, "", "Ωμέγα Жук", 17, 9},
        {"a character no font has", "utf8=true", {"Ta漢b"}, "", "ab", 2, 2},
        {"no high bytes outside UTF-8", "", {"TaéB"}, "", "aB", 2, 2},
        {"password", "password=true", {"Thello"}, "", "hello", 5, 5},
        {"ignored characters are swallowed", "ignore=' -'", {"Ta b-c"}, "", "abc", 3, 5},
        {"control characters",
         "",
         {"Ta\x01\x1b"
          "b"},
         "",
         "ab",
         2,
         2},
        {"Backspace after é", "utf8=true", {"Taé", "B"}, "", "a", 1, 3},
        {"Backspace at the start", "", {"B"}, "", "", 0, 0},
        {"arrows over whole characters", "utf8=true", {"Taéb", "L", "L", "Tx"}, "", "axéb", 2, 4},
        {"Right at the end and Left at the start", "", {"Ta", "R", "L", "L", "Tb"}, "", "ba", 1, 2},
        {"Delete", "", {"Tabc", "L", "L", "D"}, "", "ac", 1, 4},
        {"Delete a whole character", "utf8=true", {"Téa", "L", "L", "D"}, "", "a", 0, 3},
        {"Delete at the end", "", {"Tab", "D"}, "", "ab", 2, 2},
        {"paste drops line breaks", "", {"Tzz", "P"}, "ab\ncd", "abcd", 4, 3},
        {"paste keeps the length", "length=3", {"P"}, "ab\ncd", "ab", 2, 1},
        {"paste with Insert, ignoring", "ignore='b'", {"I"}, "abc", "ac", 2, 1},
        {"paste of UTF-8 outside UTF-8 mode", "", {"Tq", "P"}, "éé", "q", 1, 1},
        {"an empty clipboard", "", {"Tq", "P"}, "", "q", 1, 1},
        {"paste of broken UTF-8 keeps the well-formed characters",
         "utf8=true, length=20",
         {"P"},
         "\xff\xfe"
         "ab\xc0\x80\xed\xa0\x80"
         "cd\xf0\x9f",
         "abcd",
         4,
         1},
        {"paste of a character no font has", "utf8=true", {"P"}, "a漢b", "ab", 2, 1},
        {"paste keeps the UTF-8 length", "utf8=true, length=3", {"P"}, "äbcdef", "äbc", 4, 1},
        {"format and bidi characters typed",
         "utf8=true",
         {"Ta\u200Bb\u202Ec\uFEFF"},
         "",
         "abc",
         3,
         3},
        {"format and bidi characters pasted", "utf8=true", {"P"}, "a\u200Bb\u202Ec", "abc", 3, 1},
        {"markup typed as text", "", {"Ta<b>\\c"}, "", "a<b>\\c", 6, 6},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        host->clipboard = TString(c.clipboard);
        TTextEdit* field = MakeField(c.fields);
        TakeQueued();
        Run(field, c.steps);
        EXPECT_EQ(field->GetText().ToStd(), c.text);
        EXPECT_EQ(field->GetCursor(), c.cursor);
        EXPECT_EQ(Changes(), c.changes);
        screen->RemoveChild(field);
        field->DeleteThis(1);
    }
}

TEST_F(TextEdits, TheDisplayEscapesMarkupMasksPasswordsAndShowsTheCursor) {
    TTextEdit* plain = MakeField("label='a<b>\\\\c'");
    EXPECT_EQ(plain->GetText().ToStd(), "a<b>\\c") << "the label is the first text";
    EXPECT_EQ(plain->GetDisplayText().ToStd(), "a\\<b>\\\\c");
    TTextEdit* secret = MakeField("password=true, label='hello'");
    EXPECT_EQ(secret->GetDisplayText().ToStd(), "*****");
    // Focused, past the hidden phase: the cursor tag stands at the cursor.
    manager->SetFocus(secret);
    rig.time.Advance(500);
    secret->OnKeyDown(TTextEdit::kKeyLeft, 0);
    EXPECT_EQ(secret->GetDisplayText().ToStd(), "****<cursor>*");
    manager->SetFocus(plain);
    plain->OnKeyDown(TTextEdit::kKeyLeft, 0);
    plain->OnKeyDown(TTextEdit::kKeyLeft, 0);
    EXPECT_EQ(plain->GetDisplayText().ToStd(), "a\\<b><cursor>\\\\c");
    // Not editable: no cursor, no typing.
    plain->SetEditable(false);
    plain->RefreshDisplay();
    EXPECT_EQ(plain->GetDisplayText().ToStd(), "a\\<b>\\\\c");
    EXPECT_FALSE(plain->OnText("x"));
    // Labels are never translated.
    manager->SetScriptFlag(true);
    TTextEdit* named = MakeField("label='menu_play'");
    EXPECT_EQ(named->GetText().ToStd(), "menu_play");
    EXPECT_TRUE(manager->SetScriptFlag(true)) << "the option is put back";
}

TEST_F(TextEdits, EnterTravelsOnAndPlainKeysStay) {
    TTextEdit* field = MakeField("");
    TakeQueued();
    EXPECT_FALSE(field->OnChar(13)) << "Enter is left for the default button";
    EXPECT_FALSE(field->OnKeyDown('S', TTextEdit::kModControl));
    EXPECT_FALSE(field->OnKeyDown('S', TTextEdit::kModAlt));
    EXPECT_TRUE(field->OnKeyDown('S', 0));
    EXPECT_TRUE(field->OnText("S"));
    EXPECT_FALSE(field->OnKeyDown('s', 0)) << "keys above Z";
    EXPECT_EQ(field->GetText().ToStd(), "S");
    EXPECT_EQ(Changes(), 1u) << "key-down handling posts nothing";
}

TEST_F(TextEdits, TabMovesTheFocusOverTheShownFields) {
    auto* dialog = new MessageModal(sent);
    manager->PushModal(dialog);
    dialog->SetSize(400, 300);
    TTextEdit* first = Make<TTextEdit>("name='first', w=100, h=20", dialog);
    TTextEdit* hidden = Make<TTextEdit>("name='hidden', w=100, h=20, y=30", dialog);
    TTextEdit* last = Make<TTextEdit>("name='last', w=100, h=20, y=60", dialog);
    ASSERT_TRUE(first->GetEditList());
    EXPECT_EQ(first->GetEditList(), last->GetEditList()) << "one list for the dialog";
    EXPECT_EQ(first->GetEditList()->size(), 3u);
    hidden->SetFlags(hidden->GetFlags() & ~kWindowVisible);
    manager->SetFocus(first);
    TakeQueued();
    EXPECT_FALSE(first->OnChar(9));
    EXPECT_EQ(manager->GetFocus(), last) << "the hidden field is passed over";
    EXPECT_FALSE(last->OnChar(9));
    EXPECT_EQ(manager->GetFocus(), first) << "from the last back to the first";
    EXPECT_TRUE(TakeQueued().empty());
    // A field that goes leaves the list.
    dialog->RemoveChild(hidden);
    hidden->DeleteThis(1);
    EXPECT_EQ(first->GetEditList()->size(), 2u);
    // A field made without a dialog joins when it is attached.
    auto* late = static_cast<TTextEdit*>(TTextEdit::Create());
    EXPECT_FALSE(late->GetEditList());
    dialog->AddChild(late);
    EXPECT_EQ(late->GetEditList(), first->GetEditList());
}

TEST_F(TextEdits, TheCursorBlinksOnTheFieldsClock) {
    const uint32_t clockStart = rig.time.NowMs();
    TTextEdit* field = MakeField("label='ab'");
    ASSERT_NE(field->GetAnimator(), nullptr);
    EXPECT_TRUE(screen->GetTasks().Contains(field->GetAnimator())) << "refreshed every 200 ms";
    manager->SetFocus(field);
    // The clock started with the field: hidden for 401 ms of each 800.
    struct {
        uint32_t advance;
        bool shown;
    } steps[] = {{0, false}, {400, false}, {1, true}, {398, true},
                 {1, false}, {400, false}, {1, true}, {799, false}};
    uint32_t elapsed = 0;
    for (const auto& s : steps) {
        rig.time.Advance(s.advance);
        elapsed += s.advance;
        SCOPED_TRACE(elapsed);
        EXPECT_TRUE(field->OnAnimate());
        const bool shown = field->GetDisplayText().View().find("<cursor>") != std::string::npos;
        EXPECT_EQ(shown, s.shown);
    }
    // A change of phase marks the screen dirty; the same phase does not.
    Frame();
    field->OnAnimate();
    Frame();
    field->OnAnimate();
    EXPECT_FALSE(manager->IsDirty()) << "the same phase";
    const uint32_t now = rig.time.NowMs() - clockStart;
    rig.time.Advance(800 - now % 800);
    field->OnAnimate();
    EXPECT_TRUE(manager->IsDirty()) << "just turned off";
    EXPECT_EQ(field->GetDisplayText().ToStd(), "ab");
}

} // namespace
