// Widgets driven by events through the window manager, as the game loop
// hands them over: a button pressed, a slider dragged, a field typed into.

#include "framework/sound/asset/TSound.h"
#include "framework/ui/widgets/TButton.h"
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
