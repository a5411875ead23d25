#include "velk/display/vlkClip.h"
#include "velk/display/vlkSprite.h"

#include "framework/core/settings/TSettings.h"
#include "framework/graphics/TTexture.h"
#include "framework/graphics/sprite/TSprite.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <string>

namespace {

// A texture that knows its size (no display: no surface).
std::shared_ptr<TTexture> MakeTexture(uint32_t w, uint32_t h) {
    auto texture = TTexture::CreateRenderTarget(w, h, true);
    EXPECT_TRUE(texture);
    return texture;
}

// One setter: what it is given, how the framework sprite shows it, how
// the record is changed behind the object's back, and whether the setter
// compares with the stored value first.
struct SetterCase {
    const char* name;
    std::function<void(vlkDisplayObject&)> set;
    std::function<bool(TSprite&)> shows;
    std::function<void(TSprite&)> tamper;
    bool compared;
};

TDrawSpec& Spec(TSprite& sprite) {
    return sprite.GetDrawSpec();
}

const SetterCase kSetters[] = {
    {"SetPosition", [](vlkDisplayObject& o) { o.SetPosition(10.0f, 20.0f); },
     [](TSprite& s) {
         return Spec(s).mTransform.m[2][0] == 10.0f && Spec(s).mTransform.m[2][1] == 20.0f;
     },
     [](TSprite& s) { Spec(s).SetPosition(-1.0f, -1.0f); }, true},
    {"SetX", [](vlkDisplayObject& o) { o.SetX(5.0f); },
     [](TSprite& s) { return Spec(s).mTransform.m[2][0] == 5.0f; },
     [](TSprite& s) { Spec(s).mTransform.m[2][0] = -1.0f; }, true},
    {"SetY", [](vlkDisplayObject& o) { o.SetY(7.0f); },
     [](TSprite& s) { return Spec(s).mTransform.m[2][1] == 7.0f; },
     [](TSprite& s) { Spec(s).mTransform.m[2][1] = -1.0f; }, true},
    {"SetLayer", [](vlkDisplayObject& o) { o.SetLayer(3); },
     [](TSprite& s) { return s.GetLayer() == 3; }, [](TSprite& s) { s.SetLayer(9); }, true},
    {"SetScaleX", [](vlkDisplayObject& o) { o.SetScaleX(2.0f); },
     [](TSprite& s) { return Spec(s).mTransform.m[0][0] == 2.0f; },
     [](TSprite& s) { Spec(s).mTransform.m[0][0] = 1.0f; }, true},
    {"SetScaleY", [](vlkDisplayObject& o) { o.SetScaleY(3.0f); },
     [](TSprite& s) { return Spec(s).mTransform.m[1][1] == 3.0f; },
     [](TSprite& s) { Spec(s).mTransform.m[1][1] = 1.0f; }, true},
    {"SetScale", [](vlkDisplayObject& o) { o.SetScale(4.0f); },
     [](TSprite& s) {
         return Spec(s).mTransform.m[0][0] == 4.0f && Spec(s).mTransform.m[1][1] == 4.0f;
     },
     [](TSprite& s) { Spec(s).mTransform.m[0][0] = Spec(s).mTransform.m[1][1] = 1.0f; }, true},
    {"SetAlpha", [](vlkDisplayObject& o) { o.SetAlpha(0.5f); },
     [](TSprite& s) { return Spec(s).mAlpha == 0.5f; }, [](TSprite& s) { Spec(s).mAlpha = 1.0f; },
     false},
    {"SetColor", [](vlkDisplayObject& o) { o.SetColor(0.1f, 0.2f, 0.3f, 0.4f); },
     [](TSprite& s) {
         const float* c = Spec(s).mColor;
         return c[0] == 0.1f && c[1] == 0.2f && c[2] == 0.3f && c[3] == 0.4f;
     },
     [](TSprite& s) { Spec(s).mColor[1] = 1.0f; }, false},
    {"SetHFlip", [](vlkDisplayObject& o) { o.SetHFlip(1); },
     [](TSprite& s) { return Spec(s).mFlags == kDrawFlipHorizontal; },
     [](TSprite& s) { Spec(s).mFlags = 0; }, false},
    {"SetVFlip", [](vlkDisplayObject& o) { o.SetVFlip(1); },
     [](TSprite& s) { return Spec(s).mFlags == kDrawFlipVertical; },
     [](TSprite& s) { Spec(s).mFlags = 0; }, false},
    {"SetVisible", [](vlkDisplayObject& o) { o.SetVisible(false); },
     [](TSprite& s) { return !s.IsVisible(); }, [](TSprite& s) { s.SetVisible(true); }, false},
};

class DisplayObjectTest : public ::testing::Test {
protected:
    void SetUp() override { ClearSettings(); }
    void TearDown() override { ClearSettings(); }
};

TEST_F(DisplayObjectTest, Setters_WriteTheFrameworkSpriteAndOnlyTheComparedOnesSkipARepeat) {
    const std::function<std::unique_ptr<vlkSprite>()> makers[] = {
        [] { return std::make_unique<vlkSprite>(); },
        [] { return std::make_unique<vlkClip>(); },
    };
    for (const auto& make : makers) {
        for (const SetterCase& c : kSetters) {
            std::unique_ptr<vlkSprite> object = make();
            std::shared_ptr<TSprite> sprite = object->GetSprite();
            const std::string what =
                std::string(c.name) +
                (object->GetKind() & vlkDisplayObject::kKindClip ? " (clip)" : "");
            ASSERT_FALSE(c.shows(*sprite)) << what << ": the default already shows the value";
            c.set(*object);
            EXPECT_TRUE(c.shows(*sprite)) << what;
            c.tamper(*sprite);
            ASSERT_FALSE(c.shows(*sprite)) << what;
            c.set(*object);
            EXPECT_EQ(c.shows(*sprite), !c.compared) << what;
        }
    }
}

TEST_F(DisplayObjectTest, Getters_ReturnWhatTheSettersStoredAndFlipsClearAgain) {
    vlkSprite sprite;
    EXPECT_TRUE(sprite.IsVisible());
    EXPECT_EQ(sprite.GetScaleX(), 1.0f);
    EXPECT_EQ(sprite.GetAlpha(), 1.0f);
    sprite.SetPosition(3.0f, 4.0f);
    sprite.SetLayer(-2);
    sprite.SetScaleY(0.5f);
    sprite.SetAlpha(0.25f);
    sprite.SetHFlip(1);
    sprite.SetVFlip(1);
    sprite.SetVisible(false);
    EXPECT_EQ(sprite.GetX(), 3.0f);
    EXPECT_EQ(sprite.GetY(), 4.0f);
    EXPECT_EQ(sprite.GetLayer(), -2);
    EXPECT_EQ(sprite.GetScaleX(), 1.0f);
    EXPECT_EQ(sprite.GetScaleY(), 0.5f);
    EXPECT_EQ(sprite.GetAlpha(), 0.25f);
    EXPECT_EQ(sprite.GetHFlip(), 1);
    EXPECT_FALSE(sprite.IsVisible());
    EXPECT_EQ(sprite.GetSprite()->GetDrawSpec().mFlags, kDrawFlipHorizontal | kDrawFlipVertical);
    sprite.SetHFlip(0);
    EXPECT_EQ(sprite.GetSprite()->GetDrawSpec().mFlags, uint32_t(kDrawFlipVertical));
    EXPECT_EQ(sprite.GetHFlip(), 0);
}

TEST_F(DisplayObjectTest, Kinds_SpriteIsTwoAndClipSix) {
    vlkSprite sprite;
    vlkClip clip;
    EXPECT_EQ(sprite.GetKind(), 2u);
    EXPECT_EQ(clip.GetKind(), 6u);
}

TEST_F(DisplayObjectTest, SetScaleX_AfterARotationChangesOnlyTheFirstDiagonalElement) {
    vlkSprite sprite;
    TMat3& transform = sprite.GetSprite()->GetDrawSpec().mTransform;
    transform.Rotate(0.5f);
    transform.m[2][0] = 30.0f;
    const TMat3 before = transform;
    sprite.SetScaleX(2.0f);
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            const float expected = (i == 0 && j == 0) ? 2.0f : before.m[i][j];
            EXPECT_EQ(transform.m[i][j], expected) << i << "," << j;
        }
    }
}

TEST_F(DisplayObjectTest, SetTexture_TakesTheSizeAndAnEmptyPointerKeepsTextureAndSize) {
    vlkSprite sprite;
    EXPECT_EQ(sprite.GetWidth(), 0.0f);
    auto texture = MakeTexture(16, 8);
    sprite.SetTexture(texture);
    EXPECT_EQ(sprite.GetSprite()->GetTexture(), texture);
    EXPECT_EQ(sprite.GetWidth(), 16.0f);
    EXPECT_EQ(sprite.GetHeight(), 8.0f);
    sprite.SetTexture(nullptr);
    EXPECT_EQ(sprite.GetSprite()->GetTexture(), texture);
    EXPECT_EQ(sprite.GetWidth(), 16.0f);
    EXPECT_EQ(sprite.GetHeight(), 8.0f);

    vlkSprite made(texture);
    EXPECT_EQ(made.GetSprite()->GetTexture(), texture);
}

TEST_F(DisplayObjectTest, HitTest_TakesTheChildsPointInTheParentsFrame) {
    vlkSprite parent(MakeTexture(20, 20));
    vlkSprite child(MakeTexture(10, 10));
    parent.SetPosition(100.0f, 100.0f);
    child.SetPosition(20.0f, 0.0f);
    // Alone, the child is tested in its own frame: centred on (20, 0).
    EXPECT_TRUE(child.HitTest(TVec2(20.0f, 0.0f), -1));
    EXPECT_FALSE(child.HitTest(TVec2(120.0f, 100.0f), -1));

    parent.AddChild(&child);
    struct Case {
        float x, y;
        bool hit;
    } cases[] = {{120.0f, 100.0f, true},  {115.0f, 95.0f, true}, {114.0f, 100.0f, false},
                 {125.0f, 100.0f, false}, {20.0f, 0.0f, false},  {124.9f, 104.9f, true}};
    for (const Case& c : cases) {
        EXPECT_EQ(child.HitTest(TVec2(c.x, c.y), -1), c.hit) << c.x << "," << c.y;
        EXPECT_EQ(child.HitTest(TVec2(c.x, c.y), -1, -1), c.hit) << c.x << "," << c.y;
    }
    child.SetVisible(false);
    EXPECT_FALSE(child.HitTest(TVec2(120.0f, 100.0f), -1));
}

TEST_F(DisplayObjectTest, AddChild_TakesTheSpriteFromItsFormerParentAndRemoveChildReports) {
    vlkSprite first;
    vlkSprite second;
    vlkSprite child;
    first.AddChild(&child);
    EXPECT_EQ(child.GetSprite()->GetParent(), first.GetSprite().get());
    second.AddChild(&child);
    EXPECT_TRUE(first.GetSprite()->GetChildren().empty());
    EXPECT_EQ(child.GetSprite()->GetParent(), second.GetSprite().get());
    EXPECT_FALSE(first.RemoveChild(&child));
    EXPECT_TRUE(second.RemoveChild(&child));
    EXPECT_EQ(child.GetSprite()->GetParent(), nullptr);

    vlkClip clip;
    second.AddChild(&child);
    second.AddChild(&clip);
    ASSERT_EQ(second.GetSprite()->GetChildren().size(), 2u);
    EXPECT_EQ(second.GetSprite()->GetChildren()[1], clip.GetSprite());
    second.RemoveAllChildren();
    EXPECT_TRUE(second.GetSprite()->GetChildren().empty());
    EXPECT_EQ(clip.GetSprite()->GetParent(), nullptr);
}

TEST_F(DisplayObjectTest, SetLayer_ResortsTheParentsChildren) {
    vlkSprite parent;
    vlkSprite a;
    vlkSprite b;
    parent.AddChild(&a);
    parent.AddChild(&b);
    a.SetLayer(5);
    const auto& children = parent.GetSprite()->GetChildren();
    ASSERT_EQ(children.size(), 2u);
    EXPECT_EQ(children[0], b.GetSprite());
    EXPECT_EQ(children[1], a.GetSprite());
}

TEST_F(DisplayObjectTest, FrameworkSprite_LivesWhileTheDisplayObjectHoldsIt) {
    std::weak_ptr<TSprite> weak;
    {
        vlkSprite parent;
        auto child = std::make_unique<vlkSprite>();
        weak = child->GetSprite();
        parent.AddChild(child.get());
        // Detached (as an animation script may do): the display object
        // still holds its sprite.
        parent.RemoveAllChildren();
        EXPECT_FALSE(weak.expired());
        child.reset();
        EXPECT_TRUE(weak.expired());
    }
}

} // namespace
