#include "framework/ui/widgets/TSlider.h"

#include "framework/graphics/TTexture.h"
#include "framework/ui/widgets/TImage.h"
#include "framework/ui/widgets/WidgetFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

class Sliders : public WidgetFixture {
protected:
    void SetUp() override {
        WidgetFixture::SetUp();
        railTop = Picture("railtop.png", 12, 6, 0xFF404040u);
        railMid = Picture("railmid.png", 12, 4, 0xFF808080u);
        railBot = Picture("railbot.png", 12, 6, 0xFF404040u);
        knob = Picture("knob.png", 10, 16, 0xFFE0C020u);
        knobRoll = Picture("knobroll.png", 10, 16, 0xFFFFFF80u);
    }

    TSlider* MakeSlider(const std::string& more) {
        return Make<TSlider>("name='s', x=50, y=50, railtop='" + railTop + "', railmid='" +
                             railMid + "', railbot='" + railBot + "', sliderimage='" + knob +
                             "', sliderrollimage='" + knobRoll + "', " + more);
    }

    std::string railTop, railMid, railBot, knob, knobRoll;
};

TEST_F(Sliders, OrientationIsReadTheFirstTimeOnly) {
    struct {
        const char* fields;
        bool horizontal;
        int32_t width;
        int32_t height;
    } cases[] = {
        {"w=200, h=20", true, 200, 16},
        {"w=200, h=20, hslider=0", false, 12, 20},
        {"w=20, h=200", false, 12, 200},
        {"w=20, h=200, hslider=1", true, 20, 16},
        {"w=200, h=20, yoffset=-8", true, 200, 24},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fields);
        TSlider* slider = MakeSlider(c.fields);
        EXPECT_EQ(slider->IsHorizontal(), c.horizontal);
        EXPECT_EQ(slider->GetWidth(), c.width);
        EXPECT_EQ(slider->GetHeight(), c.height);
        ASSERT_EQ(slider->GetKnob()->GetParent(), slider);
        // A second Init keeps the orientation.
        auto table = Table("{w=200, h=20, hslider=" + std::string(c.horizontal ? "0" : "1") + "}");
        TWindowStyle style(table.get());
        slider->Init(style);
        EXPECT_EQ(slider->IsHorizontal(), c.horizontal);
        EXPECT_EQ(slider->GetKnob()->GetParent(), slider);
    }
}

TEST_F(Sliders, ValuesAreClampedAndToldToTheParentUnlessSilent) {
    TSlider* slider = MakeSlider("w=200, h=20, value=0.5");
    EXPECT_FLOAT_EQ(slider->GetValue(), 0.5f);
    EXPECT_EQ(slider->GetKnob()->GetRect().left, 95);
    EXPECT_TRUE(sent.empty()) << "the table's value is set silently";
    struct {
        float given;
        float stored;
        bool silent;
        int32_t knobLeft;
    } cases[] = {{1.5f, 1.0f, false, 190}, {-0.2f, 0.0f, false, 0}, {0.25f, 0.25f, true, 47}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.given);
        sent.clear();
        slider->SetValue(c.given, c.silent);
        EXPECT_FLOAT_EQ(slider->GetValue(), c.stored);
        EXPECT_EQ(slider->GetKnob()->GetRect().left, c.knobLeft);
        EXPECT_EQ(sent, c.silent ? std::vector<std::string>{} : std::vector<std::string>{"9:s"});
    }
}

// Numbers no slider can show read as its ends: NaN as the minimum, and the
// knob always lands on the rail.
TEST_F(Sliders, NaNAndOutOfRangeNumbersReadAsTheEnds) {
    struct {
        const char* fields;
        float value;
        int32_t knobLeft;
        int32_t knobTop;
    } const cases[] = {
        {"w=200, h=20, value=0/0", 0.0f, 0, 0},
        {"w=200, h=20, value=1e300", 1.0f, 190, 0},
        {"w=200, h=20, value=-1/0", 0.0f, 0, 0},
        {"w=200, h=20, value=1, yoffset=1e300", 1.0f, 190, 1 << 20},
        {"w=200, h=20, value=0.5, yoffset=0/0", 0.5f, 95, -(1 << 20)},
        {"w=200, h=20, value=0.5, scale=1e300", 0.5f, -1, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fields);
        TSlider* slider = MakeSlider(c.fields);
        EXPECT_EQ(slider->GetValue(), c.value);
        if (c.knobLeft >= 0) {
            EXPECT_EQ(slider->GetKnob()->GetRect().left, c.knobLeft);
        }
        if (c.knobTop != -1) {
            EXPECT_EQ(slider->GetKnob()->GetRect().top, c.knobTop);
        }
        slider->SetValue(std::nanf(""));
        EXPECT_EQ(slider->GetValue(), 0.0f);
        EXPECT_EQ(slider->GetKnob()->GetRect().left, 0);
    }
}

// A script may destroy the unnamed knob: the slider forgets it and goes on
// without one, down to its own end.
TEST_F(Sliders, AKnobDestroyedFromOutsideIsForgotten) {
    TSlider* slider = MakeSlider("w=200, h=20, value=0.5");
    TWindow* knobWindow = slider->GetKnob();
    ASSERT_EQ(knobWindow->GetParent(), slider);
    slider->RemoveChild(knobWindow);
    knobWindow->DeleteThis(1);
    EXPECT_EQ(slider->GetKnob(), nullptr);
    slider->SetValue(0.75f);
    EXPECT_FLOAT_EQ(slider->GetValue(), 0.75f);
    EXPECT_TRUE(slider->OnMouseDown(TPoint(10, 5)) == false);
    screen->RemoveChild(slider);
    slider->DeleteThis(1);
}

TEST_F(Sliders, PagingAndDraggingSendTheirMessages) {
    TSlider* slider = MakeSlider("w=200, h=20, value=0.5");
    // Paging before and after the knob; the value stays.
    EXPECT_TRUE(slider->OnMouseDown(TPoint(20, 5)));
    EXPECT_TRUE(slider->OnMouseDown(TPoint(150, 5)));
    EXPECT_EQ(sent, (std::vector<std::string>{"11:s", "12:s"}));
    EXPECT_FLOAT_EQ(slider->GetValue(), 0.5f);
    sent.clear();

    // Over the knob it shows its rollover picture and takes the capture.
    EXPECT_FALSE(slider->OnMouseMove(TPoint(100, 5)));
    EXPECT_EQ(slider->GetKnob()->GetBitmap(), TTexture::Get(TString(knobRoll.c_str())));
    EXPECT_EQ(manager->GetCaptures().size(), 1u);
    // A drag maps the pointer over the whole length: the knob lags near the end.
    EXPECT_TRUE(slider->OnMouseDown(TPoint(100, 5)));
    EXPECT_TRUE(slider->IsDragging());
    EXPECT_TRUE(slider->OnMouseMove(TPoint(150, 5)));
    EXPECT_FLOAT_EQ(slider->GetValue(), 0.75f);
    EXPECT_TRUE(slider->OnMouseMove(TPoint(190, 5)));
    EXPECT_FLOAT_EQ(slider->GetValue(), 0.95f);
    EXPECT_EQ(slider->GetKnob()->GetRect().left, 180);
    EXPECT_TRUE(slider->OnMouseMove(TPoint(260, 40)));
    EXPECT_FLOAT_EQ(slider->GetValue(), 1.0f);
    EXPECT_EQ(slider->GetKnob()->GetRect().right, 200) << "its far edge at the far end";
    EXPECT_TRUE(slider->OnMouseExit()) << "ignored while dragging";
    EXPECT_TRUE(slider->IsDragging());
    EXPECT_TRUE(slider->OnMouseUp(TPoint(260, 40)));
    EXPECT_FALSE(slider->IsDragging());
    EXPECT_EQ(sent, (std::vector<std::string>{"9:s", "9:s", "9:s", "10:s"}));
    EXPECT_TRUE(manager->GetCaptures().empty());
    EXPECT_EQ(slider->GetKnob()->GetBitmap(), TTexture::Get(TString(knob.c_str())));
    EXPECT_FALSE(slider->OnMouseUp(TPoint(10, 5))) << "no drag";
}

TEST_F(Sliders, TheRailIsThreeQuadsAlongTheSlider) {
    for (bool horizontal : {true, false}) {
        SCOPED_TRACE(horizontal);
        TSlider* slider = MakeSlider(horizontal ? "w=200, h=20" : "w=20, h=120");
        ASSERT_TRUE(graphics->BeginDraw());
        graphics->PushViewport(slider->GetScreenRect());
        Device().ClearDraws();
        slider->Draw();
        EXPECT_FALSE(graphics->IsIn2d());
        ASSERT_EQ(Device().Draws().size(), 3u);
        const int32_t length = horizontal ? 200 : 120;
        const float along[3][2] = {{0, 6},
                                   {6, static_cast<float>(length - 6)},
                                   {static_cast<float>(length - 6), static_cast<float>(length)}};
        const std::string names[3] = {railTop, railMid, railBot};
        for (int i = 0; i < 3; ++i) {
            const auto& quad = Device().Draws()[i];
            EXPECT_EQ(quad.vertexCount, 6u);
            EXPECT_EQ(quad.primitive, 4u);
            float minA = 1e9f, maxA = -1e9f, minC = 1e9f, maxC = -1e9f, maxU = 0, maxV = 0;
            for (uint32_t v = 0; v < 6; ++v) {
                const float a = horizontal ? quad.X(v) : quad.Y(v);
                const float c = horizontal ? quad.Y(v) : quad.X(v);
                minA = std::min(minA, a);
                maxA = std::max(maxA, a);
                minC = std::min(minC, c);
                maxC = std::max(maxC, c);
                maxU = std::max(maxU, quad.U(v));
                maxV = std::max(maxV, quad.V(v));
                EXPECT_EQ(quad.Diffuse(v), 0xFFFFFFFFu);
            }
            EXPECT_FLOAT_EQ(minA, along[i][0]) << i;
            EXPECT_FLOAT_EQ(maxA, along[i][1]) << i;
            // Centred across the slider: 16 pixels for the knob's height
            // when horizontal, 12 for the rail when vertical.
            EXPECT_FLOAT_EQ(minC, horizontal ? 2.0f : 0.0f);
            EXPECT_FLOAT_EQ(maxC, horizontal ? 14.0f : 12.0f);
            // Only the used part of the texture.
            uint32_t surfaceWidth = 0, surfaceHeight = 0;
            auto texture = TTexture::Get(TString(names[i].c_str()));
            texture->GetSurfaceSize(surfaceWidth, surfaceHeight);
            EXPECT_FLOAT_EQ(maxU, 12.0f / static_cast<float>(surfaceWidth));
            EXPECT_FLOAT_EQ(maxV, static_cast<float>(texture->GetHeight()) /
                                      static_cast<float>(surfaceHeight));
        }
        graphics->PopViewport();
        graphics->EndDraw(false);
        screen->RemoveChild(slider);
        slider->DeleteThis(1);
    }
}

} // namespace
