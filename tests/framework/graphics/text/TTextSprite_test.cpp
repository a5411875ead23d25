// Text sprites: creation defaults, alignment and origin, bounds and hit
// test, and drawing in a sprite tree. Drawing goes to the screen through
// the vector drawer's sink; here the sink is a small software canvas that
// fills each line of the line list the way the draw front does (from its
// start pixel up to its end pixel, blended by alpha).

#include "framework/graphics/text/TTextSprite.h"

#include "framework/graphics/text/TFontCache.h"
#include "framework/graphics/vector/TNbMiniVecDraw.h"

#include <gtest/gtest.h>

#include "InkProbe.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace {

const TColor kBlack(0.0f, 0.0f, 0.0f, 1.0f);

class CanvasSink : public TVecDrawSink {
public:
    CanvasSink(int width, int height)
        : width(width), height(height), ink(static_cast<size_t>(width) * height, 0) {}

    void DrawLineList(const TVecVertex* v, int count) override {
        for (int i = 0; i + 1 < count; i += 2) {
            const int y = static_cast<int>(std::floor(v[i].y));
            if (y < 0 || y >= height)
                continue;
            const int x0 = std::max(0, static_cast<int>(std::floor(v[i].x)));
            const int x1 = std::min(width, static_cast<int>(std::floor(v[i + 1].x)));
            const int alpha = static_cast<int>(v[i].diffuse >> 24);
            for (int x = x0; x < x1; ++x) {
                int& p = ink[static_cast<size_t>(y) * width + x];
                p += (255 - p) * alpha / 255;
            }
        }
    }
    void Clear() { std::fill(ink.begin(), ink.end(), 0); }

    texttest::InkBox InkBox(int threshold = 64) const {
        return texttest::FindInk(
            width, height, [&](int x, int y) { return ink[static_cast<size_t>(y) * width + x]; },
            threshold);
    }

    int width;
    int height;
    std::vector<int> ink;
};

class TextSpriteTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearFontCache();
        mDrawer.SetSink(&mCanvas);
    }
    void TearDown() override { ClearFontCache(); }

    // A parent record turned by degrees (clockwise on the screen), scaled
    // and placed at (x, y).
    static TDrawSpec Turned(float x, float y, float degrees, float scale = 1.0f) {
        TDrawSpec spec(x, y);
        const float r = degrees * 3.14159265f / 180.0f;
        spec.mTransform.m[0][0] = std::cos(r) * scale;
        spec.mTransform.m[0][1] = std::sin(r) * scale;
        spec.mTransform.m[1][0] = -std::sin(r) * scale;
        spec.mTransform.m[1][1] = std::cos(r) * scale;
        return spec;
    }

    CanvasSink mCanvas{640, 480};
    TNbMiniVecDraw mDrawer;
};

TEST_F(TextSpriteTest, ConstructionGivesAnEmptyBlackSpriteRenderedLayout) {
    TTextSprite sprite(120, 40, 3);
    EXPECT_STREQ(sprite.GetClassName(), "TTextSprite");
    EXPECT_TRUE(sprite.IsKindOf(TTextSprite::GetClassId()));
    EXPECT_TRUE(sprite.IsKindOf(TSprite::GetClassId()));
    EXPECT_EQ(sprite.GetLayer(), 3);
    const TTextLayout& layout = sprite.GetLayout();
    EXPECT_TRUE(layout.GetText().IsEmpty());
    EXPECT_STREQ(layout.GetFontName().CStr(), "__DEFAULT");
    EXPECT_EQ(layout.GetFontSize(), 10);
    EXPECT_EQ(layout.GetColor(), kBlack);
    EXPECT_EQ(layout.GetWidth(), 120);
    EXPECT_EQ(layout.GetHeight(), 40);
    EXPECT_EQ(layout.GetAlignment(), 0);
    EXPECT_TRUE(layout.GetSpriteRendering());
}

TEST_F(TextSpriteTest, CreateSetsColourAlignmentFontAndSize) {
    const TColor white(1.0f, 1.0f, 1.0f, 1.0f);
    auto sprite = TTextSprite::Create(90, 30, 5, "missing/font.mvec", 25, white, 7);
    EXPECT_EQ(sprite->GetLayer(), 7);
    EXPECT_EQ(sprite->GetLayout().GetColor(), white);
    EXPECT_EQ(sprite->GetAlignment(), 5);
    EXPECT_STREQ(sprite->GetLayout().GetFontName().CStr(), "missing/font.mvec");
    EXPECT_EQ(sprite->GetLayout().GetFontSize(), 25);
    EXPECT_EQ(sprite->GetLayout().GetAlphaMerge(), 0);

    auto plain = TTextSprite::Create(90, 30, 0, "", 12, white);
    EXPECT_STREQ(plain->GetLayout().GetFontName().CStr(), "__DEFAULT");
    EXPECT_EQ(plain->GetAlignment(), 0);

    auto merged = TTextSprite::Create(90, 30, 0, "", 12, white, kTextSpriteAlphaMerge);
    EXPECT_EQ(merged->GetLayer(), 0);
    EXPECT_EQ(merged->GetLayout().GetAlphaMerge(), 1);
    EXPECT_EQ(merged->GetLayout().GetCopyMode(), 0);
}

TEST_F(TextSpriteTest, AlignmentPutsTheOriginOnTheNamedPoint) {
    struct Case {
        int32_t align;
        float x, y;
    };
    const Case cases[] = {
        {0, 0, 0},  {1, 50, 0},      {2, 100, 0},      {4, 0, 20},
        {8, 0, 40}, {1 | 4, 50, 20}, {2 | 8, 100, 40}, {1 | 2 | 4 | 8, 50, 20},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.align);
        TTextSprite sprite(100, 40);
        sprite.SetAlignment(c.align);
        EXPECT_EQ(sprite.GetLayout().GetAlignment(), c.align);
        EXPECT_FLOAT_EQ(sprite.GetOriginOffset().x, c.x);
        EXPECT_FLOAT_EQ(sprite.GetOriginOffset().y, c.y);
    }
    TTextSprite sprite(100, 40);
    sprite.SetAlignment(2 | 8);
    sprite.SetSize(60, 10);
    EXPECT_FLOAT_EQ(sprite.GetOriginOffset().x, 60.0f);
    EXPECT_FLOAT_EQ(sprite.GetOriginOffset().y, 10.0f);
    EXPECT_EQ(sprite.GetLayout().GetWidth(), 60);
    EXPECT_EQ(sprite.GetLayout().GetHeight(), 10);
}

TEST_F(TextSpriteTest, TextTakesNoPartInBoundsOrHits) {
    auto sprite = TTextSprite::Create(200, 50, 0, "", 20, kBlack);
    sprite->SetText("A long line of text");
    const TDrawSpec root;
    const TRect bounds = sprite->GetBounds(root);
    EXPECT_EQ(bounds.left, TSprite::kEmptyBounds.left);
    EXPECT_EQ(bounds.right, TSprite::kEmptyBounds.right);
    for (int x : {0, 5, 50, 150})
        EXPECT_FALSE(sprite->HitTest(x, 10, root, -1));
}

TEST_F(TextSpriteTest, HitTestIsTheBoundsOfItsChildrenAndIgnoresVisibility) {
    auto sprite = TTextSprite::Create(200, 50, 0, "", 20, kBlack);
    auto child = TTextSprite::Create(10, 10, 0, "", 20, kBlack);
    sprite->AddChild(child);
    // Without texture the child's own bounds are empty, so the tree has
    // none either.
    EXPECT_FALSE(sprite->HitTest(0, 0, TDrawSpec(), 255));
    sprite->SetVisible(false);
    EXPECT_FALSE(sprite->HitTest(0, 0, TDrawSpec(), 255));
}

TEST_F(TextSpriteTest, CentredTextSitsOnThePosition) {
    auto sprite = TTextSprite::Create(300, 100, 1 | 4, "", 24, kBlack);
    sprite->SetText("Centred");
    sprite->GetDrawSpec().SetPosition(320.0f, 240.0f);
    sprite->Draw(TDrawSpec());
    const texttest::InkBox box = mCanvas.InkBox();
    ASSERT_FALSE(box.Empty());
    EXPECT_NEAR(box.CentreX(), 320.0f, 3.0f);
    // The glyph box (80% of the line) with more room above than below:
    // the ink centre lies near the line's centre.
    EXPECT_NEAR(box.CentreY(), 240.0f, 4.0f);

    mCanvas.Clear();
    sprite->SetAlignment(2 | 8);
    sprite->Draw(TDrawSpec());
    const texttest::InkBox corner = mCanvas.InkBox();
    EXPECT_LE(corner.right, 320);
    EXPECT_GE(corner.right, 310);
    EXPECT_LE(corner.bottom, 240);
    EXPECT_GE(corner.bottom, 228);
}

TEST_F(TextSpriteTest, ParentTurnsScalesAndFadesTheText) {
    auto sprite = TTextSprite::Create(300, 60, 1 | 4, "", 20, kBlack);
    sprite->SetText("Turn this text");
    sprite->Draw(TDrawSpec(320.0f, 240.0f));
    const texttest::InkBox flat = mCanvas.InkBox();
    ASSERT_FALSE(flat.Empty());

    mCanvas.Clear();
    sprite->Draw(Turned(320.0f, 240.0f, 90.0f));
    const texttest::InkBox turned = mCanvas.InkBox();
    ASSERT_FALSE(turned.Empty());
    EXPECT_NEAR(turned.Width(), flat.Height(), 3);
    EXPECT_NEAR(turned.Height(), flat.Width(), 3);
    // Turned about its origin, the sprite's position.
    EXPECT_NEAR(turned.CentreX(), 320.0f - (flat.CentreY() - 240.0f), 3.0f);
    EXPECT_NEAR(turned.CentreY(), 240.0f + (flat.CentreX() - 320.0f), 3.0f);
    // Read top to bottom: the first letter's ink is at the top.
    int topRowInk = 0;
    for (int x = turned.left; x <= turned.right; ++x)
        topRowInk += mCanvas.ink[static_cast<size_t>(turned.top + 2) * mCanvas.width + x] > 64;
    EXPECT_GT(topRowInk, 0);

    mCanvas.Clear();
    sprite->Draw(Turned(320.0f, 240.0f, 0.0f, 2.0f));
    const texttest::InkBox doubled = mCanvas.InkBox();
    EXPECT_NEAR(doubled.Width(), 2 * flat.Width(), 4);
    EXPECT_NEAR(doubled.Height(), 2 * flat.Height(), 4);
    EXPECT_NEAR(doubled.CentreX(), flat.CentreX(), 3.0f);
    EXPECT_NEAR(doubled.CentreY(), flat.CentreY(), 3.0f);

    mCanvas.Clear();
    sprite->Draw(TDrawSpec(320.0f, 240.0f, 0.5f));
    const texttest::InkBox faded = mCanvas.InkBox(1);
    EXPECT_NEAR(static_cast<double>(faded.total) / flat.total, 0.5, 0.06);

    mCanvas.Clear();
    sprite->SetVisible(false);
    sprite->Draw(TDrawSpec(320.0f, 240.0f));
    EXPECT_TRUE(mCanvas.InkBox(1).Empty());
}

// The top panel's floating text: a 90 x 30 block centred on its position
// in the bold face at size 25. Its parent grows it as it rises.
TEST_F(TextSpriteTest, FloatingTextGrowsWithItsParent) {
    const std::string bold = std::string(CORVALO_BINARY_DIR) + "/assets/loc/en/font/helsinki.mvec";
    auto sprite = TTextSprite::Create(90, 30, 1 | 4, TString(("::" + bold).c_str()), 25, kBlack);
    sprite->SetText("+ 5 sec");
    texttest::InkBox flat;
    for (float scale : {1.0f, 1.5f, 2.0f}) {
        SCOPED_TRACE(scale);
        mCanvas.Clear();
        sprite->Draw(Turned(320.0f, 240.0f, 0.0f, scale));
        const texttest::InkBox box = mCanvas.InkBox();
        ASSERT_FALSE(box.Empty());
        if (scale == 1.0f) {
            flat = box;
            EXPECT_LE(box.Width(), 90);
            EXPECT_LE(box.Height(), 30);
        }
        // Grown about the position, by the parent's scale.
        EXPECT_NEAR(box.Width(), scale * flat.Width(), 3.0f);
        EXPECT_NEAR(box.Height(), scale * flat.Height(), 3.0f);
        EXPECT_NEAR(box.CentreX(), 320.0f + scale * (flat.CentreX() - 320.0f), 2.0f);
        EXPECT_NEAR(box.CentreY(), 240.0f + scale * (flat.CentreY() - 240.0f), 2.0f);
    }
}

TEST_F(TextSpriteTest, ChildrenDrawWithTheParentsRecord) {
    auto parent = TTextSprite::Create(200, 40, 0, "", 20, kBlack);
    auto child = TTextSprite::Create(200, 40, 0, "", 20, kBlack);
    child->SetText("child");
    parent->AddChild(child);
    child->GetDrawSpec().SetPosition(10.0f, 0.0f);
    parent->Draw(TDrawSpec(100.0f, 100.0f));
    const texttest::InkBox both = mCanvas.InkBox();
    ASSERT_FALSE(both.Empty());
    EXPECT_GE(both.left, 110);
    EXPECT_LE(both.left, 113);
    mCanvas.Clear();
    parent->Draw(TDrawSpec(100.0f, 100.0f), 0);
    EXPECT_TRUE(mCanvas.InkBox(1).Empty()) << "depth 0 draws no children";
}

TEST_F(TextSpriteTest, InvalidateLaysOutAgain) {
    auto sprite = TTextSprite::Create(200, 40, 0, "", 20, kBlack);
    sprite->SetText("again");
    // Held, so a new line cannot take the old one's address.
    const std::shared_ptr<TTextLine> before = sprite->GetLayout().GetLines()[0];
    sprite->SetText("again");
    EXPECT_EQ(sprite->GetLayout().GetLines()[0], before);
    sprite->Invalidate();
    ASSERT_EQ(sprite->GetLayout().GetLineCount(), 1);
    EXPECT_NE(sprite->GetLayout().GetLines()[0], before);
}

} // namespace
