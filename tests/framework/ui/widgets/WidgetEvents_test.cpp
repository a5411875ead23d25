// Widgets driven by events through the window manager, as the game loop
// hands them over: a button pressed, a slider dragged, a field typed into.

#include "framework/sound/asset/TSound.h"
#include "framework/ui/widgets/TButton.h"
#include "framework/ui/widgets/TImage.h"
#include "framework/ui/widgets/TSlider.h"
#include "framework/ui/widgets/TTextEdit.h"
#include "framework/ui/widgets/WidgetFixture.h"

#include <gtest/gtest.h>

namespace {

class WidgetEvents : public WidgetFixture {
protected:
    void Send(uint32_t type, int32_t x = 0, int32_t y = 0, int32_t code = 0,
              uint32_t modifiers = 0) {
        manager->HandleEvent(MakeTestEvent(type, x, y, code, modifiers));
    }
};

TEST_F(WidgetEvents, AButtonPressedByThePointer) {
    const std::string picture = Picture("face.png", 40, 20, 0xFF3050A0u);
    TButton* button = Make<TButton>("name='b', x=100, y=100, sound='" + Tone("click") +
                                    "', rolloversound='" + Tone("rollover") + "', graphics={'" +
                                    picture + "','" + picture + "','" + picture + "'}");
    auto click = TSound::Get(Tone("click").c_str());
    auto rollover = TSound::Get(Tone("rollover").c_str());
    const size_t clicks = click->GetInstanceCount();
    const size_t rollovers = rollover->GetInstanceCount();
    sent.clear();
    Send(kEventPointerMove, 110, 105);
    EXPECT_EQ(button->GetState(), 2);
    EXPECT_EQ(rollover->GetInstanceCount(), rollovers + 1);
    Send(kEventLeftButtonDown, 110, 105);
    EXPECT_EQ(button->GetLayer(), 1u);
    Send(kEventLeftButtonUp, 111, 106);
    EXPECT_EQ(button->GetLayer(), 2u);
    EXPECT_EQ(click->GetInstanceCount(), clicks + 1);
    EXPECT_EQ(rollover->GetInstanceCount(), rollovers + 2);
    EXPECT_EQ(sent, std::vector<std::string>{"3:b"});
    // Away from it: back to normal, the capture let go.
    Send(kEventPointerMove, 300, 300);
    EXPECT_EQ(button->GetState(), 0);
    EXPECT_TRUE(manager->GetCaptures().empty());
}

// The game's click blocker: a full-screen button shown over a button the
// pointer rests on. The button below held the pointer; it loses it, and
// the click goes to the blocker.
TEST_F(WidgetEvents, AWindowShownUnderTheRestingPointerTakesTheClick) {
    const std::string picture = Picture("face.png", 40, 20, 0xFF3050A0u);
    const std::string faces = "graphics={'" + picture + "','" + picture + "','" + picture + "'}";
    TButton* pause = Make<TButton>("name='pause', x=100, y=100, " + faces);
    TButton* blocker = Make<TButton>("name='blocker', x=0, y=0, w=800, h=600");
    blocker->SetFlags(blocker->GetFlags() & ~kWindowVisible);
    Send(kEventPointerMove, 110, 105);
    ASSERT_EQ(pause->GetState(), 2) << "the pointer rests on the button";
    ASSERT_FALSE(manager->GetCaptures().empty());
    sent.clear();
    blocker->SetFlags(blocker->GetFlags() | kWindowVisible);
    Send(kEventLeftButtonDown, 110, 105);
    Send(kEventLeftButtonUp, 110, 105);
    EXPECT_EQ(pause->GetState(), 0);
    for (const std::string& message : sent)
        EXPECT_EQ(message.find("pause"), std::string::npos) << message;
    EXPECT_EQ(sent, std::vector<std::string>{"3:blocker"});
}

// A picture over the button (a fade's clear panel, made after it) takes no
// pointer events: the button keeps the pointer and takes the click.
TEST_F(WidgetEvents, APictureOverTheRestingPointerLeavesTheButtonTheClick) {
    const std::string picture = Picture("face.png", 40, 20, 0xFF3050A0u);
    const std::string faces = "graphics={'" + picture + "','" + picture + "','" + picture + "'}";
    TButton* back = Make<TButton>("name='back', x=100, y=100, " + faces);
    Make<TImage>("name='panel', x=0, y=0, w=800, h=600");
    Send(kEventPointerMove, 110, 105);
    ASSERT_EQ(back->GetState(), 2) << "the pointer rests on the button";
    sent.clear();
    Send(kEventLeftButtonDown, 110, 105);
    Send(kEventLeftButtonUp, 110, 105);
    EXPECT_EQ(sent, std::vector<std::string>{"3:back"});
}

// A button that holds the pointer and is then hidden, itself or through
// its group, takes no click.
TEST_F(WidgetEvents, AHiddenButtonLosesThePointer) {
    const std::string picture = Picture("face.png", 40, 20, 0xFF3050A0u);
    const std::string faces = "graphics={'" + picture + "','" + picture + "','" + picture + "'}";
    for (bool throughGroup : {false, true}) {
        SCOPED_TRACE(throughGroup);
        TWindow* group = Make<TWindow>("name='group', x=0, y=0, w=800, h=600");
        TButton* button = Make<TButton>("name='b', x=100, y=100, " + faces, group);
        Send(kEventPointerMove, 110, 105);
        ASSERT_EQ(button->GetState(), 2);
        TWindow* hidden = throughGroup ? group : button;
        hidden->SetFlags(hidden->GetFlags() & ~kWindowVisible);
        sent.clear();
        Send(kEventLeftButtonDown, 110, 105);
        Send(kEventLeftButtonUp, 110, 105);
        EXPECT_EQ(button->GetState(), 0);
        EXPECT_TRUE(manager->GetCaptures().empty());
        for (const std::string& message : sent)
            EXPECT_EQ(message.find(":b"), std::string::npos) << message;
        screen->RemoveChild(group);
        group->DeleteThis(1);
    }
}

// Key events follow the focus, never a point: Tab from the second field
// goes to the first, even though the first lies at (0,0) where key events
// carry their point, and on to the second again.
TEST_F(WidgetEvents, TabGoesRoundTheFieldsWhateverLiesAtTheOrigin) {
    auto* dialog = new MessageModal(sent);
    manager->PushModal(dialog);
    dialog->SetSize(400, 300);
    TTextEdit* a = Make<TTextEdit>("name='a', x=0, y=0, w=100, h=20", dialog);
    TTextEdit* b = Make<TTextEdit>("name='b', x=0, y=40, w=100, h=20", dialog);
    ASSERT_EQ(a->GetEditList(), b->GetEditList());
    manager->SetFocus(a);
    std::vector<std::string> order;
    for (int i = 0; i < 4; ++i) {
        Send(kEventCharacter, 0, 0, 9);
        order.push_back(manager->GetFocus() == a ? "a" : manager->GetFocus() == b ? "b" : "?");
    }
    EXPECT_EQ(order, (std::vector<std::string>{"b", "a", "b", "a"}));
}

TEST_F(WidgetEvents, ASliderDraggedToTheEnd) {
    const std::string rail = Picture("rail.png", 8, 6, 0xFF808080u);
    const std::string knob = Picture("knob.png", 10, 16, 0xFFF0D020u);
    TSlider* slider =
        Make<TSlider>("name='s', x=200, y=100, w=200, h=20, railtop='" + rail + "', railmid='" +
                      rail + "', railbot='" + rail + "', sliderimage='" + knob + "'");
    sent.clear();
    Send(kEventLeftButtonDown, 205, 105);
    EXPECT_TRUE(slider->IsDragging());
    Send(kEventPointerMove, 300, 105);
    EXPECT_FLOAT_EQ(slider->GetValue(), 0.5f);
    Send(kEventPointerMove, 500, 140);
    EXPECT_FLOAT_EQ(slider->GetValue(), 1.0f);
    Send(kEventLeftButtonUp, 500, 140);
    EXPECT_FALSE(slider->IsDragging());
    EXPECT_EQ(sent, (std::vector<std::string>{"9:s", "9:s", "10:s"}));
}

TEST_F(WidgetEvents, AFieldTypedInto) {
    TTextEdit* field = Make<TTextEdit>("name='field', x=100, y=200, w=300, h=30, utf8=true");
    manager->SetFocus(field);
    sent.clear();
    for (uint32_t code : {0x141u, 0x75u, 0x6Bu, 0x61u, 0x73u, 0x7Au}) // "Łukasz"
        Send(kEventUnicodeCharacter, 0, 0, static_cast<int32_t>(code));
    Send(kEventKeyDown, 0, 0, TTextEdit::kKeyLeft);
    Send(kEventCharacter, 0, 0, kKeyBackspace);
    EXPECT_EQ(field->GetText().ToStd(), "Łukaz");
    EXPECT_EQ(field->GetCursor(), 5);
    EXPECT_EQ(sent, std::vector<std::string>(7, "7:field"));
    // The cursor blinks while it has the focus.
    rig.time.Advance(800);
    field->OnAnimate();
    const bool before = field->GetDisplayText().View().find("<cursor>") != std::string::npos;
    rig.time.Advance(401);
    field->OnAnimate();
    const bool after = field->GetDisplayText().View().find("<cursor>") != std::string::npos;
    EXPECT_NE(before, after);
}

} // namespace
