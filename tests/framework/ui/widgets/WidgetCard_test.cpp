// Every widget in each of its states on one card, drawn by the window
// manager on the GL display under the offscreen driver (written as
// "widget_card.png" when CORVALO_PROBE_DIR is set), with probes of the
// pictures shown, the ink of the texts and the knobs' places.

#include "framework/graphics/GlDrawFixture.h"
#include "framework/ui/widgets/TButton.h"
#include "framework/ui/widgets/TImage.h"
#include "framework/ui/widgets/TSlider.h"
#include "framework/ui/widgets/TText.h"
#include "framework/ui/widgets/TTextEdit.h"
#include "framework/ui/widgets/WidgetFixture.h"
#include "support/DriverLeaks.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

constexpr uint32_t kBackground = 0xFF182030u;
// Push, toggle and radio pictures: normal, pressed, rollover, activated.
constexpr uint32_t kStateColours[4] = {0xFF3050A0u, 0xFFA03040u, 0xFF40A050u, 0xFFC0A030u};
constexpr uint32_t kKnob = 0xFFF0D020u;

class WidgetCard : public WidgetFixtureOn<GlDrawFixture> {
protected:
    void SetUp() override {
        WidgetFixtureOn<GlDrawFixture>::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        for (int i = 0; i < 4; ++i)
            states[i] = Picture("state" + std::to_string(i) + ".png", 120, 40, kStateColours[i]);
        background = Picture("background.png", 8, 6, kBackground);
        // A disc on a clear square.
        disc = Picture("disc.png", 64, 64, [](int32_t x, int32_t y) {
            const int dx = x - 32, dy = y - 32;
            return dx * dx + dy * dy < 30 * 30 ? 0xFFD06020u : 0x00000000u;
        });
        railEnd = Picture("railend.png", 8, 6, 0xFF707070u);
        railMid = Picture("railmid.png", 8, 4, 0xFFA0A0A0u);
        knob = Picture("knob.png", 12, 20, kKnob);
    }

    TButton* Button(const std::string& name, int type, int x, int y, int32_t state, bool on,
                    const char* label) {
        std::string graphics = "graphics={";
        for (int i = 0; i < (type == 0 ? 3 : 4); ++i)
            graphics += "'" + states[i] + "',";
        graphics += "}";
        auto* button = static_cast<TButton*>(TButton::Create());
        screen->AddChild(button);
        auto table = Table("{name='" + name + "', type=" + std::to_string(type) +
                           ", x=" + std::to_string(x) + ", y=" + std::to_string(y) + ", " +
                           graphics + (on ? ", on=true" : "") + "}");
        TWindowStyle style(table.get());
        button->Init(style);
        auto* text = static_cast<TText*>(TText::Create());
        button->AddChild(text);
        auto labelTable = Table(std::string("{name='label', w=120, h=40, flags=5, label='") +
                                label + "', font={'__DEFAULT', 16, {1, 1, 1, 1}}}");
        TWindowStyle labelStyle(labelTable.get());
        text->Init(labelStyle);
        button->PostInit(style);
        button->SetState(state);
        return button;
    }
    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * kWidth + x]; }
    static bool Near(uint32_t a, uint32_t b) {
        for (int shift : {0, 8, 16}) {
            const int ca = static_cast<int>((a >> shift) & 0xFF);
            const int cb = static_cast<int>((b >> shift) & 0xFF);
            if (std::abs(ca - cb) > 12)
                return false;
        }
        return true;
    }
    // Pixels of the rectangle that differ from the colour.
    int Ink(TRect r, uint32_t ground) const {
        int count = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                count += !Near(At(x, y), ground);
        return count;
    }

    std::string states[4], background, disc, railEnd, railMid, knob;
    std::vector<uint32_t> pixels;
};

TEST_F(WidgetCard, EveryWidgetInEachState) {
    Make<TImage>("image='" + background + "', scale=100");
    struct {
        const char* name;
        int type;
        int32_t state;
        bool on;
        const char* label;
        uint32_t shown;
    } buttons[] = {
        {"push0", 0, 0, false, "Normal", kStateColours[0]},
        {"push1", 0, 1, false, "Pressed", kStateColours[1]},
        {"push2", 0, 2, false, "Over", kStateColours[2]},
        {"toggleOff", 1, 0, false, "Off", kStateColours[0]},
        {"toggleOn", 1, 0, true, "On", kStateColours[1]},
        {"toggleOffOver", 1, 2, false, "Off over", kStateColours[2]},
        {"toggleOnOver", 1, 2, true, "On over", kStateColours[3]},
        {"radioOff", 2, 0, false, "Radio", kStateColours[0]},
        {"radioOn", 2, 0, true, "Radio on", kStateColours[1]},
    };
    std::vector<TButton*> made;
    for (size_t i = 0; i < std::size(buttons); ++i) {
        const auto& b = buttons[i];
        made.push_back(Button(b.name, b.type, 20 + static_cast<int>(i % 5) * 150,
                              20 + static_cast<int>(i / 5) * 60, b.state, b.on, b.label));
    }
    TSlider* sliders[3];
    const float values[3] = {0.0f, 0.5f, 1.0f};
    for (int i = 0; i < 3; ++i) {
        sliders[i] = Make<TSlider>("name='slider', x=20, y=" + std::to_string(160 + i * 40) +
                                   ", w=240, h=20, railtop='" + railEnd + "', railmid='" + railMid +
                                   "', railbot='" + railEnd + "', sliderimage='" + knob +
                                   "', value=" + std::to_string(values[i]));
    }
    TText* title = Make<TText>("x=320, y=160, w=440, h=40, label='Corvalo widgets', "
                               "font={'__DEFAULT', 28, {1, 1, 1, 1}}");
    TTextEdit* name = Make<TTextEdit>("x=320, y=220, w=440, h=30, utf8=true, length=20, "
                                      "font={'__DEFAULT', 20, {1, 1, 0.6, 1}}");
    for (const char* character : {"Ł", "u", "k", "a", "s", "z", " ", "Ö", "ğ", "ü", "t"})
        name->OnText(character);
    TTextEdit* secret = Make<TTextEdit>("x=320, y=270, w=440, h=30, password=true, "
                                        "label='hunter', font={'__DEFAULT', 20, {1, 1, 1, 1}}");
    Make<TImage>("image='" + disc + "', alpha=true, x=20, y=300");
    ASSERT_EQ(name->GetText().ToStd(), "Łukasz Öğüt");
    // The field has the focus and its cursor is in the shown phase.
    manager->SetFocus(name);
    rig.time.Advance(500);
    name->OnAnimate();
    Frame();
    pixels = ReadBackBuffer();
    ASSERT_EQ(pixels.size(), static_cast<size_t>(kWidth) * kHeight);
    SaveProbe("widget_card", pixels);

    // Each button shows the picture of its state (its top-left corner,
    // clear of the label).
    for (size_t i = 0; i < made.size(); ++i) {
        SCOPED_TRACE(buttons[i].name);
        const TRect r = made[i]->GetScreenRect();
        EXPECT_TRUE(Near(At(r.left + 4, r.top + 4), buttons[i].shown))
            << std::hex << At(r.left + 4, r.top + 4);
        // The label's ink lies in the middle of the button.
        EXPECT_GT(Ink(TRect(r.left + 10, r.top + 8, r.right - 10, r.bottom - 8), buttons[i].shown),
                  20);
    }
    // The title's ink lies inside its window, none just outside it.
    const TRect t = title->GetScreenRect();
    EXPECT_GT(Ink(t, kBackground), 100);
    EXPECT_EQ(Ink(TRect(t.left, t.bottom + 2, t.right, t.bottom + 12), kBackground), 0);
    EXPECT_GT(Ink(name->GetScreenRect(), kBackground), 100);
    EXPECT_GT(Ink(secret->GetScreenRect(), kBackground), 20);
    // The knobs at 0, 0.5 and 1.
    const int knobLefts[3] = {0, 114, 228};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        const TRect r = sliders[i]->GetScreenRect();
        EXPECT_TRUE(Near(At(r.left + knobLefts[i] + 6, r.top + 10), kKnob));
        const int away = knobLefts[i] < 100 ? 200 : 20;
        EXPECT_FALSE(Near(At(r.left + away, r.top + 10), kKnob));
    }
    // The disc's clear corners show the background.
    EXPECT_TRUE(Near(At(21, 301), kBackground));
    EXPECT_TRUE(Near(At(52, 332), 0xFFD06020u));
}

} // namespace
