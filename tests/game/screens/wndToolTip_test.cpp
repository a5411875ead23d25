#include "game/screens/wndToolTip.h"

#include "game/screens/PopupFixture.h"

#include <gtest/gtest.h>

namespace {

class ToolTipTest : public ScreenFixture {
protected:
    wndToolTip* Make(const std::string& table, bool label = true, bool background = true) {
        tip = static_cast<wndToolTip*>(wndToolTip::Create());
        if (label)
            AddText(tip, "lblToolTip");
        if (background)
            AddImage(tip, "bmpBg");
        clock.SetTime(100);
        Open(tip, table);
        return tip;
    }
    // 32 ms ticks until the tip rests (or n ticks); the ticks taken.
    int Run(int n) {
        int ticks = 0;
        while (ticks < n) {
            clock.SetTime(clock.GetTime() + 32);
            tip->OnAnimate();
            ++ticks;
            if (tip->GetState() == wndToolTip::kIdle)
                break;
        }
        return ticks;
    }

    wndToolTip* tip = nullptr;
};

TEST_F(ToolTipTest, AQuarterSecondFadeRunsAtFourThousandthsPerMillisecond) {
    Make("{ fade_secs = 0.25, margin_x = 6, margin_y = 4 }");
    EXPECT_EQ(wndToolTip::kIdle, tip->GetState());
    EXPECT_FLOAT_EQ(0.004f, tip->GetFadeRate());
    EXPECT_FALSE(tip->IsVisible());

    tip->ShowText(TString("lblAchievement3"), TString("Three in a row"));
    EXPECT_EQ(TString("lblAchievement3"), tip->GetKey());
    EXPECT_TRUE(tip->IsVisible());
    EXPECT_EQ(wndToolTip::kFadingIn, tip->GetState());
    EXPECT_EQ(0.0f, tip->GetAlpha());
    EXPECT_EQ(8, Run(20));
    EXPECT_EQ(1.0f, tip->GetAlpha());

    // Sized to the text and the margins.
    auto* label = static_cast<TText*>(tip->FindChild(TString("lblToolTip"), int32_t{1}));
    const TRect extent = label->GetTextExtent();
    EXPECT_GT(extent.right, 0);
    EXPECT_EQ(extent.right + 12, tip->GetWidth());
    EXPECT_EQ(extent.bottom + 8, tip->GetHeight());
    EXPECT_EQ(TPoint(6, 4), TPoint(label->GetRect().left, label->GetRect().top));
    ASSERT_NE(nullptr, tip->GetText());
    EXPECT_EQ(TString("Three in a row"), tip->GetText()->GetText());

    tip->Show(false, true);
    EXPECT_EQ(TString(), tip->GetKey());
    EXPECT_EQ(8, Run(20));
    EXPECT_EQ(0.0f, tip->GetAlpha());
    EXPECT_FALSE(tip->IsVisible());
}

// A plate wider than the text lies in a frame cut to end where the plate's
// right end begins, at the tip's right edge; both follow each text and fade
// together.
TEST_F(ToolTipTest, APlateInAFrameIsCutToTheTextAndClosedByItsEnd) {
    tip = static_cast<wndToolTip*>(wndToolTip::Create());
    AddText(tip, "lblToolTip");
    TWindow* frame = AddWindow(tip, "bgFrame", TRect(0, 0, 480, 48));
    AddImage(frame, "bmpBg");
    TImage* end = AddImage(tip, "bmpBgEnd");
    end->SetSize(16, 48);
    clock.SetTime(100);
    Open(tip, "{ margin_x = 14, margin_y = 10 }");
    ASSERT_EQ(wndToolTip::kIdle, tip->GetState());
    int widths[2] = {};
    int i = 0;
    for (const char* text : {"Short", "A much longer text than the first"}) {
        SCOPED_TRACE(text);
        tip->ShowText(TString("k"), TString(text));
        Run(20);
        widths[i++] = tip->GetWidth();
        EXPECT_LT(tip->GetWidth(), 480);
        EXPECT_EQ(tip->GetWidth() - 16, end->GetRect().left);
        EXPECT_EQ(tip->GetWidth() - 16, frame->GetWidth());
        EXPECT_EQ(tip->GetHeight(), frame->GetHeight());
        EXPECT_EQ(1.0f, end->GetAlpha());
    }
    EXPECT_LT(widths[0], widths[1]);
}

TEST_F(ToolTipTest, WithoutAFadeTimeAFadeTakesOneTick) {
    Make("{}");
    EXPECT_FLOAT_EQ(1.0f, tip->GetFadeRate());
    tip->ShowText(TString("k"), TString("text"));
    EXPECT_EQ(1, Run(20));
    EXPECT_EQ(1.0f, tip->GetAlpha());
}

TEST_F(ToolTipTest, ANewTextWhileFadingOutFadesInAgainFromClear) {
    Make("{ fade_secs = 0.25 }");
    tip->ShowText(TString("a"), TString("first"));
    Run(20);
    tip->Show(false, true);
    Run(3);
    EXPECT_GT(tip->GetAlpha(), 0.0f);
    tip->ShowText(TString("b"), TString("second"));
    EXPECT_EQ(wndToolTip::kFadingIn, tip->GetState());
    EXPECT_EQ(0.0f, tip->GetAlpha());
    EXPECT_EQ(TString("second"), tip->GetText()->GetText());
    EXPECT_EQ(TString("b"), tip->GetKey());
    EXPECT_EQ(8, Run(20));
    EXPECT_TRUE(tip->IsVisible());
}

TEST_F(ToolTipTest, WithoutItsLabelOrBackgroundTheTipStaysOff) {
    for (bool label : {false, true}) {
        Make("{ fade_secs = 0.25 }", label, !label);
        EXPECT_EQ(wndToolTip::kDisabled, tip->GetState());
        tip->SetEnabled(true);
        tip->ShowText(TString("k"), TString("text"));
        tip->ShowLocalized(TString("k"));
        tip->Show(true, false);
        EXPECT_FALSE(tip->IsVisible());
        EXPECT_EQ(TString(), tip->GetKey());
        EXPECT_EQ(nullptr, tip->GetText());
        EXPECT_NE(std::string::npos, Log().find("the tip stays off"));
        root->RemoveChild(tip);
        tip->DeleteThis();
    }
}

TEST_F(ToolTipTest, DisablingHidesTheTipAndIgnoresTextsUntilEnabled) {
    Make("{ fade_secs = 0.25 }");
    tip->ShowText(TString("a"), TString("first"));
    Run(20);
    tip->SetEnabled(false);
    EXPECT_EQ(wndToolTip::kFadingOut, tip->GetState());
    EXPECT_EQ(TString(), tip->GetKey());
    tip->ShowText(TString("b"), TString("second"));
    EXPECT_EQ(TString(), tip->GetKey());
    Run(20);
    EXPECT_FALSE(tip->IsVisible());
    tip->SetEnabled(true);
    tip->ShowText(TString("b"), TString("second"));
    EXPECT_EQ(TString("b"), tip->GetKey());
    EXPECT_TRUE(tip->IsVisible());
}

} // namespace
