#include "framework/graphics/sprite/TSprite.h"

#include "framework/core/settings/TSettings.h"
#include "framework/graphics/TTexture.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// A texture that knows its size (no display: no surface).
std::shared_ptr<TTexture> MakeTexture(int32_t w, int32_t h) {
    auto texture =
        TTexture::CreateRenderTarget(static_cast<uint32_t>(w), static_cast<uint32_t>(h), true);
    EXPECT_TRUE(texture);
    EXPECT_EQ(texture->GetWidth(), static_cast<uint32_t>(w));
    return texture;
}

// A sprite that writes its name into a shared journal when its texture
// step runs, with the record it was given.
class JournalSprite : public TSprite {
public:
    JournalSprite(int32_t layer, std::string name, std::vector<std::string>* journal)
        : TSprite(layer), mName(std::move(name)), mJournal(journal) {}

    static std::shared_ptr<JournalSprite> Make(int32_t layer, const std::string& name,
                                               std::vector<std::string>* journal) {
        auto sprite = std::make_shared<JournalSprite>(layer, name, journal);
        sprite->SetTexture(MakeTexture(4, 4));
        return sprite;
    }

    TDrawSpec mLast;

protected:
    void DrawTexture(const TDrawSpec& combined) override {
        mLast = combined;
        mJournal->push_back(mName);
    }

private:
    std::string mName;
    std::vector<std::string>* mJournal;
};

std::string Join(const std::vector<std::string>& parts) {
    std::string out;
    for (const std::string& part : parts) {
        out += (out.empty() ? "" : " ") + part;
    }
    return out;
}

TEST(TSprite, Draw_NegativeLayersBeforeTheTextureTheRestAfterInAddingOrder) {
    std::vector<std::string> journal;
    auto root = JournalSprite::Make(0, "root", &journal);
    root->AddChild(JournalSprite::Make(2, "b2", &journal));
    root->AddChild(JournalSprite::Make(-1, "a-1", &journal));
    root->AddChild(JournalSprite::Make(0, "c0", &journal));
    auto d = JournalSprite::Make(0, "d0", &journal);
    root->AddChild(d);
    root->AddChild(JournalSprite::Make(-5, "e-5", &journal));
    root->AddChild(JournalSprite::Make(0, "f0", &journal));
    root->Draw(TDrawSpec(), -1);
    EXPECT_EQ(Join(journal), "e-5 a-1 root c0 d0 f0 b2");

    // Moving another child to layer 0 and back keeps the equal layers in
    // their order: the sort is stable.
    journal.clear();
    auto g = JournalSprite::Make(7, "g", &journal);
    root->AddChild(g);
    g->SetLayer(0);
    d->SetLayer(0);
    root->Draw(TDrawSpec(), -1);
    EXPECT_EQ(Join(journal), "e-5 a-1 root c0 d0 f0 g b2");

    journal.clear();
    d->SetLayer(-1);
    root->Draw(TDrawSpec(), -1);
    EXPECT_EQ(Join(journal), "e-5 a-1 d0 root c0 f0 g b2");
}

TEST(TSprite, Draw_DepthLimitsTheLevelsAndInvisibleSubtreesAreSkipped) {
    std::vector<std::string> journal;
    auto root = JournalSprite::Make(0, "root", &journal);
    auto child = JournalSprite::Make(0, "child", &journal);
    auto grandchild = JournalSprite::Make(-1, "grandchild", &journal);
    root->AddChild(child);
    child->AddChild(grandchild);

    struct Case {
        int32_t depth;
        const char* drawn;
    } cases[] = {{0, "root"},
                 {1, "root child"},
                 {2, "root grandchild child"},
                 {-1, "root grandchild child"}};
    for (const Case& c : cases) {
        journal.clear();
        root->Draw(TDrawSpec(), c.depth);
        EXPECT_EQ(Join(journal), c.drawn) << "depth " << c.depth;
    }
    journal.clear();
    child->SetVisible(false);
    root->Draw(TDrawSpec(), -1);
    EXPECT_EQ(Join(journal), "root");
}

TEST(TSprite, AddChild_TwiceKeepsOneEntryAndANewParentTakesItFromTheOld) {
    auto a = TSprite::Create(0);
    auto b = TSprite::Create(0);
    auto child = TSprite::Create(3);
    a->AddChild(child);
    a->AddChild(child);
    ASSERT_EQ(a->GetChildren().size(), 1u);
    EXPECT_EQ(child->GetParent(), a.get());

    b->AddChild(child);
    EXPECT_TRUE(a->GetChildren().empty());
    ASSERT_EQ(b->GetChildren().size(), 1u);
    EXPECT_EQ(child->GetParent(), b.get());

    EXPECT_FALSE(a->RemoveChild(child));
    EXPECT_TRUE(b->RemoveChild(child));
    EXPECT_EQ(child->GetParent(), nullptr);
    EXPECT_TRUE(b->GetChildren().empty());
}

TEST(TSprite, RemoveChild_DropsTheLastReferenceSafelyAndDestructionDetachesChildren) {
    const uint32_t before = TSprite::GetLiveCount();
    auto parent = TSprite::Create(0);
    std::weak_ptr<TSprite> weak;
    {
        auto child = TSprite::Create(0);
        weak = child;
        parent->AddChild(child);
    }
    EXPECT_EQ(TSprite::GetLiveCount(), before + 2);
    EXPECT_TRUE(parent->RemoveChild(weak.lock()));
    EXPECT_TRUE(weak.expired());

    auto kept = TSprite::Create(0);
    parent->AddChild(kept);
    parent.reset();
    EXPECT_EQ(kept->GetParent(), nullptr);
    EXPECT_EQ(TSprite::GetLiveCount(), before + 1);
}

TEST(TSprite, LiveCount_IsPublishedAsASetting) {
    const uint32_t before = TSprite::GetLiveCount();
    {
        auto a = TSprite::Create(0);
        auto b = TSprite::Create(1);
        EXPECT_STREQ(GetSetting(TString("current_sprite_count")).CStr(),
                     std::to_string(before + 2).c_str());
    }
    EXPECT_STREQ(GetSetting(TString("current_sprite_count")).CStr(),
                 std::to_string(before).c_str());
}

TEST(TSprite, Combine_MultipliesTransformsAndAlphaXorsFlipsAndInheritsBlendMode) {
    TDrawSpec parent(100.0f, 50.0f, 0.5f, 2.0f,
                     kDrawFlipHorizontal | kDrawSourceRect | kDrawRegistration);
    parent.mBlendMode = 3;
    parent.mColor[0] = 0.25f;
    parent.mRegistration = TVec2(9.0f, 9.0f);

    TDrawSpec own(10.0f, 0.0f, 0.5f, 1.0f, kDrawFlipHorizontal | kDrawFlipVertical);
    own.mColor[1] = 0.75f;
    own.mSourceRect = TRect(1, 2, 3, 4);
    TDrawSpec combined = TSprite::Combine(own, parent);
    // Own first, then the parent's: (10, 0) scaled by 2 and moved to (120, 50).
    const TVec2 origin = combined.mTransform.TransformPoint(TVec2(0.0f, 0.0f));
    EXPECT_FLOAT_EQ(origin.x, 120.0f);
    EXPECT_FLOAT_EQ(origin.y, 50.0f);
    const TVec2 unitX = combined.mTransform.TransformPoint(TVec2(1.0f, 0.0f));
    EXPECT_FLOAT_EQ(unitX.x, 122.0f);
    EXPECT_FLOAT_EQ(combined.mAlpha, 0.25f);
    // Both flipped horizontally: unflipped; the parent's bits 4 and 8 stay out.
    EXPECT_EQ(combined.mFlags, static_cast<uint32_t>(kDrawFlipVertical));
    EXPECT_EQ(combined.mBlendMode, 3);
    EXPECT_FLOAT_EQ(combined.mColor[0], 1.0f);
    EXPECT_FLOAT_EQ(combined.mColor[1], 0.75f);
    EXPECT_EQ(combined.mSourceRect, TRect(1, 2, 3, 4));
    EXPECT_FLOAT_EQ(combined.mRegistration.x, 0.0f);

    own.mBlendMode = 1;
    EXPECT_EQ(TSprite::Combine(own, parent).mBlendMode, 1);
}

TEST(TSprite, Draw_HandsEachNodeItsCombinedRecord) {
    std::vector<std::string> journal;
    auto root = JournalSprite::Make(0, "root", &journal);
    root->GetDrawSpec() = TDrawSpec(10.0f, 20.0f, 0.5f);
    root->GetDrawSpec().mFlags = kDrawFlipHorizontal;
    auto child = JournalSprite::Make(0, "child", &journal);
    child->GetDrawSpec() = TDrawSpec(1.0f, 2.0f, 0.5f, 1.0f, kDrawFlipHorizontal);
    root->AddChild(child);
    root->Draw(TDrawSpec(100.0f, 0.0f, 0.5f), -1);
    EXPECT_FLOAT_EQ(child->mLast.mAlpha, 0.125f);
    EXPECT_EQ(child->mLast.mFlags, 0u);
    EXPECT_FLOAT_EQ(child->mLast.GetPosition().x, 111.0f);
    EXPECT_FLOAT_EQ(child->mLast.GetPosition().y, 22.0f);
    EXPECT_EQ(root->mLast.mFlags, static_cast<uint32_t>(kDrawFlipHorizontal));
}

TEST(TSprite, GetBounds_CentredRegisteredSourceRectAndChildren) {
    auto sprite = TSprite::Create(0, MakeTexture(20, 10));
    sprite->GetDrawSpec().SetPosition(100.0f, 50.0f);
    EXPECT_EQ(sprite->GetBounds(TDrawSpec()), TRect(90, 45, 110, 55));

    sprite->GetDrawSpec().mFlags = kDrawRegistration;
    sprite->GetDrawSpec().mRegistration = TVec2(5.0f, 2.0f);
    EXPECT_EQ(sprite->GetBounds(TDrawSpec()), TRect(95, 48, 115, 58));

    sprite->GetDrawSpec().mFlags = kDrawRegistration | kDrawSourceRect;
    sprite->GetDrawSpec().mSourceRect = TRect(2, 2, 8, 6);
    EXPECT_EQ(sprite->GetBounds(TDrawSpec()), TRect(95, 48, 101, 52));

    // Scaled by the parent, then a child far to the left widens the box;
    // depth 0 leaves it out.
    sprite->GetDrawSpec() = TDrawSpec();
    auto child = TSprite::Create(0, MakeTexture(4, 4));
    child->GetDrawSpec().SetPosition(-30.0f, 0.0f);
    sprite->AddChild(child);
    TDrawSpec parent(0.0f, 0.0f, 1.0f, 2.0f);
    EXPECT_EQ(sprite->GetBounds(parent, 0), TRect(-20, -10, 20, 10));
    EXPECT_EQ(sprite->GetBounds(parent, -1), TRect(-64, -10, 20, 10));
}

TEST(TSprite, GetBounds_TruncatesTowardZero) {
    auto sprite = TSprite::Create(0, MakeTexture(3, 3));
    // Corners at -1.5 and 1.5 (+0.25): -1.25 truncates to -1, 1.75 to 1.
    sprite->GetDrawSpec().SetPosition(0.25f, 0.25f);
    EXPECT_EQ(sprite->GetBounds(TDrawSpec()), TRect(-1, -1, 1, 1));
}

TEST(TSprite, GetBounds_WithoutTextureOrChildrenIsTheInvertedSentinel) {
    auto empty = TSprite::Create(0);
    EXPECT_EQ(empty->GetBounds(TDrawSpec()), TRect(10000000, 10000000, -10000000, -10000000));
    auto holder = TSprite::Create(0);
    auto child = TSprite::Create(0, MakeTexture(2, 2));
    holder->AddChild(child);
    EXPECT_EQ(holder->GetBounds(TDrawSpec()), TRect(-1, -1, 1, 1));
    EXPECT_EQ(holder->GetBounds(TDrawSpec(), 0), TSprite::kEmptyBounds);
}

TEST(TSprite, HitTest_RectangleIsHalfOpenAndNeedsTextureOrTheSetting) {
    auto sprite = TSprite::Create(0, MakeTexture(10, 10));
    sprite->GetDrawSpec().SetPosition(5.0f, 5.0f); // bounds 0, 0, 10, 10
    struct Case {
        int32_t x, y;
        bool hit;
    } cases[] = {{0, 0, true},   {9, 9, true},   {10, 5, false}, {5, 10, false},
                 {-1, 5, false}, {5, -1, false}, {4, 7, true}};
    for (const Case& c : cases) {
        EXPECT_EQ(sprite->HitTest(c.x, c.y, TDrawSpec(), -1), c.hit) << c.x << "," << c.y;
    }
    sprite->SetVisible(false);
    EXPECT_FALSE(sprite->HitTest(5, 5, TDrawSpec(), -1));

    auto holder = TSprite::Create(0);
    auto child = TSprite::Create(0, MakeTexture(10, 10));
    holder->AddChild(child);
    SetSetting(TSettingKey::kHitTestChildren, TString("0"));
    EXPECT_FALSE(holder->HitTest(0, 0, TDrawSpec(), -1));
    SetSetting(TSettingKey::kHitTestChildren, TString("1"));
    EXPECT_TRUE(holder->HitTest(0, 0, TDrawSpec(), -1));
    EXPECT_FALSE(holder->HitTest(0, 0, TDrawSpec(), -1, 0));
    auto empty = TSprite::Create(0);
    EXPECT_FALSE(empty->HitTest(0, 0, TDrawSpec(), -1));
    SetSetting(TSettingKey::kHitTestChildren, TString("0"));
}

TEST(TSprite, Create_KeepsTheLayerAndTextureAndAnswersItsClass) {
    auto texture = MakeTexture(2, 2);
    auto sprite = TSprite::Create(4, texture);
    EXPECT_EQ(sprite->GetTexture(), texture);
    EXPECT_EQ(sprite->GetLayer(), 4);
    EXPECT_TRUE(sprite->IsKindOf(TSprite::GetClassId()));
    EXPECT_STREQ(sprite->GetClassName(), "TSprite");
    EXPECT_FALSE(sprite->IsKindOf(TAsset::GetClassId()));
}

TEST(TSprite, EffectiveHitThreshold_RoundsHighThresholdsDownOnlyInSixteenBitMode) {
    struct Case {
        int32_t threshold;
        bool sixteenBit;
        int32_t effective;
    } cases[] = {{255, true, 240}, {255, false, 255}, {241, true, 240}, {240, true, 240},
                 {200, true, 200}, {250, false, 250}, {0, true, 0},     {-1, true, -1}};
    for (const Case& c : cases) {
        EXPECT_EQ(TSprite::EffectiveHitThreshold(c.threshold, c.sixteenBit), c.effective)
            << c.threshold << " " << c.sixteenBit;
    }
}

} // namespace
