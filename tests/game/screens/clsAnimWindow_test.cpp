#include "game/screens/clsAnimWindow.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Counts the ends of its moves.
class AnimWindow : public clsAnimWindow {
public:
    void OnMoveFinished() override {
        clsAnimWindow::OnMoveFinished();
        ++finished;
    }
    int finished = 0;

protected:
    ~AnimWindow() override = default;
};

struct WindowDeleter {
    void operator()(TWindow* w) const { w->DeleteThis(); }
};

class AnimWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        window = new AnimWindow();
        window->SetPosition(200, 100);
        window->SetSize(400, 300);
    }
    void TearDown() override { window->DeleteThis(); }

    // Steps of 16 ms until the move has ended; the positions seen.
    std::vector<TPoint> Run(int limit = 1000) {
        std::vector<TPoint> seen;
        for (int i = 0; i < limit && window->IsMoving(); ++i) {
            window->Advance(16);
            seen.emplace_back(window->GetRect().left, window->GetRect().top);
        }
        return seen;
    }

    AnimWindow* window = nullptr;
};

TEST_F(AnimWindowTest, SlidesInOvershootAndSettleOnTheRestingPlace) {
    struct Case {
        int direction;
        TPoint first; // where the window is placed at the start
    };
    const Case cases[] = {
        {clsAnimWindow::kInFromLeft, TPoint(-400, 100)},
        {clsAnimWindow::kInFromRight, TPoint(400, 100)},
        {clsAnimWindow::kInFromTop, TPoint(200, -300)},
        {clsAnimWindow::kInFromBottom, TPoint(200, 300)},
    };
    for (const Case& c : cases) {
        window->SetPosition(200, 100);
        window->finished = 0;
        window->StartMove(c.direction, 0.3f, 500);
        EXPECT_EQ(c.first, TPoint(window->GetRect().left, window->GetRect().top)) << c.direction;
        const std::vector<TPoint> seen = Run();
        EXPECT_FALSE(window->IsMoving()) << c.direction;
        EXPECT_EQ(1, window->finished) << c.direction;
        EXPECT_EQ(TPoint(200, 100), TPoint(window->GetRect().left, window->GetRect().top))
            << c.direction;
        EXPECT_EQ(400, window->GetWidth());
        // It passed its resting place (the overshoot) on the way.
        bool passed = false;
        for (const TPoint& p : seen)
            passed = passed || (c.direction == clsAnimWindow::kInFromLeft && p.x > 200) ||
                     (c.direction == clsAnimWindow::kInFromRight && p.x < 200) ||
                     (c.direction == clsAnimWindow::kInFromTop && p.y > 100) ||
                     (c.direction == clsAnimWindow::kInFromBottom && p.y < 100);
        EXPECT_TRUE(passed) << c.direction;
    }
}

TEST_F(AnimWindowTest, ScalesInBackToTheirSizeAndOutMovesStayWhereTheyEnd) {
    window->StartMove(clsAnimWindow::kGrowIn, 0.2f, 300);
    EXPECT_EQ(0, window->GetWidth());
    Run();
    EXPECT_EQ(400, window->GetWidth());
    EXPECT_EQ(300, window->GetHeight());

    window->StartMove(clsAnimWindow::kShrinkIn, 0.2f, 300);
    EXPECT_EQ(800, window->GetWidth());
    Run();
    EXPECT_EQ(400, window->GetWidth());

    window->finished = 0;
    window->StartMove(clsAnimWindow::kOutToLeft, 0.3f, 200);
    Run();
    EXPECT_EQ(1, window->finished);
    EXPECT_EQ(-400, window->GetRect().left);

    window->StartMove(clsAnimWindow::kShrinkOut, 0.3f, 200);
    Run();
    EXPECT_EQ(0, window->GetWidth());
}

TEST_F(AnimWindowTest, AMoveOfNoTimeRestsAtOnceAndARandomOneComesFromASide) {
    window->StartMove(clsAnimWindow::kInFromRight, 0.3f, 0);
    EXPECT_FALSE(window->IsMoving());
    EXPECT_EQ(1, window->finished);
    EXPECT_EQ(200, window->GetRect().left);

    // Short legs end instead of stalling.
    window->StartMove(clsAnimWindow::kInFromLeft, 0.9f, 2);
    Run(100);
    EXPECT_FALSE(window->IsMoving());
    EXPECT_EQ(200, window->GetRect().left);

    for (int i = 0; i < 8; ++i) {
        window->StartMove(clsAnimWindow::kRandomIn, 0.1f, 100);
        EXPECT_GE(window->GetDirection(), clsAnimWindow::kInFromLeft);
        EXPECT_LE(window->GetDirection(), clsAnimWindow::kInFromBottom);
        Run();
        EXPECT_EQ(TPoint(200, 100), TPoint(window->GetRect().left, window->GetRect().top));
    }
}

} // namespace
