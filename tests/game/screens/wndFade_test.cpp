#include "game/screens/wndFade.h"

#include "game/screens/PopupFixture.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(StepFade, MovesByRateTimesElapsedAndStopsAtTheBound) {
    struct Case {
        bool panel;
        float alpha;
        uint32_t direction;
        float rate;
        uint32_t elapsed;
        float expected;
        bool finished;
    };
    const Case cases[] = {
        {true, 0.0f, 0, 4.0f, 32, 0.128f, false},
        {true, 0.896f, 0, 4.0f, 32, 1.0f, true},  // the eighth tick clamps
        {true, 0.5f, 1, 4.0f, 32, 0.372f, false}, // towards clear
        {true, 0.1f, 1, 4.0f, 32, 0.0f, true},
        {true, 0.3f, 0, 4.0f, 0, 0.3f, false},   // a paused clock holds
        {true, 0.0f, 0, 4.0f, 5000, 1.0f, true}, // a long stall ends in one tick
        {false, 0.0f, 0, 4.0f, 0, 1.0f, true},   // no panel: the bound at once
        {false, 1.0f, 1, 4.0f, 0, 0.0f, true},
        {true, 0.2f, 0, 0.0f, 32, 1.0f, true}, // a rate of 0 or less ends at once
        {true, 0.7f, 1, -4.0f, 32, 0.0f, true},
    };
    for (const Case& c : cases) {
        const FadeStep step = StepFade(c.panel, c.alpha, c.direction, c.rate, c.elapsed);
        EXPECT_NEAR(c.expected, step.alpha, 1e-5) << c.alpha << " dir " << c.direction;
        EXPECT_EQ(c.finished, step.finished) << c.alpha << " dir " << c.direction;
    }
}

// Records the ends of its fades.
class CountingFade : public wndFade {
public:
    void OnFadeFinished(uint32_t finished) override { ends.push_back(finished); }
    std::vector<uint32_t> ends;

protected:
    ~CountingFade() override = default;
};

class FadeTest : public ScreenFixture {
protected:
    CountingFade* Make(bool withPanel) {
        fade = new CountingFade();
        if (withPanel)
            panel = AddImage(fade, "bmpPanelBlack");
        clock.SetTime(1000);
        Open(fade);
        return fade;
    }
    // Ticks of 32 ms until n ticks or the fade ends; the ticks taken.
    int Run(int n) {
        int ticks = 0;
        while (ticks < n) {
            clock.SetTime(clock.GetTime() + 32);
            fade->OnAnimate();
            ++ticks;
            if (fade->GetFadeState() != wndFade::kFading)
                break;
        }
        return ticks;
    }

    CountingFade* fade = nullptr;
    TImage* panel = nullptr;
};

TEST_F(FadeTest, ToOpaqueTakesEightTicksAndReportsOnce) {
    Make(true);
    ASSERT_EQ(panel, fade->GetPanel());
    panel->SetAlpha(0.0f);
    fade->StartFade(wndFade::kToOpaque, wndFade::kRate);
    EXPECT_EQ(8, Run(20));
    EXPECT_FLOAT_EQ(1.0f, panel->GetAlpha());
    EXPECT_EQ(std::vector<uint32_t>{0}, fade->ends);
    Run(5); // finished: more ticks call nothing
    EXPECT_EQ(1u, fade->ends.size());

    fade->StartFade(wndFade::kToClear, wndFade::kRate);
    EXPECT_EQ(8, Run(20));
    EXPECT_EQ(0.0f, panel->GetAlpha());
    EXPECT_EQ((std::vector<uint32_t>{0, 1}), fade->ends);
}

TEST_F(FadeTest, AReversalGoesOnFromTheAlphaReachedWithOneReport) {
    Make(true);
    panel->SetAlpha(0.0f);
    fade->StartFade(wndFade::kToOpaque, wndFade::kRate);
    Run(3);
    EXPECT_NEAR(0.384f, panel->GetAlpha(), 1e-5);
    fade->StartFade(wndFade::kToClear, wndFade::kRate);
    EXPECT_EQ(3, Run(20));
    EXPECT_EQ(std::vector<uint32_t>{1}, fade->ends);
}

TEST_F(FadeTest, WithoutAPanelAFadeEndsOnTheNextTick) {
    Make(false);
    EXPECT_EQ(nullptr, fade->GetPanel());
    fade->StartFade(wndFade::kToOpaque, wndFade::kRate);
    EXPECT_EQ(1, Run(20));
    fade->StartFade(wndFade::kToClear, wndFade::kRate);
    EXPECT_EQ(1, Run(20));
    EXPECT_EQ((std::vector<uint32_t>{0, 1}), fade->ends);
}

TEST_F(FadeTest, APanelThatIsNotAnImageIsNoPanel) {
    fade = new CountingFade();
    AddWindow(fade, "bmpPanelBlack");
    Open(fade);
    EXPECT_EQ(nullptr, fade->GetPanel());
}

TEST_F(FadeTest, TheClockWrappingBetweenTicksGivesTheShortStep) {
    Make(true);
    panel->SetAlpha(0.0f);
    clock.SetTime(0xFFFFFFF0u);
    fade->OnAnimate();
    fade->StartFade(wndFade::kToOpaque, wndFade::kRate);
    clock.SetTime(16); // 32 ms later
    fade->OnAnimate();
    EXPECT_NEAR(0.128f, panel->GetAlpha(), 1e-5);
    EXPECT_TRUE(fade->ends.empty());
}

TEST_F(FadeTest, IdleTicksChangeNothing) {
    Make(true);
    panel->SetAlpha(0.25f);
    Run(4);
    EXPECT_EQ(wndFade::kIdle, fade->GetFadeState());
    EXPECT_FLOAT_EQ(0.25f, panel->GetAlpha());
    EXPECT_TRUE(fade->ends.empty());
}

} // namespace
